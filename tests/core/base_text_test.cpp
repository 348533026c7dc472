#include "core/base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel::base {
namespace {

TEST(BaseText, HexDigitsGiveTwoUpperCaseDigitsForEveryByte) {
    EXPECT_EQ(HexDigits(""), "");
    EXPECT_EQ(HexDigits(std::string("\x00\x01\xAB\xFF", 4)), "0001ABFF");
    EXPECT_EQ(HexDigits("Az"), "417A");
}

}  // namespace
}  // namespace tessel::base
