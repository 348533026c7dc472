// Writing Unicode characters as UTF-8, the encoding of every text the program keeps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::base {

// Appends `character` (a code point up to U+10FFFF) to `text` as one to four bytes.
void AppendUtf8(std::string& text, char32_t character);

// The characters of a UTF-8 text: every byte but the continuation bytes 10xxxxxx starts one.
std::size_t Utf8CharacterCount(std::string_view text);

}  // namespace tessel::base
