// The rows of one statement run on a data source, read forward as the driver fetches them.
// Each row's values are read when the cursor moves to it (or with its block of rows), so that
// they can be asked for in any order and as often as wanted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/odbc/odbc_bound_rows.h"
#include "core/db/drivers/odbc/odbc_link.h"
#include "core/db/engine.h"

namespace tessel::db::odbc {

class OdbcCursor : public Cursor {
  public:
    // `statement` has just run on `link`.
    OdbcCursor(std::shared_ptr<const Link> link, Handle statement);

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    bool Next() override;
    ValueView Get(std::size_t column) const override;
    long RecordsAffected() const override { return affected_; }

  private:
    enum class Read { Integer, Real, Text, Binary };
    struct Cell {
        bool null = true;
        std::int64_t integer = 0;
        double real = 0;
        std::string bytes;
    };
    void ReadCell(SQLUSMALLINT number, Read read, Cell& cell);

    std::shared_ptr<const Link> link_;
    Handle statement_;
    std::vector<ColumnInfo> columns_;
    std::vector<Read> reads_;
    std::vector<Cell> row_;
    // Rows fetched in blocks where every column allows it; else each value is read by itself.
    std::unique_ptr<BoundRows> bound_;
    long affected_ = 0;
};

// The field type code for an ODBC SQL type.
int FieldTypeOf(SQLSMALLINT sqlType);

}  // namespace tessel::db::odbc
