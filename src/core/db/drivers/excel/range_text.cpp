#include "core/db/drivers/excel/range_text.h"

namespace tessel::db::excel {
namespace {

constexpr std::size_t kMaxRow = 1048576, kMaxColumn = 16384;

// A cell address "$A$1" or "A1" at `at`; moves `at` past it.
bool ParseCell(std::string_view text, std::size_t& at, std::size_t& row, std::size_t& column) {
    if (at < text.size() && text[at] == '$')
        ++at;
    std::size_t letters = 0, col = 0;
    while (at < text.size() &&
           ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z'))) {
        col = col * 26 + static_cast<std::size_t>((text[at] | 0x20) - 'a' + 1);
        if (++letters > 3)
            return false;
        ++at;
    }
    if (letters == 0)
        return false;
    if (at < text.size() && text[at] == '$')
        ++at;
    std::size_t digits = 0, number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        number = number * 10 + static_cast<std::size_t>(text[at] - '0');
        if (++digits > 7)
            return false;
        ++at;
    }
    if (digits == 0 || number == 0 || number > kMaxRow || col > kMaxColumn)
        return false;
    row = number - 1;
    column = col - 1;
    return true;
}

// A sheet name, quoted ('It''s') or bare, up to `end` ("!" or ".").
bool ParseSheet(std::string_view text, std::size_t& at, char end, std::string& sheet) {
    if (at < text.size() && text[at] == '$')
        ++at;
    if (at < text.size() && text[at] == '\'') {
        for (++at; at < text.size(); ++at) {
            if (text[at] == '\'') {
                if (at + 1 < text.size() && text[at + 1] == '\'') {
                    sheet += '\'';
                    ++at;
                    continue;
                }
                ++at;
                break;
            }
            sheet += text[at];
        }
    } else {
        while (at < text.size() && text[at] != end)
            sheet += text[at++];
    }
    if (at >= text.size() || text[at] != end || sheet.empty())
        return false;
    ++at;
    return true;
}

}  // namespace

std::optional<RangeText> ParseCellRange(std::string_view text) {
    RangeText range;
    std::size_t at = 0;
    if (!ParseCell(text, at, range.firstRow, range.firstColumn))
        return std::nullopt;
    range.lastRow = range.firstRow;
    range.lastColumn = range.firstColumn;
    if (at < text.size() && text[at] == ':') {
        ++at;
        if (!ParseCell(text, at, range.lastRow, range.lastColumn))
            return std::nullopt;
    }
    if (at != text.size() || range.lastRow < range.firstRow || range.lastColumn < range.firstColumn)
        return std::nullopt;
    return range;
}

std::optional<RangeText> ParseRangeText(std::string_view text) {
    if (!text.empty() && text.front() == '[')  // OpenDocument may bracket the whole range
        text = text.substr(1, text.size() >= 2 && text.back() == ']' ? text.size() - 2 : 0);
    const bool ods = text.find('!') == std::string_view::npos;
    const char separator = ods ? '.' : '!';
    RangeText range;
    std::size_t at = 0;
    if (!ParseSheet(text, at, separator, range.sheet) ||
        !ParseCell(text, at, range.firstRow, range.firstColumn))
        return std::nullopt;
    range.lastRow = range.firstRow;
    range.lastColumn = range.firstColumn;
    if (at < text.size() && text[at] == ':') {
        ++at;
        if (ods && at < text.size()) {
            // ".$C$9", or "$Sheet1.$C$9" with the sheet named again
            if (text[at] == '.') {
                ++at;
            } else {
                std::string again;
                if (!ParseSheet(text, at, '.', again) || again != range.sheet)
                    return std::nullopt;
            }
        }
        if (!ParseCell(text, at, range.lastRow, range.lastColumn))
            return std::nullopt;
    }
    if (at != text.size() || range.lastRow < range.firstRow || range.lastColumn < range.firstColumn)
        return std::nullopt;
    return range;
}

}  // namespace tessel::db::excel
