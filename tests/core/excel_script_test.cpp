// Workbooks through the script engine: DBCONNECT Excel and DBOPEN choose the row of the
// workbook's version, statements run over the sheets and leave their rows in recordset files,
// a change is refused in the "DBEngine error" box, and what could not be read is said once.
#include <gtest/gtest.h>

#include "core/db/drivers/excel/noted_database.h"
#include "excel_test_util.h"
#include "platform_test_util.h"
#include "script_run_fixture.h"

namespace tessel::test::excel_tests {
namespace {

class ExcelScript : public ScriptRunTest {};

TEST_F(ExcelScript, OpeningAWorkbookDetectsItsVersion) {
    Run("dbConnect Excel;\r\ndbOpen " + Data("xlrd/tests/samples/ragged.xls") + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 11);

    Run("dbConnect Excel;\r\ndbOpen " + Data("apache-poi/test-data/spreadsheet/testEXCEL_5.xls") +
        ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 10);
}

TEST_F(ExcelScript, StatementsOverSheetsAreCapturedAndChangesRefused) {
    const std::string file = Data("xlrd/tests/samples/ragged.xls");
    Run("dbConnect Excel;\r\ndbOpen " + file +
        ";\r\n"
        "SELECT a, b FROM [Sheet1$] WHERE b IS NOT NULL ORDER BY a;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    auto captured = RecordsetFile::Open(RecordsetPath(1));
    const auto rows = captured->ReadRows(0, 10);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].bytes, "d");
    EXPECT_EQ(rows[1][1].bytes, "h");

    Run("DELETE FROM [Sheet1$];\r\n");
    EXPECT_NE(Boxes().find("DBEngine error"), std::string::npos) << Boxes();
    EXPECT_NE(Boxes().find(file), std::string::npos) << Boxes();
}

TEST(ExcelFaults, TheFaultsPropertyListsEachNoteOnce) {
    db::Engine engine;
    const std::string file = Data("xlrd/tests/samples/ragged.xls");
    auto plain = engine.OpenDatabase(file, false, true, "Excel 8.0;HDR=YES;");
    for (const auto& property : plain->Properties())
        EXPECT_NE(property.name, "Faults");
    auto noted = db::excel::WithFaults(engine.OpenDatabase(file, false, true, "Excel 8.0;HDR=YES;"),
                                       {"formula results of the sheet 'A' cannot be read",
                                        "some cells of the sheet 'B' cannot be read"});
    const auto properties = noted->Properties();
    ASSERT_FALSE(properties.empty());
    EXPECT_EQ(properties.back().name, "Faults");
    EXPECT_EQ(std::get<std::string>(properties.back().value),
              "formula results of the sheet 'A' cannot be read; some cells of the sheet 'B' "
              "cannot be read.");
    EXPECT_EQ(platform_tests::UserTables(*noted), platform_tests::UserTables(*plain));
}

}  // namespace
}  // namespace tessel::test::excel_tests
