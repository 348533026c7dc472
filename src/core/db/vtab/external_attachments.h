// The other databases that statements of one SQLite connection name (FROM t IN '...' '...'):
// a SQLite file is attached as it is; a store gets an in-memory schema of its own in which its
// tables are virtual tables, read through a store module bound to that store. They stay
// attached while the connection lives, so that rows still streaming can be read, and are
// detached with it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/external_database.h"
#include "core/db/jetsql/tokenizer.h"
#include "core/db/sqlite/handle.h"
#include "core/db/vtab/store_link.h"

namespace tessel::db::vtab {

class ExternalAttachments {
  public:
    explicit ExternalAttachments(std::shared_ptr<sqlite::Handle> handle);
    ~ExternalAttachments();
    ExternalAttachments(const ExternalAttachments&) = delete;
    ExternalAttachments& operator=(const ExternalAttachments&) = delete;

    void SetFinder(ExternalDatabaseFinder finder) { finder_ = std::move(finder); }

    // The statement with every table of another database written as a table of its attached
    // schema, each attached and declared first. Throws EngineError: err::kNotSupported without
    // a finder or for a change to a store's table, err::kTableNotFound for a table the other
    // database lacks, and what the finder throws.
    std::string Attach(std::string_view text, const std::vector<jetsql::Token>& tokens);

    // The kept failure of a store call of an attached store, once.
    std::optional<EngineError> TakeFailure();

  private:
    struct Attached {
        std::string schema;
        std::string label;
        std::shared_ptr<StoreLink> link;  // none for an attached SQLite file
        std::string module;
        std::set<std::string> declared;
    };

    Attached& AttachDatabase(const std::string& connect, const std::string& path);
    void AttachStore(Attached& attached, std::shared_ptr<TableStore> store);
    void DeclareStoreTable(Attached& attached, const std::string& table);
    void CheckSqliteTable(const Attached& attached, const std::string& table);

    std::shared_ptr<sqlite::Handle> handle_;
    ExternalDatabaseFinder finder_;
    std::map<std::string, Attached> attached_;  // by connect type and path
};

}  // namespace tessel::db::vtab
