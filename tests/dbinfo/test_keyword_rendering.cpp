// Keyword rendering: command templates from the identifier chain, quoting, option bits, and check
// values of every field type with the fixed separators.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/dbinfo/keyword_rendering.h"
#include "paradox/api/value.h"
#include "model_builder.h"

namespace {

using namespace vortab::dbinfo;

TEST(CommandTemplate, SpelledFromTheChain) {
    dbinfo_test::CommandChain chain;
    EXPECT_EQ(CommandTemplate("fld_move", chain.head()), "FLD_MOVE(%s,%s,%s)");
    EXPECT_EQ(CommandTemplate("tbl_drop", chain.head()), "TBL_DROP(%s)");
    EXPECT_EQ(CommandTemplate("today", chain.head()), "today");  // no arguments: the caller's spelling
    EXPECT_THROW(CommandTemplate("TBL_BMOVE", chain.head()), GenerationError);
    EXPECT_THROW(CommandTemplate("FLD_ADD", nullptr), GenerationError);
    EXPECT_EQ(FillTemplate("F(%s,%s)", {"\"%s\"", "2"}), "F(\"%s\",2)");  // argument texts are not templates
}

TEST(QuoteString, DoublesInnerQuotes) {
    EXPECT_EQ(QuoteString(""), "\"\"");
    EXPECT_EQ(QuoteString("He said \"no\""), "\"He said \"\"no\"\"\"");
}

TEST(Keywords, TablesAndErrors) {
    EXPECT_EQ(IndexOptionsText(0), "IXOPTDEFAULT");
    EXPECT_EQ(IndexOptionsText(1 | 16), "PRI or NMT");
    EXPECT_EQ(IndexOptionsText(2 | 8), "UNQ or CIS");
    EXPECT_EQ(FieldTypeKeyword(0), "FLDNOCHANGE");
    EXPECT_EQ(FieldSubtypeKeyword(29), "FLDSTAUTOINC");
    EXPECT_EQ(VchkKindKeyword(1), "VCHKTRUE");
    EXPECT_EQ(VchkKindKeyword(7), "VCHKTRUE");
    EXPECT_EQ(BatchModeKeyword(0x80 | 4), "BATCOPY");
    const auto message = [](auto f) {
        try {
            f();
        } catch (const GenerationError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { FieldTypeKeyword(14); }), "Unknown field type (14)");
    EXPECT_EQ(message([] { FieldSubtypeKeyword(27); }), "Unknown field subtype (27)");
    EXPECT_EQ(message([] { RIQualifierKeyword(2); }), "Unknown RI qualifier");
    EXPECT_EQ(message([] { BatchModeKeyword(5); }), "Unknown batchmove mode");
}

struct ValueCase {
    int type;
    int units2;
    std::vector<std::uint8_t> bytes;
    std::string expected;
};

template <typename T>
std::vector<std::uint8_t> Bytes(T value) {
    std::vector<std::uint8_t> b(sizeof value);
    std::memcpy(b.data(), &value, sizeof value);
    return b;
}

TEST(VchkValueText, EveryFieldType) {
    setenv("VORTAB_DATE_ORDER", "DMY", 1);
    const std::int32_t day = paradox::api::DaysFromCivil(2000, 2, 1);
    const double stamp = (day * 86400.0 + 12 * 3600 + 30 * 60 + 5) * 1000.0;
    std::vector<std::uint8_t> bcd(18, 0);
    bcd[0] = 32;
    bcd[1] = 0x80 | 2;  // negative, two decimals
    bcd[16] = 0x12;
    bcd[17] = 0x50;  // ...1250 -> -12.50
    const ValueCase cases[] = {
        {vortab::FLDZSTRING, 0, {'a', '"', 'b', 0}, "\"a\"\"b\""},
        {vortab::FLDDATE, 0, Bytes(day), "01.02.2000"},
        {vortab::FLDBOOL, 0, Bytes<std::int16_t>(1), "TRUE"},
        {vortab::FLDINT16, 0, Bytes<std::int16_t>(-5), "-5"},
        {vortab::FLDINT32, 0, Bytes<std::int32_t>(-70000), "-70000"},
        {vortab::FLDUINT32, 0, Bytes<std::uint32_t>(0xFFFFFFFF), "-1"},
        {vortab::FLDUINT16, 0, Bytes<std::uint16_t>(65535), "65535"},
        {vortab::FLDFLOAT, 0, Bytes(0.5), "0.5"},  // no decimals stated: the value still reads back
        {vortab::FLDFLOAT, 2, Bytes(12.0), "12.00"},
        {vortab::FLDBCD, 2, bcd, "-12.50"},
        {vortab::FLDTIME, 0, Bytes<std::int32_t>((8 * 3600 + 5) * 1000), "08:00:05"},
        {vortab::FLDTIMESTAMP, 0, Bytes(stamp), "01.02.2000 12:30:05"},
    };
    for (const ValueCase& c : cases) {
        std::uint8_t buffer[256] = {};
        std::memcpy(buffer, c.bytes.data(), c.bytes.size());
        const auto field = dbinfo_test::Field(1, "F", c.type, 0, 0, c.units2);
        FixedSeparators fixed;
        EXPECT_EQ(VchkValueText(1, buffer, field), c.expected) << "type " << c.type;
        EXPECT_EQ(VchkValueText(2, buffer, field), "0");
    }
    unsetenv("VORTAB_DATE_ORDER");
}

TEST(VchkValueText, SeparatorsComeBackAfterAFailure) {
    CurrentSeparators() = Separators{'/', ':', ','};
    std::uint8_t buffer[256] = {};
    try {
        FixedSeparators fixed;
        VchkValueText(1, buffer, dbinfo_test::Field(1, "F", vortab::FLDBLOB, vortab::FLDSTMEMO));
        ADD_FAILURE() << "a memo has no check value";
    } catch (const GenerationError& e) {
        EXPECT_STREQ(e.what(), "Unknown field type");
    }
    EXPECT_EQ(CurrentSeparators().decimal, ',');
    EXPECT_EQ(CurrentSeparators().date, '/');
    CurrentSeparators() = Separators{};
}

}  // namespace
