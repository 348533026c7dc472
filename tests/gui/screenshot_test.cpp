// Pictures of the main window after start-up and after running a script, as a person sees
// them. They go to $TESSEL_SCREENSHOT_DIR when it is set (bench/screenshot.sh sets it),
// otherwise to the test's temporary directory.
#include <QImage>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"
#include "test_paths.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDemoScript =
    "// Make a database, fill a table and read it back, the classic way.\r\n"
    "dbmake shop;\r\n"
    "CREATE TABLE Customers (CustomerID COUNTER, Name TEXT(50), City TEXT(30),"
    " Joined DATETIME);\r\n"
    "CREATE UNIQUE INDEX PrimaryKey ON Customers (CustomerID) WITH PRIMARY;\r\n"
    "INSERT INTO Customers (Name, City, Joined) VALUES ('Ada', 'London', #1999-02-03#);\r\n"
    "INSERT INTO Customers (Name, City, Joined) VALUES ('Grace', 'Arlington', #2001-12-09#);\r\n"
    "INSERT INTO Customers (Name, City, Joined) VALUES ('Edsger', 'Nuenen', #2002-05-11#);\r\n"
    "SELECT Name FROM Customers WHERE City = 'London';\r\n"
    "SELECT * FROM Customers ORDER BY Name;\r\n"
    "TRANSFORM Count(*) SELECT City FROM Customers GROUP BY City PIVOT Year(Joined);\r\n"
    "ALTER TABLE Customers ADD COLUMN Member BIT;\r\n"
    "UPDATE Customers SET Member = -1 WHERE City = 'LONDON';\r\n"
    "SELECT Name, Joined + 30 AS Due, Member FROM Customers WHERE Member = True OR "
    "Name LIKE '[e-g]*' ORDER BY Name;\r\n";

class ScreenshotTest : public MainWindowTest {
  protected:
    std::string Save(const char* name) { return SaveScreenshot(Window(), name, Home()); }
};

TEST_F(ScreenshotTest, MainWindowAfterStartAndAfterRunningAScript) {
    Window().resize(1100, 720);
    Settle(100);
    const std::string start = Save("main-window-start.png");
    QImage first(QString::fromStdString(start));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.width(), Window().width() * static_cast<int>(Window().devicePixelRatio()));

    Window().GetUi().SetEditorText(kDemoScript);
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(100);

    EXPECT_TRUE(Sess().state.current.databaseOpen);
    EXPECT_EQ(Sess().state.recordsets.recordsetCount, 4);
    EXPECT_EQ(Window().ListPane().Grid()->model()->rowCount(), 5);
    EXPECT_GT(Window().TreePane().Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(Std(Window().ViewPane().Caption()), "recordset4");
    const std::string after = Save("main-window-after-run.png");
    EXPECT_FALSE(QImage(QString::fromStdString(after)).isNull());
}

// A directory of dBase tables as the current database: made, filled, joined and browsed.
TEST_F(ScreenshotTest, DbaseDirectoryAfterRunningAScript) {
    Window().resize(1100, 720);
    const std::string directory = (home_.Path() / "dbfshop").string();
    Window().GetUi().SetEditorText(
        "dbConnect Dbase;\r\n"
        "dbVersion 4;\r\n"
        "dbMake " +
        directory +
        ";\r\n"
        "CREATE TABLE Customers (ID LONG, Name TEXT(50), City TEXT(30), Joined DATETIME);\r\n"
        "CREATE TABLE Orders (OrderID LONG, CustID LONG, Amount CURRENCY, Notes MEMO);\r\n"
        "INSERT INTO Customers VALUES (1, 'Ada', 'London', #1999-02-03#);\r\n"
        "INSERT INTO Customers VALUES (2, 'Grace', 'Arlington', #2001-12-09#);\r\n"
        "INSERT INTO Orders VALUES (10, 1, 12.5, 'first order');\r\n"
        "INSERT INTO Orders VALUES (11, 1, 7.25, NULL);\r\n"
        "INSERT INTO Orders VALUES (12, 2, 100, 'by post');\r\n"
        "UPDATE Orders SET Amount = Amount * 2 WHERE CustID = 2;\r\n"
        "DELETE FROM Orders WHERE OrderID = 11;\r\n"
        "SELECT c.Name, o.OrderID, o.Amount, o.Notes FROM Customers AS c INNER JOIN Orders AS o "
        "ON c.ID = o.CustID ORDER BY o.OrderID;\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(100);

    EXPECT_TRUE(Sess().state.current.databaseOpen);
    EXPECT_EQ(Sess().state.current.versionIndex, 6);
    EXPECT_TRUE(fs::exists(fs::path(directory) / "CUSTOMERS.DBF") ||
                fs::exists(fs::path(directory) / "Customers.dbf"));
    EXPECT_EQ(Sess().state.recordsets.recordsetCount, 1);
    EXPECT_EQ(Window().ViewPane().Grid()->model()->rowCount(), 2);
    EXPECT_GT(Window().TreePane().Tree()->topLevelItemCount(), 0);
    const std::string after = Save("dbase-directory-after-run.png");
    EXPECT_FALSE(QImage(QString::fromStdString(after)).isNull());
}

// A directory of Paradox tables someone was handed, joined and browsed; it is only read, so a
// copy is opened.
TEST_F(ScreenshotTest, ParadoxDirectoryAfterRunningAScript) {
    Window().resize(1100, 720);
    const fs::path directory = home_.Path() / "areas";
    fs::create_directories(directory);
    for (const auto& entry : fs::directory_iterator(fs::path(TESSEL_TESTDATA_DIR) /
                                                    "paradoxdriver/src/test/resources/areas")) {
        fs::copy_file(entry.path(), directory / entry.path().filename());
    }
    Window().GetUi().SetEditorText(
        "dbConnect Paradox;\r\n"
        "dbOpen " +
        directory.string() +
        ";\r\n"
        "SELECT TOP 5 z.Zip, z.City, s.State FROM ZIPCODES AS z INNER JOIN STATES AS s ON "
        "z.State = s.Abv WHERE s.Abv = 'NY' ORDER BY z.Zip;\r\n"
        "SELECT State, COUNT(*) AS Places FROM ZIPCODES GROUP BY State ORDER BY 2 DESC;\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(100);

    EXPECT_TRUE(Sess().state.current.databaseOpen);
    EXPECT_EQ(Sess().state.recordsets.recordsetCount, 2);
    EXPECT_GT(Window().ViewPane().Grid()->model()->rowCount(), 10);
    EXPECT_GT(Window().TreePane().Tree()->topLevelItemCount(), 0);
    const std::string after = Save("paradox-directory-after-run.png");
    EXPECT_FALSE(QImage(QString::fromStdString(after)).isNull());
}

// A genuine Access file someone was handed, with calculated fields, opened and queried.
TEST_F(ScreenshotTest, GenuineAccessFileAfterRunningAScript) {
    Window().resize(1100, 720);
    const fs::path copy = home_.Path() / "staff.accdb";
    fs::copy_file(
        fs::path(TESSEL_TESTDATA_DIR) / "jackcess/src/test/data/V2010/calcFieldTestV2010.accdb",
        copy);
    Window().GetUi().SetEditorText(
        "dbOpen " + copy.string() +
        ";\r\n"
        "SELECT ID, LastFirst, City, Salary, MonthlySalary FROM Table1 ORDER BY ID;\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(100);

    EXPECT_TRUE(Sess().state.current.databaseOpen);
    EXPECT_EQ(Sess().state.recordsets.recordsetCount, 1);
    EXPECT_GT(Window().ViewPane().Grid()->model()->rowCount(), 0);
    EXPECT_GT(Window().TreePane().Tree()->topLevelItemCount(), 0);
    const std::string after = Save("access-file-after-run.png");
    EXPECT_FALSE(QImage(QString::fromStdString(after)).isNull());
}

// A workbook opened as the current database: its sheets are tables with a "$" in their names.
TEST_F(ScreenshotTest, WorkbookAfterRunningAScript) {
    Window().resize(1100, 720);
    const std::string workbook =
        (fs::path(TESSEL_TESTDATA_DIR) / "apache-poi/test-data/spreadsheet/SampleSS.xlsx").string();
    Window().GetUi().SetEditorText(
        "dbConnect Excel;\r\n"
        "dbOpen " +
        workbook +
        ";\r\n"
        "SELECT * FROM [First Sheet$];\r\n"
        "SELECT * FROM [Sheet Number 2$];\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(100);

    EXPECT_TRUE(Sess().state.current.databaseOpen);
    EXPECT_EQ(Sess().state.recordsets.recordsetCount, 2);
    EXPECT_GT(Window().ViewPane().Grid()->model()->rowCount(), 0);
    EXPECT_GT(Window().TreePane().Tree()->topLevelItemCount(), 0);
    const std::string after = Save("workbook-after-run.png");
    EXPECT_FALSE(QImage(QString::fromStdString(after)).isNull());
}

}  // namespace
}  // namespace tessel::test::gui
