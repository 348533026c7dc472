#include "core/db/drivers/jet/jet_property_check.h"

namespace tessel::db::jet {
namespace {

constexpr std::size_t kMagicSize = 4;
constexpr std::size_t kBlockHeaderSize = 6;   // length (4 bytes) and type (2)
constexpr std::size_t kRecordHeaderSize = 8;  // length, flag, type, name number, value length
constexpr unsigned kNamesBlock = 0x80;

// An unsigned little-endian number of `count` bytes; the caller checked that they are there.
std::size_t At(std::string_view bytes, std::size_t offset, std::size_t count) {
    std::size_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The names block: names, each a 2-byte length and its bytes, filling the block exactly.
bool NamesAreSound(std::string_view block, std::size_t& names) {
    std::size_t at = kBlockHeaderSize;
    while (at < block.size()) {
        if (at + 2 > block.size() || At(block, at, 2) > block.size() - at - 2)
            return false;
        at += 2 + At(block, at, 2);
        ++names;
    }
    return at == block.size();
}

// A block of one object's or one column's properties: the object's name, then records.
bool RecordsAreSound(std::string_view block, std::size_t names) {
    if (block.size() < kBlockHeaderSize + 6)
        return false;
    const std::size_t nameBlock = At(block, kBlockHeaderSize, 4);
    if (nameBlock < 6 || nameBlock > block.size() - kBlockHeaderSize ||
        2 + At(block, kBlockHeaderSize + 4, 2) > nameBlock - 4)
        return false;
    std::size_t at = kBlockHeaderSize + nameBlock;
    while (at < block.size()) {
        if (at + kRecordHeaderSize > block.size())
            return false;
        const std::size_t length = At(block, at, 2);
        if (length < kRecordHeaderSize || length > block.size() - at ||
            kRecordHeaderSize + At(block, at + 6, 2) > length || At(block, at + 4, 2) >= names)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

bool PropertyListIsSound(std::string_view list) {
    if (list.empty())
        return true;
    if (list.size() < kMagicSize || (list.substr(0, kMagicSize) != std::string_view("MR2\0", 4) &&
                                     list.substr(0, kMagicSize) != std::string_view("KKD\0", 4)))
        return false;
    std::size_t names = 0;
    std::size_t at = kMagicSize;
    while (at < list.size()) {
        if (at + kBlockHeaderSize > list.size())
            return false;
        const std::size_t length = At(list, at, 4);
        if (length < kBlockHeaderSize || length > list.size() - at)
            return false;
        const std::string_view block = list.substr(at, length);
        const bool sound = At(block, 4, 2) == kNamesBlock ? NamesAreSound(block, names)
                                                          : RecordsAreSound(block, names);
        if (!sound)
            return false;
        at += length;
    }
    return true;
}

}  // namespace tessel::db::jet
