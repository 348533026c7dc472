#include "core/db/vtab/external_attachments.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "core/base/text.h"
#include "core/db/jetsql/external_tables.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"
#include "core/db/sqlite/crypt_vfs.h"
#include "core/db/table_store.h"
#include "core/db/vtab/store_module.h"

namespace tessel::db::vtab {
namespace {

// Schema names are never used twice in a run: a connection of a pooled file may still hold an
// attachment that could not be detached.
std::string NextSchemaName() {
    static std::atomic<unsigned long> count{0};
    return "ext" + std::to_string(++count);
}

// The same database however the statement spells its type's case or its path.
std::string KeyOf(const std::string& connect, const std::string& path) {
    std::error_code ignored;
    const std::string type = base::UpperAscii(connect.substr(0, connect.find(';')));
    return type + "|" + std::filesystem::weakly_canonical(path, ignored).string();
}

EngineError TableMissing(const std::string& table, const std::string& label) {
    return EngineError(err::kTableNotFound, "The engine cannot find the table or query '" + table +
                                                "' in the database " + label +
                                                ". Make sure it exists and that its name is "
                                                "spelled correctly.");
}

}  // namespace

ExternalAttachments::ExternalAttachments(std::shared_ptr<sqlite::Handle> handle)
    : handle_(std::move(handle)) {}

ExternalAttachments::~ExternalAttachments() {
    for (auto& [key, attached] : attached_) {
        // Rows of a statement still open keep the schema busy; it then stays until the file's
        // connection closes, under a name no statement uses again.
        try {
            handle_->Exec("DETACH DATABASE " + jetsql::QuoteName(attached.schema));
        } catch (const EngineError&) {
        }
        if (!attached.module.empty())
            DropStoreModule(handle_->Raw(), attached.module);
    }
}

std::string ExternalAttachments::Attach(std::string_view text,
                                        const std::vector<jetsql::Token>& tokens) {
    return jetsql::RewriteExternalTables(text, tokens, [&](const jetsql::ExternalTable& table) {
        Attached& attached = AttachDatabase(table.connect, table.path);
        if (attached.link) {
            if (table.changed) {
                throw EngineError(err::kNotSupported,
                                  "The table '" + table.table + "' of the database " +
                                      attached.label +
                                      " cannot be changed from a statement of another database: "
                                      "open that database with dbOpen and change it there.");
            }
            DeclareStoreTable(attached, table.table);
        } else {
            CheckSqliteTable(attached, table.table);
        }
        return attached.schema;
    });
}

std::optional<EngineError> ExternalAttachments::TakeFailure() {
    for (auto& [key, attached] : attached_) {
        if (!attached.link)
            continue;
        if (auto failure = attached.link->TakeFailure())
            return failure;
    }
    return std::nullopt;
}

namespace {

bool ReadsEncryptedFiles(sqlite3* db) {
    sqlite3_vfs* layer = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_VFS_POINTER, &layer) != SQLITE_OK || !layer)
        return false;
    return layer->zName != nullptr && std::string(layer->zName) == sqlite::crypt::VfsName();
}

}  // namespace

ExternalAttachments::Attached& ExternalAttachments::AttachDatabase(const std::string& connect,
                                                                   const std::string& path) {
    const std::string key = KeyOf(connect, path);
    if (auto found = attached_.find(key); found != attached_.end())
        return found->second;
    if (!finder_) {
        throw EngineError(err::kNotSupported,
                          "Tables of other databases ('" + path +
                              "') cannot be reached from this connection: open that database "
                              "with dbOpen and run the statement there.");
    }
    ExternalDatabase database = finder_(connect, path);
    Attached attached;
    attached.schema = NextSchemaName();
    attached.label = database.label.empty() ? "'" + path + "'" : database.label;
    if (database.store) {
        AttachStore(attached, std::move(database.store));
    } else {
        // An attached file is read through the file layer of the statement's own database:
        // only a connection to an encrypted database can read another encrypted one.
        if (database.encrypted && !ReadsEncryptedFiles(handle_->Raw())) {
            throw EngineError(err::kNotSupported,
                              "The database '" + path +
                                  "' is encrypted, and its tables can be reached only from "
                                  "another encrypted database. Open it with dbOpen (and its "
                                  "password) and run the statement there.");
        }
        // Bound, so that the path is never read as SQL or as a URI.
        handle_->Prepare("ATTACH DATABASE ?1 AS " + jetsql::QuoteName(attached.schema))
            .Bind(1, database.sqliteFile)
            .Step();
    }
    return attached_.emplace(key, std::move(attached)).first->second;
}

void ExternalAttachments::AttachStore(Attached& attached, std::shared_ptr<TableStore> store) {
    handle_->Exec("ATTACH DATABASE ':memory:' AS " + jetsql::QuoteName(attached.schema));
    attached.link = std::make_shared<StoreLink>(std::move(store));
    attached.module = "tessel_store_" + attached.schema;
    RegisterStoreModule(handle_->Raw(), attached.link, attached.module);
}

void ExternalAttachments::DeclareStoreTable(Attached& attached, const std::string& table) {
    const bool declared =
        std::any_of(attached.declared.begin(), attached.declared.end(),
                    [&](const std::string& held) { return SameName(held, table); });
    if (declared)
        return;
    TableStore& store = attached.link->Store();
    bool listed = false;
    for (const auto& own : store.Tables()) {
        std::vector<std::string> names = store.OtherNames(own);
        names.push_back(own);
        listed = std::any_of(names.begin(), names.end(),
                             [&](const std::string& name) { return SameName(name, table); });
        if (listed)
            break;
    }
    if (!listed) {
        if (auto why = store.WhyNotListed(table))
            throw *why;
        throw TableMissing(table, attached.label);
    }
    handle_->Exec(DeclareTableSql(table, attached.schema, attached.module));
    attached.declared.insert(table);
}

void ExternalAttachments::CheckSqliteTable(const Attached& attached, const std::string& table) {
    auto query = handle_->Prepare("SELECT 1 FROM " + jetsql::QuoteName(attached.schema) +
                                  ".sqlite_master WHERE type IN ('table', 'view') AND name = ?1 "
                                  "COLLATE NOCASE");
    query.Bind(1, table);
    if (!query.Step())
        throw TableMissing(table, attached.label);
}

}  // namespace tessel::db::vtab
