// Damaged copies of real workbooks: cut short and with flipped bits, each either reads (its
// readable cells) or fails with the engine's error naming the file; never a crash, a read
// outside a buffer (the sanitizer build) or an endless loop.
#include <gtest/gtest.h>

#include <random>

#include "core/db/drivers/excel/sheet_table.h"
#include "core/db/drivers/excel/workbook.h"
#include "core/db/errors.h"
#include "excel_test_util.h"
#include "support/temp_dir.h"
#include "test_paths.h"

namespace tessel::test::excel_tests {
namespace {

// "" when the copy reads; otherwise the error, which must name the file.
std::string ReadCopy(const TempDir& dir, const std::string& bytes, const std::string& name) {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    try {
        const auto book = db::excel::ReadWorkbook(path);
        db::excel::TablesOf(book, true);
        return "";
    } catch (const db::EngineError& error) {
        EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
        return error.Description();
    }
}

class ExcelDamage : public ::testing::TestWithParam<const char*> {};

TEST_P(ExcelDamage, CutShortCopiesReadOrFailClearly) {
    TempDir dir;
    const std::string bytes = ReadBytes(Data(GetParam()));
    ASSERT_GT(bytes.size(), 1000u);
    const std::string extension =
        std::string(GetParam()).substr(std::string(GetParam()).rfind('.'));
    int failed = 0;
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{8}, std::size_t{100},
                               std::size_t{511}, std::size_t{512}, std::size_t{513},
                               bytes.size() / 3, bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE(length);
        failed += !ReadCopy(dir, bytes.substr(0, length), "cut" + extension).empty();
    }
    EXPECT_GT(failed, 0);  // the shortest copies at least cannot be workbooks
    EXPECT_EQ(ReadCopy(dir, bytes, "whole" + extension), "");
}

TEST_P(ExcelDamage, CopiesWithFlippedBitsReadOrFailClearly) {
    TempDir dir;
    const std::string bytes = ReadBytes(Data(GetParam()));
    const std::string extension =
        std::string(GetParam()).substr(std::string(GetParam()).rfind('.'));
    std::mt19937 random(20240607);
    for (int round = 0; round < 40; ++round) {
        std::string copy = bytes;
        std::uniform_int_distribution<std::size_t> at(0, copy.size() - 1);
        for (int flip = 0; flip < 1 + round % 8; ++flip)
            copy[at(random)] ^= static_cast<char>(1u << (random() % 8));
        SCOPED_TRACE(round);
        ReadCopy(dir, copy, "flipped" + extension);
    }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, ExcelDamage,
                         ::testing::Values("apache-poi/test-data/spreadsheet/SampleSS.xls",
                                           "apache-poi/test-data/spreadsheet/testEXCEL_3.xls",
                                           "apache-poi/test-data/spreadsheet/testEXCEL_5.xls",
                                           "xlrd/tests/samples/formula_test_names.xls",
                                           "apache-poi/test-data/spreadsheet/SampleSS.xlsx",
                                           "apache-poi/test-data/spreadsheet/SampleSS.ods"));

}  // namespace
}  // namespace tessel::test::excel_tests

namespace tessel::test::excel_tests {
namespace {

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// A zipped workbook whose part claims to unpack to gigabytes (more than its packed bytes can
// give) is refused before anything is allocated for it; the same claim within reason reads.
TEST(ExcelZipDirectory, AnImpossibleUnpackedSizeIsRefusedNamingThePart) {
    TempDir dir;
    const std::string original = ReadBytes(std::string(TESSEL_TESTDATA_DIR) +
                                           "/apache-poi/test-data/spreadsheet/SampleSS.xlsx");
    EXPECT_EQ(ReadCopy(dir, original, "sound.xlsx"), "");
    const std::size_t end = original.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(end, std::string::npos);
    const std::size_t entry = Le32(original, end + 16);
    ASSERT_EQ(original.substr(entry, 4), std::string("PK\x01\x02", 4));
    std::string damaged = original;
    for (int i = 0; i < 4; ++i)
        damaged[entry + 24 + static_cast<std::size_t>(i)] = static_cast<char>(0xF0);
    const std::string error = ReadCopy(dir, damaged, "claims.xlsx");
    EXPECT_NE(error.find("claims 4042322160 bytes unpacked"), std::string::npos) << error;
}

}  // namespace
}  // namespace tessel::test::excel_tests
