#include "core/db/drivers/text/table_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/db/drivers/text/record_writer.h"
#include "core/db/drivers/text/table_rows.h"

namespace tessel::db::text {
namespace {

constexpr std::size_t kWriteChunk = 256 * 1024;

[[noreturn]] void ThrowWriteError(const std::string& path, int error) {
    throw EngineError(error == ENOSPC ? err::kDiskFull : err::kCannotOpenFile,
                      "The file '" + path + "' cannot be written: " + std::strerror(error) + ".");
}

// A descriptor closed when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteError(path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

TableWrite::TableWrite(std::string path, TableDefinition definition,
                       std::shared_ptr<const TableChanges> changes)
    : path_(std::move(path)), definition_(std::move(definition)), changes_(std::move(changes)) {}

void TableWrite::Prepare() {
    if (changes_->ChangesFileRows())
        Rewrite();
    else
        Append();
}

void TableWrite::Append() {
    RecordWriter writer(definition_.format, path_);
    Descriptor file{::open(path_.c_str(), O_RDWR | O_APPEND | O_CLOEXEC)};
    if (file.fd < 0)
        ThrowWriteError(path_, errno);
    const off_t size = ::lseek(file.fd, 0, SEEK_END);
    if (size < 0)
        ThrowWriteError(path_, errno);
    std::string bytes;
    // A last line without its line end gets one, so the first new row starts a line.
    char last = '\n';
    if (size > 0 && ::pread(file.fd, &last, 1, size - 1) != 1)
        ThrowWriteError(path_, errno);
    if (last != '\n')
        bytes += "\r\n";
    for (const auto& [id, row] : changes_->rows) {
        if (row)
            bytes += writer.Line(*row);
    }
    sizeBefore_ = size;
    try {
        WriteAll(file.fd, bytes, path_);
        if (::fdatasync(file.fd) != 0)
            ThrowWriteError(path_, errno);
    } catch (...) {
        Undo();
        throw;
    }
}

void TableWrite::Rewrite() {
    RecordWriter writer(definition_.format, path_);
    TableRows rows(path_, definition_, changes_);
    rewritten_ = true;
    try {
        rewrite_ = std::make_unique<base::AtomicFile>(path_);
        std::string bytes;
        bool first = true;
        while (rows.Next()) {
            if (first && definition_.format.header)
                bytes += writer.Line(rows.Header(), true);
            first = false;
            bytes += writer.Line(rows.Fields());
            if (bytes.size() >= kWriteChunk) {
                rewrite_->Write(bytes);
                bytes.clear();
            }
        }
        if (first && definition_.format.header)
            bytes += rows.Header().empty() ? writer.HeaderLine() : writer.Line(rows.Header(), true);
        rewrite_->Write(bytes);
    } catch (const base::FileWriteError& error) {
        rewrite_.reset();
        ThrowWriteError(error.Path(), error.SystemError());
    } catch (...) {
        rewrite_.reset();
        throw;
    }
}

void TableWrite::Commit() {
    if (!rewrite_)
        return;
    try {
        rewrite_->Commit();
    } catch (const base::FileWriteError& error) {
        ThrowWriteError(error.Path(), error.SystemError());
    }
    rewrite_.reset();
}

void TableWrite::Undo() noexcept {
    rewrite_.reset();
    if (sizeBefore_ >= 0) {
        [[maybe_unused]] const int ignored = ::truncate(path_.c_str(), sizeBefore_);
        sizeBefore_ = -1;
    }
}

}  // namespace tessel::db::text
