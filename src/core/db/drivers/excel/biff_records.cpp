#include "core/db/drivers/excel/biff_records.h"

#include <algorithm>
#include <cstring>

#include "core/base/utf8.h"
#include "core/db/drivers/excel/little_endian.h"

namespace tessel::db::excel {

bool RecordReader::Next(Record& record) {
    if (at_ + 4 > stream_.size())
        return false;
    record.type = U16(stream_, at_);
    const std::size_t length = U16(stream_, at_ + 2);
    const std::size_t start = at_ + 4;
    record.data = stream_.substr(start, std::min(length, stream_.size() - start));
    record.cut = record.data.size() < length;
    at_ = start + length;
    return true;
}

int VersionOfBof(const Record& record) {
    switch (record.type) {
        case rec::kBof2:
            return 2;
        case rec::kBof3:
            return 3;
        case rec::kBof4:
            return 4;
        case rec::kBof8:
            return U16(record.data, 0) == 0x0600 ? 8 : 5;
        default:
            return 0;
    }
}

std::uint16_t KindOfBof(const Record& record, int version) {
    // Version 2 keeps the kind in the same place as the later ones.
    return version == 0 ? 0 : U16(record.data, 2);
}

void AppendCharacters(std::string& out, std::string_view bytes, std::size_t count, bool wide) {
    if (!wide) {
        count = std::min(count, bytes.size());
        for (std::size_t i = 0; i < count; ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return;
    }
    count = std::min(count, bytes.size() / 2);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = U16(bytes, 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const char32_t low = U16(bytes, 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            base::AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? char32_t{0xFFFD} : c);
    }
}

std::string CharactersOf(std::string_view bytes, std::size_t count, bool wide) {
    std::string out;
    AppendCharacters(out, bytes, count, wide);
    return out;
}

std::string UnicodeStringOf(std::string_view data, std::size_t at, bool longCount) {
    const std::size_t count =
        longCount ? U16(data, at) : (at < data.size() ? static_cast<unsigned char>(data[at]) : 0);
    const std::size_t flagsAt = at + (longCount ? 2 : 1);
    if (flagsAt >= data.size())
        return {};
    const auto flags = static_cast<unsigned char>(data[flagsAt]);
    // Rich text runs and phonetic text are counted before the characters.
    std::size_t charsAt = flagsAt + 1;
    if (flags & 0x08)
        charsAt += 2;
    if (flags & 0x04)
        charsAt += 4;
    if (charsAt > data.size())
        return {};
    return CharactersOf(data.substr(charsAt), count, (flags & 1) != 0);
}

double DoubleOf(std::string_view bytes) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(bytes[i]);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double RkValue(std::uint32_t rk) {
    double value = 0;
    if (rk & 2) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

}  // namespace tessel::db::excel
