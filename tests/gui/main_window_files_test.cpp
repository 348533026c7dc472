// Script files through the window: save and reopen byte for byte through the real file
// dialogs, the closing question with each of its three buttons (on closing and on File > New),
// and the current database staying reachable while the File commands move about.
#include <QAction>
#include <QSignalSpy>
#include <algorithm>
#include <filesystem>

#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"
#include "support/database_rows.h"

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

TEST_F(FilesTest, ClosingAnswerYesThenACancelledSaveDialogKeepsTheProgramAndTheText) {
    QSignalSpy ended(&Window(), &app::MainWindow::ProgramEnded);
    Sess().state.editor.currentScriptFileName.clear();
    Window().GetUi().SetEditorText("SELECT 1");
    person_.PressInBox(QMessageBox::Yes);
    person_.CancelFileDialog();
    EXPECT_FALSE(Window().close());
    Settle();
    ASSERT_EQ(person_.fileDialogTitles.size(), 1u);
    EXPECT_EQ(Std(person_.fileDialogTitles[0]), "Save changed SQL script file");
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(Window().Editor().Text(), "SELECT 1");
    EXPECT_TRUE(Sess().state.editor.scriptChanged);
}

TEST_F(FilesTest, NewWithChangedTextAsksFirstAndCancelKeepsTheText) {
    Window().GetUi().SetEditorText("my work");
    person_.PressInBox(QMessageBox::Cancel);
    Window().RunMenuCommand("mnuFileNew");
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text),
              "The text in [template.sqv] has changed.\nDo you want to save the changes?");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(Window().Editor().Text(), "my work");
    EXPECT_TRUE(Sess().state.editor.scriptChanged);
    EXPECT_EQ(Sess().state.editor.currentScriptFileName, "template.sqv");
}

TEST_F(FilesTest, NewButtonWithUntitledTextStopsWhenTheSaveDialogIsCancelled) {
    Sess().state.editor.currentScriptFileName.clear();
    Window().GetUi().SetEditorText("my work");
    person_.PressInBox(QMessageBox::Yes);
    person_.CancelFileDialog();
    Window().ToolbarButtonClick("new");
    Settle();
    EXPECT_EQ(person_.fileDialogTitles.size(), 1u);
    EXPECT_EQ(Window().Editor().Text(), "my work");
    EXPECT_TRUE(Sess().state.editor.scriptChanged);
}

TEST_F(FilesTest, NewWithChangedTextAnsweredYesSavesThenStartsFromTheTemplate) {
    const std::string templateText = Window().Editor().Text();
    Window().GetUi().SetEditorText("SELECT 2");
    person_.PressInBox(QMessageBox::Yes);
    Window().RunMenuCommand("mnuFileNew");
    Settle();
    EXPECT_EQ(ReadBytes(ScriptsDir() + "/template.sqv"), "SELECT 2\r\n");
    EXPECT_EQ(Window().Editor().Text(), templateText);
    EXPECT_FALSE(Sess().state.editor.scriptChanged);
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

TEST_F(FilesTest, ADatabaseMadeByARelativeNameStaysTheOneChangedAfterSaveAs) {
    const fs::path data = home_.Path() / "data";
    const fs::path elsewhere = home_.Path() / "elsewhere";
    fs::create_directory(data);
    fs::create_directory(elsewhere);
    fs::current_path(data);
    Window().GetUi().SetEditorText("dbMake shop;\r\nCREATE TABLE T (A LONG);\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle();
    const std::string database = (data / "shop.MDB").string();
    ASSERT_TRUE(fs::exists(database));

    // Save As moves the working directory to the scripts directory.
    person_.ChooseInFileDialog(QString::fromStdString((elsewhere / "kept.sqv").string()));
    Window().RunMenuCommand("mnuFileSaveAs");
    Settle();
    ASSERT_TRUE(fs::exists(elsewhere / "kept.sqv"));
    ASSERT_NE(fs::current_path(), data);

    Window().GetUi().SetEditorText("INSERT INTO T VALUES (7);\r\n");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle();
    EXPECT_TRUE(person_.boxes.empty());
    EXPECT_EQ(test::FirstColumn(database, "SELECT A FROM T"), std::vector<std::string>{"7"});
    EXPECT_FALSE(fs::exists(ScriptsDir() + "/shop.MDB"));
}

}  // namespace
}  // namespace tessel::test::gui
