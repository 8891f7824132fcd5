// The table conversions between UTF-8, the 8-bit code pages and UTF-16.
#include <gtest/gtest.h>

#include "CodePage.h"

namespace {

using qpkpack::codePageToUtf8;
using qpkpack::utf8ToCodePage;

std::string encode(const std::string& utf8, int codePage) {
    std::string out, why;
    EXPECT_TRUE(utf8ToCodePage(utf8, codePage, out, why)) << why;
    return out;
}

std::string rejection(const std::string& utf8, int codePage) {
    std::string out, why;
    EXPECT_FALSE(utf8ToCodePage(utf8, codePage, out, why));
    return why;
}

TEST(CodePage, EncodesCharactersOfEachTable) {
    EXPECT_EQ("A\x80\x9F\xA0\xFF", encode("A€Ÿ\u00A0ÿ", 1252));
    EXPECT_EQ("\x81\x8D", encode("\u0081\u008D", 1252));  // bytes Windows leaves undefined
    EXPECT_EQ("\x9E\xB0\xE0\xFB", encode("₧░α√", 437));
    EXPECT_EQ("\x9D\xD5\xF2", encode("Øı‗", 850));
    EXPECT_EQ("Grüße 𝄞", encode("Grüße 𝄞", 65001));
}

TEST(CodePage, EveryByteRoundTrips) {
    // A table with a duplicate or a wrong entry maps two bytes to one character.
    for (int cp : {1252, 437, 850}) {
        for (int b = 0; b < 256; ++b) {
            std::string byte(1, char(b));
            EXPECT_EQ(byte, encode(codePageToUtf8(byte, cp), cp)) << "code page " << cp << " byte " << b;
        }
    }
}

TEST(CodePage, RejectsWhatDoesNotFitOrIsNotUtf8) {
    EXPECT_EQ("character U+20AC \"€\" does not fit code page 437", rejection("ok €", 437));
    EXPECT_EQ("character U+0152 \"Œ\" does not fit code page 850", rejection("Œ", 850));
    EXPECT_EQ("character U+0100 \"Ā\" does not fit code page 1252", rejection("Ā", 1252));
    EXPECT_EQ("malformed UTF-8 at byte 1", rejection("a\xC0\xAF", 1252));          // overlong '/'
    EXPECT_EQ("malformed UTF-8 at byte 0", rejection("\xED\xA0\x80", 65001));      // surrogate
    EXPECT_EQ("malformed UTF-8 at byte 2", rejection("ab\xE2\x82", 65001));        // cut short
    EXPECT_EQ("malformed UTF-8 at byte 0", rejection("\xF4\x90\x80\x80", 1252));   // past U+10FFFF
}

TEST(CodePage, Utf16ConversionsHandleSurrogates) {
    std::u16string wide;
    std::string why;
    ASSERT_TRUE(qpkpack::utf8ToUtf16("a€𝄞", wide, why));
    EXPECT_EQ(u"a€𝄞", wide);
    EXPECT_EQ("a€𝄞", qpkpack::utf16ToUtf8(wide));
    EXPECT_EQ("\xEF\xBF\xBDx\xEF\xBF\xBD", qpkpack::utf16ToUtf8(std::u16string{0xDD1E, u'x', 0xD834}));
    EXPECT_FALSE(qpkpack::utf8ToUtf16("\xFF", wide, why));
}

}  // namespace
