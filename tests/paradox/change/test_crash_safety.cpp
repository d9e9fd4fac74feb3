// Crash safety of restructure: a child process is stopped at every step of a restructure (field
// added to a table with a primary index, secondary indexes and a .VAL; a check added without a
// rewrite; master password changed on a table with memos; repeated keys set aside) and the parent then opens the table: it is
// byte for byte the old family, or the new one with every record, and its companions agree.
#include <gtest/gtest.h>

#include "crash_harness.h"
#include "paradox/format/db_header.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/primary_index.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

using Bytes = std::map<std::string, std::vector<unsigned char>>;

// No staged file, recovery record or owner file of the table is left once it was opened (a
// key-violation table's own leftovers go when that table is opened).
void ExpectNoSwapLeftovers(const std::string& dir, const std::string& table, uint32_t step) {
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().filename().string().rfind("." + table + ".", 0), 0u) << e.path() << " left after a stop at step " << step;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The companions of a table describe its current .DB.
void ExpectCompanionsAgree(const std::string& dir, const std::string& table, uint32_t step) {
    const Table t = Table::open(dir, table);
    const uint32_t records = t.properties().recordCount;
    if (t.properties().keyFields > 0) {
        const auto px = FindTableFile(dir, table, "PX");
        ASSERT_TRUE(px) << "step " << step;
        // The .PX on disk is the one the current .DB's chain gives.
        const File db = File::openRead(t.path());
        const DbHeader h = ReadDbHeader(db, false);
        const std::string rebuilt = dir + "/rebuilt.px";
        {
            File out = File::create(rebuilt);
            WritePrimaryIndex({&db, &h, db.size(), 0, FileName(*px)}, out);
        }
        EXPECT_TRUE(ReadBytes(rebuilt) == ReadBytes(*px)) << "step " << step << ": .PX does not index the .DB";
        fs::remove(rebuilt);
    }
    if (auto val = ReadValFile(dir, table)) {
        EXPECT_FALSE(val->stale) << "step " << step << ": .VAL belongs to another version of the .DB";
        EXPECT_EQ(val->fields.size(), t.schema().fields.size()) << "step " << step;
    }
    for (const auto& def : ReadSecondaryIndexDefs(dir, table))
        for (int k = 0; k < def.desc.keyFieldCount; ++k)
            EXPECT_LE(+def.desc.keyFields[k], t.schema().fields.size()) << "step " << step << " " << def.extension;
    EXPECT_EQ(t.readAll().size(), records) << "step " << step;
}

// The bytes of the table's own files (a key-violation table beside it is not part of it).
Bytes FamilyBytes(const std::string& dir, const std::string& table) {
    Bytes out;
    for (const auto& f : FamilyFiles(dir, table)) out[f.substr(f.find_last_of('/') + 1)] = ReadBytes(f);
    return out;
}

struct Scenario {
    const char* what;
    std::function<void(const std::string&)> setup;
    std::function<void(const std::string&)> op;
    std::string table;
    std::vector<std::string> oldPasswords, newPasswords;
    std::function<void(const std::string&)> checkNew = [](const std::string&) {};  // more checks of the new state
};

void RunScenario(const Scenario& s) {
    // The starting files are made once (table headers carry the time they were written) and copied.
    ScratchDir tmpl;
    s.setup(tmpl.str());
    const auto copyTemplate = [&](const std::string& dir) {
        for (const auto& e : fs::directory_iterator(tmpl.path())) fs::copy_file(e.path(), fs::path(dir) / e.path().filename());
    };
    // The old state, and the new state from one undisturbed run.
    ScratchDir ref;
    copyTemplate(ref.str());
    const Bytes oldBytes = FamilyBytes(ref.str(), s.table);
    const auto oldRows = ReadAll(ref.str(), s.table, s.oldPasswords);
    s.op(ref.str());
    const auto newRows = ReadAll(ref.str(), s.table, s.newPasswords);
    const auto newNames = FieldNames(ref.str(), s.table, s.newPasswords);
    ASSERT_FALSE(oldRows == newRows && oldBytes == FamilyBytes(ref.str(), s.table));

    uint32_t sawOld = 0, sawNew = 0;
    const CrashOutcome outcome = KillAtEveryStep(copyTemplate, s.op, [&](const std::string& dir, uint32_t step) {
        // Opening runs recovery; then the directory is either the old family, byte for byte, or the new table.
        bool isOld = false;
        try {
            Table::open(dir, s.table, {s.oldPasswords, {}});
            isOld = FamilyBytes(dir, s.table) == oldBytes;
        } catch (const EngineError&) {
        }
        ExpectNoSwapLeftovers(dir, s.table, step);
        if (isOld) {
            ++sawOld;
            return;
        }
        ++sawNew;
        EXPECT_TRUE(ReadAll(dir, s.table, s.newPasswords) == newRows) << s.what << ": step " << step;
        EXPECT_EQ(FieldNames(dir, s.table, s.newPasswords), newNames) << s.what << ": step " << step;
        if (s.newPasswords.empty()) ExpectCompanionsAgree(dir, s.table, step);
        s.checkNew(dir);
    });
    EXPECT_TRUE(outcome.completed) << s.what;
    EXPECT_GT(sawOld, 3u) << s.what;
    EXPECT_GT(sawNew, 1u) << s.what;
}

void CopyJoins(const std::string& dir) {
    for (const char* t : {"A", "B", "C"}) CopyFamily("paradoxdriver/joins", t, dir);
}

void MakeMemoTable(const std::string& dir, const std::string& password) {
    DescriptorBuilder b("MEMOS");
    b.field("Id", FLDINT32).field("Text", FLDBLOB, FLDSTMEMO, 5).field("Note", FLDZSTRING, 0, 12).option("LEVEL", "7");
    if (!password.empty()) b.password(password);
    createTable(dir, b.descriptor(), {1, false});
    OpenOptions o;
    if (!password.empty()) o.passwords.push_back(password);
    TableWriter w = TableWriter::open(dir, "MEMOS", o);
    for (int i = 1; i <= 60; ++i)
        w.insert({Value::integer(i), Value::text(std::string(i * 50, char('A' + i % 26))), Value::text("n" + std::to_string(i))});
    w.commit();
}

TEST(CrashSafety, RestructureWithIndexesAndValidityFile) {
    REQUIRE_FIXTURES();
    RunScenario({"add a field to C",
                 [](const std::string& dir) { CopyJoins(dir); },
                 [](const std::string& dir) { Request(dir, "C").add("Added", FLDZSTRING, 0, 8).run(dir); },
                 "C",
                 {},
                 {}});
}

// A check every record meets changes the .VAL alone: after any stop the data and index files
// keep their bytes, and the .VAL is the old one or the new one.
TEST(CrashSafety, CheckAddedWithoutRewrite) {
    auto dataFiles = std::make_shared<Bytes>();
    const auto dataOnly = [](const std::string& dir) {
        Bytes b = FamilyBytes(dir, "ORDERS");
        b.erase("ORDERS.VAL");
        return b;
    };
    RunScenario({"add a validity check every record meets",
                 [=](const std::string& dir) {
                     DescriptorBuilder b("ORDERS");
                     b.field("Id", FLDINT32).field("Name", FLDZSTRING, 0, 20).field("Qty", FLDINT16).option("LEVEL", "7");
                     createTable(dir, b.descriptor(), {1, false});
                     TableWriter w = TableWriter::open(dir, "ORDERS");
                     for (int i = 1; i <= 400; ++i) w.insert({Value::integer(i), Value::text("n" + std::to_string(i % 37)), Value::integer(i % 9)});
                     w.commit();
                     AddFieldIndex(dir, "ORDERS", 2);
                     ValidityCheckDescriptor qty{};
                     qty.fieldNumber = 3;
                     qty.required = 1;
                     Request(dir, "ORDERS").check(qty, CRADD).run(dir);  // the table has a .VAL already
                     *dataFiles = dataOnly(dir);
                 },
                 [](const std::string& dir) {
                     ValidityCheckDescriptor name{};
                     name.fieldNumber = 2;
                     name.required = 1;
                     Request(dir, "ORDERS").check(name, CRADD).run(dir);
                 },
                 "ORDERS",
                 {},
                 {},
                 [=](const std::string& dir) {
                     EXPECT_TRUE(dataOnly(dir) == *dataFiles);
                     EXPECT_EQ(ReadValFile(dir, "ORDERS")->checks.size(), 2u);
                 }});
}

TEST(CrashSafety, MasterPasswordChange) {
    RunScenario({"change the password",
                 [](const std::string& dir) { MakeMemoTable(dir, "old"); },
                 [](const std::string& dir) { Request::NoFields("MEMOS").password("new").run(dir, nullptr, {"old"}); },
                 "MEMOS",
                 {"old"},
                 {"new"}});
}

TEST(CrashSafety, RestructureSettingRecordsAside) {
    RunScenario({"drop a key field so that keys repeat",
                 [](const std::string& dir) {
                     DescriptorBuilder b("MEMOS");
                     b.field("Id", FLDINT32).field("Sub", FLDINT16).field("Text", FLDBLOB, FLDSTMEMO, 5).option("LEVEL", "7");
                     createTable(dir, b.descriptor(), {2, false});
                     TableWriter w = TableWriter::open(dir, "MEMOS");
                     for (int i = 1; i <= 60; ++i)
                         w.insert({Value::integer(i / 3), Value::integer(i % 3), Value::text(std::string(i * 40, char('a' + i % 26)))});
                     w.commit();
                 },
                 [](const std::string& dir) {
                     char kv[kKeyViolNameSize] = {};
                     Request(dir, "MEMOS").drop("Sub").run(dir, kv);
                 },
                 "MEMOS",
                 {},
                 {},
                 [](const std::string& dir) { EXPECT_EQ(ReadAll(dir, "KEYVIOL").size(), 39u); }});
}

}  // namespace
