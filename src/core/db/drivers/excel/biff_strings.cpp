#include "core/db/drivers/excel/biff_strings.h"

#include <algorithm>
#include <cstdint>

#include "core/db/drivers/excel/biff_records.h"
#include "core/db/drivers/excel/little_endian.h"

namespace tessel::db::excel {
namespace {

// Reads on across the record boundaries; past the last byte every read fails.
class Cursor {
  public:
    explicit Cursor(const std::vector<std::string_view>& parts) : parts_(parts) {}

    bool Byte(unsigned& value) {
        if (!Ready())
            return false;
        value = static_cast<unsigned char>(parts_[part_][at_++]);
        return true;
    }
    bool Number(std::size_t bytes, std::uint32_t& value) {
        value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            unsigned byte = 0;
            if (!Byte(byte))
                return false;
            value |= static_cast<std::uint32_t>(byte) << (8 * i);
        }
        return true;
    }
    bool Skip(std::size_t count) {
        while (count > 0) {
            if (!Ready())
                return false;
            const std::size_t step = std::min(count, parts_[part_].size() - at_);
            at_ += step;
            count -= step;
        }
        return true;
    }
    // `count` characters; where a record ends within them the next begins with a flag byte.
    bool Characters(std::size_t count, bool wide, std::string& out) {
        while (count > 0) {
            if (at_ >= parts_[part_].size()) {
                if (++part_ >= parts_.size())
                    return false;
                at_ = 0;
                unsigned flags = 0;
                if (!Byte(flags))
                    return false;
                wide = (flags & 1) != 0;
            }
            const std::string_view rest = parts_[part_].substr(at_);
            const std::size_t width = wide ? 2 : 1;
            const std::size_t here = std::min(count, rest.size() / width);
            if (here == 0) {
                at_ = parts_[part_].size();  // half a character: the record is damaged
                continue;
            }
            AppendCharacters(out, rest, here, wide);
            at_ += here * width;
            count -= here;
        }
        return true;
    }

  private:
    bool Ready() {
        while (part_ < parts_.size() && at_ >= parts_[part_].size()) {
            ++part_;
            at_ = 0;
        }
        return part_ < parts_.size();
    }

    const std::vector<std::string_view>& parts_;
    std::size_t part_ = 0;
    std::size_t at_ = 0;
};

}  // namespace

SharedStrings ReadSharedStrings(const std::vector<std::string_view>& parts) {
    SharedStrings out;
    if (parts.empty())
        return out;
    Cursor cursor(parts);
    std::uint32_t total = 0, unique = 0;
    if (!cursor.Number(4, total) || !cursor.Number(4, unique)) {
        out.damaged = true;
        return out;
    }
    // The count comes from the file: reserve no more than the records could hold.
    std::size_t bytes = 0;
    for (auto part : parts)
        bytes += part.size();
    out.strings.reserve(std::min<std::size_t>(unique, bytes / 3));
    for (std::uint32_t i = 0; i < unique; ++i) {
        std::uint32_t count = 0, runs = 0, phonetic = 0;
        unsigned flags = 0;
        if (!cursor.Number(2, count) || !cursor.Byte(flags) ||
            ((flags & 0x08) && !cursor.Number(2, runs)) ||
            ((flags & 0x04) && !cursor.Number(4, phonetic))) {
            out.damaged = true;
            break;
        }
        std::string text;
        if (!cursor.Characters(count, (flags & 1) != 0, text) || !cursor.Skip(4 * runs) ||
            !cursor.Skip(phonetic)) {
            out.damaged = true;
            break;
        }
        out.strings.push_back(std::move(text));
    }
    return out;
}

}  // namespace tessel::db::excel
