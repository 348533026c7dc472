// The pane rules in twips, without widgets: the main window's arrangement, the minimise and
// restore rule, the rules that run when a person drags a pane's border, and no negative size.
#include <gtest/gtest.h>

#include "app/workspace/pane_layout.h"
#include "app/workspace/twips.h"

namespace tessel::app {
namespace {

constexpr long kFrame = 120;  // a border of 60 twips on each side

// 1000 x 700 pixels at 96 dpi, with the panes where the start-up puts them.
PaneArrangement StartArrangement() {
    PaneArrangement a;
    a.mainInnerWidth = 15000;
    a.mainInnerHeight = 10500;
    a.outer = {TwipsRect{0, 0, 6000, 4000}, TwipsRect{0, 4000, 6000, 6500},
               TwipsRect{6000, 0, 9000, 3500}, TwipsRect{6000, 3500, 9000, 7000}};
    for (PaneFrame& frame : a.frame)
        frame = {kFrame, kFrame};
    return a;
}

long Bottom(const TwipsRect& r) {
    return r.top + r.height;
}
long Right(const TwipsRect& r) {
    return r.left + r.width;
}

void ExpectNoNegativeSize(const PaneArrangement& a) {
    for (const TwipsRect& r : a.outer) {
        EXPECT_GE(r.width, 0);
        EXPECT_GE(r.height, 0);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
    }
}

// The four panes fill the client area without gaps or overlaps.
void ExpectTiled(const PaneArrangement& a) {
    const TwipsRect& tree = a.Outer(Pane::Tree);
    const TwipsRect& editor = a.Outer(Pane::Editor);
    const TwipsRect& list = a.Outer(Pane::List);
    const TwipsRect& view = a.Outer(Pane::View);
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(tree.top, 0);
    EXPECT_EQ(editor.left, 0);
    EXPECT_EQ(editor.top, Bottom(tree));
    EXPECT_EQ(Bottom(editor), a.mainInnerHeight);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.left, Right(editor));
    EXPECT_EQ(view.left, Right(editor));
    EXPECT_EQ(Right(list), a.mainInnerWidth);
    EXPECT_EQ(Right(view), a.mainInnerWidth);
    EXPECT_EQ(view.top, Bottom(list));
    EXPECT_EQ(Bottom(view), a.mainInnerHeight);
}

TEST(PaneLayoutTest, NonNegativeKeepsSizesFromGoingBelowZero) {
    PaneArrangement a = StartArrangement();
    a.Outer(Pane::Tree).height = 50;
    EXPECT_EQ(a.InnerHeight(Pane::Tree), 0);
    EXPECT_EQ(a.InnerWidth(Pane::Tree), 6000 - kFrame);
}

TEST(PaneLayoutTest, MainWindowResizeTilesTheFourPanes) {
    PaneLayout layout(StartArrangement());
    layout.MainWindowResized(kWindowNormal);
    const PaneArrangement& a = layout.Arrangement();
    ExpectTiled(a);
    // The editor keeps its width and its inner height; the tree takes the rest above it.
    EXPECT_EQ(a.Outer(Pane::Editor).width, 6000);
    EXPECT_EQ(a.Outer(Pane::Editor).height, 6500);
    EXPECT_EQ(a.Outer(Pane::Tree).height, 4000);
    EXPECT_EQ(layout.PreviousWindowState(), kWindowNormal);
}

TEST(PaneLayoutTest, GrowingTheMainWindowGivesTheRoomToTreeAndRightPanes) {
    PaneLayout layout(StartArrangement());
    layout.MainWindowResized(kWindowNormal);
    PaneArrangement grown = layout.Arrangement();
    grown.mainInnerWidth = 18000;
    grown.mainInnerHeight = 12000;
    PaneLayout again(grown);
    again.MainWindowResized(kWindowMaximised);
    const PaneArrangement& a = again.Arrangement();
    ExpectTiled(a);
    EXPECT_EQ(a.Outer(Pane::Editor).height, 6500);
    EXPECT_EQ(a.Outer(Pane::Tree).height, 12000 - 6500);
    EXPECT_EQ(a.Outer(Pane::List).width, 18000 - 6000);
    EXPECT_EQ(again.PreviousWindowState(), kWindowMaximised);
}

TEST(PaneLayoutTest, MinimisingAndRestoringLeavesThePanesWhereTheyWere) {
    PaneLayout layout(StartArrangement());
    layout.MainWindowResized(kWindowNormal);
    PaneArrangement before = layout.Arrangement();

    PaneArrangement changed = before;
    changed.mainInnerWidth = 3000;
    changed.mainInnerHeight = 2000;
    PaneLayout minimised(changed, layout.PreviousWindowState());
    minimised.MainWindowResized(kWindowMinimised);
    EXPECT_EQ(minimised.Arrangement().outer, before.outer);
    EXPECT_EQ(minimised.PreviousWindowState(), kWindowMinimised);

    PaneLayout restored(minimised.Arrangement(), minimised.PreviousWindowState());
    restored.MainWindowResized(kWindowNormal);
    EXPECT_EQ(restored.Arrangement().outer, before.outer);
    EXPECT_EQ(restored.PreviousWindowState(), kWindowNormal);

    // The next resize lays them out again.
    PaneLayout next(restored.Arrangement(), restored.PreviousWindowState());
    next.MainWindowResized(kWindowNormal);
    EXPECT_NE(next.Arrangement().outer, before.outer);
    ExpectNoNegativeSize(next.Arrangement());
}

TEST(PaneLayoutTest, ShrinkingBelowTheEditorGivesZeroNotNegativeSizes) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement small = start.Arrangement();
    small.mainInnerWidth = 1500;
    small.mainInnerHeight = 1000;
    PaneLayout layout(small);
    layout.MainWindowResized(kWindowNormal);
    const PaneArrangement& a = layout.Arrangement();
    ExpectNoNegativeSize(a);
    EXPECT_EQ(a.InnerHeight(Pane::Tree), 0);
    // Nothing is left for the right-hand panes' client areas; their borders stay.
    EXPECT_EQ(a.InnerWidth(Pane::List), 0);
    EXPECT_EQ(a.InnerWidth(Pane::View), 0);
}

// A window made smaller first narrows and shortens the panes its rule keeps, so that the panes
// it sizes from what is left keep their least size.
TEST(PaneLayoutTest, AShrunkWindowLeavesEveryPaneItsLeastSize) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement small = start.Arrangement();
    small.mainInnerWidth = 2 * kLeastPaneWidthTwips + 300;
    small.mainInnerHeight = 2 * kLeastPaneHeightTwips + 200;
    LeaveRoomForEveryPane(small);
    PaneLayout layout(small);
    layout.MainWindowResized(kWindowNormal);
    const PaneArrangement& a = layout.Arrangement();
    ExpectTiled(a);
    for (const TwipsRect& r : a.outer) {
        EXPECT_GE(r.width, kLeastPaneWidthTwips);
        EXPECT_GE(r.height, kLeastPaneHeightTwips - kFrame);
    }

    // A window with room to spare keeps the panes as the person left them.
    PaneArrangement roomy = start.Arrangement();
    LeaveRoomForEveryPane(roomy);
    EXPECT_EQ(roomy.outer, start.Arrangement().outer);
}

TEST(PaneLayoutTest, DraggingTheEditorsTopBorderUpShortensTheTree) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement dragged = start.Arrangement();
    dragged.Outer(Pane::Editor).top -= 1500;
    dragged.Outer(Pane::Editor).height += 1500;

    PaneLayout layout(dragged);
    layout.PaneResized(Pane::Editor);
    const PaneArrangement& a = layout.Arrangement();
    EXPECT_EQ(a.Outer(Pane::Tree).height,
              a.mainInnerHeight - a.InnerHeight(Pane::Editor) - kPaneGapTwips);
    EXPECT_EQ(a.Outer(Pane::Tree).height, 4000 - 1500);
    ExpectTiled(a);
}

TEST(PaneLayoutTest, WideningTheEditorMovesTheRightPanes) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement dragged = start.Arrangement();
    dragged.Outer(Pane::Editor).width += 900;

    PaneLayout layout(dragged);
    layout.PaneResized(Pane::Editor);
    const PaneArrangement& a = layout.Arrangement();
    const long left = a.InnerWidth(Pane::Editor) + kPaneGapTwips;
    EXPECT_EQ(a.Outer(Pane::List).left, left);
    EXPECT_EQ(a.Outer(Pane::View).left, left);
    EXPECT_EQ(a.Outer(Pane::List).width, a.mainInnerWidth - left);
    EXPECT_EQ(a.Outer(Pane::View).width, a.mainInnerWidth - left);
    // The list's rule has made the tree as wide as the editor.
    EXPECT_EQ(a.Outer(Pane::Tree).width, 6900);
    EXPECT_TRUE(layout.Effects().listColumnsResized);
}

TEST(PaneLayoutTest, DraggingTheTreesBottomBorderMovesTheEditor) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement dragged = start.Arrangement();
    dragged.Outer(Pane::Tree).height += 1200;

    PaneLayout layout(dragged);
    layout.PaneResized(Pane::Tree);
    const PaneArrangement& a = layout.Arrangement();
    EXPECT_EQ(a.Outer(Pane::Editor).top, a.InnerHeight(Pane::Tree) + kPaneGapTwips);
    EXPECT_EQ(a.Outer(Pane::Editor).height, 6500 - 1200);
    EXPECT_TRUE(layout.Effects().focusEditor);
    ExpectTiled(a);
}

TEST(PaneLayoutTest, DraggingTheListsLeftBorderNarrowsTheLeftPanes) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement dragged = start.Arrangement();
    dragged.Outer(Pane::List).left -= 600;
    dragged.Outer(Pane::List).width += 600;

    PaneLayout layout(dragged);
    layout.PaneResized(Pane::List);
    const PaneArrangement& a = layout.Arrangement();
    EXPECT_EQ(a.Outer(Pane::Editor).width, 6000 - 600);
    EXPECT_EQ(a.Outer(Pane::Tree).width, 6000 - 600);
    EXPECT_EQ(a.Outer(Pane::View).left, a.Outer(Pane::List).left);
    EXPECT_EQ(a.Outer(Pane::View).width, a.InnerWidth(Pane::List) + kPaneGapTwips);
    EXPECT_TRUE(layout.Effects().listColumnsResized);
    EXPECT_TRUE(layout.Effects().focusEditor);
    ExpectTiled(a);
}

TEST(PaneLayoutTest, DraggingTheViewsTopBorderShortensTheList) {
    PaneLayout start(StartArrangement());
    start.MainWindowResized(kWindowNormal);
    PaneArrangement dragged = start.Arrangement();
    dragged.Outer(Pane::View).top -= 900;
    dragged.Outer(Pane::View).height += 900;

    PaneLayout layout(dragged);
    layout.PaneResized(Pane::View);
    const PaneArrangement& a = layout.Arrangement();
    EXPECT_EQ(a.Outer(Pane::List).height,
              a.mainInnerHeight - a.InnerHeight(Pane::View) - kPaneGapTwips);
    // The list changed size, so its own rule ran too.
    EXPECT_TRUE(layout.Effects().listColumnsResized);
    ExpectTiled(a);
}

TEST(PaneLayoutTest, BordersWiderThanTheGapStillSettleWithoutNegativeSizes) {
    PaneArrangement a = StartArrangement();
    for (PaneFrame& frame : a.frame)
        frame = {300, 300};
    PaneLayout layout(a);
    layout.MainWindowResized(kWindowNormal);
    layout.PaneResized(Pane::Tree);
    layout.PaneResized(Pane::List);
    ExpectNoNegativeSize(layout.Arrangement());
}

TEST(TwipsTest, FifteenTwipsToThePixelAt96Dpi) {
    EXPECT_EQ(PixelsToTwips(1, 96), 15);
    EXPECT_EQ(PixelsToTwips(8, 96), 120);
    EXPECT_EQ(TwipsToPixels(120, 96), 8);
    EXPECT_EQ(TwipsToPixels(740, 96), 49);
    EXPECT_EQ(PixelsToTwips(10, 144), 100);
    EXPECT_EQ(TwipsToPixels(120, 192), 16);
}

TEST(TwipsTest, PixelsComeBackUnchangedAtCommonScreenDensities) {
    for (double dpi : {72.0, 96.0, 110.0, 120.0, 144.0, 192.0}) {
        for (int pixels = 0; pixels < 3000; ++pixels) {
            ASSERT_EQ(TwipsToPixels(PixelsToTwips(pixels, dpi), dpi), pixels) << dpi;
        }
    }
}

}  // namespace
}  // namespace tessel::app
