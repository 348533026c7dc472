// The header of a Paradox table (.db): its fields, its block layout and what the data blocks
// need to be read (record size, code page, the key that scrambles an encrypted table). Every
// number is checked against the file's size, so that a damaged header gives one clear error
// naming the file instead of a read outside the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::paradox {

// The field type bytes of the format.
namespace ptype {
inline constexpr std::uint8_t kAlpha = 0x01;
inline constexpr std::uint8_t kDate = 0x02;
inline constexpr std::uint8_t kShort = 0x03;
inline constexpr std::uint8_t kLong = 0x04;
inline constexpr std::uint8_t kCurrency = 0x05;
inline constexpr std::uint8_t kNumber = 0x06;
inline constexpr std::uint8_t kLogical = 0x09;
inline constexpr std::uint8_t kMemo = 0x0C;
inline constexpr std::uint8_t kBlob = 0x0D;
inline constexpr std::uint8_t kFormattedMemo = 0x0E;
inline constexpr std::uint8_t kOle = 0x0F;
inline constexpr std::uint8_t kGraphic = 0x10;
inline constexpr std::uint8_t kTime = 0x14;
inline constexpr std::uint8_t kTimestamp = 0x15;
inline constexpr std::uint8_t kAutoIncrement = 0x16;
inline constexpr std::uint8_t kBcd = 0x17;
inline constexpr std::uint8_t kBytes = 0x18;
}  // namespace ptype

struct PxField {
    std::string name;  // UTF-8
    std::uint8_t type = 0;
    std::uint16_t size = 0;  // bytes in the record (for BCD: the digits after the point)
    std::size_t offset = 0;  // of the field within the record
    std::size_t length = 0;  // bytes in the record
};

struct PxHeader {
    std::uint16_t recordSize = 0;
    std::uint16_t headerSize = 0;
    std::uint8_t fileType = 0;  // 0 keyed table, 2 table without key
    std::size_t blockSize = 0;
    std::uint32_t recordCount = 0;  // as the header counts them
    std::uint16_t fileBlocks = 0;
    std::uint16_t firstBlock = 0;
    std::uint16_t keyFields = 0;   // the first fields make the primary key
    std::uint32_t encryption = 0;  // 0: not encrypted
    std::uint8_t versionId = 0;
    int codePage = 0;  // DOS code page, 0 when the header names none
    std::vector<PxField> fields;
    std::string indexName;  // a composite secondary index's own name (.XGn files)

    // "3.0", "3.5", "4.0", "5.0" or "7.0".
    std::string VersionText() const;
};

// Reads the header at the start of `bytes` (the file's first bytes, at least the header).
// `path` names the file in errors. Throws EngineError kUnreadableDatabase for anything that is
// not a sound Paradox table header.
PxHeader ParseHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path);
// The same for the file of a secondary index (.Xnn or .XGn), which is laid out as a table of the
// index's fields, the primary key's fields and a block number.
PxHeader ParseIndexHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path);

// True when `bytes` (a file's first bytes) look like a Paradox table header.
bool LooksLikeTable(std::string_view bytes);

}  // namespace tessel::db::paradox
