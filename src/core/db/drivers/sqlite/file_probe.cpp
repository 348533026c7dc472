#include "core/db/drivers/sqlite/file_probe.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

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

void ThrowJetReaderMissing(const std::string& path) {
    throw EngineError(err::kNoDriver,
                      "The file '" + path +
                          "' is a database in the original Jet/ACE file format, which this "
                          "program has no reader for, so it cannot be opened. Open a database "
                          "made by this program instead, or copy the data into one with the "
                          "program that made the file.");
}

FileKind ProbeDatabaseFile(const std::string& path, bool acceptDamage) {
    if (path.empty()) {
        throw EngineError(err::kBadPath, "No database file name was given.");
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
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
        throw EngineError(
            err::kCannotOpenFile,
            "The database file '" + path + "' cannot be opened: " + std::strerror(error) + ".");
    }
    if (S_ISDIR(info.st_mode)) {
        throw EngineError(err::kBadPath, "'" + path + "' is a directory, not a database file.");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EngineError(err::kCannotOpenFile,
                          "The database file '" + path +
                              "' cannot be opened: permission denied or the file is locked.");
    }
    unsigned char header[kHeaderSize] = {};
    in.read(reinterpret_cast<char*>(header), kHeaderSize);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (info.st_size == 0)
        ThrowUnreadable(path, "the file is empty, not a database");
    if (got >= 19 && (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
                      std::memcmp(header + 4, "Standard ACE DB", 15) == 0)) {
        return FileKind::Jet;
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
