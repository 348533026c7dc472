#include "core/db/drivers/excel/excel_driver.h"

#include <filesystem>

#include "core/db/drivers/excel/excel_store.h"
#include "core/db/drivers/excel/noted_database.h"
#include "core/db/drivers/excel/sheet_table.h"
#include "core/db/drivers/excel/workbook.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::excel {
namespace {

namespace fs = std::filesystem;

class ExcelDriver : public Driver {
  public:
    std::string Name() const override { return "workbooks (.xls, .xlsx, .ods)"; }
    std::vector<Family> Families() const override { return {Family::Excel}; }
    DriverCapabilities Capabilities() const override {
        return {
            .read = true, .write = false, .ddl = false, .transactions = false, .passwords = false};
    }

    bool Recognises(const std::string& path) const override {
        try {
            return KindOfFile(path) != WorkbookKind::None;
        } catch (...) {
            return false;
        }
    }
    bool Holds(const std::string& path) const override {
        return cached_.book && cached_.key == KeyOf(path);
    }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        auto store = Store(request.name, request.connect);
        return WithFaults(
            vtab::OpenStoreDatabase(std::move(store), request.name, request.connect, true),
            cached_.book->notes);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        return vtab::ConnectStore(Store(name, connectionString), name, connectionString);
    }

    ExternalDatabase External(const std::string& name, const std::string& connect) override {
        return {Store(name, connect), {}, {}};
    }

    void Create(const std::string& name, int, const std::string&) override {
        throw EngineError(err::kNotSupported, "The workbook '" + name +
                                                  "' cannot be made: this program reads "
                                                  "workbooks but does not write them.");
    }
    void Compact(const std::string& source, const std::string&, int,
                 const std::optional<std::string>&) override {
        throw EngineError(err::kNotSupported,
                          "'" + source + "' is a workbook, which has no free space to compact.");
    }
    std::vector<std::string> Repair(const std::string& name) override {
        throw EngineError(err::kNotSupported, "'" + name +
                                                  "' is a workbook, which this program cannot "
                                                  "repair; open it in the program that made it.");
    }
    void ReleaseFiles() override { cached_ = {}; }

  private:
    // What tells a changed file from the one read: its path, size and time of change.
    static std::string KeyOf(const std::string& path) {
        std::error_code code;
        const auto size = fs::file_size(path, code);
        if (code)
            return {};
        const auto time = fs::last_write_time(path, code).time_since_epoch().count();
        return fs::weakly_canonical(path, code).string() + "|" + std::to_string(size) + "|" +
               std::to_string(time);
    }

    // Statements reopen the workbook each time; the last one read, and its tables, are kept
    // while the file is unchanged.
    struct Cached {
        std::string key;
        std::shared_ptr<const Workbook> book;
        std::shared_ptr<const std::vector<SheetTable>> tables[2];  // without, with header row
    };

    std::shared_ptr<TableStore> Store(const std::string& path, const std::string& connect) {
        const std::string key = KeyOf(path);
        if (!cached_.book || key.empty() || key != cached_.key) {
            cached_ = {};
            cached_.book = std::make_shared<const Workbook>(ReadWorkbook(path));
            cached_.key = key;
        }
        const bool header = HeaderRowOf(connect);
        auto& tables = cached_.tables[header ? 1 : 0];
        if (!tables)
            tables =
                std::make_shared<const std::vector<SheetTable>>(TablesOf(*cached_.book, header));
        return MakeExcelStore(path, cached_.book->version, tables);
    }

    Cached cached_;
};

}  // namespace

std::unique_ptr<Driver> MakeExcelDriver() {
    return std::make_unique<ExcelDriver>();
}

}  // namespace tessel::db::excel
