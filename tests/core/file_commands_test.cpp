// The File menu's script commands and the closing question, driven headless through a
// scripted person over a temporary application directory.
#include "core/files/file_commands.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplateText = "// start here\r\ndbopen shop.mdb;\r\n";

class FileCommandsTest : public ::testing::Test {
  protected:
    FileCommandsTest() {
        session.state.app.appPath = home.Path().string();
        fs::create_directory(home.Path() / "scripts");
        fs::create_directory(home.Path() / "export");
        test::WriteBytes(home.File("template.sqv"), kTemplateText);
    }
    ~FileCommandsTest() override {
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
    }

    std::string Script(const std::string& name) const {
        return (home.Path() / "scripts" / name).string();
    }
    // The person typed text into the editor.
    void Type(const std::string& text) {
        ui.editorText = text;
        session.state.editor.scriptChanged = true;
    }

    test::TempDir home;
    test::ScriptedUi ui;
    Session session{ui};
};

TEST_F(FileCommandsTest, SaveRightAfterStartWritesTheTemplateNameInTheScriptsDirectory) {
    Type("SELECT 1");
    FileSave(session);
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_EQ(test::ReadBytes(Script("template.sqv")), "SELECT 1\r\n");
    EXPECT_EQ(test::ReadBytes(home.File("template.sqv")), kTemplateText);
    EXPECT_FALSE(session.state.editor.scriptChanged);
    EXPECT_EQ(fs::current_path(), home.Path() / "scripts");
}

TEST_F(FileCommandsTest, SaveOfAnUntitledScriptAsksWithTheDialogAsTheLastCommandLeftIt) {
    session.state.editor.currentScriptFileName.clear();
    session.state.editor.commonDialog.title = "Open SQL script file";
    Type("SELECT 2");
    ui.fileAnswers.push_back(Script("two.sqv"));
    FileSave(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest& request = ui.fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.title, "Open SQL script file");
    EXPECT_EQ(request.flags, 6);
    EXPECT_EQ(request.filter, "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*");
    EXPECT_EQ(request.defaultExtension, "SQV");
    EXPECT_EQ(request.initialDirectory, (home.Path() / "scripts").string());
    EXPECT_EQ(test::ReadBytes(Script("two.sqv")), "SELECT 2\r\n");
    EXPECT_EQ(session.state.editor.currentScriptFileName, Script("two.sqv"));
}

TEST_F(FileCommandsTest, SaveAsWritesOnceAndLaterSavesGoToTheOldName) {
    session.state.editor.currentScriptFileName = Script("old.sqv");
    Type("SELECT 3");
    ui.fileAnswers.push_back(Script("new.sqv"));
    FileSaveAs(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save SQL script file");
    EXPECT_EQ(ui.fileRequests[0].fileName, Script("old.sqv"));
    EXPECT_EQ(test::ReadBytes(Script("new.sqv")), "SELECT 3\r\n");
    EXPECT_EQ(session.state.editor.currentScriptFileName, Script("old.sqv"));

    Type("SELECT 4");
    FileSave(session);
    EXPECT_EQ(test::ReadBytes(Script("old.sqv")), "SELECT 4\r\n");
    EXPECT_EQ(test::ReadBytes(Script("new.sqv")), "SELECT 3\r\n");
}

TEST_F(FileCommandsTest, SaveAsCancelledWritesNothing) {
    Type("SELECT 5");
    ui.fileAnswers.push_back(std::nullopt);
    FileSaveAs(session);
    EXPECT_TRUE(session.state.editor.scriptChanged);
    EXPECT_FALSE(fs::exists(Script("template.sqv")));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, OpenReadsTheChosenFileAndClearsThePanes) {
    test::WriteBytes(Script("one.sqv"), "SELECT 1\r\n");
    ui.recordsetListVisible = true;
    ui.viewVisible = true;
    ui.fileAnswers.push_back(Script("one.sqv"));
    FileOpen(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(ui.fileRequests[0].title, "Open SQL script file");
    EXPECT_EQ(ui.fileRequests[0].fileName, "");
    EXPECT_EQ(ui.editorText, "SELECT 1\r\n");
    EXPECT_EQ(session.state.editor.currentScriptFileName, Script("one.sqv"));
    EXPECT_FALSE(session.state.editor.scriptChanged);
    EXPECT_EQ(ui.treeClears, 1);
    EXPECT_FALSE(ui.recordsetListVisible);
    EXPECT_FALSE(ui.viewVisible);

    // Saving it again adds one more line end.
    FileSave(session);
    EXPECT_EQ(test::ReadBytes(Script("one.sqv")), "SELECT 1\r\n\r\n");
}

TEST_F(FileCommandsTest, OpenWithChangedUntitledTextAsksForANameFirstAndCancelStopsIt) {
    session.state.editor.currentScriptFileName.clear();
    Type("SELECT 6");
    ui.fileAnswers.push_back(std::nullopt);
    FileOpen(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileRequests[0].title, "Open SQL script file");
    EXPECT_EQ(ui.editorText, "SELECT 6");
    EXPECT_TRUE(session.state.editor.scriptChanged);
}

TEST_F(FileCommandsTest, OpenWithChangedNamedTextSavesItSilentlyFirst) {
    session.state.editor.currentScriptFileName = Script("mine.sqv");
    Type("SELECT 7");
    test::WriteBytes(Script("other.sqv"), "SELECT 8\r\n");
    ui.fileAnswers.push_back(Script("other.sqv"));
    FileOpen(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(test::ReadBytes(Script("mine.sqv")), "SELECT 7\r\n");
    EXPECT_EQ(ui.editorText, "SELECT 8\r\n");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, OpenRefusesAFileAboveTheLimitAndChangesNothing) {
    EXPECT_FALSE(ScriptFileTooLarge(65001));
    EXPECT_FALSE(ScriptFileTooLarge(kMaxScriptFileBytes));
    EXPECT_TRUE(ScriptFileTooLarge(kMaxScriptFileBytes + 1));

    const std::string big = Script("big.sqv");
    test::WriteBytes(big, "SELECT 1;");
    fs::resize_file(big, kMaxScriptFileBytes + 1);
    ui.editorText = "kept";
    ui.fileAnswers.push_back(big);
    FileOpen(session);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The file is too large to open.");
    EXPECT_EQ(ui.boxes[0].style, 0);
    EXPECT_EQ(ui.boxes[0].caption, kAppTitle);
    EXPECT_EQ(ui.editorText, "kept");
    EXPECT_EQ(session.state.editor.currentScriptFileName, "template.sqv");
    EXPECT_EQ(ui.treeClears, 0);
}

TEST_F(FileCommandsTest, OpenOfAFileAboveTheOldLimitWorks) {
    const std::string text = std::string(70000, 'x') + "\r\n";
    test::WriteBytes(Script("long.sqv"), text);
    ui.fileAnswers.push_back(Script("long.sqv"));
    FileOpen(session);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(ui.editorText, text);
}

TEST_F(FileCommandsTest, OpenCancelledLeavesEverything) {
    ui.editorText = "kept";
    ui.fileAnswers.push_back(std::nullopt);
    FileOpen(session);
    EXPECT_EQ(ui.editorText, "kept");
    EXPECT_EQ(session.state.editor.currentScriptFileName, "template.sqv");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, OpenOfAMissingFileSaysSoUnderTheNewName) {
    ui.editorText = "kept";
    ui.fileAnswers.push_back(Script("gone.sqv"));
    FileOpen(session);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Can't open file: " + Script("gone.sqv"));
    EXPECT_EQ(ui.editorText, "kept");
    EXPECT_EQ(session.state.editor.currentScriptFileName, Script("gone.sqv"));
}

TEST_F(FileCommandsTest, NewWithChangedTextAnsweredNoClosesTheDatabaseAndLoadsTheTemplate) {
    const std::string database = home.File("shop.mdb");
    session.engine.CreateDatabase(database, "", db::dbformat::kVersion30);
    session.state.current.currentDatabase = session.engine.OpenDatabase(database, false, false, "");
    session.state.current.databaseOpen = true;
    session.state.editor.currentScriptFileName = Script("mine.sqv");
    Type("unsaved work");
    ui.recordsetListVisible = true;
    ui.boxAnswers.push_back(msgbox::kNo);

    FileNew(session);
    ASSERT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
    EXPECT_EQ(ui.boxes[0].text, "The text in [" + Script("mine.sqv") +
                                    "] has changed.\r\nDo you want to save the changes?");
    EXPECT_EQ(ui.boxes[0].style, 51);
    EXPECT_FALSE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentDatabase, nullptr);
    EXPECT_EQ(ui.editorText, kTemplateText);
    EXPECT_EQ(session.state.editor.currentScriptFileName, "");
    EXPECT_FALSE(session.state.editor.scriptChanged);
    EXPECT_FALSE(ui.recordsetListVisible);
    EXPECT_FALSE(fs::exists(Script("mine.sqv")));
}

TEST_F(FileCommandsTest, NewWithChangedTextAnsweredCancelKeepsTheTextAndTheDatabase) {
    const std::string database = home.File("shop.mdb");
    session.engine.CreateDatabase(database, "", db::dbformat::kVersion30);
    session.state.current.currentDatabase = session.engine.OpenDatabase(database, false, false, "");
    session.state.current.databaseOpen = true;
    Type("unsaved work");
    ui.boxAnswers.push_back(msgbox::kCancel);

    FileNew(session);
    ASSERT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
    EXPECT_EQ(ui.editorText, "unsaved work");
    EXPECT_TRUE(session.state.editor.scriptChanged);
    EXPECT_EQ(session.state.editor.currentScriptFileName, "template.sqv");
    EXPECT_TRUE(session.state.current.databaseOpen);
}

TEST_F(FileCommandsTest, NewWithChangedTextAnsweredYesSavesItFirst) {
    session.state.editor.currentScriptFileName = Script("mine.sqv");
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kYes);
    FileNew(session);
    EXPECT_EQ(test::ReadBytes(Script("mine.sqv")), "SELECT 1\r\n");
    EXPECT_EQ(ui.editorText, kTemplateText);
}

TEST_F(FileCommandsTest, NewWithUntitledTextStopsWhenTheSaveDialogIsCancelled) {
    session.state.editor.currentScriptFileName.clear();
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kYes);
    ui.fileAnswers.push_back(std::nullopt);
    FileNew(session);
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.editorText, "SELECT 1");
    EXPECT_TRUE(session.state.editor.scriptChanged);
}

TEST_F(FileCommandsTest, NewWithUnchangedTextAsksNothing) {
    ui.editorText = "as loaded";
    FileNew(session);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(ui.editorText, kTemplateText);
}

TEST_F(FileCommandsTest, DeleteRemovesTheChosenFileWithoutAQuestion) {
    test::WriteBytes(Script("old.sqv"), "x");
    session.state.editor.currentScriptFileName = Script("old.sqv");
    ui.editorText = "still here";
    ui.fileAnswers.push_back(Script("old.sqv"));
    FileDelete(session);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Delete SQL script file");
    EXPECT_EQ(ui.fileRequests[0].flags, 4);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_FALSE(fs::exists(Script("old.sqv")));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(session.state.editor.currentScriptFileName, Script("old.sqv"));
    EXPECT_EQ(ui.editorText, "still here");
}

TEST_F(FileCommandsTest, DeleteOfANameThatDoesNotExistDoesNothing) {
    ui.fileAnswers.push_back(Script("never.sqv"));
    FileDelete(session);
    EXPECT_TRUE(ui.boxes.empty());
    // A directory is not a script file.
    fs::create_directory(home.Path() / "scripts" / "folder");
    ui.fileAnswers.push_back(Script("folder"));
    FileDelete(session);
    EXPECT_TRUE(fs::is_directory(Script("folder")));
}

TEST_F(FileCommandsTest, ClosingWithUnchangedTextAsksNothing) {
    EXPECT_TRUE(ClosingQuestion(session));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, ClosingQuestionNamesTheFileAndCancelKeepsTheProgramRunning) {
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kCancel);
    EXPECT_FALSE(ClosingQuestion(session));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "The text in [template.sqv] has changed.\r\nDo you want to save the changes?");
    EXPECT_EQ(ui.boxes[0].style, 51);
    EXPECT_EQ(ui.boxes[0].caption, kMainWindowCaption);
    EXPECT_FALSE(fs::exists(Script("template.sqv")));
}

TEST_F(FileCommandsTest, ClosingQuestionNoClosesWithoutWriting) {
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kNo);
    EXPECT_TRUE(ClosingQuestion(session));
    EXPECT_FALSE(fs::exists(Script("template.sqv")));
}

TEST_F(FileCommandsTest, ClosingQuestionYesWritesThenCloses) {
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kYes);
    EXPECT_TRUE(ClosingQuestion(session));
    EXPECT_EQ(test::ReadBytes(Script("template.sqv")), "SELECT 1\r\n");
}

TEST_F(FileCommandsTest, ClosingQuestionForUntitledTextAsksForANameAndACancelledDialogStays) {
    session.state.editor.currentScriptFileName.clear();
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kYes);
    ui.fileAnswers.push_back(std::nullopt);
    // Cancelling the save dialog keeps the program running: nothing was written.
    EXPECT_FALSE(ClosingQuestion(session));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "The text in [] has changed.\r\nDo you want to save the changes?");
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save changed SQL script file");
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Save);
}

TEST_F(FileCommandsTest, ClosingQuestionYesWithAFailedWriteKeepsTheProgramRunning) {
    test::WriteBytes(home.File("blocker"), "a file where a directory should be");
    session.state.editor.currentScriptFileName = home.File("blocker") + "/script.sqv";
    Type("SELECT 1");
    ui.boxAnswers.push_back(msgbox::kYes);
    EXPECT_FALSE(ClosingQuestion(session));
    ASSERT_EQ(ui.boxes.size(), 2u) << ui.BoxLog();
    EXPECT_EQ(ui.boxes[1].style, 48);
    EXPECT_TRUE(session.state.editor.scriptChanged);
}

TEST_F(FileCommandsTest, SaveCurrentScriptIsFalseWhenNothingWasWritten) {
    session.state.editor.currentScriptFileName = home.File("missing-dir") + "/x.sqv";
    Type("SELECT 1");
    EXPECT_FALSE(SaveCurrentScript(session));
    session.state.editor.currentScriptFileName = Script("fine.sqv");
    EXPECT_TRUE(SaveCurrentScript(session));
    EXPECT_EQ(test::ReadBytes(Script("fine.sqv")), "SELECT 1\r\n");
}

TEST_F(FileCommandsTest, AMissingScriptsDirectoryIsMadeAgain) {
    fs::remove_all(home.Path() / "scripts");
    Type("SELECT 1");
    FileSave(session);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(test::ReadBytes(Script("template.sqv")), "SELECT 1\r\n");
}

TEST_F(FileCommandsTest, AScriptsDirectoryThatCannotBeMadeEndsSaveWithTheStandardBox) {
    fs::remove_all(home.Path() / "scripts");
    test::WriteBytes(home.File("scripts"), "a file in the way");
    Type("SELECT 1");
    FileSave(session);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    EXPECT_EQ(ui.boxes[0].text.rfind("76: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_TRUE(session.state.editor.scriptChanged);
    // Closing still works: it asks, and No closes.
    ui.boxAnswers.push_back(msgbox::kNo);
    EXPECT_TRUE(ClosingQuestion(session));
}

TEST_F(FileCommandsTest, RelativeNamesResolveInTheScriptsDirectory) {
    EXPECT_EQ(ResolveScriptPath(session, "a.sqv"), Script("a.sqv"));
    EXPECT_EQ(ResolveScriptPath(session, "/x/a.sqv"), "/x/a.sqv");
}

}  // namespace
}  // namespace tessel
