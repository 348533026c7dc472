#include "app/workspace/pane_area.h"

#include <QEvent>
#include <QResizeEvent>

#include "app/workspace/pane_window.h"
#include "app/workspace/twips.h"

namespace tessel::app {

namespace {

// Half the gap on each side of a pane, so that neighbouring borders meet without a seam.
constexpr long kBorderTwips = kPaneGapTwips / 2;

}  // namespace

PaneArea::PaneArea(QWidget* tree, QWidget* editor, QWidget* list, QWidget* view, QWidget* parent)
    : QWidget(parent) {
    setObjectName("mainSQLClient");
    const int border = TwipsToPixels(kBorderTwips, logicalDpiX());
    panes_ = {new PaneWindow(tree, "vttables", this), new PaneWindow(editor, "textSQL", this),
              new PaneWindow(list, "recordsets", this), new PaneWindow(view, "resultset", this)};
    const QSize least(TwipsToPixels(kLeastPaneWidthTwips, logicalDpiX()),
                      TwipsToPixels(kLeastPaneHeightTwips, logicalDpiY()));
    for (PaneWindow* pane : panes_) {
        pane->SetBorderWidth(border);
        pane->SetLeastSize(least);
        pane->installEventFilter(this);
    }
    // Two panes side by side and two above each other, each at its least size.
    setMinimumSize(2 * least);
}

double PaneArea::DpiX() const {
    return logicalDpiX();
}
double PaneArea::DpiY() const {
    return logicalDpiY();
}

int PaneArea::CurrentWindowState() const {
    const Qt::WindowStates state = window()->windowState();
    if (state & Qt::WindowMinimized)
        return kWindowMinimised;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return kWindowMaximised;
    return kWindowNormal;
}

PaneArrangement PaneArea::Measure() const {
    PaneArrangement arrangement;
    arrangement.mainInnerWidth = PixelsToTwips(width(), DpiX());
    arrangement.mainInnerHeight = PixelsToTwips(height(), DpiY());
    for (int i = 0; i < 4; ++i) {
        const PaneWindow* pane = panes_[i];
        const QRect outer = pane->geometry();
        const QRect inner = pane->InnerRect();
        arrangement.outer[i] = {PixelsToTwips(outer.x(), DpiX()), PixelsToTwips(outer.y(), DpiY()),
                                PixelsToTwips(outer.width(), DpiX()),
                                PixelsToTwips(outer.height(), DpiY())};
        arrangement.frame[i] = {PixelsToTwips(outer.width() - inner.width(), DpiX()),
                                PixelsToTwips(outer.height() - inner.height(), DpiY())};
    }
    return arrangement;
}

void PaneArea::Apply(const PaneLayout& layout) {
    const PaneArrangement& arrangement = layout.Arrangement();
    applying_ = true;
    for (int i = 0; i < 4; ++i) {
        const TwipsRect& rect = arrangement.outer[i];
        const QRect target(TwipsToPixels(rect.left, DpiX()), TwipsToPixels(rect.top, DpiY()),
                           TwipsToPixels(rect.width, DpiX()), TwipsToPixels(rect.height, DpiY()));
        if (panes_[i]->geometry() != target)
            panes_[i]->setGeometry(target);
    }
    applying_ = false;
    if (layout.Effects().focusEditor)
        emit EditorFocusWanted();
}

void PaneArea::MainWindowResized(int windowState) {
    if (!placed_)
        PlaceInitially();
    PaneArrangement arrangement = Measure();
    if (windowState != kWindowMinimised && previousWindowState_ != kWindowMinimised)
        LeaveRoomForEveryPane(arrangement);
    PaneLayout layout(arrangement, previousWindowState_);
    layout.MainWindowResized(windowState);
    previousWindowState_ = layout.PreviousWindowState();
    Apply(layout);
}

void PaneArea::PaneResized(Pane pane) {
    PaneLayout layout(Measure(), previousWindowState_);
    layout.PaneResized(pane);
    Apply(layout);
}

void PaneArea::PlaceInitially() {
    placed_ = true;
    const int leftWidth = width() / 2;
    const int treeHeight = height() * 7 / 20;
    const int listHeight = height() / 3;
    applying_ = true;
    Window(Pane::Tree)->setGeometry(0, 0, leftWidth, treeHeight);
    Window(Pane::Editor)->setGeometry(0, treeHeight, leftWidth, height() - treeHeight);
    Window(Pane::List)->setGeometry(leftWidth, 0, width() - leftWidth, listHeight);
    Window(Pane::View)
        ->setGeometry(leftWidth, listHeight, width() - leftWidth, height() - listHeight);
    applying_ = false;
}

void PaneArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    MainWindowResized(CurrentWindowState());
}

bool PaneArea::eventFilter(QObject* watched, QEvent* event) {
    // A pane's first resize event, sent when it is shown, reports the place that the rules gave
    // it; only a later change is a person's drag.
    if (event->type() == QEvent::Resize && !applying_ && placed_ &&
        static_cast<QResizeEvent*>(event)->oldSize().isValid()) {
        for (int i = 0; i < 4; ++i) {
            if (watched == panes_[i]) {
                PaneResized(static_cast<Pane>(i));
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessel::app
