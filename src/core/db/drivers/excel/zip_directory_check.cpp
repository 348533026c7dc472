#include "core/db/drivers/excel/zip_directory_check.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "core/db/drivers/excel/little_endian.h"
#include "core/db/errors.h"

namespace tessel::db::excel {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kEntrySize = 46;
constexpr std::uint64_t kDeflateRatio = 1032;
constexpr std::uint64_t kSlack = 1 << 16;
constexpr std::uint32_t kZip64Marker = 0xFFFFFFFF;
constexpr std::uint16_t kStored = 0;

}  // namespace

void CheckZipDirectory(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::string_view zip(bytes);
    // The end record is the last thing in the file, before a comment of at most 64 KB.
    if (zip.size() < kEndRecordSize)
        return;  // the library says what is wrong with such a file
    std::size_t end = zip.size() - kEndRecordSize + 1;
    const std::size_t lowest =
        zip.size() > kEndRecordSize + 0xFFFF ? zip.size() - kEndRecordSize - 0xFFFF : 0;
    bool found = false;
    while (end-- > lowest) {
        if (U32(zip, end) == kEndOfDirectory) {
            found = true;
            break;
        }
    }
    if (!found)
        return;
    const std::size_t entries = U16(zip, end + 10);
    std::size_t at = U32(zip, end + 16);
    for (std::size_t i = 0; i < entries && at + kEntrySize <= zip.size(); ++i) {
        if (U32(zip, at) != kDirectoryEntry)
            return;
        const std::uint16_t method = U16(zip, at + 10);
        const std::uint32_t packed = U32(zip, at + 20);
        const std::uint32_t unpacked = U32(zip, at + 24);
        const std::size_t nameLength = U16(zip, at + 28);
        const std::string name(zip.substr(at + kEntrySize, std::min(nameLength, std::size_t{256})));
        const bool sizesInExtra = packed == kZip64Marker || unpacked == kZip64Marker;
        const std::uint64_t most =
            method == kStored ? packed : std::uint64_t{packed} * kDeflateRatio + kSlack;
        if (!sizesInExtra && unpacked > most) {
            throw EngineError(err::kUnreadableDatabase,
                              "The workbook '" + path + "' cannot be read: its part '" + name +
                                  "' claims " + std::to_string(unpacked) + " bytes unpacked from " +
                                  std::to_string(packed) +
                                  ", which cannot be; the file is damaged.");
        }
        at += kEntrySize + nameLength + U16(zip, at + 30) + U16(zip, at + 32);
    }
}

}  // namespace tessel::db::excel
