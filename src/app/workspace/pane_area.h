// The client area of the main window with its four panes. It measures the panes in twips,
// runs the pane rules when the area or a pane changes size, and applies what they compute.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "app/workspace/pane_layout.h"

namespace tessel::app {

class PaneWindow;

class PaneArea : public QWidget {
    Q_OBJECT
  public:
    // The four contents become the panes "vttables", "textSQL", "recordsets", "resultset".
    PaneArea(QWidget* tree, QWidget* editor, QWidget* list, QWidget* view,
             QWidget* parent = nullptr);

    PaneWindow* Window(Pane pane) const { return panes_[static_cast<int>(pane)]; }

    // The pane arrangement as it is now, in twips.
    PaneArrangement Measure() const;
    // Runs the main window's rule for its window state (0 normal, 1 minimised, 2 maximised).
    void MainWindowResized(int windowState);
    // Runs a pane's rule as if a person had resized it.
    void PaneResized(Pane pane);
    // The first places, before the rules take over: tree over editor on the left, the list
    // over the view on the right.
    void PlaceInitially();

  signals:
    void EditorFocusWanted();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Apply(const PaneLayout& layout);
    int CurrentWindowState() const;
    double DpiX() const;
    double DpiY() const;

    std::array<PaneWindow*, 4> panes_{};
    int previousWindowState_ = kWindowNormal;
    bool applying_ = false;
    bool placed_ = false;
};

}  // namespace tessel::app
