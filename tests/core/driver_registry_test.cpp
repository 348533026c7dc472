// Choosing drivers: by the connection type's family, by the file's signature, and the clear
// error for a family that no driver serves.
#include <gtest/gtest.h>

#include <fstream>

#include "core/db/connection_types.h"
#include "core/db/driver.h"
#include "core/db/driver_registry.h"
#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Family;
namespace err = db::err;

// A driver that reads files beginning with its own magic text and records what it was asked.
class MagicDriver : public db::Driver {
  public:
    MagicDriver(std::vector<Family> families, std::string magic, std::vector<std::string>& log)
        : families_(std::move(families)), magic_(std::move(magic)), log_(log) {}

    std::string Name() const override { return magic_ + " files"; }
    std::vector<Family> Families() const override { return families_; }
    db::DriverCapabilities Capabilities() const override { return {}; }
    bool Recognises(const std::string& path) const override {
        std::ifstream in(path, std::ios::binary);
        std::string head(magic_.size(), '\0');
        return in.read(head.data(), static_cast<std::streamsize>(head.size())) && head == magic_;
    }
    std::unique_ptr<db::Database> Open(const db::OpenRequest& request) override {
        log_.push_back(magic_ + " open " + request.connect);
        throw db::EngineError(err::kNotSupported, magic_ + " opened");
    }
    std::unique_ptr<db::StatementConnection> Connect(const std::string& name,
                                                     const std::string&) override {
        log_.push_back(magic_ + " connect " + name);
        throw db::EngineError(err::kNotSupported, magic_ + " connected");
    }

  private:
    std::vector<Family> families_;
    std::string magic_;
    std::vector<std::string>& log_;
};

std::string WriteFile(const TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(DriverRegistry, ConnectTextsAndDataSourcesNameTheirFamilies) {
    EXPECT_EQ(db::FamilyOfConnect(""), Family::Access);
    EXPECT_EQ(db::FamilyOfConnect(";pwd=secret"), Family::Access);
    EXPECT_EQ(db::FamilyOfConnect("FoxPro 2.6;"), Family::FoxPro);
    EXPECT_EQ(db::FamilyOfConnect("TEXT;"), Family::Text);
    EXPECT_EQ(db::FamilyOfConnect("ODBC;DSN=Shop;UID=sa;PWD=;"), Family::Odbc);
    EXPECT_EQ(db::FamilyOfConnect("Lotus;"), std::nullopt);
    EXPECT_EQ(db::FamilyOfDataSource("dBASE Files"), Family::Dbase);
    EXPECT_EQ(db::FamilyOfDataSource("ms access 97 database;"), Family::Access);
    EXPECT_EQ(db::FamilyOfDataSource("Shop"), std::nullopt);
    EXPECT_EQ(db::FamilyOfDataSource(""), std::nullopt);
    // Every row's own texts lead back to its family.
    for (const auto& row : db::ConnectionTypes()) {
        EXPECT_EQ(db::FamilyOfTypeText(row.typeText), row.family) << row.listText;
        if (row.family != Family::Access) {
            EXPECT_EQ(db::FamilyOfConnect(row.typeText), row.family) << row.listText;
        }
        if (row.odbcDataSource[0] != '\0') {
            EXPECT_EQ(db::FamilyOfDataSource(row.odbcDataSource), row.family) << row.listText;
        }
    }
}

TEST(DriverRegistry, AFamilyWithoutADriverGetsOneClearErrorNamingTheType) {
    TempDir dir;
    db::Engine engine;
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { engine.OpenDatabase(dir.Path().string(), false, false, "Lotus 1-2-3;"); },
                    &description),
        err::kNoDriver);
    EXPECT_NE(description.find("Lotus 1-2-3"), std::string::npos) << description;
    EXPECT_NE(description.find(dir.Path().string()), std::string::npos) << description;
    EXPECT_EQ(description.find("yet"), std::string::npos) << description;

    EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection("PROVIDER=MSDASQL.1;DSN=Shop;UID=sa;"); },
                          &description),
              err::kOdbcFailed);
    EXPECT_NE(description.find("Shop"), std::string::npos) << description;
}

TEST(DriverRegistry, AnAddedDriverIsChosenByTheFilesSignatureNotItsName) {
    TempDir dir;
    db::Engine engine;
    std::vector<std::string> log;
    engine.Drivers().Add(std::make_unique<MagicDriver>(
        std::vector<Family>{Family::Access, Family::Dbase}, "MAGIC", log));
    const std::string magic = WriteFile(dir, "plain.mdb", "MAGIC and more");
    const std::string sqlite = NewDatabase(engine, dir, "real.magic");

    // The file with the signature goes to the added driver, whatever its name says.
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(magic, false, false, ""); }),
              err::kNotSupported);
    // A SQLite file named like the other kind still goes to the default.
    EXPECT_NO_THROW(engine.OpenDatabase(sqlite, false, false, "")->Close());
    // Statements follow the same choice.
    EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection(AccessConnection(magic)); }),
              err::kNotSupported);
    EXPECT_NO_THROW(engine.OpenConnection(AccessConnection(sqlite)));
    // A family that only the added driver serves reaches it too.
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(magic, false, false, "Dbase III;"); }),
              err::kNotSupported);
    EXPECT_EQ(log, (std::vector<std::string>{"MAGIC open ", "MAGIC connect " + magic,
                                             "MAGIC open Dbase III;"}));
}

TEST(DriverRegistry, AFileNoDriverRecognisesIsExplainedByTheFamilysDefault) {
    TempDir dir;
    db::Engine engine;
    std::vector<std::string> log;
    engine.Drivers().Add(
        std::make_unique<MagicDriver>(std::vector<Family>{Family::Access}, "MAGIC", log));
    const std::string junk = WriteFile(dir, "junk.mdb", std::string(4096, 'x'));
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(junk, false, false, ""); }, &description),
              err::kUnreadableDatabase);
    EXPECT_NE(description.find("junk.mdb"), std::string::npos) << description;
    EXPECT_TRUE(log.empty());
}

TEST(DriverRegistry, CreatingACopyOrARepairOfAFamilyWithoutThatAbilitySaysSo) {
    TempDir dir;
    std::vector<std::string> log;
    MagicDriver driver({Family::Text}, "TEXTDB", log);
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { driver.Create(dir.File("new"), 32, ""); }, &description),
              err::kNotSupported);
    EXPECT_NE(description.find("TEXTDB files"), std::string::npos) << description;
    EXPECT_NE(description.find(dir.File("new")), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber([&] { driver.Repair(dir.File("old")); }), err::kNotSupported);
}

}  // namespace
}  // namespace tessel::test::platform_tests
