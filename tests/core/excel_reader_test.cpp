// Workbooks made by other programs, read by the Excel driver: every cell as python3-xlrd reads
// it, the sheets as tables through the engine (header row, column types, dates of both date
// systems, formula results), joins across sheets, tables of other databases, encrypted files,
// refused writes.
#include <gtest/gtest.h>
#include "core/db/drivers/excel/workbook.h"
#include "excel_test_util.h"
#include "platform_test_util.h"

namespace tessel::test::excel_tests {
namespace {

namespace err = db::err;
using db::Engine;
using platform_tests::ErrorNumber;
using platform_tests::Rows;

constexpr const char* kPoi = "apache-poi/test-data/spreadsheet/";
constexpr const char* kXlrd = "xlrd/tests/samples/";

std::string Poi(const std::string& name) {
    return Data(kPoi + name);
}
std::string Xlrd(const std::string& name) {
    return Data(kXlrd + name);
}

std::string ExcelConnection(const std::string& file) {
    return "Provider=MSDASQL.1;Extended Properties=DSN=Excel Files;DBQ=" + file + ";";
}

Rows Query(Engine& engine, const std::string& file, const std::string& statement) {
    return platform_tests::ReadRows(
        *engine.OpenConnection(ExcelConnection(file))->Execute(statement));
}

TEST(ExcelReader, EveryClassicWorkbookReadsAsPythonXlrdReadsIt) {
    struct File {
        std::string path;
        bool sheetNames;  // the formats before 5 store no sheet name; each reader invents one
    };
    const File files[] = {
        {Poi("1904DateWindowing.xls"), true},   {Poi("DateFormats.xls"), true},
        {Poi("FormulaRefs.xls"), true},         {Poi("SampleSS.xls"), true},
        {Poi("testEXCEL_3.xls"), false},        {Poi("testEXCEL_4.xls"), false},
        {Poi("testEXCEL_5.xls"), true},         {Xlrd("formula_test_sjmachin.xls"), true},
        {Xlrd("formula_test_names.xls"), true}, {Xlrd("ragged.xls"), true},
        {Xlrd("xf_class.xls"), true},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.path);
        const auto expected = Comparable(XlrdCells(file.path), file.sheetNames);
        ASSERT_GT(expected.size(), 1u);
        const auto actual = Comparable(ProgramCells(file.path), file.sheetNames);
        EXPECT_EQ(Difference(actual, expected), "");
    }
}

TEST(ExcelReader, SheetsAreTablesNamedWithADollarAndTheVersionIsTheFormats) {
    Engine engine;
    auto book = engine.OpenDatabase(Poi("SampleSS.xls"), false, true, "Excel 8.0;HDR=YES;");
    EXPECT_EQ(platform_tests::UserTables(*book),
              (std::vector<std::string>{"First Sheet$", "Sheet Number 2$", "Sheet3$"}));
    EXPECT_EQ(book->Version(), "8.0");
    EXPECT_EQ(
        engine.OpenDatabase(Poi("testEXCEL_5.xls"), false, true, "Excel 5.0;HDR=YES;")->Version(),
        "5.0");
    EXPECT_EQ(
        engine.OpenDatabase(Poi("testEXCEL_4.xls"), false, true, "Excel 4.0;HDR=YES;")->Version(),
        "4.0");
    EXPECT_EQ(
        engine.OpenDatabase(Poi("testEXCEL_3.xls"), false, true, "Excel 3.0;HDR=YES;")->Version(),
        "3.0");
}

TEST(ExcelReader, TheFirstRowNamesTheColumnsUnlessHdrIsNo) {
    Engine engine;
    const std::string file = Poi("FormulaRefs.xls");
    auto withHeader = engine.OpenDatabase(file, false, true, "Excel 8.0;HDR=YES;");
    auto fields = withHeader->Fields("Sheet1$");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "Direct");
    EXPECT_EQ(fields[0].type, db::ftype::kText);
    EXPECT_EQ(fields[1].name, "112");
    EXPECT_EQ(fields[1].type, db::ftype::kDouble);

    auto without = engine.OpenDatabase(file, false, true, "Excel 8.0;HDR=NO;");
    fields = without->Fields("Sheet1$");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "F1");
    EXPECT_EQ(fields[1].name, "F2");
}

TEST(ExcelReader, FormulaCellsGiveTheirCachedResults) {
    Engine engine;
    // Every formula of this sheet gives 112, also those that name other files.
    EXPECT_EQ(
        Query(engine, Poi("FormulaRefs.xls"), "SELECT Direct, [112] FROM [Sheet1$]"),
        (Rows{
            {"Same Sheet", "112"}, {"Sheet Ref", "112"}, {"File Ref", "112"}, {"URL Ref", "112"}}));
    // Text, empty text, True and an error value (#DIV/0!, read as Null) in one column of text.
    const Rows rows =
        Query(engine, Xlrd("formula_test_sjmachin.xls"), "SELECT Description, Data FROM [Sheet1$]");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Non-latin1 text", "МОСКВА Москва"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"formula text", "ABCDEF"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"formula zero-length text", ""}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"formula boolean", "True"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"formula error", "<null>"}));
    EXPECT_EQ(rows[6], (std::vector<std::string>{"formula non-latin1 text", "МОСКВА Москва"}));
}

TEST(ExcelReader, DatesOfBothDateSystemsAreDates) {
    Engine engine;
    auto dates = engine.OpenDatabase(Poi("DateFormats.xls"), false, true, "Excel 8.0;HDR=NO;");
    EXPECT_EQ(dates->Fields("Sheet1$")[1].type, db::ftype::kDate);
    // Statements read the first row as names: here a date names the column of dates.
    EXPECT_EQ(Query(engine, Poi("DateFormats.xls"),
                    "SELECT COUNT(*) FROM [Sheet1$] WHERE [2007-08-10] = #2007-08-10#"),
              (Rows{{"4"}}));
    // The serial 35064 counted from 1904 is the first day of 2000 (from 1900 it would be 1995).
    auto windowed =
        engine.OpenDatabase(Poi("1904DateWindowing.xls"), false, true, "Excel 8.0;HDR=NO;");
    EXPECT_EQ(windowed->Fields("Sheet1$")[0].type, db::ftype::kDate);
    const auto book = db::excel::ReadWorkbook(Poi("1904DateWindowing.xls"));
    ASSERT_EQ(book.sheets.at(0).rows.size(), 1u);
    EXPECT_TRUE(book.sheets[0].rows[0].at(0).date);
    EXPECT_EQ(std::get<std::string>(book.sheets[0].rows[0][0].value), "2000-01-01");
}

TEST(ExcelReader, StatementsJoinSheets) {
    Engine engine;
    // table1 and table3 both begin with RED, GREEN and BLUE rows under a RED header.
    EXPECT_EQ(Query(engine, Xlrd("xf_class.xls"),
                    "SELECT a.RED, b.RED1 FROM [table1$] AS a INNER JOIN [table3$] AS b "
                    "ON a.RED = b.RED ORDER BY a.RED"),
              (Rows{{"BLUE", "BLUE"}, {"GREEN", "GREEN"}}));
    EXPECT_EQ(Query(engine, Xlrd("ragged.xls"), "SELECT COUNT(*), COUNT(b), MAX(a) FROM [Sheet1$]"),
              (Rows{{"4", "2", "k"}}));
}

TEST(ExcelReader, ZippedWorkbooksReadTheSameAsTheClassicOne) {
    for (const std::string name : {"SampleSS.xlsx", "SampleSS.ods"}) {
        SCOPED_TRACE(name);
        Engine engine;
        auto book = engine.OpenDatabase(Poi(name), false, true, "Excel 8.0;HDR=NO;");
        EXPECT_EQ(platform_tests::UserTables(*book),
                  (std::vector<std::string>{"First Sheet$", "Sheet Number 2$", "Sheet3$"}));
        EXPECT_EQ(book->Version(), "12.0");
        // The last cell of the row is the sum formula's cached result; the first row of the
        // sheet names the columns, and columns of numbers and text are text.
        EXPECT_EQ(Query(engine, Poi(name),
                        "SELECT [Start of 2nd sheet], F2, F3, F4 FROM [Sheet Number 2$] "
                        "WHERE [Start of 2nd sheet] IN ('cb=1', '1')"),
                  (Rows{{"cb=1", "cb=10", "cb=2", "cb=sum"}, {"1", "10", "2", "13"}}));
        // An empty row inside the sheet's cells is a row of Nulls.
        EXPECT_EQ(Query(engine, Poi(name), "SELECT [Test spreadsheet] FROM [First Sheet$]"),
                  (Rows{{"2nd row"}, {"<null>"}, {"This one is red"}}));
    }
    // The rows hold 1; 2, 3; 4, 5, 6; ...: below the header 1 the first column holds 2, 4, 7, 11.
    Engine engine;
    EXPECT_EQ(
        Query(engine, Poi("SimpleMultiCell.xlsx"), "SELECT SUM([1]), COUNT(*) FROM [Sheet1$]"),
        (Rows{{"24", "4"}}));
}

TEST(ExcelReader, EncryptedWorkbooksGiveAClearError) {
    for (const std::string name : {"password.xls", "xor-encryption-abc.xls"}) {
        SCOPED_TRACE(name);
        Engine engine;
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(Poi(name), false, true, "Excel 8.0;"); },
                              &description),
                  err::kCannotOpenFile);
        EXPECT_NE(description.find(Poi(name)), std::string::npos) << description;
        EXPECT_NE(description.find("encrypted with a password"), std::string::npos) << description;
    }
}

TEST(ExcelReader, WritesAreRefusedNamingTheWorkbook) {
    Engine engine;
    const std::string file = Xlrd("ragged.xls");
    for (const std::string statement :
         {"INSERT INTO [Sheet1$] (a) VALUES ('z')", "UPDATE [Sheet1$] SET a = 'z'",
          "DELETE FROM [Sheet1$]", "CREATE TABLE Extra (A TEXT(5))", "DROP TABLE [Sheet1$]"}) {
        SCOPED_TRACE(statement);
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { Query(engine, file, statement); }, &description),
                  err::kReadOnly);
        EXPECT_NE(description.find(file), std::string::npos) << description;
    }
    EXPECT_EQ(Query(engine, file, "SELECT COUNT(*) FROM [Sheet1$]"), (Rows{{"4"}}));
}

TEST(ExcelReader, AStatementOverAnotherDatabaseReachesSheetsByIn) {
    Engine engine;
    TempDir dir;
    const std::string mdb = platform_tests::NewDatabase(engine, dir);
    EXPECT_EQ(platform_tests::Query(engine, mdb,
                                    "SELECT a, b FROM [Sheet1$] IN '" + Xlrd("ragged.xls") +
                                        "' 'Excel 8.0;' WHERE b IS NOT NULL ORDER BY a"),
              (Rows{{"d", "e"}, {"g", "h"}}));
}

TEST(ExcelReader, FilesThatAreNoWorkbooksAndMissingFilesNameTheFile) {
    Engine engine;
    TempDir dir;
    const std::string text = dir.File("notes.xls");
    WriteBytes(text, "just some text, not a workbook");
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { engine.OpenDatabase(text, false, true, "Excel 8.0;"); }, &description),
        err::kUnreadableDatabase);
    EXPECT_NE(description.find(text), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber(
                  [&] { engine.OpenDatabase(dir.File("missing.xls"), false, true, "Excel 8.0;"); }),
              err::kFileMissing);
}

}  // namespace
}  // namespace tessel::test::excel_tests
