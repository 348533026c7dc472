// Writing Unicode characters as UTF-8, the encoding of every text the program keeps.
#pragma once

#include <string>

namespace tessel::base {

// Appends `character` (a code point up to U+10FFFF) to `text` as one to four bytes.
void AppendUtf8(std::string& text, char32_t character);

}  // namespace tessel::base
