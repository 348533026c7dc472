#include "core/db/drivers/sqlite/file_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/atomic_file.h"
#include "core/base/file_names.h"
#include "core/db/errors.h"
#include "core/db/system_error.h"

namespace tessel::db::sqlite {
namespace {

using base::DirectoryOf;

[[noreturn]] void ThrowExists(const std::string& path) {
    throw EngineError(err::kDatabaseExists,
                      "The database '" + path + "' already exists; choose another name.");
}

}  // namespace

void CheckNewFilePlace(const std::string& path) {
    if (path.empty())
        throw EngineError(err::kBadPath, "No database file name was given.");
    const std::string directory = DirectoryOf(path);
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        throw EngineError(err::kBadPath, "'" + path + "' is not a valid path: the directory '" +
                                             directory + "' does not exist.");
    }
    if (::lstat(path.c_str(), &info) == 0)
        ThrowExists(path);
}

void RemoveJournalOf(const std::string& temporary) {
    ::unlink((temporary + "-journal").c_str());
}

void WriteNewFile(const std::string& path, const std::function<void(const std::string&)>& fill) {
    try {
        base::AtomicFile file(path);
        // SQLite takes the file by name; our descriptor would drop its locks when closed.
        file.CloseDescriptor();
        try {
            fill(file.TemporaryPath());
        } catch (...) {
            RemoveJournalOf(file.TemporaryPath());
            throw;
        }
        file.Commit(base::Replace::Never);
    } catch (const base::FileWriteError& error) {
        if (error.SystemError() == EEXIST && error.Path() == path)
            ThrowExists(path);
        throw FromWriteError(error, err::kCannotOpenFile);
    }
}

}  // namespace tessel::db::sqlite
