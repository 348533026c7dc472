// The small parts of the Excel driver: named range texts of both zipped formats, number formats
// that show dates, the HDR setting of a connect text, and how sheets become tables.
#include <gtest/gtest.h>

#include "core/db/drivers/excel/number_format.h"
#include "core/db/drivers/excel/range_text.h"
#include "core/db/drivers/excel/sheet_table.h"

namespace tessel::test::excel_tests {
namespace {

using db::excel::Cell;
using db::excel::ParseRangeText;

TEST(ExcelRangeText, ReadsTheRangesOfBothFormats) {
    auto range = ParseRangeText("Sheet1!$B$2:$D$10");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->sheet, "Sheet1");
    EXPECT_EQ(range->firstRow, 1u);
    EXPECT_EQ(range->lastRow, 9u);
    EXPECT_EQ(range->firstColumn, 1u);
    EXPECT_EQ(range->lastColumn, 3u);

    range = ParseRangeText("$'It''s mine'.$AA$1:.$AB$3");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->sheet, "It's mine");
    EXPECT_EQ(range->firstColumn, 26u);
    EXPECT_EQ(range->lastColumn, 27u);
    EXPECT_EQ(range->lastRow, 2u);

    range = ParseRangeText("'My sheet'!C3");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->sheet, "My sheet");
    EXPECT_EQ(range->firstRow, 2u);
    EXPECT_EQ(range->lastRow, 2u);
}

TEST(ExcelRangeText, RefusesWhatIsNotOneRectangle) {
    for (const char* text :
         {"", "Sheet1", "Sheet1!", "Sheet1!A0", "Sheet1!$B$9:$A$1", "SUM(Sheet1!A1:A3)",
          "Sheet1!A1:A3,Sheet1!C1", "!A1", "Sheet1!ABCD1", "Sheet1!A99999999", "$S.$A$1:$T.$B$2"}) {
        EXPECT_FALSE(ParseRangeText(text)) << text;
    }
}

TEST(ExcelNumberFormat, DateFormatsAreKnownByTheirLetters) {
    EXPECT_TRUE(db::excel::IsBuiltInDateFormat(14));
    EXPECT_TRUE(db::excel::IsBuiltInDateFormat(22));
    EXPECT_TRUE(db::excel::IsBuiltInDateFormat(47));
    EXPECT_FALSE(db::excel::IsBuiltInDateFormat(0));
    EXPECT_FALSE(db::excel::IsBuiltInDateFormat(23));
    EXPECT_TRUE(db::excel::IsDateFormatCode("yyyy-mm-dd"));
    EXPECT_TRUE(db::excel::IsDateFormatCode("[h]:mm:ss"));
    EXPECT_TRUE(db::excel::IsDateFormatCode("[$-409]d-mmm-yy;@"));
    EXPECT_FALSE(db::excel::IsDateFormatCode("General"));
    EXPECT_FALSE(db::excel::IsDateFormatCode("0.00"));
    EXPECT_FALSE(db::excel::IsDateFormatCode("#,##0 \"days\""));
    EXPECT_FALSE(db::excel::IsDateFormatCode("[Red]0.00"));
    EXPECT_FALSE(db::excel::IsDateFormatCode("0\\d"));
}

TEST(ExcelSheetTable, HdrIsYesUnlessTheConnectTextSaysNo) {
    EXPECT_TRUE(db::excel::HeaderRowOf(""));
    EXPECT_TRUE(db::excel::HeaderRowOf("Excel 8.0;HDR=YES;"));
    EXPECT_FALSE(db::excel::HeaderRowOf("Excel 8.0;HDR=NO;"));
    EXPECT_FALSE(db::excel::HeaderRowOf("Excel 5.0;hdr= no"));
}

db::excel::Workbook Book(std::vector<std::vector<Cell>> rows) {
    db::excel::Workbook book;
    book.path = "book.xls";
    book.sheets.push_back({"Data", std::move(rows)});
    return book;
}

TEST(ExcelSheetTable, TheUsedRangeMakesTheTableAndTypesComeFromTheCells) {
    const Cell none;
    auto book = Book(
        {{},
         {none,
          {std::string("Name")},
          {std::string("Qty")},
          {std::string("When")},
          {std::string("Mixed")},
          {std::string("Name")}},
         {none, {std::string("bolt")}, {1.5}, {std::string("2001-02-03"), true}, {2.0}, {true}},
         {none, {}, {2.0}, {}, {std::string("x")}, {false}}});
    const auto tables = db::excel::TablesOf(book, true);
    ASSERT_EQ(tables.size(), 1u);
    const auto& table = tables[0];
    EXPECT_EQ(table.name, "Data$");
    ASSERT_EQ(table.columns.size(), 5u);
    EXPECT_EQ(table.columns[0].name, "Name");
    EXPECT_EQ(table.columns[0].type, db::ftype::kText);
    EXPECT_EQ(table.columns[1].type, db::ftype::kDouble);
    EXPECT_EQ(table.columns[2].type, db::ftype::kDate);
    EXPECT_EQ(table.columns[3].type, db::ftype::kText);  // numbers and text
    EXPECT_EQ(table.columns[4].name, "Name1");
    EXPECT_EQ(table.columns[4].type, db::ftype::kBoolean);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(std::get<std::string>(table.rows[0][3]), "2");
    EXPECT_EQ(table.rows[1][0].index(), 0u);
    EXPECT_EQ(std::get<std::string>(table.rows[1][3]), "x");

    const auto plain = db::excel::TablesOf(book, false);
    EXPECT_EQ(plain[0].columns[0].name, "F1");
    EXPECT_EQ(plain[0].columns[4].name, "F5");
    EXPECT_EQ(plain[0].rows.size(), 3u);
}

TEST(ExcelSheetTable, NamedRangesAreTablesClippedToTheCells) {
    auto book = Book({{{std::string("A")}, {std::string("B")}}, {{1.0}, {2.0}}, {{3.0}, {4.0}}});
    book.names.push_back({"Prices", 0, 0, 65535, 1, 255});
    book.names.push_back({"Data$", 0, 0, 1, 0, 0});  // would hide the sheet: left out
    const auto tables = db::excel::TablesOf(book, true);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[1].name, "Prices");
    ASSERT_EQ(tables[1].columns.size(), 1u);
    EXPECT_EQ(tables[1].columns[0].name, "B");
    ASSERT_EQ(tables[1].rows.size(), 2u);
    EXPECT_EQ(std::get<double>(tables[1].rows[1][0]), 4.0);
}

TEST(ExcelSheetTable, AnEmptySheetIsATableOfOneEmptyColumn) {
    const auto tables = db::excel::TablesOf(Book({}), true);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].columns.size(), 1u);
    EXPECT_EQ(tables[0].columns[0].name, "F1");
    EXPECT_TRUE(tables[0].rows.empty());
}

}  // namespace
}  // namespace tessel::test::excel_tests
