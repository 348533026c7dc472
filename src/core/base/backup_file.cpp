#include "core/base/backup_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tessel::base {
namespace {

bool NameTaken(const std::string& name) {
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0 || errno != ENOENT;
}

// Renames without ever replacing what has the target name.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link fails on an existing name just the same.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    return ::unlink(from.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string BackupName(const std::string& path, unsigned number) {
    return number <= 1 ? path + ".bak" : path + ".bak" + std::to_string(number - 1);
}

MovedAside MoveAsideAsBackup(const std::string& path,
                             std::initializer_list<const char*> companionSuffixes,
                             std::error_code& error) {
    error.clear();
    MovedAside moved;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            error = std::error_code(errno, std::generic_category());
        return moved;
    }
    moved.mode = info.st_mode & 07777;
    for (unsigned number = 1; number < 100000; ++number) {
        const std::string backup = BackupName(path, number);
        bool free = !NameTaken(backup);
        for (const char* suffix : companionSuffixes)
            free = free && !NameTaken(backup + suffix);
        if (!free)
            continue;
        const int failure = MoveWithoutReplacing(path, backup);
        if (failure == EEXIST)
            continue;  // taken meanwhile
        if (failure != 0) {
            error = std::error_code(failure, std::generic_category());
            return moved;
        }
        moved.backup = backup;
        for (const char* suffix : companionSuffixes) {
            const std::string companion = path + suffix;
            if (!NameTaken(companion))
                continue;
            if (const int companionFailure = MoveWithoutReplacing(companion, backup + suffix)) {
                error = std::error_code(companionFailure, std::generic_category());
                return moved;
            }
        }
        return moved;
    }
    error = std::make_error_code(std::errc::file_exists);
    return moved;
}

}  // namespace tessel::base
