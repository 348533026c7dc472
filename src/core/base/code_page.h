// Text in the code pages of files made elsewhere, converted to and from UTF-8 through iconv.
//
// A code page is named as the files that describe text files name it: "ANSI" (Windows-1252),
// "OEM" (CP437), "UTF-8", or a Windows code page number ("65001", "1252", "850", "28591").
// Decoding never fails: bytes that are not valid in the code page stand for the Windows-1252
// character of the same byte (the byte's own code point where Windows-1252 has none), so that a
// file with a stray byte still reads. Encoding fails for a character the code page lacks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::base {

// The iconv name of a code page as files name it; nothing when the name is not one.
std::optional<std::string> IconvNameOfCodePage(std::string_view name);

class CodePage {
  public:
    // Throws std::invalid_argument naming the code page when iconv cannot convert it.
    explicit CodePage(std::string_view name);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    bool IsUtf8() const { return utf8_; }

    // UTF-8 text of `bytes` (ASCII passes unchanged without a conversion).
    std::string Decode(std::string_view bytes);
    // The bytes of UTF-8 `text`; nothing when a character has no byte in this code page.
    std::optional<std::string> Encode(std::string_view text);

  private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    bool utf8_ = false;
};

}  // namespace tessel::base
