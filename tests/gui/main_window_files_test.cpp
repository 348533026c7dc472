// Script files through the window: save and reopen byte for byte through the real file
// dialogs, and the closing question with each of its three buttons.
#include <QAction>
#include <QSignalSpy>
#include <algorithm>
#include <filesystem>

#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

class FilesTest : public MainWindowTest {};

TEST_F(FilesTest, SaveAndReopenByteForByteWithOneMoreLineEndPerSave) {
    Window().GetUi().SetEditorText("SELECT 1");
    Sess().state.editor.currentScriptFileName.clear();
    // A name typed without an extension gets ".SQV".
    person_.ChooseInFileDialog(QString::fromStdString(ScriptsDir() + "/first"));
    Window().RunMenuCommand("mnuFileSave");
    Settle();
    const std::string saved = ScriptsDir() + "/first.SQV";
    EXPECT_EQ(ReadBytes(saved), "SELECT 1\r\n");
    EXPECT_FALSE(Sess().state.editor.scriptChanged);

    Window().GetUi().SetEditorText("something else");
    Sess().state.editor.scriptChanged = false;
    person_.ChooseInFileDialog(QString::fromStdString(saved));
    Window().RunMenuCommand("mnuFileOpen");
    Settle();
    ASSERT_EQ(person_.fileDialogTitles.size(), 2u);
    EXPECT_EQ(Std(person_.fileDialogTitles[1]), "Open SQL script file");
    EXPECT_EQ(Window().Editor().Text(), "SELECT 1\r\n");
    EXPECT_FALSE(Sess().state.editor.scriptChanged);

    Window().RunMenuCommand("mnuFileSave");
    EXPECT_EQ(ReadBytes(saved), "SELECT 1\r\n\r\n");
}

TEST_F(FilesTest, TextWithLineEndsAndAccentsKeepsItsBytes) {
    const std::string text = "// caf\xC3\xA9\r\nSELECT 'x';\r\n\r\nSELECT 2;";
    WriteBytes(ScriptsDir() + "/mixed.sqv", text);
    person_.ChooseInFileDialog(QString::fromStdString(ScriptsDir() + "/mixed.sqv"));
    Window().RunMenuCommand("mnuFileOpen");
    Settle();
    EXPECT_EQ(Window().Editor().Text(), text);
    Window().RunMenuCommand("mnuFileSave");
    EXPECT_EQ(ReadBytes(ScriptsDir() + "/mixed.sqv"), text + "\r\n");
}

TEST_F(FilesTest, ClosingWithChangedTextAsksAndCancelKeepsTheProgramRunning) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    Window().GetUi().SetEditorText("SELECT 1");
    person_.PressInBox(QMessageBox::Cancel);
    EXPECT_FALSE(Window().close());
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    const SeenBox& box = person_.boxes[0];
    EXPECT_EQ(Std(box.text),
              "The text in [template.sqv] has changed.\nDo you want to save the changes?");
    EXPECT_EQ(Std(box.caption), "Ollam Quillet script editor");
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    QList<QMessageBox::StandardButton> buttons = box.buttons;
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No,
                                                           QMessageBox::Cancel}));
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(fs::exists(ScriptsDir() + "/template.sqv"));
}

TEST_F(FilesTest, ClosingAnswerNoClosesWithoutWriting) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    Window().GetUi().SetEditorText("SELECT 1");
    person_.PressInBox(QMessageBox::No);
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(fs::exists(ScriptsDir() + "/template.sqv"));
}

TEST_F(FilesTest, ClosingAnswerYesSavesThenCloses) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    Window().GetUi().SetEditorText("SELECT 1");
    person_.PressInBox(QMessageBox::Yes);
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(ReadBytes(ScriptsDir() + "/template.sqv"), "SELECT 1\r\n");
}

TEST_F(FilesTest, FileExitWithUnchangedTextClosesWithoutAQuestion) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    Window().MenuItem("mnuFileExit")->trigger();
    Settle();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(FilesTest, ClosingDeletesTheRecordsetFilesOfTheRun) {
    Window().GetUi().SetEditorText(
        "dbmake shop;\r\nCREATE TABLE t (a LONG);\r\nINSERT INTO t VALUES (1);\r\n"
        "SELECT * FROM t;\r\nSELECT a FROM t;\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle();
    ASSERT_TRUE(fs::exists(Home() + "/recordset1.rst"));
    ASSERT_TRUE(fs::exists(Home() + "/recordset2.rst"));
    person_.PressInBox(QMessageBox::No);
    EXPECT_TRUE(Window().close());
    EXPECT_FALSE(fs::exists(Home() + "/recordset1.rst"));
    EXPECT_FALSE(fs::exists(Home() + "/recordset2.rst"));
    EXPECT_FALSE(Sess().state.current.databaseOpen);
}

}  // namespace
}  // namespace tessel::test::gui
