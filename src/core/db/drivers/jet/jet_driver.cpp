#include "core/db/drivers/jet/jet_driver.h"

#include <set>

#include "core/db/connection_text.h"
#include "core/db/drivers/jet/jet_conversion.h"
#include "core/db/drivers/jet/jet_database.h"
#include "core/db/drivers/jet/jet_file.h"
#include "core/db/drivers/jet/jet_store.h"
#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/vtab/store_adapter.h"

namespace tessel::db::jet {
namespace {

class JetDriver : public Driver {
  public:
    std::string Name() const override { return "Jet/ACE database files"; }
    std::vector<Family> Families() const override { return {Family::Access}; }
    DriverCapabilities Capabilities() const override {
        return {
            .read = true, .write = false, .ddl = false, .transactions = false, .passwords = true};
    }

    bool Recognises(const std::string& path) const override {
        try {
            return sqlite::ProbeDatabaseFile(path) == sqlite::FileKind::Jet;
        } catch (const EngineError&) {
            return false;
        }
    }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        auto file = JetFile::Open(request.name);
        CheckPassword(*file, request.connect);
        return MakeJetDatabase(std::move(file), request.connect);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        auto file = JetFile::Open(name);
        // Statements reach a protected file only after it was opened with its password.
        CheckPassword(*file, "");
        return vtab::ConnectStore(MakeJetStore(std::move(file)), name, connectionString);
    }

    ExternalDatabase External(const std::string& name, const std::string& connect) override {
        auto file = JetFile::Open(name);
        CheckPassword(*file, connect);
        return {MakeJetStore(std::move(file)), {}, {}};
    }

    // The only change a genuine file allows: a copy of it as a writable database of the
    // single-file default.
    void Compact(const std::string& source, const std::string& destination, int format,
                 const std::optional<std::string>& password) override {
        auto file = JetFile::Open(source);
        // A protected file is copied only after it was opened with its password.
        CheckPassword(*file, "");
        const int version =
            format & (dbformat::kVersion10 | dbformat::kVersion20 | dbformat::kVersion30);
        ConvertJetFile(file, destination,
                       sqlite::VersionForFormat(version != 0 ? version : dbformat::kVersion30),
                       password.value_or(""));
    }

  private:
    void CheckPassword(const JetFile& file, const std::string& connect) {
        const std::string& stored = file.Header().password;
        if (stored.empty() || unlocked_.count(file.Path()) != 0)
            return;
        if (ConnectValue(connect, "pwd").value_or("") != stored) {
            throw EngineError(err::kBadPassword, "Not a valid password: the database '" +
                                                     file.Path() + "' is protected by a password.");
        }
        unlocked_.insert(file.Path());
    }

    std::set<std::string> unlocked_;  // files opened with their password in this run
};

}  // namespace

std::unique_ptr<Driver> MakeJetDriver() {
    return std::make_unique<JetDriver>();
}

}  // namespace tessel::db::jet
