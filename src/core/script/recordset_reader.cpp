// Reading recordset files a page at a time: rows are found by their row number, so a page
// near the end of millions of rows costs as little as the first.
#include <filesystem>

#include "core/db/jetsql/quote.h"
#include "core/script/recordset_file.h"
#include "core/script/recordset_sqlite.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

using namespace recordset_sqlite;

constexpr const char* kReadAction = "read";

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text == nullptr
               ? std::string()
               : std::string(text,
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The value points into SQLite's buffers until the statement moves.
db::ValueView ValueOf(sqlite3_stmt* statement, int column) {
    db::ValueView value;
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            value.kind = db::ValueView::Kind::Integer;
            value.integer = sqlite3_column_int64(statement, column);
            break;
        case SQLITE_FLOAT:
            value.kind = db::ValueView::Kind::Real;
            value.real = sqlite3_column_double(statement, column);
            break;
        case SQLITE_TEXT: {
            value.kind = db::ValueView::Kind::Text;
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            value.bytes = std::string_view(
                text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
            break;
        }
        case SQLITE_BLOB: {
            value.kind = db::ValueView::Kind::Blob;
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
            const int size = sqlite3_column_bytes(statement, column);
            if (bytes != nullptr)
                value.bytes = std::string_view(bytes, static_cast<std::size_t>(size));
            break;
        }
        default:
            break;
    }
    return value;
}

RecordsetCell CellOf(sqlite3_stmt* statement, int column) {
    const db::ValueView value = ValueOf(statement, column);
    return {value.kind, value.integer, value.real, std::string(value.bytes)};
}

// Every row of the file in order, stepped one at a time through one statement.
class FileRowsCursor : public db::Cursor {
  public:
    FileRowsCursor(const std::vector<db::ColumnInfo>& columns, db::sqlite::PreparedStatement rows,
                   sqlite3* db, const std::string& path)
        : columns_(columns), rows_(std::move(rows)), db_(db), path_(path) {}

    const std::vector<db::ColumnInfo>& Columns() const override { return columns_; }

    bool Next() override {
        if (!rows_)
            return false;
        const int code = sqlite3_step(rows_.get());
        if (code == SQLITE_ROW)
            return true;
        if (code != SQLITE_DONE)
            throw FileError(kReadAction, path_, db_, code);
        rows_.reset();
        return false;
    }

    db::ValueView Get(std::size_t column) const override {
        if (!rows_ || column >= columns_.size())
            return {};
        return ValueOf(rows_.get(), static_cast<int>(column));
    }

  private:
    const std::vector<db::ColumnInfo>& columns_;
    db::sqlite::PreparedStatement rows_;
    sqlite3* db_;
    const std::string& path_;
};

class SqliteRecordsetFile : public RecordsetFile {
  public:
    explicit SqliteRecordsetFile(const std::string& path) : path_(path) {
        db_ = recordset_sqlite::Open(path, SQLITE_OPEN_READONLY, kReadAction, path_);
        ReadDescription();
        if (!columns_.empty())
            PreparePaging();
    }

    const std::vector<db::ColumnInfo>& Columns() const override { return columns_; }
    const std::string& Statement() const override { return statement_; }

    std::int64_t RowCount() override {
        if (rowCount_ < 0) {
            rowCount_ = 0;
            if (!columns_.empty()) {
                // Rows are numbered from 1 in the order they came, so the last number is the count.
                db::sqlite::PreparedStatement last = Prepare(
                    db_.get(), "SELECT max(" + rowNumber_ + ") FROM recordset", kReadAction, path_);
                if (sqlite3_step(last.get()) == SQLITE_ROW) {
                    rowCount_ = sqlite3_column_int64(last.get(), 0);
                }
            }
        }
        return rowCount_;
    }

    std::vector<std::vector<RecordsetCell>> ReadRows(std::int64_t first,
                                                     std::int64_t count) override {
        std::vector<std::vector<RecordsetCell>> rows;
        if (columns_.empty() || count <= 0 || first < 0)
            return rows;
        sqlite3_stmt* page = page_.get();
        sqlite3_reset(page);
        sqlite3_bind_int64(page, 1, first);
        sqlite3_bind_int64(page, 2, count);
        const int columnCount = static_cast<int>(columns_.size());
        int code;
        while ((code = sqlite3_step(page)) == SQLITE_ROW) {
            std::vector<RecordsetCell> row;
            row.reserve(columns_.size());
            for (int i = 0; i < columnCount; ++i)
                row.push_back(CellOf(page, i));
            rows.push_back(std::move(row));
        }
        if (code != SQLITE_DONE)
            throw FileError(kReadAction, path_, db_.get(), code);
        sqlite3_reset(page);
        return rows;
    }

    std::unique_ptr<db::Cursor> AllRows() override {
        db::sqlite::PreparedStatement rows;
        if (!columns_.empty())
            rows =
                Prepare(db_.get(), selectColumns_ + " ORDER BY " + rowNumber_, kReadAction, path_);
        return std::make_unique<FileRowsCursor>(columns_, std::move(rows), db_.get(), path_);
    }

  private:
    void ReadDescription() {
        try {
            db::sqlite::PreparedStatement source =
                Prepare(db_.get(), "SELECT statement FROM recordset_source", kReadAction, path_);
            if (sqlite3_step(source.get()) == SQLITE_ROW)
                statement_ = ColumnText(source.get(), 0);
            db::sqlite::PreparedStatement described =
                Prepare(db_.get(),
                        "SELECT name, declared_type, type_code, size"
                        " FROM recordset_columns ORDER BY ordinal",
                        kReadAction, path_);
            while (sqlite3_step(described.get()) == SQLITE_ROW) {
                db::ColumnInfo column;
                column.name = ColumnText(described.get(), 0);
                column.declaredType = ColumnText(described.get(), 1);
                column.type = sqlite3_column_int(described.get(), 2);
                column.size = static_cast<long>(sqlite3_column_int64(described.get(), 3));
                columns_.push_back(std::move(column));
            }
        } catch (const db::EngineError& error) {
            throw NotARecordsetFile(error.Description());
        }
    }

    void PreparePaging() {
        std::vector<std::string> tableColumns;
        db::sqlite::PreparedStatement info =
            Prepare(db_.get(), "PRAGMA table_info(recordset)", kReadAction, path_);
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            tableColumns.push_back(ColumnText(info.get(), 1));
        }
        rowNumber_ = RowNumberName(tableColumns);
        if (tableColumns.size() != columns_.size() || rowNumber_.empty()) {
            throw NotARecordsetFile("its table of rows does not match its column list");
        }
        selectColumns_ = "SELECT ";
        for (std::size_t i = 0; i < tableColumns.size(); ++i) {
            selectColumns_ += (i == 0 ? "" : ", ") + db::jetsql::QuoteName(tableColumns[i]);
        }
        selectColumns_ += " FROM recordset";
        page_ = Prepare(
            db_.get(),
            selectColumns_ + " WHERE " + rowNumber_ + " > ?1 ORDER BY " + rowNumber_ + " LIMIT ?2",
            kReadAction, path_);
    }

    db::EngineError NotARecordsetFile(const std::string& cause) const {
        return ProgramError(db::err::kUnreadableDatabase,
                            path_ + " is not a recordset file: " + cause);
    }

    std::string path_;
    db::sqlite::Connection db_;
    db::sqlite::PreparedStatement page_;
    std::vector<db::ColumnInfo> columns_;
    std::string statement_;
    std::string rowNumber_;
    std::string selectColumns_;  // "SELECT <every column> FROM recordset"
    std::int64_t rowCount_ = -1;
};

}  // namespace

std::unique_ptr<RecordsetFile> RecordsetFile::Open(const std::string& path) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        throw ProgramError(db::err::kFileNotFound,
                           "The recordset file " + path + " does not exist.");
    }
    return std::make_unique<SqliteRecordsetFile>(path);
}

}  // namespace tessel
