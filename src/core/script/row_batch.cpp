#include "core/script/row_batch.h"

namespace tessel {

void RowBatch::Add(const db::Cursor& cursor) {
    for (std::size_t i = 0; i < columns_; ++i) {
        const db::ValueView value = cursor.Get(i);
        Cell cell;
        cell.kind = value.kind;
        cell.integer = value.integer;
        cell.real = value.real;
        if (value.kind == db::ValueView::Kind::Text || value.kind == db::ValueView::Kind::Blob) {
            cell.offset = bytes_.size();
            cell.length = value.bytes.size();
            bytes_.append(value.bytes);
        }
        cells_.push_back(cell);
    }
    ++rows_;
}

db::ValueView RowBatch::Get(std::size_t row, std::size_t column) const {
    const Cell& cell = cells_[row * columns_ + column];
    db::ValueView value;
    value.kind = cell.kind;
    value.integer = cell.integer;
    value.real = cell.real;
    if (cell.kind == db::ValueView::Kind::Text || cell.kind == db::ValueView::Kind::Blob)
        value.bytes = std::string_view(bytes_).substr(cell.offset, cell.length);
    return value;
}

void RowBatch::Clear() {
    rows_ = 0;
    cells_.clear();
    bytes_.clear();
}

}  // namespace tessel
