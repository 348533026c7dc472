#include "core/db/drivers/sqlite/file_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/db/errors.h"

namespace tessel::db::sqlite {
namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
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
    if (::lstat(path.c_str(), &info) == 0) {
        throw EngineError(err::kDatabaseExists,
                          "The database '" + path + "' already exists; choose another name.");
    }
}

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    for (;;) {
        std::string candidate = path + ".tessel-" + std::to_string(::getpid()) + "-" +
                                std::to_string(counter++) + ".tmp";
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0)
            return candidate;
    }
}

void PublishNewFile(const std::string& temporary, const std::string& path) {
    if (::link(temporary.c_str(), path.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return;
    }
    const int error = errno;
    if (error == EEXIST) {
        RemoveTemporary(temporary);
        throw EngineError(err::kDatabaseExists,
                          "The database '" + path + "' already exists; choose another name.");
    }
    // Some file systems have no hard links: a rename after a last check will do.
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return;
    }
    RemoveTemporary(temporary);
    throw EngineError(err::kCannotOpenFile, "The database '" + path + "' could not be written: " +
                                                std::strerror(error) + ".");
}

void RemoveTemporary(const std::string& temporary) {
    ::unlink(temporary.c_str());
    ::unlink((temporary + "-journal").c_str());
}

}  // namespace tessel::db::sqlite
