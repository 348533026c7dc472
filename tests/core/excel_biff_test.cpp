// Classic workbooks written record by record, for what the test files do not show: shared
// strings that go on in CONTINUE records (switching from 8 to 16 bits a character), MULRK and
// RK numbers, the 1904 date system, custom date formats, text in a code page, chart sheets in
// the sheet list and damaged records. Also a large workbook written by python3-xlwt, read as
// python3-xlrd reads it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/db/drivers/excel/workbook.h"
#include "core/db/errors.h"
#include "excel_test_util.h"
#include "support/temp_dir.h"

namespace tessel::test::excel_tests {
namespace {

using db::excel::Cell;
using db::excel::ReadWorkbook;
using db::excel::Workbook;

std::string U16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
std::string U32(std::uint32_t value) {
    return U16(value & 0xFFFF) + U16(value >> 16);
}
std::string Double(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
}
std::string Record(unsigned type, const std::string& data) {
    return U16(type) + U16(static_cast<unsigned>(data.size())) + data;
}
// Text of the later format: 8-bit characters, or UTF-16 for the wide flag.
std::string Compressed(const std::string& latin) {
    return U16(static_cast<unsigned>(latin.size())) + '\0' + latin;
}
std::string Wide(const std::u16string& text) {
    std::string out = U16(static_cast<unsigned>(text.size())) + '\x01';
    for (char16_t c : text)
        out += U16(c);
    return out;
}
std::string CellHead(unsigned row, unsigned column, unsigned style) {
    return U16(row) + U16(column) + U16(style);
}

constexpr unsigned kBof = 0x0809, kEof = 0x000A, kBoundSheet = 0x0085, kSst = 0x00FC,
                   kContinue = 0x003C, kXf = 0x00E0, kFormat = 0x041E, kDateMode = 0x0022,
                   kCodePage = 0x0042, kNumber = 0x0203, kRk = 0x027E, kMulRk = 0x00BD,
                   kLabelSst = 0x00FD, kLabel = 0x0204, kBoolErr = 0x0205;

struct SheetRecords {
    std::string name;
    std::string records;  // between the sheet's BOF and EOF
    unsigned kind = 0;    // of the sheet list: 0 worksheet, 2 chart
};

// A bare workbook stream (no container, as the program also reads): the workbook-wide records,
// the sheet list with each sheet's offset, then the sheets.
std::string Book(const std::string& globals, const std::vector<SheetRecords>& sheets,
                 int version = 8) {
    const unsigned biff = version == 8 ? 0x0600 : 0x0500;
    std::string head = Record(kBof, U16(biff) + U16(0x0005) + std::string(12, '\0')) + globals;
    std::size_t listSize = 0;
    for (const auto& sheet : sheets)
        listSize += 4 + 6 + 1 + (version == 8 ? 1 : 0) + sheet.name.size();
    std::size_t offset = head.size() + listSize + 4;
    std::string list, bodies;
    for (const auto& sheet : sheets) {
        const std::string name = std::string(1, static_cast<char>(sheet.name.size())) +
                                 (version == 8 ? std::string(1, '\0') : std::string()) + sheet.name;
        list += Record(kBoundSheet, U32(static_cast<std::uint32_t>(offset)) + '\0' +
                                        static_cast<char>(sheet.kind) + name);
        const std::string body = Record(kBof, U16(biff) + U16(sheet.kind == 2 ? 0x0020 : 0x0010) +
                                                  std::string(12, '\0')) +
                                 sheet.records + Record(kEof, "");
        bodies += body;
        offset += body.size();
    }
    return head + list + Record(kEof, "") + bodies;
}

// Cell styles: 0 general, 1 built-in date (14), 2 the custom format 164.
std::string Styles(const std::string& customFormat) {
    std::string out = Record(kFormat, U16(164) + Compressed(customFormat));
    for (unsigned format : {0u, 14u, 164u})
        out += Record(kXf, U16(0) + U16(format) + std::string(16, '\0'));
    return out;
}

Workbook Read(const TempDir& dir, const std::string& stream) {
    const std::string path = dir.File("made.xls");
    WriteBytes(path, stream);
    return ReadWorkbook(path);
}

const Cell& At(const Workbook& book, std::size_t sheet, std::size_t row, std::size_t column) {
    static const Cell none;
    const auto& rows = book.sheets.at(sheet).rows;
    if (row >= rows.size() || column >= rows[row].size())
        return none;
    return rows[row][column];
}
std::string Text(const Cell& cell) {
    const auto* text = std::get_if<std::string>(&cell.value);
    return text ? *text : "<not a text>";
}
double Number(const Cell& cell) {
    const auto* number = std::get_if<double>(&cell.value);
    return number ? *number : -999999;
}

TEST(ExcelBiff, ASharedStringGoesOnInContinueRecordsFrom8To16Bits) {
    TempDir dir;
    // "abc" in 8 bits, then "МОСКВА" in 16 bits after the CONTINUE record's flag byte; the
    // second string's last character comes after a flag byte for 8 bits, and its rich text
    // runs and phonetic block go on across records without one.
    const std::string globals = Record(kSst, U32(3) + U32(3) + U16(9) + '\0' + "abc") +
                                Record(kContinue, '\x01' + Wide(u"МОСКВА").substr(3) + U16(3) +
                                                      '\x0C' + U16(1) + U32(3) + "xy") +
                                Record(kContinue, std::string(1, '\0') + "z" + U16(0x0002)) +
                                Record(kContinue, U16(0x0001) + "phn" + Compressed("last"));
    const std::string cells = Record(kLabelSst, CellHead(0, 0, 0) + U32(0)) +
                              Record(kLabelSst, CellHead(0, 1, 0) + U32(1)) +
                              Record(kLabelSst, CellHead(1, 0, 0) + U32(2));
    const auto book = Read(dir, Book(globals, {{"Data", cells}}));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "Data");
    EXPECT_EQ(Text(At(book, 0, 0, 0)), "abcМОСКВА");
    EXPECT_EQ(Text(At(book, 0, 0, 1)), "xyz");
    EXPECT_EQ(Text(At(book, 0, 1, 0)), "last");
    EXPECT_TRUE(book.notes.empty()) << book.notes.front();
}

TEST(ExcelBiff, RkNumbersAreWholeOrFractionsAndMaybeHundredths) {
    TempDir dir;
    // RK: a whole number (flag 2), that number divided by 100 (flags 3), the top 30 bits of
    // the double 1.5, and 1.5 divided by 100.
    auto whole = [](std::int32_t n) { return static_cast<std::uint32_t>(n) << 2 | 2u; };
    std::uint64_t bits = 0;
    const double oneAndAHalf = 1.5;
    std::memcpy(&bits, &oneAndAHalf, sizeof bits);
    const auto fraction = static_cast<std::uint32_t>(bits >> 32);
    const std::string mulrk = U16(2) + U16(1) + U16(0) + U32(whole(-7)) + U16(0) +
                              U32(whole(1234) | 1u) + U16(0) + U32(fraction) + U16(0) +
                              U32(fraction | 1u) + U16(4);
    const std::string cells = Record(kRk, CellHead(0, 0, 0) + U32(whole(42))) +
                              Record(kMulRk, mulrk) +
                              Record(kNumber, CellHead(3, 0, 0) + Double(-0.125));
    const auto book = Read(dir, Book("", {{"Numbers", cells}}));
    EXPECT_EQ(Number(At(book, 0, 0, 0)), 42);
    EXPECT_EQ(Number(At(book, 0, 2, 1)), -7);
    EXPECT_DOUBLE_EQ(Number(At(book, 0, 2, 2)), 12.34);
    EXPECT_EQ(Number(At(book, 0, 2, 3)), 1.5);
    EXPECT_DOUBLE_EQ(Number(At(book, 0, 2, 4)), 0.015);
    EXPECT_EQ(Number(At(book, 0, 3, 0)), -0.125);
    EXPECT_EQ(At(book, 0, 2, 0).value.index(), 0u);  // MULRK begins at column 1
    EXPECT_TRUE(book.notes.empty()) << book.notes.front();
}

TEST(ExcelBiff, NumbersInDateStylesAreDatesOfTheWorkbooksDateSystem) {
    TempDir dir;
    const std::string cells = Record(kNumber, CellHead(0, 0, 1) + Double(35064)) +
                              Record(kNumber, CellHead(0, 1, 2) + Double(35064.75)) +
                              Record(kNumber, CellHead(0, 2, 1) + Double(0.5)) +
                              Record(kNumber, CellHead(0, 3, 0) + Double(35064)) +
                              Record(kRk, CellHead(0, 4, 1) + U32(35064u << 2 | 2u));
    for (bool system1904 : {false, true}) {
        SCOPED_TRACE(system1904);
        const std::string globals =
            (system1904 ? Record(kDateMode, U16(1)) : "") + Styles("yyyy-mm-dd hh:mm");
        const auto book = Read(dir, Book(globals, {{"Days", cells}}));
        EXPECT_TRUE(At(book, 0, 0, 0).date);
        EXPECT_EQ(Text(At(book, 0, 0, 0)), system1904 ? "2000-01-01" : "1995-12-31");
        EXPECT_EQ(Text(At(book, 0, 0, 1)),
                  system1904 ? "2000-01-01 18:00:00" : "1995-12-31 18:00:00");
        EXPECT_EQ(Text(At(book, 0, 0, 2)), "12:00:00");  // a time of day in both systems
        EXPECT_FALSE(At(book, 0, 0, 3).date);
        EXPECT_EQ(Number(At(book, 0, 0, 3)), 35064);
        EXPECT_EQ(Text(At(book, 0, 0, 4)), system1904 ? "2000-01-01" : "1995-12-31");
    }
}

TEST(ExcelBiff, TheFirstDaysOf1900AreTheDaysTheWorkbookShows) {
    TempDir dir;
    const std::string cells = Record(kNumber, CellHead(0, 0, 1) + Double(1)) +
                              Record(kNumber, CellHead(0, 1, 1) + Double(59)) +
                              Record(kNumber, CellHead(0, 2, 1) + Double(61)) +
                              Record(kNumber, CellHead(0, 3, 1) + Double(-3));
    const auto book = Read(dir, Book(Styles("d/m/yy"), {{"Days", cells}}));
    EXPECT_EQ(Text(At(book, 0, 0, 0)), "1900-01-01");
    EXPECT_EQ(Text(At(book, 0, 0, 1)), "1900-02-28");
    EXPECT_EQ(Text(At(book, 0, 0, 2)), "1900-03-01");
    // No day has a negative serial in the workbook's calendar: the number stays.
    EXPECT_FALSE(At(book, 0, 0, 3).date);
    EXPECT_EQ(Number(At(book, 0, 0, 3)), -3);
}

TEST(ExcelBiff, BooleansAreFlagsAndErrorsAndBlanksAreEmpty) {
    TempDir dir;
    const std::string cells = Record(kBoolErr, CellHead(0, 0, 0) + '\x01' + '\0') +
                              Record(kBoolErr, CellHead(0, 1, 0) + '\0' + '\0') +
                              Record(kBoolErr, CellHead(0, 2, 0) + '\x07' + '\x01') +
                              Record(0x0201, CellHead(0, 3, 0)) +
                              Record(kLabel, CellHead(0, 4, 0) + Wide(u"Ωmega"));
    const auto book = Read(dir, Book("", {{"Flags", cells}}));
    EXPECT_EQ(std::get<bool>(At(book, 0, 0, 0).value), true);
    EXPECT_EQ(std::get<bool>(At(book, 0, 0, 1).value), false);
    EXPECT_EQ(At(book, 0, 0, 2).value.index(), 0u);
    EXPECT_EQ(At(book, 0, 0, 3).value.index(), 0u);
    EXPECT_EQ(Text(At(book, 0, 0, 4)), "Ωmega");
}

TEST(ExcelBiff, ATruncatedSharedStringTableLeavesTheMissingTextsNullWithANote) {
    TempDir dir;
    // The table claims three strings and holds one and a half.
    const std::string globals =
        Record(kSst, U32(3) + U32(3) + Compressed("kept") + U16(10) + '\0' + "cut");
    const std::string cells = Record(kLabelSst, CellHead(0, 0, 0) + U32(0)) +
                              Record(kLabelSst, CellHead(1, 0, 0) + U32(1)) +
                              Record(kLabelSst, CellHead(2, 0, 0) + U32(2));
    const auto book = Read(dir, Book(globals, {{"Short", cells}}));
    EXPECT_EQ(Text(At(book, 0, 0, 0)), "kept");
    EXPECT_EQ(At(book, 0, 1, 0).value.index(), 0u);
    EXPECT_EQ(At(book, 0, 2, 0).value.index(), 0u);
    EXPECT_EQ(book.notes,
              (std::vector<std::string>{"some cells of the sheet 'Short' cannot be read"}));
}

TEST(ExcelBiff, DamagedCellRecordsAndSheetsGiveNotesNotCrashes) {
    TempDir dir;
    // A NUMBER record too short for its value, a cell past the last column of the format, a
    // MULRK whose last column disagrees with its count, a sheet that begins past the stream.
    const std::string cells = Record(kNumber, CellHead(0, 0, 0) + "abc") +
                              Record(kNumber, CellHead(0, 300, 0) + Double(1)) +
                              Record(kNumber, CellHead(1, 1, 0) + Double(2.5));
    std::string stream = Book("", {{"Broken", cells}, {"Gone", ""}});
    // Point the second sheet far past the end.
    const auto list = stream.find(std::string("\x04\x00Gone", 6));
    ASSERT_NE(list, std::string::npos);
    stream.replace(list - 6, 4, U32(0x7FFFFFF0));
    const auto book = Read(dir, stream);
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(Number(At(book, 0, 1, 1)), 2.5);
    EXPECT_EQ(book.notes,
              (std::vector<std::string>{"some cells of the sheet 'Broken' cannot be read",
                                        "the sheet 'Gone' cannot be read"}));
}

TEST(ExcelBiff, ASheetListWhoseSheetsAllBeginAtOneSheetIsReadOnceNotOverAndOver) {
    TempDir dir;
    std::string cells;
    for (unsigned row = 0; row < 2000; ++row)
        cells += Record(kNumber, CellHead(row, 0, 0) + Double(row));
    std::vector<SheetRecords> sheets;
    for (int i = 0; i < 40; ++i)
        sheets.push_back({"S" + std::to_string(10 + i), i == 0 ? cells : ""});
    std::string stream = Book("", sheets);
    // Every entry of the list names the first sheet's offset.
    const auto first = stream.find(std::string("\x03\x00S10", 5));
    ASSERT_NE(first, std::string::npos);
    const std::string offset = stream.substr(first - 6, 4);
    for (int i = 1; i < 40; ++i) {
        const auto at = stream.find(std::string("\x03\x00S", 3) + std::to_string(10 + i));
        ASSERT_NE(at, std::string::npos);
        stream.replace(at - 6, 4, offset);
    }
    const auto book = Read(dir, stream);
    ASSERT_EQ(book.sheets.size(), 40u);
    EXPECT_EQ(book.sheets[0].rows.size(), 2000u);
    // The stream holds the first sheet once: the budget runs out inside its second reading.
    ASSERT_EQ(book.notes.size(), 39u);
    EXPECT_EQ(book.notes.front(), "some cells of the sheet 'S11' cannot be read");
    EXPECT_EQ(book.notes.back(), "some cells of the sheet 'S49' cannot be read");
}

TEST(ExcelBiff, ChartSheetsAreNoTablesAndNamesKeepTheirSheets) {
    TempDir dir;
    // EXTERNSHEET: entry 0 is sheet 2 of the list (after the chart); NAME "Totals" = $A$1:$B$2.
    const std::string externSheet = Record(0x0017, U16(1) + U16(0) + U16(2) + U16(2));
    const std::string formula = std::string(1, '\x3B') + U16(0) + U16(0) + U16(1) + U16(0) + U16(1);
    const std::string name =
        Record(0x0018, U16(0) + '\0' + '\x06' + U16(formula.size()) + U16(0) + U16(0) + '\0' +
                           '\0' + '\0' + '\0' + '\0' + "Totals" + formula);
    const std::string cells = Record(kNumber, CellHead(0, 0, 0) + Double(1));
    const auto book = Read(
        dir, Book(externSheet + name, {{"First", cells}, {"Chart1", "", 2}, {"Second", cells}}));
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].name, "First");
    EXPECT_EQ(book.sheets[1].name, "Second");
    ASSERT_EQ(book.names.size(), 1u);
    EXPECT_EQ(book.names[0].name, "Totals");
    EXPECT_EQ(book.names[0].sheet, 1u);
    EXPECT_EQ(book.names[0].lastRow, 1u);
}

TEST(ExcelBiff, Version5TextIsInTheWorkbooksCodePage) {
    TempDir dir;
    // Windows-1251: "\xCC\xEE\xF1\xEA\xE2\xE0" is "Москва".
    const std::string moscow = "\xCC\xEE\xF1\xEA\xE2\xE0";
    const std::string cells = Record(kLabel, CellHead(0, 0, 0) + U16(6) + moscow);
    const auto book =
        Read(dir, Book(Record(kCodePage, U16(1251)), {{"Empty", ""}, {moscow, cells}}, 5));
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.version, "5.0");
    EXPECT_EQ(book.sheets[1].name, "Москва");
    EXPECT_EQ(Text(At(book, 0, 0, 0)), "<not a text>");
    EXPECT_EQ(Text(At(book, 1, 0, 0)), "Москва");
}

// The oldest format: one sheet in a bare stream, each cell's style in its attribute bytes, the
// number formats counted in order.
TEST(ExcelBiff, AVersion2SheetReadsAsPythonXlrdReadsIt) {
    TempDir dir;
    const std::string attributes = std::string(3, '\0');
    const std::string dateAttributes = std::string(1, '\x01') + std::string(2, '\0');
    std::string stream = Record(0x0009, U16(2) + U16(0x0010)) + Record(kCodePage, U16(1252));
    for (const std::string format : {"General", "d/m/yy"})
        stream += Record(0x001E, static_cast<char>(format.size()) + format);
    for (char format : {'\0', '\x01'})
        stream += Record(0x0043, std::string(2, '\0') + format + '\0');
    stream += Record(0x0002, U16(0) + U16(0) + attributes + U16(513)) +
              Record(0x0003, U16(0) + U16(1) + attributes + Double(-2.5)) +
              Record(0x0003, U16(1) + U16(0) + dateAttributes + Double(36526)) +
              Record(0x0004, U16(1) + U16(1) + attributes + '\x05' +
                                 "Gr\xFC\xDF"
                                 "e") +
              Record(0x0005, U16(2) + U16(0) + attributes + '\x01' + '\0') +
              Record(0x0005, U16(2) + U16(1) + attributes + '\x07' + '\x01') + Record(kEof, "");
    const std::string path = dir.File("old.xls");
    WriteBytes(path, stream);
    const auto book = ReadWorkbook(path);
    EXPECT_EQ(book.version, "2.0");
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "Worksheet");
    EXPECT_EQ(Text(At(book, 0, 1, 0)), "2000-01-01");
    EXPECT_EQ(Text(At(book, 0, 1, 1)), "Grüße");
    // The formats before 5 store no sheet name; each reader invents its own.
    EXPECT_EQ(Difference(Comparable(ProgramCells(path), false), Comparable(XlrdCells(path), false)),
              "");
}

TEST(ExcelBiff, AWorkbookWithoutASheetListIsRefusedNamingTheFile) {
    TempDir dir;
    const std::string path = dir.File("empty.xls");
    WriteBytes(path,
               Record(kBof, U16(0x0600) + U16(0x0005) + std::string(12, '\0')) + Record(kEof, ""));
    try {
        ReadWorkbook(path);
        FAIL() << "read";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Description(), "The workbook '" + path +
                                           "' cannot be read: its list of sheets is missing or "
                                           "damaged.");
    }
}

// A workbook of many texts (the shared string table goes on in CONTINUE records, some strings
// split across them), whole numbers, fractions and dates of the 1904 system, written by xlwt.
TEST(ExcelBiff, ALargeWorkbookOfPythonXlwtReadsAsPythonXlrdReadsIt) {
    TempDir dir;
    const std::string path = dir.File("large.xls");
    const std::string script =
        "import datetime, sys, xlwt\n"
        "book = xlwt.Workbook()\n"
        "book.dates_1904 = True\n"
        "day = xlwt.easyxf(num_format_str='yyyy-mm-dd')\n"
        "when = xlwt.easyxf(num_format_str='d.m.yyyy h:mm')\n"
        "sheet = book.add_sheet('Big')\n"
        "for r in range(3000):\n"
        "    sheet.write(r, 0, 'text %d \\u00e9\\u0416 ' % r + 'x' * (r % 37))\n"
        "    sheet.write(r, 1, r * 1000)\n"
        "    sheet.write(r, 2, r / 8.0)\n"
        "    sheet.write(r, 3, datetime.date(2001, 1, 1) + datetime.timedelta(days=r), day)\n"
        "    sheet.write(r, 4, datetime.datetime(2001, 1, 1, 6, 30) + datetime.timedelta(days=r), "
        "when)\n"
        "    sheet.write(r, 5, r % 2 == 0)\n"
        "book.add_sheet('Empty')\n"
        "book.save(sys.argv[1])\n";
    const std::string command =
        "/usr/bin/python3 -c \"$(cat <<'PY'\n" + script + "PY\n)\" '" + path + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "python3-xlwt could not write " << path;
    const auto expected = XlrdCells(path);
    ASSERT_GT(expected.size(), 3000u * 6);
    EXPECT_EQ(Difference(Comparable(ProgramCells(path), true), Comparable(expected, true)), "");
}

}  // namespace
}  // namespace tessel::test::excel_tests
