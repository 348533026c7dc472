// What the design master, replica and synchronisation tools share: the backup directory in the
// application directory that holds copies of the files they change while they run, the
// in-place compaction of a result, the engine error box that reports their failures, the
// reopening with the password prompt, and the final opening of the result as the current
// database.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "core/db/errors.h"
#include "core/session/session.h"

namespace tessel {

inline constexpr const char* kAccessFileFilter = "Microsoft Access files (*.mdb)|*.mdb";

// The application directory's "backup" subdirectory.
std::string BackupDirectory(const SharedState& state);
// BackupDirectory/FilePart(file).
std::string BackupCopyPath(const SharedState& state, const std::string& file);

// Removes an old (empty) backup directory and makes it anew; status "created backup directory
// " and its path. Throws EngineError naming the directory when either step fails.
void PrepareBackupDirectory(Session& session);
// Copies `file` over `copy`. Throws EngineError naming both when it fails.
void CopyDatabaseFile(const std::string& file, const std::string& copy);
// Deletes the copy when it exists (status "backup file deleted: " and its path); returns
// whether it did.
bool DeleteBackupCopy(Session& session, const std::string& copy);
// Removes the backup directory when it exists; returns whether it did. Never throws.
bool RemoveBackupDirectory(Session& session);

// The common dialog as the tools show it: the documents directory, an empty file name, the
// Access filter. "" after Cancel.
std::string ChooseAccessFile(Session& session, FileDialogRequest::Kind kind,
                             const std::string& title, int flags);

// The end of a failed design master or replica tool, after its box: the backup copy goes back
// over `file` (when it was made), the copy and the directory go, status "Restored original: ".
void RestoreOriginal(Session& session, const std::string& backup, bool backupMade,
                     const std::string& file);

// Steps 3 of the replica and synchronisation tools: empties the status panel, closes the
// current database and keeps the busy pointer.
void CloseForTool(Session& session);

// The start of a tool's failure handler: the default pointer, the current database closed and
// the engine error box shown. False for a cancelled dialog, which ends the tool silently.
bool ReportToolFailure(Session& session, const std::exception& failure);

// The box of a failed replication tool: "DAO Error", the error and the engine's error list.
void ShowEngineErrorBox(Ui& ui, const db::EngineError& error);

// Opens `file` through the engine with the current connect text and makes it the current
// database; a refused password asks for one (";pwd=" and it appended to the connect text,
// status "Opening Database " and the file) and tries again. Returns false when the person
// cancelled the prompt: the status panel is emptied, the pointer restored, nothing is current.
bool OpenForTool(Session& session, const std::string& file, bool exclusive);

// Compacts a file into itself in the 3.0 format, as Tools > Compact does for a named file:
// status "Compacted: " and the title. A failure shows the compaction box ("Error N") and
// returns; the caller goes on.
void CompactFileInPlace(Session& session, const std::string& file);

// Makes the tool's result the current database with the connect text that opened it before
// (so that a password given once serves again), connection type "Access", its version,
// query time-out and tree.
void OpenToolResult(Session& session, const std::string& file);

}  // namespace tessel
