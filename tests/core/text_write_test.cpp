// Changing a directory of text files: CREATE TABLE writes the file and its schema.ini section,
// INSERT appends, UPDATE and DELETE rewrite, DROP and rename take the section along, a failing
// statement leaves the file byte for byte as it was, and what was written reads back the same
// through a fresh store.
#include <gtest/gtest.h>

#include <chrono>

#include "core/db/drivers/text/text_store.h"
#include "text_test_util.h"

namespace tessel::test::text_tests {
namespace {

namespace err = db::err;

class TextWrite : public testing::Test {
  protected:
    TextDirectory dir;
};

TEST_F(TextWrite, CreateTableWritesTheHeaderAndTheSection) {
    dir.Write("schema.ini", "; kept\n[other.csv]\nColNameHeader=False\n\n");
    dir.Run(
        "CREATE TABLE [people#csv] (ID LONG, [Full Name] TEXT(40), Born DATETIME, "
        "Paid BIT, Rate DOUBLE, Note MEMO, Small BYTE, Count SHORT, Price CURRENCY, "
        "Ratio SINGLE)");
    EXPECT_EQ(dir.Read("people.csv"),
              "ID,Full Name,Born,Paid,Rate,Note,Small,Count,Price,Ratio\r\n");
    EXPECT_EQ(dir.Read("schema.ini"),
              "; kept\n[other.csv]\nColNameHeader=False\n\n"
              "[people.csv]\r\nColNameHeader=True\r\nFormat=CSVDelimited\r\n"
              "CharacterSet=65001\r\nCol1=ID Long\r\nCol2=\"Full Name\" Text Width 40\r\n"
              "Col3=Born DateTime\r\nCol4=Paid Bit\r\nCol5=Rate Double\r\nCol6=Note Memo\r\n"
              "Col7=Small Byte\r\nCol8=Count Short\r\nCol9=Price Currency\r\n"
              "Col10=Ratio Single\r\n");
    dir.Run("CREATE TABLE plain (A TEXT(5))");
    EXPECT_EQ(dir.Read("plain.csv"), "A\r\n");
    EXPECT_EQ(dir.Fails("CREATE TABLE [plain#csv] (B LONG)"), err::kObjectExists);
    dir.Run("CREATE TABLE [log#txt] (A LONG)");
    EXPECT_EQ(dir.Read("log.txt"), "A\r\n");
}

TEST_F(TextWrite, RowsWrittenReadBackTheSameFromAFreshStore) {
    // A name without "#csv" makes a .csv file, named with it afterwards.
    dir.Run("CREATE TABLE people (ID LONG, Name TEXT(10), Born DATETIME, Paid BIT, Rate DOUBLE)");
    dir.Run("INSERT INTO [people#csv] VALUES (1, 'Ann, \"A\"', #2/29/2000#, True, 1.5)");
    dir.Run("INSERT INTO [people#csv] VALUES (2, '', #1/1/1900#, False, -2)");
    dir.Run("INSERT INTO [people.csv] (ID) VALUES (3)");
    EXPECT_EQ(dir.Read("people.csv"),
              "ID,Name,Born,Paid,Rate\r\n"
              "1,\"Ann, \"\"A\"\"\",2000-02-29,True,1.5\r\n"
              "2,\"\",1900-01-01,False,-2\r\n"
              "3,,,,\r\n");
    db::text::TextStore fresh(dir.Path());
    auto scan = fresh.Scan("people#csv", {});
    ASSERT_TRUE(scan->Next());
    EXPECT_EQ(std::get<std::string>(scan->Get(1)), "Ann, \"A\"");
    EXPECT_EQ(std::get<std::string>(scan->Get(2)), "2000-02-29");
    EXPECT_EQ(std::get<bool>(scan->Get(3)), true);
    ASSERT_TRUE(scan->Next());
    EXPECT_EQ(std::get<std::string>(scan->Get(1)), "");
    ASSERT_TRUE(scan->Next());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(scan->Get(1)));
    EXPECT_FALSE(scan->Next());

    dir.Run("UPDATE [people#csv] SET Name = 'Bo' & Chr(10) & 'b', Rate = Rate * 2 WHERE ID = 2");
    dir.Run("DELETE FROM [people#csv] WHERE ID = 1");
    EXPECT_EQ(dir.Read("people.csv"),
              "ID,Name,Born,Paid,Rate\r\n"
              "2,\"Bo\nb\",1900-01-01,False,-4\r\n"
              "3,,,,\r\n");
    EXPECT_EQ(dir.Q("SELECT ID, Name FROM [people#csv] ORDER BY ID"),
              (Rows{{"2", "Bo\nb"}, {"3", "<null>"}}));
}

TEST_F(TextWrite, ValuesFollowTheSectionsFormatAndRefuseWhatTheFieldCannotHold) {
    dir.Write("schema.ini",
              "[euro.txt]\r\nFormat=Delimited(;)\r\nCharacterSet=1252\r\nDecimalSymbol=,\r\n"
              "DateTimeFormat=dd.mm.yyyy\r\nCol1=Name Text Width 4\r\nCol2=Amount Double\r\n"
              "Col3=Day Date\r\nCol4=Small Byte\r\n");
    dir.Write("euro.txt", "Name;Amount;Day;Small\r\n");
    dir.Run("INSERT INTO [euro#txt] VALUES ('Caf\xC3\xA9', 2.5, #2004-02-29#, 7)");
    EXPECT_EQ(dir.Read("euro.txt"), "Name;Amount;Day;Small\r\n\"Caf\xE9\";2,5;29.02.2004;7\r\n");
    EXPECT_EQ(dir.Fails("INSERT INTO [euro#txt] VALUES ('toolong', 1, Null, 1)"),
              err::kFieldTooSmall);
    EXPECT_EQ(dir.Fails("INSERT INTO [euro#txt] VALUES ('a', 1, Null, 256)"),
              err::kNumericOverflow);
    EXPECT_EQ(dir.Fails("INSERT INTO [euro#txt] VALUES ('\xE2\x9C\x93', 1, Null, 1)"),
              err::kDataTypeMismatch);
    EXPECT_EQ(dir.Q("SELECT Name, Amount, Day, Small FROM [euro#txt]"),
              (Rows{{"Caf\xC3\xA9", "2.5", "2004-02-29", "7"}}));
}

TEST_F(TextWrite, AFailingStatementLeavesTheFileByteForByte) {
    const std::string before = "ID,Code\r\n1,a\r\n2,b\r\n3,c\r\n";
    dir.Write("schema.ini", "[codes.csv]\r\nCol1=ID Long\r\nCol2=Code Text Width 3\r\n");
    dir.Write("codes.csv", before);
    // The third row is too long for its field: the two rows before it are not kept either.
    EXPECT_EQ(dir.Fails("INSERT INTO [codes#csv] SELECT * FROM (SELECT 4, 'd' UNION ALL "
                        "SELECT 5, 'e' UNION ALL SELECT 6, 'toolong')"),
              err::kFieldTooSmall);
    EXPECT_EQ(dir.Read("codes.csv"), before);
    EXPECT_EQ(dir.Fails("UPDATE [codes#csv] SET Code = IIf(ID = 3, 'toolong', 'x')"),
              err::kFieldTooSmall);
    EXPECT_EQ(dir.Read("codes.csv"), before);

    auto connection = dir.Connect();
    connection->Execute("BEGIN");
    connection->Execute("DELETE FROM [codes#csv] WHERE ID = 1");
    connection->Execute("INSERT INTO [codes#csv] VALUES (9, 'z')");
    EXPECT_EQ(platform_tests::ReadRows(*connection->Execute("SELECT ID FROM [codes#csv]")),
              (Rows{{"2"}, {"3"}, {"9"}}));
    connection->Execute("ROLLBACK");
    EXPECT_EQ(dir.Read("codes.csv"), before);
}

TEST_F(TextWrite, SingleRowInsertsAppendWithoutRewritingTheFile) {
    dir.Run("CREATE TABLE [log#csv] (ID LONG, Text TEXT(20))");
    auto connection = dir.Connect();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= 10000; ++i)
        connection->Execute("INSERT INTO [log#csv] VALUES (" + std::to_string(i) + ", 'row')");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(seconds.count(), 60.0);
    EXPECT_EQ(dir.Q("SELECT count(*), sum(ID) FROM [log#csv]"), (Rows{{"10000", "50005000"}}));
    const std::string bytes = dir.Read("log.csv");
    EXPECT_EQ(bytes.substr(bytes.size() - 15), "\r\n10000,\"row\"\r\n");
}

TEST_F(TextWrite, AnAppendToALastLineWithoutLineEndStartsANewLine) {
    dir.Write("open.csv", "ID\r\n1");
    dir.Run("INSERT INTO [open#csv] VALUES (2)");
    EXPECT_EQ(dir.Read("open.csv"), "ID\r\n1\r\n2\r\n");
}

TEST_F(TextWrite, DropAndRenameTakeTheSectionAlongAndKeepTheOthers) {
    const std::string others = "[a.csv]\r\nColNameHeader=True\r\n; note\r\n";
    dir.Write("schema.ini", others);
    dir.Run("CREATE TABLE [t#csv] (ID LONG)");
    dir.Run("INSERT INTO [t.csv] VALUES (5)");
    auto db = dir.Open();
    db->RenameTable("t#csv", "u");
    EXPECT_EQ(dir.Read("t.csv"), "");
    EXPECT_EQ(dir.Read("u.csv"), "ID\r\n5\r\n");
    EXPECT_EQ(dir.Read("schema.ini"), others +
                                          "[u.csv]\r\nColNameHeader=True\r\nFormat=CSVDelimited\r\n"
                                          "CharacterSet=65001\r\nCol1=ID Long\r\n");
    EXPECT_EQ(dir.Q("SELECT ID FROM [u#csv]"), (Rows{{"5"}}));
    dir.Run("DROP TABLE [u.csv]");
    EXPECT_EQ(dir.Read("u.csv"), "");
    EXPECT_EQ(dir.Read("schema.ini"), others);
    EXPECT_EQ(dir.Fails("DROP TABLE [u#csv]"), err::kNoSuchTable);
}

TEST_F(TextWrite, IndexesAndRequiredFieldsAreRefusedClearly) {
    std::string description;
    EXPECT_EQ(dir.Fails("CREATE TABLE t (ID LONG PRIMARY KEY)", &description), err::kNotSupported);
    EXPECT_NE(description.find("index"), std::string::npos) << description;
    EXPECT_EQ(dir.Fails("CREATE TABLE t (ID LONG NOT NULL)"), err::kNotSupported);
    EXPECT_EQ(dir.Fails("CREATE TABLE t (ID GUID)"), err::kInvalidFieldType);
    EXPECT_EQ(dir.Read("t.csv"), "");
    dir.Run("CREATE TABLE t (ID LONG)");
    EXPECT_EQ(dir.Fails("CREATE INDEX i ON [t#csv] (ID)"), err::kNotSupported);
}

}  // namespace
}  // namespace tessel::test::text_tests
