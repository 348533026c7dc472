#include "core/base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "core/base/file_names.h"

namespace tessel::base {
namespace {

std::atomic<unsigned> nextNumber{0};

int SyncPath(const std::string& path, int flags) {
    const int descriptor = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int error = ::fsync(descriptor) != 0 ? errno : 0;
    ::close(descriptor);
    return error;
}

}  // namespace

std::string TemporaryName(const std::string& path, unsigned number) {
    // The process id keeps writers of other processes apart; O_EXCL settles any clash.
    return DirectoryOf(path) + "/." + FileNameOf(path) + "." + std::to_string(::getpid()) + "-" +
           std::to_string(number) + ".tmp";
}

unsigned NextTemporaryNumber() {
    return nextNumber.load();
}

FileWriteError::FileWriteError(std::string path, int systemError)
    : std::runtime_error("Cannot write " + path + ": " + std::strerror(systemError) + "."),
      path_(std::move(path)),
      systemError_(systemError) {}

std::string FileWriteError::Cause() const {
    return std::strerror(systemError_);
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : path_(std::move(path)), directory_(DirectoryOf(path_)), durability_(durability) {
    const std::string name = FileNameOf(path_);
    if (name.empty())
        throw FileWriteError(path_, EISDIR);
    // A replaced file keeps its permission bits from the start, so that its content is never
    // readable by more people than before.
    struct stat existing {};
    const bool replacing = ::lstat(path_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (;;) {
        temporary_ = TemporaryName(path_, nextNumber++);
        // 0666 less the umask, as for any new file.
        descriptor_ =
            ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor_ >= 0)
            break;
        if (errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            throw FileWriteError(directory_, error);
        }
    }
    if (replacing && ::fchmod(descriptor_, existing.st_mode & 07777) != 0)
        Fail(errno);
}

AtomicFile::~AtomicFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    if (!committed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
}

void AtomicFile::Fail(int error) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    ::unlink(temporary_.c_str());
    temporary_.clear();
    throw FileWriteError(path_, error);
}

void AtomicFile::Write(std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(descriptor_, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
}

void AtomicFile::CloseDescriptor() {
    if (descriptor_ >= 0) {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        if (result != 0)
            Fail(errno);
    }
}

void AtomicFile::Commit(Replace replace) {
    if (temporary_.empty() || committed_)
        throw FileWriteError(path_, EBADF);
    const bool durable = durability_ == Durability::Durable;
    if (durable) {
        const int error = descriptor_ >= 0 ? (::fsync(descriptor_) != 0 ? errno : 0)
                                           : SyncPath(temporary_, O_NOFOLLOW);
        if (error != 0)
            Fail(error);
    }
    CloseDescriptor();
    if (replace == Replace::Never) {
        // A link fails when the name is taken, where a rename would replace what has it.
        if (::link(temporary_.c_str(), path_.c_str()) == 0) {
            ::unlink(temporary_.c_str());
        } else {
            const int error = errno;
            struct stat info {};
            // Some file systems have no hard links: a rename after a last check will do.
            if (error == EEXIST || ::lstat(path_.c_str(), &info) == 0)
                Fail(EEXIST);
            if (::rename(temporary_.c_str(), path_.c_str()) != 0)
                Fail(errno);
        }
    } else if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        Fail(errno);
    }
    committed_ = true;
    // The new name survives a crash once the directory is on disk.
    if (durable)
        SyncPath(directory_, O_DIRECTORY);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, Durability durability) {
    AtomicFile file(path, durability);
    file.Write(bytes);
    file.Commit();
}

}  // namespace tessel::base
