// A file layer of our own over SQLite's default one that keeps database files and their
// rollback journals encrypted (page_cipher.h). Connections use it only for encrypted files; a
// plain file opened through it (a copy being made, an attachment) passes through unchanged.
// The layer offers no shared memory and no memory mapping, so no page ever bypasses it: SQLite
// then refuses the write-ahead log for these files and keeps its rollback journal.
#pragma once

#include <memory>

#include "core/db/sqlite/page_cipher.h"

namespace tessel::db::sqlite::crypt {

// The layer's name for sqlite3_open_v2, registered at the first call.
const char* VfsName();

// Lets the layer open existing files sealed with `key` (found by their salt) while the caller
// keeps the key; the layer holds it only weakly.
void OfferKey(const std::shared_ptr<const FileKey>& key);

// While one lives, an empty main database file that this thread opens through the layer is
// encrypted with the key (a new database, or the copy that VACUUM INTO writes).
class NewFileKeyScope {
  public:
    explicit NewFileKeyScope(std::shared_ptr<const FileKey> key);
    ~NewFileKeyScope();
    NewFileKeyScope(const NewFileKeyScope&) = delete;
    NewFileKeyScope& operator=(const NewFileKeyScope&) = delete;

  private:
    std::shared_ptr<const FileKey> previous_;
};

}  // namespace tessel::db::sqlite::crypt
