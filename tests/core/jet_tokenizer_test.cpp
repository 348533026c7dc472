// The tokenizer under the Jet SQL layer, and the reading of connect and connection texts.
#include <gtest/gtest.h>

#include "core/db/connection_text.h"
#include "core/db/connection_types.h"
#include "core/db/engine.h"
#include "core/db/jetsql/tokenizer.h"
#include "core/db/jetsql/type_map.h"

namespace tessel::test::platform_tests {
namespace {

using db::jetsql::Token;
using db::jetsql::Tokenize;
using db::jetsql::TokenKind;

std::vector<std::string> Values(const std::vector<Token>& tokens) {
    std::vector<std::string> values;
    for (const auto& token : tokens)
        values.push_back(token.Value());
    return values;
}

TEST(JetTokenizer, QuotesBracketsAndCommentsAreSingleTokensOrSkipped) {
    const auto tokens = Tokenize(
        "SELECT [a b], \"c\"\"d\", 'it''s; -- no', `e` -- comment ; 'x'\n/* block ; */ FROM t");
    EXPECT_EQ(Values(tokens), (std::vector<std::string>{"SELECT", "a b", ",", "c\"d", ",",
                                                        "it's; -- no", ",", "e", "FROM", "t"}));
    EXPECT_EQ(tokens[1].kind, TokenKind::QuotedName);
    EXPECT_EQ(tokens[5].kind, TokenKind::String);
    EXPECT_TRUE(tokens[0].IsWord("select"));
    EXPECT_FALSE(tokens[1].IsWord("a b"));
}

TEST(JetTokenizer, NumbersDatesAndSymbols) {
    const auto tokens = Tokenize("x>=1.5e3 AND y<>#1/2/2003 10:00# OR z=0x1F||.5");
    EXPECT_EQ(Values(tokens),
              (std::vector<std::string>{"x", ">=", "1.5e3", "AND", "y", "<>", "1/2/2003 10:00",
                                        "OR", "z", "=", "0x1F", "||", ".5"}));
    EXPECT_EQ(tokens[2].kind, TokenKind::Number);
    EXPECT_EQ(tokens[6].kind, TokenKind::Date);
    EXPECT_EQ(tokens[12].kind, TokenKind::Number);
}

TEST(JetTokenizer, UnfinishedQuotesAndLoneHashes) {
    auto tokens = Tokenize("SELECT 'abc");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, TokenKind::Unfinished);
    tokens = Tokenize("a # b");
    EXPECT_EQ(Values(tokens), (std::vector<std::string>{"a", "#", "b"}));
    tokens = Tokenize("[never closed");
    EXPECT_EQ(tokens[0].kind, TokenKind::Unfinished);
    // Offsets point into the text.
    const std::string text = "  SELECT  x";
    tokens = Tokenize(text);
    EXPECT_EQ(text.substr(tokens[1].begin, tokens[1].end - tokens[1].begin), "x");
}

TEST(JetConnectText, DefaultConnectAndPasswords) {
    EXPECT_EQ(db::FamilyOfConnect(""), db::Family::Access);
    EXPECT_EQ(db::FamilyOfConnect(";pwd=x"), db::Family::Access);
    EXPECT_EQ(db::FamilyOfConnect("Dbase IV;"), db::Family::Dbase);
    EXPECT_EQ(db::FamilyOfConnect("excel 8.0;HDR=YES;"), db::Family::Excel);
    EXPECT_EQ(db::FamilyOfConnect("Paradox 9.X;"), std::nullopt);
    EXPECT_EQ(db::ConnectValue(";pwd=a;PWD=b", "pwd").value_or("?"), "b");
    EXPECT_EQ(db::ConnectValue(";LANGID=0x0409;CP=1252", "pwd").value_or("none"), "none");
    EXPECT_EQ(db::ConnectValue(";pwd=", "pwd").value_or("?"), "");
}

TEST(JetConnectText, PasswordsLeftOutKeepTheRestAsWritten) {
    EXPECT_EQ(db::WithoutPasswords(";pwd=a;PWD=b"), ";");
    EXPECT_EQ(db::WithoutPasswords(";LANGID=0x0409; Pwd = 'a;b' ;CP=1252"),
              ";LANGID=0x0409;CP=1252");
    EXPECT_EQ(db::WithoutPasswords("ODBC;DSN=Shop;UID=sa;PASSWORD={x;y};"),
              "ODBC;DSN=Shop;UID=sa;");
    EXPECT_EQ(db::WithoutPasswords("Provider=MSDASQL.1;Extended Properties=DSN=Shop;PWD=s;"),
              "Provider=MSDASQL.1;Extended Properties=DSN=Shop;");
    EXPECT_EQ(db::WithoutPasswords("Excel 5.0;HDR=YES;"), "Excel 5.0;HDR=YES;");
}

TEST(JetConnectText, ConnectionStrings) {
    auto target = db::ParseConnectionString(
        "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=/data/my shop.mdb;");
    EXPECT_EQ(target.dataSource, "MS Access 97 Database");
    EXPECT_EQ(target.file, "/data/my shop.mdb");
    target = db::ParseConnectionString("PROVIDER=MSDASQL.1;DSN=Shop;UID=sa;PWD=;");
    EXPECT_EQ(target.dataSource, "Shop");
    EXPECT_EQ(target.user, "sa");
    EXPECT_EQ(target.password, "");
    target = db::ParseConnectionString(
        "Provider=MSDASQL.1;Extended Properties=\"DSN=x;DBQ={/a;b.mdb}\";Driver={SQL Server};");
    EXPECT_EQ(target.dataSource, "x");
    EXPECT_EQ(target.file, "/a;b.mdb");
    EXPECT_EQ(target.driver, "SQL Server");
}

TEST(JetTypeMap, DerivedTypesOfOtherToolsDeclarations) {
    using db::jetsql::DeriveFromDeclared;
    namespace ftype = db::ftype;
    EXPECT_EQ(DeriveFromDeclared("NVARCHAR(40)").code, ftype::kText);
    EXPECT_EQ(DeriveFromDeclared("NVARCHAR(40)").size, 40);
    EXPECT_EQ(DeriveFromDeclared("varchar").size, 255);
    EXPECT_EQ(DeriveFromDeclared("TEXT(12)").code, ftype::kText);
    EXPECT_EQ(DeriveFromDeclared("UNSIGNED BIG INT").code, ftype::kBigInt);
    EXPECT_EQ(DeriveFromDeclared("MEDIUMINT").code, ftype::kLong);
    EXPECT_EQ(DeriveFromDeclared("STRING").code, ftype::kDecimal);  // SQLite's NUMERIC affinity
    // SQLite's rules read "INT" before "FLOA": this is an integer column to SQLite too.
    EXPECT_EQ(DeriveFromDeclared("FLOATING POINT").code, ftype::kLong);
    EXPECT_EQ(DeriveFromDeclared("  double precision ").code, ftype::kDouble);
    EXPECT_EQ(DeriveFromDeclared("").code, ftype::kLongBinary);
}

}  // namespace
}  // namespace tessel::test::platform_tests
