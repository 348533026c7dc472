#include "core/db/drivers/dbf/dbf_driver.h"

#include <filesystem>
#include <map>

#include "core/base/text.h"
#include "core/db/drivers/dbf/dbf_schema.h"
#include "core/db/drivers/dbf/dbf_store.h"
#include "core/db/system_error.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::dbf {
namespace {

namespace fs = std::filesystem;

// The data source named by "DSN=" in a statement connection text.
std::string DataSourceOf(const std::string& connectionString) {
    const std::string upper = base::UpperAscii(connectionString);
    const auto at = upper.find("DSN=");
    if (at == std::string::npos)
        return "";
    const auto end = connectionString.find(';', at);
    return connectionString.substr(at + 4, end == std::string::npos ? end : end - at - 4);
}

class DbfDriver : public Driver {
  public:
    std::string Name() const override { return "dBase and FoxPro tables"; }
    std::vector<Family> Families() const override { return {Family::Dbase, Family::FoxPro}; }
    DriverCapabilities Capabilities() const override { return {true, true, true, true, false}; }

    // A directory database: any directory, with or without tables yet.
    bool Recognises(const std::string& path) const override {
        std::error_code ignored;
        return fs::is_directory(path, ignored);
    }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        const Family family = FamilyOfConnect(request.connect).value_or(Family::Dbase);
        const std::string version = VersionOfConnect(
            family == Family::FoxPro ? Family::FoxPro : Family::Dbase, request.connect);
        auto store = StoreFor(request.name, family, version);
        return vtab::OpenStoreDatabase(store, request.name, request.connect, request.readOnly);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        const Family family =
            FamilyOfDataSource(DataSourceOf(connectionString)).value_or(Family::Dbase);
        auto store =
            StoreFor(name, family == Family::FoxPro ? Family::FoxPro : Family::Dbase, std::nullopt);
        return vtab::ConnectStore(store, name, connectionString);
    }

    ExternalDatabase External(const std::string& name, const std::string& connect) override {
        const Family family =
            FamilyOfConnect(connect) == Family::FoxPro ? Family::FoxPro : Family::Dbase;
        return {StoreFor(name, family, VersionOfConnect(family, connect)), {}, {}};
    }

    void Create(const std::string& name, int, const std::string&) override {
        std::error_code error;
        if (fs::exists(name, error)) {
            throw EngineError(err::kDatabaseExists, "The directory '" + name + "' already exists.");
        }
        fs::create_directories(name, error);
        if (error) {
            throw EngineError(
                SystemErrorNumber(error.value(), err::kBadPath),
                "The directory '" + name + "' could not be made: " + error.message() + ".");
        }
    }

    void Compact(const std::string& source, const std::string&, int,
                 const std::optional<std::string>&) override {
        throw EngineError(err::kNotSupported,
                          "The dBase or FoxPro directory '" + source +
                              "' cannot be compacted by this program: only Access databases "
                              "can.");
    }

    std::vector<std::string> Repair(const std::string& name) override {
        throw EngineError(err::kNotSupported,
                          "The dBase or FoxPro directory '" + name +
                              "' cannot be repaired by this program: only Access databases "
                              "can.");
    }

  private:
    std::shared_ptr<DbfStore> StoreFor(const std::string& name, Family family,
                                       const std::optional<std::string>& version) {
        std::error_code error;
        if (!fs::is_directory(name, error)) {
            throw EngineError(err::kFileMissing,
                              "The directory '" + name + "' does not exist or is not a directory.");
        }
        const std::string key = fs::weakly_canonical(fs::absolute(name), error).string();
        for (auto it = stores_.begin(); it != stores_.end();) {
            it = it->second.expired() ? stores_.erase(it) : std::next(it);
        }
        if (auto found = stores_.find(key); found != stores_.end()) {
            auto store = found->second.lock();
            if (version)
                store->SetConnectVersion(*version);
            return store;
        }
        auto store = std::make_shared<DbfStore>(name, family,
                                                version.value_or(VersionOfConnect(family, "")));
        stores_[key] = store;
        return store;
    }

    std::map<std::string, std::weak_ptr<DbfStore>> stores_;
};

}  // namespace

std::unique_ptr<Driver> MakeDbfDriver() {
    return std::make_unique<DbfDriver>();
}

}  // namespace tessel::db::dbf
