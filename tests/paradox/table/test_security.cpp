// Auxiliary passwords: added, changed and dropped through security entries, read back through
// the cursor, honoured when a table is opened with one (rights and hidden fields), re-keyed with
// the master password, and a damaged store fails cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "ops_test_support.h"
#include "paradox/session/aux_password.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/security.h"

using namespace paradox;
using namespace paradox_test;

namespace {

SecurityDescriptor Aux(const char* password, uint32_t tableRights, std::vector<uint32_t> fieldRights = {}) {
    SecurityDescriptor d{};
    copyFixedText(d.password, password);
    d.tableRights = tableRights;
    for (int i = 0; i < kMaxFieldRights; ++i) d.fieldRights[i] = rights::kFieldFull;
    for (std::size_t i = 0; i < fieldRights.size(); ++i) d.fieldRights[i] = fieldRights[i];
    return d;
}

class Protected : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTable(dir.str(), "staff", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 12}, {"Salary", FLDFLOAT}}, 1, "boss");
        Insert(dir.str(), "staff", {{Value::integer(1), Value::text("Ann"), Value::number(5000)}}, "boss");
    }
    void Apply(std::vector<SecurityDescriptor> d, std::vector<OperationCode> ops) {
        ApplySecurityEntries(dir.str(), "staff", d.data(), ops.data(), static_cast<uint16_t>(d.size()), Pw("boss"));
    }
    ScratchDir dir;
};

TEST_F(Protected, EntriesAddChangeAndDrop) {
    Apply({Aux("clerk", rights::kReadOnly, {31, 1, 0}), Aux("admin", rights::kFull)}, {CRADD, CRADD});
    auto list = ListAuxPasswords(dir.str(), "staff", Pw("boss"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].password, "clerk");
    EXPECT_EQ(+list[0].entryNumber, 1);
    EXPECT_EQ(+list[0].tableRights, rights::kReadOnly);
    EXPECT_EQ(+list[0].fieldRights[1], rights::kFieldReadOnly);
    EXPECT_EQ(+list[0].fieldRights[2], rights::kFieldNone);
    EXPECT_EQ(+list[0].fieldRights[3], 0u);  // beyond the fields
    EXPECT_EQ(+list[0].familyRights, rights::kAllFamily);
    EXPECT_EQ(Table::open(dir.str(), "staff", Pw("boss")).properties().auxPasswords, 2);

    Apply({Aux("clerk", rights::kInsert)}, {CRMODIFY});
    EXPECT_EQ(+ListAuxPasswords(dir.str(), "staff", Pw("boss"))[0].tableRights, rights::kInsert);
    Apply({Aux("clerk", 0), Aux("admin", 0)}, {CRDROP, CRDROP});
    EXPECT_TRUE(ListAuxPasswords(dir.str(), "staff", Pw("boss")).empty());
    EXPECT_FALSE(fs::exists(dir.path() / "staff.VTS"));
}

TEST_F(Protected, RefusedEntriesChangeNothing) {
    Apply({Aux("clerk", rights::kReadOnly)}, {CRADD});
    const auto before = ReadBytes(dir.path() / "staff.VTS");
    struct Bad {
        SecurityDescriptor d;
        OperationCode op;
        int code;
    } bad[] = {
        {Aux("clerk", rights::kFull), CRADD, 10009},     // exists
        {Aux("nobody", 0), CRDROP, 9986},                // absent
        {Aux("odd", 5), CRADD, 9986},                    // not a rights value
        {Aux("", rights::kFull), CRADD, 9986},
        {Aux("field", rights::kFull, {7}), CRADD, 9986}, // not a field right
    };
    for (const Bad& b : bad) {
        try {
            ApplySecurityEntries(dir.str(), "staff", &b.d, &b.op, 1, Pw("boss"));
            ADD_FAILURE() << b.d.password;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), b.code) << b.d.password;
        }
    }
    EXPECT_EQ(ReadBytes(dir.path() / "staff.VTS"), before);
    // Without the master password nothing is shown or changed.
    EXPECT_THROW(ListAuxPasswords(dir.str(), "staff", Pw("clerk")), EngineError);
    EXPECT_THROW(ListAuxPasswords(dir.str(), "staff"), EngineError);
}

TEST_F(Protected, OpeningWithAnAuxiliaryPasswordHonoursItsRights) {
    Apply({Aux("clerk", rights::kReadOnly, {31, 1, 0})}, {CRADD});
    const Table t = Table::open(dir.str(), "staff", Pw("clerk"));
    const auto rows = t.readAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], Value::text("Ann"));
    EXPECT_TRUE(rows[0][2].isNull());  // hidden
    RecordReader reader = t.records();
    ASSERT_TRUE(reader.next());
    std::vector<ValueView> inPlace;
    std::vector<std::string> held;
    reader.record().views({1, 2}, inPlace, held);
    EXPECT_EQ(inPlace[0].bytes, "Ann");
    EXPECT_EQ(inPlace[1].kind, ValueKind::Null);  // hidden when read in place too
    const auto fd = t.fieldDescriptors();
    EXPECT_EQ(+fd[1].rights, 1u);
    EXPECT_EQ(+fd[2].rights, 2u);
    try {
        TableWriter::open(dir.str(), "staff", Pw("clerk"));
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kNotSufficientTableRights);
    }
    EXPECT_THROW(Table::open(dir.str(), "staff", Pw("Clerk")), EngineError);  // case matters
    EXPECT_NO_THROW(TableWriter::open(dir.str(), "staff", Pw("boss")));

    // Typed at the prompt it opens the table as given: after a wrong answer, with its rights.
    OpenOptions asked;
    std::vector<std::string> answers{"wrong", "clerk"};
    asked.askPassword = [&](const std::string&) -> std::optional<std::string> {
        if (answers.empty()) return std::nullopt;
        std::string next = answers.front();
        answers.erase(answers.begin());
        return next;
    };
    const Table prompted = Table::open(dir.str(), "staff", asked);
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(prompted.readAll()[0][2].isNull());
}

TEST_F(Protected, RekeyingFollowsTheMasterPassword) {
    Apply({Aux("clerk", rights::kReadOnly)}, {CRADD});
    const uint32_t oldSum = PasswordChecksum("boss"), newSum = PasswordChecksum("chief");
    auto bytes = RekeyedAuxStore(dir.str(), "staff", oldSum, newSum);
    ASSERT_TRUE(bytes);
    const AuxStore s = DecodeAuxStore(*bytes, newSum);
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_STREQ(s.entries[0].password, "clerk");
    EXPECT_FALSE(RekeyedAuxStore(dir.str(), "staff", oldSum, 0));  // no master: no auxiliary passwords
    EXPECT_THROW(DecodeAuxStore(*bytes, oldSum), EngineError);     // wrong key shows as damage
}

TEST_F(Protected, DamagedStoresFailCleanly) {
    Apply({Aux("clerk", rights::kReadOnly)}, {CRADD});
    const auto good = ReadBytes(dir.path() / "staff.VTS");
    for (std::size_t cut : {std::size_t(0), std::size_t(5), std::size_t(16), good.size() - 1}) {
        WriteBytes(dir.path() / "staff.VTS", std::vector<unsigned char>(good.begin(), good.begin() + long(cut)));
        EXPECT_THROW(ListAuxPasswords(dir.str(), "staff", Pw("boss")), EngineError) << cut;
        EXPECT_NO_THROW(Table::open(dir.str(), "staff", Pw("boss"))) << cut;  // the master still opens it
    }
    auto bad = good;
    bad[8] = 0xFF;  // entry count far beyond the file
    WriteBytes(dir.path() / "staff.VTS", bad);
    EXPECT_THROW(CheckAuxPassword(dir.str(), "staff", "clerk"), EngineError);
}

TEST(Security, OnlyProtectedTablesTakeAuxiliaryPasswords) {
    ScratchDir dir;
    MakeTable(dir.str(), "open", {{"Id", FLDINT32}}, 1);
    const SecurityDescriptor d = Aux("clerk", rights::kReadOnly);
    const OperationCode op = CRADD;
    EXPECT_THROW(ApplySecurityEntries(dir.str(), "open", &d, &op, 1), EngineError);
    SetStrictIntegrity(dir.str(), "open", true);
    EXPECT_TRUE(Table::open(dir.str(), "open").properties().strictIntegrity);
    SetStrictIntegrity(dir.str(), "open", false);
    EXPECT_FALSE(Table::open(dir.str(), "open").properties().strictIntegrity);
    EXPECT_FALSE(fs::exists(dir.path() / "open.VTS"));
}

}  // namespace
