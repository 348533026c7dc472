// The values of text files: DateTimeFormat patterns, numbers with the file's decimal symbol,
// Booleans as other programs write them, and what a field refuses to write.
#include <gtest/gtest.h>

#include "core/db/drivers/text/field_values.h"
#include "platform_test_util.h"

namespace tessel::test::text_tests {
namespace {

namespace err = db::err;
namespace ftype = db::ftype;
using db::text::DateFormat;
using platform_tests::ErrorNumber;

TEST(TextValues, DateTimeFormatsReadAndWriteTheirDates) {
    const auto german = DateFormat::Compile("dd.mm.yyyy hh:mm:ss");
    ASSERT_TRUE(german);
    const auto read = german->Parse("29.02.2000 23:59:58");
    ASSERT_TRUE(read);
    EXPECT_EQ(base::IsoText(*read), "2000-02-29 23:59:58");
    EXPECT_EQ(german->Format(*read), "29.02.2000 23:59:58");
    EXPECT_FALSE(german->Parse("29.02.1900 00:00:00"));  // 1900 is no leap year
    EXPECT_FALSE(german->Parse("29.02.2000"));
    EXPECT_FALSE(german->Parse("31.04.2001 00:00:00"));

    const auto american = DateFormat::Compile("m/d/yy");
    ASSERT_TRUE(american);
    EXPECT_EQ(base::IsoText(*american->Parse("2/3/29")), "2029-02-03");
    EXPECT_EQ(base::IsoText(*american->Parse("12/31/30")), "1930-12-31");
    EXPECT_EQ(american->Format(*american->Parse("2/3/29")), "2/3/29");

    EXPECT_FALSE(DateFormat::Compile("hh:nn"));      // no day, month or year
    EXPECT_FALSE(DateFormat::Compile("yyy-mm-dd"));  // a year of three letters
}

TEST(TextValues, FieldsReadAsTheirTypeOrAsNull) {
    const db::text::ValueStyle comma{',', nullptr};
    EXPECT_EQ(db::text::ReadValue(std::string("-1"), ftype::kBoolean, comma), db::Value(true));
    EXPECT_EQ(db::text::ReadValue(std::string("T"), ftype::kBoolean, comma), db::Value(true));
    EXPECT_EQ(db::text::ReadValue(std::string("no"), ftype::kBoolean, comma), db::Value(false));
    EXPECT_EQ(db::text::ReadValue(std::string("?"), ftype::kBoolean, comma), db::Value());
    EXPECT_EQ(db::text::ReadValue(std::string(" -12 "), ftype::kLong, comma),
              db::Value(std::int64_t{-12}));
    EXPECT_EQ(db::text::ReadValue(std::string("1,5"), ftype::kDouble, comma), db::Value(1.5));
    EXPECT_EQ(db::text::ReadValue(std::string("1.5"), ftype::kDouble, comma), db::Value());
    EXPECT_EQ(db::text::ReadValue(std::string("inf"), ftype::kDouble, comma), db::Value());
    EXPECT_EQ(db::text::ReadValue(std::nullopt, ftype::kText, comma), db::Value());
    EXPECT_EQ(db::text::ReadValue(std::string(""), ftype::kText, comma), db::Value(std::string()));
}

TEST(TextValues, WrittenValuesFollowTheFieldAndRefuseWhatItCannotHold) {
    const db::text::ValueStyle comma{',', nullptr};
    db::FieldInfo field{"F", ftype::kDouble, 0, 0, false};
    EXPECT_EQ(db::text::WriteValue(2.25, field, comma, "t"), "2,25");
    field.type = ftype::kCurrency;
    EXPECT_EQ(db::text::WriteValue(1.23456, field, comma, "t"), "1,2346");
    field.type = ftype::kBoolean;
    EXPECT_EQ(db::text::WriteValue(std::int64_t{-1}, field, comma, "t"), "True");
    EXPECT_EQ(db::text::WriteValue(db::Value(), field, comma, "t"), std::nullopt);
    field.type = ftype::kInteger;
    EXPECT_EQ(db::text::WriteValue(std::int64_t{-32768}, field, comma, "t"), "-32768");
    EXPECT_EQ(ErrorNumber([&] { db::text::WriteValue(std::int64_t{32768}, field, comma, "t"); }),
              err::kNumericOverflow);
    EXPECT_EQ(ErrorNumber([&] { db::text::WriteValue(std::string("x"), field, comma, "t"); }),
              err::kDataTypeMismatch);
    field.type = ftype::kDate;
    EXPECT_EQ(db::text::WriteValue(std::string("2100-02-28"), field, comma, "t"), "2100-02-28");
    EXPECT_EQ(
        ErrorNumber([&] { db::text::WriteValue(std::string("2100-02-29"), field, comma, "t"); }),
        err::kDataTypeMismatch);
}

}  // namespace
}  // namespace tessel::test::text_tests
