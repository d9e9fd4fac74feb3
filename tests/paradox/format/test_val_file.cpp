// .VAL reading against real files: checks (required, default, picture, lookup), links of both
// sides and their agreement between partner tables, staleness, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "meta_fixtures.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_value.h"
#include "paradox/storage/engine_error.h"

using namespace paradox;
using meta_test::Fixture;

namespace {

const char* kJoins = "paradoxdriver/joins";

struct ExpectedCheck {
    std::uint16_t field;
    bool required;
    std::string picture;
    std::string lookupTable;
    LookupKind lookup;
};

struct CheckCase {
    const char* folder;
    const char* table;
    std::vector<ExpectedCheck> checks;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.table; }

class ValChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ValChecks, MatchTheFile) {
    META_REQUIRE_FIXTURES();
    auto val = ReadValFile(Fixture(GetParam().folder), GetParam().table);
    ASSERT_TRUE(val.has_value());
    EXPECT_FALSE(val->stale);
    const auto& want = GetParam().checks;
    ASSERT_EQ(val->checks.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const ValidityCheckDescriptor& d = val->checks[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(+d.fieldNumber, want[i].field);
        EXPECT_EQ(+d.required, want[i].required);
        EXPECT_EQ(fixedText(d.picture), want[i].picture);
        EXPECT_EQ(fixedText(d.lookupTable), want[i].lookupTable);
        EXPECT_EQ(+d.lookupKind, std::uint32_t(want[i].lookup));
    }
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, ValChecks,
    ::testing::Values(
        CheckCase{"paradoxdriver/db", "AREACODE", {{1, false, "###", "", LookupKind::None}, {4, false, "&&", "", LookupKind::None}}},
        CheckCase{"paradoxdriver/areas", "ZIPCODES.DB", {{1, false, "#####", "", LookupKind::None}, {2, false, "&&", "", LookupKind::None}}},
        CheckCase{kJoins, "joinb", {{1, false, "", "joina.db", LookupKind::Help}}},
        CheckCase{kJoins, "origin", {{2, false, "", "destination.db", LookupKind::Help}}},
        CheckCase{kJoins, "multiple", {{2, true, "", "", LookupKind::None}, {3, false, "[(*3{#}) ]*3{#}-*4{#}", "", LookupKind::None}}},
        CheckCase{kJoins, "fk1", {}},
        CheckCase{"pxlib", "TypSammlung", {{1, false, "###-####", "", LookupKind::None}}}));

// A level-7 .VAL has a longer path area in its footer: the field names come from behind it.
TEST(ValFile, LevelSevenFooterNamesTheFields) {
    META_REQUIRE_FIXTURES();
    const auto val = ReadValFile(Fixture("pxlib"), "TypSammlung");
    ASSERT_TRUE(val.has_value());
    EXPECT_EQ(val->version, kValVersionLevel7);
    ASSERT_EQ(val->fields.size(), 14u);
    EXPECT_EQ(val->fields[0].name, "Alpha");
    EXPECT_EQ(val->fields[13].name, "Bytes");
}

TEST(ValFile, LogicalDefaultIsNativeTrue) {
    META_REQUIRE_FIXTURES();
    auto val = ReadValFile(Fixture("paradoxdriver/fields"), "LOGICAL");
    ASSERT_TRUE(val && val->checks.size() == 1);
    const auto& d = val->checks[0];
    EXPECT_EQ(+d.required, 1);
    EXPECT_EQ(+d.defaultKind, std::uint16_t(CheckValueKind::Value));
    EXPECT_EQ(+d.minimumKind, 0);
    std::int16_t v = 0;
    std::memcpy(&v, d.defaultValue, 2);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(val->fields.size(), 1u);
    EXPECT_EQ(val->fields[0].name, "BOOL");
}

TEST(ValFile, TableWithoutValHasNone) {
    META_REQUIRE_FIXTURES();
    EXPECT_FALSE(ReadValFile(Fixture(kJoins), "indexed").has_value());
}

TEST(ValFile, DependentAndMasterLinksOfOneTable) {
    META_REQUIRE_FIXTURES();
    auto val = ReadValFile(Fixture(kJoins), "multiple.db");
    ASSERT_TRUE(val);
    ASSERT_EQ(val->links.size(), 3u);
    struct L { const char* name; LinkKind kind; const char* other; LinkRule rule; std::vector<std::uint16_t> mine, theirs; };
    const L want[] = {
        {"fk2", LinkKind::Dependent, "primary.db", LinkRule::Cascade, {4}, {1}},
        {"fk_multiple_primary", LinkKind::Dependent, "primary.db", LinkRule::Cascade, {2}, {1}},
        {"to_multiple", LinkKind::Master, "to_multiple.db", LinkRule::Cascade, {1}, {2}},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const RILinkDescriptor& d = val->links[i];
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(+d.linkNumber, i + 1);
        EXPECT_EQ(fixedText(d.name), want[i].name);
        EXPECT_EQ(+d.kind, std::uint32_t(want[i].kind));
        EXPECT_EQ(fixedText(d.otherTable), want[i].other);
        EXPECT_EQ(+d.updateRule, std::uint32_t(want[i].rule));
        EXPECT_EQ(+d.deleteRule, std::uint32_t(LinkRule::Restrict));
        ASSERT_EQ(+d.fieldCount, want[i].mine.size());
        for (std::size_t k = 0; k < want[i].mine.size(); ++k) {
            EXPECT_EQ(+d.thisFields[k], want[i].mine[k]);
            EXPECT_EQ(+d.otherFields[k], want[i].theirs[k]);
        }
    }
    EXPECT_EQ(val->masterKeyFields, std::vector<std::uint16_t>{1});
}

TEST(ValFile, CompositeLinkOnTwoFieldKey) {
    META_REQUIRE_FIXTURES();
    auto dep = ReadValFile(Fixture(kJoins), "fk4");
    ASSERT_TRUE(dep && dep->links.size() == 1);
    EXPECT_EQ(+dep->links[0].fieldCount, 2);
    EXPECT_EQ(+dep->links[0].thisFields[0], 2);
    EXPECT_EQ(+dep->links[0].thisFields[1], 4);
    EXPECT_EQ(+dep->links[0].otherFields[0], 1);
    EXPECT_EQ(+dep->links[0].otherFields[1], 2);
    EXPECT_EQ(+dep->links[0].updateRule, std::uint32_t(LinkRule::Cascade));
    auto master = ReadValFile(Fixture(kJoins), "two");
    ASSERT_TRUE(master && master->links.size() == 1);
    EXPECT_EQ(+master->links[0].kind, std::uint32_t(LinkKind::Master));
    EXPECT_EQ(fixedText(master->links[0].otherTable), "fk4.DB");
    EXPECT_EQ(master->masterKeyFields, (std::vector<std::uint16_t>{1, 2}));
}

// Every master-side entry in the joins folder has a matching dependent-side link in the
// dependent's own .VAL: same name, master, and fields seen from both ends.
TEST(ValFile, MasterRecordsAgreeWithTheirDependents) {
    META_REQUIRE_FIXTURES();
    int checked = 0;
    for (const char* master : {"A", "B", "primary", "two", "multiple"}) {
        auto m = ReadValFile(Fixture(kJoins), master);
        ASSERT_TRUE(m) << master;
        for (const RILinkDescriptor& ml : m->links) {
            if (ml.kind != std::uint32_t(LinkKind::Master)) continue;
            auto d = ReadValFile(Fixture(kJoins), fixedText(ml.otherTable));
            ASSERT_TRUE(d) << fixedText(ml.otherTable);
            bool found = false;
            for (const RILinkDescriptor& dl : d->links) {
                if (dl.kind != std::uint32_t(LinkKind::Dependent) || fixedText(dl.name) != fixedText(ml.name)) continue;
                if (strcasecmp(fixedText(dl.otherTable).c_str(), (std::string(master) + ".db").c_str()) != 0) continue;
                found = true;
                EXPECT_EQ(+dl.fieldCount, +ml.fieldCount);
                for (int k = 0; k < dl.fieldCount; ++k) {
                    EXPECT_EQ(+dl.thisFields[k], +ml.otherFields[k]);
                    EXPECT_EQ(+dl.otherFields[k], +ml.thisFields[k]);
                }
                if (dl.fieldCount == 1) {
                    EXPECT_EQ(+dl.updateRule, +ml.updateRule) << fixedText(ml.name);
                }
            }
            EXPECT_TRUE(found) << master << " <- " << fixedText(ml.otherTable) << " " << fixedText(ml.name);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 9);  // A 1, B 1, primary 5, two 1, multiple 1
}

TEST(ValFile, StaleWhenTheTableChangedSince) {
    META_REQUIRE_FIXTURES();
    meta_test::ScratchDir dir;
    meta_test::CopyFamily(kJoins, "fk1", dir);
    auto db = meta_test::ReadBytes(dir.file("fk1.db"));
    db[0x2E] ^= 0x55;
    meta_test::WriteBytes(dir.file("fk1.db"), db);
    auto val = ReadValFile(dir.str(), "FK1");
    ASSERT_TRUE(val);
    EXPECT_TRUE(val->stale);
}

struct NativeCase {
    const char* what;
    std::uint8_t type, sizeByte;
    std::vector<std::uint8_t> disk;
    std::vector<std::uint8_t> native;
};

void PrintTo(const NativeCase& c, std::ostream* os) { *os << c.what; }

class NativeValues : public ::testing::TestWithParam<NativeCase> {};

TEST_P(NativeValues, DecodeFromRecordEncoding) {
    const NativeCase& c = GetParam();
    std::uint8_t out[kCheckValueSize];
    std::memset(out, 0xEE, sizeof out);
    DecodeCheckValue(c.type, c.sizeByte, c.disk.data(), c.disk.size(), out, sizeof out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + c.native.size()), c.native);
    for (std::size_t i = c.native.size(); i < sizeof out; ++i) ASSERT_EQ(out[i], 0) << i;
}

template <typename T>
std::vector<std::uint8_t> Native(T v) {
    std::vector<std::uint8_t> b(sizeof v);
    std::memcpy(b.data(), &v, sizeof v);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Types, NativeValues,
    ::testing::Values(
        NativeCase{"short 10", 0x03, 2, {0x80, 0x0A}, Native(std::int16_t(10))},
        NativeCase{"short -1", 0x03, 2, {0x7F, 0xFF}, Native(std::int16_t(-1))},
        NativeCase{"long -2", 0x04, 4, {0x7F, 0xFF, 0xFF, 0xFE}, Native(std::int32_t(-2))},
        NativeCase{"date 2018-01-01", 0x02, 4, {0x80, 0x0B, 0x3D, 0xB7}, Native(std::int32_t(736695))},
        NativeCase{"number 1.0", 0x06, 8, {0xBF, 0xF0, 0, 0, 0, 0, 0, 0}, Native(1.0)},
        NativeCase{"money -2.0", 0x05, 8, {0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Native(-2.0)},
        NativeCase{"logical false", 0x09, 1, {0x80}, Native(std::int16_t(0))},
        NativeCase{"alpha", 0x01, 5, {'A', 'b', 0, 0, 0}, {'A', 'b'}},
        NativeCase{"alpha full width", 0x01, 3, {'x', 'y', 'z'}, {'x', 'y', 'z'}},
        NativeCase{"bcd -1.23", 0x17, 2,
                   {0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xDC},
                   {32, 0x82, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x23}},
        NativeCase{"bytes", 0x18, 2, {0x00, 0xFF}, {0x00, 0xFF}}));

// Every prefix and many single-byte corruptions of a rich .VAL either parse or fail with
// 8968; none may crash or read out of bounds.
TEST(ValFile, DamagedFilesFailCleanly) {
    META_REQUIRE_FIXTURES();
    for (const char* name : {"multiple.val", "primary.val", "joinb.val"}) {
        const auto good = meta_test::ReadBytes(Fixture(std::string(kJoins) + "/" + name));
        ASSERT_FALSE(good.empty());
        for (std::size_t len = 0; len < good.size(); ++len) {
            std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(len));
            try {
                ParseValFile(cut);
            } catch (const EngineError& e) {
                ASSERT_EQ(e.code(), err::kValFileCorrupt);
            }
        }
        std::mt19937 rng(42);
        for (int round = 0; round < 2000; ++round) {
            auto bad = good;
            bad[rng() % bad.size()] = std::uint8_t(rng());
            try {
                ParseValFile(bad);
            } catch (const EngineError& e) {
                ASSERT_EQ(e.code(), err::kValFileCorrupt);
            }
        }
    }
}

TEST(ValFile, HeaderFieldsThatMustBeRefused) {
    META_REQUIRE_FIXTURES();
    const auto good = meta_test::ReadBytes(Fixture(std::string(kJoins) + "/multiple.val"));
    const std::map<std::string, std::function<void(std::vector<std::uint8_t>&)>> edits = {
        {"old version", [](auto& b) { b[1] = 0x01; }},
        {"footer past end", [](auto& b) { b[0x0C] = 0x7F; }},
        {"links after footer", [](auto& b) { b[0x0D] = 0xFF; b[0x0E] = 0xFF; }},
        {"too many checks", [](auto& b) { b[2] = 200; }},
        {"huge link count", [](auto& b) { b[0x83] = 0xFF; b[0x84] = 0xFF; }},
        {"level-7 version over a level-5 footer", [](auto& b) { b[1] = 0x0C; }},
        {"link entries shorter than their section", [](auto& b) {
             const std::size_t footer = b[0x09] | b[0x0A] << 8;
             b.insert(b.begin() + std::ptrdiff_t(footer), {0, 0});
             b[0x09] = static_cast<std::uint8_t>(footer + 2);
             b[0x0A] = static_cast<std::uint8_t>((footer + 2) >> 8);
         }},
    };
    for (const auto& [what, edit] : edits) {
        auto bad = good;
        edit(bad);
        try {
            ParseValFile(bad);
            ADD_FAILURE() << what << " was accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), err::kValFileCorrupt) << what;
        }
    }
}

}  // namespace
