// Script files: reading into the editor, writing the editor text or the export text, and the
// save dialog.
#include "core/files/script_files.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

class ScriptFilesTest : public ::testing::Test {
  protected:
    test::ScriptedUi ui;
    Session session{ui};
    test::TempDir dir;
};

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
int RunInChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The names in a directory, for spotting temporary files left behind.
std::vector<std::string> Names(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST_F(ScriptFilesTest, SavedTextEndsInOneLineBreakAndEachOpenAndSaveAddsOne) {
    const std::string path = dir.File("one.sqv");
    ui.editorText = "SELECT 1";
    session.state.editor.scriptChanged = true;
    WriteScriptFile(session, path);
    EXPECT_EQ(test::ReadBytes(path), "SELECT 1\r\n");
    EXPECT_FALSE(session.state.editor.scriptChanged);

    ui.editorText.clear();
    EXPECT_TRUE(LoadScriptFile(session, path));
    EXPECT_EQ(ui.editorText, "SELECT 1\r\n");
    WriteScriptFile(session, path);
    EXPECT_EQ(test::ReadBytes(path), "SELECT 1\r\n\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"one.sqv"});
}

TEST_F(ScriptFilesTest, LoadingClearsTheChangedFlagAfterTheAssignment) {
    const std::string path = dir.File("s.sqv");
    test::WriteBytes(path, "SELECT 2;\r\n");
    session.state.editor.scriptChanged = true;
    EXPECT_TRUE(LoadScriptFile(session, path));
    EXPECT_EQ(ui.editorText, "SELECT 2;\r\n");
    EXPECT_EQ(ui.editorAssignments, 1);
    EXPECT_FALSE(session.state.editor.scriptChanged);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(ScriptFilesTest, MissingFileShowsCantOpenAndLeavesTheEditor) {
    ui.editorText = "kept";
    session.state.editor.scriptChanged = true;
    const std::string path = dir.File("nothing.sqv");
    EXPECT_FALSE(LoadScriptFile(session, path));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Can't open file: " + path);
    EXPECT_EQ(ui.boxes[0].style, 0);
    EXPECT_EQ(ui.boxes[0].caption, kAppTitle);
    EXPECT_EQ(ui.editorText, "kept");
    EXPECT_EQ(ui.editorAssignments, 0);
    EXPECT_TRUE(session.state.editor.scriptChanged);
}

TEST_F(ScriptFilesTest, DirectoryCannotBeOpenedAsAScript) {
    EXPECT_FALSE(LoadScriptFile(session, dir.Path().string()));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Can't open file: " + dir.Path().string());
}

TEST_F(ScriptFilesTest, Windows1252BytesDecodeAndUtf8StaysAsItIs) {
    EXPECT_EQ(DecodeScriptBytes("caf\xE9 \x80 \x93x\x94 \x81"), "café € “x” \xC2\x81");
    EXPECT_EQ(DecodeScriptBytes("Straße €"), "Straße €");
    // A byte-order mark at the start goes; the same bytes later are text.
    EXPECT_EQ(DecodeScriptBytes("\xEF\xBB\xBF"
                                "dbMake x;"),
              "dbMake x;");
    EXPECT_EQ(DecodeScriptBytes("\xEF\xBB\xBF"), "");
    EXPECT_EQ(DecodeScriptBytes("a\xEF\xBB\xBF"), "a\xEF\xBB\xBF");
    // A lone lead byte, a truncated sequence, an overlong form and a surrogate are no UTF-8.
    EXPECT_EQ(DecodeScriptBytes("\xC3"), "Ã");
    EXPECT_EQ(DecodeScriptBytes("\xE2\x82"), "â‚");
    EXPECT_EQ(DecodeScriptBytes("\xC0\xAF"), "À¯");
    EXPECT_EQ(DecodeScriptBytes("\xED\xA0\x80"), "í\xC2\xA0€");
    EXPECT_EQ(DecodeScriptBytes(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(ScriptFilesTest, Windows1252FileLoadsAndSavesAsUtf8) {
    const std::string path = dir.File("latin.sqv");
    test::WriteBytes(path,
                     "SELECT 'Gr\xFC\xDF"
                     "e';\r\n");
    EXPECT_TRUE(LoadScriptFile(session, path));
    EXPECT_EQ(ui.editorText, "SELECT 'Grüße';\r\n");
    WriteScriptFile(session, path);
    EXPECT_EQ(test::ReadBytes(path), "SELECT 'Grüße';\r\n\r\n");
}

TEST_F(ScriptFilesTest, ExportModeWritesTheExportTextAndKeepsTheChangedFlag) {
    const std::string path = dir.File("ansi.sqv");
    ui.editorText = "editor";
    session.state.ansiExport.exportText = "SELECT a FROM t";
    session.state.ansiExport.exportMode = true;
    session.state.editor.scriptChanged = true;
    WriteScriptFile(session, path);
    EXPECT_EQ(test::ReadBytes(path), "SELECT a FROM t\r\n");
    EXPECT_TRUE(session.state.editor.scriptChanged);
}

TEST_F(ScriptFilesTest, ReplacingKeepsTheFileModeAndWritesThroughALink) {
    const std::string real = dir.File("real.sqv");
    const std::string link = dir.File("link.sqv");
    test::WriteBytes(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);
    ui.editorText = "new";
    WriteScriptFile(session, link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadBytes(real), "new\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A directory that nobody may write to. The superuser may write anywhere, so the test then
// runs its writer as the unprivileged user "nobody".
TEST_F(ScriptFilesTest, FailedWriteKeepsTheOldFileAndShowsTheCause) {
    const fs::path locked = dir.Path() / "locked";
    fs::create_directory(locked);
    const std::string path = (locked / "keep.sqv").string();
    test::WriteBytes(path, "old text\r\n");
    fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);

    const int status = RunInChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 10;
        ui.editorText = "new text";
        session.state.editor.scriptChanged = true;
        WriteScriptFile(session, path);
        if (ui.boxes.size() != 1)
            return 11;
        if (ui.boxes[0].style != 48 || ui.boxes[0].caption != kAppTitle)
            return 12;
        if (ui.boxes[0].text != "Cannot write " + path + ": Permission denied.")
            return 13;
        if (!session.state.editor.scriptChanged)
            return 14;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::ReadBytes(path), "old text\r\n");
    EXPECT_EQ(Names(locked), std::vector<std::string>{"keep.sqv"});
}

// The disk fills up half-way: the old file must survive whole and no temporary file remain.
TEST_F(ScriptFilesTest, WriteThatRunsOutOfSpaceKeepsTheOldFile) {
    const std::string path = dir.File("big.sqv");
    test::WriteBytes(path, "old text\r\n");
    const int status = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        ui.editorText = std::string(100000, 'x');
        session.state.editor.scriptChanged = true;
        WriteScriptFile(session, path);
        if (ui.boxes.size() != 1 || ui.boxes[0].style != 48)
            return 11;
        if (ui.boxes[0].text.rfind("Cannot write " + path + ": ", 0) != 0)
            return 12;
        return session.state.editor.scriptChanged ? 0 : 13;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::ReadBytes(path), "old text\r\n");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"big.sqv"});
}

// The directory would allow a new file; the file itself is read-only and must stay as it is.
TEST_F(ScriptFilesTest, ReadOnlyFileIsNotReplaced) {
    const fs::path open = dir.Path() / "open";
    fs::create_directory(open);
    fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(open, fs::perms::all);
    const std::string path = (open / "ro.sqv").string();
    test::WriteBytes(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);

    const int status = RunInChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 10;
        ui.editorText = "new";
        WriteScriptFile(session, path);
        if (ui.boxes.size() != 1)
            return 11;
        return ui.boxes[0].text == "Cannot write " + path + ": Permission denied." ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(Names(open), std::vector<std::string>{"ro.sqv"});
}

TEST_F(ScriptFilesTest, WriteIntoAMissingDirectoryFails) {
    const std::string path = dir.File("no/such/dir.sqv");
    ui.editorText = "x";
    session.state.editor.scriptChanged = true;
    WriteScriptFile(session, path);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Cannot write " + path + ": No such file or directory.");
    EXPECT_EQ(ui.boxes[0].style, msgbox::kExclamation);
    EXPECT_TRUE(session.state.editor.scriptChanged);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(ScriptFilesTest, AskUsesTheDialogsTitleAndFlagsWithTheScriptFilter) {
    session.state.editor.commonDialog.title = "Save SQL script file";
    session.state.editor.commonDialog.flags = 6;
    session.state.editor.commonDialog.defaultExtension = "SQV";
    session.state.editor.scriptFileFilter = "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*";
    ui.fileAnswers.push_back(dir.File("chosen.sqv"));
    EXPECT_EQ(AskScriptFileName(session, "suggested.sqv"), dir.File("chosen.sqv"));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileRequests[0].title, "Save SQL script file");
    EXPECT_EQ(ui.fileRequests[0].flags, 6);
    EXPECT_EQ(ui.fileRequests[0].filter, "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*");
    EXPECT_EQ(ui.fileRequests[0].fileName, "suggested.sqv");
    EXPECT_EQ(session.state.editor.commonDialog.fileName, dir.File("chosen.sqv"));
}

TEST_F(ScriptFilesTest, AskAppendsTheDefaultExtensionToABareName) {
    session.state.editor.commonDialog.defaultExtension = "SQV";
    ui.fileAnswers.push_back(dir.File("bare"));
    EXPECT_EQ(AskScriptFileName(session, ""), dir.File("bare.SQV"));
}

TEST_F(ScriptFilesTest, CancelledAskReturnsEmpty) {
    EXPECT_EQ(AskScriptFileName(session, "x.sqv"), "");
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace tessel
