// vortab export run as a process: exact JSON and CSV of tables made here with every field type,
// RFC 4180 quoting, blobs left out of CSV, code-page decoding, fixture contents, passwords,
// failures, and flat memory on a larger table.
#include <gtest/gtest.h>

#include "cli_process.h"
#include "cli_tables.h"
#include "json_check.h"

namespace cli_test {
namespace {

using namespace paradox;

std::string Fixture(const std::string& sub) { return (FixturesDir() / sub).string(); }

Json ParseOrFail(const std::string& text) {
    JsonParser parser(text);
    auto json = parser.parse();
    EXPECT_TRUE(json) << parser.error() << "\n" << text.substr(0, 2000);
    return json ? *json : Json{};
}

double Stamp(int y, unsigned m, unsigned d, int ms) { return double(DaysFromCivil(y, m, d)) * 86400000.0 + ms; }

// A table with one field of every type, one full record and one blank record.
void MakeAllTypes(const std::string& dir) {
    CreateTable(dir, "all",
                {{"Name", FLDZSTRING, 0, 20}, {"Born", FLDDATE}, {"Small", FLDINT16}, {"Big", FLDINT32},
                 {"Price", FLDFLOAT, FLDSTMONEY}, {"Ratio", FLDFLOAT}, {"Flag", FLDBOOL},
                 {"Notes", FLDBLOB, FLDSTMEMO, 5}, {"Data", FLDBLOB, FLDSTBINARY, 0}, {"At", FLDTIME},
                 {"Stamp", FLDTIMESTAMP}, {"Counter", FLDINT32, FLDSTAUTOINC}, {"Amount", FLDBCD, 0, 32, 2},
                 {"Raw", FLDBYTES, 0, 3}},
                0, "ANSIINTL");
    InsertRows(dir, "all",
               {{Value::text("Caf\xe9, \"Bar\""), Value::date(DaysFromCivil(1999, 12, 31)), Value::integer(-7),
                 Value::integer(2000000000), Value::number(12.5), Value::number(0.1), Value::boolean(true),
                 Value::text("line one\r\nline two"), Value::bytes(std::string("\0\1\2", 3)), Value::time(45296789),
                 Value::timestamp(Stamp(2003, 6, 10, 40271011)), Value::null(), Value::bcd("-12.34"),
                 Value::bytes("\xff\xfe\xfd")},
                {Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
                 Value::boolean(false), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
                 Value::null(), Value::null()}});
}

TEST(CliExport, JsonOfEveryFieldType) {
    ScratchDir dir;
    MakeAllTypes(dir.str());
    const RunResult r = RunVortab({"export", dir.str(), "ALL", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        "{\"table\":\"all\",\"fields\":["
        "{\"name\":\"Name\",\"type\":\"FLDZSTRING\",\"subtype\":\"FLDSTDEFAULT\",\"size\":20,\"decimals\":0},"
        "{\"name\":\"Born\",\"type\":\"FLDDATE\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Small\",\"type\":\"FLDINT16\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Big\",\"type\":\"FLDINT32\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Price\",\"type\":\"FLDFLOAT\",\"subtype\":\"FLDSTMONEY\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Ratio\",\"type\":\"FLDFLOAT\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Flag\",\"type\":\"FLDBOOL\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Notes\",\"type\":\"FLDBLOB\",\"subtype\":\"FLDSTMEMO\",\"size\":5,\"decimals\":0},"
        "{\"name\":\"Data\",\"type\":\"FLDBLOB\",\"subtype\":\"FLDSTBINARY\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"At\",\"type\":\"FLDTIME\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Stamp\",\"type\":\"FLDTIMESTAMP\",\"subtype\":\"FLDSTDEFAULT\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Counter\",\"type\":\"FLDINT32\",\"subtype\":\"FLDSTAUTOINC\",\"size\":0,\"decimals\":0},"
        "{\"name\":\"Amount\",\"type\":\"FLDBCD\",\"subtype\":\"FLDSTDEFAULT\",\"size\":32,\"decimals\":2},"
        "{\"name\":\"Raw\",\"type\":\"FLDBYTES\",\"subtype\":\"FLDSTDEFAULT\",\"size\":3,\"decimals\":0}"
        "],\"records\":[\n"
        "[\"Caf\xC3\xA9, \\\"Bar\\\"\",\"1999-12-31\",-7,2000000000,12.5,0.1,true,"
        "\"line one\\r\\nline two\",\"AAEC\",\"12:34:56.789\",\"2003-06-10T11:11:11.011\",1,\"-12.34\",\"//79\"],\n"
        "[null,null,null,null,null,null,false,null,null,null,null,2,null,null]]}\n";
    EXPECT_EQ(r.out, expected);
    ParseOrFail(r.out);
}

TEST(CliExport, CsvQuotesAndLeavesBinaryBlobsOut) {
    ScratchDir dir;
    MakeAllTypes(dir.str());
    const RunResult r = RunVortab({"export", dir.str(), "all.db"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        "Name,Born,Small,Big,Price,Ratio,Flag,Notes,At,Stamp,Counter,Amount,Raw\r\n"
        "\"Caf\xC3\xA9, \"\"Bar\"\"\",1999-12-31,-7,2000000000,12.5,0.1,true,\"line one\r\nline two\","
        "12:34:56.789,2003-06-10T11:11:11.011,1,-12.34,//79\r\n"
        ",,,,,,false,,,,2,,\r\n";
    EXPECT_EQ(r.out, expected);
}

TEST(CliExport, CsvQuotingCases) {
    ScratchDir dir;
    CreateTable(dir.str(), "q", {{"Text", FLDZSTRING, 0, 30}, {"a,b", FLDINT16}});
    const struct {
        const char* text;
        const char* cell;
    } cases[] = {
        {"plain", "plain"},
        {"with space", "with space"},
        {"comma,inside", "\"comma,inside\""},
        {"\"quoted\"", "\"\"\"quoted\"\"\""},
        {"cr\rlf\n", "\"cr\rlf\n\""},
        {"semi;colon", "semi;colon"},
    };
    std::vector<std::vector<Value>> rows;
    for (const auto& c : cases) rows.push_back({Value::text(c.text), Value::integer(1)});
    InsertRows(dir.str(), "q", rows);
    const RunResult r = RunVortab({"export", dir.str(), "q", "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = "Text,\"a,b\"\r\n";
    for (const auto& c : cases) expected += std::string(c.cell) + ",1\r\n";
    EXPECT_EQ(r.out, expected);
}

TEST(CliExport, TextIsDecodedFromTheTablesCodePage) {
    ScratchDir dir;
    const struct {
        const char* driver;
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"cyrr", "\x8f\xe0\xa8\xa2\xa5\xe2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},  // Привет, 866
        {"ancyrr", "\xcf\xf0\xe8\xe2\xe5\xf2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},  // 1251
        {"ANSIINTL", "\xc4\xe9\x80", "\xC3\x84\xC3\xA9\xE2\x82\xAC"},                            // Äé€, 1252
        {"intl", "\x8e\x82", "\xC3\x84\xC3\xA9"},                                                // Äé, 437
        {"czech", "\xa5\xe7", "\xC4\x85\xC5\xA1"},                                               // ąš, 852
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "t" + std::to_string(n++);
        CreateTable(dir.str(), name, {{"Text", FLDZSTRING, 0, 20}, {"Memo", FLDBLOB, FLDSTMEMO, 1}}, 0, c.driver);
        InsertRows(dir.str(), name, {{Value::text(c.bytes), Value::text(c.bytes + c.bytes)}});
        const RunResult r = RunVortab({"export", dir.str(), name, "--format", "json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Json doc = ParseOrFail(r.out);
        EXPECT_EQ(doc["records"][0][0].text, c.utf8) << c.driver;
        EXPECT_EQ(doc["records"][0][1].text, c.utf8 + c.utf8) << c.driver;
    }
}

// A table written in Windows-1251 through a driver whose header names 1252: --code-page 1251 reads
// its texts as Cyrillic, without it they read as 1252; info still reports the header's page. An
// unknown page is a usage error that names the known ones.
TEST(CliExport, CodePageOptionOverridesTheHeader) {
    ScratchDir dir;
    const std::string privet = "\xcf\xf0\xe8\xe2\xe5\xf2";  // Привет in 1251
    CreateTable(dir.str(), "ru", {{"Text", FLDZSTRING, 0, 20}, {"Memo", FLDBLOB, FLDSTMEMO, 1}}, 0, "ANSIINTL");
    InsertRows(dir.str(), "ru", {{Value::text(privet), Value::text(privet)}});
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    const std::string as1252 = "\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2";  // Ïðèâåò
    for (const auto& [args, expected] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--code-page", "1251"}, cyrillic}, {{"--code-page=1251"}, cyrillic}, {{}, as1252}}) {
        std::vector<std::string> command{"export", dir.str(), "ru", "--format", "json"};
        command.insert(command.end(), args.begin(), args.end());
        const RunResult r = RunVortab(command);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Json doc = ParseOrFail(r.out);
        EXPECT_EQ(doc["records"][0][0].text, expected);
        EXPECT_EQ(doc["records"][0][1].text, expected);
    }
    const RunResult csv = RunVortab({"export", dir.str(), "ru", "--code-page", "1251"});
    EXPECT_NE(csv.out.find(cyrillic), std::string::npos) << csv.out;

    const RunResult info = RunVortab({"info", dir.str(), "ru", "--json", "--code-page", "1251"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const Json table = ParseOrFail(info.out)["tables"][0];
    EXPECT_EQ(table["codePage"].number, 1252);
    EXPECT_EQ(table["textCodePage"].number, 1251);
    EXPECT_NE(RunVortab({"info", dir.str(), "ru", "--code-page", "1251"}).out.find("code page 1252 (text read as 1251)"),
              std::string::npos);

    for (const char* command : {"info", "export", "dump", "diff"}) {
        for (const char* page : {"1255", "abc", "-1", "70000"}) {
            const RunResult r = RunVortab({command, dir.str(), "ru", "--code-page", page});
            EXPECT_EQ(r.exitCode, 2) << command << " " << page;
            EXPECT_NE(r.err.find("known pages: 437 737"), std::string::npos) << r.err;
        }
    }
}

TEST(CliExport, FixtureContents) {
    REQUIRE_CLI_FIXTURES();
    RunResult r = RunVortab({"export", Fixture("rparadox"), "typsammlung", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json doc = ParseOrFail(r.out);
    EXPECT_EQ(doc["table"].text, "TypSammlung");
    ASSERT_EQ(doc["records"].size(), 5u);
    const Json& row = doc["records"][4];  // "Zweite Zeile", in key order
    EXPECT_EQ(row[0].text, "Zweite Zeile");
    EXPECT_EQ(row[1].number, -40);
    EXPECT_EQ(row[2].number, -40);
    EXPECT_EQ(row[3].number, -40);
    EXPECT_EQ(row[5].text, "-40.000000");
    EXPECT_EQ(row[6].text, "1999-09-09");
    EXPECT_EQ(row[7].text, "11:11:11.000");
    EXPECT_EQ(row[8].text, "2003-06-10T11:11:11.000");
    EXPECT_TRUE(row[10].boolean);
    EXPECT_EQ(doc["records"][2][0].text, "F\xC3\xBCnfter Datensatz");  // Windows-1252 ü

    r = RunVortab({"export", Fixture("paradoxdriver/db"), "AREACODES"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::size_t lines = 0;
    for (std::size_t p = 0; (p = r.out.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
    EXPECT_EQ(lines, 371u);  // header and 370 records
}

TEST(CliExport, EncryptedTableWithAndWithoutPassword) {
    REQUIRE_CLI_FIXTURES();
    const std::string dir = Fixture("paradoxdriver/encrypt");
    RunResult r = RunVortab({"export", dir, "encrypted", "--format", "json"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("10498"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    r = RunVortab({"export", dir, "encrypted", "--password", "123"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Id,Text\r\n1,Value 1\r\n2,Value 2\r\n3,Value 3\r\n4,Last one\r\n");
    r = RunVortab({"export", dir, "ENCRYPTED35", "--password=123"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Test 1"), std::string::npos) << r.out;
}

TEST(CliExport, FailuresGiveCodeTextAndExitCode) {
    ScratchDir dir;
    CreateTable(dir.str(), "t", {{"A", FLDINT16}});
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"export", dir.str(), "nothere"}, 1, "10024 "},
        {{"export", dir.str(), "nothere", "--format", "json"}, 1, "10024 "},
        {{"export", dir.str(), "t", "--format", "xml"}, 2, "unknown format"},
        {{"export", dir.str()}, 2, "usage"},
        {{"export", dir.str(), "t", "extra"}, 2, "usage"},
    };
    for (const auto& c : cases) {
        const RunResult r = RunVortab(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const RunResult help = RunVortab({"export", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: vortab export"), std::string::npos);
}

TEST(CliExport, EmptyTableGivesHeaderOnlyAndEmptyRecordList) {
    ScratchDir dir;
    CreateTable(dir.str(), "empty", {{"A", FLDINT16}, {"B", FLDZSTRING, 0, 4}});
    RunResult r = RunVortab({"export", dir.str(), "empty"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "A,B\r\n");
    r = RunVortab({"export", dir.str(), "empty", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ParseOrFail(r.out)["records"].size(), 0u);
}

TEST(CliExport, MemoryStaysFlatOnALargerTable) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "peak memory is not meaningful under the address sanitizer";
#endif
    ScratchDir dir;
    CreateTable(dir.str(), "big", {{"Id", FLDINT32}, {"Text", FLDZSTRING, 0, 60}, {"Memo", FLDBLOB, FLDSTMEMO, 1}});
    InsertRowsInChild(dir.str(), "big", 0, 1000);
    const RunResult small = RunVortab({"export", dir.str(), "big", "--format", "json"});
    ASSERT_EQ(small.exitCode, 0) << small.err;
    InsertRowsInChild(dir.str(), "big", 1000, 29000);
    const RunResult large = RunVortab({"export", dir.str(), "big", "--format", "json"});
    ASSERT_EQ(large.exitCode, 0) << large.err;
    EXPECT_GT(large.out.size(), 7'000'000u);
    // 30 times the data (about 8 MB of output), about the same peak memory: the output is
    // streamed, not gathered.
    EXPECT_LT(large.maxRssKb, small.maxRssKb + 2048) << small.maxRssKb << " KB vs " << large.maxRssKb << " KB";
    const Json doc = ParseOrFail(large.out);
    ASSERT_EQ(doc["records"].size(), 30000u);
    EXPECT_EQ(doc["records"][29999][0].number, 29999);
    EXPECT_EQ(doc["records"][29999][2].text, std::string(200, char('A' + 29999 % 26)));
}

}  // namespace
}  // namespace cli_test
