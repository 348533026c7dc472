#include "core/db/drivers/text/text_driver.h"

#include <filesystem>
#include <map>

#include "core/db/drivers/text/text_store.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::text {
namespace {

namespace fs = std::filesystem;

class TextDriver : public Driver {
  public:
    std::string Name() const override { return "text files (.csv, .txt, .tab)"; }
    std::vector<Family> Families() const override { return {Family::Text}; }
    DriverCapabilities Capabilities() const override { return {true, true, true, true, false}; }

    bool Recognises(const std::string& path) const override {
        std::error_code code;
        return fs::is_directory(path, code);
    }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        return vtab::OpenStoreDatabase(StoreOf(request.name), request.name, request.connect,
                                       request.readOnly);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        return vtab::ConnectStore(StoreOf(name), name, connectionString);
    }

    ExternalDatabase External(const std::string& name, const std::string&) override {
        return {StoreOf(name), {}, {}};
    }

    void Create(const std::string& name, int, const std::string&) override {
        std::error_code code;
        if (fs::exists(name, code))
            throw EngineError(err::kDatabaseExists, "The directory '" + name + "' already exists.");
        fs::create_directories(name, code);
        if (code) {
            throw EngineError(
                err::kPathNotFound,
                "The directory '" + name + "' cannot be created: " + code.message() + ".");
        }
    }

    void Compact(const std::string& source, const std::string&, int,
                 const std::optional<std::string>&) override {
        throw EngineError(err::kNotSupported,
                          "'" + source +
                              "' is a directory of text files, which has no free "
                              "space to compact.");
    }

    std::vector<std::string> Repair(const std::string& name) override {
        throw EngineError(err::kNotSupported,
                          "'" + name +
                              "' is a directory of text files, which cannot be "
                              "repaired; correct a damaged file with a text editor.");
    }

  private:
    // The one store of a directory, while anything holds it.
    std::shared_ptr<TextStore> StoreOf(const std::string& name) {
        std::error_code code;
        if (!fs::exists(name, code))
            throw EngineError(err::kFileMissing, "The directory '" + name + "' does not exist.");
        if (!fs::is_directory(name, code)) {
            throw EngineError(err::kUnreadableDatabase,
                              "'" + name +
                                  "' is not a directory: a text database is the "
                                  "directory that holds its .csv, .txt and .tab files.");
        }
        const std::string key = fs::weakly_canonical(name, code).string();
        for (auto it = stores_.begin(); it != stores_.end();) {
            it = it->second.expired() ? stores_.erase(it) : std::next(it);
        }
        if (auto held = stores_[key].lock())
            return held;
        auto store = std::make_shared<TextStore>(key);
        stores_[key] = store;
        return store;
    }

    std::map<std::string, std::weak_ptr<TextStore>> stores_;
};

}  // namespace

std::unique_ptr<Driver> MakeTextDriver() {
    return std::make_unique<TextDriver>();
}

}  // namespace tessel::db::text
