// Small text helpers shared by every layer: case changes of ASCII letters only (other bytes are
// parts of UTF-8 characters that have no case here) and trimming.
#pragma once

#include <string>
#include <string_view>

namespace tessel::base {

inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

char UpperAscii(char c);
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Each byte as two upper-case hexadecimal digits ("\x01\xAB" is "01AB").
std::string HexDigits(std::string_view bytes);

// `text` without the leading and trailing characters that are in `characters`.
std::string Trim(std::string_view text, std::string_view characters = kBlanks);

}  // namespace tessel::base
