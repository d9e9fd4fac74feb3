// The fold of names against Windows' upper-casing of code page 1252 (CharUpperBuff), byte by byte.
#include <gtest/gtest.h>

#include <string>

#include "shared/text/case_fold.h"

namespace vortab {
namespace {

TEST(CaseFold, EveryByteFoldsAsWindowsUpperCasesCodePage1252) {
    // Small letters and their capitals, pairwise; every other byte is its own capital.
    const std::string small =
        "abcdefghijklmnopqrstuvwxyz"
        "\x9A\x9C\x9E\xFF"  // š œ ž ÿ
        "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
        "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE";  // à..þ without ÷
    const std::string capital =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "\x8A\x8C\x8E\x9F"
        "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
        "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE";
    ASSERT_EQ(small.size(), capital.size());
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const std::size_t at = small.find(byte);
        const char expected = at == std::string::npos ? byte : capital[at];
        EXPECT_EQ(UpperCase1252(byte), expected) << "byte 0x" << std::hex << b;
        EXPECT_TRUE(SameNameNoCase(std::string(1, byte), std::string(1, expected))) << "byte 0x" << std::hex << b;
    }
}

}  // namespace
}  // namespace vortab
