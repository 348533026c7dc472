// Rows copied out of a cursor into one block of memory, so that another thread can store them
// while the cursor reads on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel {

class RowBatch {
  public:
    explicit RowBatch(std::size_t columns) : columns_(columns) {}

    // Copies the cursor's current row.
    void Add(const db::Cursor& cursor);
    // Enough rows (or bytes) to be worth handing over.
    bool Full() const { return rows_ >= kRows || bytes_.size() >= kBytes; }
    std::size_t Rows() const { return rows_; }
    std::size_t Columns() const { return columns_; }
    // The value of `column` in `row`; its bytes stay valid until the batch is cleared.
    db::ValueView Get(std::size_t row, std::size_t column) const;
    void Clear();

  private:
    static constexpr std::size_t kRows = 1024;
    static constexpr std::size_t kBytes = std::size_t{4} << 20;
    struct Cell {
        db::ValueView::Kind kind = db::ValueView::Kind::Null;
        std::int64_t integer = 0;
        double real = 0;
        std::size_t offset = 0;  // of a text or blob in bytes_
        std::size_t length = 0;
    };
    std::size_t columns_;
    std::size_t rows_ = 0;
    std::vector<Cell> cells_;
    std::string bytes_;
};

}  // namespace tessel
