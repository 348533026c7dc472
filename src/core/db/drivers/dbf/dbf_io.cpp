#include "core/db/drivers/dbf/dbf_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/db/errors.h"
#include "core/db/system_error.h"

namespace tessel::db::dbf {

FileHandle::FileHandle(std::string path) : path_(std::move(path)) {
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    writable_ = descriptor_ >= 0;
    if (descriptor_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw EngineError(err::kFileMissing, "The file '" + path_ + "' does not exist.");
        Fail("open", error);
    }
}

FileHandle::~FileHandle() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : path_(std::move(other.path_)), descriptor_(other.descriptor_), writable_(other.writable_) {
    other.descriptor_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        path_ = std::move(other.path_);
        descriptor_ = other.descriptor_;
        writable_ = other.writable_;
        other.descriptor_ = -1;
    }
    return *this;
}

void FileHandle::Fail(const char* doing, int error) const {
    throw EngineError(SystemErrorNumber(error, err::kUnreadableDatabase),
                      "Could not " + std::string(doing) + " the file '" + path_ +
                          "': " + std::strerror(error) + ".");
}

std::uint64_t FileHandle::Size() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0)
        Fail("read", errno);
    return static_cast<std::uint64_t>(info.st_size);
}

std::pair<std::uint64_t, std::int64_t> FileHandle::Stamp() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0)
        Fail("read", errno);
    return {static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

void FileHandle::ReadInto(std::uint64_t offset, std::size_t size, std::string& buffer) const {
    buffer.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(descriptor_, buffer.data() + done, size - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("read", errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    buffer.resize(done);
}

std::string FileHandle::ReadAt(std::uint64_t offset, std::size_t size) const {
    std::string buffer;
    ReadInto(offset, size, buffer);
    return buffer;
}

void FileHandle::WriteAt(std::uint64_t offset, std::string_view bytes) {
    if (!writable_) {
        throw EngineError(err::kReadOnly,
                          "The file '" + path_ + "' is read-only and cannot be changed.");
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(descriptor_, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            Fail("write", errno);
        done += static_cast<std::size_t>(put);
    }
}

void FileHandle::Truncate(std::uint64_t size) {
    if (::ftruncate(descriptor_, static_cast<off_t>(size)) != 0)
        Fail("shorten", errno);
}

void FileHandle::Sync() {
    if (::fdatasync(descriptor_) != 0)
        Fail("save", errno);
}

void UndoLog::RollbackTo(std::size_t mark) {
    while (steps_.size() > mark) {
        auto step = std::move(steps_.back());
        steps_.pop_back();
        step();
    }
}

}  // namespace tessel::db::dbf
