#include "core/db/sqlite/row_cursor.h"

#include "core/db/jetsql/type_map.h"

namespace tessel::db::sqlite {
namespace {

class RowCursor : public Cursor {
  public:
    RowCursor(Statement statement, std::vector<ColumnInfo> columns, bool hasRow)
        : statement_(std::move(statement)),
          columns_(std::move(columns)),
          pending_(hasRow),
          done_(!hasRow) {
        if (done_)
            statement_ = Statement();
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool Next() override {
        if (done_)
            return false;
        if (pending_) {
            pending_ = false;
            onRow_ = true;
            return true;
        }
        onRow_ = statement_.Step();
        if (!onRow_) {
            done_ = true;
            statement_ = Statement();  // back to the cache at once
        }
        return onRow_;
    }

    ValueView Get(std::size_t column) const override {
        ValueView view;
        if (!onRow_ || column >= columns_.size())
            return view;
        sqlite3_stmt* raw = statement_.Raw();
        const int index = static_cast<int>(column);
        switch (sqlite3_column_type(raw, index)) {
            case SQLITE_INTEGER:
                view.kind = ValueView::Kind::Integer;
                view.integer = sqlite3_column_int64(raw, index);
                break;
            case SQLITE_FLOAT:
                view.kind = ValueView::Kind::Real;
                view.real = sqlite3_column_double(raw, index);
                break;
            case SQLITE_TEXT: {
                view.kind = ValueView::Kind::Text;
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, index));
                view.bytes = std::string_view(
                    text, static_cast<std::size_t>(sqlite3_column_bytes(raw, index)));
                break;
            }
            case SQLITE_BLOB: {
                view.kind = ValueView::Kind::Blob;
                const auto* blob = static_cast<const char*>(sqlite3_column_blob(raw, index));
                view.bytes = std::string_view(
                    blob, static_cast<std::size_t>(sqlite3_column_bytes(raw, index)));
                break;
            }
            default:
                break;
        }
        return view;
    }

  private:
    Statement statement_;
    std::vector<ColumnInfo> columns_;
    bool pending_;
    bool done_;
    bool onRow_ = false;
};

class ChangeCursor : public Cursor {
  public:
    explicit ChangeCursor(long affected) : affected_(affected) {}
    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    bool Next() override { return false; }
    ValueView Get(std::size_t) const override { return {}; }
    long RecordsAffected() const override { return affected_; }

  private:
    std::vector<ColumnInfo> columns_;
    long affected_;
};

// Type of a column without a declared type (an expression), from the value of its first row.
void TypeFromValue(sqlite3_stmt* raw, int index, ColumnInfo& column) {
    int code = ftype::kText;
    switch (sqlite3_column_type(raw, index)) {
        case SQLITE_INTEGER: {
            const auto value = sqlite3_column_int64(raw, index);
            code = (value > 2147483647LL || value < -2147483648LL) ? ftype::kBigInt : ftype::kLong;
            break;
        }
        case SQLITE_FLOAT:
            code = ftype::kDouble;
            break;
        case SQLITE_BLOB:
            code = ftype::kLongBinary;
            break;
        default:
            break;
    }
    column.type = code;
    column.size = jetsql::DefaultSize(code);
}

}  // namespace

std::vector<ColumnInfo> DescribeDeclaredColumns(Statement& statement, bool hasRow) {
    sqlite3_stmt* raw = statement.Raw();
    const int count = sqlite3_column_count(raw);
    std::vector<ColumnInfo> columns;
    columns.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ColumnInfo column;
        column.name = sqlite3_column_name(raw, i);
        const char* declared = sqlite3_column_decltype(raw, i);
        column.declaredType = declared ? declared : "";
        if (declared != nullptr) {
            const auto derived = jetsql::DeriveFromDeclared(column.declaredType);
            column.type = derived.code;
            column.size = derived.size;
        } else if (hasRow) {
            TypeFromValue(raw, i, column);
        } else {
            column.type = ftype::kText;
            column.size = jetsql::DefaultSize(ftype::kText);
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

std::unique_ptr<Cursor> StreamRows(Statement statement, const ColumnRefiner& refine) {
    sqlite3* db = statement.Owner().Raw();
    if (sqlite3_column_count(statement.Raw()) == 0) {
        statement.Run();
        return std::make_unique<ChangeCursor>(static_cast<long>(sqlite3_changes(db)));
    }
    const bool hasRow = statement.Step();
    auto columns = DescribeDeclaredColumns(statement, hasRow);
    if (refine)
        refine(statement, columns);
    return std::make_unique<RowCursor>(std::move(statement), std::move(columns), hasRow);
}

std::unique_ptr<Cursor> ChangedRowsCursor(long recordsAffected) {
    return std::make_unique<ChangeCursor>(recordsAffected);
}

}  // namespace tessel::db::sqlite
