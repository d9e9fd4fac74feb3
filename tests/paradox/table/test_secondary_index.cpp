// Index descriptors read from real tables' key fields and .Xnn/.XGn headers, and the errors a
// damaged index header gives.
#include <gtest/gtest.h>

#include <cstring>

#include "meta_fixtures.h"
#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/table.h"

using namespace paradox;
using meta_test::Fixture;

namespace {

struct ExpectedIndex {
    std::string name;
    bool primary, unique, descending, maintained, caseInsensitive;
    std::vector<std::uint16_t> fields;
    std::vector<std::uint16_t> fieldDescending;
    std::uint16_t keyLength;
};

struct TableCase {
    const char* folder;
    const char* table;
    std::vector<ExpectedIndex> indexes;
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.folder << "/" << c.table; }

class FixtureIndexes : public ::testing::TestWithParam<TableCase> {};

TEST_P(FixtureIndexes, DescriptorsMatchTheFiles) {
    META_REQUIRE_FIXTURES();
    const TableCase& c = GetParam();
    auto got = ReadIndexDescriptors(Fixture(c.folder), c.table);
    ASSERT_EQ(got.size(), c.indexes.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const ExpectedIndex& e = c.indexes[i];
        const IndexDescriptor& d = got[i];
        SCOPED_TRACE("index " + std::to_string(i) + " " + e.name);
        EXPECT_EQ(fixedText(d.name), e.name);
        EXPECT_EQ(+d.primary, e.primary);
        EXPECT_EQ(+d.unique, e.unique);
        EXPECT_EQ(+d.descending, e.descending);
        EXPECT_EQ(+d.maintained, e.maintained);
        EXPECT_EQ(+d.caseInsensitive, e.caseInsensitive);
        EXPECT_EQ(+d.keyLength, e.keyLength);
        ASSERT_EQ(+d.keyFieldCount, e.fields.size());
        for (std::size_t k = 0; k < e.fields.size(); ++k) {
            EXPECT_EQ(+d.keyFields[k], e.fields[k]);
            EXPECT_EQ(+d.fieldDescending[k], e.fieldDescending.empty() ? 0 : e.fieldDescending[k]);
        }
        for (std::size_t k = e.fields.size(); k < kMaxKeyFields; ++k) EXPECT_EQ(+d.keyFields[k], 0);
    }
}

const ExpectedIndex kIntPrimary{"", true, true, false, true, false, {1}, {}, 4};

INSTANTIATE_TEST_SUITE_P(
    RealTables, FixtureIndexes,
    ::testing::Values(
        TableCase{"paradoxdriver/joins", "C.DB",
                  {kIntPrimary,
                   {"A", false, false, false, true, false, {2}, {}, 4},
                   {"B", false, false, false, true, false, {3}, {}, 4}}},
        // Composite index the engine made for a two-field link: not case-insensitive.
        TableCase{"paradoxdriver/joins", "fk4",
                  {kIntPrimary, {"reference", false, false, false, true, false, {2, 4}, {}, 8}}},
        // Unkeyed table: no primary index, a non-maintained descending case-insensitive XG0.
        TableCase{"paradoxdriver/joins", "indexed.db",
                  {{"Descending", false, false, true, false, true, {1}, {1}, 4}}},
        TableCase{"paradoxdriver/joins", "case",
                  {{"C", false, false, false, false, false, {1}, {}, 10}}},
        TableCase{"paradoxdriver/db", "AREACODES",
                  {{"", true, true, false, true, false, {1}, {}, 5},
                   {"ste", false, false, false, true, true, {2}, {}, 3}}},
        TableCase{"paradoxdriver/db", "customer.db",
                  {kIntPrimary, {"City", false, false, false, true, false, {6}, {}, 15}}},
        TableCase{"paradoxdriver/joins", "multiple",
                  {kIntPrimary,
                   {"FK", false, false, false, true, false, {2}, {}, 4},
                   {"FK2", false, false, false, true, false, {4}, {}, 4}}},
        TableCase{"paradoxdriver/db", "SERVER",
                  {{"", true, true, false, true, false, {1, 2}, {}, 81}}},
        TableCase{"paradoxdriver/areas", "STATES", {{"", true, true, false, true, false, {1}, {}, 2}}},
        TableCase{"paradoxdriver/db", "CONTACTS", {}}));

// The schema the engine's table reader gives yields the same descriptors as the table header
// read here.
TEST(SecondaryIndexFiles, EngineSchemaGivesTheSameDescriptors) {
    META_REQUIRE_FIXTURES();
    for (const auto& [folder, table] : std::vector<std::pair<std::string, std::string>>{
             {"paradoxdriver/joins", "C"}, {"paradoxdriver/joins", "fk4"}, {"paradoxdriver/joins", "indexed"},
             {"paradoxdriver/db", "AREACODES"}, {"paradoxdriver/db", "CUSTOMER"}, {"paradoxdriver/joins", "multiple"}}) {
        Table t = Table::open(Fixture(folder), table);
        auto viaSchema = ReadIndexDescriptors(Fixture(folder), table, t.schema());
        auto viaHeader = ReadIndexDescriptors(Fixture(folder), table);
        ASSERT_EQ(viaSchema.size(), viaHeader.size()) << table;
        for (std::size_t i = 0; i < viaSchema.size(); ++i)
            EXPECT_EQ(std::memcmp(&viaSchema[i], &viaHeader[i], sizeof(IndexDescriptor)), 0) << table << " " << i;
    }
}

TEST(SecondaryIndexFiles, FoundWithoutRegardToCaseInEngineOrder) {
    META_REQUIRE_FIXTURES();
    EXPECT_EQ(SecondaryIndexFiles(Fixture("paradoxdriver/joins"), "c"), (std::vector<std::string>{"C.X02", "C.X03"}));
    EXPECT_EQ(SecondaryIndexFiles(Fixture("paradoxdriver/joins"), "FK4.DB"), (std::vector<std::string>{"fk4.XG0"}));
    EXPECT_TRUE(SecondaryIndexFiles(Fixture("paradoxdriver/joins"), "A").empty());
}

TEST(SecondaryIndexFiles, MissingTableIsNoSuchTable) {
    META_REQUIRE_FIXTURES();
    try {
        ReadIndexDescriptors(Fixture("paradoxdriver/joins"), "NOPE");
        FAIL() << "expected an error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kNoSuchTable);
    }
}

// Damage to a copied index header: each case edits C.X02 and expects an engine code.
struct Damage {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> edit;
    int code;
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.what; }

class DamagedIndex : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedIndex, FailsWithEngineCode) {
    META_REQUIRE_FIXTURES();
    meta_test::ScratchDir dir;
    meta_test::CopyFamily("paradoxdriver/joins", "C", dir);
    auto bytes = meta_test::ReadBytes(dir.file("C.X02"));
    GetParam().edit(bytes);
    meta_test::WriteBytes(dir.file("C.X02"), bytes);
    try {
        ReadIndexDescriptors(dir.str(), "C");
        FAIL() << "expected an error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), GetParam().code) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DamagedIndex,
    ::testing::Values(
        Damage{"truncated", [](auto& b) { b.resize(0x40); }, err::kHeaderCorrupt},
        Damage{"empty file", [](auto& b) { b.clear(); }, err::kHeaderCorrupt},
        Damage{"no fields", [](auto& b) { b[0x21] = 0; b[0x22] = 0; }, err::kHeaderCorrupt},
        Damage{"negative fields", [](auto& b) { b[0x22] = 0x80; }, err::kHeaderCorrupt},
        Damage{"header size below fixed part", [](auto& b) { b[2] = 0x10; b[3] = 0; }, err::kHeaderCorrupt},
        Damage{"field-number offset past header", [](auto& b) { b[0x66] = 0xF0; b[0x67] = 0xFF; }, err::kHeaderCorrupt},
        Damage{"names without terminator",
               [](auto& b) { for (std::size_t i = 0xE0; i < b.size(); ++i) b[i] = 'x'; }, err::kHeaderCorrupt},
        Damage{"file type of a primary index", [](auto& b) { b[4] = 1; }, err::kIndexCorrupt},
        Damage{"unknown file type", [](auto& b) { b[4] = 0x41; }, err::kHeaderCorrupt},
        Damage{"field number beyond the table", [](auto& b) {
                   std::size_t at = 0x58 + (b[0x66] | (b[0x67] << 8));
                   b[at] = 9;
               }, err::kIndexCorrupt},
        Damage{"field type differs from the table", [](auto& b) { b[0x78] = 0x01; }, err::kIndexCorrupt}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& c : n) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

}  // namespace
