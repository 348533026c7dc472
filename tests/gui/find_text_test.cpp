// The search step: offsets, directions, match case, repeated searches from the last match.
#include <gtest/gtest.h>

#include "app/workspace/find_text.h"

namespace tessel::app {
namespace {

struct Editor {
    explicit Editor(QString text, int caret = 0) : text(std::move(text)), start(caret) {}

    QString text;
    int start = 0;
    int length = 0;
    FindState find;

    // Begins a search as the find dialog does, then makes one step.
    bool Search(const std::string& needle, int direction, bool matchCase = false) {
        find.findText = needle;
        find.direction = direction;
        find.matchCase = matchCase;
        find.newSearch = true;
        return Next();
    }
    // Find next (F3).
    bool Next() {
        FindResult result = FindStep(text, start, length, find);
        start = result.selectionStart;
        length = result.selectionLength;
        return result.found;
    }
};

TEST(FindTextTest, DownwardFindsEachOccurrenceThenReportsTheEnd) {
    Editor e("abab");
    ASSERT_TRUE(e.Search("ab", 1));
    EXPECT_EQ(e.start, 0);
    EXPECT_EQ(e.length, 2);
    ASSERT_TRUE(e.Next());
    EXPECT_EQ(e.start, 2);
    EXPECT_EQ(e.length, 2);
    EXPECT_FALSE(e.Next());
    // The selection stays on the last match.
    EXPECT_EQ(e.start, 2);
    EXPECT_EQ(e.length, 2);
    EXPECT_EQ(e.find.lastFoundPosition, 2);
    EXPECT_FALSE(e.find.newSearch);
}

TEST(FindTextTest, UpwardFromTheEndFindsTheLastOccurrenceFirst) {
    Editor e("abab", 4);
    ASSERT_TRUE(e.Search("ab", 0));
    EXPECT_EQ(e.start, 2);
    ASSERT_TRUE(e.Next());
    EXPECT_EQ(e.start, 0);
    EXPECT_FALSE(e.Next());
    EXPECT_EQ(e.start, 0);
}

TEST(FindTextTest, WithoutMatchCaseBothTextsCompareInUpperCase) {
    Editor e("abab");
    ASSERT_TRUE(e.Search("AB", 1));
    EXPECT_EQ(e.start, 0);
    ASSERT_TRUE(e.Next());
    EXPECT_EQ(e.start, 2);

    Editor exact("abab");
    EXPECT_FALSE(exact.Search("AB", 1, true));
    EXPECT_EQ(exact.start, 0);
    EXPECT_EQ(exact.length, 0);

    Editor select("create table t; select * from t;");
    ASSERT_TRUE(select.Search("SELECT", 1));
    EXPECT_EQ(select.start, 16);
}

TEST(FindTextTest, UpwardAtTheVeryBeginningFindsNothingAndLeavesTheCaret) {
    Editor e("abab", 0);
    EXPECT_FALSE(e.Search("ab", 0));
    EXPECT_EQ(e.start, 0);
    EXPECT_EQ(e.length, 0);
}

TEST(FindTextTest, FirstUpwardSearchBeginsOneBeforeTheCaret) {
    Editor b("xab", 3);
    EXPECT_FALSE(b.Search("b", 0));
    Editor ab("xab", 3);
    ASSERT_TRUE(ab.Search("ab", 0));
    EXPECT_EQ(ab.start, 1);
    EXPECT_EQ(ab.length, 2);
}

TEST(FindTextTest, ANewSearchMayMatchAtTheCaretARepeatedOneMovesOn) {
    Editor e("abab", 2);
    ASSERT_TRUE(e.Search("ab", 1));
    EXPECT_EQ(e.start, 2);
    // The caret moved away from the last match: the next search is new again.
    Editor moved("abab ab", 0);
    ASSERT_TRUE(moved.Search("ab", 1));
    moved.start = 5;
    moved.length = 0;
    ASSERT_TRUE(moved.Next());
    EXPECT_EQ(moved.start, 5);
}

TEST(FindTextTest, UpperCasingKeepsPositionsWhereAWholeTextConversionWouldNot) {
    // "ß" would become "SS" in a whole-text conversion and move every later position.
    Editor e(QString::fromUtf8("straße ab"));
    ASSERT_TRUE(e.Search("AB", 1));
    EXPECT_EQ(e.start, 7);
}

TEST(FindTextTest, LineEndsCountOnceInTheEditorsPositions) {
    Editor e(QString("select 1;") + QChar(0x2029) + "select 2;");
    ASSERT_TRUE(e.Search("select", 1));
    ASSERT_TRUE(e.Next());
    EXPECT_EQ(e.start, 10);
}

TEST(FindTextTest, TheMessageQuotesTheTextAsTyped) {
    FindState state;
    state.findText = "AbC";
    EXPECT_EQ(CannotFindMessage(state).toStdString(), "Cannot find \"AbC\"");
}

}  // namespace
}  // namespace tessel::app
