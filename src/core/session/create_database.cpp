// Creating a new database and making it current: a single file, or the directory of a
// directory database.
#include <exception>
#include <filesystem>

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

// Moves the file being replaced aside to NAME.bak (replacing an older one), with the journal
// files that belong to it, so that a stale journal is never played into the new file and a
// replaced database is never lost: a generated script names its own source database.
void KeepReplacedFileAsBackup(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (fs::is_directory(status)) {
        throw FileSystemError("replace", path, std::make_error_code(std::errc::is_a_directory));
    }
    if (!fs::exists(status))
        return;
    const std::string backup = path + ".bak";
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        fs::remove(backup + suffix, code);  // an older backup's leftovers must not pair up
        if (!fs::exists(fs::symlink_status(path + suffix, code)))
            continue;
        fs::rename(path + suffix, backup + suffix, code);
        if (code)
            throw FileSystemError("replace", path + suffix, code);
    }
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
        KeepReplacedFileAsBackup(name);
        if (state.current.databaseVersionOption == 0) {
            state.current.databaseVersionOption =
                FormatFromVersionIndex(state.current.versionIndex);
        }
        ui.SetPointer(Pointer::Busy);
        const std::string directory = PathPart(name);
        if (!directory.empty())
            EnsureDirectory(directory);
        session.engine.CreateDatabase(name, kGeneralLocale, state.current.databaseVersionOption);
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
