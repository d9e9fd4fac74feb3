// Every fixture table written by Paradox/BDE opens; header facts, record counts, field
// descriptors and spot values (plain, encrypted, blobs) read back as the original wrote them.
#include <gtest/gtest.h>

#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::FixturesDir;

namespace {

struct FixtureTable {
    const char* dir;
    const char* file;
    int version;
    int blockKb;
    uint32_t records;
    int fields;
    int keyFields;
    bool encrypted;
};

// Facts from the fixtures' README (header values confirmed there by an independent reader).
const FixtureTable kTables[] = {
    {"paradoxdriver/areas", "AREACODE.DB", 3, 1, 239, 6, 0, false},
    {"paradoxdriver/areas", "STATES.DB", 3, 1, 53, 4, 1, false},
    {"paradoxdriver/areas", "ZIPCODES.DB", 9, 2, 43185, 3, 1, false},
    {"paradoxdriver/db", "AREACODE.DB", 9, 2, 135, 4, 1, false},
    {"paradoxdriver/db", "AREACODES.DB", 12, 16, 370, 3, 1, false},
    {"paradoxdriver/db", "CONTACTS.DB", 12, 2, 55, 4, 0, false},
    {"paradoxdriver/db", "CUSTOMER.DB", 12, 2, 20, 10, 1, false},
    {"paradoxdriver/db", "DECIMAL.DB", 12, 2, 9, 1, 0, false},
    {"paradoxdriver/db", "GENERAL.DB", 11, 2, 3, 3, 1, false},
    {"paradoxdriver/db", "HERCULES.DB", 12, 2, 20, 2, 1, false},
    {"paradoxdriver/db", "ORDERS.DB", 12, 2, 224, 11, 1, false},
    {"paradoxdriver/db", "ROMAN8.db", 9, 2, 1, 1, 0, false},
    {"paradoxdriver/db", "SERVER.DB", 12, 2, 4, 4, 2, false},
    {"paradoxdriver/encrypt", "encrypted.db", 11, 2, 4, 2, 0, true},
    {"paradoxdriver/encrypt", "encrypted35.db", 4, 2, 2, 2, 0, true},
    {"paradoxdriver/encrypt", "encryptedmemo.db", 9, 2, 2, 1, 0, true},
    {"paradoxdriver/fields", "bcd.db", 11, 2, 3, 3, 0, false},
    {"paradoxdriver/fields", "bytes.db", 11, 2, 1, 1, 0, false},
    {"paradoxdriver/fields", "date35.db", 4, 2, 3, 1, 0, false},
    {"paradoxdriver/fields", "date4.db", 9, 2, 3, 1, 0, false},
    {"paradoxdriver/fields", "date5.db", 11, 2, 3, 2, 0, false},
    {"paradoxdriver/fields", "date7.db", 11, 2, 5, 2, 0, false},
    {"paradoxdriver/fields", "fmemo.db", 11, 2, 2, 2, 1, false},
    {"paradoxdriver/fields", "graphic240.db", 11, 2, 1, 2, 1, false},
    {"paradoxdriver/fields", "logical.db", 11, 2, 4, 1, 0, false},
    {"paradoxdriver/fields", "long.db", 11, 2, 3, 2, 1, false},
    {"paradoxdriver/fields", "memo.db", 11, 2, 2, 2, 1, false},
    {"paradoxdriver/fields", "ole.db", 11, 2, 1, 2, 1, false},
    {"paradoxdriver/fields", "time.db", 11, 2, 3, 1, 0, false},
    {"paradoxdriver/fields", "timestamp.db", 11, 2, 2, 1, 0, false},
    {"paradoxdriver/geog", "County.DB", 12, 16, 3218, 4, 1, false},
    {"paradoxdriver/geog", "tblAC.DB", 12, 16, 220, 4, 1, false},
    {"paradoxdriver/geog", "tblsttes.DB", 12, 16, 58, 13, 1, false},
    {"paradoxdriver/joins", "A.db", 11, 2, 3, 1, 1, false},
    {"paradoxdriver/joins", "B.db", 11, 2, 3, 1, 1, false},
    {"paradoxdriver/joins", "C.DB", 11, 2, 3, 3, 1, false},
    {"paradoxdriver/joins", "case.db", 9, 2, 1, 1, 0, false},
    {"paradoxdriver/joins", "destination.db", 11, 2, 1, 2, 0, false},
    {"paradoxdriver/joins", "fk1.db", 11, 2, 0, 2, 1, false},
    {"paradoxdriver/joins", "fk2.db", 11, 2, 0, 2, 1, false},
    {"paradoxdriver/joins", "fk3.db", 11, 2, 0, 3, 1, false},
    {"paradoxdriver/joins", "fk4.db", 11, 2, 2, 4, 1, false},
    {"paradoxdriver/joins", "indexed.db", 12, 2, 0, 1, 0, false},
    {"paradoxdriver/joins", "joina.db", 9, 2, 3, 1, 0, false},
    {"paradoxdriver/joins", "joinb.db", 9, 2, 3, 1, 0, false},
    {"paradoxdriver/joins", "multiple.db", 11, 2, 0, 4, 1, false},
    {"paradoxdriver/joins", "origin.db", 11, 2, 1, 2, 0, false},
    {"paradoxdriver/joins", "paradox-ascii.db", 9, 2, 0, 1, 0, false},
    {"paradoxdriver/joins", "primary.db", 11, 2, 0, 2, 1, false},
    {"paradoxdriver/joins", "to_multiple.db", 11, 2, 0, 2, 1, false},
    {"paradoxdriver/joins", "two.db", 11, 2, 0, 3, 2, false},
    {"rparadox", "biolife.db", 9, 2, 28, 8, 1, false},
    {"rparadox", "country.db", 9, 2, 18, 5, 1, false},
    {"rparadox", "country_encrypted.db", 9, 2, 18, 5, 1, true},
    {"rparadox", "empty.db", 12, 2, 0, 7, 0, false},
    {"rparadox", "empty_encrypted.db", 12, 2, 0, 7, 0, true},
    {"rparadox", "of.db", 4, 2, 2197, 19, 0, false},
    {"rparadox", "of_cp866.db", 9, 2, 2197, 19, 0, false},
    {"rparadox", "TypSammlung.DB", 12, 2, 5, 14, 2, false},
    {"rparadox", "TypSammlung_encrypted.DB", 12, 2, 5, 14, 2, true},
    {"paradoxreader", "MEMBRE.DB", 12, 16, 6, 92, 1, false},
    {"pxlib", "TypSammlung.DB", 12, 2, 5, 14, 2, false},
    {"paradoxreader/PCLDATA", "BOLDNESS.DB", 3, 1, 15, 2, 0, false},
    {"paradoxreader/PCLDATA", "GREYS.DB", 3, 1, 8, 2, 0, false},
    {"paradoxreader/PCLDATA", "LPI.DB", 3, 1, 10, 2, 0, false},
    {"paradoxreader/PCLDATA", "PAGESIZE.DB", 3, 1, 9, 2, 0, false},
    {"paradoxreader/PCLDATA", "PATTERNS.DB", 3, 1, 6, 2, 0, false},
    {"paradoxreader/PCLDATA", "PCL.DB", 3, 1, 161, 17, 0, false},
    {"paradoxreader/PCLDATA", "RASRES.DB", 3, 1, 6, 2, 0, false},
    {"paradoxreader/PCLDATA", "SOURCES.DB", 3, 1, 7, 2, 0, false},
    {"paradoxreader/PCLDATA", "SYMBOLS.DB", 3, 1, 32, 2, 0, false},
    {"paradoxreader/PCLDATA", "TYPEFACE.DB", 3, 1, 16, 2, 0, false},
};

OpenOptions Passwords() {
    OpenOptions o;
    o.passwords = {"123", "rparadox"};
    return o;
}

std::string Dir(const char* sub) { return (FixturesDir() / sub).string(); }

std::vector<std::string> Texts(const std::vector<Value>& row) {
    std::vector<std::string> out;
    for (const auto& v : row) out.push_back(ToDisplayString(v));
    return out;
}

}  // namespace

TEST(FixtureRead, EveryTableOpensAndReadsItsRecords) {
    REQUIRE_FIXTURES();
    for (const auto& t : kTables) {
        SCOPED_TRACE(std::string(t.dir) + "/" + t.file);
        Table table = Table::open(Dir(t.dir), t.file, Passwords());
        const auto& p = table.properties();
        EXPECT_EQ(p.fileVersion, t.version);
        EXPECT_EQ(p.blockSizeKb, t.blockKb);
        EXPECT_EQ(p.recordCount, t.records);
        EXPECT_EQ(p.fieldCount, t.fields);
        EXPECT_EQ(p.keyFields, t.keyFields);
        EXPECT_EQ(p.isProtected, t.encrypted);
        EXPECT_EQ(table.fieldDescriptors().size(), static_cast<std::size_t>(t.fields));
        uint32_t n = 0;
        RecordReader r = table.records();
        while (r.next()) {
            for (int f = 0; f < t.fields; ++f) {
                // Every non-blob value decodes; blob values are checked where the .MB is present.
                if (table.schema().fields[f].type >= PxType::Memo && table.schema().fields[f].type <= PxType::Graphic) continue;
                (void)r.record().value(f);
            }
            ++n;
        }
        EXPECT_EQ(n, t.records);
    }
}

TEST(FixtureRead, EncryptedTablesDecipherToTheirValues) {
    REQUIRE_FIXTURES();
    const auto enc = Table::open(Dir("paradoxdriver/encrypt"), "encrypted", Passwords()).readAll();
    ASSERT_EQ(enc.size(), 4u);
    const char* texts[] = {"Value 1", "Value 2", "Value 3", "Last one"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(enc[i][0], Value::integer(i + 1));
        EXPECT_EQ(enc[i][1], Value::text(texts[i]));
    }
    const auto enc35 = Table::open(Dir("paradoxdriver/encrypt"), "encrypted35", Passwords()).readAll();
    ASSERT_EQ(enc35.size(), 2u);
    EXPECT_EQ(Texts(enc35[0]), (std::vector<std::string>{"1", "Test 1"}));
    EXPECT_EQ(Texts(enc35[1]), (std::vector<std::string>{"2", "Test2"}));
    // Encrypted twins read exactly like their plain originals, blobs included.
    for (const char* stem : {"country", "TypSammlung", "empty"}) {
        const std::string plain = std::string(stem) + (std::string(stem) == "TypSammlung" ? ".DB" : ".db");
        const std::string twin = std::string(stem) + (std::string(stem) == "TypSammlung" ? "_encrypted.DB" : "_encrypted.db");
        EXPECT_EQ(Table::open(Dir("rparadox"), plain).readAll(), Table::open(Dir("rparadox"), twin, Passwords()).readAll()) << stem;
    }
    // The encrypted memo table's blobs come out of an enciphered .MB.
    const auto memo = Table::open(Dir("paradoxdriver/encrypt"), "encryptedmemo", Passwords()).readAll();
    ASSERT_EQ(memo.size(), 2u);
    EXPECT_EQ(memo[0][0].asString().rfind(" The PARADOX File Structure", 0), 0u);
    EXPECT_GT(memo[0][0].asString().size(), 10000u);
}

TEST(FixtureRead, ProtectedTableWithoutPasswordIsRefused) {
    REQUIRE_FIXTURES();
    try {
        Table::open(Dir("paradoxdriver/encrypt"), "encrypted");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 10498);
    }
    OpenOptions wrong;
    wrong.passwords = {"124", "rParadox"};
    EXPECT_THROW(Table::open(Dir("rparadox"), "country_encrypted", wrong), EngineError);
}

TEST(FixtureRead, SpotValuesOfEveryFieldType) {
    REQUIRE_FIXTURES();
    struct Case {
        const char* dir;
        const char* table;
        std::size_t row;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"paradoxdriver/fields", "date7", 0, {"2018-01-01", "10:00:00.000"}},
        {"paradoxdriver/fields", "date7", 3, {"null", "10:00:00.000"}},
        {"paradoxdriver/fields", "date35", 1, {"2018-02-01"}},
        {"paradoxdriver/fields", "timestamp", 1, {"2020-02-01 01:00:01.000"}},
        {"paradoxdriver/fields", "time", 1, {"null"}},
        {"paradoxdriver/fields", "logical", 1, {"false"}},
        {"paradoxdriver/fields", "bcd", 0, {"1.23", "1", "0.12299999999999999800000000000000"}},
        {"paradoxdriver/fields", "bcd", 1, {"-1.23", "-1", "-0.12299999999999999800000000000000"}},
        {"paradoxdriver/fields", "bcd", 2, {"0.00", "null", "0.99990000000000001180000000000000"}},
        {"paradoxdriver/fields", "long", 2, {"3", "null"}},
        {"paradoxdriver/db", "ORDERS", 0, {"1001", "1221", "1988-04-03", "1988-04-05", "UPS", "7320", "7320", "0", "FOB", "Credit", "Apr"}},
        {"paradoxdriver/db", "GENERAL", 1, {"2", "Katty", "150"}},
        {"rparadox", "TypSammlung", 0, {"AAA Irgendein Text", "40", "40", "40", "40", "40.000000", "1970-01-01", "00:00:00.000",
                                        "1970-01-01 11:00:00.000", "null", "null", "1", "null", "null"}},
        {"paradoxreader/PCLDATA", "PCL", 0, {"Cursor Positioning", "null", "Sub/Superscript", "Begin Subscript", "Ec(s-1U", "null",
                                             "null", "X", "null", "null", "X", "null", "null", "null", "null", "3?", "2"}},
    };
    for (const auto& c : cases) {
        const auto rows = Table::open(Dir(c.dir), c.table).readAll();
        ASSERT_GT(rows.size(), c.row) << c.table;
        EXPECT_EQ(Texts(rows[c.row]), c.values) << c.table << " row " << c.row;
    }
}

TEST(FixtureRead, BlobsFromTheirMbFiles) {
    REQUIRE_FIXTURES();
    const auto memo = Table::open(Dir("paradoxdriver/fields"), "memo").readAll();
    ASSERT_EQ(memo.size(), 2u);
    EXPECT_EQ(memo[0][1].asString().size(), 555u);  // a slot of a shared block
    EXPECT_EQ(memo[0][1].asString().substr(0, 12), "012345678900");
    EXPECT_EQ(memo[1][1].asString().size(), 12u);   // kept in the leader only
    const auto graphic = Table::open(Dir("paradoxdriver/fields"), "graphic240").readAll();
    ASSERT_EQ(graphic.size(), 1u);
    EXPECT_EQ(graphic[0][1].asString().size(), 20078u) << "the 8-byte graphic prefix is not part of the value";
    EXPECT_EQ(graphic[0][1].asString().substr(0, 2), "BM");
    const auto ole = Table::open(Dir("paradoxdriver/fields"), "ole").readAll();
    EXPECT_EQ(ole[0][1].asString().size(), 365920u);
    const auto customer = Table::open(Dir("paradoxdriver/db"), "CUSTOMER").readAll();
    EXPECT_EQ(customer[0][8], Value::text("Small comment (less 100 symbols)"));
    EXPECT_EQ(customer[1][8].asString().rfind("\tThe length of the leader may be zero", 0), 0u);
    const auto bio = Table::open(Dir("rparadox"), "biolife").readAll();
    ASSERT_EQ(bio.size(), 28u);
    for (const auto& row : bio) EXPECT_EQ(row[7].asString().substr(0, 2), "BM");
}

TEST(FixtureRead, MissingBlobFileFailsOnlyTheBlobFields) {
    REQUIRE_FIXTURES();
    Table t = Table::open(Dir("paradoxreader"), "MEMBRE");
    EXPECT_EQ(t.properties().fieldCount, 92);
    RecordReader r = t.records();
    int blobErrors = 0, rows = 0;
    while (r.next()) {
        ++rows;
        for (int f = 0; f < 92; ++f) {
            try {
                (void)r.record().value(f);
            } catch (const EngineError& e) {
                EXPECT_EQ(e.code(), 8714);
                EXPECT_TRUE(t.schema().fields[f].name == "Memo" || t.schema().fields[f].name == "Photo")
                    << t.schema().fields[f].name;
                ++blobErrors;
            }
        }
    }
    EXPECT_EQ(rows, 6);
    EXPECT_EQ(blobErrors, 8);
}

TEST(FixtureRead, PropertiesAndDescriptors) {
    REQUIRE_FIXTURES();
    const Table customer = Table::open(Dir("paradoxdriver/db"), "customer");  // any case finds CUSTOMER.DB
    const auto& p = customer.properties();
    EXPECT_EQ(p.name, "CUSTOMER.DB");
    EXPECT_EQ(p.level, 7);
    EXPECT_EQ(p.languageDriver, "ANSII850");
    EXPECT_EQ(p.codePage, 1252);
    EXPECT_EQ(p.autoIncValue, 44u);  // highest ever given, not the highest left
    EXPECT_EQ(p.indexCount, 1);
    const auto fds = customer.fieldDescriptors();
    EXPECT_STREQ(fds[0].name, "CustNo");
    EXPECT_EQ(fds[0].type, FLDINT32);
    EXPECT_EQ(fds[0].subType, FLDSTAUTOINC);
    EXPECT_EQ(fds[8].type, FLDBLOB);
    EXPECT_EQ(fds[8].subType, FLDSTMEMO);
    EXPECT_EQ(fds[8].units1, 100);
    const auto orders = Table::open(Dir("paradoxdriver/db"), "ORDERS").fieldDescriptors();
    EXPECT_EQ(orders[5].type, FLDFLOAT);
    EXPECT_EQ(orders[5].subType, FLDSTMONEY);
    const auto multiple = Table::open(Dir("paradoxdriver/joins"), "multiple").properties();
    EXPECT_TRUE(multiple.strictIntegrity);
    const auto levels = Table::open(Dir("paradoxdriver/areas"), "AREACODE").properties();
    EXPECT_EQ(levels.level, 3);
    EXPECT_EQ(levels.codePage, 0);
    EXPECT_EQ(Table::open(Dir("rparadox"), "of").properties().languageDriver, "cyrr");
    try {
        Table::open(Dir("rparadox"), "no_such_table");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 10024);
    }
}
