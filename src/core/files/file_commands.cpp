#include "core/files/file_commands.h"

#include <filesystem>
#include <system_error>

#include "core/files/script_files.h"
#include "core/script/recordset_file.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace fs = std::filesystem;

namespace {

constexpr int kOverwritePromptHideReadOnly = 6;
constexpr int kHideReadOnly = 4;

// Makes `directory` the working directory and the place where the next dialog starts.
void EnterDirectory(Session& session, const std::string& directory) {
    std::error_code code;
    fs::current_path(directory, code);
    if (code)
        throw FileSystemError("enter the directory", directory, code);
    session.state.editor.commonDialog.initialDirectory = directory;
}

// The scripts directory as the working directory. One that went missing while the program ran
// is made again, so the File commands keep working.
void EnterScriptsDirectory(Session& session) {
    const std::string scripts = ScriptsDirectory(session);
    EnsureDirectory(scripts);
    EnterDirectory(session, scripts);
}

// Delete and the closing question must work even when the scripts directory cannot be had.
void TryEnterScriptsDirectory(Session& session) {
    try {
        EnterScriptsDirectory(session);
    } catch (const std::exception&) {
    }
}

void PrepareScriptDialog(Session& session) {
    session.state.editor.scriptFileFilter = kScriptFileFilter;
    session.state.editor.commonDialog.defaultExtension = kScriptDefaultExtension;
}

// Runs a menu command; any failure ends it with the standard error box.
template <typename Command>
void RunReportingFailures(Session& session, Command command) {
    try {
        command();
    } catch (const std::exception& error) {
        session.ui.SetPointer(Pointer::Default);
        ShowStandardError(session.ui, AsEngineError(error));
    }
}

// The open dialog with the script filter and no name; the chosen path, resolved, or nothing
// when the person cancelled.
std::optional<std::string> AskScriptToOpen(Session& session) {
    FileDialogRequest& dialog = session.state.editor.commonDialog;
    dialog.kind = FileDialogRequest::Kind::Open;
    dialog.filter = session.state.editor.scriptFileFilter;
    dialog.fileName.clear();
    std::optional<std::string> chosen = session.ui.ChooseFile(dialog);
    if (!chosen)
        return std::nullopt;
    dialog.fileName = *chosen;
    return ResolveScriptPath(session, *chosen);
}

void HideResultGrids(Session& session) {
    session.ui.HideRecordsetList();
    session.ui.HideRecordsetView();
}

}  // namespace

std::string ScriptsDirectory(const Session& session) {
    return (fs::path(session.state.app.appPath) / "scripts").string();
}

std::string ResolveScriptPath(const Session& session, const std::string& name) {
    fs::path path(name);
    if (path.is_absolute())
        return name;
    return (fs::path(ScriptsDirectory(session)) / path).string();
}

bool ScriptFileTooLarge(std::uintmax_t sizeInBytes) {
    return sizeInBytes > kMaxScriptFileBytes;
}

void FileNew(Session& session) {
    RunReportingFailures(session, [&] {
        // Changed text is the person's work: it goes only when they say so or it is saved.
        if (!ClosingQuestion(session))
            return;
        session.state.ansiExport.exportMode = false;
        if (session.state.current.databaseOpen)
            CloseDB(session);
        EnterDirectory(session, session.state.app.appPath);
        PrepareScriptDialog(session);
        NewScriptFromTemplate(session);
    });
}

void NewScriptFromTemplate(Session& session) {
    RunReportingFailures(session, [&] {
        session.ui.SetEditorText("");
        HideResultGrids(session);
        if (session.state.recordsets.recordsetCount > 0)
            CleanRecordsets(session);
        LoadScriptFile(session,
                       (fs::path(session.state.app.appPath) / kTemplateScriptName).string());
        session.state.editor.currentScriptFileName.clear();
        session.state.editor.scriptChanged = false;
    });
}

void FileOpen(Session& session) {
    RunReportingFailures(session, [&] {
        session.state.ansiExport.exportMode = false;
        EnterScriptsDirectory(session);
        session.state.editor.commonDialog.title = "Open SQL script file";
        PrepareScriptDialog(session);
        OpenScriptFile(session);
    });
}

void OpenScriptFile(Session& session) {
    SharedState& state = session.state;
    // Changed text is kept before anything replaces it; with no name given, nothing opens.
    if (state.editor.scriptChanged && !SaveCurrentScript(session))
        return;

    const std::optional<std::string> chosen = AskScriptToOpen(session);
    if (!chosen)
        return;
    const std::string& path = *chosen;

    std::error_code code;
    std::uintmax_t size = fs::file_size(path, code);
    if (!code && ScriptFileTooLarge(size)) {
        session.ui.MessageBox("The file is too large to open.", msgbox::kOkOnly, kAppTitle);
        return;
    }

    if (state.recordsets.recordsetCount > 0)
        CleanRecordsets(session);
    HideResultGrids(session);
    session.ui.ClearTree();
    state.editor.currentScriptFileName = path;
    LoadScriptFile(session, path);
}

void FileSave(Session& session) {
    RunReportingFailures(session, [&] {
        SharedState& state = session.state;
        EnterScriptsDirectory(session);
        state.editor.commonDialog.flags = kOverwritePromptHideReadOnly;
        PrepareScriptDialog(session);
        state.ansiExport.exportMode = false;
        if (state.editor.currentScriptFileName.empty()) {
            state.editor.currentScriptFileName =
                AskScriptFileName(session, state.editor.currentScriptFileName);
        }
        if (!state.editor.currentScriptFileName.empty()) {
            WriteScriptFile(session,
                            ResolveScriptPath(session, state.editor.currentScriptFileName));
        }
    });
}

void FileSaveAs(Session& session) {
    RunReportingFailures(session, [&] {
        SharedState& state = session.state;
        state.ansiExport.exportMode = false;
        EnterScriptsDirectory(session);
        state.editor.commonDialog.flags = kOverwritePromptHideReadOnly;
        state.editor.commonDialog.title = "Save SQL script file";
        PrepareScriptDialog(session);
        const std::string name = AskScriptFileName(session, state.editor.currentScriptFileName);
        if (!name.empty())
            WriteScriptFile(session, ResolveScriptPath(session, name));
    });
}

void FileDelete(Session& session) {
    SharedState& state = session.state;
    TryEnterScriptsDirectory(session);
    PrepareScriptDialog(session);
    state.editor.commonDialog.flags = kHideReadOnly;
    state.editor.commonDialog.title = "Delete SQL script file";
    const std::optional<std::string> chosen = AskScriptToOpen(session);
    if (!chosen)
        return;
    const std::string& path = *chosen;

    std::error_code code;
    if (!fs::is_regular_file(path, code))
        return;
    // A file that stays because it could not be deleted is said so, not passed over.
    if (!fs::remove(path, code) && code) {
        session.ui.MessageBox(FileSystemError("delete", path, code).Description(),
                              msgbox::kExclamation, kAppTitle);
    }
}

bool SaveCurrentScript(Session& session) {
    bool written = false;
    RunReportingFailures(session, [&] {
        SharedState& state = session.state;
        if (state.editor.currentScriptFileName.empty())
            state.editor.currentScriptFileName = AskScriptFileName(session, "");
        // The writer reports its own failure; the caller learns whether the text reached the disk.
        if (!state.editor.currentScriptFileName.empty()) {
            written = WriteScriptFile(
                session, ResolveScriptPath(session, state.editor.currentScriptFileName));
        }
    });
    return written;
}

bool ClosingQuestion(Session& session) {
    SharedState& state = session.state;
    state.ansiExport.exportMode = false;
    TryEnterScriptsDirectory(session);
    state.editor.commonDialog.title = "Save changed SQL script file";
    PrepareScriptDialog(session);
    if (!state.editor.scriptChanged)
        return true;

    const int answer =
        session.ui.MessageBox("The text in [" + state.editor.currentScriptFileName +
                                  "] has changed.\r\n" + "Do you want to save the changes?",
                              msgbox::kYesNoCancel | msgbox::kExclamation, kMainWindowCaption);
    if (answer == msgbox::kCancel)
        return false;
    if (answer != msgbox::kYes)
        return true;

    // A cancelled save dialog or a failed write keeps the text on screen: Yes meant "keep it".
    return SaveCurrentScript(session);
}

}  // namespace tessel
