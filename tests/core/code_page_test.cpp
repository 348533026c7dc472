// Code pages named as text files name them, converted through iconv; bytes a code page
// refuses still read.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/base/code_page.h"

namespace tessel::test {
namespace {

TEST(CodePage, NamesAndNumbersGiveTheirIconvNames) {
    EXPECT_EQ(base::IconvNameOfCodePage("ANSI"), "CP1252");
    EXPECT_EQ(base::IconvNameOfCodePage(" oem "), "CP437");
    EXPECT_EQ(base::IconvNameOfCodePage("65001"), "UTF-8");
    EXPECT_EQ(base::IconvNameOfCodePage("28592"), "ISO-8859-2");
    EXPECT_EQ(base::IconvNameOfCodePage("850"), "CP850");
    EXPECT_EQ(base::IconvNameOfCodePage("1200"), std::nullopt);  // UTF-16 splits delimiters
    EXPECT_EQ(base::IconvNameOfCodePage("12x"), std::nullopt);
    EXPECT_EQ(base::IconvNameOfCodePage(""), std::nullopt);
    EXPECT_THROW(base::CodePage("99999"), std::invalid_argument);
}

TEST(CodePage, Utf8FallsBackToWindows1252ForInvalidBytes) {
    base::CodePage utf8("UTF-8");
    EXPECT_EQ(utf8.Decode("plain"), "plain");
    EXPECT_EQ(utf8.Decode("Zo\xC3\xAB"), "Zo\xC3\xAB");
    // 0x80 is the euro sign in Windows-1252; 0x81 has no character there and stays U+0081.
    EXPECT_EQ(utf8.Decode("\x80\x81 \xE9"), "\xE2\x82\xAC\xC2\x81 \xC3\xA9");
    // A sequence cut short at the end is a stray byte too.
    EXPECT_EQ(utf8.Decode("a\xC3"), "a\xC3\x83");
}

TEST(CodePage, SingleByteCodePagesEncodeWhatTheyHold) {
    base::CodePage oem("OEM");
    EXPECT_EQ(oem.Decode("\x89\x9B"), "\xC3\xAB\xC2\xA2");
    EXPECT_EQ(oem.Encode("\xC3\xAB"), "\x89");
    base::CodePage ansi("1252");
    EXPECT_EQ(ansi.Encode("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
    EXPECT_EQ(ansi.Encode("\xE2\x9C\x93"), std::nullopt);
}

}  // namespace
}  // namespace tessel::test
