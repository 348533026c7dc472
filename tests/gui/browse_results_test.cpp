// The recordset list and view panes over real recordset files written from engine cursors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <filesystem>

#include "app/browse/recordset_list_model.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_table_model.h"
#include "app/browse/recordset_view_pane.h"
#include "browse_support.h"
#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"

namespace tessel::test::browse {
namespace {

using app::RecordsetListPane;
using app::RecordsetTableModel;
using app::RecordsetViewPane;

class BrowseResultsTest : public BrowseTest {
  protected:
    BrowseResultsTest() : view(session), list(session, view) {
        ui.list = &list;
        ui.view = &view;
        list.resize(400, 200);
        view.resize(400, 300);
    }

    void MakeNumbers() {
        CreateCurrentDatabase();
        Run({"CREATE TABLE Numbers (N LONG, Word TEXT(20))",
             "INSERT INTO Numbers VALUES (1, 'one')", "INSERT INTO Numbers VALUES (2, 'two')",
             "INSERT INTO Numbers VALUES (3, 'three')"});
    }

    // What the statement runner does for each capture: the file, the list row, the view.
    void CaptureAs(int number, const std::string& statement) {
        session.state.recordsets.recordsetCount = number;
        const std::string file = Capture(number, statement);
        ui.AddRecordsetRow(number, statement);
        ui.BindRecordsetView("recordset" + std::to_string(number), file);
    }

    void ThreeCaptures() {
        MakeNumbers();
        CaptureAs(1, "SELECT N FROM Numbers WHERE N = 1");
        CaptureAs(2, "SELECT Word, N FROM Numbers WHERE N >= 2 ORDER BY N");
        CaptureAs(3, "SELECT Word FROM Numbers WHERE N = 3");
    }

    void Click(int row) { emit list.Grid()->clicked(list.Grid()->model()->index(row, 0)); }

    // A cell of the list as the grid shows it.
    std::string ListCell(int row, int column) {
        auto* model = list.Grid()->model();
        return Std(model->data(model->index(row, column)).toString());
    }
    int ListRows() { return list.Grid()->model()->rowCount(); }

    QString Cell(int row, int column) {
        auto* model = view.Grid()->model();
        return model->data(model->index(row, column)).toString();
    }

    RecordsetViewPane view;
    RecordsetListPane list;
};

TEST_F(BrowseResultsTest, ThreeCapturesGiveFourRowsAndRowTwoShowsTheSecondResult) {
    ThreeCaptures();
    EXPECT_FALSE(list.Grid()->isHidden());
    ASSERT_EQ(ListRows(), 4);
    EXPECT_EQ(ListCell(0, 0), "Record set");
    EXPECT_EQ(ListCell(0, 1), "SQL source command");
    EXPECT_TRUE(list.Grid()->isRowHidden(0));
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(ListCell(k, 0), "recordset" + std::to_string(k));
    }
    EXPECT_EQ(ListCell(2, 1), "SELECT Word, N FROM Numbers WHERE N >= 2 ORDER BY N");
    EXPECT_EQ(Std(view.Caption()), "recordset3");

    Click(2);
    EXPECT_EQ(Std(view.Caption()), "recordset2");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 2);
    EXPECT_EQ(view.Grid()->model()->columnCount(), 2);
    EXPECT_EQ(Std(view.Grid()->model()->headerData(0, Qt::Horizontal).toString()), "Word");
    EXPECT_EQ(Std(Cell(0, 0)), "two");
    EXPECT_EQ(Std(Cell(1, 0)), "three");
    EXPECT_EQ(session.state.recordsets.recordsetFileName,
              RecordsetFilePath(session.state.app.appPath, 2));

    Click(3);
    EXPECT_EQ(Std(view.Caption()), "recordset3");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 1);
    EXPECT_EQ(Std(Cell(0, 0)), "three");
}

TEST_F(BrowseResultsTest, AYesNoFieldShowsTrueForTheClassicMinusOneAsForOne) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Flags (N LONG, Done BIT)", "INSERT INTO Flags VALUES (1, -1)",
         "INSERT INTO Flags VALUES (2, 1)", "INSERT INTO Flags VALUES (3, 0)"});
    CaptureAs(1, "SELECT N, Done FROM Flags ORDER BY N");
    EXPECT_EQ(Std(Cell(0, 1)), "True");
    EXPECT_EQ(Std(Cell(1, 1)), "True");
    EXPECT_EQ(Std(Cell(2, 1)), "False");
}

TEST_F(BrowseResultsTest, AScriptWithThreeSelectsFillsTheListAndRowTwoShowsItsRows) {
    MakeNumbers();
    ui.editorText = "dbopen " + databasePath +
                    ";\r\n"
                    "SELECT N FROM Numbers WHERE N = 1;\r\n"
                    "SELECT Word FROM Numbers WHERE N >= 2 ORDER BY N;\r\n"
                    "SELECT N, Word FROM Numbers WHERE N = 3;\r\n";
    ScriptExecute(session);
    ASSERT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    ASSERT_EQ(ListRows(), 4);
    EXPECT_FALSE(list.Grid()->isHidden());
    EXPECT_EQ(ListCell(3, 0), "recordset3");
    EXPECT_EQ(ListCell(2, 1), "SELECT Word FROM Numbers WHERE N >= 2 ORDER BY N");
    EXPECT_EQ(Std(view.Caption()), "recordset3");
    EXPECT_EQ(view.Grid()->model()->columnCount(), 2);

    Click(2);
    EXPECT_EQ(Std(view.Caption()), "recordset2");
    ASSERT_EQ(view.Grid()->model()->rowCount(), 2);
    EXPECT_EQ(Std(Cell(0, 0)), "two");
    EXPECT_EQ(Std(Cell(1, 0)), "three");
}

TEST_F(BrowseResultsTest, ASingleCapturesRowChangesNothing) {
    MakeNumbers();
    CaptureAs(1, "SELECT N FROM Numbers");
    view.Bind("elsewhere", "");
    Click(1);
    EXPECT_EQ(Std(view.Caption()), "elsewhere");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 0);
}

TEST_F(BrowseResultsTest, AMissingFileChangesTheCaptionAndShowsNoRows) {
    ThreeCaptures();
    std::filesystem::remove(RecordsetFilePath(session.state.app.appPath, 2));
    Click(2);
    EXPECT_EQ(Std(view.Caption()), "recordset2");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 0);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(BrowseResultsTest, AShorterRunShrinksTheList) {
    ThreeCaptures();
    CaptureAs(1, "SELECT N FROM Numbers");
    EXPECT_EQ(ListRows(), 2);
    EXPECT_EQ(ListCell(1, 1), "SELECT N FROM Numbers");
}

TEST_F(BrowseResultsTest, HidingKeepsTheRowsAndEmptiesTheView) {
    ThreeCaptures();
    list.HideGrid();
    view.HideGrid();
    EXPECT_TRUE(list.Grid()->isHidden());
    EXPECT_EQ(ListRows(), 4);
    EXPECT_TRUE(view.Grid()->isHidden());
    EXPECT_EQ(Std(view.Caption()), "");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 0);
}

TEST_F(BrowseResultsTest, ColumnsAreAQuarterAndThreeQuartersUnderBoldHeadings) {
    list.SetColumnWidths(400);
    EXPECT_EQ(list.Grid()->columnWidth(0), 100);
    EXPECT_EQ(list.Grid()->columnWidth(1), 300);
    auto* model = list.Grid()->model();
    EXPECT_EQ(ListCell(0, 0), "Record set");
    EXPECT_TRUE(model->data(model->index(0, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(model->data(model->index(0, 1), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(list.Grid()->horizontalHeader()->font().bold());
    EXPECT_EQ(Std(model->headerData(1, Qt::Horizontal).toString()), "SQL source command");
    list.SetColumnWidths(301);
    EXPECT_EQ(list.Grid()->columnWidth(0), 75);
    EXPECT_EQ(list.Grid()->columnWidth(1), 226);
    // 124.5 and 373.5 both round up; together they never pass the width.
    list.SetColumnWidths(498);
    EXPECT_EQ(list.Grid()->columnWidth(0), 125);
    EXPECT_EQ(list.Grid()->columnWidth(1), 373);
}

TEST_F(BrowseResultsTest, ResizingTheListFillsItWithoutAHorizontalScrollBar) {
    ThreeCaptures();
    list.show();
    list.resize(500, 150);
    QApplication::processEvents();
    EXPECT_EQ(list.Grid()->geometry(), QRect(0, 0, 500, 150));
    const int inner = list.Grid()->viewport()->width();
    EXPECT_EQ(list.Grid()->columnWidth(0) + list.Grid()->columnWidth(1), inner);
    EXPECT_FALSE(list.Grid()->horizontalScrollBar()->isVisible());
    EXPECT_EQ(Std(list.Grid()->model()->headerData(0, Qt::Horizontal).toString()), "Record set");
}

TEST_F(BrowseResultsTest, ToolTips) {
    EXPECT_EQ(Std(list.Grid()->toolTip()),
              "SQL resultsets - click on the row to display resultset in lower-right pane");
    EXPECT_EQ(Std(view.Grid()->toolTip()), "Resultset of upper-right pane selected SQL recordset");
}

TEST_F(BrowseResultsTest, AListRowShowsItsWholeStatementAsATooltip) {
    ThreeCaptures();
    auto* model = list.Grid()->model();
    const QString tip = model->data(model->index(2, 1), Qt::ToolTipRole).toString();
    EXPECT_NE(Std(tip).find("SELECT Word, N FROM Numbers WHERE N &gt;= 2 ORDER BY N"),
              std::string::npos)
        << Std(tip);
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::ToolTipRole).isValid()) << "heading row";

    // A statement of many pages shows its start, not a tooltip larger than the screen.
    std::string huge = "SELECT N FROM Numbers WHERE N IN (0";
    for (int i = 1; i < 3000; ++i)
        huge += ", " + std::to_string(i);
    CaptureAs(4, huge + ")");
    EXPECT_EQ(model->data(model->index(4, 1)).toString().size(), 1001)
        << "the cell shows the start";
    EXPECT_EQ(list.Model()->Statement(4).size(), static_cast<qsizetype>(huge.size() + 1));
    const QString long_tip = model->data(model->index(4, 1), Qt::ToolTipRole).toString();
    EXPECT_LT(long_tip.size(), 2100);
    EXPECT_NE(Std(long_tip).find("SELECT N FROM Numbers WHERE N IN (0, 1, 2"), std::string::npos);
    EXPECT_TRUE(long_tip.contains(QChar(0x2026)));

    // Rows skipped by a jump in the numbers have no statement and no empty tooltip either.
    list.Model()->SetLastCapture(6, "SELECT 6");
    EXPECT_FALSE(model->data(model->index(5, 1), Qt::ToolTipRole).isValid());
    EXPECT_TRUE(model->data(model->index(6, 1), Qt::ToolTipRole).isValid());
}

TEST_F(BrowseResultsTest, ArrowKeysShowEachRecordsetAsAClickDoes) {
    ThreeCaptures();
    list.show();
    QApplication::processEvents();
    ASSERT_EQ(list.Grid()->currentIndex().row(), 3);
    EXPECT_EQ(Std(view.Caption()), "recordset3");
    QTest::keyClick(list.Grid(), Qt::Key_Up);
    EXPECT_EQ(Std(view.Caption()), "recordset2");
    EXPECT_EQ(view.Grid()->model()->rowCount(), 2);
    EXPECT_EQ(Std(Cell(0, 0)), "two");
    QTest::keyClick(list.Grid(), Qt::Key_Up);
    EXPECT_EQ(Std(view.Caption()), "recordset1");
    QTest::keyClick(list.Grid(), Qt::Key_Up);
    EXPECT_EQ(Std(view.Caption()), "recordset1") << "the heading row is not a recordset";
    QTest::keyClick(list.Grid(), Qt::Key_Down);
    QTest::keyClick(list.Grid(), Qt::Key_Down);
    EXPECT_EQ(Std(view.Caption()), "recordset3");
}

TEST_F(BrowseResultsTest, AClickOrADragWithTheMouseShowsTheRowItEndsOn) {
    ThreeCaptures();
    list.show();
    QApplication::processEvents();
    QWidget* rows = list.Grid()->viewport();
    const auto centre = [this](int row) {
        return list.Grid()->visualRect(list.Grid()->model()->index(row, 1)).center();
    };
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, centre(1));
    EXPECT_EQ(Std(view.Caption()), "recordset1");
    EXPECT_EQ(Std(Cell(0, 0)), "1");

    // Pressed on row 1, let go on row 2: no click, but row 2 is the one highlighted.
    QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, centre(1));
    QTest::mouseMove(rows, centre(2));
    QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, centre(2));
    EXPECT_EQ(list.Grid()->currentIndex().row(), 2);
    EXPECT_EQ(Std(view.Caption()), "recordset2");
    EXPECT_EQ(Std(Cell(0, 0)), "two");
}

// A memo of many pages shows its start in the cell and the tooltip (measuring and eliding the
// whole of it on every paint made a grid of such rows take seconds); the value stays whole.
TEST_F(BrowseResultsTest, AMemoOfManyPagesShowsItsStartAndKeepsItsWholeValue) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Notes (N LONG, Body MEMO)",
         "INSERT INTO Notes VALUES (1, '" + std::string(100000, 'x') + "')",
         "INSERT INTO Notes VALUES (2, '" + std::string(1000, 'y') + "')"});
    view.Bind("recordset1",
              QString::fromStdString(Capture(1, "SELECT Body FROM Notes ORDER BY N")));
    auto* model = view.Grid()->model();
    const QString shown = Cell(0, 0);
    EXPECT_EQ(shown.size(), 1001);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_EQ(model->data(model->index(0, 0), RecordsetTableModel::kValueRole).toString().size(),
              100000);
    const QString tip = model->data(model->index(0, 0), Qt::ToolTipRole).toString();
    EXPECT_LT(tip.size(), 2100);
    EXPECT_TRUE(tip.contains(QChar(0x2026)));
    // Up to the limit a text is shown whole.
    EXPECT_EQ(Cell(1, 0), QString(1000, 'y'));
}

TEST_F(BrowseResultsTest, ListAndGridRowsAreOfOneHeight) {
    ThreeCaptures();
    list.show();
    view.show();
    QApplication::processEvents();
    EXPECT_EQ(list.Grid()->rowHeight(1), view.Grid()->rowHeight(0));
    EXPECT_GE(view.Grid()->rowHeight(0), view.Grid()->fontMetrics().height());
}

// A value wider than those of the first rows widens its column when it comes on screen, so that
// the end of a large result is not cut to "1…".
TEST_F(BrowseResultsTest, ColumnsWidenAsWiderRowsComeOnScreen) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Long (N LONG, Word TEXT(40))"});
    std::string insert = "INSERT INTO Long VALUES (0, 'x')";
    for (int i = 1; i < 400; ++i)
        insert += ", (" + std::to_string(i) + ", '" +
                  (i == 390 ? "abcdefghijabcdefghijabcde" : "x") + "')";
    Run({insert});
    view.resize(400, 300);
    view.show();
    view.Bind("recordset1",
              QString::fromStdString(Capture(1, "SELECT N, Word FROM Long ORDER BY N")));
    QApplication::processEvents();
    const QFontMetrics metrics(view.Grid()->font());
    const int longWidth = metrics.horizontalAdvance("abcdefghijabcdefghijabcde");
    const int numberWidth = metrics.horizontalAdvance("399");
    EXPECT_LT(view.Grid()->columnWidth(1), longWidth) << "fitted to the first rows";
    EXPECT_LT(view.Grid()->columnWidth(0), numberWidth + metrics.averageCharWidth());

    // The person narrows the first column by hand, below what "399" needs: it stays as they
    // left it.
    const int narrow = view.Grid()->horizontalHeader()->minimumSectionSize();
    ASSERT_LT(narrow, numberWidth + metrics.averageCharWidth() * 2);
    view.Grid()->setColumnWidth(0, narrow);
    view.Grid()->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GE(view.Grid()->columnWidth(1), longWidth);
    EXPECT_EQ(view.Grid()->columnWidth(0), narrow);

    // Scrolling back does not narrow it again.
    const int widened = view.Grid()->columnWidth(1);
    view.Grid()->scrollToTop();
    QApplication::processEvents();
    EXPECT_EQ(view.Grid()->columnWidth(1), widened);

    // A recordset shown again is fitted afresh: what the person did by hand was for the last.
    const std::string file = RecordsetFilePath(session.state.app.appPath, 1);
    view.Bind("recordset2", QString::fromStdString(Capture(2, "SELECT N FROM Long WHERE N < 3")));
    view.Bind("recordset1", QString::fromStdString(file));
    EXPECT_LT(view.Grid()->columnWidth(1), longWidth);
    view.Grid()->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GE(view.Grid()->columnWidth(0), numberWidth);
}

TEST_F(BrowseResultsTest, EmptyPanesSayWhatWillAppearThere) {
    const auto note = [](QWidget& pane) { return pane.findChild<QLabel*>("emptyPaneNote"); };
    ASSERT_NE(note(list), nullptr);
    ASSERT_NE(note(view), nullptr);
    EXPECT_TRUE(note(list)->isVisibleTo(&list));
    EXPECT_TRUE(note(view)->isVisibleTo(&view));
    EXPECT_NE(Std(note(list)->text()).find("SELECT"), std::string::npos);
    EXPECT_NE(Std(note(view)->text()).find("rows of a recordset"), std::string::npos);
    ThreeCaptures();
    EXPECT_FALSE(note(list)->isVisibleTo(&list));
    EXPECT_FALSE(note(view)->isVisibleTo(&view));
    list.HideGrid();
    view.HideGrid();
    EXPECT_TRUE(note(list)->isVisibleTo(&list));
    EXPECT_TRUE(note(view)->isVisibleTo(&view));
}

TEST_F(BrowseResultsTest, RightMouseUpPopsUpTheScriptMenu) {
    ThreeCaptures();
    QMenu script("&Script");
    script.addAction("&Execute");
    list.SetContextMenu(&script);
    list.show();
    const QPointF at(5, 5);
    QMouseEvent right(QEvent::MouseButtonRelease, at, list.Grid()->viewport()->mapToGlobal(at),
                      Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list.Grid()->viewport(), &right);
    EXPECT_TRUE(script.isVisible());
    script.hide();
    QMouseEvent onPane(QEvent::MouseButtonRelease, at, list.mapToGlobal(at), Qt::RightButton,
                       Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&list, &onPane);
    EXPECT_TRUE(script.isVisible());
    script.hide();
}

TEST_F(BrowseResultsTest, NullIsShownApartFromAnEmptyTextAndBinaryAsHex) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Mixed (Id LONG, Label TEXT(10), Data LONGBINARY)",
         "INSERT INTO Mixed VALUES (1, NULL, NULL)", "INSERT INTO Mixed VALUES (2, '', X'00FF10')",
         "INSERT INTO Mixed VALUES (3, 'x', X'000102030405060708090A0B0C0D0E0F1011')"});
    view.Bind("recordset1",
              QString::fromStdString(Capture(1, "SELECT Id, Label, Data FROM Mixed ORDER BY Id")));
    auto* model = view.Grid()->model();
    EXPECT_EQ(Std(Cell(0, 1)), "Null");
    EXPECT_TRUE(model->data(model->index(0, 1), RecordsetTableModel::kIsNullRole).toBool());
    EXPECT_TRUE(model->data(model->index(0, 1), Qt::FontRole).value<QFont>().italic());
    EXPECT_EQ(Std(Cell(1, 1)), "");
    EXPECT_FALSE(model->data(model->index(1, 1), RecordsetTableModel::kIsNullRole).toBool());
    EXPECT_FALSE(model->data(model->index(1, 1), Qt::FontRole).isValid());
    EXPECT_EQ(Std(Cell(1, 2)), "0x00FF10");
    EXPECT_EQ(Std(Cell(2, 2)), "0x000102030405060708090A0B0C0D0E0F... (18 bytes)");
    EXPECT_EQ(model->data(model->index(2, 2), RecordsetTableModel::kValueRole).toByteArray().size(),
              18);
}

TEST_F(BrowseResultsTest, NumbersAndDatesFollowTheLocale) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Sales (Amount DOUBLE, Sold DATETIME, Count LONG)",
         "INSERT INTO Sales VALUES (1234.5, '2001-02-03 04:05:06', 1234567)"});
    view.Bind("recordset1",
              QString::fromStdString(Capture(1, "SELECT Amount, Sold, Count FROM Sales")));
    auto* model = static_cast<RecordsetTableModel*>(view.Grid()->model());

    model->SetLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Std(Cell(0, 0)), "1234,5");
    EXPECT_EQ(Std(Cell(0, 1)), "03.02.01 04:05:06");
    EXPECT_EQ(Std(Cell(0, 2)), "1234567");
    EXPECT_TRUE(model->data(model->index(0, 0), Qt::TextAlignmentRole).isValid());

    model->SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Std(Cell(0, 0)), "1234.5");
    EXPECT_EQ(Std(Cell(0, 1)).rfind("2/3/01 4:05:06", 0), 0u) << Std(Cell(0, 1));
}

// A number is written out in full while that stays readable: a million is "1000000", not
// "1e+06"; only the very large and the very small get an exponent.
TEST_F(BrowseResultsTest, NumbersAreWrittenOutInFullUpToFifteenDigits) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Amounts (Id LONG, Amount DOUBLE)", "INSERT INTO Amounts VALUES (1, 1000000)",
         "INSERT INTO Amounts VALUES (2, 123456789012.25)",
         "INSERT INTO Amounts VALUES (3, -0.0833)", "INSERT INTO Amounts VALUES (4, 0.00001)",
         "INSERT INTO Amounts VALUES (5, 0.000001)", "INSERT INTO Amounts VALUES (6, 1E15)",
         "INSERT INTO Amounts VALUES (7, 999999999999999)", "INSERT INTO Amounts VALUES (8, 0)"});
    view.Bind("recordset1",
              QString::fromStdString(Capture(1, "SELECT Amount FROM Amounts ORDER BY Id")));
    auto* model = static_cast<RecordsetTableModel*>(view.Grid()->model());
    model->SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Std(Cell(0, 0)), "1000000");
    EXPECT_EQ(Std(Cell(1, 0)), "123456789012.25");
    EXPECT_EQ(Std(Cell(2, 0)), "-0.0833");
    EXPECT_EQ(Std(Cell(3, 0)), "0.00001");
    EXPECT_EQ(Std(Cell(4, 0)), "1E-06");
    EXPECT_EQ(Std(Cell(5, 0)), "1E+15");
    EXPECT_EQ(Std(Cell(6, 0)), "999999999999999");
    EXPECT_EQ(Std(Cell(7, 0)), "0");
}

TEST_F(BrowseResultsTest, RowsAreReadAPageAtATime) {
    CreateCurrentDatabase();
    Run({"CREATE TABLE Many (N LONG)"});
    std::string insert = "INSERT INTO Many VALUES (0)";
    for (int i = 1; i < 3000; ++i)
        insert += ", (" + std::to_string(i) + ")";
    Run({insert});
    view.Bind("recordset1", QString::fromStdString(Capture(1, "SELECT N FROM Many ORDER BY N")));
    auto* model = static_cast<RecordsetTableModel*>(view.Grid()->model());
    ASSERT_EQ(model->rowCount(), 3000);
    for (int row = 0; row < 3000; row += 97) {
        ASSERT_EQ(Cell(row, 0).toInt(), row);
    }
    EXPECT_EQ(Cell(2999, 0).toInt(), 2999);
    EXPECT_LE(model->CachedPageCount(), RecordsetTableModel::kCachedPages);
}

}  // namespace
}  // namespace tessel::test::browse
