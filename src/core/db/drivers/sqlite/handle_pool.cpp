#include "core/db/drivers/sqlite/handle_pool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/errors.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::size_t kPooledHandles = 6;

}  // namespace

std::shared_ptr<Handle> HandlePool::Acquire(const std::string& path, bool readOnly) {
    if (ProbeDatabaseFile(path) == FileKind::Jet) {
        ThrowJetReaderMissing(path);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw EngineError(err::kFileMissing, "The database file '" + path + "' does not exist.");
    }
    const bool effectiveReadOnly = readOnly || ::access(path.c_str(), W_OK) != 0;
    ++clock_;
    for (auto& entry : entries_) {
        if (entry.device == info.st_dev && entry.inode == info.st_ino &&
            entry.readOnly == effectiveReadOnly) {
            entry.lastUse = clock_;
            return entry.handle;
        }
    }
    auto handle = Handle::Open(path, effectiveReadOnly);
    handle->SetProgressHook(keepGoing_);
    // Reading the schema once finds a damaged file now rather than at the first statement.
    handle->Prepare("SELECT count(*) FROM sqlite_master").Run();
    if (entries_.size() >= kPooledHandles) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        entries_.erase(oldest);
    }
    entries_.push_back({info.st_dev, info.st_ino, effectiveReadOnly, clock_, handle});
    return handle;
}

void HandlePool::SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing) {
    keepGoing_ = std::move(keepGoing);
    for (auto& entry : entries_)
        entry.handle->SetProgressHook(keepGoing_);
}

}  // namespace tessel::db::sqlite
