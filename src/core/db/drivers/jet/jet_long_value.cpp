#include "core/db/drivers/jet/jet_long_value.h"

#include "core/db/drivers/jet/jet_values.h"

namespace tessel::db::jet {
namespace {

constexpr std::size_t kReferenceSize = 12;
constexpr std::uint32_t kInline = 0x80000000u;
constexpr std::uint32_t kSinglePage = 0x40000000u;
constexpr std::uint32_t kLengthMask = 0x3fffffffu;
constexpr unsigned kOffsetMask = 0x1fff;
// A memo or OLE value holds at most 1 GB; a damaged length asks for no more than the file.
constexpr std::uint32_t kMostBytes = 1u << 30;

std::uint32_t Unsigned32(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(ReadLittleEndian(bytes, offset, 4));
}

unsigned Unsigned16(std::string_view bytes, std::size_t offset) {
    return static_cast<unsigned>(ReadLittleEndian(bytes, offset, 2)) & 0xffffu;
}

}  // namespace

std::optional<std::string_view> RowOfPage(const JetFile& file, std::string_view page,
                                          unsigned row) {
    const std::size_t countOffset = file.Handle()->fmt->row_count_offset;
    if (page.size() < countOffset + 2)
        return std::nullopt;
    const unsigned rows = Unsigned16(page, countOffset);
    if (row >= rows || countOffset + 2 + 2 * (row + 1) > page.size())
        return std::nullopt;
    const unsigned start = Unsigned16(page, countOffset + 2 + 2 * row) & kOffsetMask;
    const unsigned end = row == 0 ? static_cast<unsigned>(page.size())
                                  : Unsigned16(page, countOffset + 2 + 2 * (row - 1)) & kOffsetMask;
    if (start >= end || end > page.size())
        return std::nullopt;
    return page.substr(start, end - start);
}

std::optional<std::string> ReadLongValue(const JetFile& file, std::string_view stored) {
    if (stored.size() < kReferenceSize)
        return std::nullopt;
    const std::uint32_t header = Unsigned32(stored, 0);
    const std::uint32_t length = header & kLengthMask;
    if (length > kMostBytes ||
        length > static_cast<unsigned long long>(file.Header().pageCount) *
                     static_cast<unsigned long long>(file.Header().pageSize)) {
        return std::nullopt;
    }
    if (header & kInline) {
        if (stored.size() - kReferenceSize < length)
            return std::nullopt;
        return std::string(stored.substr(kReferenceSize, length));
    }
    std::uint32_t pointer = Unsigned32(stored, 4);
    std::string page;
    if (header & kSinglePage) {
        if (!file.ReadPage(pointer >> 8, page))
            return std::nullopt;
        const auto row = RowOfPage(file, page, pointer & 0xff);
        if (!row || row->size() < length)
            return std::nullopt;
        return std::string(row->substr(0, length));
    }
    // A chain: each row starts with the pointer to the next one.
    std::string value;
    for (long long hops = 0; value.size() < length; ++hops) {
        if (pointer == 0 || hops > file.Header().pageCount)
            return std::nullopt;
        if (!file.ReadPage(pointer >> 8, page))
            return std::nullopt;
        const auto row = RowOfPage(file, page, pointer & 0xff);
        if (!row || row->size() < 4)
            return std::nullopt;
        pointer = Unsigned32(*row, 0);
        const std::size_t wanted = std::min<std::size_t>(row->size() - 4, length - value.size());
        value.append(row->substr(4, wanted));
    }
    return value;
}

}  // namespace tessel::db::jet
