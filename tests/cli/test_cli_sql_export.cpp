// vortab export --format sqlite run as a process: every fixture folder read back through
// libsqlite3 equals our JSON export and passes SQLite's integrity and foreign-key checks; checks
// and links that old records break become comments with every record kept; the command line's
// rules (-o, --force, unreadable tables); and flat memory on a larger table.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/base64.h"
#include "broken_constraints.h"
#include "cli_process.h"
#include "cli_tables.h"
#include "json_check.h"
#include "sqlite_file.h"

namespace cli_test {
namespace {

using namespace paradox;

const std::vector<std::string> kPasswords = {"--password", "123", "--password", "rparadox"};

Json ParseOrFail(const std::string& text) {
    JsonParser parser(text);
    auto json = parser.parse();
    EXPECT_TRUE(json) << parser.error() << "\n" << text.substr(0, 2000);
    return json ? *json : Json{};
}

RunResult ExportSqlite(const std::string& dir, const std::string& file, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"export", dir, "--format", "sqlite", "-o", file};
    args.insert(args.end(), kPasswords.begin(), kPasswords.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return RunVortab(args);
}

// Whether a SQLite cell holds the value our JSON export gives for it.
bool SameValue(const SqlCell& cell, const Json& json) {
    switch (json.kind) {
    case Json::Kind::Null: return cell.type == SQLITE_NULL;
    case Json::Kind::Bool: return cell.type == SQLITE_INTEGER && cell.integer == (json.boolean ? 1 : 0);
    case Json::Kind::Number:
        return (cell.type == SQLITE_INTEGER && double(cell.integer) == json.number) ||
               (cell.type == SQLITE_FLOAT && cell.real == json.number);
    case Json::Kind::String: {
        if (cell.type == SQLITE_TEXT) return cell.bytes == json.text;
        std::string base64;
        vortab::cli::AppendBase64(base64, cell.bytes);
        return cell.type == SQLITE_BLOB && base64 == json.text;
    }
    default: return false;
    }
}

std::string Describe(const SqlCell& cell) {
    switch (cell.type) {
    case SQLITE_INTEGER: return "INTEGER " + std::to_string(cell.integer);
    case SQLITE_FLOAT: return "REAL " + std::to_string(cell.real);
    case SQLITE_TEXT: return "TEXT " + cell.bytes.substr(0, 80);
    case SQLITE_BLOB: return "BLOB of " + std::to_string(cell.bytes.size()) + " bytes";
    default: return "NULL";
    }
}

void ExpectClean(SqliteFile& db) {
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.rows("PRAGMA foreign_key_check").size(), 0u) << db.error();
    EXPECT_EQ(db.error(), "");
}

// Every table of the folder: in the SQLite file with every value of our JSON export, or, when
// JSON cannot read it either, named on stderr.
void ExpectFolderMatchesJson(const std::string& dir, SqliteFile& db, const RunResult& exported) {
    std::vector<std::string> args{"info", dir, "--json"};
    args.insert(args.end(), kPasswords.begin(), kPasswords.end());
    const Json info = ParseOrFail(RunVortab(args).out);
    for (const Json& entry : info["tables"].items) {
        const std::string name = entry["name"].text;
        std::vector<std::string> jsonArgs{"export", dir, entry["file"].text, "--format", "json"};
        jsonArgs.insert(jsonArgs.end(), kPasswords.begin(), kPasswords.end());
        const RunResult json = RunVortab(jsonArgs);
        if (json.exitCode != 0) {
            EXPECT_NE(exported.err.find(entry["file"].text), std::string::npos) << name << ": " << exported.err;
            EXPECT_EQ(db.rows("SELECT 1 FROM sqlite_master WHERE name = '" + name + "'").size(), 0u) << name;
            continue;
        }
        const Json records = ParseOrFail(json.out)["records"];
        const auto rows = db.rows("SELECT * FROM \"" + name + "\" ORDER BY rowid");
        ASSERT_EQ(rows.size(), records.size()) << dir << " " << name << " " << db.error();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r].size(), records[r].size()) << name;
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                EXPECT_TRUE(SameValue(rows[r][c], records[r][c]))
                    << dir << " " << name << " record " << r << " field " << c << ": " << Describe(rows[r][c]) << " vs "
                    << (records[r][c].kind == Json::Kind::String ? records[r][c].text.substr(0, 80)
                                                                 : records[r][c].numberText);
        }
    }
}

TEST(SqliteExport, EveryFixtureFolderReadsBackAsOurJson) {
    REQUIRE_CLI_FIXTURES();
    ScratchDir out;
    for (const auto& folder : std::filesystem::recursive_directory_iterator(FixturesDir())) {
        if (!folder.is_directory()) continue;
        const std::string dir = folder.path().string();
        const std::string file = out.str() + "/" + folder.path().filename().string() + ".sqlite";
        const RunResult r = ExportSqlite(dir, file);
        // paradoxreader/ holds a table whose .MB is missing: reported, the rest exported.
        EXPECT_EQ(r.exitCode, r.err.find("8714") != std::string::npos ? 1 : 0) << dir << "\n" << r.err;
        SqliteFile db(file);
        ASSERT_EQ(db.error(), "") << file;
        ExpectClean(db);
        ExpectFolderMatchesJson(dir, db, r);
    }
}

// What the schema says for the fixtures' keys, indexes, checks, links and autoincrements.
TEST(SqliteExport, SchemaKeepsKeysChecksLinksAndCounters) {
    REQUIRE_CLI_FIXTURES();
    ScratchDir out;
    const struct {
        const char* folder;
        const char* table;
        std::vector<std::string> pieces;
    } cases[] = {
        {"paradoxdriver/joins",
         "C",
         {"\"A\" INTEGER NOT NULL", "PRIMARY KEY (\"C\")",
          "FOREIGN KEY (\"A\") REFERENCES \"A\" (\"A\") ON UPDATE CASCADE ON DELETE RESTRICT"}},
        {"paradoxdriver/joins", "C_A", {"CREATE INDEX \"C_A\" ON \"C\""}},
        {"paradoxdriver/joins", "fk4", {"FOREIGN KEY (\"FK1\", \"FK\") REFERENCES \"two\" (\"ID1\", \"ID2\")"}},
        {"paradoxdriver/joins", "multiple", {"\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT", "-- picture"}},
        {"paradoxdriver/joins", "joinb", {"-- lookup in"}},
        {"paradoxdriver/fields", "logical", {"\"BOOL\" INTEGER NOT NULL DEFAULT 1 CHECK (\"BOOL\" IN (0, 1))"}},
        {"paradoxdriver/fields", "bcd", {"\"A\" TEXT"}},
        {"pxlib",
         "TypSammlung",
         {"\"Alpha\" TEXT CHECK (length(\"Alpha\") <= 30), -- picture \"###-####\"", "\"Datum/Zeit\" TEXT",
          "\"Binär\" BLOB", "PRIMARY KEY (\"Alpha\", \"Numerisch\")", "autoincrement, next value 6"}},
    };
    for (const auto& c : cases) {
        std::string file = out.str() + "/" + c.folder + ".sqlite";
        std::replace(file.begin() + static_cast<long>(out.str().size()) + 1, file.end(), '/', '_');
        if (!std::filesystem::exists(file)) {
            ASSERT_EQ(ExportSqlite((FixturesDir() / c.folder).string(), file).exitCode, 0);
        }
        SqliteFile db(file);
        const std::string sql = db.text("SELECT sql FROM sqlite_master WHERE name = '" + std::string(c.table) + "'");
        for (const std::string& piece : c.pieces)
            EXPECT_NE(sql.find(piece), std::string::npos) << c.table << ": " << piece << "\n" << sql;
    }
    // The sequence goes on after the header's highest value (3 in long.db).
    SqliteFile fields(out.str() + "/paradoxdriver_fields.sqlite");
    EXPECT_EQ(fields.text("SELECT seq FROM sqlite_sequence WHERE name = 'long'"), "3");
}

// Old records that break a check, a required field or a link: every record is exported, the
// constraint is a comment, and stderr names it with the number of records.
TEST(SqliteExport, ConstraintsThatRecordsBreakBecomeComments) {
    REQUIRE_CLI_FIXTURES();
    ScratchDir dir, out;
    MakeBrokenConstraintsDatabase(dir.str());
    if (HasFatalFailure()) return;
    const std::string file = out.str() + "/c.sqlite";
    const RunResult r = ExportSqlite(dir.str(), file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* message : {"C: A required is broken by 1 record; written as a comment",
                                "C: minimum of B is broken by 1 record; written as a comment",
                                "C: link \"Reference A\" to A is broken by 1 record; written as a comment"})
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    SqliteFile db(file);
    ExpectClean(db);
    EXPECT_EQ(db.text("SELECT count(*) FROM \"C\""), "5");
    const std::string sql = db.text("SELECT sql FROM sqlite_master WHERE name = 'C'");
    for (const char* piece : {"\"A\" INTEGER, -- A required left out (1 record breaks it)", "CHECK (\"B\" <= 100)",
                              "-- minimum of B left out", "FOREIGN KEY (\"B\") REFERENCES \"B\"",
                              "-- link \"Reference A\" to A left out: 1 record holds values the master does not"})
        EXPECT_NE(sql.find(piece), std::string::npos) << piece << "\n" << sql;

    // Only C chosen: its links have no master to point to.
    const std::string alone = out.str() + "/alone.sqlite";
    ASSERT_EQ(ExportSqlite(dir.str(), alone, {"c"}).exitCode, 0);
    SqliteFile single(alone);
    EXPECT_EQ(single.text("SELECT group_concat(name) FROM sqlite_master WHERE type = 'table'"), "C");
    EXPECT_NE(single.text("SELECT sql FROM sqlite_master WHERE name = 'C'")
                  .find("-- link \"Reference B\" to B left out: the master table is not among the "
                        "exported tables"),
              std::string::npos);

    // B damaged: named on stderr (exit 1), the rest written, C's link to it a comment.
    std::filesystem::resize_file(dir.str() + "/B.db", 10);
    const std::string damaged = out.str() + "/damaged.sqlite";
    const RunResult r2 = ExportSqlite(dir.str(), damaged);
    EXPECT_EQ(r2.exitCode, 1);
    EXPECT_NE(r2.err.find("B.db: 8961 "), std::string::npos) << r2.err;
    SqliteFile rest(damaged);
    ExpectClean(rest);
    EXPECT_EQ(rest.text("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type "
                        "= 'table' ORDER BY name)"),
              "A,C");
    EXPECT_NE(rest.text("SELECT sql FROM sqlite_master WHERE name = 'C'")
                  .find("-- link \"Reference B\" to B left out: the master table cannot be read"),
              std::string::npos);
}

// A blank in a single integer key, which SQLite would turn into a rowid of its own: the table is
// written again without its key, and says why.
TEST(SqliteExport, BlankIntegerKeyIsKeptBlank) {
    ScratchDir dir, out;
    CreateTable(dir.str(), "k", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 0, 10}}, 1);
    InsertRows(dir.str(), "k", {{Value::null(), Value::text("blank")}, {Value::integer(7), Value::text("seven")}});
    const std::string file = out.str() + "/k.sqlite";
    const RunResult r = ExportSqlite(dir.str(), file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("k: the primary key (a blank key field) is broken by 1 record"), std::string::npos) << r.err;
    SqliteFile db(file);
    ExpectClean(db);
    EXPECT_EQ(db.text("SELECT coalesce(\"Id\", 'NULL') || ' ' || \"Name\" FROM k ORDER BY rowid"), "NULL blank\n7 seven");
    EXPECT_NE(db.text("SELECT sql FROM sqlite_master WHERE name = 'k'").find("-- primary key left out: a key field is blank in 1 record"),
              std::string::npos);
}

TEST(SqliteExport, CommandLineRules) {
    ScratchDir dir, out;
    CreateTable(dir.str(), "t", {{"A", FLDINT16}});
    InsertRows(dir.str(), "t", {{Value::integer(1)}});
    const std::string file = out.str() + "/t.sqlite";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"export", dir.str(), "--format", "sqlite"}, 2, "needs DATABASE and -o FILE"},
        {{"export", "--format", "postgres", "-o", file}, 2, "needs DATABASE and -o FILE"},
        {{"export", dir.str(), "--format", "sqlite", "-o", file, "--bogus"}, 2, "unknown option --bogus"},
        {{"export", dir.str(), "--format", "sqlite", "-o", file, "nothere"}, 1, "nothere: 10024 "},
        {{"export", dir.str() + "/missing", "--format", "sqlite", "-o", file}, 1, "vortab export: "},
    };
    for (const auto& c : cases) {
        const RunResult r = RunVortab(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    std::filesystem::remove(file);
    ASSERT_EQ(RunVortab({"export", dir.str(), "--format", "sqlite", "-o", file}).exitCode, 0);
    // An existing file is kept unless --force replaces it; no temporary is left beside it.
    InsertRows(dir.str(), "t", {{Value::integer(2)}});
    const RunResult refused = RunVortab({"export", dir.str(), "--format", "sqlite", "-o", file});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("exists; --force replaces it"), std::string::npos) << refused.err;
    EXPECT_EQ(SqliteFile(file).text("SELECT count(*) FROM t"), "1");
    ASSERT_EQ(RunVortab({"export", dir.str(), "--format", "sqlite", "-o", file, "--force"}).exitCode, 0);
    EXPECT_EQ(SqliteFile(file).text("SELECT count(*) FROM t"), "2");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.str()), {}), 1);
}

TEST(SqliteExport, MemoryStaysFlatOnALargerTable) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "peak memory is not meaningful under the address sanitizer";
#endif
    ScratchDir dir, out;
    CreateTable(dir.str(), "big", {{"Id", FLDINT32}, {"Text", FLDZSTRING, 0, 60}, {"Memo", FLDBLOB, FLDSTMEMO, 1}}, 1);
    InsertRowsInChild(dir.str(), "big", 0, 1000);
    const RunResult small = RunVortab({"export", dir.str(), "--format", "sqlite", "-o", out.str() + "/small.sqlite"});
    ASSERT_EQ(small.exitCode, 0) << small.err;
    InsertRowsInChild(dir.str(), "big", 1000, 29000);
    const RunResult large = RunVortab({"export", dir.str(), "--format", "postgres", "-o", out.str() + "/large.sql"});
    ASSERT_EQ(large.exitCode, 0) << large.err;
    const RunResult largeSqlite =
        RunVortab({"export", dir.str(), "--format", "sqlite", "-o", out.str() + "/large.sqlite"});
    ASSERT_EQ(largeSqlite.exitCode, 0) << largeSqlite.err;
    // 30 times the records (about 8 MB), about the same peak: records are streamed. SQLite's page
    // cache (2 MB by default) is the part that may grow.
    EXPECT_LT(large.maxRssKb, small.maxRssKb + 2048) << small.maxRssKb << " KB vs " << large.maxRssKb << " KB";
    EXPECT_LT(largeSqlite.maxRssKb, small.maxRssKb + 4096)
        << small.maxRssKb << " KB vs " << largeSqlite.maxRssKb << " KB";
    SqliteFile db(out.str() + "/large.sqlite");
    EXPECT_EQ(db.text("SELECT count(*) FROM big"), "30000");
    EXPECT_EQ(db.text("SELECT length(\"Memo\") FROM big WHERE \"Id\" = 29999"), "200");
}

}  // namespace
}  // namespace cli_test
