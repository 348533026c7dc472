#include "app/workspace/pane_window.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace tessel::app {

namespace {

// A border shared with a neighbour stops where the neighbour would fall below its least size;
// the pane's own least size wins over that. The near border is the left or top one.
int MovedNearBorder(int at, int by, int farBorder, int least) {
    const int lowest = at > 0 ? least : 0;
    return std::min(std::max(at + by, lowest), farBorder - least);
}

int MovedFarBorder(int at, int by, int nearBorder, int least, int areaEnd) {
    const int highest = at < areaEnd ? areaEnd - least : areaEnd;
    return std::max(std::min(at + by, highest), nearBorder + least);
}

}  // namespace

PaneWindow::PaneWindow(QWidget* content, const QString& windowName, QWidget* parent)
    : QWidget(parent), content_(content) {
    setObjectName(windowName);
    setMouseTracking(true);
    setAutoFillBackground(true);
    content_->setParent(this);
    content_->setGeometry(InnerRect());
}

void PaneWindow::SetBorderWidth(int pixels) {
    border_ = std::max(1, pixels);
    content_->setGeometry(InnerRect());
    update();
}

QRect PaneWindow::InnerRect() const {
    return QRect(border_, border_, std::max(0, width() - 2 * border_),
                 std::max(0, height() - 2 * border_));
}

void PaneWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // A raised edge outside and a sunken one next to the client area, like a sizable border.
    qDrawWinPanel(&painter, rect(), palette(), false);
    if (border_ > 2) {
        QRect inner = InnerRect().adjusted(-1, -1, 1, 1);
        qDrawShadeRect(&painter, inner, palette(), true, 1);
    }
}

void PaneWindow::resizeEvent(QResizeEvent* event) {
    content_->setGeometry(InnerRect());
    QWidget::resizeEvent(event);
}

Qt::Edges PaneWindow::EdgesAt(const QPoint& position) const {
    Qt::Edges edges;
    if (position.x() < border_)
        edges |= Qt::LeftEdge;
    if (position.x() >= width() - border_)
        edges |= Qt::RightEdge;
    if (position.y() < border_)
        edges |= Qt::TopEdge;
    if (position.y() >= height() - border_)
        edges |= Qt::BottomEdge;
    return edges;
}

void PaneWindow::ShowResizeCursor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = ((edges & Qt::LeftEdge) && (edges & Qt::TopEdge)) ||
                             ((edges & Qt::RightEdge) && (edges & Qt::BottomEdge));
        setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
        setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
}

void PaneWindow::mousePressEvent(QMouseEvent* event) {
    dragEdges_ =
        event->button() == Qt::LeftButton ? EdgesAt(event->position().toPoint()) : Qt::Edges();
    dragStart_ = event->globalPosition().toPoint();
    startGeometry_ = geometry();
    if (dragEdges_)
        raise();
    QWidget::mousePressEvent(event);
}

void PaneWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragEdges_) {
        ShowResizeCursor(EdgesAt(event->position().toPoint()));
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - dragStart_;
    const QSize area = parentWidget() != nullptr ? parentWidget()->size() : QSize(INT_MAX, INT_MAX);
    int left = startGeometry_.left();
    int top = startGeometry_.top();
    int right = startGeometry_.left() + startGeometry_.width();
    int bottom = startGeometry_.top() + startGeometry_.height();
    if (dragEdges_ & Qt::LeftEdge)
        left = MovedNearBorder(left, delta.x(), right, least_.width());
    if (dragEdges_ & Qt::RightEdge)
        right = MovedFarBorder(right, delta.x(), left, least_.width(), area.width());
    if (dragEdges_ & Qt::TopEdge)
        top = MovedNearBorder(top, delta.y(), bottom, least_.height());
    if (dragEdges_ & Qt::BottomEdge)
        bottom = MovedFarBorder(bottom, delta.y(), top, least_.height(), area.height());
    setGeometry(left, top, right - left, bottom - top);
}

void PaneWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragEdges_ = Qt::Edges();
    QWidget::mouseReleaseEvent(event);
}

void PaneWindow::leaveEvent(QEvent* event) {
    if (!dragEdges_)
        unsetCursor();
    QWidget::leaveEvent(event);
}

}  // namespace tessel::app
