#include "core/db/drivers/btrieve/btrieve_driver.h"

namespace tessel::db::btrieve {
namespace {

[[noreturn]] void NoBtrieve(const std::string& name) {
    throw EngineError(err::kNoDriver,
                      "'" + name +
                          "' cannot be opened with the connection type 'Btrieve;': no Btrieve "
                          "driver exists on this system, so its Btrieve files cannot be read. "
                          "Export the data with the Btrieve program that keeps it (for example "
                          "as dBase, Paradox or delimited text files) and open the exported "
                          "files with the matching connection type instead.");
}

class BtrieveDriver : public Driver {
  public:
    std::string Name() const override { return "Btrieve files"; }
    std::vector<Family> Families() const override { return {Family::Btrieve}; }
    DriverCapabilities Capabilities() const override {
        return {
            .read = false, .write = false, .ddl = false, .transactions = false, .passwords = false};
    }
    bool Recognises(const std::string&) const override { return false; }
    std::unique_ptr<Database> Open(const OpenRequest& request) override { NoBtrieve(request.name); }
    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string&) override {
        NoBtrieve(name);
    }
    ExternalDatabase External(const std::string& name, const std::string&) override {
        NoBtrieve(name);
    }
    void Create(const std::string& name, int, const std::string&) override { NoBtrieve(name); }
};

}  // namespace

std::unique_ptr<Driver> MakeBtrieveDriver() {
    return std::make_unique<BtrieveDriver>();
}

}  // namespace tessel::db::btrieve
