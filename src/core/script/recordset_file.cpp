// Writing recordset files: the rows stream from the statement's cursor into a SQLite file
// under the atomic writer's temporary name, which is renamed into place once every row is in.
#include "core/script/recordset_file.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/base/atomic_file.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"
#include "core/db/system_error.h"
#include "core/script/recordset_row_sink.h"
#include "core/script/recordset_sqlite.h"
#include "core/script/row_batch.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

using namespace recordset_sqlite;
using db::SameName;

constexpr const char* kWriteAction = "write";
// Batches read and not yet stored: enough to keep both threads busy, little memory.
constexpr std::size_t kBatchesWaiting = 2;

// Names for the columns of the rows table: the statement's own names, made unique the way
// SQLite compares them (a join may return two columns called ID), and leaving one name for
// the row number free.
std::vector<std::string> TableColumnNames(const std::vector<db::ColumnInfo>& columns) {
    std::vector<std::string> names;
    auto taken = [&names](const std::string& candidate) {
        for (const auto& name : names) {
            if (SameName(name, candidate))
                return true;
        }
        return false;
    };
    auto unique = [&taken](const std::string& base) {
        std::string candidate = base;
        for (int suffix = 2; taken(candidate); ++suffix) {
            candidate = base + "_" + std::to_string(suffix);
        }
        return candidate;
    };
    for (const auto& column : columns)
        names.push_back(unique(column.name));
    if (RowNumberName(names).empty()) {
        for (auto& name : names) {
            if (SameName(name, "oid"))
                name = unique("oid");
        }
    }
    return names;
}

class RecordsetWriter {
  public:
    RecordsetWriter(const std::string& temporaryPath, const std::string& shownPath,
                    const std::string& statement, const std::vector<db::ColumnInfo>& columns)
        : shownPath_(shownPath), columnCount_(columns.size()) {
        // The writer made the file; SQLite only fills it, and never through a link. One thread
        // writes it, so SQLite's locking of the connection on every call is not needed.
        db_ =
            Open(temporaryPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                 kWriteAction, shownPath_);
        // A scratch file written under a temporary name: a crash leaves only that name behind,
        // so neither a journal on disk nor waiting for the disk buys anything here (and the
        // defensive connection refuses to go without one at all).
        Run("PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
            "BEGIN;"
            "CREATE TABLE recordset_columns(ordinal INTEGER, name TEXT, declared_type TEXT,"
            " type_code INTEGER, size INTEGER);"
            "CREATE TABLE recordset_source(statement TEXT);");
        WriteDescription(statement, columns);
        if (columnCount_ > 0)
            CreateRowsTable(columns);
    }

    // Stores every row of the batch.
    void Append(const RowBatch& batch) {
        sqlite3_stmt* insert = insert_.get();
        for (std::size_t row = 0; row < batch.Rows(); ++row) {
            for (std::size_t i = 0; i < columnCount_; ++i) {
                const db::ValueView value = batch.Get(row, i);
                const int slot = static_cast<int>(i) + 1;
                // The batch's bytes stay valid until the row is stored.
                switch (value.kind) {
                    case db::ValueView::Kind::Null:
                        sqlite3_bind_null(insert, slot);
                        break;
                    case db::ValueView::Kind::Integer:
                        sqlite3_bind_int64(insert, slot, value.integer);
                        break;
                    case db::ValueView::Kind::Real:
                        sqlite3_bind_double(insert, slot, value.real);
                        break;
                    case db::ValueView::Kind::Text:
                        // An empty text must stay a text, not become Null.
                        sqlite3_bind_text(insert, slot,
                                          value.bytes.empty() ? "" : value.bytes.data(),
                                          static_cast<int>(value.bytes.size()), SQLITE_STATIC);
                        break;
                    case db::ValueView::Kind::Blob:
                        if (value.bytes.empty()) {
                            sqlite3_bind_zeroblob(insert, slot, 0);
                        } else {
                            sqlite3_bind_blob(insert, slot, value.bytes.data(),
                                              static_cast<int>(value.bytes.size()), SQLITE_STATIC);
                        }
                        break;
                }
            }
            const int code = sqlite3_step(insert);
            if (code != SQLITE_DONE)
                throw FileError(kWriteAction, shownPath_, db_.get(), code);
            sqlite3_reset(insert);
        }
    }

    bool HasRowsTable() const { return columnCount_ > 0; }

    void Finish() {
        insert_.reset();
        Run("COMMIT;");
        const int code = sqlite3_close_v2(db_.release());
        if (code != SQLITE_OK)
            throw FileError(kWriteAction, shownPath_, nullptr, code);
    }

  private:
    void Run(const std::string& sql) { Execute(db_.get(), sql, kWriteAction, shownPath_); }

    void WriteDescription(const std::string& statement,
                          const std::vector<db::ColumnInfo>& columns) {
        db::sqlite::PreparedStatement source =
            Prepare(db_.get(), "INSERT INTO recordset_source(statement) VALUES(?1)", kWriteAction,
                    shownPath_);
        sqlite3_bind_text(source.get(), 1, statement.data(), static_cast<int>(statement.size()),
                          SQLITE_STATIC);
        Step(source.get());
        db::sqlite::PreparedStatement describe =
            Prepare(db_.get(),
                    "INSERT INTO recordset_columns(ordinal, name,"
                    " declared_type, type_code, size)"
                    " VALUES(?1, ?2, ?3, ?4, ?5)",
                    kWriteAction, shownPath_);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const auto& column = columns[i];
            sqlite3_bind_int64(describe.get(), 1, static_cast<sqlite3_int64>(i) + 1);
            sqlite3_bind_text(describe.get(), 2, column.name.data(),
                              static_cast<int>(column.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(describe.get(), 3, column.declaredType.data(),
                              static_cast<int>(column.declaredType.size()), SQLITE_STATIC);
            sqlite3_bind_int(describe.get(), 4, column.type);
            sqlite3_bind_int64(describe.get(), 5, column.size);
            Step(describe.get());
            sqlite3_reset(describe.get());
        }
    }

    // The columns carry no declared type, so that SQLite stores each value exactly as it came
    // (a declared type would turn the text "007" into the number 7); recordset_columns keeps
    // the declared types.
    void CreateRowsTable(const std::vector<db::ColumnInfo>& columns) {
        const std::vector<std::string> names = TableColumnNames(columns);
        std::string create = "CREATE TABLE recordset(";
        std::string insert = "INSERT INTO recordset VALUES(";
        for (std::size_t i = 0; i < names.size(); ++i) {
            create += (i == 0 ? "" : ", ") + db::jetsql::QuoteName(names[i]);
            insert += (i == 0 ? "?" : ", ?") + std::to_string(i + 1);
        }
        Run(create + ");");
        insert_ = Prepare(db_.get(), insert + ")", kWriteAction, shownPath_);
    }

    void Step(sqlite3_stmt* statement) {
        const int code = sqlite3_step(statement);
        if (code != SQLITE_DONE)
            throw FileError(kWriteAction, shownPath_, db_.get(), code);
    }

    std::string shownPath_;
    std::size_t columnCount_;
    db::sqlite::Connection db_;
    db::sqlite::PreparedStatement insert_;
};

// Reads the cursor on this thread while another stores the rows already read: reading from a
// data source and writing the file each take a good part of a large capture's time. A result
// of one batch or less is stored without a second thread. The row sink sees each row as it is
// read.
void StoreRows(db::Cursor& cursor, RecordsetWriter& writer, RecordsetRowSink* rows) {
    const std::size_t columns = cursor.Columns().size();
    std::vector<db::ValueView> values(columns);
    RowBatch batch(columns);
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<RowBatch> waiting;  // read, not yet stored
    std::vector<RowBatch> spare;   // stored, to be filled again
    bool readingEnded = false;
    std::exception_ptr storeFailure;
    std::thread store;
    const auto storeAll = [&] {
        for (;;) {
            RowBatch next(columns);
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !waiting.empty() || readingEnded; });
                if (waiting.empty())
                    return;
                next = std::move(waiting.front());
                waiting.pop_front();
            }
            try {
                writer.Append(next);
            } catch (...) {
                std::lock_guard lock(mutex);
                storeFailure = std::current_exception();
                changed.notify_all();
                return;
            }
            next.Clear();
            std::lock_guard lock(mutex);
            spare.push_back(std::move(next));
            changed.notify_all();
        }
    };
    // Hands the batch over; false when storing has failed.
    const auto handOver = [&]() -> bool {
        if (!store.joinable())
            store = std::thread(storeAll);
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return waiting.size() < kBatchesWaiting || storeFailure; });
        if (storeFailure)
            return false;
        waiting.push_back(std::move(batch));
        batch = RowBatch(columns);
        if (!spare.empty()) {
            batch = std::move(spare.back());
            spare.pop_back();
        }
        changed.notify_all();
        return true;
    };
    const auto endReading = [&] {
        {
            std::lock_guard lock(mutex);
            readingEnded = true;
            changed.notify_all();
        }
        if (store.joinable())
            store.join();
    };
    try {
        bool storing = true;
        while (storing && cursor.Next()) {
            batch.Add(cursor);
            if (rows != nullptr) {
                for (std::size_t i = 0; i < columns; ++i)
                    values[i] = cursor.Get(i);
                rows->Row(values);
            }
            if (batch.Full())
                storing = handOver();
        }
    } catch (...) {
        endReading();
        throw;
    }
    endReading();
    if (storeFailure)
        std::rethrow_exception(storeFailure);
    writer.Append(batch);  // the rest, on this thread: the other one has ended
}

}  // namespace

std::string RecordsetName(long number) {
    return "recordset" + std::to_string(number);
}

std::string RecordsetFilePath(const std::string& appPath, long number) {
    return (std::filesystem::path(appPath) / (RecordsetName(number) + ".rst")).string();
}

void WriteRecordsetFile(const std::string& path, const std::string& statement, db::Cursor& cursor,
                        RecordsetRowSink* rows) {
    if (rows != nullptr)
        rows->Begin(cursor.Columns());
    try {
        // A scratch file: a crash leaves at worst the temporary name, which the writer never
        // reuses, so waiting for the disk buys nothing.
        base::AtomicFile file(path, base::Durability::Scratch);
        // SQLite takes the file by name; our descriptor would drop its locks when closed.
        file.CloseDescriptor();
        RecordsetWriter writer(file.TemporaryPath(), path, statement, cursor.Columns());
        if (writer.HasRowsTable())
            StoreRows(cursor, writer, rows);
        writer.Finish();
        file.Commit();
    } catch (const base::FileWriteError& error) {
        if (rows != nullptr)
            rows->Abandon();
        throw ProgramError(db::SystemErrorNumber(error.SystemError(), db::err::kReserved),
                           "Cannot write the recordset file " + path + ": " + error.Cause() + ".");
    } catch (...) {
        if (rows != nullptr)
            rows->Abandon();
        throw;
    }
    if (rows != nullptr)
        rows->End();
}

}  // namespace tessel
