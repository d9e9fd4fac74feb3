// .VAL files written by the engine: every fixture's .VAL read, written again and read back gives
// the same checks and links and the same file length as Paradox's; written checks keep their
// values; a table's .VAL is replaced atomically and removed when nothing is left in it.
#include <gtest/gtest.h>

#include <cstring>

#include "paradox/format/check_descriptor.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

ValStamps StampsOf(const std::vector<uint8_t>& b) {
    ValStamps s;
    s.changeStamp = b[0];
    s.updateStamp = uint32_t(b[3]) | uint32_t(b[4]) << 8 | uint32_t(b[5]) << 16 | uint32_t(b[6]) << 24;
    s.hiFieldId = uint16_t(b[7] | b[8] << 8);
    return s;
}

void ExpectSameContents(const ValContents& a, const ValContents& b) {
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.keyFields, b.keyFields);
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (std::size_t i = 0; i < a.fields.size(); ++i) {
        EXPECT_EQ(a.fields[i].id, b.fields[i].id);
        EXPECT_EQ(a.fields[i].type, b.fields[i].type);
        EXPECT_EQ(a.fields[i].sizeByte, b.fields[i].sizeByte);
        EXPECT_EQ(a.fields[i].name, b.fields[i].name);
    }
    ASSERT_EQ(a.checks.size(), b.checks.size());
    for (std::size_t i = 0; i < a.checks.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&a.checks[i], &b.checks[i], sizeof(ValidityCheckDescriptor))) << "check " << i;
    ASSERT_EQ(a.links.size(), b.links.size());
    for (std::size_t i = 0; i < a.links.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&a.links[i], &b.links[i], sizeof(RILinkDescriptor))) << "link " << i;
    EXPECT_EQ(a.masterKeyFields, b.masterKeyFields);
}

class ValRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(ValRoundTrip, SameContentsAndLayout) {
    REQUIRE_FIXTURES();
    const auto raw = ReadBytes(FixturesDir() / GetParam());
    const std::vector<uint8_t> bytes(raw.begin(), raw.end());
    const ValContents original = ParseValFile(bytes);
    const std::vector<uint8_t> written = EncodeValFile(original, StampsOf(bytes));
    EXPECT_EQ(bytes.size(), written.size());
    // Header words: stamps, counts, section offsets.
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 0x11, written.begin()));
    ExpectSameContents(original, ParseValFile(written));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ValRoundTrip,
                         ::testing::Values("paradoxdriver/areas/ZIPCODES.VAL", "paradoxdriver/db/AREACODE.VAL",
                                           "paradoxdriver/fields/logical.val", "paradoxdriver/joins/A.VAL",
                                           "paradoxdriver/joins/B.VAL", "paradoxdriver/joins/C.VAL",
                                           "paradoxdriver/joins/fk1.val", "paradoxdriver/joins/fk2.val",
                                           "paradoxdriver/joins/fk3.val", "paradoxdriver/joins/fk4.val",
                                           "paradoxdriver/joins/joinb.val", "paradoxdriver/joins/multiple.val",
                                           "paradoxdriver/joins/origin.val", "paradoxdriver/joins/primary.val",
                                           "paradoxdriver/joins/to_multiple.val", "paradoxdriver/joins/two.val",
                                           "paradoxdriver/joins/paradox-ascii.val", "pxlib/TypSammlung.VAL"),
                         [](const auto& info) {
                             std::string n = info.param;
                             n = n.substr(n.rfind('/') + 1);
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

// A table with one field of each kind a check can carry.
void MakeTable(const ScratchDir& dir) {
    FieldDescriptor f[6]{};
    const struct { const char* name; int16_t type; int16_t sub; int16_t u1; int16_t u2; } spec[] = {
        {"Name", FLDZSTRING, 0, 20, 0}, {"Born", FLDDATE, 0, 0, 0},  {"Qty", FLDINT16, 0, 0, 0},
        {"Price", FLDFLOAT, FLDSTMONEY, 0, 0}, {"Ok", FLDBOOL, 0, 0, 0}, {"Amount", FLDBCD, 0, 32, 2}};
    for (int i = 0; i < 6; ++i) {
        std::strcpy(f[i].name, spec[i].name);
        f[i].type = spec[i].type;
        f[i].subType = spec[i].sub;
        f[i].units1 = spec[i].u1;
        f[i].units2 = spec[i].u2;
    }
    TableDescriptor td{};
    std::strcpy(td.tableName, "checks");
    td.fieldCount = 6;
    td.fields = f;
    createTable(dir.str(), td, CreateOptions{1, false});
}

template <typename T>
void SetNative(uint8_t* buf, T v) { std::memcpy(buf, &v, sizeof v); }

TEST(ValWriter, ChecksOfEveryKindSurviveWriteAndRead) {
    ScratchDir dir;
    MakeTable(dir);
    ValContents v = EmptyValFor(dir.str(), "checks");
    ValidityCheckDescriptor c[6]{};
    c[0].fieldNumber = 1;
    c[0].required = 1;
    c[0].defaultKind = 1;
    std::strcpy(reinterpret_cast<char*>(c[0].defaultValue), "none");
    std::strcpy(c[0].picture, "*@");
    c[1].fieldNumber = 2;
    c[1].minimumKind = 1;
    SetNative<int32_t>(c[1].minimum, 730000);
    c[1].defaultKind = uint16_t(CheckValueKind::Today);
    c[2].fieldNumber = 3;
    c[2].minimumKind = c[2].maximumKind = 1;
    SetNative<int16_t>(c[2].minimum, -5);
    SetNative<int16_t>(c[2].maximum, 10);
    c[3].fieldNumber = 4;
    c[3].maximumKind = 1;
    SetNative<double>(c[3].maximum, 99.5);
    c[4].fieldNumber = 5;
    c[4].defaultKind = 1;
    SetNative<int16_t>(c[4].defaultValue, 1);
    c[5].fieldNumber = 6;
    c[5].minimumKind = 1;
    c[5].minimum[0] = 32;
    c[5].minimum[1] = 0x80 | 2;  // negative, two decimals
    c[5].minimum[17] = 0x25;     // -0.25
    v.checks.assign(c, c + 6);
    WriteValFile(dir.str(), "checks", v);

    auto back = ReadValFile(dir.str(), "checks");
    ASSERT_TRUE(back.has_value());
    EXPECT_FALSE(back->stale);
    ASSERT_EQ(back->checks.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(0, std::memcmp(&c[i], &back->checks[std::size_t(i)], sizeof(ValidityCheckDescriptor))) << i;
    EXPECT_EQ(+back->checks[1].defaultKind, uint16_t(CheckValueKind::Today));
}

TEST(ValWriter, EmptyContentsRemoveTheFile) {
    ScratchDir dir;
    MakeTable(dir);
    ValContents v = EmptyValFor(dir.str(), "checks");
    ValidityCheckDescriptor c{};
    c.fieldNumber = 1;
    c.required = 1;
    v.checks.push_back(c);
    WriteValFile(dir.str(), "checks", v);
    ASSERT_TRUE(fs::exists(dir.path() / "checks.VAL"));
    v.checks.clear();
    WriteValFile(dir.str(), "checks", v);
    EXPECT_FALSE(fs::exists(dir.path() / "checks.VAL"));
    for (const auto& e : fs::directory_iterator(dir.path())) EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
}

TEST(ValWriter, RefusesWhatTheLayoutCannotHold) {
    ScratchDir dir;
    MakeTable(dir);
    ValContents v = EmptyValFor(dir.str(), "checks");
    ValidityCheckDescriptor c{};
    c.fieldNumber = 9;  // no such field
    c.required = 1;
    v.checks.push_back(c);
    EXPECT_THROW(EncodeValFile(v, {}), EngineError);
    v.checks[0].fieldNumber = 1;
    v.checks[0].defaultKind = 1;
    std::memset(v.checks[0].defaultValue, 'x', 200);  // longer than the 20-character field
    EXPECT_THROW(EncodeValFile(v, {}), EngineError);
}

}  // namespace
