// vortab dump and vortab diff run as processes: a dump applied to an empty directory rebuilds
// every fixture folder and the sample database (their diff shows every table unchanged), and a
// diff applied to a copy of the original database leaves no step against the current one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli_process.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using cli_test::RunResult;
using cli_test::RunVortab;

const std::string kLibrary = std::string(VORTAB_BUILD_DIR) + "/library";
const std::vector<std::string> kPasswords = {"--password", "123", "--password", "rparadox"};

std::string Example(const std::string& program) { return std::string(VORTAB_BUILD_DIR) + "/examples/" + program; }

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Applies a script with `vortab apply`, or through the library line by line where the tool has
// no apply command.
RunResult Apply(const std::string& script, const std::string& db) {
    RunResult r = RunVortab({"apply", script, db, "--no-log", "--library", kLibrary});
    if (r.exitCode == 2 && r.err.find("unknown command") != std::string::npos)
        r = cli_test::RunProgram(Example("apply_steps"), {db, script});
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

// The lines "TABLE name" of the banners, each checked to be followed by "unchanged".
int UnchangedTables(const std::string& diff) {
    const std::vector<std::string> lines = Lines(diff);
    int tables = 0;
    for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
        if (lines[i].find(" TABLE ") == std::string::npos || lines[i - 1] != ":" + std::string(78, '=')) continue;
        ++tables;
        EXPECT_EQ(lines[i + 2].find_first_not_of(' ', 1), 35u) << lines[i] << " is followed by " << lines[i + 2];
        EXPECT_NE(lines[i + 2].find("unchanged"), std::string::npos) << lines[i] << " is followed by " << lines[i + 2];
    }
    return tables;
}

class DumpDiff : public ::testing::Test {
protected:
    // The round trips need the library's table, index and check commands.
    void RequireTableCommands() {
        const std::string db = File("probe");
        ASSERT_EQ(cli_test::RunProgram(Example("make_sample_database"), {db}).exitCode, 0);
        const RunResult dump = RunVortab({"dump", db, "--library", kLibrary});
        if (dump.exitCode != 0 && dump.err.find("Cannot find command") != std::string::npos)
            GTEST_SKIP() << "the library lacks commands the scripts use: " << dump.err;
    }

    std::string Dir(const std::string& name) {
        const fs::path p = scratch_.path() / name;
        fs::create_directories(p);
        return p.string();
    }
    std::string File(const std::string& name) const { return (scratch_.path() / name).string(); }

    // dump -> apply to an empty directory -> diff; returns the number of tables compared.
    int RoundTrip(const std::string& db, const std::string& name) {
        const std::string script = File(name + ".txt"), rebuilt = Dir(name + "-rebuilt");
        const RunResult dump = RunVortab(With({"dump", db, "-o", script, "--library", kLibrary}, kPasswords));
        EXPECT_EQ(dump.exitCode, 0) << dump.err;
        const RunResult applied = Apply(script, rebuilt);
        EXPECT_EQ(applied.exitCode, 0) << applied.out << applied.err;
        const RunResult diff = RunVortab(With({"diff", db, rebuilt, "--exit-code", "--library", kLibrary}, kPasswords));
        EXPECT_EQ(diff.exitCode, 0) << diff.out << diff.err;
        return UnchangedTables(diff.out);
    }

    paradox_test::ScratchDir scratch_;
};

TEST_F(DumpDiff, WithoutLibraryBothFailWithFour) {
    const std::string db = Dir("db");
    EXPECT_EQ(RunVortab({"dump", db, "--library", File("nowhere")}).exitCode, 4);
    EXPECT_EQ(RunVortab({"diff", db, db, "--library", File("nowhere")}).exitCode, 4);
    EXPECT_EQ(RunVortab({"diff", db, "--library", kLibrary}).exitCode, 2);
}

TEST_F(DumpDiff, FixtureFoldersRebuildUnchanged) {
    RequireTableCommands();
    if (IsSkipped()) return;
    const fs::path fixtures = VORTAB_FIXTURES_DIR;
    if (!fs::exists(fixtures)) GTEST_SKIP() << "no fixtures";
    const char* folders[] = {"paradoxdriver/areas", "paradoxdriver/db", "paradoxdriver/encrypt", "paradoxdriver/fields",
                             "paradoxdriver/geog",  "paradoxdriver/joins", "paradoxreader", "paradoxreader/PCLDATA",
                             "rparadox", "pxlib"};
    for (const char* folder : folders) {
        SCOPED_TRACE(folder);
        std::string name = folder;
        for (char& c : name)
            if (c == '/') c = '-';
        const std::string copy = Dir(name);
        int tables = 0;
        for (const auto& entry : fs::directory_iterator(fixtures / folder)) {
            if (!entry.is_regular_file()) continue;
            fs::copy_file(entry.path(), fs::path(copy) / entry.path().filename());
            fs::permissions(fs::path(copy) / entry.path().filename(), fs::perms::owner_write, fs::perm_options::add);
            std::string ext = entry.path().extension().string();
            tables += ext == ".db" || ext == ".DB" || ext == ".Db";
        }
        EXPECT_EQ(RoundTrip(copy, name), tables);
    }
}

// A copy of a real composite index whose header numbers its first field 3, a field of another
// type than the index records: info warns, dump writes the index on the fields of the names it
// records (or, where the table has none, a remark), and a change is refused.
TEST_F(DumpDiff, IndexThatDoesNotMatchItsTable) {
    if (!fs::exists(VORTAB_FIXTURES_DIR)) GTEST_SKIP() << "no fixtures";
    const std::string db = Dir("mismatch");
    for (const char* stem : {"fk4", "two"}) paradox_test::CopyFamily("paradoxdriver/joins", stem, fs::path(db));
    const fs::path xg0 = fs::path(db) / "fk4.XG0";
    auto x = paradox_test::ReadBytes(xg0);
    const std::size_t numbers = 0x58 + (x[0x66] | x[0x67] << 8);
    x[numbers] = 3;
    x[0x15] = 3;
    paradox_test::WriteBytes(xg0, x);

    RunResult r = RunVortab({"info", db, "fk4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("warning: fk4.XG0: does not match the table: index field 1 (FK1, I) is numbered 3"), std::string::npos) << r.out;
    r = RunVortab({"dump", db, "fk4", "--library", kLibrary});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(" IX_ADD(\"FK4\",\"reference\",\"FK1;FK\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\r\n: fk4.XG0: does not match the table"), std::string::npos) << r.out;
    const RunResult change = RunVortab({"exec", db, "FLD_ADD(\"fk4\",\"X\",FLDINT16,FLDSTDEFAULT,0,0)", "--library", kLibrary});
    EXPECT_EQ(change.out.rfind("8965 ", 0), 0u) << change.out << change.err;

    // Its first field's name changed too: the table has no field for it, only a remark is left.
    const std::string text(x.begin(), x.end());
    x[text.find("FK1") + 2] = '9';
    paradox_test::WriteBytes(xg0, x);
    r = RunVortab({"dump", db, "fk4", "--library", kLibrary});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("\"reference\",\"FK1;FK\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(": fk4.XG0: left out"), std::string::npos) << r.out;
}

// One table of a database cut short: dump, info and diff still write every other table, name the
// damaged one with the engine's code (a remark, a JSON entry, a line on stderr) and exit 1; diff
// never turns it into a create or a drop.
TEST_F(DumpDiff, DamagedTableIsNamedAndTheRestWritten) {
    if (!fs::exists(VORTAB_FIXTURES_DIR)) GTEST_SKIP() << "no fixtures";
    const std::string good = Dir("good"), bad = Dir("bad");
    for (const char* stem : {"County", "tblAC", "tblsttes"}) {
        paradox_test::CopyFamily("paradoxdriver/geog", stem, fs::path(good));
        paradox_test::CopyFamily("paradoxdriver/geog", stem, fs::path(bad));
    }
    fs::resize_file(fs::path(bad) / "tblAC.DB", 100);
    const std::string remark = ": Table tblAC.DB cannot be read and is left out: ";

    RunResult r = RunVortab({"dump", bad, "--library", kLibrary});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    for (const char* table : {"County", "tblsttes"})
        EXPECT_NE(r.out.find("TBL_CREATE(\"" + std::string(table) + "\""), std::string::npos) << table << "\n" << r.out;
    const std::size_t at = r.out.find(remark);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string code = r.out.substr(at + remark.size(), 4);
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
    EXPECT_NE(r.err.find("tblAC.DB: " + code + " "), std::string::npos) << r.err;

    r = RunVortab({"info", bad, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("{\"name\":\"tblAC\",\"file\":\"tblAC.DB\",\"error\":{\"code\":" + code + ",\"message\":\""),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name\":\"County\""), std::string::npos);

    for (const auto& [original, current, prefix] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {good, bad, ": "}, {bad, good, ": Original: "}}) {
        for (const bool exitCode : {false, true}) {
            std::vector<std::string> args{"diff", original, current, "--library", kLibrary};
            if (exitCode) args.push_back("--exit-code");
            r = RunVortab(args);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_NE(r.out.find(prefix + remark.substr(2)), std::string::npos) << r.out;
            EXPECT_EQ(r.out.find("TBL_DROP"), std::string::npos) << r.out;
            EXPECT_EQ(r.out.find("TBL_CREATE"), std::string::npos) << r.out;
            EXPECT_EQ(UnchangedTables(r.out), 2) << r.out;
            EXPECT_NE(r.err.find("tblAC.DB: " + code + " "), std::string::npos) << r.err;
        }
    }
    r = RunVortab({"diff", good, bad, "--table", "tblAC", "--library", kLibrary});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(": Table tblAC"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("TBL_CREATE"), std::string::npos) << r.out;
}

TEST_F(DumpDiff, SampleDatabaseRebuildsUnchanged) {
    RequireTableCommands();
    if (IsSkipped()) return;
    const std::string db = File("sample");
    ASSERT_EQ(cli_test::RunProgram(Example("make_sample_database"), {db}).exitCode, 0);
    EXPECT_EQ(RoundTrip(db, "sample"), 2);
    const RunResult one = RunVortab({"dump", db, "orders", "--library", kLibrary});
    EXPECT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out.rfind(":" + std::string(78, '=') + "\r\n", 0), 0u);  // chosen tables: no header
    EXPECT_EQ(one.out.find("TBL_CREATE(\"CUSTOMER\""), std::string::npos);
}

// The original: the sample database and a table the current one drops.
const char* kOriginalSteps = R"( TBL_CREATE("OLDTAB","ascii",7,"Key",FLDINT32,FLDSTDEFAULT,0,0)
)";

const char* kCurrentSteps = R"( FLD_ADD("CUSTOMER","Phone",FLDZSTRING,FLDSTDEFAULT,15,0)
 FLD_CHANGE("CUSTOMER","City","Town",FLDNOCHANGE,FLDSTNOCHANGE,30,-1)
 FLD_MOVE("CUSTOMER","Phone",2)
 IX_ADD("CUSTOMER","ByName","NAME","",CIS)
 FLD_DROP("ORDERS","Placed")
 FLD_CHANGE("ORDERS","Amount","",FLDFLOAT,FLDSTDEFAULT,-1,-1)
 IX_DROP("ORDERS","CustId")
 IX_ADD("ORDERS","Cust","CUSTID","",IXOPTDEFAULT)
 VCHK_ADD("ORDERS","AMOUNT",VCHKTRUE,VCHKFALSE,VCHKFALSE,0,0,0,"",TRUE)
 RI_ADD("ORDERS","CUSTID","CUSTOMER","Id","OrdCust",RESTRICT)
 TBL_SETATTR("ORDERS",BLOCK_SIZE,4096)
 TBL_CREATE("NOTES","ascii",7,"Id",FLDINT32,FLDSTDEFAULT,0,0)
 FLD_ADD("NOTES","Text",FLDBLOB,FLDSTMEMO,20,0)
 TBL_DROP("OLDTAB")
)";

TEST_F(DumpDiff, AppliedDiffLeavesNoStep) {
    RequireTableCommands();
    if (IsSkipped()) return;
    const std::string original = File("original"), current = File("current");
    ASSERT_EQ(cli_test::RunProgram(Example("make_sample_database"), {original}).exitCode, 0);
    WriteFile(File("original.txt"), kOriginalSteps);
    ASSERT_EQ(Apply(File("original.txt"), original).exitCode, 0);
    fs::copy(original, current);
    WriteFile(File("current.txt"), kCurrentSteps);
    const RunResult built = Apply(File("current.txt"), current);
    ASSERT_EQ(built.exitCode, 0) << built.out << built.err;

    for (const char* matching : {"--no-invariant", "--invariant"}) {
        SCOPED_TRACE(matching);
        const std::string copy = File(std::string("copy") + matching), script = File(std::string("diff") + matching);
        fs::copy(original, copy);
        const RunResult diff = RunVortab({"diff", original, current, matching, "-o", script, "--exit-code", "--library", kLibrary});
        EXPECT_EQ(diff.exitCode, 1) << diff.err;
        const RunResult applied = Apply(script, copy);
        EXPECT_EQ(applied.exitCode, 0) << applied.out << applied.err << cli_test::Slurp(script);
        const RunResult again = RunVortab({"diff", copy, current, matching, "--exit-code", "--library", kLibrary});
        EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    }
    const RunResult table = RunVortab({"diff", original, current, "--table", "customer", "--no-invariant", "--library", kLibrary});
    EXPECT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find(" FLD_MOVE(\"CUSTOMER\",\"Name\",3)\r\n"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("ORDERS"), std::string::npos);
    const RunResult added = RunVortab({"diff", original, current, "--table", "notes", "--library", kLibrary});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_NE(added.out.find("TABLE NOTES not found in source database"), std::string::npos) << added.out;
}

}  // namespace
