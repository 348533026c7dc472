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

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The temporary file is this program's business: a person is told about the database.
EngineError NamingFile(const EngineError& error, const std::string& temporary,
                       const std::string& path) {
    std::vector<ErrorRecord> details = error.Details();
    for (auto& detail : details)
        detail.description = Replaced(detail.description, temporary, path);
    return EngineError(error.Number(), Replaced(error.Description(), temporary, path),
                       error.Source(), std::move(details));
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
        } catch (const EngineError& error) {
            RemoveJournalOf(file.TemporaryPath());
            throw NamingFile(error, file.TemporaryPath(), path);
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
