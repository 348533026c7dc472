// The memo and blob file (.mb) of a Paradox table. A record's memo or blob field ends in a
// 10-byte pointer (offset, length, modification number); a short memo is held in the record
// itself, a longer value in a block of its own or in a slot of a block that several small
// values share. Every offset is checked against the file, so that a damaged pointer gives an
// error naming the file instead of a read outside it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/db/drivers/dbf/dbf_io.h"
#include "core/db/drivers/paradox/px_header.h"

namespace tessel::db::paradox {

class PxMemoFile {
  public:
    // `path` is empty when the table has no memo file; a value that needs it then fails with
    // an error naming the table.
    PxMemoFile(std::string path, std::string tablePath, std::uint32_t key);

    // The bytes of the memo or blob field `field` whose record bytes are `bytes`; nothing for a
    // Null value. A graphic loses the 8 bytes the format puts before the picture.
    std::optional<std::string> Read(const PxField& field, const unsigned char* bytes);

  private:
    std::string Stored(std::uint32_t offset, std::uint32_t length);
    [[noreturn]] void Damaged(const std::string& why) const;
    std::string path_;
    std::string tablePath_;
    std::uint32_t key_;
    std::unique_ptr<dbf::FileHandle> file_;
    std::string block_;  // the last block read, unscrambled
    std::uint64_t blockAt_ = ~std::uint64_t{0};
};

// The memo file beside `tablePath` (same name, extension .mb in any case), or "".
std::string MemoFileOf(const std::string& tablePath);

}  // namespace tessel::db::paradox
