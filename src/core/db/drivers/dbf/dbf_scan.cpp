#include "core/db/drivers/dbf/dbf_scan.h"

#include <algorithm>

namespace tessel::db::dbf {
namespace {

constexpr std::uint32_t kBufferBytes = 256 * 1024;

}  // namespace

DbfScan::DbfScan(std::shared_ptr<DbfTable> table)
    : table_(std::move(table)),
      limit_(table_->RecordCount()),
      batch_(std::max<std::uint32_t>(1, kBufferBytes / table_->Header().recordLength)) {}

bool DbfScan::Next() {
    const std::uint32_t length = table_->Header().recordLength;
    while (true) {
        ++position_;
        if (position_ >= limit_)
            return false;
        const auto index = static_cast<std::uint32_t>(position_);
        if (index >= bufferFirst_ + bufferCount_ || bufferCount_ == 0) {
            bufferFirst_ = index;
            bufferCount_ = std::min(batch_, limit_ - index);
            table_->ReadRecords(bufferFirst_, bufferCount_, buffer_);
        }
        const std::string_view record(buffer_.data() + (index - bufferFirst_) * length, length);
        if (!DbfTable::IsDeleted(record))
            return true;
    }
}

Value DbfScan::Get(std::size_t column) const {
    const std::uint32_t length = table_->Header().recordLength;
    const auto index = static_cast<std::uint32_t>(position_);
    const std::string_view record(buffer_.data() + (index - bufferFirst_) * length, length);
    return table_->Get(record, column);
}

}  // namespace tessel::db::dbf
