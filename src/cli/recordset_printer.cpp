#include "cli/recordset_printer.h"

#include <algorithm>
#include <optional>

#include "core/base/text.h"
#include "core/base/utf8.h"
#include "core/script/recordset_file.h"

namespace tessel::cli {

namespace {

using Kind = db::ValueView::Kind;

constexpr std::string_view kTableNull = "NULL";
constexpr std::string_view kBlobStart = "X'";
constexpr std::string_view kBlobEnd = "'";

void WriteBlob(OutputBuffer& out, std::string_view bytes) {
    out.Append(kBlobStart);
    out.Append(base::HexDigits(bytes));
    out.Append(kBlobEnd);
}

std::size_t BlobWidth(std::string_view bytes) {
    return kBlobStart.size() + 2 * bytes.size() + kBlobEnd.size();
}

bool NeedsCsvQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

void WriteCsvField(OutputBuffer& out, std::string_view text) {
    if (!NeedsCsvQuotes(text)) {
        out.Append(text);
        return;
    }
    out.Put('"');
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out.Append(text.substr(0, quote + 1));
        out.Put('"');
        text.remove_prefix(quote + 1);
    }
    out.Append(text);
    out.Put('"');
}

// A Yes/No field shows True for any value but 0, as the grid does: the classic engine stores
// True as -1, this program as 1.
std::optional<std::string_view> YesNoText(const db::ValueView& value,
                                          const db::ColumnInfo& column) {
    if (value.kind != Kind::Integer || column.type != db::ftype::kBoolean)
        return std::nullopt;
    return value.integer != 0 ? std::string_view("True") : std::string_view("False");
}

// Characters a text takes on a terminal, one column each.
std::size_t DisplayWidth(std::string_view text) {
    return base::Utf8CharacterCount(text);
}

// A value's line breaks show as two characters (\r or \n), so that a row stays on one line.
std::size_t TableTextWidth(std::string_view text) {
    const auto breaks =
        std::count_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
    return DisplayWidth(text) + static_cast<std::size_t>(breaks);
}

void WriteTableText(OutputBuffer& out, std::string_view text) {
    for (std::size_t at; (at = text.find_first_of("\r\n")) != std::string_view::npos;) {
        out.Append(text.substr(0, at));
        out.Append(text[at] == '\r' ? "\\r" : "\\n");
        text.remove_prefix(at + 1);
    }
    out.Append(text);
}

// The value as the table shows it, with its width; numbers come back in `number`.
std::size_t TableWidth(const db::ValueView& value, const db::ColumnInfo& column,
                       std::string_view& number, char (&room)[32]) {
    if (const auto yesNo = YesNoText(value, column))
        return yesNo->size();
    switch (value.kind) {
        case Kind::Null:
            return kTableNull.size();
        case Kind::Integer:
            number = IntegerText(value.integer, room);
            return number.size();
        case Kind::Real:
            number = RealText(value.real, room);
            return number.size();
        case Kind::Text:
            return TableTextWidth(value.bytes);
        case Kind::Blob:
            return BlobWidth(value.bytes);
    }
    return 0;
}

template <typename Use>
void ForEachRow(db::Cursor& cursor, const Use& use) {
    std::vector<db::ValueView> row(cursor.Columns().size());
    while (cursor.Next()) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = cursor.Get(i);
        use(std::span<const db::ValueView>(row));
    }
}

}  // namespace

void WriteCsvHeader(OutputBuffer& out, const std::vector<db::ColumnInfo>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out.Put(',');
        WriteCsvField(out, columns[i].name);
    }
    out.Append("\r\n");
}

void WriteCsvRow(OutputBuffer& out, std::span<const db::ValueView> row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            out.Put(',');
        const db::ValueView& value = row[i];
        switch (value.kind) {
            case Kind::Null:
                break;
            case Kind::Integer:
                out.Integer(value.integer);
                break;
            case Kind::Real:
                out.Real(value.real);
                break;
            case Kind::Text:
                WriteCsvField(out, value.bytes);
                break;
            case Kind::Blob:
                WriteBlob(out, value.bytes);
                break;
        }
    }
    out.Append("\r\n");
}

TableLayout::TableLayout(const std::vector<db::ColumnInfo>& columns) : columns_(columns) {
    for (const auto& column : columns_)
        widths_.push_back(DisplayWidth(column.name));
}

void TableLayout::Measure(std::span<const db::ValueView> row) {
    char room[32];
    std::string_view number;
    const std::size_t count = std::min(row.size(), widths_.size());
    for (std::size_t i = 0; i < count; ++i)
        widths_[i] = std::max(widths_[i], TableWidth(row[i], columns_[i], number, room));
    ++rows_;
}

void TableLayout::WriteHeader(OutputBuffer& out, const std::string& caption) const {
    out.Append(caption);
    out.Put('\n');
    if (columns_.empty())
        return;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (i > 0)
            out.Append(" | ");
        out.Append(columns_[i].name);
        if (i + 1 < columns_.size())
            out.Spaces(widths_[i] - DisplayWidth(columns_[i].name));
    }
    out.Put('\n');
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (i > 0)
            out.Append("-+-");
        for (std::size_t dash = 0; dash < widths_[i]; ++dash)
            out.Put('-');
    }
    out.Put('\n');
}

void TableLayout::WriteRow(OutputBuffer& out, std::span<const db::ValueView> row) const {
    char room[32];
    const std::size_t count = std::min(row.size(), widths_.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out.Append(" | ");
        const db::ValueView& value = row[i];
        std::string_view number;
        const std::size_t gap = widths_[i] - TableWidth(value, columns_[i], number, room);
        if (!number.empty()) {
            out.Spaces(gap);
            out.Append(number);
            continue;
        }
        if (const auto yesNo = YesNoText(value, columns_[i])) {
            out.Append(*yesNo);
        } else if (value.kind == Kind::Null) {
            out.Append(kTableNull);
        } else if (value.kind == Kind::Text) {
            WriteTableText(out, value.bytes);
        } else {
            WriteBlob(out, value.bytes);
        }
        if (i + 1 < count)
            out.Spaces(gap);
    }
    out.Put('\n');
}

void TableLayout::WriteFooter(OutputBuffer& out) const {
    out.Put('(');
    out.Integer(rows_);
    out.Append(rows_ == 1 ? " row)\n" : " rows)\n");
}

void PrintRecordsetTable(OutputBuffer& out, const std::string& caption, const std::string& path,
                         const TableLayout* measured) {
    auto file = RecordsetFile::Open(path);
    std::optional<TableLayout> own;
    if (measured == nullptr || measured->RowCount() != file->RowCount()) {
        own.emplace(file->Columns());
        auto rows = file->AllRows();
        ForEachRow(*rows, [&](std::span<const db::ValueView> row) { own->Measure(row); });
        measured = &*own;
    }
    measured->WriteHeader(out, caption);
    auto rows = file->AllRows();
    ForEachRow(*rows, [&](std::span<const db::ValueView> row) { measured->WriteRow(out, row); });
    measured->WriteFooter(out);
}

void PrintRecordsetCsv(OutputBuffer& out, const std::string& path) {
    auto file = RecordsetFile::Open(path);
    WriteCsvHeader(out, file->Columns());
    auto rows = file->AllRows();
    ForEachRow(*rows, [&](std::span<const db::ValueView> row) { WriteCsvRow(out, row); });
}

}  // namespace tessel::cli
