// Little- and big-endian integers inside byte buffers, as the dBase and FoxPro files store them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tessel::db::dbf {

inline std::uint32_t ReadLe(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline std::uint32_t ReadBe(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline void WriteLe(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

inline void WriteBe(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0; value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

inline std::uint64_t ReadLe64(std::string_view bytes, std::size_t at) {
    return ReadLe(bytes, at, 4) | (static_cast<std::uint64_t>(ReadLe(bytes, at + 4, 4)) << 32);
}

inline std::uint64_t ReadBe64(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint64_t>(ReadBe(bytes, at, 4)) << 32) | ReadBe(bytes, at + 4, 4);
}

inline double DoubleOfBits(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline std::uint64_t BitsOfDouble(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace tessel::db::dbf
