// vortab export --format postgres loaded by psql into a real PostgreSQL server started here:
// every fixture folder loads without an error, and every table holds our JSON export's records
// (counts, and the values of a sample of rows) and the autoincrement goes on from the header;
// constraints that records break are left out while the others hold. Skipped where the server
// is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/base64.h"
#include "broken_constraints.h"
#include "cli_process.h"
#include "cli_tables.h"
#include "json_check.h"
#include "postgres_server.h"

namespace cli_test {
namespace {

using namespace paradox;

const std::vector<std::string> kPasswords = {"--password", "123", "--password", "rparadox"};

std::optional<Json> Parse(const std::string& text) {
    return JsonParser(text).parse();
}

// Bytes from PostgreSQL's "\x0a1b..." form of bytea.
std::string FromHex(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 2; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

// A time or timestamp without a zero fraction, as PostgreSQL writes it; a year before 1 as
// PostgreSQL writes it ("-0001-12-31" is "0002-12-31 BC").
std::string AsPostgresWrites(std::string text) {
    if (text.find(':') != std::string::npos && text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (!text.empty() && text[0] == '-' && text.size() >= 5) {
        char year[16];
        std::snprintf(year, sizeof year, "%04d", 1 + std::atoi(text.c_str() + 1));
        text = year + text.substr(5) + " BC";
    }
    return text;
}

// Whether PostgreSQL's row_to_json form of a column holds the value our JSON export gives.
bool SameValue(const Json& ours, const Json& theirs, bool formattedMemo) {
    switch (ours.kind) {
    case Json::Kind::Null: return theirs.isNull();
    case Json::Kind::Bool: return theirs.kind == Json::Kind::Bool && theirs.boolean == ours.boolean;
    case Json::Kind::Number: return theirs.kind == Json::Kind::Number && theirs.number == ours.number;
    case Json::Kind::String: break;
    default: return false;
    }
    if (theirs.kind == Json::Kind::Number) return theirs.numberText == ours.text;  // BCD as numeric
    if (theirs.kind != Json::Kind::String) return false;
    if (theirs.text.rfind("\\x", 0) == 0) {
        std::string base64;
        vortab::cli::AppendBase64(base64, FromHex(theirs.text));
        return base64 == ours.text || formattedMemo;  // a formatted memo keeps its bytes undecoded
    }
    return theirs.text == ours.text || theirs.text == AsPostgresWrites(ours.text);
}

// Every table of the folder that our JSON export reads: the same number of rows, and a sample
// of them (about 20 per table, first and last included) with the same values.
void ExpectTablesMatchJson(const PostgresServer& server, const std::string& database, const std::string& dir) {
    std::vector<std::string> args{"info", dir, "--json"};
    args.insert(args.end(), kPasswords.begin(), kPasswords.end());
    const std::optional<Json> info = Parse(RunVortab(args).out);
    ASSERT_TRUE(info);
    for (const Json& entry : (*info)["tables"].items) {
        std::vector<std::string> jsonArgs{"export", dir, entry["file"].text, "--format", "json"};
        jsonArgs.insert(jsonArgs.end(), kPasswords.begin(), kPasswords.end());
        const std::optional<Json> ours = Parse(RunVortab(jsonArgs).out);
        if (!ours) continue;  // unreadable: reported by the export (checked for SQLite)
        const std::string name = entry["name"].text;
        const RunResult rows = server.query(database, "SELECT row_to_json(t) FROM \"" + name + "\" t");
        ASSERT_EQ(rows.exitCode, 0) << name << ": " << rows.err;
        std::vector<std::string> lines;
        std::istringstream in(rows.out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        const Json& records = (*ours)["records"];
        ASSERT_EQ(lines.size(), records.size()) << dir << " " << name;
        const std::size_t step = std::max<std::size_t>(1, lines.size() / 20);
        for (std::size_t r = 0; r < lines.size();
             r += (r + step < lines.size() || r + 1 == lines.size()) ? step : lines.size() - 1 - r) {
            const std::optional<Json> theirs = Parse(lines[r]);
            ASSERT_TRUE(theirs) << lines[r];
            ASSERT_EQ(theirs->size(), records[r].size()) << name;
            for (std::size_t c = 0; c < records[r].size(); ++c) {
                const bool formattedMemo = (*ours)["fields"][c]["subtype"].text == "FLDSTFMTMEMO";
                EXPECT_TRUE(SameValue(records[r][c], theirs->members[c].second, formattedMemo))
                    << dir << " " << name << " row " << r << " column " << c << ": " << lines[r].substr(0, 300);
            }
        }
    }
}

class PostgresExport : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server_.running()) GTEST_SKIP() << server_.reason();
    }

    // Exports dir to a script, loads it into a new database and returns that database's name.
    std::string Load(const std::string& dir, const std::vector<std::string>& extra = {}) {
        const std::string database = "db" + std::to_string(databases_++);
        const std::string script = out_.str() + "/" + database + ".sql";
        std::vector<std::string> args{"export", dir, "--format", "postgres", "-o", script};
        args.insert(args.end(), kPasswords.begin(), kPasswords.end());
        args.insert(args.end(), extra.begin(), extra.end());
        exported_ = RunVortab(args);
        EXPECT_LE(exported_.exitCode, 1) << exported_.err;
        EXPECT_EQ(server_.query("postgres", "CREATE DATABASE " + database).exitCode, 0);
        const RunResult loaded = server_.psql(database, {"-f", script});
        EXPECT_EQ(loaded.exitCode, 0) << dir << ": " << loaded.err;
        return database;
    }

    PostgresServer server_;
    ScratchDir out_;
    RunResult exported_;
    int databases_ = 0;
};

TEST_F(PostgresExport, EveryFixtureFolderLoadsWithOurJsonValues) {
    REQUIRE_CLI_FIXTURES();
    for (const auto& folder : std::filesystem::recursive_directory_iterator(FixturesDir())) {
        if (!folder.is_directory()) continue;
        const std::string database = Load(folder.path().string());
        ExpectTablesMatchJson(server_, database, folder.path().string());
        if (folder.path().filename() == "fields") {
            // The autoincrement goes on after the header's highest value (3).
            const RunResult r = server_.query(database, "INSERT INTO \"long\" (\"LONG\") VALUES (9) RETURNING \"Id\"");
            EXPECT_EQ(r.out, "4\n") << r.err;
        }
    }
}

TEST_F(PostgresExport, BrokenConstraintsLeftOutTheOthersHold) {
    REQUIRE_CLI_FIXTURES();
    ScratchDir dir;
    MakeBrokenConstraintsDatabase(dir.str());
    if (HasFatalFailure()) return;
    const std::string database = Load(dir.str());
    EXPECT_NE(exported_.err.find("C: minimum of B is broken by 1 record"), std::string::npos) << exported_.err;
    EXPECT_EQ(server_.query(database, "SELECT count(*) FROM \"C\"").out, "5\n");
    const struct {
        const char* sql;
        bool accepted;
    } cases[] = {
        {"INSERT INTO \"C\" VALUES (20, NULL, 6)", true},    // A's NOT NULL left out
        {"INSERT INTO \"C\" VALUES (21, 1, 4)", true},       // the minimum left out
        {"INSERT INTO \"C\" VALUES (22, 1, 500)", false},    // the maximum holds
        {"INSERT INTO \"C\" VALUES (23, 1, 12345)", false},  // so does the link to B
        {"INSERT INTO \"C\" VALUES (1, 1, 6)", false},       // and the key
    };
    for (const auto& c : cases) EXPECT_EQ(server_.query(database, c.sql).exitCode == 0, c.accepted) << c.sql;
}

}  // namespace
}  // namespace cli_test
