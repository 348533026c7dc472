// One Paradox table file (.db) opened for reading: its header, its memo file and the walk over
// its data blocks. The blocks form a chain from the header's first block; a block out of the
// file, a chain that loops or a block that claims more records than it holds stops the walk
// with an error naming the file and the block.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/code_page.h"
#include "core/db/drivers/dbf/dbf_io.h"
#include "core/db/drivers/paradox/px_header.h"
#include "core/db/drivers/paradox/px_memo.h"
#include "core/db/engine.h"

namespace tessel::db::paradox {

class PxTable {
  public:
    // Throws err::kFileMissing for a missing file and err::kUnreadableDatabase for a damaged
    // header.
    explicit PxTable(std::string path);

    const std::string& Path() const { return path_; }
    const PxHeader& Header() const { return header_; }
    std::vector<FieldInfo> Fields() const;
    std::vector<IndexInfo> Indexes() const;

    // The records of one block after another; the current record is valid until Next().
    class Cursor {
      public:
        explicit Cursor(std::shared_ptr<PxTable> table);
        bool Next();
        Value Get(std::size_t column);
        // The current record's bytes.
        const unsigned char* Record() const;

      private:
        bool LoadBlock(std::uint32_t number);
        std::shared_ptr<PxTable> table_;
        std::function<std::string(std::string_view)> text_;  // made once: rows are many
        std::string block_;
        std::vector<bool> visited_;
        std::uint32_t next_ = 0;
        std::size_t records_ = 0;  // in the current block
        std::size_t index_ = 0;
        bool started_ = false;
    };

  private:
    friend class Cursor;
    [[noreturn]] void Damaged(const std::string& why) const;
    std::string Text(std::string_view bytes) { return codePage_->Decode(bytes); }

    std::string path_;
    dbf::FileHandle file_;
    std::uint64_t size_ = 0;
    PxHeader header_;
    std::unique_ptr<base::CodePage> codePage_;
    PxMemoFile memo_;
};

}  // namespace tessel::db::paradox
