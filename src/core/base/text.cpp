#include "core/base/text.h"

namespace tessel::base {
namespace {

// Shifts the ASCII letters between `from` and `from` + 25 by `shift`.
std::string ShiftAsciiLetters(std::string_view text, char from, int shift) {
    std::string result(text);
    for (char& c : result) {
        if (c >= from && c <= from + 25)
            c = static_cast<char>(c + shift);
    }
    return result;
}

}  // namespace

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
    return ShiftAsciiLetters(text, 'a', 'A' - 'a');
}

std::string LowerAscii(std::string_view text) {
    return ShiftAsciiLetters(text, 'A', 'a' - 'A');
}

std::string Trim(std::string_view text, std::string_view characters) {
    const auto begin = text.find_first_not_of(characters);
    if (begin == std::string_view::npos)
        return {};
    const auto end = text.find_last_not_of(characters);
    return std::string(text.substr(begin, end - begin + 1));
}

std::string HexDigits(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

}  // namespace tessel::base
