// The arrangement of the four panes of the main window, in twips.
//
// The tree (upper left), the editor (lower left), the recordset list (upper right) and the
// recordset view (lower right) are tiled by rules that run when the main window or one of the
// panes changes size. A rule sets other panes' places; a pane whose size changes runs its own
// rule at once, before the rule that moved it goes on, so a drag of one border rearranges the
// rest. The rules converge, and a depth limit stops a cycle that would not.
//
// Pure arithmetic: no widgets. The main window measures its panes, runs a rule here, and
// applies the places that come back.
#pragma once

#include <array>

namespace tessel::app {

enum class Pane { Tree = 0, Editor = 1, List = 2, View = 3 };

// Outer place of a pane, twips, relative to the main window's client area.
struct TwipsRect {
    long left = 0;
    long top = 0;
    long width = 0;
    long height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// Outer size minus inner size of a pane: its border, twips.
struct PaneFrame {
    long width = 0;
    long height = 0;
};

// Gap between neighbouring panes' inner areas: room for their borders.
inline constexpr long kPaneGapTwips = 120;

// The least outer size of a pane, so that none becomes a strip too thin to use: room for a
// heading and two rows of a grid, and about a dozen characters.
inline constexpr long kLeastPaneWidthTwips = 1500;
inline constexpr long kLeastPaneHeightTwips = 1200;

// Window states of the main window.
inline constexpr int kWindowNormal = 0;
inline constexpr int kWindowMinimised = 1;
inline constexpr int kWindowMaximised = 2;

struct PaneArrangement {
    long mainInnerWidth = 0;
    long mainInnerHeight = 0;
    std::array<TwipsRect, 4> outer{};
    std::array<PaneFrame, 4> frame{};

    TwipsRect& Outer(Pane pane) { return outer[static_cast<int>(pane)]; }
    const TwipsRect& Outer(Pane pane) const { return outer[static_cast<int>(pane)]; }
    long InnerWidth(Pane pane) const;
    long InnerHeight(Pane pane) const;
};

// What a rule asks of the window beyond the panes' places.
struct LayoutEffects {
    bool focusEditor = false;         // the editor's text box gets the focus
    bool listColumnsResized = false;  // the list's columns were sized to its inner width
};

// The main window's rule keeps the left panes' width and the editor's and the view's heights,
// and gives the other panes what is left. Before a smaller window runs it, this moves the
// borders (tiling the four panes afresh) where that is needed to leave every pane its least
// size, as far as the window has room; otherwise it changes nothing.
void LeaveRoomForEveryPane(PaneArrangement& arrangement);

class PaneLayout {
  public:
    explicit PaneLayout(const PaneArrangement& arrangement, int previousWindowState = 0)
        : arrangement_(arrangement), previousWindowState_(previousWindowState) {}

    // The main window was resized; `windowState` is its state now.
    void MainWindowResized(int windowState);
    // A pane's size changed (a person dragged its border).
    void PaneResized(Pane pane);

    const PaneArrangement& Arrangement() const { return arrangement_; }
    int PreviousWindowState() const { return previousWindowState_; }
    const LayoutEffects& Effects() const { return effects_; }

  private:
    // Sets a pane's place; a change of size runs that pane's rule.
    void Place(Pane pane, const TwipsRect& rect);
    void TreeResized();
    void EditorResized();
    void ListResized();
    void ViewResized();

    PaneArrangement arrangement_;
    int previousWindowState_;
    LayoutEffects effects_;
    int depth_ = 0;
};

}  // namespace tessel::app
