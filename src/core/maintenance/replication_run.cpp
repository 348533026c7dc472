#include "core/maintenance/replication_run.h"

#include "core/maintenance/compact_db.h"

#include <filesystem>
#include <system_error>

#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

// SQLite's rollback journal travels with its file: a copy without it could not be rolled
// back, and a restored file must not meet a stale journal of what it replaced.
constexpr const char* kJournalSuffix = "-journal";

void CopyWhole(const std::string& from, const std::string& to) {
    const std::string temporary = to + ".copying";
    std::error_code code;
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, code);
    if (!code)
        fs::rename(temporary, to, code);
    if (code) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileSystemError("copy " + from + " to", to, code);
    }
}

}  // namespace

std::string BackupDirectory(const SharedState& state) {
    return state.app.appPath + "/backup";
}

std::string BackupCopyPath(const SharedState& state, const std::string& file) {
    return BackupDirectory(state) + "/" + FilePart(file);
}

void PrepareBackupDirectory(Session& session) {
    const std::string directory = BackupDirectory(session.state);
    std::error_code code;
    if (fs::is_directory(directory, code)) {
        fs::remove(directory, code);  // only an empty one: earlier copies are never thrown away
        if (code)
            throw FileSystemError("remove the old backup directory", directory, code);
    }
    EnsureDirectory(directory);
    session.ui.SetStatusText("created backup directory " + directory);
}

void CopyDatabaseFile(const std::string& file, const std::string& copy) {
    CopyWhole(file, copy);
    std::error_code code;
    if (fs::exists(file + kJournalSuffix, code)) {
        CopyWhole(file + kJournalSuffix, copy + kJournalSuffix);
    } else if (fs::exists(copy + kJournalSuffix, code)) {
        fs::remove(copy + kJournalSuffix, code);
        if (code)
            throw FileSystemError("remove the stale journal", copy + kJournalSuffix, code);
    }
}

bool DeleteBackupCopy(Session& session, const std::string& copy) {
    std::error_code code;
    if (!fs::exists(copy, code))
        return false;
    fs::remove(copy + kJournalSuffix, code);
    if (!fs::remove(copy, code))
        throw FileSystemError("delete the backup copy", copy, code);
    session.ui.SetStatusText("backup file deleted: " + copy);
    return true;
}

bool RemoveBackupDirectory(Session& session) {
    std::error_code code;
    const std::string directory = BackupDirectory(session.state);
    return fs::is_directory(directory, code) && fs::remove(directory, code);
}

std::string ChooseAccessFile(Session& session, FileDialogRequest::Kind kind,
                             const std::string& title, int flags) {
    FileDialogRequest& dialog = session.state.editor.commonDialog;
    dialog.initialDirectory = DocumentsDirectory();
    dialog.kind = kind;
    dialog.fileName.clear();
    dialog.title = title;
    dialog.flags = flags;
    dialog.filter = kAccessFileFilter;
    dialog.filterIndex = 1;
    return session.ui.ChooseFile(dialog).value_or("");
}

void RestoreOriginal(Session& session, const std::string& backup, bool backupMade,
                     const std::string& file) {
    // Nothing was copied yet, so there is nothing to put back.
    if (!backupMade) {
        RemoveBackupDirectory(session);
        return;
    }
    try {
        CopyDatabaseFile(backup, file);
        DeleteBackupCopy(session, backup);
        RemoveBackupDirectory(session);
        session.ui.SetStatusText("Restored original: " + file);
    } catch (const std::exception& failure) {
        // The copy stays in the backup directory for the person to put back.
        ShowStandardError(session.ui, AsEngineError(failure));
    }
}

void CloseForTool(Session& session) {
    session.ui.SetStatusText("");
    session.ui.SetPointer(Pointer::Busy);
    if (session.state.current.databaseOpen)
        CloseDB(session);
    session.ui.SetPointer(Pointer::Busy);
    session.ui.SetStatusText("");
}

bool ReportToolFailure(Session& session, const std::exception& failure) {
    const db::EngineError error = AsEngineError(failure);
    session.ui.SetPointer(Pointer::Default);
    if (error.Number() == db::err::kDialogCancelled)
        return false;
    if (session.state.current.databaseOpen)
        CloseDB(session);
    ShowEngineErrorBox(session.ui, error);
    return true;
}

void ShowEngineErrorBox(Ui& ui, const db::EngineError& error) {
    std::string text =
        std::to_string(error.Number()) + ": " + error.Description() + " " + error.Source() + "\n\n";
    for (const auto& record : error.Details()) {
        text +=
            std::to_string(record.number) + " " + record.description + " " + record.source + "\n";
    }
    ui.MessageBox(text, msgbox::kCritical, "DAO Error");
}

bool OpenForTool(Session& session, const std::string& file, bool exclusive) {
    CurrentDatabaseState& current = session.state.current;
    for (;;) {
        try {
            current.currentDatabase =
                session.engine.OpenDatabase(file, exclusive, false, current.currentConnect);
            current.databaseOpen = true;
            return true;
        } catch (const db::EngineError& error) {
            if (error.Number() != db::err::kBadPassword)
                throw;
        }
        session.ui.SetPointer(Pointer::Default);
        const std::string password = session.ui.AskPassword();
        if (password.empty()) {
            session.ui.SetStatusText("");
            session.ui.SetPointer(Pointer::Default);
            return false;
        }
        current.currentConnect += ";pwd=" + password;
        session.ui.SetStatusText("Opening Database " + file);
        session.ui.SetPointer(Pointer::Busy);
    }
}

void CompactFileInPlace(Session& session, const std::string& file) {
    if (file.empty())
        return;
    // Neither encrypt nor decrypt: a protected file stays protected.
    CompactFiles(session, file, file, compact::kVersion30, "");
}

void OpenToolResult(Session& session, const std::string& file) {
    CurrentDatabaseState& current = session.state.current;
    current.currentDatabase =
        session.engine.OpenDatabase(file, false, false, current.currentConnect);
    current.databaseOpen = true;
    current.connectionType = "Access";
    DetectVersion(session);
    current.queryTimeout = current.currentDatabase->QueryTimeout();
    RefreshDB(session);
}

}  // namespace tessel
