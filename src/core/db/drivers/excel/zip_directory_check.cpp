#include "core/db/drivers/excel/zip_directory_check.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

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

// The bytes of the file from `offset` to its end.
std::string ReadFrom(std::ifstream& file, std::uint64_t offset, std::uint64_t fileSize) {
    std::string bytes(static_cast<std::size_t>(fileSize - offset), '\0');
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

}  // namespace

// Only the end of the file is read, where the directory lies: the parts before it are the
// library's to read, and a workbook of hundreds of megabytes must not be read twice.
void CheckZipDirectory(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    // The end record is the last thing in the file, before a comment of at most 64 KB.
    if (size < static_cast<std::streamoff>(kEndRecordSize))
        return;  // the library says what is wrong with such a file
    const auto fileSize = static_cast<std::uint64_t>(size);
    const std::uint64_t tailStart =
        fileSize > kEndRecordSize + 0xFFFF ? fileSize - kEndRecordSize - 0xFFFF : 0;
    const std::string tail = ReadFrom(file, tailStart, fileSize);
    if (tail.size() < kEndRecordSize)
        return;
    std::size_t end = tail.size() - kEndRecordSize + 1;
    bool found = false;
    while (end-- > 0) {
        if (U32(tail, end) == kEndOfDirectory) {
            found = true;
            break;
        }
    }
    if (!found)
        return;
    const std::size_t entries = U16(tail, end + 10);
    const std::uint64_t directoryStart = U32(tail, end + 16);
    if (directoryStart >= fileSize)
        return;
    // To the end of the file, not the directory's stated size: a damaged size must not hide
    // an entry from the check.
    const std::string directory = ReadFrom(file, directoryStart, fileSize);
    const std::string_view zip(directory);
    std::size_t at = 0;
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
