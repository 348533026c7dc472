#include "core/db/drivers/excel/excel_store.h"

#include "core/db/names.h"
#include "core/db/read_only_store.h"

namespace tessel::db::excel {
namespace {

class SheetScan : public TableScan {
  public:
    explicit SheetScan(const SheetTable& table) : table_(table) {}
    bool Next() override {
        if (next_ >= table_.rows.size())
            return false;
        current_ = next_++;
        return true;
    }
    RowId Id() const override { return static_cast<RowId>(current_) + 1; }
    Value Get(std::size_t column) const override {
        const Row& row = table_.rows[current_];
        return column < row.size() ? row[column] : Value{};
    }

  private:
    const SheetTable& table_;
    std::size_t next_ = 0;
    std::size_t current_ = 0;
};

class ExcelStore : public ReadOnlyTableStore {
  public:
    ExcelStore(std::string path, std::string version,
               std::shared_ptr<const std::vector<SheetTable>> tables)
        : path_(std::move(path)), version_(std::move(version)), tables_(std::move(tables)) {}

    std::string Version() override { return version_; }

    std::vector<std::string> Tables() override {
        std::vector<std::string> names;
        for (const auto& table : *tables_)
            names.push_back(table.name);
        return names;
    }
    std::vector<FieldInfo> Columns(const std::string& table) override {
        return Find(table).columns;
    }
    std::vector<IndexInfo> Indexes(const std::string& table) override {
        Find(table);
        return {};
    }
    FilterUse Filter(const std::string&, std::size_t, CompareOp) override {
        return FilterUse::Ignore;
    }
    std::unique_ptr<TableScan> Scan(const std::string& table,
                                    const std::vector<ScanConstraint>&) override {
        return std::make_unique<SheetScan>(Find(table));
    }

  private:
    void RefuseChange() override { ThrowReadOnly(path_); }

    const SheetTable& Find(const std::string& name) const {
        for (const auto& table : *tables_) {
            if (SameName(table.name, name))
                return table;
        }
        throw EngineError(err::kItemNotFound,
                          "The table '" + name + "' does not exist in '" + path_ + "'.");
    }

    std::string path_;
    std::string version_;
    std::shared_ptr<const std::vector<SheetTable>> tables_;
};

}  // namespace

void ThrowReadOnly(const std::string& path) {
    throw EngineError(err::kReadOnly, "The workbook '" + path +
                                          "' is only read by this program; it cannot change "
                                          "it. Copy its rows into a database made by this "
                                          "program (for example with SELECT ... INTO) to "
                                          "change them.");
}

std::shared_ptr<TableStore> MakeExcelStore(std::string path, std::string version,
                                           std::shared_ptr<const std::vector<SheetTable>> tables) {
    return std::make_shared<ExcelStore>(std::move(path), std::move(version), std::move(tables));
}

}  // namespace tessel::db::excel
