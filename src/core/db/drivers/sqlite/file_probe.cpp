#include "core/db/drivers/sqlite/file_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/db/errors.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::size_t kHeaderSize = 100;

unsigned long BigEndian(const unsigned char* bytes, int count) {
    unsigned long value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// Closes the probe's descriptor on every way out.
struct Descriptor {
    int value;
    ~Descriptor() { ::close(value); }
};

const char* KindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

std::string NotAFile(const std::string& path, const std::string& kind) {
    return "'" + path + "' is " + kind + ", not a database file.";
}

[[noreturn]] void ThrowUnreadable(const std::string& path, const std::string& why) {
    throw EngineError(err::kUnreadableDatabase,
                      "The database file '" + path + "' cannot be read: " + why + ".");
}

// The header's own page size and page count against the file's length.
void CheckSqliteHeader(const std::string& path, const unsigned char* header, long long size) {
    unsigned long pageSize = BigEndian(header + 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) {
        ThrowUnreadable(path, "its header is damaged (invalid page size)");
    }
    if (size % static_cast<long long>(pageSize) != 0) {
        ThrowUnreadable(path,
                        "it is damaged or truncated (its length is not a whole number of "
                        "pages)");
    }
    const unsigned long changeCounter = BigEndian(header + 24, 4);
    const unsigned long validFor = BigEndian(header + 92, 4);
    const unsigned long pages = BigEndian(header + 28, 4);
    if (pages != 0 && changeCounter == validFor &&
        static_cast<long long>(pages) * static_cast<long long>(pageSize) > size) {
        ThrowUnreadable(path, "it is truncated (the file is shorter than its header says)");
    }
}

}  // namespace

bool SqliteHeaderFitsLength(const unsigned char* header, long long size) {
    try {
        CheckSqliteHeader("", header, size);
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

void ThrowJetReaderMissing(const std::string& path) {
    throw EngineError(err::kNoDriver,
                      "The file '" + path +
                          "' is a database in the original Jet/ACE file format, which this "
                          "program has no reader for, so it cannot be opened. Open a database "
                          "made by this program instead, or copy the data into one with the "
                          "program that made the file.");
}

FileKind ProbeDatabaseFile(const std::string& path, bool acceptDamage, FileIdentity* identity) {
    if (path.empty()) {
        throw EngineError(err::kBadPath, "No database file name was given.");
    }
    // A named pipe, device or socket given as a database would block the program for ever on
    // its first read, and opening a device can act on it: refused before it is opened, and
    // opened without waiting in case the name changed meanwhile.
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode) &&
        !S_ISDIR(before.st_mode)) {
        throw EngineError(err::kBadPath, NotAFile(path, KindOf(before.st_mode)));
    }
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT) {
            throw EngineError(err::kFileMissing,
                              "The database file '" + path + "' does not exist.");
        }
        if (error == ENOTDIR) {
            throw EngineError(err::kBadPath, "'" + path +
                                                 "' is not a valid path: a part of it is not a "
                                                 "directory.");
        }
        if (error == ENXIO) {
            throw EngineError(err::kBadPath, NotAFile(path, "a socket or device"));
        }
        throw EngineError(
            err::kCannotOpenFile,
            "The database file '" + path + "' cannot be opened: " + std::strerror(error) + ".");
    }
    struct stat info {};
    unsigned char header[kHeaderSize] = {};
    std::size_t got = 0;
    {
        const Descriptor open{descriptor};
        if (::fstat(descriptor, &info) != 0) {
            throw EngineError(
                err::kCannotOpenFile,
                "The database file '" + path + "' cannot be opened: " + std::strerror(errno) + ".");
        }
        if (S_ISDIR(info.st_mode)) {
            throw EngineError(err::kBadPath, "'" + path + "' is a directory, not a database file.");
        }
        if (!S_ISREG(info.st_mode))
            throw EngineError(err::kBadPath, NotAFile(path, KindOf(info.st_mode)));
        const ssize_t count = ::pread(descriptor, header, kHeaderSize, 0);
        if (count < 0) {
            throw EngineError(
                err::kCannotOpenFile,
                "The database file '" + path + "' cannot be read: " + std::strerror(errno) + ".");
        }
        got = static_cast<std::size_t>(count);
    }
    if (identity != nullptr)
        *identity = {info.st_dev, info.st_ino, std::nullopt};
    // What was read counts: some system files report no length yet have content.
    if (got == 0)
        ThrowUnreadable(path, "the file is empty, not a database");
    if (got >= 19 && (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
                      std::memcmp(header + 4, "Standard ACE DB", 15) == 0)) {
        return FileKind::Jet;
    }
    if (const auto own = crypt::ReadOwnHeader(header, got)) {
        if (!acceptDamage && (info.st_size < own->pageSize || info.st_size % own->pageSize != 0)) {
            ThrowUnreadable(path,
                            "it is damaged or truncated (its length is not a whole number of "
                            "pages)");
        }
        if (identity != nullptr)
            identity->salt = own->salt;
        return FileKind::Encrypted;
    }
    if (got < kHeaderSize || std::memcmp(header, "SQLite format 3", 16) != 0) {
        ThrowUnreadable(path,
                        "it is not a database of a kind this program reads, or it is "
                        "damaged");
    }
    if (!acceptDamage)
        CheckSqliteHeader(path, header, static_cast<long long>(info.st_size));
    return FileKind::Sqlite;
}

}  // namespace tessel::db::sqlite
