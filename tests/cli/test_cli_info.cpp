// vortab info run as a process: structure of fixture tables (level, block size, counts, code
// page, indexes, checks, links), every field type of a table made here, text and JSON forms,
// table names without regard to case, passwords, and the failures' exit codes and messages.
#include <set>

#include <gtest/gtest.h>

#include "cli_process.h"
#include "cli_tables.h"
#include "json_check.h"

namespace cli_test {
namespace {

using namespace paradox;

Json ParseOrFail(const std::string& text) {
    JsonParser parser(text);
    auto json = parser.parse();
    EXPECT_TRUE(json) << parser.error() << "\n" << text.substr(0, 2000);
    return json ? *json : Json{};
}

std::string Fixture(const std::string& sub) { return (FixturesDir() / sub).string(); }

TEST(CliInfo, FixturePropertiesAsJson) {
    REQUIRE_CLI_FIXTURES();
    const struct {
        const char* dir;
        const char* table;  // as a user might type it
        const char* file;
        int level, blockSize, records, fields, keyFields, codePage;
        int textCodePage;  // the header's, else the language driver's, else Windows-1252
        int indexes;
    } cases[] = {
        {"paradoxdriver/db", "customer", "CUSTOMER.DB", 7, 2048, 20, 10, 1, 1252, 1252, 2},
        {"paradoxdriver/db", "Orders.db", "ORDERS.DB", 7, 2048, 224, 11, 1, 437, 437, 1},
        {"paradoxdriver/db", "roman8", "ROMAN8.db", 4, 2048, 1, 1, 0, 0, 1252, 0},
        {"paradoxdriver/areas", "AREACODE", "AREACODE.DB", 3, 1024, 239, 6, 0, 0, 850, 0},
        {"paradoxdriver/geog", "county.DB", "County.DB", 7, 16384, 3218, 4, 1, 437, 437, 1},
        {"paradoxdriver/fields", "BCD", "bcd.db", 5, 2048, 3, 3, 0, 850, 850, 0},
        {"paradoxdriver/joins", "c", "C.DB", 5, 2048, 3, 3, 1, 1252, 1252, 3},
        {"rparadox", "of_cp866", "of_cp866.db", 4, 2048, 2197, 19, 0, 866, 866, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + "/" + c.table);
        const RunResult r = RunVortab({"info", Fixture(c.dir), c.table, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Json doc = ParseOrFail(r.out);
        ASSERT_EQ(doc["tables"].size(), 1u);
        const Json& t = doc["tables"][0];
        EXPECT_EQ(t["file"].text, c.file);
        EXPECT_EQ(t["level"].number, c.level);
        EXPECT_EQ(t["blockSize"].number, c.blockSize);
        EXPECT_EQ(t["recordCount"].number, c.records);
        EXPECT_EQ(t["fields"].size(), std::size_t(c.fields));
        EXPECT_EQ(t["keyFields"].number, c.keyFields);
        EXPECT_EQ(t["codePage"].number, c.codePage);
        EXPECT_EQ(t["textCodePage"].number, c.textCodePage);
        EXPECT_EQ(t["indexes"].size(), std::size_t(c.indexes));
        EXPECT_FALSE(t["protected"].boolean);
    }
}

// Every table of every fixture set (all written by Paradox) is shown, with no warning about its
// index files or .VAL.
TEST(CliInfo, EveryFixtureTableWithoutWarnings) {
    REQUIRE_CLI_FIXTURES();
    std::set<fs::path> folders;
    std::size_t expected = 0;
    for (const auto& e : fs::recursive_directory_iterator(FixturesDir())) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".db" && ext != ".DB")) continue;
        folders.insert(e.path().parent_path());
        ++expected;
    }
    std::size_t shown = 0;
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.string());
        const RunResult r = RunVortab({"info", folder.string(), "--json", "--password", "123", "--password", "rparadox"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Json info = ParseOrFail(r.out);  // kept alive: the loop walks into it
        for (const Json& t : info["tables"].items) {
            ++shown;
            EXPECT_EQ(t["warnings"].size(), 0u) << t["file"].text << ": " << (t["warnings"].size() ? t["warnings"][0].text : "");
        }
    }
    EXPECT_EQ(shown, expected);
}

TEST(CliInfo, ChecksLinksAndSecondaryIndexes) {
    REQUIRE_CLI_FIXTURES();
    const RunResult r = RunVortab({"info", Fixture("paradoxdriver/joins"), "MULTIPLE", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json t = ParseOrFail(r.out)["tables"][0];

    ASSERT_EQ(t["indexes"].size(), 3u);
    EXPECT_TRUE(t["indexes"][0]["primary"].boolean);
    EXPECT_EQ(t["indexes"][0]["fields"][0].text, "ID");
    EXPECT_EQ(t["indexes"][1]["name"].text, "FK");
    EXPECT_FALSE(t["indexes"][1]["unique"].boolean);

    ASSERT_EQ(t["checks"].size(), 2u);
    EXPECT_EQ(t["checks"][0]["field"].text, "FK");
    EXPECT_TRUE(t["checks"][0]["required"].boolean);
    EXPECT_EQ(t["checks"][0]["minimumKind"].text, "none");
    EXPECT_TRUE(t["checks"][0]["minimum"].isNull());
    EXPECT_EQ(t["checks"][1]["field"].text, "A");
    EXPECT_EQ(t["checks"][1]["picture"].text, "[(*3{#}) ]*3{#}-*4{#}");

    const struct {
        const char* name;
        const char* kind;
        const char* other;
        const char* field;
    } links[] = {
        {"fk2", "dependent", "primary.db", "FK2"},
        {"fk_multiple_primary", "dependent", "primary.db", "FK"},
        {"to_multiple", "master", "to_multiple.db", "ID"},
    };
    ASSERT_EQ(t["links"].size(), std::size(links));
    for (std::size_t i = 0; i < std::size(links); ++i) {
        const Json& l = t["links"][i];
        EXPECT_EQ(l["name"].text, links[i].name);
        EXPECT_EQ(l["kind"].text, links[i].kind);
        EXPECT_EQ(l["otherTable"].text, links[i].other);
        EXPECT_EQ(l["fields"][0].text, links[i].field);
        EXPECT_EQ(l["updateRule"].text, "cascade");
        EXPECT_EQ(l["deleteRule"].text, "restrict");
    }
}

TEST(CliInfo, TextFormShowsTheSameStructure) {
    REQUIRE_CLI_FIXTURES();
    const RunResult r = RunVortab({"info", Fixture("paradoxdriver/joins"), "joinb"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* expected : {"table joinb (joinb.db)", "level 4 (file version 9), block size 2048 bytes",
                                 "code page 1252", "3 records", "protection: none",
                                 "Id: lookup joina.db (help)", "links (0):"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
}

TEST(CliInfo, AllTablesOfTheDirectoryWhenNoneNamed) {
    REQUIRE_CLI_FIXTURES();
    const RunResult r = RunVortab({"info", Fixture("paradoxdriver/joins"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> names;
    const Json doc = ParseOrFail(r.out);
    for (const Json& t : doc["tables"].items) names.insert(t["name"].text);
    const std::set<std::string> expected{"A", "B", "C", "case", "destination", "fk1", "fk2", "fk3", "fk4",
                                         "indexed", "joina", "joinb", "multiple", "origin", "paradox-ascii",
                                         "primary", "to_multiple", "two"};
    EXPECT_EQ(names, expected);
}

TEST(CliInfo, EncryptedTableNeedsItsPassword) {
    REQUIRE_CLI_FIXTURES();
    const std::string dir = Fixture("paradoxdriver/encrypt");
    RunResult r = RunVortab({"info", dir, "encrypted"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("10498"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "table encrypted (encrypted)\n  cannot be read: 10498 Insufficient table rights for operation. "
                     "Password required: encrypted.db: protected, and no password given opens it\n");

    r = RunVortab({"info", dir, "encrypted", "--password", "wrong", "--password", "123", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json t = ParseOrFail(r.out)["tables"][0];
    EXPECT_TRUE(t["protected"].boolean);
    EXPECT_EQ(t["recordCount"].number, 4);

    // A directory listing goes on past the tables it cannot open, names each with its error in
    // its place, and says so in its exit code.
    r = RunVortab({"info", dir, "--json", "--password", "123"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ParseOrFail(r.out)["tables"].size(), 3u);
    r = RunVortab({"info", dir, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    const Json tables = ParseOrFail(r.out)["tables"];
    ASSERT_EQ(tables.size(), 3u);
    for (std::size_t i = 0; i < tables.size(); ++i) EXPECT_EQ(tables[i]["error"]["code"].number, 10498);
}

TEST(CliInfo, FailuresGiveCodeTextAndExitCode) {
    ScratchDir dir;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"info", dir.str(), "nothere"}, 1, "10024"},
        {{"info", dir.str() + "/missing-dir"}, 1, "9219"},
        {{"info"}, 2, "usage"},
        {{"info", dir.str(), "--frobnicate"}, 2, "unknown option"},
    };
    for (const auto& c : cases) {
        const RunResult r = RunVortab(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    const RunResult help = RunVortab({"info", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: vortab info"), std::string::npos);
}

TEST(CliInfo, EveryFieldTypeOfATableMadeHere) {
    ScratchDir dir;
    const std::vector<FieldSpec> specs = {
        {"Name", FLDZSTRING, 0, 20},    {"Born", FLDDATE},         {"Small", FLDINT16},
        {"Big", FLDINT32},              {"Price", FLDFLOAT, FLDSTMONEY}, {"Ratio", FLDFLOAT},
        {"Flag", FLDBOOL},              {"Notes", FLDBLOB, FLDSTMEMO, 15}, {"Data", FLDBLOB, FLDSTBINARY, 0},
        {"Styled", FLDBLOB, FLDSTFMTMEMO, 0}, {"Object", FLDBLOB, FLDSTOLEOBJ, 0},
        {"Picture", FLDBLOB, FLDSTGRAPHIC, 0}, {"At", FLDTIME},    {"Stamp", FLDTIMESTAMP},
        {"Counter", FLDINT32, FLDSTAUTOINC}, {"Amount", FLDBCD, 0, 32, 2}, {"Raw", FLDBYTES, 0, 6},
    };
    CreateTable(dir.str(), "Types", specs, 0, "ancyrr");
    const RunResult r = RunVortab({"info", dir.str(), "TYPES.DB", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json t = ParseOrFail(r.out)["tables"][0];
    EXPECT_EQ(t["name"].text, "Types");
    EXPECT_EQ(t["languageDriver"].text, "ancyrr");
    EXPECT_EQ(t["codePage"].number, 1251);
    EXPECT_EQ(t["level"].number, 5);
    const struct {
        const char* type;
        const char* subtype;
        int size, decimals;
        const char* paradoxType;
    } expected[] = {
        {"FLDZSTRING", "FLDSTDEFAULT", 20, 0, "A20"}, {"FLDDATE", "FLDSTDEFAULT", 0, 0, "D"},
        {"FLDINT16", "FLDSTDEFAULT", 0, 0, "S"},      {"FLDINT32", "FLDSTDEFAULT", 0, 0, "I"},
        {"FLDFLOAT", "FLDSTMONEY", 0, 0, "$"},        {"FLDFLOAT", "FLDSTDEFAULT", 0, 0, "N"},
        {"FLDBOOL", "FLDSTDEFAULT", 0, 0, "L"},       {"FLDBLOB", "FLDSTMEMO", 15, 0, "M15"},
        {"FLDBLOB", "FLDSTBINARY", 0, 0, "B0"},       {"FLDBLOB", "FLDSTFMTMEMO", 0, 0, "F0"},
        {"FLDBLOB", "FLDSTOLEOBJ", 0, 0, "O0"},       {"FLDBLOB", "FLDSTGRAPHIC", 0, 0, "G0"},
        {"FLDTIME", "FLDSTDEFAULT", 0, 0, "T"},       {"FLDTIMESTAMP", "FLDSTDEFAULT", 0, 0, "@"},
        {"FLDINT32", "FLDSTAUTOINC", 0, 0, "+"},      {"FLDBCD", "FLDSTDEFAULT", 32, 2, "#2"},
        {"FLDBYTES", "FLDSTDEFAULT", 6, 0, "Y6"},
    };
    ASSERT_EQ(t["fields"].size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Json& f = t["fields"][i];
        SCOPED_TRACE(f["name"].text);
        EXPECT_EQ(f["name"].text, specs[i].name);
        EXPECT_EQ(f["number"].number, double(i + 1));
        EXPECT_EQ(f["type"].text, expected[i].type);
        EXPECT_EQ(f["subtype"].text, expected[i].subtype);
        EXPECT_EQ(f["size"].number, expected[i].size);
        EXPECT_EQ(f["decimals"].number, expected[i].decimals);
        EXPECT_EQ(f["paradoxType"].text, expected[i].paradoxType);
    }
}

TEST(CliInfo, KeyedTableShowsKeyFieldsAndNamesInItsCodePage) {
    ScratchDir dir;
    // "Имя" and "Код" in Windows-1251.
    CreateTable(dir.str(), "keyed", {{"\xca\xee\xe4", FLDINT32}, {"\xc8\xec\xff", FLDZSTRING, 0, 10}}, 1, "ancyrr");
    const RunResult r = RunVortab({"info", dir.str(), "KEYED"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\xD0\x9A\xD0\xBE\xD0\xB4 *"), std::string::npos) << r.out;  // Код, the key
    EXPECT_NE(r.out.find("\xD0\x98\xD0\xBC\xD1\x8F"), std::string::npos) << r.out;    // Имя
    EXPECT_NE(r.out.find("primary"), std::string::npos);
    EXPECT_NE(r.out.find("1 key field\n"), std::string::npos);
}

}  // namespace
}  // namespace cli_test
