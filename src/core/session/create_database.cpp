// Creating a new database and making it current: a single file, or the directory of a
// directory database.
#include <exception>
#include <filesystem>

#include "core/base/backup_file.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

constexpr const char* kGeneralLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// The file format of a new single-file database when none was chosen: from the version index.
int FormatFromVersionIndex(int versionIndex) {
    if (versionIndex == 1)
        return db::dbformat::kVersion10;
    if (versionIndex == 2)
        return db::dbformat::kVersion20;
    return db::dbformat::kVersion30;
}

// Moves the file being replaced aside to a backup name that no earlier backup has, with the
// journal files that belong to it, so that a stale journal is never played into the new file
// and a replaced database is never lost: a generated script names its own source database.
base::MovedAside KeepReplacedFileAsBackup(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (fs::is_directory(fs::symlink_status(path, code)))
        throw FileSystemError("replace", path, std::make_error_code(std::errc::is_a_directory));
    base::MovedAside moved = base::MoveAsideAsBackup(path, {"-journal", "-wal", "-shm"}, code);
    if (code)
        throw FileSystemError("replace", path, code);
    return moved;
}

// The new file is as private as the one it replaces.
void KeepPermissions(const std::string& path, const base::MovedAside& moved) {
    if (moved.backup.empty())
        return;
    std::error_code code;
    std::filesystem::permissions(path, static_cast<std::filesystem::perms>(moved.mode), code);
    if (code)
        throw FileSystemError("set the permissions of", path, code);
}

}  // namespace

void CreateMDB(Session& session, std::string& name) {
    if (name.empty())
        return;
    SharedState& state = session.state;
    Ui& ui = session.ui;
    try {
        // Only the file's own name counts: a directory such as ~/.local has a "." of its own.
        if (FilePart(name).find('.') == std::string::npos)
            name += ".MDB";
        if (state.current.databaseOpen)
            CloseDB(session);
        const base::MovedAside replaced = KeepReplacedFileAsBackup(name);
        if (state.current.databaseVersionOption == 0) {
            state.current.databaseVersionOption =
                FormatFromVersionIndex(state.current.versionIndex);
        }
        ui.SetPointer(Pointer::Busy);
        const std::string directory = PathPart(name);
        if (!directory.empty())
            EnsureDirectory(directory);
        session.engine.CreateDatabase(name, kGeneralLocale, state.current.databaseVersionOption);
        KeepPermissions(name, replaced);
        OpenDB(session, name, true);
        ui.SetPointer(Pointer::Default);
    } catch (const std::exception& caught) {
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, AsEngineError(caught));
    }
}

void CreateDBDir(Session& session, const std::string& name) {
    if (name.empty())
        return;
    try {
        EnsureDirectory(name);
        OpenDB(session, name, true);
        session.ui.SetPointer(Pointer::Default);
    } catch (const std::exception& caught) {
        ShowStandardError(session.ui, AsEngineError(caught));
    }
}

}  // namespace tessel
