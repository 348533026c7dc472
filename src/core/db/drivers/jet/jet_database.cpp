#include "core/db/drivers/jet/jet_database.h"

#include "core/db/drivers/jet/jet_catalog.h"
#include "core/db/drivers/jet/jet_queries.h"
#include "core/db/drivers/jet/jet_store.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/names.h"

namespace tessel::db::jet {
namespace {

Property Make(const char* name, int type, Value value) {
    return Property{name, type, std::move(value), true};
}

class JetDatabase : public Database {
  public:
    JetDatabase(std::shared_ptr<JetFile> file, std::string connect)
        : file_(std::move(file)), connect_(std::move(connect)) {}

    std::string Name() const override { return file_ ? file_->Path() : std::string(); }
    std::string Connect() const override { return connect_; }
    std::string Version() override { return VersionText(File().Header().format); }

    std::vector<TableInfo> TableDefs() override {
        std::vector<TableInfo> tables;
        for (const auto& object : Catalog()) {
            if (object.kind != ObjectKind::Query)
                tables.push_back({object.name, TableAttributes(object), object.connect});
        }
        return tables;
    }
    std::vector<std::string> QueryDefs() override {
        std::vector<std::string> names;
        for (const auto& object : Catalog()) {
            if (object.kind == ObjectKind::Query)
                names.push_back(object.name);
        }
        return names;
    }
    std::vector<FieldInfo> Fields(const std::string& table) override {
        const CatalogObject& object = Find(table, false);
        if (object.kind != ObjectKind::Table)
            return {};  // an attached table's fields are in the other database
        return JetTable::Fields(*JetTable::Definition(file_, object.name));
    }
    std::vector<IndexInfo> Indexes(const std::string& table) override {
        const CatalogObject& object = Find(table, false);
        if (object.kind != ObjectKind::Table)
            return {};
        return JetTable::Definition(file_, object.name)->indexes;
    }

    std::vector<Property> Properties() override {
        return {Make("Name", ftype::kText, Name()),
                Make("Connect", ftype::kText, connect_),
                Make("Transactions", ftype::kBoolean, false),
                Make("Updatable", ftype::kBoolean, false),
                Make("CollatingOrder", ftype::kLong, std::int64_t{1033}),
                Make("QueryTimeout", ftype::kInteger, static_cast<std::int64_t>(queryTimeout_)),
                Make("Version", ftype::kText, Version())};
    }
    std::vector<Property> TableProperties(const std::string& table) override {
        const CatalogObject& object = Find(table, false);
        return {
            Make("Name", ftype::kText, object.name), Make("Updatable", ftype::kBoolean, false),
            Make("Attributes", ftype::kLong, static_cast<std::int64_t>(TableAttributes(object))),
            Make("Connect", ftype::kText, object.connect),
            Make("SourceTableName", ftype::kText, object.foreignName)};
    }
    std::vector<Property> QueryProperties(const std::string& query) override {
        const CatalogObject& object = Find(query, true);
        const StoredQuery stored = ReadQuery(file_, object.id);
        return {Make("Name", ftype::kText, object.name),
                Make("SQL", ftype::kMemo, stored.sql),
                Make("Type", ftype::kInteger, static_cast<std::int64_t>(stored.type)),
                Make("Updatable", ftype::kBoolean, false),
                Make("ReturnsRecords", ftype::kBoolean, stored.returnsRecords),
                Make("Connect", ftype::kText, stored.connect)};
    }
    std::vector<Property> FieldProperties(const std::string& table,
                                          const std::string& field) override {
        const auto fields = Fields(table);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto& info = fields[i];
            if (!SameName(info.name, field))
                continue;
            return {Make("Name", ftype::kText, info.name),
                    Make("Type", ftype::kInteger, static_cast<std::int64_t>(info.type)),
                    Make("Size", ftype::kLong, static_cast<std::int64_t>(info.size)),
                    Make("Attributes", ftype::kLong, static_cast<std::int64_t>(info.attributes)),
                    Make("OrdinalPosition", ftype::kInteger, static_cast<std::int64_t>(i)),
                    Make("Required", ftype::kBoolean, info.required),
                    Make("SourceField", ftype::kText, info.name),
                    Make("SourceTable", ftype::kText, table)};
        }
        throw EngineError(err::kItemNotFound,
                          "The field '" + field + "' does not exist in the table '" + table + "'.");
    }
    std::vector<Property> IndexProperties(const std::string& table,
                                          const std::string& index) override {
        for (const auto& info : Indexes(table)) {
            if (!SameName(info.name, index))
                continue;
            return {Make("Name", ftype::kText, info.name),
                    Make("Foreign", ftype::kBoolean, info.foreign),
                    Make("IgnoreNulls", ftype::kBoolean, info.ignoreNulls),
                    Make("Primary", ftype::kBoolean, info.primary),
                    Make("Required", ftype::kBoolean, info.required),
                    Make("Unique", ftype::kBoolean, info.unique),
                    Make("Fields", ftype::kText, info.fields)};
        }
        throw EngineError(err::kItemNotFound,
                          "The index '" + index + "' does not exist in the table '" + table + "'.");
    }
    void CreateProperty(const std::string&, int, const Value&) override {
        ThrowReadOnly(File().Path());
    }

    int QueryTimeout() override { return queryTimeout_; }
    void SetQueryTimeout(int seconds) override { queryTimeout_ = seconds; }

    void RenameTable(const std::string&, const std::string&) override {
        ThrowReadOnly(File().Path());
    }
    void RenameQuery(const std::string&, const std::string&) override {
        ThrowReadOnly(File().Path());
    }
    void RenameField(const std::string&, const std::string&, const std::string&) override {
        ThrowReadOnly(File().Path());
    }
    void RenameIndex(const std::string&, const std::string&, const std::string&) override {
        ThrowReadOnly(File().Path());
    }

    void Close() override {
        file_.reset();
        catalog_.clear();
        catalogRead_ = false;
    }

  private:
    JetFile& File() {
        if (!file_) {
            throw EngineError(err::kObjectClosed, "The database was closed; open it again first.");
        }
        return *file_;
    }
    const std::vector<CatalogObject>& Catalog() {
        File();
        if (!catalogRead_) {
            catalog_ = ReadCatalog(file_);
            catalogRead_ = true;
        }
        return catalog_;
    }
    const CatalogObject& Find(const std::string& name, bool query) {
        for (const auto& object : Catalog()) {
            if ((object.kind == ObjectKind::Query) == query && SameName(object.name, name))
                return object;
        }
        throw EngineError(err::kItemNotFound, std::string(query ? "The query '" : "The table '") +
                                                  name + "' does not exist in '" + file_->Path() +
                                                  "'.");
    }

    std::shared_ptr<JetFile> file_;
    std::string connect_;
    std::vector<CatalogObject> catalog_;
    bool catalogRead_ = false;
    int queryTimeout_ = 60;
};

}  // namespace

std::unique_ptr<Database> MakeJetDatabase(std::shared_ptr<JetFile> file, std::string connect) {
    return std::make_unique<JetDatabase>(std::move(file), std::move(connect));
}

}  // namespace tessel::db::jet
