// The page layout of a printed script, on a surface whose letters are all 100 twips wide and
// whose lines are 200 twips high, so that every position can be worked out by hand.
#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "app/printing/print_layout.h"
#include "fixed_pitch_surface.h"

namespace tessel::test::gui {
namespace {

using app::kPrintMarginTwips;

// A page of 5000 twips: lines may end before 4150, so 33 letters fit after the margin.
constexpr double kNarrow = 5000;
// 20 lines of 200 fit between 850 and 5700 - 850.
constexpr double kTall = 5700;

TEST(PrintLayoutTest, ALongLineWrapsBetweenWordsAndTheSpacesStayOnTheFirstLine) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    // 10 + 3 spaces + 10 + 3 spaces reach 850 + 2600 = 3450; the third word would end at 4450.
    pages.PrintText("aaaaaaaaaa   bbbbbbbbbb   cccccccccc dd");
    ASSERT_EQ(surface.drawn.size(), 4u);
    EXPECT_EQ(surface.drawn[0].x, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[0].y, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[1].x, kPrintMarginTwips + 1300);
    EXPECT_EQ(surface.drawn[1].y, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[2].text, "cccccccccc");
    EXPECT_EQ(surface.drawn[2].x, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[2].y, kPrintMarginTwips + kLine);
    // The spaces before the wrapped word went to the end of the first line, not the second.
    EXPECT_EQ(surface.drawn[3].x, kPrintMarginTwips + 1100);
    EXPECT_EQ(surface.drawn[3].y, kPrintMarginTwips + kLine);
}

TEST(PrintLayoutTest, AWordThatEndsExactlyAtTheRightMarginStaysOnItsLine) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    // 850 + 3300 = 4150, the last position a word may end at.
    pages.PrintText(QString(33, 'a') + " b");
    ASSERT_EQ(surface.drawn.size(), 2u);
    EXPECT_EQ(surface.drawn[0].y, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[1].y, kPrintMarginTwips + kLine);

    FixedPitchSurface wider(kNarrow, kTall);
    app::TextPages more(wider);
    more.BeginCopy();
    more.PrintText("a " + QString(32, 'b'));
    ASSERT_EQ(wider.drawn.size(), 2u);
    EXPECT_EQ(wider.drawn[1].y, kPrintMarginTwips + kLine) << "2 + 32 letters end at 4250";
}

TEST(PrintLayoutTest, AWordWiderThanTheLineStandsOnItsOwnLineAndRunsIntoTheMargin) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    const QString wide(50, 'w');
    pages.PrintText(wide + " next\r\nx " + wide);
    ASSERT_EQ(surface.drawn.size(), 4u);
    // At the start of a line: printed there, without a blank line above it.
    EXPECT_EQ(surface.drawn[0].text, wide);
    EXPECT_EQ(surface.drawn[0].y, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[1].text, "next");
    EXPECT_EQ(surface.drawn[1].x, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[1].y, kPrintMarginTwips + kLine);
    // After another word: on the next line.
    EXPECT_EQ(surface.drawn[2].y, kPrintMarginTwips + 2 * kLine);
    EXPECT_EQ(surface.drawn[3].text, wide);
    EXPECT_EQ(surface.drawn[3].x, kPrintMarginTwips);
    EXPECT_EQ(surface.drawn[3].y, kPrintMarginTwips + 3 * kLine);
}

TEST(PrintLayoutTest, ABlankLineMovesDownTwoLinesAndLoneCrOrLfEndALine) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    pages.PrintText("one\r\n\r\ntwo\nthree\rfour\n\rfive\r\n  six");
    const std::vector<double> tops = {0, 2, 3, 4, 6, 7};
    ASSERT_EQ(surface.drawn.size(), tops.size());
    for (size_t i = 0; i < tops.size(); ++i) {
        EXPECT_EQ(surface.drawn[i].y, kPrintMarginTwips + tops[i] * kLine) << i;
    }
    // Leading spaces are kept: "six" starts two letters in.
    EXPECT_EQ(surface.drawn.back().x, kPrintMarginTwips + 2 * kLetter);
}

// Lines "line 1" to "line N", each ended by CR LF.
QString NumberedLines(int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QString("line %1\r\n").arg(i);
    return text;
}

TEST(PrintLayoutTest, ThreePagesCarryFootersOnTheFirstTwoAndASecondCopyStartsAtPageOne) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    for (int copy = 0; copy < 2; ++copy) {
        pages.BeginCopy();
        pages.PrintText(NumberedLines(50));
        surface.NewPage();
    }
    // 20 lines a page: 20, 20 and 10 lines.
    ASSERT_EQ(surface.OnPage(1).size(), 40u);
    ASSERT_EQ(surface.OnPage(2).size(), 40u);
    ASSERT_EQ(surface.OnPage(3).size(), 20u);
    EXPECT_EQ(surface.OnPage(2).front().text, "line");
    EXPECT_EQ(surface.OnPage(2)[1].text, "21");
    EXPECT_EQ(surface.OnPage(2).front().y, kPrintMarginTwips);
    EXPECT_EQ(surface.OnPage(1).back().y, kPrintMarginTwips + 19 * kLine);

    const std::vector<Drawn> footers = surface.Footers();
    ASSERT_EQ(footers.size(), 4u);
    const std::vector<std::pair<int, QString>> expected = {
        {1, "Page 1"}, {2, "Page 2"}, {4, "Page 1"}, {5, "Page 2"}};
    for (size_t i = 0; i < footers.size(); ++i) {
        EXPECT_EQ(footers[i].page, expected[i].first);
        EXPECT_EQ(footers[i].text, expected[i].second);
        // Centred, two footer heights below the text area.
        EXPECT_EQ(footers[i].x, (kNarrow - 600) / 2);
        EXPECT_EQ(footers[i].y, kTall - kPrintMarginTwips + 2 * kLine);
    }
    EXPECT_EQ(pages.PageNumber(), 2);
}

TEST(PrintLayoutTest, LineBreaksPastTheBottomBeginAPageWithoutFooter) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    // Line 20 ends the text area; 3 more line breaks run past it.
    pages.PrintText(NumberedLines(19) + "last\r\n\r\n\r\nafter");
    EXPECT_TRUE(surface.Footers().empty());
    EXPECT_EQ(surface.newPages, 1);
    ASSERT_EQ(surface.OnPage(2).size(), 1u);
    EXPECT_EQ(surface.OnPage(2)[0].text, "after");
    EXPECT_EQ(surface.OnPage(2)[0].y, kPrintMarginTwips);
}

TEST(PrintLayoutTest, AFullLastPageEndedByALineBreakAsksForOneMorePageButDrawsNothingOnIt) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    // The line end after the last line and one more move below the text area.
    pages.PrintText(NumberedLines(20) + "\r\n");
    EXPECT_EQ(surface.newPages, 1);
    EXPECT_TRUE(surface.OnPage(2).empty());
    EXPECT_TRUE(surface.Footers().empty());
}

TEST(PrintLayoutTest, AnEmptyTextDrawsNothing) {
    FixedPitchSurface surface(kNarrow, kTall);
    app::TextPages pages(surface);
    pages.BeginCopy();
    pages.PrintText("");
    EXPECT_TRUE(surface.drawn.empty());
    EXPECT_EQ(surface.newPages, 0);
    pages.PrintText("   ");
    EXPECT_TRUE(surface.drawn.empty());
}

TEST(PrintLayoutTest, TheFooterOfALargeFontStaysOnThePage) {
    // Lines of 400 twips: two footer heights below the text area, the footer would end at
    // 4850 + 800 + 400, below the page's 5700.
    FixedPitchSurface surface(kNarrow, kTall, 400);
    app::TextPages pages(surface);
    pages.BeginCopy();
    pages.PrintText(NumberedLines(30));
    const std::vector<Drawn> footers = surface.Footers();
    ASSERT_FALSE(footers.empty());
    EXPECT_EQ(footers[0].y, kTall - 400);
}

TEST(PrintLayoutTest, TheFooterIsPageAndTheNumber) {
    EXPECT_EQ(app::PageFooter(1), "Page 1");
    EXPECT_EQ(app::PageFooter(12), "Page 12");
}

}  // namespace
}  // namespace tessel::test::gui
