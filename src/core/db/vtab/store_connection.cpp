// The statement connection over a TableStore (store_adapter.h).
#include <algorithm>
#include <set>

#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/single_statement.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"
#include "core/db/sqlite/row_cursor.h"
#include "core/db/vtab/external_attachments.h"
#include "core/db/vtab/store_adapter.h"
#include "core/db/vtab/store_ddl.h"
#include "core/db/vtab/store_module.h"

namespace tessel::db::vtab {
namespace {

// A table that SQLite does not know because the store could not list it: the store's reason.
std::optional<EngineError> UnlistedTable(StoreLink& link, const EngineError& reported) {
    constexpr std::string_view kNoSuchTable = "no such table: ";
    if (reported.Number() != err::kTableNotFound)
        return std::nullopt;
    for (const auto& detail : reported.Details()) {
        if (detail.description.rfind(kNoSuchTable, 0) != 0)
            continue;
        std::string table = detail.description.substr(kNoSuchTable.size());
        if (const auto dot = table.find('.');
            dot != std::string::npos &&
            (table.rfind("main.", 0) == 0 || table.rfind("temp.", 0) == 0)) {
            table.erase(0, dot + 1);
        }
        return link.Store().WhyNotListed(table);
    }
    return std::nullopt;
}

// A failure that SQLite reports for a store call is shown as the store's own error.
[[noreturn]] void ThrowStoreFailure(StoreLink& link, ExternalAttachments& externals,
                                    const EngineError& reported) {
    if (auto failure = link.TakeFailure())
        throw *failure;
    if (auto failure = externals.TakeFailure())
        throw *failure;
    if (auto unlisted = UnlistedTable(link, reported))
        throw *unlisted;
    throw reported;
}

// Rows of a statement over store tables; a store failure while the rows stream in reaches the
// caller as the store's error.
class StoreCursor : public Cursor {
  public:
    StoreCursor(std::shared_ptr<StoreLink> link, std::shared_ptr<ExternalAttachments> externals,
                std::unique_ptr<Cursor> rows)
        : link_(std::move(link)), externals_(std::move(externals)), rows_(std::move(rows)) {}

    const std::vector<ColumnInfo>& Columns() const override { return rows_->Columns(); }
    bool Next() override {
        try {
            return rows_->Next();
        } catch (const EngineError& error) {
            ThrowStoreFailure(*link_, *externals_, error);
        }
    }
    ValueView Get(std::size_t column) const override { return rows_->Get(column); }
    long RecordsAffected() const override { return rows_->RecordsAffected(); }

  private:
    std::shared_ptr<StoreLink> link_;  // outlives the rows, whose tables point at it
    std::shared_ptr<ExternalAttachments> externals_;
    std::unique_ptr<Cursor> rows_;
};

class StoreConnection : public StatementConnection {
  public:
    StoreConnection(std::shared_ptr<TableStore> store, const std::string& name,
                    std::string connectionString)
        : link_(std::make_shared<StoreLink>(std::move(store))),
          handle_(sqlite::Handle::OpenMemory(name)),
          connectionString_(std::move(connectionString)),
          externals_(std::make_shared<ExternalAttachments>(handle_)) {
        RegisterStoreModule(handle_->Raw(), *link_);
    }

    std::string ConnectionString() const override { return connectionString_; }

    void FindOtherDatabasesWith(ExternalDatabaseFinder finder) override {
        externals_->SetFinder(std::move(finder));
    }

    std::unique_ptr<Cursor> Execute(const std::string& statement) override {
        link_->TakeFailure();
        DeclareStoreTables();
        const auto [text, tokens] = jetsql::ReadSingleStatement(statement);
        if (auto ddl = jetsql::ParseDdl(text, tokens)) {
            const auto* drop = std::get_if<jetsql::DropTable>(&*ddl);
            if (drop == nullptr || !IsTempTable(drop->table)) {
                ExecuteStoreDdl(link_->Store(), *ddl);
                ForgetDeclaration(TableWithChangedFields(*ddl));
                DeclareStoreTables();
                return sqlite::ChangedRowsCursor(0);
            }
        }
        if (jetsql::FindSelectInto(tokens)) {
            throw EngineError(err::kNotSupported,
                              "SELECT ... INTO is not supported for this database: create the "
                              "table with CREATE TABLE and fill it with INSERT INTO ... SELECT.");
        }
        try {
            // Tokens of the statement as it names attached schemas; they point into `attached`.
            const std::string attached = externals_->Attach(text, tokens);
            const std::vector<jetsql::Token> attachedTokens =
                attached == text ? std::vector<jetsql::Token>{} : jetsql::Tokenize(attached);
            auto rows = sqlite::StreamRows(handle_->Prepare(
                attached == text ? jetsql::RewriteJetSql(text, tokens)
                                 : jetsql::RewriteJetSql(attached, attachedTokens)));
            return std::make_unique<StoreCursor>(link_, externals_, std::move(rows));
        } catch (const EngineError& error) {
            ThrowStoreFailure(*link_, *externals_, error);
        }
    }

  private:
    // Every store table is a virtual table of the connection, under each of its names, also
    // ones that another connection to the same store made or dropped since the last statement.
    void DeclareStoreTables() {
        std::set<std::string> current;
        const auto declare = [&](std::string name) {
            const bool taken = std::any_of(current.begin(), current.end(),
                                           [&](const auto& held) { return SameName(held, name); });
            if (taken)
                return;
            if (declared_.count(name) == 0)
                handle_->Exec(DeclareTableSql(name));
            current.insert(std::move(name));
        };
        TableStore& store = link_->Store();
        const std::vector<std::string> tables = store.Tables();
        for (const auto& table : tables)
            declare(table);
        for (const auto& table : tables) {
            for (auto& other : store.OtherNames(table))
                declare(std::move(other));
        }
        for (const auto& table : declared_) {
            if (current.count(table) == 0)
                handle_->Exec("DROP TABLE main." + jetsql::QuoteName(table));
        }
        declared_ = std::move(current);
    }

    // A virtual table keeps the fields it was declared with: after ALTER TABLE it is dropped
    // (which leaves the store's table alone) and declared again with the new fields.
    void ForgetDeclaration(const std::string& table) {
        if (table.empty())
            return;
        const std::vector<std::string> names = NamesOf(table);
        for (auto it = declared_.begin(); it != declared_.end();) {
            const bool named = std::any_of(names.begin(), names.end(),
                                           [&](const auto& name) { return SameName(*it, name); });
            if (named) {
                handle_->Exec("DROP TABLE main." + jetsql::QuoteName(*it));
                it = declared_.erase(it);
            } else {
                ++it;
            }
        }
    }

    // The names of the store table that `table` names: its own and its other names.
    std::vector<std::string> NamesOf(const std::string& table) {
        TableStore& store = link_->Store();
        for (const auto& own : store.Tables()) {
            std::vector<std::string> names = store.OtherNames(own);
            names.push_back(own);
            if (std::any_of(names.begin(), names.end(),
                            [&](const auto& name) { return SameName(name, table); }))
                return names;
        }
        return {table};
    }

    // DROP TABLE of a TEMP table that the person made on this connection goes to SQLite.
    bool IsTempTable(const std::string& table) {
        auto query = handle_->Prepare(
            "SELECT 1 FROM temp.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
        query.Bind(1, table);
        return query.Step();
    }

    std::shared_ptr<StoreLink> link_;  // declared first: the tables of the handle point at it
    std::shared_ptr<sqlite::Handle> handle_;
    std::string connectionString_;
    std::set<std::string> declared_;
    // Declared last: its schemas are detached while the handle and the main store live.
    std::shared_ptr<ExternalAttachments> externals_;
};

}  // namespace

std::unique_ptr<StatementConnection> ConnectStore(std::shared_ptr<TableStore> store,
                                                  std::string name, std::string connectionString) {
    return std::make_unique<StoreConnection>(std::move(store), name, std::move(connectionString));
}

}  // namespace tessel::db::vtab
