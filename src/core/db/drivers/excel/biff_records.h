// The records of a classic workbook's stream and the numbers and texts inside them. Every
// read is checked against the bytes, so any stream gives records or ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::db::excel {

namespace rec {
inline constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof8 = 0x0809;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kBundleSheet = 0x008F;  // the sheet list of a version 4 workbook
inline constexpr std::uint16_t kFormat2 = 0x001E, kFormat = 0x041E;
inline constexpr std::uint16_t kXf2 = 0x0043, kXf3 = 0x0243, kXf4 = 0x0443, kXf = 0x00E0;
inline constexpr std::uint16_t kIxfe = 0x0044;  // the style of the next cell, past 62 (version 2)
inline constexpr std::uint16_t kSst = 0x00FC, kContinue = 0x003C;
inline constexpr std::uint16_t kName = 0x0018, kExternSheet = 0x0017;
inline constexpr std::uint16_t kDimension2 = 0x0000, kDimension = 0x0200;
inline constexpr std::uint16_t kInteger2 = 0x0002, kNumber2 = 0x0003, kNumber = 0x0203;
inline constexpr std::uint16_t kLabel2 = 0x0004, kLabel = 0x0204, kRString = 0x00D6;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kBoolErr2 = 0x0005, kBoolErr = 0x0205;
inline constexpr std::uint16_t kRk = 0x027E, kMulRk = 0x00BD;
inline constexpr std::uint16_t kFormula = 0x0006, kFormula3 = 0x0206, kFormula4 = 0x0406;
inline constexpr std::uint16_t kString2 = 0x0007, kString = 0x0207;
}  // namespace rec

struct Record {
    std::uint16_t type = 0;
    std::string_view data;
    bool cut = false;  // the stream ends before the length that the record's header gives
};

class RecordReader {
  public:
    RecordReader(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
    bool Next(Record& record);
    std::size_t Offset() const { return at_; }

  private:
    std::string_view stream_;
    std::size_t at_;
};

// 2, 3, 4, 5 or 8 for a BOF record, 0 for any other.
int VersionOfBof(const Record& record);

// The kind of substream that a BOF record begins (0x0005 workbook globals, 0x0010 worksheet,
// 0x0020 chart, 0x0040 macro sheet, 0x0100 a version 4 workbook).
std::uint16_t KindOfBof(const Record& record, int version);

// UTF-8 of characters stored one byte each (Latin-1, as the later format's compressed strings
// are) or two (UTF-16LE, surrogate pairs joined); as many as the bytes hold.
void AppendCharacters(std::string& out, std::string_view bytes, std::size_t count, bool wide);
std::string CharactersOf(std::string_view bytes, std::size_t count, bool wide);

// A string of the later format inside one record at `at`: its character count (two bytes, or
// one when not `longCount`), its flags and its characters; "" where the bytes end too soon.
std::string UnicodeStringOf(std::string_view data, std::size_t at, bool longCount);

// An IEEE double stored little-endian in the first 8 of `bytes` (which must hold them).
double DoubleOf(std::string_view bytes);

// A number packed into 32 bits: a whole number or the top of a double, maybe divided by 100.
double RkValue(std::uint32_t rk);

}  // namespace tessel::db::excel
