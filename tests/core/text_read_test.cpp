// Reading a directory of text files: quoting, line ends, byte-order marks and code pages,
// schema.ini in every format and type, the types judged from the data, both table names, and
// damaged files that fail clearly while the other tables still read.
#include <gtest/gtest.h>

#include "text_test_util.h"

namespace tessel::test::text_tests {
namespace {

namespace err = db::err;
namespace ftype = db::ftype;

class TextRead : public testing::Test {
  protected:
    // The type codes of a table's fields, in order.
    std::vector<int> Types(const std::string& table) {
        std::vector<int> types;
        for (const auto& field : dir.Open()->Fields(table))
            types.push_back(field.type);
        return types;
    }
    TextDirectory dir;
};

TEST_F(TextRead, QuotedFieldsKeepDelimitersQuotesAndLineBreaks) {
    dir.Write("notes.csv",
              "ID,Text,Tail\r\n"
              "1,\"a, b\",x\r\n"
              "2,\"say \"\"hi\"\"\",y\n"
              "\r\n"
              "3,\"two\r\nlines\",z\r\n"
              "\n"
              "4,short\r\n"
              "5,long,w,extra,fields\r\n");
    EXPECT_EQ(dir.Q("SELECT ID, Text, Tail FROM [notes#csv] ORDER BY ID"),
              (Rows{{"1", "a, b", "x"},
                    {"2", "say \"hi\"", "y"},
                    {"3", "two\r\nlines", "z"},
                    {"4", "short", "<null>"},
                    {"5", "long", "w"}}));
}

TEST_F(TextRead, ByteOrderMarkAndWindows1252BytesReadAsText) {
    dir.Write("names.csv", "\xEF\xBB\xBFName,City\r\nZo\xC3\xAB,Z\xFCrich\r\nCaf\xE9,\x80uro\r\n");
    EXPECT_EQ(dir.Q("SELECT Name, City FROM [names#csv]"),
              (Rows{{"Zo\xC3\xAB", "Z\xC3\xBCrich"}, {"Caf\xC3\xA9", "\xE2\x82\xACuro"}}));
}

TEST_F(TextRead, TablesAreNamedWithHashAndByTheirFileName) {
    dir.Write("orders.csv", "ID\r\n1\r\n");
    dir.Write("Items.TXT", "ID\r\n2\r\n");
    dir.Write("codes.tab", "ID\tName\r\n3\tc\r\n");
    dir.Write("readme.md", "not a table");
    const auto db = dir.Open();
    EXPECT_EQ(platform_tests::UserTables(*db),
              (std::vector<std::string>{"Items#TXT", "codes#tab", "orders#csv"}));
    EXPECT_EQ(dir.Q("SELECT ID FROM [orders.csv]"), (Rows{{"1"}}));
    EXPECT_EQ(dir.Q("SELECT ID FROM [orders#csv]"), (Rows{{"1"}}));
    EXPECT_EQ(dir.Q("SELECT ID FROM [items#txt]"), (Rows{{"2"}}));
    EXPECT_EQ(dir.Q("SELECT Name FROM [codes.tab]"), (Rows{{"c"}}));
}

TEST_F(TextRead, TypesAreJudgedFromTheFirstRows) {
    std::string text = "Whole,Real,Big,Day,Word,Empty,Late\r\n";
    for (int i = 1; i <= 30; ++i) {
        text += std::to_string(i - 15) + "," + std::to_string(i) + ".5,2147483648," +
                "2000-02-29,w" + std::to_string(i) + ",," + (i == 26 ? "late" : std::to_string(i)) +
                "\r\n";
    }
    dir.Write("data.csv", text);
    EXPECT_EQ(Types("data#csv"),
              (std::vector<int>{ftype::kLong, ftype::kDouble, ftype::kDouble, ftype::kDate,
                                ftype::kText, ftype::kText, ftype::kLong}));
    EXPECT_EQ(dir.Q("SELECT Whole, Real, Big, Day, Empty FROM [data#csv] WHERE Whole < -13"),
              (Rows{{"-14", "1.5", "2147483648", "2000-02-29", "<null>"}}));
    // Row 26 is past the 25 rows that were looked at: its text reads as Null in a Long field.
    EXPECT_EQ(dir.Q("SELECT Late FROM [data#csv] WHERE Whole = 11"), (Rows{{"<null>"}}));
    EXPECT_EQ(dir.Q("SELECT count(Late) FROM [data#csv]"), (Rows{{"29"}}));

    dir.Write("schema.ini", "[data.csv]\r\nMaxScanRows=0\r\n");
    EXPECT_EQ(Types("data#csv").back(), ftype::kText);
    EXPECT_EQ(dir.Q("SELECT Late FROM [data#csv] WHERE Whole = 11"), (Rows{{"late"}}));
}

TEST_F(TextRead, LongTextsMakeAMemoAndFilesWithoutHeaderNameFieldsF1) {
    dir.Write("schema.ini", "[plain.txt]\r\nColNameHeader=False\r\n");
    dir.Write("plain.txt", "1," + std::string(300, 'x') + "\r\n2,y,true\r\n");
    const auto fields = dir.Open()->Fields("plain#txt");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].name, "F1");
    EXPECT_EQ(fields[1].type, ftype::kMemo);
    // Booleans are never guessed.
    EXPECT_EQ(fields[2].name, "F3");
    EXPECT_EQ(fields[2].type, ftype::kText);
    EXPECT_EQ(dir.Q("SELECT F1, length(F2) FROM [plain#txt] ORDER BY F1"),
              (Rows{{"1", "300"}, {"2", "1"}}));
}

TEST_F(TextRead, SchemaIniGivesFormatsTypesAndCodePages) {
    dir.Write("schema.ini",
              "; sections of every kind\r\n"
              "[semi.txt]\r\n"
              "Format=Delimited(;)\r\n"
              "ColNameHeader=False\r\n"
              "CharacterSet=ANSI\r\n"
              "DecimalSymbol=,\r\n"
              "DateTimeFormat=dd.mm.yyyy\r\n"
              "Col1=Flag Bit\r\nCol2=Small Byte\r\nCol3=Count Short\r\nCol4=Amount Long\r\n"
              "Col5=Price Currency\r\nCol6=Ratio Single\r\nCol7=Value Double\r\n"
              "Col8=Day DateTime\r\nCol9=\"Full Name\" Text Width 10\r\nCol10=Note Memo\r\n"
              "[FIXED.TXT]\r\n"
              "format=fixedlength\r\n"
              "colnameheader=false\r\n"
              "CharacterSet=OEM\r\n"
              "Col1=Code Char Width 3\r\nCol2=Name Text Width 6\r\nCol3=Qty Integer Width 4\r\n"
              "[tabs.tab]\r\nFormat=TabDelimited\r\nCharacterSet=65001\r\n"
              "Col1=A Long\r\nCol2=B LongChar\r\n");
    dir.Write("semi.txt",
              "-1;255;-32768;2147483647;12,5;0,25;1,5e3;29.02.1900;Caf\xE9;x\r\n"
              "T;0;1;2;3;4;5;01.03.2000;;\r\n"
              "?;;;;;;;31.02.2001;;\r\n");
    dir.Write("fixed.txt", "AB Zo\x89   12\r\nCDEName    7\r\n");
    dir.Write("tabs.tab", "A\tB\r\n1\tone\ttwo\r\n");

    EXPECT_EQ(Types("semi#txt"),
              (std::vector<int>{ftype::kBoolean, ftype::kByte, ftype::kInteger, ftype::kLong,
                                ftype::kCurrency, ftype::kSingle, ftype::kDouble, ftype::kDate,
                                ftype::kText, ftype::kMemo}));
    EXPECT_EQ(dir.Open()->Fields("semi#txt")[8].name, "Full Name");
    EXPECT_EQ(dir.Open()->Fields("semi#txt")[8].size, 10);
    // 1900 is no leap year: 29.02.1900 is no date and reads as Null, as does 31.02.2001.
    EXPECT_EQ(dir.Q("SELECT Flag, Small, Count, Amount, Price, Ratio, Value, Day, [Full Name], "
                    "Note FROM [semi#txt]"),
              (Rows{{"1", "255", "-32768", "2147483647", "12.5", "0.25", "1500", "<null>",
                     "Caf\xC3\xA9", "x"},
                    {"1", "0", "1", "2", "3", "4", "5", "2000-03-01", "<null>", "<null>"},
                    {"<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>",
                     "<null>", "<null>"}}));
    EXPECT_EQ(dir.Q("SELECT Code, Name, Qty FROM [fixed#txt]"),
              (Rows{{"AB", "Zo\xC3\xAB", "12"}, {"CDE", "Name", "7"}}));
    EXPECT_EQ(dir.Q("SELECT A, B FROM [tabs#tab]"), (Rows{{"1", "one"}}));
}

TEST_F(TextRead, FixedLengthWithoutWidthsIsAClearError) {
    dir.Write("schema.ini", "[fixed.txt]\r\nFormat=FixedLength\r\nCol1=Code Text\r\n");
    dir.Write("fixed.txt", "AB\r\n");
    dir.Write("good.csv", "ID\r\n1\r\n");
    std::string description;
    EXPECT_EQ(dir.Fails("SELECT * FROM [fixed#txt]", &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find("schema.ini"), std::string::npos) << description;
    EXPECT_NE(description.find("Width"), std::string::npos) << description;
    EXPECT_EQ(dir.Q("SELECT ID FROM [good#csv]"), (Rows{{"1"}}));
}

TEST_F(TextRead, DamagedFilesNameFileAndLineAndLeaveTheOthersReadable) {
    dir.Write("good.csv", "ID\r\n1\r\n");
    dir.Write("open.csv", "ID,Name\r\n1,a\r\n2,\"never closed\r\n3,c\r\n");
    dir.Write("schema.ini", "[coded.csv]\r\nCharacterSet=Klingon\r\n");
    dir.Write("coded.csv", "ID\r\n1\r\n");

    std::string description;
    EXPECT_EQ(dir.Fails("SELECT * FROM [open#csv]", &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find(dir.File("open.csv")), std::string::npos) << description;
    EXPECT_NE(description.find("line 3"), std::string::npos) << description;

    EXPECT_EQ(dir.Fails("SELECT * FROM [coded#csv]", &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find("Klingon"), std::string::npos) << description;

    EXPECT_EQ(platform_tests::UserTables(*dir.Open()),
              (std::vector<std::string>{"coded#csv", "good#csv", "open#csv"}));
    EXPECT_EQ(dir.Q("SELECT ID FROM [good#csv]"), (Rows{{"1"}}));
}

TEST_F(TextRead, AnOverlongLineIsADamagedFile) {
    dir.Write("huge.csv", "ID,Text\r\n1,a\r\n2," + std::string(40u << 20, 'x') + "\r\n");
    std::string description;
    EXPECT_EQ(dir.Fails("SELECT count(*) FROM [huge#csv]", &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find("line 3"), std::string::npos) << description;
}

TEST_F(TextRead, AChangeByAnotherProgramIsSeenByTheNextStatement) {
    dir.Write("live.csv", "ID\r\n1\r\n");
    auto connection = dir.Connect();
    EXPECT_EQ(platform_tests::ReadRows(*connection->Execute("SELECT ID FROM [live#csv]")),
              (Rows{{"1"}}));
    dir.Write("live.csv", "ID\r\n7\r\n8\r\n");
    EXPECT_EQ(platform_tests::ReadRows(*connection->Execute("SELECT ID FROM [live#csv]")),
              (Rows{{"7"}, {"8"}}));
}

TEST_F(TextRead, AMillionLinesScanInBoundedMemory) {
    std::string text = "ID,Name,Amount\r\n";
    text.reserve(30u << 20);
    for (int i = 0; i < 1000000; ++i)
        text += std::to_string(i) + ",name" + std::to_string(i % 100) + "," +
                std::to_string(i % 7) + ".25\r\n";
    dir.Write("big.csv", text);
    text.clear();
    text.shrink_to_fit();
    EXPECT_EQ(dir.Q("SELECT count(*), sum(Amount) FROM [big#csv] WHERE Name = 'name5'"),
              (Rows{{"10000", "32499"}}));
}

}  // namespace
}  // namespace tessel::test::text_tests
