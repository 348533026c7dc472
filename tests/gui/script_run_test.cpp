// Script > Execute keeps the window alive: the status panel counts the statements, Esc or the
// status bar's Cancel button stops a long statement with "Operation cancelled" and skips the
// rest, the commands that would disturb the run are refused while it goes, and closing the
// window stops the run first.
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/browse/database_tree_pane.h"
#include "app/run_controller.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"
#include "support/database_rows.h"

namespace tessel::test::gui {
namespace {

// A script whose twelfth statement inserts 128^4 rows: it runs for minutes unless stopped.
// Statements 1 to 11 make the database and fill T with 128 rows; the last would add a row.
std::string LongScript(const std::string& database) {
    std::string script = "dbmake " + database + ";\r\nCREATE TABLE T (A LONG);\r\n" +
                         "CREATE TABLE U (A LONG);\r\nINSERT INTO T VALUES (1);\r\n";
    for (int i = 0; i < 7; ++i)
        script += "INSERT INTO T SELECT A + 1 FROM T;\r\n";
    script += "INSERT INTO U SELECT a.A FROM T AS a, T AS b, T AS c, T AS d;\r\n";
    script += "INSERT INTO T VALUES (999);\r\n";
    return script;
}
constexpr const char* kLongStatementStatus = "Statement 12 of 13";

class ScriptRunTest : public MainWindowTest {
  protected:
    QLabel* Status() { return Window().StatusPanel(1); }
    app::RunController& Runner() { return Window().Runner(); }
    std::string Database() const { return Home() + "/long.MDB"; }

    // Once the status panel shows `status`, waits `delayMs` and then does `action`: all of it
    // from the events that the run lets through.
    void WhenStatusShows(const QString& status, int delayMs, std::function<void()> action) {
        auto poll = std::make_shared<QTimer>();
        poll->setInterval(5);
        QTimer* timer = poll.get();
        QObject::connect(timer, &QTimer::timeout, [this, timer, status, delayMs, action] {
            if (Status()->text() != status)
                return;
            timer->stop();
            QTimer::singleShot(delayMs, action);
        });
        poll->start();
        polls_.push_back(poll);
    }

    // Runs the long script, stopping it with `stop` while its tenth statement runs; the box of
    // the cancelled statement is answered.
    void RunLongScriptStoppedBy(std::function<void()> stop) {
        Window().GetUi().SetEditorText(LongScript(Database()));
        person_.PressInBox(QMessageBox::Ok);
        WhenStatusShows(kLongStatementStatus, 300, [this, stop] {
            stopRunning_ = Runner().Running();
            stopClock_.start();
            stop();
        });
        QElapsedTimer run;
        run.start();
        Window().RunMenuCommand("mnuScriptExecute");
        runSeconds_ = static_cast<double>(run.elapsed()) / 1000.0;
    }

    void ExpectTheLongStatementCancelled() {
        EXPECT_TRUE(stopRunning_);
        ASSERT_EQ(person_.boxes.size(), 1u);
        EXPECT_TRUE(person_.boxes[0].text.startsWith("3059: Operation cancelled"))
            << Std(person_.boxes[0].text);
        EXPECT_EQ(Std(person_.boxes[0].caption), "DBEngine error");
        EXPECT_FALSE(Runner().Running());
        // Without the stop the statement would run for minutes.
        EXPECT_LT(runSeconds_, 60.0);
        // The cancelled statement left nothing behind and the next one never ran.
        EXPECT_EQ(FirstColumn(Database(), "SELECT COUNT(*) FROM U"), std::vector<std::string>{"0"});
        EXPECT_EQ(FirstColumn(Database(), "SELECT COUNT(*) FROM T"),
                  std::vector<std::string>{"128"});
        EXPECT_EQ(FirstColumn(Database(), "SELECT COUNT(*) FROM T WHERE A = 999"),
                  std::vector<std::string>{"0"});
        const QRegularExpression summary("^12 of 13 statements run, 1 failed, \\d+\\.\\d s$");
        EXPECT_TRUE(summary.match(Status()->text()).hasMatch()) << Std(Status()->text());
    }

    std::vector<std::shared_ptr<QTimer>> polls_;
    bool stopRunning_ = false;
    QElapsedTimer stopClock_;
    double runSeconds_ = 0;
};

TEST_F(ScriptRunTest, EscCancelsTheRunningStatementAndSkipsTheRest) {
    RunLongScriptStoppedBy(
        [this] { QTest::keyClick(Window().Editor().TextBox(), Qt::Key_Escape); });
    ExpectTheLongStatementCancelled();
}

TEST_F(ScriptRunTest, TheCancelButtonShowsOnlyDuringARunAndStopsIt) {
    EXPECT_TRUE(Runner().CancelButton()->isHidden());
    bool visibleDuringRun = false;
    RunLongScriptStoppedBy([this, &visibleDuringRun] {
        QPushButton* cancel = Runner().CancelButton();
        visibleDuringRun = cancel->isVisible();
        EXPECT_EQ(Std(cancel->text()), "Cancel");
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_TRUE(visibleDuringRun);
    ExpectTheLongStatementCancelled();
    EXPECT_TRUE(Runner().CancelButton()->isHidden());
}

TEST_F(ScriptRunTest, TheStatusTellsHowManyRanAndFailed) {
    Window().GetUi().SetEditorText(
        "dbmake " + Home() +
        "/small;\r\nCREATE TABLE T (A LONG);\r\n"
        "INSERT INTO Missing VALUES (1);\r\nINSERT INTO T VALUES (2);\r\n");
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuScriptExecute");
    // The failed statement still has its box.
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].caption), "DBEngine error");
    const QRegularExpression summary("^4 statements run, 1 failed, \\d+\\.\\d s$");
    EXPECT_TRUE(summary.match(Status()->text()).hasMatch()) << Std(Status()->text());
    EXPECT_EQ(FirstColumn(Home() + "/small.MDB", "SELECT A FROM T"), std::vector<std::string>{"2"});
}

TEST_F(ScriptRunTest, CommandsThatWouldDisturbTheRunAreRefusedUntilItEnds) {
    struct DuringRun {
        bool executeEnabled = true;
        bool openEnabled = true;
        bool executeButtonEnabled = true;
        bool copyEnabled = false;
        bool editorReadOnly = false;
        bool treeEnabled = true;
        bool stillRunning = false;
        bool closed = true;
        std::string statusAfterRefusals;
    } seen;
    RunLongScriptStoppedBy([this, &seen] {
        seen.executeEnabled = Window().MenuItem("mnuScriptExecute")->isEnabled();
        seen.openEnabled = Window().MenuItem("mnuFileOpen")->isEnabled();
        seen.executeButtonEnabled = Window().ToolbarButton("execute")->isEnabled();
        seen.copyEnabled = Window().MenuItem("mnuEditCopy")->isEnabled();
        seen.editorReadOnly = Window().Editor().TextBox()->isReadOnly();
        seen.treeEnabled = Window().TreePane().isEnabled();
        // Neither a second run nor a file dialog may start, whichever way they are asked for.
        Window().RunMenuCommand("mnuScriptExecute");
        Window().RunMenuCommand("mnuFileOpen");
        Window().ToolbarButtonClick("open");
        Window().ToolbarButtonClick("print");
        QTest::keyClick(Window().Editor().TextBox(), Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(Window().Editor().TextBox(), Qt::Key_X);
        seen.statusAfterRefusals = Std(Status()->text());
        seen.stillRunning = Runner().Running();
        QTest::keyClick(Window().Editor().TextBox(), Qt::Key_Escape);
    });
    EXPECT_FALSE(seen.executeEnabled);
    EXPECT_FALSE(seen.openEnabled);
    EXPECT_FALSE(seen.executeButtonEnabled);
    EXPECT_TRUE(seen.copyEnabled);
    EXPECT_TRUE(seen.editorReadOnly);
    EXPECT_FALSE(seen.treeEnabled);
    EXPECT_TRUE(seen.stillRunning);
    EXPECT_EQ(seen.statusAfterRefusals, kLongStatementStatus);
    EXPECT_TRUE(person_.fileDialogTitles.empty());
    ExpectTheLongStatementCancelled();
    // The editor kept its text (the typed "x" was refused) and everything is back afterwards.
    EXPECT_EQ(Window().Editor().Text(), LongScript(Database()));
    EXPECT_TRUE(Window().MenuItem("mnuScriptExecute")->isEnabled());
    EXPECT_TRUE(Window().MenuItem("mnuFileOpen")->isEnabled());
    EXPECT_TRUE(Window().ToolbarButton("execute")->isEnabled());
    EXPECT_FALSE(Window().Editor().TextBox()->isReadOnly());
    EXPECT_TRUE(Window().TreePane().isEnabled());
}

TEST_F(ScriptRunTest, ClosingDuringARunStopsItThenClosesAsUsual) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    bool closedAtOnce = true;
    RunLongScriptStoppedBy([this, &closedAtOnce] { closedAtOnce = Window().close(); });
    EXPECT_FALSE(closedAtOnce);
    ExpectTheLongStatementCancelled();
    EXPECT_EQ(ended.count(), 0);
    // Then the usual closing: the changed script is asked about.
    person_.PressInBox(QMessageBox::No);
    Settle(50);
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(person_.boxes.size(), 2u);
    EXPECT_TRUE(person_.boxes[1].text.startsWith("The text in [")) << Std(person_.boxes[1].text);
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(ScriptRunTest, ManyFastStatementsLetTheWindowsEventsThrough) {
    std::string script = "dbmake " + Home() + "/fast;\r\nCREATE TABLE T (A LONG);\r\n";
    for (int i = 0; i < 200; ++i)
        script += "INSERT INTO T VALUES (" + std::to_string(i) + ");\r\n";
    Window().GetUi().SetEditorText(script);
    int ticksWhileRunning = 0;
    std::vector<QString> statusesSeen;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!Runner().Running())
            return;
        ++ticksWhileRunning;
        statusesSeen.push_back(Status()->text());
    });
    tick.start();
    Window().RunMenuCommand("mnuScriptExecute");
    tick.stop();
    EXPECT_GE(ticksWhileRunning, 1);
    const QRegularExpression progress("^Statement \\d+ of 202$");
    for (const QString& status : statusesSeen)
        EXPECT_TRUE(progress.match(status).hasMatch()) << Std(status);
    EXPECT_EQ(FirstColumn(Home() + "/fast.MDB", "SELECT COUNT(*) FROM T"),
              std::vector<std::string>{"200"});
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(ScriptRunTest, AnEmptyEditorRunsNothingAndLeavesTheStatusAlone) {
    Window().GetUi().SetEditorText("");
    Status()->setText("before");
    Window().RunMenuCommand("mnuScriptExecute");
    EXPECT_EQ(Std(Status()->text()), "before");
    EXPECT_TRUE(Runner().CancelButton()->isHidden());
}

}  // namespace
}  // namespace tessel::test::gui
