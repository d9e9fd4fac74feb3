// Restructure: fields added, dropped, moved, renamed and converted with every record kept value
// by value; refused requests change no byte; repeated keys go to a key-violation table; master
// passwords set, changed and removed; options; and real fixture tables restructured in copies.
#include <gtest/gtest.h>

#include "paradox/change/restructure.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/security.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

void CreatePeople(const std::string& dir, int rows, const std::string& password = {}) {
    DescriptorBuilder b("PEOPLE");
    b.field("Id", FLDINT32)
        .field("Name", FLDZSTRING, 0, 20)
        .field("Amount", FLDFLOAT)
        .field("Notes", FLDBLOB, FLDSTMEMO, 10)
        .field("Born", FLDDATE)
        .option("LEVEL", "7");
    if (!password.empty()) b.password(password);
    createTable(dir, b.descriptor(), {1, false});
    OpenOptions o;
    if (!password.empty()) o.passwords.push_back(password);
    TableWriter w = TableWriter::open(dir, "PEOPLE", o);
    for (int i = 1; i <= rows; ++i)
        w.insert({Value::integer(i * 7 % 1000), Value::text("name " + std::to_string(i)), Value::number(i * 1.5),
                  i % 3 ? Value::text(std::string(40 + i * 13, char('a' + i % 26))) : Value::null(),
                  Value::date(DaysFromCivil(1950 + i % 50, 1 + i % 12, 1 + i % 28))});
    w.commit();
}

// The old rows with columns picked (index into the old row, -1 = null).
std::vector<std::vector<Value>> Pick(const std::vector<std::vector<Value>>& rows, const std::vector<int>& cols) {
    std::vector<std::vector<Value>> out;
    for (const auto& r : rows) {
        std::vector<Value> n;
        for (int c : cols) n.push_back(c < 0 ? Value::null() : r[c]);
        out.push_back(n);
    }
    return out;
}

void ExpectCode(int code, const std::function<void()>& fn) {
    try {
        fn();
        ADD_FAILURE() << "no error, expected " << code;
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code) << e.what();
    }
}

TEST(Restructure, FieldEditsKeepEveryValue) {
    const struct {
        const char* what;
        std::function<void(Request&)> edit;
        std::vector<std::string> names;
        std::vector<int> cols;
    } cases[] = {
        {"add at the end", [](Request& r) { r.add("Extra", FLDZSTRING, 0, 10); },
         {"Id", "Name", "Amount", "Notes", "Born", "Extra"}, {0, 1, 2, 3, 4, -1}},
        {"drop", [](Request& r) { r.drop("Amount"); }, {"Id", "Name", "Notes", "Born"}, {0, 1, 3, 4}},
        {"drop the memo", [](Request& r) { r.drop("Notes"); }, {"Id", "Name", "Amount", "Born"}, {0, 1, 2, 4}},
        {"move forward", [](Request& r) { r.move("Born", 2); }, {"Id", "Born", "Name", "Amount", "Notes"}, {0, 4, 1, 2, 3}},
        {"move back", [](Request& r) { r.move("Name", 5); }, {"Id", "Amount", "Notes", "Born", "Name"}, {0, 2, 3, 4, 1}},
        {"rename and widen", [](Request& r) { r.change("Name", FLDZSTRING, 0, 40, 0, "FullName"); },
         {"Id", "FullName", "Amount", "Notes", "Born"}, {0, 1, 2, 3, 4}},
        {"memo leader changes", [](Request& r) { r.change("Notes", FLDBLOB, FLDSTMEMO, 50); },
         {"Id", "Name", "Amount", "Notes", "Born"}, {0, 1, 2, 3, 4}},
        {"add in the middle and drop", [](Request& r) { r.drop("Born").add("Flag", FLDBOOL).move("Flag", 3); },
         {"Id", "Name", "Flag", "Amount", "Notes"}, {0, 1, -1, 2, 3}},
    };
    for (const auto& c : cases) {
        ScratchDir d;
        CreatePeople(d.str(), 300);
        const auto before = ReadAll(d.str(), "PEOPLE");
        const uint16_t version = Table::open(d.str(), "PEOPLE").properties().restructureVersion;
        Request r(d.str(), "PEOPLE");
        c.edit(r);
        const RestructureResult res = r.run(d.str());
        EXPECT_EQ(res.records, 300u) << c.what;
        EXPECT_EQ(FieldNames(d.str(), "PEOPLE"), c.names) << c.what;
        EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), Pick(before, c.cols)) << c.what;
        const Table t = Table::open(d.str(), "PEOPLE");
        EXPECT_EQ(t.properties().restructureVersion, version + 1) << c.what;
        EXPECT_EQ(t.properties().keyFields, 1) << c.what;
    }
}

TEST(Restructure, AddedAutoincrementFieldNumbersTheRecords) {
    ScratchDir d;
    CreatePeople(d.str(), 5);
    Request(d.str(), "PEOPLE").add("Seq", FLDINT32, FLDSTAUTOINC).run(d.str());
    const auto rows = ReadAll(d.str(), "PEOPLE");
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i][5], Value::integer(int64_t(i + 1)));
    EXPECT_EQ(Table::open(d.str(), "PEOPLE").properties().autoIncValue, 5u);
}

TEST(Restructure, LongBecomesAutoincrementOnlyWithoutBlanks) {
    for (const bool withBlank : {true, false}) {
        ScratchDir d;
        DescriptorBuilder b("AUTO");
        b.field("Id", FLDINT16).field("N", FLDINT32).option("LEVEL", "7");
        createTable(d.str(), b.descriptor(), {1, false});
        {
            TableWriter w = TableWriter::open(d.str(), "AUTO");
            w.insert({Value::integer(1), Value::integer(40)});
            w.insert({Value::integer(2), withBlank ? Value::null() : Value::integer(7)});
            w.commit();
        }
        const auto before = DirBytes(d.path());
        Request r(d.str(), "AUTO");
        r.change("N", FLDINT32, FLDSTAUTOINC, 0);
        if (withBlank) {
            ExpectCode(err::kOutOfRange, [&] { r.run(d.str()); });
            EXPECT_EQ(DirBytes(d.path()), before);
        } else {
            r.run(d.str());
            EXPECT_EQ(ReadAll(d.str(), "AUTO")[1][1], Value::integer(7));
            EXPECT_EQ(Table::open(d.str(), "AUTO").properties().autoIncValue, 40u);
        }
    }
}

// One field of type `from` holding `value`, changed to `to`.
struct Conversion {
    const char* what;
    int16_t fromType, fromSub, fromSize, fromDec;
    Value value;
    int16_t toType, toSub, toSize, toDec;
    Value expect;  // when code is 0
    int code;
};

TEST(Restructure, FieldConversions) {
    const Conversion cases[] = {
        {"alpha to number", FLDZSTRING, 0, 10, 0, Value::text(" 12.5 "), FLDFLOAT, 0, 0, 0, Value::number(12.5), 0},
        {"alpha to short", FLDZSTRING, 0, 10, 0, Value::text("-42"), FLDINT16, 0, 0, 0, Value::integer(-42), 0},
        {"alpha to date", FLDZSTRING, 0, 10, 0, Value::text("02/29/2020"), FLDDATE, 0, 0, 0,
         Value::date(DaysFromCivil(2020, 2, 29)), 0},
        {"alpha to logical", FLDZSTRING, 0, 10, 0, Value::text("false"), FLDBOOL, 0, 0, 0, Value::boolean(false), 0},
        {"alpha to memo", FLDZSTRING, 0, 10, 0, Value::text("memo text"), FLDBLOB, FLDSTMEMO, 5, 0, Value::text("memo text"), 0},
        {"alpha shorter, fits", FLDZSTRING, 0, 20, 0, Value::text("abc"), FLDZSTRING, 0, 3, 0, Value::text("abc"), 0},
        {"number to alpha", FLDFLOAT, 0, 0, 0, Value::number(0.1), FLDZSTRING, 0, 10, 0, Value::text("0.1"), 0},
        {"long to alpha", FLDINT32, 0, 0, 0, Value::integer(-123456), FLDZSTRING, 0, 7, 0, Value::text("-123456"), 0},
        {"date to alpha", FLDDATE, 0, 0, 0, Value::date(DaysFromCivil(1999, 12, 31)), FLDZSTRING, 0, 10, 0,
         Value::text("12/31/1999"), 0},
        {"short to long", FLDINT16, 0, 0, 0, Value::integer(-300), FLDINT32, 0, 0, 0, Value::integer(-300), 0},
        {"long to number", FLDINT32, 0, 0, 0, Value::integer(2000000000), FLDFLOAT, 0, 0, 0, Value::number(2e9), 0},
        {"whole number to short", FLDFLOAT, 0, 0, 0, Value::number(512), FLDINT16, 0, 0, 0, Value::integer(512), 0},
        {"number to money", FLDFLOAT, 0, 0, 0, Value::number(3.25), FLDFLOAT, FLDSTMONEY, 0, 0, Value::number(3.25), 0},
        {"number to bcd", FLDFLOAT, 0, 0, 0, Value::number(3.25), FLDBCD, 0, 32, 2, Value::bcd("3.25"), 0},
        {"bcd to long", FLDBCD, 0, 32, 2, Value::bcd("77.00"), FLDINT32, 0, 0, 0, Value::integer(77), 0},
        {"date to timestamp", FLDDATE, 0, 0, 0, Value::date(3), FLDTIMESTAMP, 0, 0, 0, Value::timestamp(3 * 86400000.0), 0},
        {"null converts to null", FLDZSTRING, 0, 10, 0, Value::null(), FLDDATE, 0, 0, 0, Value::null(), 0},
        // Values that would not survive: refused, nothing changes.
        {"alpha too long", FLDZSTRING, 0, 20, 0, Value::text("abcd"), FLDZSTRING, 0, 3, 0, {}, err::kOutOfRange},
        {"alpha not a number", FLDZSTRING, 0, 10, 0, Value::text("12a"), FLDFLOAT, 0, 0, 0, {}, err::kOutOfRange},
        {"alpha not a date", FLDZSTRING, 0, 10, 0, Value::text("02/30/2020"), FLDDATE, 0, 0, 0, {}, err::kOutOfRange},
        {"long out of short range", FLDINT32, 0, 0, 0, Value::integer(40000), FLDINT16, 0, 0, 0, {}, err::kOutOfRange},
        {"fraction to long", FLDFLOAT, 0, 0, 0, Value::number(1.5), FLDINT32, 0, 0, 0, {}, err::kOutOfRange},
        {"bcd loses decimals", FLDBCD, 0, 32, 4, Value::bcd("1.2345"), FLDBCD, 0, 32, 2, {}, err::kOutOfRange},
        {"number too long for alpha", FLDFLOAT, 0, 0, 0, Value::number(123456.75), FLDZSTRING, 0, 5, 0, {}, err::kOutOfRange},
        {"memo too long for alpha", FLDBLOB, FLDSTMEMO, 5, 0, Value::text(std::string(30, 'm')), FLDZSTRING, 0, 20, 0, {},
         err::kOutOfRange},
        {"timestamp with a time to date", FLDTIMESTAMP, 0, 0, 0, Value::timestamp(86400000.0 * 5 + 1000), FLDDATE, 0, 0, 0, {},
         err::kOutOfRange},
        // Type changes that are never made.
        {"date to logical", FLDDATE, 0, 0, 0, Value::date(3), FLDBOOL, 0, 0, 0, {}, err::kInvalidFieldXform},
        {"graphic to memo", FLDBLOB, FLDSTGRAPHIC, 0, 0, Value::null(), FLDBLOB, FLDSTMEMO, 10, 0, {}, err::kInvalidFieldXform},
        {"time to date", FLDTIME, 0, 0, 0, Value::null(), FLDDATE, 0, 0, 0, {}, err::kInvalidFieldXform},
    };
    for (const auto& c : cases) {
        ScratchDir d;
        DescriptorBuilder b("CONV");
        b.field("Id", FLDINT16).field("F", c.fromType, c.fromSub, c.fromSize, c.fromDec).option("LEVEL", "7");
        createTable(d.str(), b.descriptor(), {1, false});
        {
            TableWriter w = TableWriter::open(d.str(), "CONV");
            w.insert({Value::integer(1), c.value});
            w.insert({Value::integer(2), Value::null()});
            w.commit();
        }
        const auto before = DirBytes(d.path());
        Request r(d.str(), "CONV");
        r.change("F", c.toType, c.toSub, c.toSize, c.toDec);
        if (c.code == 0) {
            r.run(d.str());
            const auto rows = ReadAll(d.str(), "CONV");
            ASSERT_EQ(rows.size(), 2u) << c.what;
            EXPECT_EQ(rows[0][1], c.expect) << c.what << ": " << ToDisplayString(rows[0][1]);
            EXPECT_TRUE(rows[1][1].isNull()) << c.what;
        } else {
            ExpectCode(c.code, [&] { r.run(d.str()); });
            EXPECT_EQ(DirBytes(d.path()), before) << c.what;
        }
    }
}

TEST(Restructure, RefusedRequestsChangeNothing) {
    ScratchDir d;
    CreatePeople(d.str(), 20);
    const auto before = DirBytes(d.path());
    const struct {
        const char* what;
        std::function<void(Request&)> edit;
        int code;
    } cases[] = {
        {"repeated name", [](Request& r) { r.add("name", FLDINT16); }, err::kNameNotUnique},
        {"key field behind another", [](Request& r) { r.move("Id", 2); }, err::kInvalidRestructOp},
        {"bad level", [](Request& r) { r.option("LEVEL", "6"); }, err::kInvalidOptParam},
        {"bad block size", [](Request& r) { r.option("BLOCK SIZE", "3000"); }, err::kInvalidOptParam},
        {"bad fill factor", [](Request& r) { r.option("FILL FACTOR", "0"); }, err::kInvalidOptParam},
        {"unknown option", [](Request& r) { r.option("COLOUR", "red"); }, err::kInvalidOptParam},
        {"unknown language driver", [](Request& r) { r.option("LANGDRIVER", "nope"); }, err::kInvalidLangDriver},
        {"record larger than a block", [](Request& r) { r.add("Big", FLDZSTRING, 0, 255).add("Big2", FLDZSTRING, 0, 255)
            .add("Big3", FLDZSTRING, 0, 255).add("Big4", FLDZSTRING, 0, 255).add("Big5", FLDZSTRING, 0, 255)
            .add("Big6", FLDZSTRING, 0, 255).add("Big7", FLDZSTRING, 0, 255).add("Big8", FLDZSTRING, 0, 255)
            .option("BLOCK SIZE", "2048"); }, err::kRecTooBig},
    };
    for (const auto& c : cases) {
        Request r(d.str(), "PEOPLE");
        c.edit(r);
        ExpectCode(c.code, [&] { r.run(d.str()); });
        EXPECT_EQ(DirBytes(d.path()), before) << c.what;
    }
    // Raw descriptor faults: an operation code past "drop" and a field number past the end.
    Request r(d.str(), "PEOPLE");
    TableDescriptor desc = r.descriptor();
    std::vector<FieldDescriptor> fields(desc.fields, desc.fields + desc.fieldCount);
    std::vector<OperationCode> ops(desc.fieldCount, CRNOOP);
    desc.fields = fields.data();
    desc.fieldOps = ops.data();
    ops[1] = static_cast<OperationCode>(7);
    ExpectCode(err::kInvalidRestructOp, [&] { restructureTable(d.str(), desc, nullptr); });
    ops[1] = CRNOOP;
    fields[2].fieldNumber = 99;
    ExpectCode(err::kInvalidRestructOp, [&] { restructureTable(d.str(), desc, nullptr); });
    EXPECT_EQ(DirBytes(d.path()), before);
}

// Rights of each field as an auxiliary password sees them (0 full, 1 read-only, 2 none).
std::vector<int> FieldRightsFor(const std::string& dir, const std::string& password) {
    OpenOptions o;
    o.passwords = {password};
    std::vector<int> out;
    for (const auto& f : Table::open(dir, "PEOPLE", o).fieldDescriptors()) out.push_back(f.rights);
    return out;
}

TEST(Restructure, AuxiliaryPasswordsFollowFieldsAndTheMasterPassword) {
    ScratchDir d;
    CreatePeople(d.str(), 20, "master");
    const SecurityDescriptor clerk = AuxPassword("clerk", rights::kReadOnly, {31, 1, 0, 31, 1});
    const OperationCode add = CRADD;
    ApplySecurityEntries(d.str(), "PEOPLE", &clerk, &add, 1, OpenOptions{{"master"}, {}});
    const auto before = ReadAll(d.str(), "PEOPLE", {"master"});

    // Refused requests leave every byte: a missing entry, or an auxiliary password asking.
    const auto bytes = DirBytes(d.path());
    ExpectCode(err::kInvalidParam, [&] {
        Request(d.str(), "PEOPLE", {"master"}).password("master").security(AuxPassword("nobody", 0, {}), CRDROP).run(d.str(), nullptr, {"master"});
    });
    ExpectCode(err::kNotSufficientTableRights, [&] { Request::NoFields("PEOPLE").password("other").run(d.str(), nullptr, {"clerk"}); });
    EXPECT_EQ(DirBytes(d.path()), bytes);

    // Drop Amount, move Born forward, add a field, change the master password and add a password.
    Request(d.str(), "PEOPLE", {"master"})
        .drop("Amount").move("Born", 2).add("Extra", FLDINT16).password("chief")
        .security(AuxPassword("viewer", rights::kReadOnly, {31, 31, 31, 31, 0}), CRADD)
        .run(d.str(), nullptr, {"master"});
    EXPECT_EQ(FieldRightsFor(d.str(), "clerk"), (std::vector<int>{0, 1, 1, 0, 0}));  // Id Born Name Notes Extra
    EXPECT_EQ(FieldRightsFor(d.str(), "viewer"), (std::vector<int>{0, 0, 0, 0, 2}));
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE", {"chief"}), Pick(before, {0, 4, 1, 3, -1}));
    EXPECT_THROW(Table::open(d.str(), "PEOPLE", OpenOptions{{"master"}, {}}), EngineError);

    // Without a master password there are no auxiliary passwords.
    Request::NoFields("PEOPLE").run(d.str(), nullptr, {"chief"});
    EXPECT_FALSE(fs::exists(d.path() / "PEOPLE.VTS"));
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), Pick(before, {0, 4, 1, 3, -1}));
}

TEST(Restructure, StrictIntegrityOptionIsKept) {
    ScratchDir d;
    CreatePeople(d.str(), 3);
    Request::NoFields("PEOPLE").option("STRICTINTEGRTY", "TRUE").run(d.str());
    EXPECT_TRUE(Table::open(d.str(), "PEOPLE").properties().strictIntegrity);
    Request(d.str(), "PEOPLE").add("Extra", FLDINT16).run(d.str());  // not named: unchanged
    EXPECT_TRUE(Table::open(d.str(), "PEOPLE").properties().strictIntegrity);
    Request::NoFields("PEOPLE").option("STRICTINTEGRTY", "FALSE").run(d.str());
    EXPECT_FALSE(Table::open(d.str(), "PEOPLE").properties().strictIntegrity);
    EXPECT_FALSE(fs::exists(d.path() / "PEOPLE.VTS"));
}

void CreatePairs(const std::string& dir) {
    DescriptorBuilder b("PAIRS");
    b.field("A", FLDINT16).field("B", FLDINT16).field("Memo", FLDBLOB, FLDSTMEMO, 1).option("LEVEL", "7");
    createTable(dir, b.descriptor(), {2, false});
    TableWriter w = TableWriter::open(dir, "PAIRS");
    for (auto [a, bb] : {std::pair{1, 1}, {1, 2}, {2, 1}, {1, 3}, {3, 3}})
        w.insert({Value::integer(a), Value::integer(bb), Value::text("memo of " + std::to_string(a) + "/" + std::to_string(bb))});
    w.commit();
}

TEST(Restructure, RepeatedKeysGoToAKeyViolationTable) {
    ScratchDir d;
    CreatePairs(d.str());
    const auto before = DirBytes(d.path());
    // Without a buffer for the name, repeats fail the restructure.
    ExpectCode(err::kKeyViol, [&] { Request(d.str(), "PAIRS").drop("B").run(d.str()); });
    EXPECT_EQ(DirBytes(d.path()), before);

    char name[kKeyViolNameSize] = {};
    const RestructureResult res = Request(d.str(), "PAIRS").drop("B").run(d.str(), name);
    EXPECT_STREQ(name, "KEYVIOL.DB");
    EXPECT_EQ(res.setAside, 2u);
    EXPECT_EQ(ReadAll(d.str(), "PAIRS"),
              (std::vector<std::vector<Value>>{{Value::integer(1), Value::text("memo of 1/1")},
                                               {Value::integer(2), Value::text("memo of 2/1")},
                                               {Value::integer(3), Value::text("memo of 3/3")}}));
    EXPECT_EQ(ReadAll(d.str(), "KEYVIOL"),
              (std::vector<std::vector<Value>>{{Value::integer(1), Value::text("memo of 1/2")},
                                               {Value::integer(1), Value::text("memo of 1/3")}}));
}

TEST(Restructure, ASetAsideRecordThatCannotBeConvertedLeavesNothing) {
    // (1, 2) repeats (1, 1) once B is gone, and its note is too long for the new size.
    ScratchDir d;
    DescriptorBuilder b("NOTES");
    b.field("A", FLDINT16).field("B", FLDINT16).field("Note", FLDZSTRING, 0, 20).option("LEVEL", "7");
    createTable(d.str(), b.descriptor(), {2, false});
    {
        TableWriter w = TableWriter::open(d.str(), "NOTES");
        w.insert({Value::integer(1), Value::integer(1), Value::text("short")});
        w.insert({Value::integer(1), Value::integer(2), Value::text("a much longer note")});
        w.commit();
    }
    const auto before = DirBytes(d.path());
    char name[kKeyViolNameSize] = {};
    ExpectCode(err::kOutOfRange, [&] { Request(d.str(), "NOTES").drop("B").change("Note", FLDZSTRING, 0, 5).run(d.str(), name); });
    EXPECT_EQ(DirBytes(d.path()), before);
}

TEST(Restructure, AFailureAtAnyStepLeavesNoKeyViolationTableBehind) {
    // Records are set aside only when they leave: a failed restructure keeps them where they are.
    const auto run = [](const std::string& dir) {
        char name[kKeyViolNameSize] = {};
        Request(dir, "PAIRS").drop("B").run(dir, name);
    };
    uint32_t steps = 0;
    {
        ScratchDir d;
        CreatePairs(d.str());
        fault::Disarm();
        run(d.str());
        steps = fault::StepsTaken();
    }
    ASSERT_GT(steps, 8u);
    uint32_t failures = 0;
    for (uint32_t step = 1; step <= steps; ++step) {
        ScratchDir d;
        CreatePairs(d.str());
        const auto before = ReadAll(d.str(), "PAIRS");
        fault::Arm(step, fault::Mode::Throw);
        try {
            run(d.str());
        } catch (const EngineError&) {
            ++failures;
        }
        fault::Disarm();
        RecoverDirectory(d.str());
        const bool isOld = ReadAll(d.str(), "PAIRS") == before;
        EXPECT_EQ(isOld, !FindTableFile(d.str(), "KEYVIOL", "DB").has_value()) << "step " << step << " " << fault::LastStep();
    }
    EXPECT_GT(failures, 8u);
}

TEST(Restructure, KeyViolationTableTakesTheBlockSizeItsRecordsNeed) {
    // 2,804-byte records need 4 KB blocks; so does the table their repeats are set aside into.
    ScratchDir d;
    DescriptorBuilder b("WIDE");
    b.field("A", FLDINT16).field("B", FLDINT16);
    for (const char* n : {"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8", "N9", "N10", "N11"}) b.field(n, FLDZSTRING, 0, 255);
    b.option("LEVEL", "7").option("BLOCK SIZE", "4096");
    createTable(d.str(), b.descriptor(), {2, false});
    {
        TableWriter w = TableWriter::open(d.str(), "WIDE");
        for (int bb = 1; bb <= 2; ++bb) {
            std::vector<Value> row = {Value::integer(1), Value::integer(bb)};
            for (int i = 0; i < 11; ++i) row.push_back(Value::text("v" + std::to_string(bb)));
            w.insert(row);
        }
        w.commit();
    }
    char name[kKeyViolNameSize] = {};
    EXPECT_EQ(Request(d.str(), "WIDE").drop("B").run(d.str(), name).setAside, 1u);
    ASSERT_EQ(ReadAll(d.str(), "KEYVIOL").size(), 1u);
    EXPECT_EQ(ReadAll(d.str(), "KEYVIOL")[0][1], Value::text("v2"));
}

TEST(Restructure, SecondKeyViolationTableGetsAFreshName) {
    ScratchDir d;
    CreatePairs(d.str());
    char name[kKeyViolNameSize] = {};
    Request(d.str(), "PAIRS").drop("B").run(d.str(), name);
    DescriptorBuilder b("OTHER");
    b.field("A", FLDINT16).field("B", FLDINT16).option("LEVEL", "7");
    createTable(d.str(), b.descriptor(), {2, false});
    {
        TableWriter w = TableWriter::open(d.str(), "OTHER");
        w.insert({Value::integer(5), Value::integer(1)});
        w.insert({Value::integer(5), Value::integer(2)});
        w.commit();
    }
    char second[kKeyViolNameSize] = {};
    Request(d.str(), "OTHER").drop("B").run(d.str(), second);
    EXPECT_STREQ(second, "KEYVIOL1.DB");
    EXPECT_EQ(ReadAll(d.str(), "KEYVIOL").size(), 2u);
    EXPECT_EQ(ReadAll(d.str(), "KEYVIOL1").size(), 1u);
}

TEST(Restructure, MasterPasswordSetChangedAndRemoved) {
    ScratchDir d;
    CreatePeople(d.str(), 40);
    const auto rows = ReadAll(d.str(), "PEOPLE");
    // Set.
    Request::NoFields("PEOPLE").password("first").run(d.str());
    ExpectCode(err::kNotSufficientTableRights, [&] { ReadAll(d.str(), "PEOPLE"); });
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE", {"first"}), rows);
    EXPECT_TRUE(Table::open(d.str(), "PEOPLE", {{"first"}, {}}).properties().isProtected);
    // Change: the old password is a candidate, the new one goes in the descriptor.
    Request::NoFields("PEOPLE").password("second").run(d.str(), nullptr, {"first"});
    ExpectCode(err::kNotSufficientTableRights, [&] { ReadAll(d.str(), "PEOPLE", {"first"}); });
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE", {"second"}), rows);
    // A field change on a protected table keeps the password when the descriptor carries it.
    Request(d.str(), "PEOPLE", {"second"}).add("X", FLDINT16).password("second").run(d.str());
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE", {"second"}), Pick(rows, {0, 1, 2, 3, 4, -1}));
    // Remove.
    Request::NoFields("PEOPLE").run(d.str(), nullptr, {"second"});
    EXPECT_FALSE(Table::open(d.str(), "PEOPLE").properties().isProtected);
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), Pick(rows, {0, 1, 2, 3, 4, -1}));
    // Without the current password nothing happens.
    Request::NoFields("PEOPLE").password("third").run(d.str());
    ExpectCode(err::kNotSufficientTableRights, [&] { Request::NoFields("PEOPLE").password("fourth").run(d.str()); });
}

TEST(Restructure, OptionsChangeLevelBlockSizeDriverAndFill) {
    ScratchDir d;
    CreatePeople(d.str(), 200);
    const auto rows = ReadAll(d.str(), "PEOPLE");
    Request(d.str(), "PEOPLE").option("BLOCK SIZE", "4096").option("LANGDRIVER", "ANSIINTL").run(d.str());
    Table t = Table::open(d.str(), "PEOPLE");
    EXPECT_EQ(t.properties().blockSizeKb, 4);
    EXPECT_EQ(t.properties().languageDriver, "ANSIINTL");
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), rows);
    const uint16_t fullBlocks = t.properties().usedBlocks;
    Request(d.str(), "PEOPLE").option("FILL FACTOR", "50").run(d.str());
    EXPECT_GE(Table::open(d.str(), "PEOPLE").properties().usedBlocks, fullBlocks * 2 - 1);
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), rows);
    // A level below what the fields need is raised to it.
    Request(d.str(), "PEOPLE").option("LEVEL", "3").run(d.str());
    EXPECT_EQ(Table::open(d.str(), "PEOPLE").properties().level, 5);  // a long integer field needs level 5
    EXPECT_EQ(ReadAll(d.str(), "PEOPLE"), rows);
}

// A check given to a table without a .VAL gets the .VAL version Paradox writes for the table's
// level; a restructure that changes the level writes the new level's, and the .VAL reads back.
TEST(Restructure, ValVersionFollowsTheTableLevel) {
    struct Case {
        const char* level;
        const char* toLevel;
        uint8_t version, toVersion;
    };
    for (const Case& c : {Case{"4", "7", 0x09, 0x0C}, Case{"5", "7", 0x0B, 0x0C}, Case{"7", "7", 0x0C, 0x0C}}) {
        ScratchDir d;
        DescriptorBuilder b("T");
        b.field("Name", FLDZSTRING, 0, 20).field("Qty", FLDINT16).option("LEVEL", c.level);
        createTable(d.str(), b.descriptor());
        ValidityCheckDescriptor check{};
        check.fieldNumber = 2;
        check.required = 1;
        std::strcpy(check.picture, "#*#");
        Request(d.str(), "T").check(check, CRADD).run(d.str());
        EXPECT_EQ(ReadBytes(d.path() / "T.VAL").at(1), c.version) << c.level;
        Request(d.str(), "T").option("LEVEL", c.toLevel).run(d.str());
        EXPECT_EQ(ReadBytes(d.path() / "T.VAL").at(1), c.toVersion) << c.level;
        const auto val = ReadValFile(d.str(), "T");
        ASSERT_TRUE(val && val->checks.size() == 1) << c.level;
        EXPECT_EQ(std::string(val->checks[0].picture), "#*#");
        EXPECT_EQ(val->fields.at(1).name, "Qty");
    }
}

}  // namespace
