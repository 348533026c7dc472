#include "core/db/drivers/paradox/px_driver.h"

#include <filesystem>
#include <map>

#include "core/base/text.h"
#include "core/db/connection_text.h"
#include "core/db/drivers/paradox/px_store.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::paradox {
namespace {

namespace fs = std::filesystem;

// Every password part of a connect text: each password prompt adds one.
std::vector<std::string> PasswordsOf(const std::string& connect) {
    std::vector<std::string> passwords;
    for (const auto& pair : SplitConnectPairs(connect)) {
        if (base::UpperAscii(pair.key) == "PWD" && !pair.value.empty())
            passwords.push_back(pair.value);
    }
    return passwords;
}

// The version the connect text names ("Paradox 4.X;" gives "4.0"), for a directory without
// tables.
std::string VersionOfConnect(const std::string& connect) {
    const std::string head = base::UpperAscii(connect.substr(0, connect.find(';') + 1));
    for (const auto& row : ConnectionTypes()) {
        if (row.family == Family::Paradox && base::UpperAscii(row.typeText) == head)
            return std::string(row.detectedVersion) + ".0";
    }
    return "5.0";
}

class ParadoxDriver : public Driver {
  public:
    std::string Name() const override { return "Paradox tables"; }
    std::vector<Family> Families() const override { return {Family::Paradox}; }
    DriverCapabilities Capabilities() const override {
        return {
            .read = true, .write = false, .ddl = false, .transactions = false, .passwords = true};
    }

    bool Recognises(const std::string& path) const override {
        std::error_code ignored;
        return fs::is_directory(path, ignored);
    }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        auto store = StoreFor(request.name, request.connect);
        return vtab::OpenStoreDatabase(store, request.name, request.connect, true);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        // Statements reach encrypted tables with the passwords the database was opened with.
        return vtab::ConnectStore(StoreFor(name, ""), name, connectionString);
    }

    ExternalDatabase External(const std::string& name, const std::string& connect) override {
        return {StoreFor(name, connect), {}, {}};
    }

  private:
    std::shared_ptr<PxStore> StoreFor(const std::string& name, const std::string& connect) {
        std::error_code error;
        if (!fs::is_directory(name, error)) {
            throw EngineError(
                fs::exists(name, error) ? err::kUnreadableDatabase : err::kFileMissing,
                "'" + name +
                    "' is not a directory: a Paradox database is the directory "
                    "that holds its .db tables.");
        }
        const std::string key = fs::weakly_canonical(fs::absolute(name), error).string();
        auto& store = stores_[key];
        if (!store)
            store = std::make_shared<PxStore>(name, VersionOfConnect(connect));
        store->AddPasswords(PasswordsOf(connect));
        if (!connect.empty())
            Check(*store, name, connect);
        return store;
    }

    // Reads every table's header: the newest table gives the version, and an encrypted table
    // whose password is missing refuses the whole directory, so that the password is asked for
    // when the database is opened.
    static void Check(PxStore& store, const std::string& name, const std::string& connect) {
        std::string newest;
        for (const auto& file : TableFilesOf(name)) {
            std::unique_ptr<PxTable> table;
            try {
                table = std::make_unique<PxTable>(file.path);
            } catch (const EngineError&) {
                continue;  // a damaged table is explained when it is used
            }
            if (!store.Unlocked(*table))
                throw PasswordError(table->Path());
            newest = std::max(newest, table->Header().VersionText());
        }
        store.SetVersion(newest.empty() ? VersionOfConnect(connect) : newest);
    }

    std::map<std::string, std::shared_ptr<PxStore>> stores_;
};

}  // namespace

std::unique_ptr<Driver> MakeParadoxDriver() {
    return std::make_unique<ParadoxDriver>();
}

}  // namespace tessel::db::paradox
