// Rows fetched a block at a time into bound buffers: one call into the driver manager and the
// driver for hundreds of rows instead of one for every value, which is most of what a large
// capture costs. Used only where every column's values have a size the driver states and that
// fits a buffer; a value that proves longer after all is read whole with SQLGetData where the
// driver allows it, else the capture stops with an error that says so (never a cut value).
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db::odbc {

class BoundRows {
  public:
    // Binds the result columns of `statement` (described by `columns`, read as `kinds`) in
    // blocks of rows; nullptr when a column has no bounded size or the driver does not fetch
    // blocks, and then the statement is left as it was.
    static std::unique_ptr<BoundRows> Bind(SQLHSTMT statement,
                                           const std::vector<ColumnInfo>& columns,
                                           const std::vector<ValueView::Kind>& kinds);
    ~BoundRows();
    BoundRows(const BoundRows&) = delete;
    BoundRows& operator=(const BoundRows&) = delete;

    // The next row of the block, fetching the next block when this one is used up; false at
    // the end. `fetch` makes the driver call (so that the caller may cancel around it) and
    // throws on failure.
    bool Next(const std::function<SQLRETURN()>& fetch);
    ValueView Get(std::size_t column) const;

  private:
    struct Column {
        ValueView::Kind kind;
        SQLSMALLINT cType;
        SQLLEN width;                 // bytes of one value's buffer
        std::vector<char> values;     // `width` bytes per row of the block
        std::vector<SQLLEN> lengths;  // the driver's length or SQL_NULL_DATA per row
        std::string whole;            // the current row's value where the buffer was too short
        bool wholeRead = false;
    };
    BoundRows(SQLHSTMT statement, std::vector<ColumnInfo> columns);
    void ReadWhole(std::size_t column);

    SQLHSTMT statement_;
    std::vector<ColumnInfo> info_;
    std::vector<Column> columns_;
    std::vector<SQLUSMALLINT> status_;
    SQLULEN fetched_ = 0;
    SQLULEN position_ = 0;  // of the current row in the block, from 1; 0 before the first
    bool finished_ = false;
};

}  // namespace tessel::db::odbc
