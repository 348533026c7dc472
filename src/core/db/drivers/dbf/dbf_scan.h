// The records of one table read forward in blocks of many records at once, so that a scan of
// any size costs a few reads and a buffer of fixed size. Deleted records are passed over.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/dbf/dbf_table.h"
#include "core/db/table_store.h"

namespace tessel::db::dbf {

class DbfScan : public TableScan {
  public:
    explicit DbfScan(std::shared_ptr<DbfTable> table);
    bool Next() override;
    RowId Id() const override { return static_cast<RowId>(position_) + 1; }
    Value Get(std::size_t column) const override;

  private:
    std::shared_ptr<DbfTable> table_;
    std::uint32_t limit_;         // the records the table held when the scan began
    std::int64_t position_ = -1;  // the current record
    std::uint32_t bufferFirst_ = 0;
    std::uint32_t bufferCount_ = 0;
    std::uint32_t batch_;
    std::string buffer_;
};

}  // namespace tessel::db::dbf
