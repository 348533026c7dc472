#include "core/db/drivers/excel/compound_file.h"

#include "core/db/drivers/excel/little_endian.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/db/errors.h"

namespace tessel::db::excel {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kDirectoryEntrySize = 128;

// A sector number past the bytes ends its chain.
std::uint32_t SectorAt(const std::string& bytes, std::size_t at) {
    return at + 4 > bytes.size() ? kEndOfChain : U32(bytes, at);
}

class Container {
  public:
    Container(const std::string& bytes, const std::string& path) : bytes_(bytes), path_(path) {}

    std::string Workbook() {
        const unsigned shift = U16(bytes_, 0x1E);
        const unsigned miniShift = U16(bytes_, 0x20);
        if (shift < 7 || shift > 16 || miniShift < 2 || miniShift >= shift)
            Fail("its container header names an impossible sector size");
        sector_ = std::size_t{1} << shift;
        miniSector_ = std::size_t{1} << miniShift;
        ReadFat();
        const std::string directory = Chain(SectorAt(bytes_, 0x30), fat_, sector_, bytes_, true);
        if (directory.size() < kDirectoryEntrySize)
            Fail("its container holds no directory");
        const std::uint32_t miniCutoff = SectorAt(bytes_, 0x38);
        const std::string miniFatBytes = Chain(SectorAt(bytes_, 0x3C), fat_, sector_, bytes_, true);
        std::vector<std::uint32_t> miniFat;
        for (std::size_t at = 0; at + 4 <= miniFatBytes.size(); at += 4)
            miniFat.push_back(SectorAt(miniFatBytes, at));

        std::string root;
        bool rootRead = false;
        bool encrypted = false;
        for (std::size_t at = 0; at + kDirectoryEntrySize <= directory.size();
             at += kDirectoryEntrySize) {
            const int type = static_cast<unsigned char>(directory[at + 0x42]);
            const std::uint32_t start = SectorAt(directory, at + 0x74);
            const std::uint32_t size = SectorAt(directory, at + 0x78);
            if (type == 5 && !rootRead) {
                root = Sized(Chain(start, fat_, sector_, bytes_, false), size);
                rootRead = true;
                continue;
            }
            if (type != 2)
                continue;
            const std::string name = EntryName(directory, at);
            if (name == "encryptedpackage")
                encrypted = true;
            if (name != "workbook" && name != "book")
                continue;
            if (size < miniCutoff)
                return Sized(Chain(start, miniFat, miniSector_, root, false), size);
            return Sized(Chain(start, fat_, sector_, bytes_, false), size);
        }
        if (encrypted)
            ThrowEncrypted(path_);
        Fail("its container holds no workbook stream");
    }

  private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw EngineError(err::kUnreadableDatabase,
                          "The workbook '" + path_ + "' cannot be read: " + why + ".");
    }

    void ReadFat() {
        std::vector<std::uint32_t> fatSectors;
        for (std::size_t i = 0; i < 109; ++i) {
            const std::uint32_t id = SectorAt(bytes_, 0x4C + 4 * i);
            if (id < kEndOfChain - 1)
                fatSectors.push_back(id);
        }
        // Further FAT sector numbers live in a chain of their own sectors.
        std::uint32_t difat = SectorAt(bytes_, 0x44);
        std::size_t guard = bytes_.size() / sector_ + 1;
        while (difat < kEndOfChain - 1 && guard-- > 0) {
            const std::size_t at = Offset(difat);
            for (std::size_t i = 0; i + 1 < sector_ / 4; ++i) {
                const std::uint32_t id = SectorAt(bytes_, at + 4 * i);
                if (id < kEndOfChain - 1)
                    fatSectors.push_back(id);
            }
            difat = SectorAt(bytes_, at + sector_ - 4);
        }
        for (std::uint32_t id : fatSectors) {
            const std::size_t at = Offset(id);
            for (std::size_t i = 0; i < sector_ / 4; ++i)
                fat_.push_back(SectorAt(bytes_, at + 4 * i));
        }
    }

    std::size_t Offset(std::uint32_t sector) const {
        const std::size_t at = (static_cast<std::size_t>(sector) + 1) * sector_;
        if (at >= bytes_.size())
            Fail("a sector chain leads past the end of the file");
        return at;
    }

    // The sectors of a chain joined; a sector that the file ends within is cut short. A chain
    // that loops or leaves the table is a fault, unless `lenient` (for tables the workbook may
    // not need) where it only ends the chain.
    std::string Chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                      std::size_t unit, const std::string& from, bool lenient) const {
        std::string out;
        std::vector<bool> seen(table.size(), false);
        for (std::uint32_t id = start; id != kEndOfChain;) {
            if (id >= table.size() || seen[id]) {
                if (lenient || id == 0xFFFFFFFFu)
                    break;
                Fail("a sector chain of its container is broken");
            }
            seen[id] = true;
            const std::size_t base = &from == &bytes_ ? (static_cast<std::size_t>(id) + 1) * unit
                                                      : static_cast<std::size_t>(id) * unit;
            if (base >= from.size()) {
                if (lenient)
                    break;
                Fail("a sector chain leads past the end of the file");
            }
            out.append(from, base, unit);
            id = table[id];
        }
        return out;
    }

    std::string Sized(std::string data, std::uint32_t size) const {
        if (data.size() < size)
            Fail("its workbook stream is shorter than its directory says");
        data.resize(size);
        return data;
    }

    static std::string EntryName(const std::string& directory, std::size_t at) {
        const std::size_t length = std::min<std::size_t>(U16(directory, at + 0x40), 64);
        std::string name;
        for (std::size_t i = 0; i + 2 < length + 1 && i < 62; i += 2) {
            const std::uint16_t unit = U16(directory, at + i);
            if (unit == 0)
                break;
            name += unit < 0x80 ? static_cast<char>(unit >= 'A' && unit <= 'Z' ? unit + 32 : unit)
                                : '?';
        }
        return name;
    }

    const std::string& bytes_;
    const std::string& path_;
    std::size_t sector_ = 512;
    std::size_t miniSector_ = 64;
    std::vector<std::uint32_t> fat_;
};

}  // namespace

void ThrowEncrypted(const std::string& path) {
    throw EngineError(err::kCannotOpenFile,
                      "The workbook '" + path +
                          "' is encrypted with a password, which this program cannot decrypt. "
                          "Save it without a password in the program that made it.");
}

std::string WorkbookStream(const std::string& bytes, const std::string& path) {
    if (bytes.size() >= kHeaderSize && std::memcmp(bytes.data(), kCompoundSignature, 8) == 0)
        return Container(bytes, path).Workbook();
    return bytes;  // a bare BIFF stream
}

}  // namespace tessel::db::excel
