#include "core/db/drivers/odbc/odbc_bound_rows.h"

#include <algorithm>
#include <cstring>

#include "core/db/drivers/odbc/odbc_call.h"

namespace tessel::db::odbc {
namespace {

// Values longer than this are read one by one: a block of them would take too much memory.
constexpr long kLongestBoundText = 4000;
// A block holds at most this many rows, and about this many bytes.
constexpr SQLULEN kMostRows = 512;
constexpr SQLLEN kBlockBytes = 1 << 20;
// A text buffer also holds what the driver writes for numbers, dates and times as text, whose
// stated size does not count the sign, the point or the separators.
constexpr SQLLEN kShortestText = 64;
// A character may take four bytes as UTF-8.
constexpr SQLLEN kBytesPerCharacter = 4;

bool Set(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value) {
    return Succeeded(SQLSetStmtAttr(statement, attribute, value, 0));
}

}  // namespace

BoundRows::BoundRows(SQLHSTMT statement, std::vector<ColumnInfo> columns)
    : statement_(statement), info_(std::move(columns)) {}

BoundRows::~BoundRows() {
    // The statement may outlive this block: it must not write into freed buffers.
    SQLFreeStmt(statement_, SQL_UNBIND);
    Set(statement_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN{1}));
    Set(statement_, SQL_ATTR_ROW_STATUS_PTR, nullptr);
    Set(statement_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr);
}

std::unique_ptr<BoundRows> BoundRows::Bind(SQLHSTMT statement,
                                           const std::vector<ColumnInfo>& columns,
                                           const std::vector<ValueView::Kind>& kinds) {
    if (columns.empty() || columns.size() != kinds.size())
        return nullptr;
    std::unique_ptr<BoundRows> rows(new BoundRows(statement, columns));
    SQLLEN rowBytes = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Column column{kinds[i], SQL_C_CHAR, 0, {}, {}, {}, false};
        switch (kinds[i]) {
            case ValueView::Kind::Integer:
                column.cType = SQL_C_SBIGINT;
                column.width = sizeof(std::int64_t);
                break;
            case ValueView::Kind::Real:
                column.cType = SQL_C_DOUBLE;
                column.width = sizeof(double);
                break;
            case ValueView::Kind::Text:
            case ValueView::Kind::Blob:
                if (columns[i].size <= 0 || columns[i].size > kLongestBoundText)
                    return nullptr;
                if (kinds[i] == ValueView::Kind::Text) {
                    column.width =
                        std::max(columns[i].size * kBytesPerCharacter + 1, kShortestText);
                } else {
                    column.cType = SQL_C_BINARY;
                    column.width = columns[i].size;
                }
                break;
            case ValueView::Kind::Null:
                return nullptr;
        }
        rowBytes += column.width;
        rows->columns_.push_back(std::move(column));
    }
    SQLULEN blockRows = std::clamp<SQLULEN>(
        static_cast<SQLULEN>(kBlockBytes / std::max<SQLLEN>(rowBytes, 1)), 1, kMostRows);
    if (!Set(statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN)) ||
        !Set(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows))) {
        Set(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN{1}));
        rows->columns_.clear();  // nothing bound yet: the destructor only resets attributes
        return nullptr;
    }
    // A driver may take fewer rows than asked for ("option value changed").
    SQLULEN granted = 0;
    if (Succeeded(SQLGetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) &&
        granted >= 1 && granted < blockRows)
        blockRows = granted;
    rows->status_.assign(blockRows, SQL_ROW_NOROW);
    bool bound = Set(statement, SQL_ATTR_ROW_STATUS_PTR, rows->status_.data()) &&
                 Set(statement, SQL_ATTR_ROWS_FETCHED_PTR, &rows->fetched_);
    for (std::size_t i = 0; bound && i < rows->columns_.size(); ++i) {
        Column& column = rows->columns_[i];
        column.values.assign(static_cast<std::size_t>(column.width) * blockRows, '\0');
        column.lengths.assign(blockRows, SQL_NULL_DATA);
        bound = Succeeded(SQLBindCol(statement, static_cast<SQLUSMALLINT>(i + 1), column.cType,
                                     column.values.data(), column.width, column.lengths.data()));
    }
    if (!bound)
        return nullptr;  // the destructor unbinds what was bound
    return rows;
}

bool BoundRows::Next(const std::function<SQLRETURN()>& fetch) {
    if (finished_)
        return false;
    if (position_ >= fetched_) {
        fetched_ = 0;
        if (fetch() == SQL_NO_DATA || fetched_ == 0) {
            finished_ = true;
            return false;
        }
        position_ = 0;
    }
    ++position_;
    const SQLUSMALLINT status = status_[position_ - 1];
    if (status == SQL_ROW_ERROR)
        throw CallFailed(SQL_HANDLE_STMT, statement_, "The data source could not give a row");
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        column.wholeRead = false;
        if (column.kind != ValueView::Kind::Text && column.kind != ValueView::Kind::Blob)
            continue;
        const SQLLEN length = column.lengths[position_ - 1];
        const SQLLEN room = column.kind == ValueView::Kind::Text ? column.width - 1 : column.width;
        if (length == SQL_NO_TOTAL || length > room)
            ReadWhole(i);
    }
    return true;
}

// A value longer than its buffer: the row is made the current one and the value read again
// from its start.
void BoundRows::ReadWhole(std::size_t index) {
    Column& column = columns_[index];
    const std::string what = "The value of the column '" + info_[index].name +
                             "' is longer than the data source said it could be, and the "
                             "driver cannot read it again";
    if (!Succeeded(SQLSetPos(statement_, static_cast<SQLSETPOSIROW>(position_), SQL_POSITION,
                             SQL_LOCK_NO_CHANGE)))
        throw CallFailed(SQL_HANDLE_STMT, statement_, what);
    const SQLLEN terminator = column.kind == ValueView::Kind::Text ? 1 : 0;
    column.whole.clear();
    std::vector<char> piece(static_cast<std::size_t>(column.width) * 4);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN result =
            SQLGetData(statement_, static_cast<SQLUSMALLINT>(index + 1), column.cType, piece.data(),
                       static_cast<SQLLEN>(piece.size()), &indicator);
        if (result == SQL_NO_DATA)
            break;
        if (!Succeeded(result))
            throw CallFailed(SQL_HANDLE_STMT, statement_, what);
        if (indicator == SQL_NULL_DATA)
            break;
        const SQLLEN usable = static_cast<SQLLEN>(piece.size()) - terminator;
        const bool more = indicator == SQL_NO_TOTAL || indicator > usable;
        column.whole.append(piece.data(), static_cast<std::size_t>(more ? usable : indicator));
        if (!more)
            break;
    }
    column.wholeRead = true;
}

ValueView BoundRows::Get(std::size_t index) const {
    ValueView view;
    if (index >= columns_.size() || position_ == 0)
        return view;
    const Column& column = columns_[index];
    const std::size_t row = position_ - 1;
    if (column.lengths[row] == SQL_NULL_DATA)
        return view;
    view.kind = column.kind;
    const char* value = column.values.data() + row * static_cast<std::size_t>(column.width);
    switch (column.kind) {
        case ValueView::Kind::Integer:
            std::memcpy(&view.integer, value, sizeof view.integer);
            break;
        case ValueView::Kind::Real:
            std::memcpy(&view.real, value, sizeof view.real);
            break;
        default:
            view.bytes =
                column.wholeRead
                    ? std::string_view(column.whole)
                    : std::string_view(value, static_cast<std::size_t>(column.lengths[row]));
            break;
    }
    return view;
}

}  // namespace tessel::db::odbc
