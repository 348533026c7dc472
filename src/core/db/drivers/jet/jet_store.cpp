#include "core/db/drivers/jet/jet_store.h"

#include "core/db/drivers/jet/jet_catalog.h"
#include "core/db/drivers/jet/jet_table.h"
#include "core/db/names.h"
#include "core/db/read_only_store.h"

namespace tessel::db::jet {
namespace {

class JetScan : public TableScan {
  public:
    JetScan(std::shared_ptr<JetFile> file, const std::string& table)
        : table_(std::move(file), table) {}
    bool Next() override {
        if (!table_.Next(row_))
            return false;
        ++id_;
        return true;
    }
    RowId Id() const override { return id_; }
    Value Get(std::size_t column) const override {
        return column < row_.size() ? row_[column] : Value{};
    }

  private:
    JetTable table_;
    Row row_;
    RowId id_ = 0;
};

class JetStore : public ReadOnlyTableStore {
  public:
    explicit JetStore(std::shared_ptr<JetFile> file) : file_(std::move(file)) {}

    std::string Version() override { return VersionText(file_->Header().format); }

    std::vector<std::string> Tables() override {
        std::vector<std::string> names;
        for (const auto& object : ReadCatalog(file_)) {
            if (object.kind == ObjectKind::Table)
                names.push_back(object.name);
        }
        return names;
    }
    std::vector<FieldInfo> Columns(const std::string& table) override {
        return JetTable::Fields(*JetTable::Definition(file_, table));
    }
    std::vector<IndexInfo> Indexes(const std::string& table) override {
        return JetTable::Definition(file_, table)->indexes;
    }
    FilterUse Filter(const std::string&, std::size_t, CompareOp) override {
        return FilterUse::Ignore;
    }
    std::unique_ptr<TableScan> Scan(const std::string& table,
                                    const std::vector<ScanConstraint>&) override {
        return std::make_unique<JetScan>(file_, table);
    }

  private:
    void RefuseChange() override { ThrowReadOnly(file_->Path()); }

    std::shared_ptr<JetFile> file_;
};

}  // namespace

void ThrowReadOnly(const std::string& path) {
    throw EngineError(err::kReadOnly,
                      "The database '" + path +
                          "' is in the original Jet/ACE file format, which this program reads "
                          "but does not change. Tools > Compact MDB (or tessel-cli compact) "
                          "makes a writable copy of it in this program's own format.");
}

std::shared_ptr<TableStore> MakeJetStore(std::shared_ptr<JetFile> file) {
    return std::make_shared<JetStore>(std::move(file));
}

}  // namespace tessel::db::jet
