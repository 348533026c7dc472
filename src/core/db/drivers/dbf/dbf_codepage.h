// The code page of a table's text, named by the language-driver byte of its header, and the
// conversion of its texts to and from UTF-8 through iconv.
//
// A table without a mark (byte 0, or a byte that names no code page iconv knows) is read value
// by value: bytes that are valid UTF-8 are taken as UTF-8 (tables written by newer tools carry
// no mark), other bytes as Windows-1252, the code page that unmarked tables of the classic tools
// most often hold. Such a table is written in UTF-8, so that nothing a person types is lost.
// New tables are marked Windows-1252 (kNewTableDriver).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::dbf {

inline constexpr std::uint8_t kNewTableDriver = 0x03;

// The iconv name of a language-driver byte; nothing for 0 and for bytes it does not know.
std::optional<std::string> CodePageOf(std::uint8_t languageDriver);

class TextCodec {
  public:
    explicit TextCodec(std::uint8_t languageDriver);
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    // The stored bytes as UTF-8.
    std::string Decode(std::string_view stored);
    // The UTF-8 text in the table's code page; nothing when a character has no place in it.
    std::optional<std::string> Encode(std::string_view text);

  private:
    struct Converter;
    std::unique_ptr<Converter> toUtf8_;
    std::unique_ptr<Converter> fromUtf8_;
    bool unmarked_ = false;
};

bool IsValidUtf8(std::string_view text);

}  // namespace tessel::db::dbf
