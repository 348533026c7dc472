// The naming rules on every statement that makes or renames an object: no ". ! ` [ ]", no
// leading blank, no control character, at most 64 characters, with the classic engine's error.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

std::string ClassicText(const std::string& name) {
    return "'" + name +
           "' isn't a valid name. Make sure that it doesn't include invalid characters or "
           "punctuation and that it isn't too long.";
}

// A double-quoted name, so that brackets and blanks reach the engine as they are.
std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

class JetNames : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        Exec("CREATE TABLE Customers (ID LONG, Name TEXT(10))");
    }
    void Exec(const std::string& statement) { RunAll(engine, path, {statement}); }
    // Expects the statement to fail with the classic error for `name`.
    void ExpectRefused(const std::string& statement, const std::string& name) {
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { Exec(statement); }, &description), err::kInvalidName)
            << statement;
        EXPECT_EQ(description, ClassicText(name)) << statement;
    }
    std::vector<std::string> TableNames() {
        std::vector<std::string> names;
        auto database = Engine().OpenDatabase(path, false, false, "");
        for (const auto& table : database->TableDefs())
            names.push_back(table.name);
        return names;
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

// Each rule broken once: the forbidden characters, a leading blank, control characters.
const std::vector<std::string> kBadNames = {
    "a.b", "a!b", "a`b", "a[b", "a]b", " lead", std::string("a\x01z"), "line\nbreak", "tab\tbed",
};

TEST_F(JetNames, CreateTableRefusesEachBrokenRuleWithTheClassicError) {
    for (const auto& name : kBadNames)
        ExpectRefused("CREATE TABLE " + Quoted(name) + " (ID LONG)", name);
    for (const auto& name : kBadNames)
        ExpectRefused("CREATE TABLE T (" + Quoted(name) + " LONG)", name);
    for (const auto& table : TableNames())
        EXPECT_TRUE(table == "Customers" || table.rfind("MSys", 0) == 0) << table;
}

TEST_F(JetNames, AlterAndIndexStatementsRefuseEachBrokenRule) {
    for (const auto& name : kBadNames) {
        ExpectRefused("ALTER TABLE Customers ADD COLUMN " + Quoted(name) + " LONG", name);
        ExpectRefused("CREATE INDEX " + Quoted(name) + " ON Customers (Name)", name);
        ExpectRefused("ALTER TABLE Customers RENAME TO " + Quoted(name), name);
        ExpectRefused("ALTER TABLE Customers RENAME COLUMN Name TO " + Quoted(name), name);
    }
}

TEST_F(JetNames, ConstraintNamesFollowTheRules) {
    ExpectRefused("CREATE TABLE Orders (ID LONG CONSTRAINT [p.k] PRIMARY KEY)", "p.k");
    ExpectRefused("CREATE TABLE Orders (ID LONG, CONSTRAINT \"u!1\" UNIQUE (ID))", "u!1");
    ExpectRefused("ALTER TABLE Customers ADD CONSTRAINT [k.1] PRIMARY KEY (ID)", "k.1");
    ExpectRefused("ALTER TABLE Customers ADD CONSTRAINT [c.1] CHECK (ID > 0)", "c.1");
}

TEST_F(JetNames, StatementsLeftToSqliteFollowTheRulesToo) {
    ExpectRefused("CREATE VIEW [v.1] AS SELECT ID FROM Customers", "v.1");
    ExpectRefused("CREATE TABLE IF NOT EXISTS \"a]b\" (ID LONG)", "a]b");
    ExpectRefused("CREATE TABLE [a!b] AS SELECT ID FROM Customers", "a!b");
    ExpectRefused("CREATE INDEX IF NOT EXISTS [i.1] ON Customers (Name)", "i.1");
    ExpectRefused("SELECT ID INTO [copy.1] FROM Customers", "copy.1");
    Exec("CREATE VIEW [Customer Names] AS SELECT Name FROM Customers");
    Exec("CREATE TABLE IF NOT EXISTS Kopie AS SELECT ID FROM Customers");
}

TEST_F(JetNames, SixtyFourCharactersAreAcceptedAndSixtyFiveRefused) {
    const std::string longest = Repeated("n", 64);
    Exec("CREATE TABLE " + longest + " (" + longest + " LONG)");
    const std::string tooLong = Repeated("n", 65);
    ExpectRefused("CREATE TABLE " + tooLong + " (ID LONG)", tooLong);
    ExpectRefused("ALTER TABLE Customers RENAME COLUMN Name TO " + tooLong, tooLong);
}

// Characters count, not bytes: 64 letters of two bytes each are a valid name.
TEST_F(JetNames, NonAsciiLettersCountAsOneCharacterEach) {
    const std::string umlauts = Repeated("\xC3\x84", 64);
    Exec("CREATE TABLE [" + umlauts + "] (ID LONG)");
    const std::string tooMany = Repeated("\xC3\x84", 65);
    ExpectRefused("CREATE TABLE [" + tooMany + "] (ID LONG)", tooMany);
}

TEST_F(JetNames, BlanksInsideAndNonAsciiLettersAreAccepted) {
    Exec(
        "CREATE TABLE [Ship Dates] ([Ship Date] DATETIME, \"Gr\xC3\xB6\xC3\x9F"
        "e\" LONG)");
    Exec("ALTER TABLE Customers ADD COLUMN [Last Name] TEXT(20)");
    Exec("CREATE INDEX [By Name] ON Customers ([Last Name])");
    Exec("ALTER TABLE Customers RENAME TO [K\xC3\xBCnden Liste]");
    Exec("ALTER TABLE [K\xC3\xBCnden Liste] RENAME COLUMN [Last Name] TO [Family Name]");
    Exec("ALTER TABLE [K\xC3\xBCnden Liste] ADD CONSTRAINT [Has Key] PRIMARY KEY (ID)");
    const auto names = TableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Ship Dates"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "K\xC3\xBCnden Liste"), names.end());
}

// The engine's own rename calls keep the rules and the classic text.
TEST_F(JetNames, RenamesThroughTheEngineUseTheClassicText) {
    auto database = Engine().OpenDatabase(path, false, false, "");
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { database->RenameTable("Customers", "a.b"); }, &description),
              err::kInvalidName);
    EXPECT_EQ(description, ClassicText("a.b"));
    EXPECT_EQ(ErrorNumber([&] { database->RenameField("Customers", "Name", " x"); }, &description),
              err::kInvalidName);
    EXPECT_EQ(description, ClassicText(" x"));
}

}  // namespace
}  // namespace tessel::test::platform_tests
