// One genuine Jet/ACE database file opened through libmdb, owned for as long as any table store
// or database of it lives. libmdb keeps one page buffer per handle, so every read goes through
// this object, one at a time, and a reader re-reads its page before it looks at it again.
//
// libmdb trusts what the file says; this wrapper checks what it can before handing anything to
// it (the header, the page size, that the catalogue page is one) and turns every failure into
// EngineError with the engine's numbers.
#pragma once

#include "core/db/drivers/jet/mdb.h"

#include <memory>
#include <string>

#include "core/db/drivers/jet/jet_header.h"

namespace tessel::db::jet {

class JetFile {
  public:
    // Opens `path` read-only; throws EngineError: 3049 for a file that is damaged or not a
    // Jet/ACE database, and the encrypted-file error for an ACE file whose pages are encrypted.
    static std::shared_ptr<JetFile> Open(const std::string& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    const std::string& Path() const { return path_; }
    const JetHeader& Header() const { return header_; }
    bool Wide() const { return header_.format != JetFormat::Jet3; }  // text stored as UCS-2
    MdbHandle* Handle() const { return handle_; }
    // Names this state of the file: its path, device and inode, size and time of change.
    const std::string& Stamp() const { return stamp_; }

    // Reads page `page` into `out` (PageSize bytes); false when the file has no such page.
    bool ReadPage(unsigned long page, std::string& out) const;

    // A clear "damaged" error naming the file and what could not be read.
    [[noreturn]] void ThrowDamaged(const std::string& what) const;

  private:
    JetFile(std::string path, MdbHandle* handle, JetHeader header);
    std::string path_;
    std::string stamp_;
    MdbHandle* handle_;
    JetHeader header_;
};

}  // namespace tessel::db::jet
