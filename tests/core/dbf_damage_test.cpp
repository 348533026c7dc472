// Damaged tables give a clear error that names the file and never a crash (the suite runs under
// AddressSanitizer), and the other tables of the directory still list and read.
#include <gtest/gtest.h>

#include <random>

#include "core/db/drivers/dbf/dbf_table.h"
#include "dbf_test_util.h"
#include "platform_test_util.h"

namespace tessel::test::dbf_tests {
namespace {

namespace err = db::err;
using platform_tests::ErrorNumber;

void Damage(const std::string& path, std::size_t at, char value) {
    std::string bytes = ReadBytes(path);
    bytes.at(at) = value;
    WriteBytes(path, bytes);
}

TEST(DbfDamage, CutShortOrLyingHeadersNameTheFileAndSpareTheOthers) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_03.dbf", "dbase_8b.dbf", "dbase_8b.dbt", "cp1251.dbf"});
    // Cut short in the middle of the records.
    const std::string cut = dir.File("dbase_03.dbf");
    WriteBytes(cut, ReadBytes(cut).substr(0, 3000));
    // A header length beyond the end of the file.
    Damage(dir.File("dbase_8b.dbf"), 9, '\x7F');
    // A record length that does not match the fields.
    Damage(dir.File("cp1251.dbf"), 10, '\x05');
    WriteBytes(dir.File("empty.dbf"), "");
    WriteBytes(dir.File("tiny.dbf"), std::string("\x03\x01", 2));
    std::filesystem::copy_file(Fixture("dbase_31.dbf"), dir.File("sound.dbf"));

    auto store = StoreOn(dir);
    EXPECT_EQ(store->Tables(), (std::vector<std::string>{"sound"}));
    EXPECT_EQ(ReadTable(*store, "sound").size(), 77u);
    for (const char* table : {"dbase_03", "dbase_8b", "cp1251", "empty", "tiny"}) {
        std::string why;
        EXPECT_EQ(ErrorNumber([&] { store->Columns(table); }, &why), err::kUnreadableDatabase)
            << table;
        EXPECT_NE(why.find(std::string(table) + ".dbf"), std::string::npos) << why;
    }
    std::string why;
    ErrorNumber([&] { store->Columns("dbase_03"); }, &why);
    EXPECT_NE(why.find("cut short"), std::string::npos) << why;
    ErrorNumber([&] { store->Columns("cp1251"); }, &why);
    EXPECT_NE(why.find("record length"), std::string::npos) << why;
}

TEST(DbfDamage, FlippedBytesAndCutFilesNeverCrash) {
    TempDir dir;
    std::mt19937 random(20240229);
    for (const char* name : {"dbase_30.dbf", "dbase_31.dbf", "dbase_32.dbf", "dbase_8b.dbf",
                             "dbase_02.dbf", "dbase_8c.dbf", "dbase_83.dbf"}) {
        const std::string original = ReadBytes(Fixture(name));
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 60; ++round) {
            std::string bytes = original;
            if (round % 3 == 0) {
                bytes.resize(random() % bytes.size());
            } else {
                for (int flips = 0; flips < 4; ++flips) {
                    // Mostly in the header, where sizes live.
                    const std::size_t limit =
                        round % 3 == 1 ? std::min<std::size_t>(bytes.size(), 600) : bytes.size();
                    bytes[random() % limit] ^= static_cast<char>(1u << (random() % 8));
                }
            }
            const std::string path = dir.File("t.dbf");
            WriteBytes(path, bytes);
            if (std::string(name) == "dbase_8b.dbf") {
                std::string memo = ReadBytes(Fixture("dbase_8b.dbt"));
                memo[random() % memo.size()] ^= '\xFF';
                WriteBytes(dir.File("t.dbt"), memo);
            }
            try {
                db::dbf::DbfTable table(path, "t");
                auto store = StoreOn(dir);
                ReadTable(*store, "t");
                store->Indexes("t");
            } catch (const db::EngineError& error) {
                EXPECT_EQ(error.Number(), err::kUnreadableDatabase) << error.Description();
            }
        }
    }
}

}  // namespace
}  // namespace tessel::test::dbf_tests
