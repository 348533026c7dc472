// A directory of Paradox tables through the engine and the script engine: tables, fields and
// the primary key; statements with joins and aggregates; refused changes; the password prompt
// of encrypted tables; DBOPEN with DetectVersion; Generate; and the Btrieve type's one error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/generate/schema_script.h"
#include "platform_test_util.h"
#include "script_run_fixture.h"
#include "test_paths.h"

namespace tessel::test::platform_tests {
namespace {

namespace fs = std::filesystem;
namespace err = db::err;

std::string Resources(const std::string& relative) {
    return std::string(TESSEL_TESTDATA_DIR) + "/paradoxdriver/src/test/resources/" + relative;
}

std::string ParadoxConnection(const std::string& directory) {
    return "Provider=MSDASQL.1;Extended Properties=DSN=Paradox Files;DBQ=" + directory + ";";
}

Rows Select(db::Engine& engine, const std::string& directory, const std::string& statement) {
    return ReadRows(*engine.OpenConnection(ParadoxConnection(directory))->Execute(statement));
}

// A directory holding copies of some test tables (with their memo files).
std::string CopyTables(const TempDir& dir, const std::string& name,
                       const std::vector<std::string>& tables) {
    const std::string target = dir.File(name);
    fs::create_directory(target);
    for (const auto& table : tables) {
        const fs::path source = Resources(table);
        fs::copy_file(source, target + "/" + source.filename().string());
    }
    return target;
}

TEST(ParadoxEngine, ADirectoryShowsItsTablesFieldsAndPrimaryKey) {
    db::Engine engine;
    auto database = engine.OpenDatabase(Resources("db"), false, false, "Paradox 5.X;");
    const auto tables = UserTables(*database);
    for (const char* name : {"AREACODE", "AREACODES", "CONTACTS", "CUSTOMER", "DECIMAL", "GENERAL",
                             "HERCULES", "ORDERS", "ROMAN8", "SERVER"}) {
        EXPECT_NE(std::find(tables.begin(), tables.end(), name), tables.end()) << name;
    }
    EXPECT_EQ(database->Version(), "7.0");
    const auto fields = database->Fields("GENERAL");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].name, "ID");
    EXPECT_EQ(fields[0].type, db::ftype::kLong);
    EXPECT_EQ(fields[1].name, "NAME");
    EXPECT_EQ(fields[1].type, db::ftype::kText);
    EXPECT_EQ(fields[1].size, 25);
    EXPECT_EQ(fields[2].type, db::ftype::kCurrency);
    const auto indexes = database->Indexes("SERVER");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, "Primary");
    EXPECT_EQ(indexes[0].fields, "+REQTYPE;+URI");
    EXPECT_TRUE(indexes[0].primary);
    EXPECT_TRUE(database->Indexes("CONTACTS").empty());
    // Secondary indexes from their .Xnn and .XGn files: a one-field index is named by its field,
    // a composite one by the name its file holds.
    const auto customer = database->Indexes("CUSTOMER");
    ASSERT_EQ(customer.size(), 2u);
    EXPECT_EQ(customer[0].fields, "+CustNo");
    EXPECT_EQ(customer[1].name, "City");
    EXPECT_EQ(customer[1].fields, "+City");
    EXPECT_FALSE(customer[1].primary);
    const auto codes = database->Indexes("AREACODES");
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[1].name, "ste");
    EXPECT_EQ(codes[1].fields, "+State");
}

TEST(ParadoxEngine, AnUnreadableSecondaryIndexIsLeftOut) {
    TempDir dir;
    db::Engine engine;
    const std::string directory = CopyTables(dir, "p", {"db/CUSTOMER.DB", "db/CUSTOMER.MB"});
    {
        std::ofstream out(directory + "/CUSTOMER.X06", std::ios::binary);
        out << std::string(300, '\x05');
    }
    auto database = engine.OpenDatabase(directory, false, false, "Paradox 5.X;");
    const auto indexes = database->Indexes("CUSTOMER");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, "Primary");
}

TEST(ParadoxEngine, StatementsRunWithJoinsAndAggregates) {
    db::Engine engine;
    const std::string areas = Resources("areas");
    EXPECT_EQ(Select(engine, areas, "SELECT COUNT(*) FROM ZIPCODES"), (Rows{{"43185"}}));
    EXPECT_EQ(Select(engine, areas,
                     "SELECT S.State, COUNT(*) FROM ZIPCODES AS Z INNER JOIN STATES AS S "
                     "ON Z.State = S.Abv WHERE S.Abv = 'AK' GROUP BY S.State"),
              (Rows{{"Alaska", "268"}}));
    EXPECT_EQ(Select(engine, areas, "SELECT TOP 2 Zip, City FROM ZIPCODES ORDER BY Zip DESC"),
              (Rows{{"99950", "Ketchikan"}, {"99929", "Wrangell"}}));
    EXPECT_EQ(Select(engine, Resources("db"),
                     "SELECT NAME, MONEYS * 2 FROM GENERAL WHERE ID = 333333333"),
              (Rows{{"Elizabet", "150"}}));
}

TEST(ParadoxEngine, ChangesAreRefusedNamingTheTable) {
    TempDir dir;
    db::Engine engine;
    const std::string directory = CopyTables(dir, "p", {"areas/STATES.DB"});
    std::string description;
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      Select(engine, directory,
                             "INSERT INTO STATES (Abv, State) VALUES ('ZZ', 'Nowhere')");
                  },
                  &description),
              err::kReadOnly);
    EXPECT_NE(description.find("'STATES'"), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber([&] { Select(engine, directory, "CREATE TABLE T (A TEXT(5))"); }),
              err::kReadOnly);
    EXPECT_EQ(Select(engine, directory, "SELECT COUNT(*) FROM STATES"), (Rows{{"53"}}));
}

TEST(ParadoxEngine, AnEncryptedTableNeedsItsPassword) {
    TempDir dir;
    db::Engine engine;
    const std::string directory = CopyTables(dir, "secret", {"encrypt/encrypted.db"});
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(directory, false, false, "Paradox 5.X;"); },
                          &description),
              err::kBadPassword);
    EXPECT_NE(description.find("encrypted.db"), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber(
                  [&] { engine.OpenDatabase(directory, false, false, "Paradox 5.X;;pwd=wrong"); }),
              err::kBadPassword);
    // Statements do not reach its rows either.
    EXPECT_EQ(ErrorNumber([&] { Select(engine, directory, "SELECT * FROM encrypted"); }),
              err::kBadPassword);
}

TEST(ParadoxEngine, ADamagedTableIsNamedAndTheOthersStayReadable) {
    TempDir dir;
    db::Engine engine;
    const std::string directory = CopyTables(dir, "p", {"areas/STATES.DB"});
    {
        std::ofstream out(directory + "/BROKEN.DB", std::ios::binary);
        out << std::string(100, '\x07');
    }
    auto database = engine.OpenDatabase(directory, false, false, "Paradox 5.X;");
    EXPECT_EQ(UserTables(*database), (std::vector<std::string>{"STATES"}));
    std::string description;
    EXPECT_NE(ErrorNumber([&] { Select(engine, directory, "SELECT * FROM BROKEN"); }, &description),
              0);
    EXPECT_NE(description.find("BROKEN.DB"), std::string::npos) << description;
    EXPECT_EQ(Select(engine, directory, "SELECT COUNT(*) FROM STATES"), (Rows{{"53"}}));
}

TEST(ParadoxEngine, AFileInsteadOfADirectoryIsRefused) {
    db::Engine engine;
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { Select(engine, Resources("db/GENERAL.DB"), "SELECT 1"); }, &description),
        err::kUnreadableDatabase);
    EXPECT_NE(description.find("is not a directory"), std::string::npos) << description;
}

class ParadoxScript : public ScriptRunTest {};

TEST_F(ParadoxScript, DbOpenReadsTheTablesAndDetectVersionChoosesTheRow) {
    const std::string five = CopyTables(dir, "five", {"db/GENERAL.DB"});
    Run("dbConnect Paradox;\r\ndbOpen " + five + ";\r\nSELECT NAME FROM GENERAL WHERE ID = 2;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 18);
    auto captured = RecordsetFile::Open(RecordsetPath(1));
    const auto rows = captured->ReadRows(0, 10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].bytes, "Katty");

    const std::string four = CopyTables(dir, "four", {"db/AREACODE.DB"});
    Run("dbConnect Paradox;\r\ndbOpen " + four + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 17);
}

TEST_F(ParadoxScript, AnEncryptedTableShowsThePasswordPrompt) {
    const std::string secret = CopyTables(dir, "secret", {"encrypt/encrypted.db"});
    ui.passwordAnswers = {"wrong", ""};
    Run("dbConnect Paradox;\r\ndbOpen " + secret + ";\r\n");
    EXPECT_EQ(ui.passwordPrompts, 2);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_FALSE(session.state.current.currentDatabase);
}

TEST_F(ParadoxScript, GenerateWritesTheTablesAndTheirPrimaryKey) {
    const std::string directory = CopyTables(dir, "gen", {"db/GENERAL.DB", "db/CONTACTS.DB"});
    Run("dbConnect Paradox;\r\ndbOpen " + directory + ";\r\n");
    GenerateSQL(session);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    const std::string& script = ui.editorText;
    EXPECT_NE(script.find("dbConnect Paradox;"), std::string::npos) << script;
    EXPECT_NE(script.find("CREATE TABLE GENERAL (ID LONG, NAME TEXT (25), MONEYS CURRENCY);"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("CREATE TABLE CONTACTS ("), std::string::npos) << script;
    EXPECT_NE(script.find("ON GENERAL(ID) WITH PRIMARY;"), std::string::npos) << script;
}

TEST_F(ParadoxScript, BtrieveSaysThatNoDriverExistsAndHowToExport) {
    const std::string directory = dir.File("bt");
    fs::create_directory(directory);
    {
        std::ofstream out(directory + "/FILE.DDF", std::ios::binary);
        out << std::string(64, '\0');
    }
    Run("dbConnect Btrieve;\r\ndbOpen " + directory + "/FILE.DDF;\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3170: ", 0), 0u) << Boxes();
    EXPECT_NE(ui.boxes[0].text.find("no Btrieve driver exists on this system"), std::string::npos)
        << Boxes();
    EXPECT_NE(ui.boxes[0].text.find("Export the data"), std::string::npos) << Boxes();
    EXPECT_FALSE(session.state.current.currentDatabase);
}

}  // namespace
}  // namespace tessel::test::platform_tests
