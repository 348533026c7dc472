// Genuine Jet/ACE files made by other programs, read through the engine: what the mdbtools
// programs report of them, exact values, statements with joins, passwords, encrypted files,
// refused writes, and damaged copies.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

namespace fs = std::filesystem;
using db::Engine;
namespace err = db::err;

std::string Data(const std::string& relative) {
    return std::string(TESSEL_TESTDATA_DIR) + "/" + relative;
}

const char* const kReadable[] = {
    "jackcess/src/test/data/V1997/testV1997.mdb",
    "jackcess/src/test/data/V2003/queryTestV2003.mdb",
    "jackcess/src/test/data/V2007/oldDatesV2007.accdb",
    "jackcess/src/test/data/V2007/linkerTestV2007.accdb",
    "jackcess/src/test/data/V2010/complexDataTestV2010.accdb",
    "jackcess/src/test/data/V2010/testV2010.accdb",
    "jackcess/src/test/data/V2019/extDateTestV2019.accdb",
    "mdb-reader/test/data/V2000/numeric.mdb",
    "mdb-reader/test/data/V2016/currency.accdb",
    "mdb-reader/test/data/V2016/bigint.accdb",
    "mdb-reader/test/data/V2016/longtext.accdb",
};

// What a command prints; the test fails when it cannot run.
std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::unique_ptr<db::Database> OpenFile(Engine& engine, const std::string& file,
                                       const std::string& connect = "") {
    return engine.OpenDatabase(file, false, true, connect);
}

TEST(JetReader, EveryFileHasTheTablesAndRowCountsOfMdbTools) {
    for (const char* relative : kReadable) {
        SCOPED_TRACE(relative);
        const std::string file = Data(relative);
        Engine engine;
        auto database = OpenFile(engine, file);
        std::vector<std::string> local;
        for (const auto& table : database->TableDefs()) {
            if (!(table.attributes & (db::attr::kSystemObjectMask | db::attr::kAttachedTable |
                                      db::attr::kAttachedOdbc)))
                local.push_back(table.name);
        }
        const auto listed = Lines(Output("mdb-tables -1 '" + file + "'"));
        EXPECT_EQ(std::set<std::string>(local.begin(), local.end()),
                  std::set<std::string>(listed.begin(), listed.end()));
        for (const auto& table : listed) {
            SCOPED_TRACE(table);
            const auto rows = Query(engine, file, "SELECT COUNT(*) FROM [" + table + "]");
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0][0] + "\n", Output("mdb-count '" + file + "' '" + table + "'"));
            // Every value of every row reads.
            EXPECT_EQ(Query(engine, file, "SELECT * FROM [" + table + "]").size(),
                      static_cast<std::size_t>(std::stol(rows[0][0])));
        }
    }
}

TEST(JetReader, VersionsFromTheHeader) {
    const std::pair<const char*, const char*> cases[] = {
        {"jackcess/src/test/data/V1997/testV1997.mdb", "3.0"},
        {"mdb-reader/test/data/V2000/numeric.mdb", "4.0"},
        {"jackcess/src/test/data/V2007/oldDatesV2007.accdb", "12.0"},
        {"jackcess/src/test/data/V2010/testV2010.accdb", "14.0"},
        {"mdb-reader/test/data/V2016/bigint.accdb", "16.0"},
        {"jackcess/src/test/data/V2019/extDateTestV2019.accdb", "17.0"},
    };
    for (const auto& [relative, version] : cases) {
        Engine engine;
        EXPECT_EQ(OpenFile(engine, Data(relative))->Version(), version) << relative;
    }
}

TEST(JetReader, CurrencyAndBigIntegersAreExact) {
    Engine engine;
    const std::string currency = Data("mdb-reader/test/data/V2016/currency.accdb");
    EXPECT_EQ(Query(engine, currency, "SELECT ID, Money FROM [Table]"), (Rows{{"1", "42"}}));
    auto database = OpenFile(engine, currency);
    const auto fields = database->Fields("Table");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[1].type, db::ftype::kCurrency);
}

TEST(JetReader, JoinsRunOverTwoTables) {
    Engine engine;
    const std::string file = Data("jackcess/src/test/data/V1997/testV1997.mdb");
    const auto joined = Query(engine, file,
                              "SELECT COUNT(*) FROM Table1 AS a INNER JOIN Table1 AS b ON "
                              "a.A = b.A");
    const auto plain = Query(engine, file, "SELECT COUNT(*) FROM Table1 WHERE A IS NOT NULL");
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_GE(std::stol(joined[0][0]), std::stol(plain[0][0]));
    EXPECT_GT(std::stol(plain[0][0]), 0);
}

TEST(JetReader, APasswordIsAskedForAndChecked) {
    for (const char* relative : {"mdb-reader/test/password/data/V2003_with-password.mdb",
                                 "mdb-reader/test/password/data/V2000_with-password.mdb"}) {
        SCOPED_TRACE(relative);
        const std::string file = Data(relative);
        Engine engine;
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { OpenFile(engine, file); }, &description), err::kBadPassword);
        EXPECT_NE(description.find(file), std::string::npos);
        EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection(AccessConnection(file)); }),
                  err::kBadPassword);
        EXPECT_EQ(ErrorNumber([&] { OpenFile(engine, file, ";pwd=wrong"); }), err::kBadPassword);
        auto database = OpenFile(engine, file, ";pwd=password");
        EXPECT_EQ(UserTables(*database), (std::vector<std::string>{"Table1"}));
        // Once opened with it, statements reach the file.
        EXPECT_EQ(Query(engine, file, "SELECT COUNT(*) FROM Table1").size(), 1u);
    }
}

TEST(JetReader, OfficeEncryptedFilesGiveAClearError) {
    for (const char* relative : {"mdb-reader/test/encryption/data/office-agile-4.2.accdb",
                                 "mdb-reader/test/password/data/V2010_with-password.accdb"}) {
        const std::string file = Data(relative);
        Engine engine;
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { OpenFile(engine, file); }, &description), err::kNotSupported);
        EXPECT_NE(description.find(file), std::string::npos) << description;
        EXPECT_NE(description.find("encrypted"), std::string::npos) << description;
        EXPECT_NE(description.find("without encryption"), std::string::npos) << description;
    }
}

TEST(JetReader, WritesAreRefusedNamingTheFile) {
    TempDir dir;
    const std::string file = dir.File("copy.mdb");
    fs::copy_file(Data("jackcess/src/test/data/V1997/testV1997.mdb"), file);
    Engine engine;
    for (const char* statement :
         {"INSERT INTO Table1 (A) VALUES ('x')", "DELETE FROM Table1", "UPDATE Table1 SET A = 'y'",
          "CREATE TABLE NewOne (A LONG)", "DROP TABLE Table1"}) {
        SCOPED_TRACE(statement);
        std::string description;
        const long number = ErrorNumber([&] { RunAll(engine, file, {statement}); }, &description);
        EXPECT_EQ(number, err::kReadOnly) << description;
        EXPECT_NE(description.find(file), std::string::npos) << description;
    }
    auto database = OpenFile(engine, file);
    EXPECT_EQ(ErrorNumber([&] { database->RenameTable("Table1", "Other"); }), err::kReadOnly);
    EXPECT_EQ(
        ErrorNumber([&] { database->CreateProperty("P", db::ftype::kText, std::string("v")); }),
        err::kReadOnly);
}

// Reads everything of a file, as the tree and a SELECT * would.
void ReadEverything(Engine& engine, const std::string& file) {
    auto database = OpenFile(engine, file);
    for (const auto& table : database->TableDefs()) {
        database->Fields(table.name);
        database->Indexes(table.name);
        if (!(table.attributes & (db::attr::kAttachedTable | db::attr::kAttachedOdbc)))
            Query(engine, file, "SELECT * FROM [" + table.name + "]");
    }
    for (const auto& query : database->QueryDefs())
        database->QueryProperties(query);
}

TEST(JetReader, DamagedCopiesNeverTakeTheProgramDown) {
    TempDir dir;
    std::mt19937 random(20240607);
    for (const char* relative : {"jackcess/src/test/data/V1997/testV1997.mdb",
                                 "mdb-reader/test/data/V2016/longtext.accdb"}) {
        std::string bytes;
        {
            std::ifstream in(Data(relative), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        for (int round = 0; round < 12; ++round) {
            std::string damaged = bytes;
            if (round < 4) {
                damaged.resize(bytes.size() * static_cast<std::size_t>(round + 1) / 6);
            } else {
                for (int flip = 0; flip < 40; ++flip)
                    damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
            }
            const std::string file = dir.File("damaged" + std::to_string(round) + ".mdb");
            {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out.write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
            }
            Engine engine;
            try {
                ReadEverything(engine, file);
            } catch (const db::EngineError& error) {
                EXPECT_NE(error.Description().find(file), std::string::npos) << error.Description();
            }
        }
    }
}

}  // namespace
}  // namespace tessel::test::platform_tests
