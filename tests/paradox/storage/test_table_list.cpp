// Listing tables by pattern, finding files and family members without regard to case.
#include <gtest/gtest.h>

#include "meta_fixtures.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"

using namespace paradox;

namespace {

struct PatternCase {
    const char* name;
    const char* pattern;
    bool match;
};

TEST(TableList, WildcardMatching) {
    const PatternCase cases[] = {
        {"ORDERS.DB", "*.DB", true},      {"orders.db", "*.DB", true},     {"ORDERS.PX", "*.DB", false},
        {"ORDERS.DB", "orders.db", true}, {"ORDERS.DB", "ORDER.DB", false}, {"A.DB", "?.DB", true},
        {"AB.DB", "?.DB", false},         {"X.DB", "*", true},             {"", "*", true},
        {"a.b.DB", "*.DB", true},         {"aaaa", "*a*a*a*a*a", false},   {"ORDERS.DB.BAK", "*.DB", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}

TEST(TableList, NameParts) {
    EXPECT_EQ(FileNamePart("C:\\data\\ORDERS.DB"), "ORDERS.DB");
    EXPECT_EQ(FileNamePart("/srv/db/orders.db"), "orders.db");
    EXPECT_EQ(FileNamePart("C:ORDERS"), "ORDERS");
    EXPECT_EQ(TableBaseName("dir\\ORDERS.XYZ"), "ORDERS");
    EXPECT_EQ(TableBaseName("ORDERS"), "ORDERS");
    EXPECT_EQ(PathInDir("/tmp/", "a.db"), "/tmp/a.db");
    EXPECT_EQ(PathInDir("/tmp", "a.db"), "/tmp/a.db");
    EXPECT_EQ(PathInDir("", "a.db"), "a.db");
}

TEST(TableList, ListsTablesWithExtensionsSkippingControlFilesAndFolders) {
    meta_test::ScratchDir dir;
    for (const char* n : {"orders.db", "ORDERS.PX", "Customer.DB", "PDOXUSRS.NET", "PDOXUSRS.LCK", "PARADOX.LCK",
                          "notes.txt", "items.DB"})
        meta_test::WriteText(dir.file(n), "x");
    std::filesystem::create_directory(dir.file("sub.db"));
    EXPECT_EQ(ListTables(dir.str(), "*.DB"), (std::vector<std::string>{"Customer.DB", "items.DB", "orders.db"}));
    EXPECT_EQ(ListTables(dir.str(), "ORDERS.DB"), (std::vector<std::string>{"orders.db"}));
    EXPECT_EQ(ListTables(dir.str(), "orders"), (std::vector<std::string>{"orders.db"}));  // ".DB" added
    EXPECT_EQ(ListTables(dir.str(), "C:\\elsewhere\\customer.db"), (std::vector<std::string>{"Customer.DB"}));
    EXPECT_TRUE(ListTables(dir.str(), "missing.db").empty());
    EXPECT_EQ(ListTables(dir.str(), "*.TXT"), (std::vector<std::string>{"notes.txt"}));
}

TEST(TableList, MissingDirectoryFails) {
    try {
        ListTables("/nonexistent/vortab-dir", "*.DB");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kDirNoAccess);
    }
}

TEST(TableList, FindsFilesWithoutRegardToCase) {
    meta_test::ScratchDir dir;
    meta_test::WriteText(dir.file("customer.VAL"), "x");
    EXPECT_EQ(FindFileNoCase(dir.str(), "CUSTOMER.val"), std::optional<std::string>("customer.VAL"));
    EXPECT_EQ(FindFileNoCase(dir.str(), "customer.VAL"), std::optional<std::string>("customer.VAL"));
    EXPECT_EQ(FindFileNoCase(dir.str(), "customer.DB"), std::nullopt);
    EXPECT_EQ(FindFileNoCase("/nonexistent/vortab-dir", "a.db"), std::nullopt);
}

TEST(TableList, FamilyFilesAreTheTablesCompanionsOnly) {
    meta_test::ScratchDir dir;
    for (const char* n : {"fk4.db", "fk4.px", "fk4.XG0", "fk4.YG0", "fk4.val", "FK4.X0A", "fk4.txt", "fk4.XGA",
                          "fk40.db", "fk4", "other.db"})
        meta_test::WriteText(dir.file(n), "x");
    EXPECT_EQ(FamilyFileNames(dir.str(), "FK4"),
              (std::vector<std::string>{"fk4.db", "fk4.px", "fk4.val", "FK4.X0A", "fk4.XG0", "fk4.YG0"}));
}

// "Bücher" as a script names it (Windows-1252) and as a file may carry it on disk.
const std::string kName1252 = "B\xFC" "cher";
const std::string kUpper1252 = "B\xDC" "CHER";
const std::string kNameUtf8 = "B\xC3\xBC" "cher";

TEST(TableList, NamesOnDiskAreFoundInUtf8AndAs8BitBytes) {
    const struct {
        std::string onDisk, asked;
        DiskSpelling spelling;
    } cases[] = {
        {kNameUtf8 + ".DB", kName1252 + ".db", DiskSpelling::Utf8},
        {kNameUtf8 + ".DB", kUpper1252 + ".DB", DiskSpelling::Utf8},
        {kName1252 + ".DB", kUpper1252 + ".DB", DiskSpelling::EightBit},
        {kNameUtf8 + ".DB", kNameUtf8 + ".DB", DiskSpelling::EightBit},  // a listed name given back
        {"\xD0\x9A\xD0\xBD.DB", "\xD0\x9A\xD0\xBD.db", DiskSpelling::EightBit},  // Cyrillic: stays UTF-8
        {kNameUtf8 + ".DB", "Bucher.DB", DiskSpelling::None},
        {"ORDERS.DB", "orders.db", DiskSpelling::EightBit},
    };
    for (const auto& c : cases) EXPECT_EQ(SpellingOf(c.onDisk, c.asked), c.spelling) << c.onDisk << " ~ " << c.asked;

    EXPECT_EQ(NameFromDisk(kNameUtf8), kName1252);
    EXPECT_EQ(NameFromDisk(kName1252), kName1252);
    EXPECT_EQ(NameFromDisk("\xD0\x9A"), "\xD0\x9A");  // a letter 1252 lacks: the UTF-8 stays
    EXPECT_EQ(DiskNameFor(kName1252), kNameUtf8);
    EXPECT_EQ(DiskNameFor("\xD0\x9A"), "\xD0\x9A");
    EXPECT_EQ(DiskNameFor("ORDERS"), "ORDERS");
}

TEST(TableList, UtfAndEightBitFamiliesAreListedByNameAndNeverMixed) {
    meta_test::ScratchDir dir;
    for (const std::string& n : {kNameUtf8 + ".DB", kNameUtf8 + ".PX", kName1252 + ".DB", kName1252 + ".MB",
                                 std::string("Gr\xC3\xB6\xC3\x9F" "e.px"), std::string("Gr\xF6\xDF" "e.DB")})
        meta_test::WriteText(dir.file(n), "x");
    // The UTF-8 family wins for its name; the 8-bit one is never taken in with it.
    EXPECT_EQ(FamilyFileNames(dir.str(), kUpper1252), (std::vector<std::string>{kNameUtf8 + ".DB", kNameUtf8 + ".PX"}));
    EXPECT_EQ(FindFileNoCase(dir.str(), kUpper1252 + ".db"), kNameUtf8 + ".DB");
    // A stray UTF-8 member does not hide an 8-bit family whose .DB it lacks.
    EXPECT_EQ(FamilyFileNames(dir.str(), "GR\xD6\xDF" "E"), (std::vector<std::string>{"Gr\xF6\xDF" "e.DB"}));
    // Listed in Windows-1252, each name once.
    EXPECT_EQ(ListTables(dir.str(), "*.DB"), (std::vector<std::string>{kName1252 + ".DB", "Gr\xF6\xDF" "e.DB"}));
    EXPECT_EQ(ListTables(dir.str(), kUpper1252), (std::vector<std::string>{kName1252 + ".DB"}));
}

TEST(TableList, FamilyExtensions) {
    for (const char* e : {"DB", "px", "MB", "VAL", "TV", "FAM", "X02", "y0f", "XG0", "YG9"}) EXPECT_TRUE(IsFamilyFileExtension(e)) << e;
    for (const char* e : {"TXT", "X", "XG", "XGA", "X0", "X0Z", "DBF", "LCK", "NET"}) EXPECT_FALSE(IsFamilyFileExtension(e)) << e;
}

}  // namespace
