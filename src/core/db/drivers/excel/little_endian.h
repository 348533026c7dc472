// Little-endian numbers in the records and the container of classic workbooks; a number that
// would reach past the bytes reads as 0, so that a damaged length fails where it is checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel::db::excel {

inline std::uint16_t U16(std::string_view bytes, std::size_t at) {
    if (at + 2 > bytes.size())
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

inline std::uint32_t U32(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size())
        return 0;
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           (static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16);
}

}  // namespace tessel::db::excel
