#include "app/workspace/pane_layout.h"

#include <algorithm>

#include "core/session/current_database.h"

namespace tessel::app {

namespace {

// Rules nest when one pane's change resizes another; they settle within a few rounds, and
// this bound ends a cycle that a border of unusual size could start.
constexpr int kMaxRuleDepth = 8;

long Sized(long twips) {
    return NonNegative(twips);
}

}  // namespace

long PaneArrangement::InnerWidth(Pane pane) const {
    return Sized(Outer(pane).width - frame[static_cast<int>(pane)].width);
}

long PaneArrangement::InnerHeight(Pane pane) const {
    return Sized(Outer(pane).height - frame[static_cast<int>(pane)].height);
}

void LeaveRoomForEveryPane(PaneArrangement& a) {
    // Where the rule would put the borders, moved to leave each side its least size.
    const auto within = [](long at, long least, long room) {
        return std::max(least, std::min(at, room - least));
    };
    const long width = a.mainInnerWidth;
    const long height = a.mainInnerHeight;
    const long left = a.Outer(Pane::Editor).width;
    const long treeHeight = height - a.Outer(Pane::Editor).height;
    const long listHeight = height - a.Outer(Pane::View).height;
    const long newLeft = within(left, kLeastPaneWidthTwips, width);
    const long newTree = within(treeHeight, kLeastPaneHeightTwips, height);
    const long newList = within(listHeight, kLeastPaneHeightTwips, height);
    if (newLeft == left && newTree == treeHeight && newList == listHeight)
        return;
    a.Outer(Pane::Tree) = {0, 0, newLeft, newTree};
    a.Outer(Pane::Editor) = {0, newTree, newLeft, height - newTree};
    a.Outer(Pane::List) = {newLeft, 0, width - newLeft, newList};
    a.Outer(Pane::View) = {newLeft, newList, width - newLeft, height - newList};
}

void PaneLayout::Place(Pane pane, const TwipsRect& rect) {
    TwipsRect& current = arrangement_.Outer(pane);
    bool resized = current.width != rect.width || current.height != rect.height;
    current = rect;
    if (resized)
        PaneResized(pane);
}

void PaneLayout::MainWindowResized(int windowState) {
    int s = windowState;
    int p = previousWindowState_;
    if (s != kWindowMinimised && p != kWindowMinimised) {
        PaneArrangement& a = arrangement_;
        const long mainHeight = a.mainInnerHeight;
        const long mainWidth = a.mainInnerWidth;

        TwipsRect tree = a.Outer(Pane::Tree);
        Place(Pane::Tree, {0, 0, tree.width, Sized(mainHeight - a.InnerHeight(Pane::Editor))});

        TwipsRect editor = a.Outer(Pane::Editor);
        Place(Pane::Editor, {0, a.InnerHeight(Pane::Tree), editor.width,
                             Sized(mainHeight - a.InnerHeight(Pane::Tree))});

        long editorWidth = a.Outer(Pane::Editor).width;
        Place(Pane::List, {editorWidth, 0, Sized(mainWidth - editorWidth),
                           Sized(mainHeight - a.InnerHeight(Pane::View))});

        editorWidth = a.Outer(Pane::Editor).width;
        Place(Pane::View, {editorWidth, a.InnerHeight(Pane::List), Sized(mainWidth - editorWidth),
                           Sized(mainHeight - a.InnerHeight(Pane::List))});
    }
    previousWindowState_ = windowState;
}

void PaneLayout::PaneResized(Pane pane) {
    if (depth_ >= kMaxRuleDepth)
        return;
    ++depth_;
    switch (pane) {
        case Pane::Tree:
            TreeResized();
            break;
        case Pane::Editor:
            EditorResized();
            break;
        case Pane::List:
            ListResized();
            break;
        case Pane::View:
            ViewResized();
            break;
    }
    --depth_;
}

void PaneLayout::TreeResized() {
    PaneArrangement& a = arrangement_;
    TwipsRect editor = a.Outer(Pane::Editor);
    editor.top = a.InnerHeight(Pane::Tree) + kPaneGapTwips;
    editor.height = Sized(a.mainInnerHeight - a.InnerHeight(Pane::Tree) - kPaneGapTwips);
    Place(Pane::Editor, editor);

    for (Pane right : {Pane::List, Pane::View}) {
        TwipsRect rect = a.Outer(right);
        rect.left = a.InnerWidth(Pane::Tree) + kPaneGapTwips;
        rect.width = Sized(a.mainInnerWidth - a.InnerWidth(Pane::Tree) - kPaneGapTwips);
        Place(right, rect);
    }
    effects_.focusEditor = true;
}

void PaneLayout::EditorResized() {
    PaneArrangement& a = arrangement_;
    Place(Pane::Tree, {0, 0, a.Outer(Pane::Tree).width,
                       Sized(a.mainInnerHeight - a.InnerHeight(Pane::Editor) - kPaneGapTwips)});

    for (Pane right : {Pane::List, Pane::View}) {
        TwipsRect rect = a.Outer(right);
        rect.left = a.InnerWidth(Pane::Editor) + kPaneGapTwips;
        rect.width = Sized(a.mainInnerWidth - a.InnerWidth(Pane::Editor) - kPaneGapTwips);
        Place(right, rect);
    }
}

void PaneLayout::ListResized() {
    PaneArrangement& a = arrangement_;
    effects_.listColumnsResized = true;
    const long leftWidth = Sized(a.mainInnerWidth - a.InnerWidth(Pane::List) - kPaneGapTwips);
    for (Pane left : {Pane::Editor, Pane::Tree}) {
        TwipsRect rect = a.Outer(left);
        rect.width = leftWidth;
        Place(left, rect);
    }
    Place(Pane::View, {a.Outer(Pane::List).left, a.InnerHeight(Pane::List) + kPaneGapTwips,
                       a.InnerWidth(Pane::List) + kPaneGapTwips,
                       Sized(a.mainInnerHeight - a.InnerHeight(Pane::List) - kPaneGapTwips)});
    effects_.focusEditor = true;
}

void PaneLayout::ViewResized() {
    PaneArrangement& a = arrangement_;
    const long leftWidth = Sized(a.mainInnerWidth - a.InnerWidth(Pane::View) - kPaneGapTwips);
    for (Pane left : {Pane::Editor, Pane::Tree}) {
        TwipsRect rect = a.Outer(left);
        rect.width = leftWidth;
        Place(left, rect);
    }
    TwipsRect list = a.Outer(Pane::List);
    list.left = a.Outer(Pane::View).left;
    list.width = a.InnerWidth(Pane::View) + kPaneGapTwips;
    list.height = Sized(a.mainInnerHeight - a.InnerHeight(Pane::View) - kPaneGapTwips);
    Place(Pane::List, list);
}

}  // namespace tessel::app
