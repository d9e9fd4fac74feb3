// Text in the pages of the language drivers survives the way through Unicode and back, so that a
// script or a table text the editor shows is written back unchanged.
#include <gtest/gtest.h>

#include <string>

#include "shared/text/code_pages.h"

namespace vortab {
namespace {

// Every byte comes back, but an undefined byte whose stand-in (the code point of its own number)
// the page holds at another byte: that one comes back as the other byte, the character it shows.
TEST(CodePages, EveryByteOfEveryPageComesBackFromUnicode) {
    for (const std::uint16_t page : KnownCodePages()) {
        const TextDecoder decoder(page);
        int shared = 0;
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            const std::string back = Utf8ToCodePage(decoder.toUtf8(byte), page);
            if (back == byte) continue;
            ++shared;
            EXPECT_EQ(decoder.toUtf8(back), decoder.toUtf8(byte)) << "code page " << page << ", byte " << b;
        }
        EXPECT_LE(shared, 3) << "code page " << page;
    }
}

TEST(CodePages, WhatAPageLacksBecomesAQuestionMark) {
    EXPECT_EQ(Utf8ToCodePage("\xD0\x9F\xC3\xA9", 1251), "\xCF?");  // П é
    EXPECT_EQ(Utf8ToCodePage("\xC3\xA9\xFF", 1255), "\xE9?");      // unknown page: 1252; malformed byte
}

}  // namespace
}  // namespace vortab
