// The SQLite driver's pool of handles. Scripts open a connection and reopen the current
// database for every statement; the pool hands back the same handle (with its parsed schema,
// prepared statements and caches) while the file stays the same file, so that this costs a
// stat(), an access() and a 100-byte header read instead of a full open. Handles are never put in a
// shared transaction, and a handle in the middle of a transaction is never let go, which would roll
// it back.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/sqlite/handle.h"
#include "core/db/sqlite/page_cipher.h"

namespace tessel::db::sqlite {

class HandlePool {
  public:
    // A handle on the SQLite file at `path`; read-only when asked or when the file is not
    // writable. Throws EngineError for a missing, unreadable or foreign file. An encrypted file
    // needs `password` unless it was unlocked before in this pool's life (err::kBadPassword).
    std::shared_ptr<Handle> Acquire(const std::string& path, bool readOnly,
                                    const std::optional<std::string>& password = std::nullopt);
    // The key of the encrypted file `salt` belongs to: the one kept since an earlier unlock, or
    // derived from `password` and checked against the file's page 1. Throws
    // err::kBadPassword when there is neither or the password is wrong.
    std::shared_ptr<const crypt::FileKey> Unlock(const std::string& path, const crypt::Salt& salt,
                                                 const std::optional<std::string>& password);
    // True when a pooled handle has this very file open (the name still stands for the same
    // file): one stat, no read.
    bool Holds(const std::string& path) const;

    // Drops every handle (for example before a maintenance tool replaces files).
    void Clear() { entries_.clear(); }

    // The files whose handle holds a transaction that was begun and not yet ended.
    std::vector<std::string> OpenTransactions() const;
    // Ends those transactions without keeping their changes.
    void RollBackOpenTransactions();

    // Given to every handle, now and later.
    void SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing);

  private:
    std::shared_ptr<Handle> Reuse(const std::string& path, bool readOnly);

    struct Entry {
        std::string path;  // a handle serves only the name it was opened by (its journal's)
        dev_t device = 0;
        ino_t inode = 0;
        bool readOnly = false;
        std::uint64_t lastUse = 0;
        std::shared_ptr<Handle> handle;
    };
    std::vector<Entry> entries_;
    // Keys are derived once per file and kept, in memory only, for the pool's life: every
    // statement reopens the file.
    std::vector<std::shared_ptr<const crypt::FileKey>> keys_;
    std::uint64_t clock_ = 0;
    std::shared_ptr<const std::function<bool()>> keepGoing_;
};

}  // namespace tessel::db::sqlite
