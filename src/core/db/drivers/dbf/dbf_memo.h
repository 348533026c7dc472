// The memo file beside a table: .dbt in the dBase III layout (512-byte blocks, text ended by
// 0x1A), .dbt in the dBase IV layout (a block size in the header, each value behind an 8-byte
// mark with its length) and .fpt of FoxPro (a block size in the header, each value behind its
// type and big-endian length). Values are read from any block the table points to, within the
// file; new values are appended at the next free block, never written over old ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/db/drivers/dbf/dbf_header.h"
#include "core/db/drivers/dbf/dbf_io.h"

namespace tessel::db::dbf {

class MemoFile {
  public:
    // Opens the memo file at `path`; a missing file leaves the memo absent (Present() false).
    // Throws err::kUnreadableDatabase for a header that cannot be read.
    MemoFile(MemoKind kind, const std::string& path);

    bool Present() const { return file_.IsOpen(); }
    const std::string& Path() const { return path_; }

    // The bytes of the value at `block`; nothing when the block lies outside the file.
    std::optional<std::string> Read(std::uint32_t block) const;
    // Appends a value and returns its block. Undo steps go to `undo`. `text` says whether it is
    // text (FoxPro type 1) or a picture/binary value (type 0).
    std::uint32_t Append(const std::string& bytes, bool text, UndoLog& undo);
    // Writes the next free block into the header when it changed.
    void WriteHeader(UndoLog& undo);
    void Sync();

    // A new, empty memo file for a table of `kind`.
    static std::string EmptyFile(MemoKind kind);

  private:
    MemoKind kind_;
    std::string path_;
    FileHandle file_;
    std::uint32_t blockSize_ = 512;
    std::uint32_t nextBlock_ = 1;
    std::uint32_t writtenNext_ = 1;
};

}  // namespace tessel::db::dbf
