// Compacting a genuine Access file converts it into a writable database of the single-file
// default: every table with as many rows as mdbtools' own export gives, the types and sizes,
// the indexes, the select queries as stored queries and the rest listed in "Conversion notes".
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "core/maintenance/compact_db.h"
#include "open_session_fixture.h"
#include "platform_test_util.h"
#include "test_paths.h"

namespace tessel::test::opening {
namespace {

namespace fs = std::filesystem;
using platform_tests::ErrorNumber;
using platform_tests::Query;
using platform_tests::Rows;
using platform_tests::RunAll;

std::string TestFile(const std::string& relative) {
    return std::string(TESSEL_TESTDATA_DIR) + "/" + relative;
}

// What a shell command prints.
std::string Output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    if (!pipe)
        return text;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        text.append(buffer.data(), read);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> MdbTables(const std::string& file) {
    std::istringstream lines(Output("mdb-tables -1 " + Quoted(file)));
    std::vector<std::string> tables;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            tables.push_back(line);
    }
    return tables;
}

// Rows as mdb-export writes them, counted by a row delimiter no value holds.
long MdbExportRows(const std::string& file, const std::string& table) {
    const std::string text =
        Output("mdb-export -H -R '<<ROW>>' " + Quoted(file) + " " + Quoted(table));
    long rows = 0;
    for (std::size_t at = text.find("<<ROW>>"); at != std::string::npos;
         at = text.find("<<ROW>>", at + 1))
        ++rows;
    return rows;
}

class JetConversionTest : public OpenSessionTest {
  protected:
    std::string Convert(const std::string& source, const std::string& name) {
        const std::string destination = dir.File(name);
        session.engine.CompactDatabase(source, destination, compact::kLocale, compact::kVersion30);
        return destination;
    }
};

TEST_F(JetConversionTest, EveryTableKeepsTheRowsThatMdbtoolsExports) {
    ASSERT_FALSE(Output("command -v mdb-export").empty()) << "mdbtools is not installed";
    const std::vector<std::string> files = {
        "jackcess/src/test/data/V1997/testV1997.mdb",
        "jackcess/src/test/data/V2003/queryTestV2003.mdb",
        "jackcess/src/test/data/V2007/oldDatesV2007.accdb",
        "jackcess/src/test/data/V2007/linkerTestV2007.accdb",
        "jackcess/src/test/data/V2010/testV2010.accdb",
        "jackcess/src/test/data/V2010/complexDataTestV2010.accdb",
        "jackcess/src/test/data/V2019/extDateTestV2019.accdb",
        "mdb-reader/test/data/V2000/numeric.mdb",
        "mdb-reader/test/data/V2016/bigint.accdb",
        "mdb-reader/test/data/V2016/currency.accdb",
        "mdb-reader/test/data/V2016/longtext.accdb",
    };
    int n = 0;
    for (const std::string& relative : files) {
        const std::string source = TestFile(relative);
        ASSERT_TRUE(fs::exists(source)) << source;
        const auto started = std::chrono::steady_clock::now();
        std::string destination;
        std::string why;
        ASSERT_EQ(
            ErrorNumber([&] { destination = Convert(source, std::to_string(++n) + ".mdb"); }, &why),
            0)
            << relative << ": " << why;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << relative;
        auto converted = session.engine.OpenDatabase(destination, false, false, "");
        EXPECT_EQ(converted->Version(), "3.0");
        const auto tables = MdbTables(source);
        ASSERT_FALSE(tables.empty()) << relative;
        for (const std::string& table : tables) {
            const auto counted =
                Query(session.engine, destination, "SELECT count(*) FROM [" + table + "]");
            EXPECT_EQ(counted, (Rows{{std::to_string(MdbExportRows(source, table))}}))
                << relative << " " << table;
        }
    }
}

TEST_F(JetConversionTest, TheCopyIsWritableAndKeepsTypesSizesAndIndexes) {
    const std::string source = TestFile("jackcess/src/test/data/V1997/testV1997.mdb");
    auto original = session.engine.OpenDatabase(source, false, false, "");
    const auto fields = original->Fields("Table1");
    const auto indexes = original->Indexes("Table1");
    const std::string destination = Convert(source, "copy.mdb");
    auto converted = session.engine.OpenDatabase(destination, false, false, "");
    const auto newFields = converted->Fields("Table1");
    ASSERT_EQ(newFields.size(), fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(newFields[i].name, fields[i].name);
        if (fields[i].type == db::ftype::kMemo || fields[i].type >= db::ftype::kGuid)
            continue;
        EXPECT_EQ(newFields[i].type, fields[i].type) << fields[i].name;
        if (fields[i].type == db::ftype::kText) {
            EXPECT_EQ(newFields[i].size, fields[i].size) << fields[i].name;
        }
    }
    std::size_t kept = 0;
    for (const auto& index : indexes)
        kept += index.foreign ? 0 : 1;
    std::size_t made = 0;
    for (const auto& index : converted->Indexes("Table1"))
        made += index.foreign ? 0 : 1;
    EXPECT_EQ(made, kept);
    // The source is only read; the copy takes changes.
    EXPECT_NE(ErrorNumber([&] { RunAll(session.engine, source, {"DELETE FROM Table1"}); }), 0);
    RunAll(session.engine, destination, {"DELETE FROM Table1"});
    EXPECT_EQ(Query(session.engine, destination, "SELECT count(*) FROM Table1"), (Rows{{"0"}}));
}

TEST_F(JetConversionTest, SelectQueriesBecomeStoredQueriesAndTheRestAreListed) {
    const std::string source = TestFile("jackcess/src/test/data/V2003/queryTestV2003.mdb");
    const std::string destination = Convert(source, "queries.mdb");
    auto converted = session.engine.OpenDatabase(destination, false, false, "");
    const auto queries = converted->QueryDefs();
    EXPECT_NE(std::find(queries.begin(), queries.end(), "SelectQuery"), queries.end());
    const Rows listed = Query(session.engine, destination,
                              "SELECT [Object], [Kind] FROM [Conversion notes] ORDER BY [Object]");
    std::vector<std::string> names;
    for (const auto& row : listed)
        names.push_back(row[0]);
    for (const char* action : {"UpdateQuery", "AppendQuery", "DeleteQuery", "MakeTableQuery"})
        EXPECT_NE(std::find(names.begin(), names.end(), action), names.end()) << action;
    EXPECT_EQ(std::find(names.begin(), names.end(), "SelectQuery"), names.end());
    // Each listed query keeps its SQL and says why.
    const Rows empty = Query(session.engine, destination,
                             "SELECT count(*) FROM [Conversion notes] WHERE [Kind] = 'query' "
                             "AND (Len([Definition]) = 0 OR Len([Reason]) = 0)");
    EXPECT_EQ(empty, (Rows{{"0"}}));
}

TEST_F(JetConversionTest, RelationshipsWithoutIntegrityAndLinksAreListedNotDropped) {
    const std::string source = TestFile("jackcess/src/test/data/V2007/linkerTestV2007.accdb");
    const std::string destination = Convert(source, "linker.mdb");
    EXPECT_EQ(Query(session.engine, destination,
                    "SELECT [Kind], [Reason] FROM [Conversion notes] WHERE [Object] = "
                    "'Table1Table2'"),
              (Rows{{"relationship",
                     "The relationship does not enforce integrity, so it is no foreign key."}}));
    // The engine's own tables and their relationships stay behind without a note.
    EXPECT_EQ(Query(session.engine, destination,
                    "SELECT count(*) FROM [Conversion notes] WHERE [Object] LIKE 'MSys*'"),
              (Rows{{"0"}}));
    const Rows links = Query(session.engine, destination,
                             "SELECT count(*) FROM [Conversion notes] WHERE [Kind] = "
                             "'attached table'");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NE(links[0][0], "0");
}

TEST_F(JetConversionTest, AnUpdateQueryKeepsTheFieldsItSets) {
    const std::string source = TestFile("jackcess/src/test/data/V2003/queryTestV2003.mdb");
    const std::string destination = Convert(source, "update.mdb");
    const Rows update = Query(session.engine, destination,
                              "SELECT [Definition] FROM [Conversion notes] WHERE [Object] = "
                              "'UpdateQuery'");
    ASSERT_EQ(update.size(), 1u);
    EXPECT_NE(update[0][0].find("SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3]"),
              std::string::npos)
        << update[0][0];
}

TEST_F(JetConversionTest, TheCompactCommandConvertsAndReports) {
    const std::string source = TestFile("mdb-reader/test/data/V2000/numeric.mdb");
    const std::string destination = dir.File("numeric.mdb");
    ui.fileAnswers = {source, destination};
    ui.boxAnswers = {msgbox::kNo};
    CompactDB(session, "", compact::kVersion30, false);
    EXPECT_EQ(ui.StatusText(), "Compacted: numeric.mdb") << Boxes();
    EXPECT_EQ(Query(session.engine, destination, "SELECT count(*) FROM test"),
              (Rows{{std::to_string(MdbExportRows(source, "test"))}}));
    EXPECT_TRUE(fs::exists(source));
}

}  // namespace
}  // namespace tessel::test::opening
