// The Database over a TableStore (store_adapter.h).
#include "core/db/names.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::vtab {
namespace {

Property Make(const char* name, int type, Value value) {
    return Property{name, type, std::move(value), true};
}

[[noreturn]] void NotSupported(const std::string& what) {
    throw EngineError(err::kNotSupported,
                      what +
                          " is not supported for this database: its driver keeps tables, "
                          "fields and indexes only as its files define them.");
}

class StoreDatabase : public Database {
  public:
    StoreDatabase(std::shared_ptr<TableStore> store, std::string name, std::string connect,
                  bool readOnly)
        : store_(std::move(store)),
          name_(std::move(name)),
          connect_(std::move(connect)),
          readOnly_(readOnly) {}

    std::string Name() const override { return name_; }
    std::string Connect() const override { return connect_; }
    std::string Version() override { return Store().Version(); }

    std::vector<TableInfo> TableDefs() override {
        std::vector<TableInfo> tables;
        for (auto& name : Store().Tables())
            tables.push_back(TableInfo{std::move(name), 0, {}});
        return tables;
    }
    std::vector<std::string> QueryDefs() override {
        Store();
        return {};
    }
    std::vector<FieldInfo> Fields(const std::string& table) override {
        return Store().Columns(table);
    }
    std::vector<IndexInfo> Indexes(const std::string& table) override {
        return Store().Indexes(table);
    }

    std::vector<Property> Properties() override {
        return {Make("Name", ftype::kText, name_),
                Make("Connect", ftype::kText, connect_),
                Make("Transactions", ftype::kBoolean, true),
                Make("Updatable", ftype::kBoolean, !readOnly_),
                Make("QueryTimeout", ftype::kInteger, static_cast<std::int64_t>(queryTimeout_)),
                Make("Version", ftype::kText, Version())};
    }
    std::vector<Property> TableProperties(const std::string& table) override {
        const std::string name = Found(table);
        return {Make("Name", ftype::kText, name), Make("Updatable", ftype::kBoolean, !readOnly_),
                Make("Attributes", ftype::kLong, std::int64_t{0})};
    }
    std::vector<Property> QueryProperties(const std::string& query) override {
        throw EngineError(
            err::kItemNotFound,
            "The query '" + query + "' does not exist: this database has no queries.");
    }
    std::vector<Property> FieldProperties(const std::string& table,
                                          const std::string& field) override {
        for (const auto& info : Store().Columns(table)) {
            if (SameName(info.name, field)) {
                return {Make("Name", ftype::kText, info.name),
                        Make("Type", ftype::kInteger, static_cast<std::int64_t>(info.type)),
                        Make("Size", ftype::kLong, static_cast<std::int64_t>(info.size)),
                        Make("Required", ftype::kBoolean, info.required)};
            }
        }
        throw EngineError(err::kItemNotFound,
                          "The field '" + field + "' does not exist in the table '" + table + "'.");
    }
    std::vector<Property> IndexProperties(const std::string& table,
                                          const std::string& index) override {
        for (const auto& info : Store().Indexes(table)) {
            if (SameName(info.name, index)) {
                return {Make("Name", ftype::kText, info.name),
                        Make("Primary", ftype::kBoolean, info.primary),
                        Make("Unique", ftype::kBoolean, info.unique),
                        Make("Required", ftype::kBoolean, info.required),
                        Make("IgnoreNulls", ftype::kBoolean, info.ignoreNulls)};
            }
        }
        throw EngineError(err::kItemNotFound,
                          "The index '" + index + "' does not exist in the table '" + table + "'.");
    }
    void CreateProperty(const std::string& name, int, const Value&) override {
        Store();
        NotSupported("Adding the property '" + name + "'");
    }

    int QueryTimeout() override { return queryTimeout_; }
    void SetQueryTimeout(int seconds) override { queryTimeout_ = seconds; }

    void RenameTable(const std::string& from, const std::string& to) override {
        Store().RenameTable(from, to);
    }
    void RenameQuery(const std::string& from, const std::string&) override {
        Store();
        throw EngineError(err::kItemNotFound,
                          "The query '" + from + "' does not exist: this database has no queries.");
    }
    void RenameField(const std::string& table, const std::string& from,
                     const std::string&) override {
        Store();
        NotSupported("Renaming the field '" + from + "' of '" + table + "'");
    }
    void RenameIndex(const std::string& table, const std::string& from,
                     const std::string&) override {
        Store();
        NotSupported("Renaming the index '" + from + "' of '" + table + "'");
    }

    void Close() override { store_.reset(); }

  private:
    TableStore& Store() {
        if (!store_) {
            throw EngineError(err::kObjectClosed,
                              "The database '" + name_ + "' was closed; open it again first.");
        }
        return *store_;
    }

    // The table's name as the store spells it.
    std::string Found(const std::string& table) {
        for (auto& name : Store().Tables()) {
            if (SameName(name, table))
                return name;
        }
        throw EngineError(err::kItemNotFound, "The table '" + table + "' does not exist.");
    }

    std::shared_ptr<TableStore> store_;
    std::string name_;
    std::string connect_;
    bool readOnly_;
    int queryTimeout_ = 60;
};

}  // namespace

std::unique_ptr<Database> OpenStoreDatabase(std::shared_ptr<TableStore> store, std::string name,
                                            std::string connect, bool readOnly) {
    return std::make_unique<StoreDatabase>(std::move(store), std::move(name), std::move(connect),
                                           readOnly);
}

}  // namespace tessel::db::vtab
