#include "core/db/drivers/sqlite/handle_pool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/errors.h"
#include "core/db/sqlite/crypt_vfs.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::size_t kPooledHandles = 6;

// Whether page 1 of the encrypted file at `path` carries `key`'s check value; a page 1 that
// cannot be read counts as not matching.
bool PageOneAccepts(const std::string& path, const crypt::FileKey& key) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    std::vector<unsigned char> page(crypt::kHeaderSize);
    bool accepts = false;
    if (::pread(descriptor, page.data(), page.size(), 0) == static_cast<ssize_t>(page.size())) {
        if (const auto own = crypt::ReadOwnHeader(page.data(), page.size())) {
            page.resize(static_cast<std::size_t>(own->pageSize));
            accepts = ::pread(descriptor, page.data(), page.size(), 0) ==
                          static_cast<ssize_t>(page.size()) &&
                      crypt::KeyMatches(key, page.data(), own->pageSize);
        }
    }
    ::close(descriptor);
    return accepts;
}

}  // namespace

// The handle of a file this name still stands for, after one look at the name (stat) and one
// at the header through the handle's own descriptor; null when the full probe must decide.
std::shared_ptr<Handle> HandlePool::Reuse(const std::string& path, bool readOnly) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const bool effectiveReadOnly = readOnly || ::access(path.c_str(), W_OK) != 0;
    for (auto& entry : entries_) {
        if (entry.path != path || entry.device != info.st_dev || entry.inode != info.st_ino ||
            entry.readOnly != effectiveReadOnly) {
            continue;
        }
        // A file damaged in place (cut short, bytes appended) goes to the probe, which says so.
        std::array<unsigned char, 100> header{};
        if (!entry.handle->Revalidate(&header) ||
            !SqliteHeaderFitsLength(header.data(), static_cast<long long>(info.st_size))) {
            return nullptr;
        }
        entry.lastUse = clock_;
        return entry.handle;
    }
    return nullptr;
}

bool HandlePool::Holds(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.path == path && entry.device == info.st_dev && entry.inode == info.st_ino;
    });
}

std::shared_ptr<Handle> HandlePool::Acquire(const std::string& path, bool readOnly,
                                            const std::optional<std::string>& password) {
    ++clock_;
    if (auto handle = Reuse(path, readOnly))
        return handle;
    FileIdentity file;
    const FileKind kind = ProbeDatabaseFile(path, false, &file);
    if (kind == FileKind::Jet) {
        ThrowJetReaderMissing(path);
    }
    if (kind == FileKind::Encrypted)
        Unlock(path, *file.salt, password);
    const bool effectiveReadOnly = readOnly || ::access(path.c_str(), W_OK) != 0;
    // A handle on a file that this name no longer has (moved aside, replaced) would write to
    // the wrong file or report it read-only: it goes, unless a transaction keeps it.
    std::erase_if(entries_, [&](const Entry& entry) {
        return entry.path == path && (entry.device != file.device || entry.inode != file.inode) &&
               !entry.handle->InTransaction();
    });
    for (auto& entry : entries_) {
        if (entry.path == path && entry.device == file.device && entry.inode == file.inode &&
            entry.readOnly == effectiveReadOnly) {
            // The probe found a sound SQLite file under the same identity again.
            entry.handle->Revalidate();
            entry.lastUse = clock_;
            return entry.handle;
        }
    }
    auto handle = Handle::Open(path, effectiveReadOnly, kind == FileKind::Encrypted);
    handle->SetProgressHook(keepGoing_);
    // Reading the schema once finds a damaged file now rather than at the first statement.
    handle->Prepare("SELECT count(*) FROM sqlite_master").Run();
    if (entries_.size() >= kPooledHandles) {
        // The least recently used handle that no transaction holds; with none, the pool grows.
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (!it->handle->InTransaction() &&
                (oldest == entries_.end() || it->lastUse < oldest->lastUse)) {
                oldest = it;
            }
        }
        if (oldest != entries_.end())
            entries_.erase(oldest);
    }
    entries_.push_back({path, file.device, file.inode, effectiveReadOnly, clock_, handle});
    return handle;
}

std::shared_ptr<const crypt::FileKey> HandlePool::Unlock(
    const std::string& path, const crypt::Salt& salt, const std::optional<std::string>& password) {
    for (const auto& key : keys_) {
        if (key->SaltBytes() == salt)
            return key;
    }
    const auto refuse = [&] {
        return EngineError(err::kBadPassword, "Not a valid password: the database '" + path +
                                                  "' is protected by a password.");
    };
    if (!password)
        throw refuse();
    auto key = std::make_shared<const crypt::FileKey>(crypt::FileKey::Derive(*password, salt));
    if (!PageOneAccepts(path, *key))
        throw refuse();
    crypt::OfferKey(key);
    keys_.push_back(key);
    return key;
}

std::vector<std::string> HandlePool::OpenTransactions() const {
    std::vector<std::string> paths;
    for (const auto& entry : entries_) {
        if (entry.handle->InTransaction())
            paths.push_back(entry.path);
    }
    return paths;
}

void HandlePool::RollBackOpenTransactions() {
    for (auto& entry : entries_) {
        if (!entry.handle->InTransaction())
            continue;
        try {
            entry.handle->Exec("ROLLBACK");
        } catch (const EngineError&) {
            // The handle cannot end it: dropping the handle makes SQLite roll it back.
            entry.handle.reset();
        }
    }
    std::erase_if(entries_, [](const Entry& entry) { return !entry.handle; });
}

void HandlePool::SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing) {
    keepGoing_ = std::move(keepGoing);
    for (auto& entry : entries_)
        entry.handle->SetProgressHook(keepGoing_);
}

}  // namespace tessel::db::sqlite
