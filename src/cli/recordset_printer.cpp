#include "cli/recordset_printer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ostream>
#include <vector>

#include "core/base/text.h"
#include "core/script/recordset_file.h"

namespace tessel::cli {

namespace {

constexpr std::int64_t kPageRows = 2000;

using Kind = db::ValueView::Kind;

std::string RealText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string HexText(const std::string& bytes) {
    return "X'" + base::HexDigits(bytes) + "'";
}

std::string CellText(const RecordsetCell& cell, const char* nullText) {
    switch (cell.kind) {
        case Kind::Null:
            return nullText;
        case Kind::Integer:
            return std::to_string(cell.integer);
        case Kind::Real:
            return RealText(cell.real);
        case Kind::Text:
            return cell.bytes;
        case Kind::Blob:
            return HexText(cell.bytes);
    }
    return "";
}

// A table row stays on one line: line breaks inside a value are shown as \r and \n.
std::string OneLine(std::string text) {
    if (text.find_first_of("\r\n") == std::string::npos)
        return text;
    std::string shown;
    for (char c : text) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else {
            shown += c;
        }
    }
    return shown;
}

// A Yes/No field shows True for any value but 0, as the grid does: the classic engine stores
// True as -1, this program as 1.
bool IsYesNo(const RecordsetCell& cell, const db::ColumnInfo& column) {
    return cell.kind == Kind::Integer && column.type == db::ftype::kBoolean;
}

std::string TableText(const RecordsetCell& cell, const db::ColumnInfo& column) {
    if (IsYesNo(cell, column))
        return cell.integer != 0 ? "True" : "False";
    return OneLine(CellText(cell, "NULL"));
}

bool IsNumber(const RecordsetCell& cell, const db::ColumnInfo& column) {
    return (cell.kind == Kind::Integer || cell.kind == Kind::Real) && !IsYesNo(cell, column);
}

// Characters a text takes on a terminal: UTF-8 continuation bytes add nothing.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char byte : text)
        width += (byte & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

void ForEachPage(RecordsetFile& file,
                 const std::function<void(const std::vector<std::vector<RecordsetCell>>&)>& use) {
    const std::int64_t total = file.RowCount();
    for (std::int64_t first = 0; first < total; first += kPageRows) {
        use(file.ReadRows(first, kPageRows));
    }
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

void Pad(std::ostream& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        out.put(' ');
}

}  // namespace

void PrintRecordsetTable(std::ostream& out, const std::string& caption, const std::string& path) {
    auto file = RecordsetFile::Open(path);
    const auto& columns = file->Columns();
    std::vector<std::size_t> widths;
    for (const auto& column : columns)
        widths.push_back(DisplayWidth(column.name));
    ForEachPage(*file, [&](const auto& rows) {
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                widths[i] = std::max(widths[i], DisplayWidth(TableText(row[i], columns[i])));
            }
        }
    });

    out << caption << '\n';
    if (!columns.empty()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out << (i == 0 ? "" : " | ") << columns[i].name;
            if (i + 1 < columns.size())
                Pad(out, widths[i] - DisplayWidth(columns[i].name));
        }
        out << '\n';
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out << (i == 0 ? "" : "-+-") << std::string(widths[i], '-');
        }
        out << '\n';
    }
    ForEachPage(*file, [&](const auto& rows) {
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                const std::string text = TableText(row[i], columns[i]);
                const std::size_t gap = widths[i] - DisplayWidth(text);
                out << (i == 0 ? "" : " | ");
                if (IsNumber(row[i], columns[i])) {
                    Pad(out, gap);
                    out << text;
                } else {
                    out << text;
                    if (i + 1 < row.size())
                        Pad(out, gap);
                }
            }
            out << '\n';
        }
    });
    const std::int64_t count = file->RowCount();
    out << "(" << count << (count == 1 ? " row)" : " rows)") << '\n';
}

void PrintRecordsetCsv(std::ostream& out, const std::string& path) {
    auto file = RecordsetFile::Open(path);
    const auto& columns = file->Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out << (i == 0 ? "" : ",") << CsvField(columns[i].name);
    }
    out << "\r\n";
    ForEachPage(*file, [&](const auto& rows) {
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                out << (i == 0 ? "" : ",") << CsvField(CellText(row[i], ""));
            }
            out << "\r\n";
        }
    });
}

}  // namespace tessel::cli
