#include "core/db/drivers/excel/sheet_table.h"

#include <algorithm>
#include <set>

#include "core/base/text.h"
#include "core/db/connection_text.h"
#include "core/db/names.h"

namespace tessel::db::excel {
namespace {

constexpr long kTextSize = 255;

struct Rectangle {
    std::size_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;  // last: one past
};

const Cell* CellAt(const Sheet& sheet, std::size_t row, std::size_t column) {
    if (row >= sheet.rows.size() || column >= sheet.rows[row].size())
        return nullptr;
    const Cell& cell = sheet.rows[row][column];
    return cell.value.index() == 0 ? nullptr : &cell;
}

// The used part of a sheet: from its first row and column that hold a value to its last.
Rectangle UsedRange(const Sheet& sheet) {
    Rectangle used{sheet.rows.size(), 0, SIZE_MAX, 0};
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c].value.index() == 0)
                continue;
            used.firstRow = std::min(used.firstRow, r);
            used.lastRow = r + 1;
            used.firstColumn = std::min(used.firstColumn, c);
            used.lastColumn = std::max(used.lastColumn, c + 1);
        }
    }
    if (used.lastRow == 0)
        return {};
    return used;
}

std::string TextOf(const Value& value) {
    if (const bool* flag = std::get_if<bool>(&value))
        return *flag ? "True" : "False";
    return ValueToText(value);
}

// The column type that holds every value of the column without loss.
FieldInfo ColumnOf(const Sheet& sheet, const Rectangle& area, std::size_t column,
                   std::string name) {
    bool numbers = false, texts = false, flags = false, dates = false;
    std::size_t longest = 0;
    for (std::size_t r = area.firstRow; r < area.lastRow; ++r) {
        const Cell* cell = CellAt(sheet, r, column);
        if (!cell)
            continue;
        if (cell->date)
            dates = true;
        else if (std::holds_alternative<double>(cell->value))
            numbers = true;
        else if (std::holds_alternative<bool>(cell->value))
            flags = true;
        else
            texts = true;
        longest = std::max(longest, TextOf(cell->value).size());
    }
    FieldInfo field;
    field.name = std::move(name);
    field.attributes = attr::kVariableField;
    const int kinds = numbers + texts + flags + dates;
    if (kinds == 1 && numbers) {
        field.type = ftype::kDouble;
        field.size = 8;
    } else if (kinds == 1 && dates) {
        field.type = ftype::kDate;
        field.size = 8;
    } else if (kinds == 1 && flags) {
        field.type = ftype::kBoolean;
        field.size = 1;
    } else if (longest > static_cast<std::size_t>(kTextSize)) {
        field.type = ftype::kMemo;
    } else {
        field.type = ftype::kText;  // text, mixed, or empty
        field.size = kTextSize;
    }
    return field;
}

Value Converted(const Cell* cell, int type) {
    if (!cell)
        return {};
    if (type == ftype::kText || type == ftype::kMemo) {
        if (std::holds_alternative<std::string>(cell->value))
            return cell->value;
        return TextOf(cell->value);
    }
    return cell->value;
}

std::vector<std::string> ColumnNames(const Sheet& sheet, const Rectangle& area, bool header) {
    std::vector<std::string> names;
    std::set<std::string> used;
    for (std::size_t c = area.firstColumn; c < area.lastColumn; ++c) {
        const std::size_t number = c - area.firstColumn + 1;
        std::string name;
        if (header) {
            if (const Cell* cell = CellAt(sheet, area.firstRow, c))
                name = std::string(base::Trim(TextOf(cell->value)));
        }
        // Dots and brackets cannot stand in a field name; the classic driver writes "#" and
        // "_" for them.
        std::replace(name.begin(), name.end(), '.', '#');
        std::replace(name.begin(), name.end(), '[', '(');
        std::replace(name.begin(), name.end(), ']', ')');
        std::replace(name.begin(), name.end(), '!', '_');
        std::replace(name.begin(), name.end(), '`', '_');
        if (name.empty())
            name = "F" + std::to_string(number);
        std::string unique = name;
        for (int n = 1; used.count(base::UpperAscii(unique)) != 0; ++n)
            unique = name + std::to_string(n);
        used.insert(base::UpperAscii(unique));
        names.push_back(unique);
    }
    return names;
}

SheetTable TableOf(const Sheet& sheet, Rectangle area, std::string name, bool header) {
    SheetTable table;
    table.name = std::move(name);
    if (area.lastRow <= area.firstRow || area.lastColumn <= area.firstColumn) {
        // An empty sheet still shows as a table of one empty column, as the classic driver has.
        table.columns.push_back(ColumnOf(sheet, area, 0, "F1"));
        return table;
    }
    const auto names = ColumnNames(sheet, area, header);
    if (header)
        ++area.firstRow;
    for (std::size_t c = area.firstColumn; c < area.lastColumn; ++c)
        table.columns.push_back(ColumnOf(sheet, area, c, names[c - area.firstColumn]));
    for (std::size_t r = area.firstRow; r < area.lastRow; ++r) {
        Row row;
        row.reserve(table.columns.size());
        for (std::size_t c = area.firstColumn; c < area.lastColumn; ++c)
            row.push_back(Converted(CellAt(sheet, r, c), table.columns[c - area.firstColumn].type));
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace

std::vector<SheetTable> TablesOf(const Workbook& book, bool headerRow) {
    std::vector<SheetTable> tables;
    for (const auto& sheet : book.sheets)
        tables.push_back(TableOf(sheet, UsedRange(sheet), sheet.name + "$", headerRow));
    for (const auto& range : book.names) {
        const bool clash = std::any_of(tables.begin(), tables.end(), [&](const SheetTable& t) {
            return SameName(t.name, range.name);
        });
        if (clash || range.sheet >= book.sheets.size())
            continue;
        // A range of whole columns ends where the sheet's cells end.
        const Sheet& sheet = book.sheets[range.sheet];
        const Rectangle used = UsedRange(sheet);
        const Rectangle area{range.firstRow, std::min(range.lastRow + 1, used.lastRow),
                             range.firstColumn, std::min(range.lastColumn + 1, used.lastColumn)};
        tables.push_back(TableOf(sheet, area, range.name, headerRow));
    }
    return tables;
}

bool HeaderRowOf(const std::string& connect) {
    const auto value = ConnectValue(connect, "HDR");
    return !value || base::UpperAscii(base::Trim(*value)) != "NO";
}

}  // namespace tessel::db::excel
