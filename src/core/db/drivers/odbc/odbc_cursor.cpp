#include "core/db/drivers/odbc/odbc_cursor.h"

#include <algorithm>
#include <array>

namespace tessel::db::odbc {

int FieldTypeOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_BIT:
            return ftype::kBoolean;
        case SQL_TINYINT:
            return ftype::kByte;
        case SQL_SMALLINT:
            return ftype::kInteger;
        case SQL_INTEGER:
            return ftype::kLong;
        case SQL_BIGINT:
            return ftype::kBigInt;
        case SQL_REAL:
            return ftype::kSingle;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ftype::kDouble;
        case SQL_DECIMAL:
            return ftype::kDecimal;
        case SQL_NUMERIC:
            return ftype::kNumeric;
        case SQL_TYPE_DATE:
        case SQL_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return ftype::kDate;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return ftype::kTime;
        case SQL_GUID:
            return ftype::kGuid;
        case SQL_BINARY:
            return ftype::kBinary;
        case SQL_VARBINARY:
            return ftype::kVarBinary;
        case SQL_LONGVARBINARY:
            return ftype::kLongBinary;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            return ftype::kMemo;
        case SQL_CHAR:
        case SQL_WCHAR:
            return ftype::kChar;
        default:
            return ftype::kText;
    }
}

namespace {

// The first piece of a text or binary value read into a cell that has no buffer yet.
constexpr std::size_t kFirstPiece = 256;
constexpr std::size_t kLargestFirstPiece = 4096;

bool IsIntegerType(int type) {
    return type == ftype::kBoolean || type == ftype::kByte || type == ftype::kInteger ||
           type == ftype::kLong || type == ftype::kBigInt;
}

bool IsRealType(int type) {
    return type == ftype::kSingle || type == ftype::kDouble;
}

bool IsBinaryType(int type) {
    return type == ftype::kBinary || type == ftype::kVarBinary || type == ftype::kLongBinary;
}

}  // namespace

OdbcCursor::OdbcCursor(std::shared_ptr<const Link> link, Handle statement)
    : link_(std::move(link)), statement_(std::move(statement)) {
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(statement_.get(), &count), SQL_HANDLE_STMT, statement_.get(),
          "The data source did not say what the statement returns");
    if (count == 0) {
        SQLLEN rows = 0;
        if (Succeeded(SQLRowCount(statement_.get(), &rows)) && rows > 0)
            affected_ = static_cast<long>(rows);
        return;
    }
    for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
        std::array<SQLCHAR, 512> name{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        Check(SQLDescribeCol(statement_.get(), number, name.data(),
                             static_cast<SQLSMALLINT>(name.size()), &nameLength, &sqlType, &size,
                             &digits, &nullable),
              SQL_HANDLE_STMT, statement_.get(), "The data source did not describe a column");
        ColumnInfo column;
        column.name = BufferText(name.data(), name.size(), nameLength);
        column.type = FieldTypeOf(sqlType);
        column.size = static_cast<long>(size);
        std::array<SQLCHAR, 256> typeName{};
        SQLSMALLINT typeLength = 0;
        if (Succeeded(SQLColAttribute(statement_.get(), number, SQL_DESC_TYPE_NAME, typeName.data(),
                                      static_cast<SQLSMALLINT>(typeName.size()), &typeLength,
                                      nullptr))) {
            column.declaredType = BufferText(typeName.data(), typeName.size(), typeLength);
        }
        reads_.push_back(IsIntegerType(column.type)  ? Read::Integer
                         : IsRealType(column.type)   ? Read::Real
                         : IsBinaryType(column.type) ? Read::Binary
                                                     : Read::Text);
        columns_.push_back(std::move(column));
    }
    row_.resize(columns_.size());
    std::vector<ValueView::Kind> kinds;
    for (Read read : reads_) {
        kinds.push_back(read == Read::Integer ? ValueView::Kind::Integer
                        : read == Read::Real  ? ValueView::Kind::Real
                        : read == Read::Text  ? ValueView::Kind::Text
                                              : ValueView::Kind::Blob);
    }
    bound_ = BoundRows::Bind(statement_.get(), columns_, kinds);
}

bool OdbcCursor::Next() {
    if (columns_.empty())
        return false;
    const auto fetch = [this] {
        link_->KeepGoingOrCancel(statement_);
        const SQLRETURN result = SQLFetch(statement_.get());
        if (result != SQL_NO_DATA) {
            Check(result, SQL_HANDLE_STMT, statement_.get(),
                  "The data source could not give the next row");
        }
        return result;
    };
    if (bound_)
        return bound_->Next(fetch);
    const SQLRETURN result = fetch();
    if (result == SQL_NO_DATA)
        return false;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        ReadCell(static_cast<SQLUSMALLINT>(i + 1), reads_[i], row_[i]);
    return true;
}

void OdbcCursor::ReadCell(SQLUSMALLINT number, Read read, Cell& cell) {
    SQLLEN indicator = 0;
    // The cell keeps its text buffer from row to row: a million rows cost no million
    // allocations.
    cell.null = true;
    cell.integer = 0;
    cell.real = 0;
    cell.bytes.clear();
    const auto check = [&](SQLRETURN result) {
        if (!Succeeded(result)) {
            Check(result, SQL_HANDLE_STMT, statement_.get(),
                  "The value of the column '" + columns_[number - 1].name + "' could not be read");
        }
    };
    if (read == Read::Integer || read == Read::Real) {
        void* target = read == Read::Integer ? static_cast<void*>(&cell.integer)
                                             : static_cast<void*>(&cell.real);
        const SQLSMALLINT type = read == Read::Integer ? SQL_C_SBIGINT : SQL_C_DOUBLE;
        check(SQLGetData(statement_.get(), number, type, target, 0, &indicator));
        cell.null = indicator == SQL_NULL_DATA;
        return;
    }
    // Text and binary come in pieces until the driver has no more, straight into the cell.
    const SQLSMALLINT type = read == Read::Text ? SQL_C_CHAR : SQL_C_BINARY;
    const SQLLEN terminator = read == Read::Text ? 1 : 0;
    std::string& bytes = cell.bytes;
    std::size_t filled = 0;
    // As much as the cell held before, within bounds: the room is cleared before each read.
    std::size_t room = std::clamp<std::size_t>(bytes.capacity(), kFirstPiece, kLargestFirstPiece);
    for (;;) {
        bytes.resize(filled + room);
        const SQLRETURN result = SQLGetData(statement_.get(), number, type, bytes.data() + filled,
                                            static_cast<SQLLEN>(room), &indicator);
        if (result == SQL_NO_DATA)
            break;
        if (!Succeeded(result)) {
            bytes.clear();
            check(result);
        }
        if (indicator == SQL_NULL_DATA) {
            bytes.clear();
            return;
        }
        cell.null = false;
        const SQLLEN usable = static_cast<SQLLEN>(room) - terminator;
        const bool more = indicator == SQL_NO_TOTAL || indicator > usable;
        filled += static_cast<std::size_t>(more ? usable : indicator);
        if (!more)
            break;
        // The rest at once when the driver says how much is left, else twice the room.
        room = indicator == SQL_NO_TOTAL
                   ? 2 * room
                   : static_cast<std::size_t>(indicator - usable + terminator);
    }
    bytes.resize(filled);
}

ValueView OdbcCursor::Get(std::size_t column) const {
    if (bound_)
        return bound_->Get(column);
    ValueView view;
    if (column >= row_.size() || row_[column].null)
        return view;
    const Cell& cell = row_[column];
    switch (reads_[column]) {
        case Read::Integer:
            view.kind = ValueView::Kind::Integer;
            view.integer = cell.integer;
            break;
        case Read::Real:
            view.kind = ValueView::Kind::Real;
            view.real = cell.real;
            break;
        case Read::Text:
            view.kind = ValueView::Kind::Text;
            view.bytes = cell.bytes;
            break;
        case Read::Binary:
            view.kind = ValueView::Kind::Blob;
            view.bytes = cell.bytes;
            break;
    }
    return view;
}

}  // namespace tessel::db::odbc
