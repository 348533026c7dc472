#include "core/db/drivers/sqlite/database.h"

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/object_properties.h"
#include "core/db/drivers/sqlite/renames.h"
#include "core/db/drivers/sqlite/replica_store.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

class SqliteDatabase : public Database {
  public:
    SqliteDatabase(std::shared_ptr<Handle> handle, std::string name, std::string connect)
        : handle_(std::move(handle)) {
        state_.name = std::move(name);
        state_.connect = std::move(connect);
    }

    std::string Name() const override { return state_.name; }
    std::string Connect() const override { return state_.connect; }
    std::string Version() override { return DatabaseVersion(Open()); }

    std::vector<TableInfo> TableDefs() override {
        std::vector<TableInfo> tables;
        for (auto& object : SchemaReader(Open()).Objects("table")) {
            TableInfo info;
            info.attributes = IsSystemTableName(object.name) ? attr::kSystemObject : 0;
            info.name = std::move(object.name);
            tables.push_back(std::move(info));
        }
        return tables;
    }

    std::vector<std::string> QueryDefs() override {
        std::vector<std::string> queries;
        for (auto& object : SchemaReader(Open()).Objects("view")) {
            queries.push_back(std::move(object.name));
        }
        return queries;
    }

    std::vector<FieldInfo> Fields(const std::string& table) override {
        std::vector<FieldInfo> fields;
        for (auto& column : SchemaReader(Open()).Columns(table)) {
            fields.push_back(std::move(column.field));
        }
        return fields;
    }

    std::vector<IndexInfo> Indexes(const std::string& table) override {
        std::vector<IndexInfo> indexes;
        for (auto& detail : SchemaReader(Open()).Indexes(table)) {
            indexes.push_back(std::move(detail.info));
        }
        return indexes;
    }

    std::vector<Property> Properties() override { return DatabaseProperties(Open(), state_); }
    std::vector<Property> TableProperties(const std::string& table) override {
        return sqlite::TableProperties(Open(), table);
    }
    std::vector<Property> QueryProperties(const std::string& query) override {
        return sqlite::QueryProperties(Open(), query);
    }
    std::vector<Property> FieldProperties(const std::string& table,
                                          const std::string& field) override {
        return sqlite::FieldProperties(Open(), table, field);
    }
    std::vector<Property> IndexProperties(const std::string& table,
                                          const std::string& index) override {
        return sqlite::IndexProperties(Open(), table, index);
    }

    void CreateProperty(const std::string& name, int type, const Value& value) override {
        Handle& handle = Open();
        CheckObjectName(name);
        for (const auto& property : DatabaseProperties(handle, state_)) {
            if (SameName(property.name, name)) {
                throw EngineError(err::kDuplicateName,
                                  "Cannot append: the database already has a property named '" +
                                      property.name + "'.");
            }
        }
        if (handle.ReadOnly()) {
            throw EngineError(err::kReadOnly, "The database '" + state_.name +
                                                  "' is opened read-only, so no property can be "
                                                  "added.");
        }
        handle.InTransaction([&] {
            MetadataStore(handle).PutProperty(objkind::kDatabase, "",
                                              Property{name, type, value, true});
            // As with the classic engine, this property is what makes a design master.
            if (SameName(name, "Replicable") && ValueToText(value) == "T" &&
                !IsReplicable(handle, "main"))
                MakeReplicable(handle);
        });
    }

    int QueryTimeout() override { return state_.queryTimeout; }
    void SetQueryTimeout(int seconds) override {
        Open();
        state_.queryTimeout = seconds;
    }

    void RenameTable(const std::string& from, const std::string& to) override {
        sqlite::RenameTable(Open(), from, to);
    }
    void RenameQuery(const std::string& from, const std::string& to) override {
        sqlite::RenameQuery(Open(), from, to);
    }
    void RenameField(const std::string& table, const std::string& from,
                     const std::string& to) override {
        sqlite::RenameField(Open(), table, from, to);
    }
    void RenameIndex(const std::string& table, const std::string& from,
                     const std::string& to) override {
        sqlite::RenameIndex(Open(), table, from, to);
    }

    void Close() override { handle_.reset(); }

  private:
    Handle& Open() {
        if (!handle_) {
            throw EngineError(err::kObjectClosed, "The database '" + state_.name +
                                                      "' was closed; open it again to use it.");
        }
        // The person may browse long after the open, while other programs change the file.
        handle_->Revalidate();
        return *handle_;
    }

    std::shared_ptr<Handle> handle_;
    DatabaseState state_;
};

}  // namespace

std::unique_ptr<Database> MakeDatabase(std::shared_ptr<Handle> handle, std::string name,
                                       std::string connect) {
    return std::make_unique<SqliteDatabase>(std::move(handle), std::move(name), std::move(connect));
}

std::string VersionForFormat(int options) {
    switch (options) {
        case dbformat::kVersion10:
            return "1.1";
        case dbformat::kVersion20:
            return "2.0";
        case dbformat::kVersion30:
            return "3.0";
        default:
            throw EngineError(err::kInvalidArgument,
                              "Invalid argument: " + std::to_string(options) +
                                  " is not a database format (8, 16 or 32).");
    }
}

void WriteVersion(Handle& handle, const std::string& version) {
    handle.InTransaction([&] {
        MetadataStore(handle).PutProperty(objkind::kDatabase, "",
                                          Property{"Version", ftype::kText, version, true});
    });
}

}  // namespace tessel::db::sqlite
