// Text stored a byte a character in the code page that a workbook's CODEPAGE record names
// (the formats before 8; the later one stores 8-bit text as Latin-1 and the rest as UTF-16).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tessel::base {
class CodePage;
}

namespace tessel::db::excel {

class ByteText {
  public:
    // `codePage` as the CODEPAGE record holds it; 0 when the workbook has none (Windows-1252).
    explicit ByteText(std::uint16_t codePage);
    ~ByteText();
    ByteText(const ByteText&) = delete;
    ByteText& operator=(const ByteText&) = delete;

    std::string Decode(std::string_view bytes);

  private:
    std::unique_ptr<base::CodePage> codePage_;  // none: Latin-1
};

}  // namespace tessel::db::excel
