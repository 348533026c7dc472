// Paradox tables made by other programs, read by the table reader: every table's record count
// as its header gives it, exact values of every field type, memo and blob files, encrypted
// tables, and damaged copies that must give an error and never take the program down.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/db/drivers/paradox/px_crypt.h"
#include "core/db/drivers/paradox/px_table.h"
#include "core/db/drivers/paradox/px_values.h"
#include "platform_test_util.h"
#include "test_paths.h"

namespace tessel::test::platform_tests {
namespace {

namespace fs = std::filesystem;
namespace err = db::err;
using db::paradox::PxTable;

std::string Resources(const std::string& relative) {
    return std::string(TESSEL_TESTDATA_DIR) + "/paradoxdriver/src/test/resources/" + relative;
}

std::string Text(const db::Value& value) {
    if (std::holds_alternative<std::monostate>(value))
        return "<null>";
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    return db::ValueToText(value);
}

// Every row of a table, each value as text.
Rows AllRows(const std::string& path) {
    auto table = std::make_shared<PxTable>(path);
    PxTable::Cursor cursor(table);
    Rows rows;
    while (cursor.Next()) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < table->Header().fields.size(); ++i)
            row.push_back(Text(cursor.Get(i)));
        rows.push_back(row);
    }
    return rows;
}

struct Counted {
    const char* file;
    std::uint32_t records;
    const char* version;
};

// The record counts as the tables' headers give them (and as pxlib's dump counts them where
// it can read the table).
const Counted kTables[] = {
    {"areas/AREACODE.DB", 239, "3.0"},    {"areas/STATES.DB", 53, "3.0"},
    {"areas/ZIPCODES.DB", 43185, "4.0"},  {"db/AREACODE.DB", 135, "4.0"},
    {"db/AREACODES.DB", 370, "7.0"},      {"db/CONTACTS.DB", 55, "7.0"},
    {"db/CUSTOMER.DB", 20, "7.0"},        {"db/DECIMAL.DB", 9, "7.0"},
    {"db/GENERAL.DB", 3, "5.0"},          {"db/HERCULES.DB", 20, "7.0"},
    {"db/ORDERS.DB", 224, "7.0"},         {"db/ROMAN8.db", 1, "4.0"},
    {"db/SERVER.DB", 4, "7.0"},           {"encrypt/encrypted.db", 4, "5.0"},
    {"encrypt/encrypted35.db", 2, "3.5"}, {"encrypt/encryptedmemo.db", 2, "4.0"},
    {"fields/bcd.db", 3, "5.0"},          {"fields/bytes.db", 1, "5.0"},
    {"fields/date35.db", 3, "3.5"},       {"fields/date4.db", 3, "4.0"},
    {"fields/date5.db", 3, "5.0"},        {"fields/date7.db", 5, "5.0"},
    {"fields/fmemo.db", 2, "5.0"},        {"fields/graphic.db", 3, "5.0"},
    {"fields/graphic240.db", 1, "5.0"},   {"fields/logical.db", 4, "5.0"},
    {"fields/long.db", 3, "5.0"},         {"fields/memo.db", 2, "5.0"},
    {"fields/ole.db", 1, "5.0"},          {"fields/time.db", 3, "5.0"},
    {"fields/timestamp.db", 2, "5.0"},
};

TEST(ParadoxReader, EveryTableReadsTheRecordCountOfItsHeader) {
    for (const auto& counted : kTables) {
        SCOPED_TRACE(counted.file);
        PxTable table(Resources(counted.file));
        EXPECT_EQ(table.Header().recordCount, counted.records);
        EXPECT_EQ(table.Header().VersionText(), counted.version);
        EXPECT_EQ(AllRows(Resources(counted.file)).size(), counted.records);
    }
}

TEST(ParadoxReader, TextFieldsAreConvertedFromTheTablesCodePage) {
    const Rows states = AllRows(Resources("areas/STATES.DB"));
    ASSERT_EQ(states.size(), 53u);
    EXPECT_EQ(states[0], (std::vector<std::string>{"AK", "Alaska", "995", "999"}));
    const Rows zips = AllRows(Resources("areas/ZIPCODES.DB"));
    EXPECT_EQ(zips[1], (std::vector<std::string>{"00501", "NY", "Holtsville"}));
    // Blanks that the table holds stay; the rest of the field is Null.
    const Rows areas = AllRows(Resources("areas/AREACODE.DB"));
    EXPECT_EQ(areas[0], (std::vector<std::string>{"011", "20", "Egypt               ", "<null>",
                                                  "<null>", "<null>"}));
    const Rows contacts = AllRows(Resources("db/CONTACTS.DB"));
    EXPECT_EQ(contacts[0],
              (std::vector<std::string>{"Pan", "Jerry", "Kauai Dive Shoppe", "808-555-0270"}));
}

TEST(ParadoxReader, NumbersCurrencyAndIntegersKeepTheirSignsAndNulls) {
    const Rows general = AllRows(Resources("db/GENERAL.DB"));
    ASSERT_EQ(general.size(), 3u);
    EXPECT_EQ(general[2], (std::vector<std::string>{"333333333", "Elizabet", "75"}));
    EXPECT_EQ(general[1][2], "150");
    const Rows decimals = AllRows(Resources("db/DECIMAL.DB"));
    ASSERT_GE(decimals.size(), 5u);
    EXPECT_EQ(decimals[0][0], "-200");
    EXPECT_EQ(decimals[2][0], "-1");
    EXPECT_EQ(decimals[4][0], "20");
    EXPECT_EQ(AllRows(Resources("fields/long.db")),
              (Rows{{"1", "1"}, {"2", "2"}, {"3", "<null>"}}));
    EXPECT_EQ(AllRows(Resources("fields/logical.db")),
              (Rows{{"true"}, {"false"}, {"true"}, {"true"}}));
}

TEST(ParadoxReader, DatesTimesAndTimestampsAreIsoTexts) {
    EXPECT_EQ(AllRows(Resources("fields/date35.db")),
              (Rows{{"2018-01-01"}, {"2018-02-01"}, {"2018-01-02"}}));
    EXPECT_EQ(AllRows(Resources("fields/date7.db")), (Rows{{"2018-01-01", "10:00:00"},
                                                           {"2018-02-01", "10:30:00"},
                                                           {"2018-01-02", "09:25:25"},
                                                           {"<null>", "10:00:00"},
                                                           {"2018-01-01", "<null>"}}));
    EXPECT_EQ(AllRows(Resources("fields/time.db")), (Rows{{"01:00:01"}, {"<null>"}, {"03:00:03"}}));
    EXPECT_EQ(AllRows(Resources("fields/timestamp.db")),
              (Rows{{"<null>"}, {"2020-02-01 01:00:01"}}));
    const Rows orders = AllRows(Resources("db/ORDERS.DB"));
    ASSERT_EQ(orders.size(), 224u);
    EXPECT_EQ(orders[0],
              (std::vector<std::string>{"1001", "1221", "1988-04-03", "1988-04-05", "UPS", "7320",
                                        "7320", "0", "FOB", "Credit", "Apr"}));
}

TEST(ParadoxReader, BcdFieldsGiveTheirDigitsWithTheirDecimals) {
    const Rows rows = AllRows(Resources("fields/bcd.db"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "1.23");
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[1][0], "-1.23");
    EXPECT_EQ(rows[1][1], "-1");
    EXPECT_EQ(rows[2][0], "0");
    EXPECT_EQ(rows[2][1], "<null>");
    // Nibbles after the last digit the writer set are no digits: they are left out.
    EXPECT_EQ(rows[0][2], "0.122999999999999998");
    EXPECT_EQ(rows[1][2], "-0.122999999999999998");
    EXPECT_EQ(rows[2][2], "0.9999000000000000118");
}

TEST(ParadoxReader, BcdEdgeValues) {
    unsigned char zero[17] = {0xC0};
    EXPECT_EQ(db::paradox::BcdText(zero, 0), "0");
    unsigned char most[17];
    most[0] = 0xC0;
    for (int i = 1; i < 17; ++i)
        most[i] = 0x99;
    EXPECT_EQ(db::paradox::BcdText(most, 0), std::string(32, '9'));
    EXPECT_EQ(db::paradox::BcdText(most, 32), "0." + std::string(32, '9'));
}

TEST(ParadoxReader, MemosComeFromTheRecordOrTheMemoFile) {
    const Rows rows = AllRows(Resources("fields/memo.db"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1].size(), 555u);
    EXPECT_EQ(rows[0][1].rfind("0123456789001234567890", 0), 0u);
    EXPECT_EQ(rows[1][1], "01234567890\n");
}

TEST(ParadoxReader, MemosOfSharedAndWholeBlocksAndOfEncryptedMemoFiles) {
    const Rows customers = AllRows(Resources("db/CUSTOMER.DB"));
    ASSERT_EQ(customers.size(), 20u);
    EXPECT_EQ(customers[0][1], "Luke");
    EXPECT_EQ(customers[0][8], "Small comment (less 100 symbols)");
    EXPECT_EQ(customers[0][9], "1996-02-02");
    EXPECT_EQ(customers[1][8].size(), 518u);
    EXPECT_EQ(customers[3][8].size(), 56864u);
    EXPECT_EQ(customers[3][8].rfind(" The PARADOX File Structure", 0), 0u);
    const Rows encrypted = AllRows(Resources("encrypt/encryptedmemo.db"));
    ASSERT_EQ(encrypted.size(), 2u);
    EXPECT_EQ(encrypted[0][0].size(), 55855u);
    EXPECT_EQ(encrypted[0][0].rfind(" The PARADOX File Structure", 0), 0u);
    EXPECT_EQ(encrypted[1][0].size(), 494832u);
}

TEST(ParadoxReader, GraphicsAndBlobsAreTheirBytes) {
    auto table = std::make_shared<PxTable>(Resources("fields/graphic.db"));
    PxTable::Cursor cursor(table);
    ASSERT_TRUE(cursor.Next());
    const auto picture = std::get<std::string>(cursor.Get(1));
    EXPECT_EQ(picture.size(), 20078u);
    EXPECT_EQ(picture.substr(0, 2), "BM");
    EXPECT_EQ(std::get<std::string>(cursor.Get(2)), "GIF");
    const Rows bytes = AllRows(Resources("fields/bytes.db"));
    ASSERT_EQ(bytes.size(), 1u);
}

TEST(ParadoxReader, EncryptedTablesAreReadWithTheKeyOfTheirHeader) {
    EXPECT_EQ(AllRows(Resources("encrypt/encrypted.db")),
              (Rows{{"1", "Value 1"}, {"2", "Value 2"}, {"3", "Value 3"}, {"4", "Last one"}}));
    EXPECT_EQ(AllRows(Resources("encrypt/encrypted35.db")),
              (Rows{{"1", "Test 1"}, {"2", "Test2"}}));
    PxTable table(Resources("encrypt/encrypted.db"));
    EXPECT_NE(table.Header().encryption, 0u);
    EXPECT_FALSE(db::paradox::PasswordOpens("", table.Header().encryption));
    EXPECT_FALSE(db::paradox::PasswordOpens("wrong", table.Header().encryption));
    EXPECT_FALSE(db::paradox::PasswordOpens(std::string(300, 'x'), table.Header().encryption));
}

TEST(ParadoxReader, AMissingMemoFileIsNamedWhenAMemoIsRead) {
    TempDir dir;
    fs::copy_file(Resources("fields/memo.db"), dir.File("memo.db"));
    auto table = std::make_shared<PxTable>(dir.File("memo.db"));
    PxTable::Cursor cursor(table);
    ASSERT_TRUE(cursor.Next());
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { cursor.Get(1); }, &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find("memo file (.mb) is missing"), std::string::npos) << description;
    EXPECT_NE(description.find(dir.File("memo.db")), std::string::npos) << description;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Reads the whole table; a fault must be an EngineError that names a file.
void ReadOrExplain(const std::string& path) {
    try {
        auto table = std::make_shared<PxTable>(path);
        PxTable::Cursor cursor(table);
        std::size_t rows = 0;
        while (cursor.Next() && rows++ < 100000) {
            for (std::size_t i = 0; i < table->Header().fields.size(); ++i)
                cursor.Get(i);
        }
    } catch (const db::EngineError& error) {
        EXPECT_TRUE(error.Number() == err::kUnreadableDatabase ||
                    error.Number() == err::kFileMissing)
            << error.Description();
        EXPECT_NE(error.Description().find(fs::path(path).parent_path().string()),
                  std::string::npos)
            << error.Description();
    }
}

TEST(ParadoxReader, TruncatedAndBitFlippedCopiesNeverTakeTheProgramDown) {
    std::mt19937 random(20261207);
    for (const auto& counted : kTables) {
        SCOPED_TRACE(counted.file);
        const std::string source = Resources(counted.file);
        const std::string bytes = Bytes(source);
        const std::string memo = db::paradox::MemoFileOf(source);
        const std::string memoBytes = memo.empty() ? "" : Bytes(memo);
        for (int round = 0; round < 12; ++round) {
            TempDir dir;
            std::string damaged = bytes;
            std::string damagedMemo = memoBytes;
            if (round < 5) {
                damaged.resize(bytes.size() * static_cast<std::size_t>(round) / 5);
            } else {
                for (int flip = 0; flip < 4 * round; ++flip) {
                    damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
                    if (!damagedMemo.empty())
                        damagedMemo[random() % damagedMemo.size()] ^=
                            static_cast<char>(1 << (random() % 8));
                }
            }
            Write(dir.File("t.db"), damaged);
            if (!memo.empty())
                Write(dir.File("t.mb"), round % 2 == 0 ? damagedMemo : memoBytes.substr(0, 5000));
            ReadOrExplain(dir.File("t.db"));
        }
    }
}

TEST(ParadoxReader, AChainOfBlocksThatLoopsIsReportedNotFollowed) {
    TempDir dir;
    std::string bytes = Bytes(Resources("db/CONTACTS.DB"));
    const std::size_t headerSize =
        static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    // The first block's "next" points back to itself.
    bytes[headerSize] = 1;
    bytes[headerSize + 1] = 0;
    Write(dir.File("loop.db"), bytes);
    auto table = std::make_shared<PxTable>(dir.File("loop.db"));
    PxTable::Cursor cursor(table);
    std::string description;
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      while (cursor.Next()) {
                      }
                  },
                  &description),
              err::kUnreadableDatabase);
    EXPECT_NE(description.find("returns to block 1"), std::string::npos) << description;
    EXPECT_NE(description.find("loop.db"), std::string::npos) << description;
}

}  // namespace
}  // namespace tessel::test::platform_tests
