// The layout of a .dbf table: the header with its field descriptors, for every version this
// driver knows. dBase II / FoxBASE (0x02) keeps a short header with 16-byte descriptors and its
// data at byte 521; dBase III to 5, FoxPro 2.x and Visual FoxPro keep a 32-byte header with
// 32-byte descriptors (Visual FoxPro adds null flags, autoincrement and a 263-byte backlink);
// dBase 7 (0x04, 0x8C) keeps a 68-byte header with 48-byte descriptors and is read only.
//
// ParseHeader trusts nothing in the bytes: every size is checked against the file, and a header
// that cannot describe its records is an EngineError err::kUnreadableDatabase naming the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::dbf {

enum class Layout { DbaseII, Standard, Dbase7 };
enum class MemoKind { None, Dbt3, Dbt4, Fpt };

// Visual FoxPro field flags.
namespace fieldflag {
inline constexpr std::uint8_t kSystem = 0x01;
inline constexpr std::uint8_t kNullable = 0x02;
inline constexpr std::uint8_t kBinary = 0x04;
inline constexpr std::uint8_t kAutoIncrement = 0x08;
}  // namespace fieldflag

struct FieldDescriptor {
    std::string name;  // as stored (the code page's bytes, converted when the table opens)
    char type = 'C';
    std::uint32_t offset = 0;  // from the start of the record (the deleted flag is byte 0)
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;
    std::uint8_t flags = 0;
    std::uint32_t autoNext = 0;  // Visual FoxPro autoincrement: the next value and the step
    std::uint8_t autoStep = 0;
    int nullBit = -1;    // bit of _NullFlags that marks Null, -1 when none
    int lengthBit = -1;  // bit of _NullFlags that marks a V/Q value shorter than the field
};

struct TableHeader {
    std::uint8_t version = 0x03;
    int year = 0;  // last update
    int month = 0;
    int day = 0;
    std::uint32_t recordCount = 0;
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::uint8_t tableFlags = 0;  // byte 28: 0x01 structural index, 0x02 memo (Visual FoxPro)
    std::uint8_t languageDriver = 0;
    Layout layout = Layout::Standard;
    std::vector<FieldDescriptor> fields;  // every field, _NullFlags included
    int nullFlagsField = -1;              // index of _NullFlags, -1 when absent
};

bool IsVisualFoxPro(std::uint8_t version);
MemoKind MemoKindOf(std::uint8_t version);
// True for the versions this driver writes (every one but dBase II and dBase 7).
bool IsWritable(const TableHeader& header);

// Reads the header from the first bytes of a file of `fileSize` bytes. `bytes` holds at least
// the header (or the whole file when shorter). Throws EngineError naming `file`.
TableHeader ParseHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& file);
// How many bytes ParseHeader needs at most before it knows the header length.
inline constexpr std::size_t kHeaderProbe = 68;

// The header bytes of a standard-layout table (header, descriptors, terminator and, for Visual
// FoxPro, the backlink), exactly headerLength long.
std::string SerializeHeader(const TableHeader& header);
// Only the first 32 bytes: version, date, count, lengths, flags.
std::string SerializeMainHeader(const TableHeader& header);

// Sets the date of the last update to today.
void StampToday(TableHeader& header);

// Fills offsets, record length, header length and null-flag bits for a new table's fields.
void LayOut(TableHeader& header);

}  // namespace tessel::db::dbf
