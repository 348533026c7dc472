#include "core/db/drivers/excel/noted_database.h"

namespace tessel::db::excel {
namespace {

class NotedDatabase : public Database {
  public:
    NotedDatabase(std::unique_ptr<Database> inner, std::string faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}

    std::string Name() const override { return inner_->Name(); }
    std::string Connect() const override { return inner_->Connect(); }
    std::string Version() override { return inner_->Version(); }
    std::vector<TableInfo> TableDefs() override { return inner_->TableDefs(); }
    std::vector<std::string> QueryDefs() override { return inner_->QueryDefs(); }
    std::vector<FieldInfo> Fields(const std::string& table) override {
        return inner_->Fields(table);
    }
    std::vector<IndexInfo> Indexes(const std::string& table) override {
        return inner_->Indexes(table);
    }
    std::vector<Property> Properties() override {
        auto properties = inner_->Properties();
        properties.push_back({"Faults", ftype::kMemo, faults_, true});
        return properties;
    }
    std::vector<Property> TableProperties(const std::string& table) override {
        return inner_->TableProperties(table);
    }
    std::vector<Property> QueryProperties(const std::string& query) override {
        return inner_->QueryProperties(query);
    }
    std::vector<Property> FieldProperties(const std::string& table,
                                          const std::string& field) override {
        return inner_->FieldProperties(table, field);
    }
    std::vector<Property> IndexProperties(const std::string& table,
                                          const std::string& index) override {
        return inner_->IndexProperties(table, index);
    }
    void CreateProperty(const std::string& name, int type, const Value& value) override {
        inner_->CreateProperty(name, type, value);
    }
    int QueryTimeout() override { return inner_->QueryTimeout(); }
    void SetQueryTimeout(int seconds) override { inner_->SetQueryTimeout(seconds); }
    void RenameTable(const std::string& from, const std::string& to) override {
        inner_->RenameTable(from, to);
    }
    void RenameQuery(const std::string& from, const std::string& to) override {
        inner_->RenameQuery(from, to);
    }
    void RenameField(const std::string& table, const std::string& from,
                     const std::string& to) override {
        inner_->RenameField(table, from, to);
    }
    void RenameIndex(const std::string& table, const std::string& from,
                     const std::string& to) override {
        inner_->RenameIndex(table, from, to);
    }
    void Close() override { inner_->Close(); }

  private:
    std::unique_ptr<Database> inner_;
    std::string faults_;
};

}  // namespace

std::unique_ptr<Database> WithFaults(std::unique_ptr<Database> database,
                                     std::vector<std::string> notes) {
    if (notes.empty())
        return database;
    std::string faults;
    for (const auto& note : notes)
        faults += (faults.empty() ? "" : "; ") + note;
    return std::make_unique<NotedDatabase>(std::move(database), faults + ".");
}

}  // namespace tessel::db::excel
