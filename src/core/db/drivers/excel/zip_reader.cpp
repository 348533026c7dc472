#include "core/db/drivers/excel/zip_reader.h"

#include <orcus/exception.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <cmath>
#include <exception>
#include <fstream>
#include <map>
#include <memory>

#include "core/base/date_serial.h"
#include "core/db/drivers/excel/orcus_styles.h"
#include "core/db/drivers/excel/range_text.h"
#include "core/db/drivers/excel/zip_directory_check.h"
#include "core/db/errors.h"

namespace tessel::db::excel {
namespace {

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

// Largest sheet the formats allow; a cell address beyond it is a damaged file.
constexpr row_t kMaxRows = 1048576;
constexpr col_t kMaxColumns = 16384;

struct Book {
    Workbook book;
    std::vector<std::string> strings;
    std::vector<std::map<std::pair<row_t, col_t>, std::size_t>> formats;  // cell -> style
    int originYear = 1899, originMonth = 12, originDay = 30;
    std::vector<std::pair<std::string, std::string>> namedRanges;  // name, range text
};

class SharedStrings : public iface::import_shared_strings {
  public:
    explicit SharedStrings(Book& book) : book_(book) {}
    std::size_t append(std::string_view s) override {
        book_.strings.emplace_back(s);
        return book_.strings.size() - 1;
    }
    std::size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t) override {}
    void append_segment(std::string_view s) override { segments_ += s; }
    std::size_t commit_segments() override {
        const std::size_t index = append(segments_);
        segments_.clear();
        return index;
    }

  private:
    Book& book_;
    std::string segments_;
};

class Settings : public iface::import_global_settings {
  public:
    explicit Settings(Book& book) : book_(book) {}
    void set_origin_date(int year, int month, int day) override {
        book_.originYear = year;
        book_.originMonth = month;
        book_.originDay = day;
    }
    void set_default_formula_grammar(orcus::spreadsheet::formula_grammar_t grammar) override {
        grammar_ = grammar;
    }
    orcus::spreadsheet::formula_grammar_t get_default_formula_grammar() const override {
        return grammar_;
    }
    void set_character_set(orcus::character_set_t) override {}

  private:
    Book& book_;
    orcus::spreadsheet::formula_grammar_t grammar_ = orcus::spreadsheet::formula_grammar_t::unknown;
};

class Names : public iface::import_named_expression {
  public:
    explicit Names(Book& book) : book_(book) {}
    void set_base_position(const orcus::spreadsheet::src_address_t&) override {}
    void set_named_expression(std::string_view name, std::string_view expression) override {
        pending_ = {std::string(name), std::string(expression)};
    }
    void set_named_range(std::string_view name, std::string_view range) override {
        pending_ = {std::string(name), std::string(range)};
    }
    void commit() override {
        if (!pending_.first.empty())
            book_.namedRanges.push_back(pending_);
        pending_ = {};
    }

  private:
    Book& book_;
    std::pair<std::string, std::string> pending_;
};

// Cell addresses of the sheet being read ("B7", "A1:C3"), which the zipped format's reader asks
// for while it reads the cells.
class References : public iface::import_reference_resolver {
  public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view address) override {
        const auto range = ParseCellRange(address);
        if (!range || range->firstRow != range->lastRow || range->firstColumn != range->lastColumn)
            throw orcus::invalid_arg_error("not a cell address: " + std::string(address));
        return {0, static_cast<row_t>(range->firstRow), static_cast<col_t>(range->firstColumn)};
    }
    orcus::spreadsheet::src_range_t resolve_range(std::string_view text) override {
        const auto range = ParseCellRange(text);
        if (!range)
            throw orcus::invalid_arg_error("not a cell range: " + std::string(text));
        return {{0, static_cast<row_t>(range->firstRow), static_cast<col_t>(range->firstColumn)},
                {0, static_cast<row_t>(range->lastRow), static_cast<col_t>(range->lastColumn)}};
    }
};

class SheetCells;

class Formula : public iface::import_formula {
  public:
    explicit Formula(SheetCells& sheet) : sheet_(sheet) {}
    void set_position(row_t row, col_t col) override {
        row_ = row;
        col_ = col;
        value_ = {};
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(std::size_t) override {}
    void set_result_string(std::string_view value) override { value_ = std::string(value); }
    void set_result_value(double value) override { value_ = value; }
    void set_result_bool(bool value) override { value_ = value; }
    void set_result_empty() override { value_ = {}; }
    void commit() override;

  private:
    SheetCells& sheet_;
    row_t row_ = 0;
    col_t col_ = 0;
    Value value_;
};

class SheetCells : public iface::import_sheet {
  public:
    SheetCells(Book& book, std::size_t index) : book_(book), index_(index), formula_(*this) {}

    iface::import_formula* get_formula() override { return &formula_; }

    void set_auto(row_t row, col_t col, std::string_view s) override {
        Put(row, col, {std::string(s), false});
    }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t sindex) override {
        if (sindex < book_.strings.size())
            Put(row, col, {book_.strings[sindex], false});
    }
    void set_value(row_t row, col_t col, double value) override { Put(row, col, {value, false}); }
    void set_bool(row_t row, col_t col, bool value) override { Put(row, col, {value, false}); }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override {
        base::DateTime date{year, month, day, hour, minute, static_cast<int>(std::lround(second))};
        if (date.second > 59)
            date.second = 59;
        Put(row, col, {base::IsoText(date), true});
    }
    void set_format(row_t row, col_t col, std::size_t xf) override {
        if (Valid(row, col))
            book_.formats[index_][{row, col}] = xf;
    }
    void set_format(row_t, col_t, row_t, col_t, std::size_t) override {}
    void fill_down_cells(row_t row, col_t col, row_t count) override {
        if (!Valid(row, col) || row >= static_cast<row_t>(Rows().size()))
            return;
        const auto& source = Rows()[row];
        if (static_cast<std::size_t>(col) >= source.size())
            return;
        const Cell cell = source[col];
        for (row_t r = 1; r <= count && row + r < kMaxRows; ++r)
            Put(row + r, col, cell);
    }
    orcus::spreadsheet::range_size_t get_sheet_size() const override {
        return {kMaxRows, kMaxColumns};
    }

    void Put(row_t row, col_t col, Cell cell) {
        if (!Valid(row, col))
            return;
        auto& rows = Rows();
        if (rows.size() <= static_cast<std::size_t>(row))
            rows.resize(row + 1);
        auto& cells = rows[row];
        if (cells.size() <= static_cast<std::size_t>(col))
            cells.resize(col + 1);
        cells[col] = std::move(cell);
    }

  private:
    static bool Valid(row_t row, col_t col) {
        return row >= 0 && row < kMaxRows && col >= 0 && col < kMaxColumns;
    }
    std::vector<std::vector<Cell>>& Rows() { return book_.book.sheets[index_].rows; }

    Book& book_;
    std::size_t index_;
    Formula formula_;
};

void Formula::commit() {
    sheet_.Put(row_, col_, {value_, false});
}

class Factory : public iface::import_factory {
  public:
    explicit Factory(Book& book) : book_(book), strings_(book), settings_(book), names_(book) {}

    iface::import_global_settings* get_global_settings() override { return &settings_; }
    iface::import_shared_strings* get_shared_strings() override { return &strings_; }
    iface::import_named_expression* get_named_expression() override { return &names_; }
    iface::import_styles* get_styles() override { return &styles_; }
    iface::import_reference_resolver* get_reference_resolver(
        orcus::spreadsheet::formula_ref_context_t) override {
        return &references_;
    }

    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override {
        book_.book.sheets.push_back({std::string(name), {}});
        book_.formats.emplace_back();
        sheets_.push_back(std::make_unique<SheetCells>(book_, sheets_.size()));
        return sheets_.back().get();
    }
    iface::import_sheet* get_sheet(std::string_view name) override {
        for (std::size_t i = 0; i < sheets_.size(); ++i) {
            if (book_.book.sheets[i].name == name)
                return sheets_[i].get();
        }
        return nullptr;
    }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override {
        return index >= 0 && static_cast<std::size_t>(index) < sheets_.size() ? sheets_[index].get()
                                                                              : nullptr;
    }
    void finalize() override {}

    const StyleFormats& Styles() const { return styles_; }

  private:
    Book& book_;
    SharedStrings strings_;
    Settings settings_;
    Names names_;
    StyleFormats styles_;
    References references_;
    std::vector<std::unique_ptr<SheetCells>> sheets_;
};

// Numbers in cells whose style shows a date become dates, counted from the workbook's origin.
void MarkDates(Book& book, const StyleFormats& styles) {
    const double origin =
        static_cast<double>(base::DayNumberOf(book.originYear, book.originMonth, book.originDay));
    for (std::size_t s = 0; s < book.book.sheets.size(); ++s) {
        auto& rows = book.book.sheets[s].rows;
        for (const auto& [where, xf] : book.formats[s]) {
            const auto [row, col] = where;
            if (static_cast<std::size_t>(row) >= rows.size() ||
                static_cast<std::size_t>(col) >= rows[row].size())
                continue;
            Cell& cell = rows[row][col];
            const double* number = std::get_if<double>(&cell.value);
            if (!number || !styles.IsDate(xf))
                continue;
            if (auto date = base::DateTimeOfAnySerial(*number + origin)) {
                cell = {base::IsoText(*date), true};
            }
        }
    }
}

void AddNamedRanges(Book& book) {
    for (const auto& [name, text] : book.namedRanges) {
        auto range = ParseRangeText(text);
        if (!range)
            continue;
        for (std::size_t s = 0; s < book.book.sheets.size(); ++s) {
            if (book.book.sheets[s].name == range->sheet) {
                book.book.names.push_back({name, s, range->firstRow, range->lastRow,
                                           range->firstColumn, range->lastColumn});
                break;
            }
        }
    }
}

bool IsOds(const std::string& path) {
    // The zipped formats tell themselves apart by their first entry: an ODF package begins with
    // an uncompressed "mimetype".
    std::ifstream file(path, std::ios::binary);
    char head[38] = {};
    file.read(head, sizeof head);
    return file.gcount() == sizeof head && std::string_view(head + 30, 8) == "mimetype";
}

}  // namespace

Workbook ReadZippedWorkbook(const std::string& path) {
    Book book;
    book.book.path = path;
    book.book.version = "12.0";
    Factory factory(book);
    CheckZipDirectory(path);
    const bool ods = IsOds(path);
    try {
        if (ods) {
            orcus::orcus_ods filter(&factory);
            filter.read_file(path);
        } else {
            orcus::orcus_xlsx filter(&factory);
            filter.read_file(path);
        }
    } catch (const std::exception& e) {
        std::string why = e.what();
        while (!why.empty() && (why.back() == '.' || why.back() == ' '))
            why.pop_back();
        throw EngineError(err::kUnreadableDatabase,
                          "The workbook '" + path + "' cannot be read: " + why + ".");
    }
    if (book.book.sheets.empty()) {
        throw EngineError(err::kUnreadableDatabase,
                          "The workbook '" + path + "' cannot be read: it holds no sheet.");
    }
    // OpenDocument marks its dates itself; the other format only by the cells' styles.
    if (!ods)
        MarkDates(book, factory.Styles());
    AddNamedRanges(book);
    return std::move(book.book);
}

}  // namespace tessel::db::excel
