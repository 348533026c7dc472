// One pane of the main window: a framed child window that holds one widget and that a person
// resizes by dragging any of its borders. It has no caption and no control box.
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace tessel::app {

class PaneWindow : public QWidget {
    Q_OBJECT
  public:
    PaneWindow(QWidget* content, const QString& windowName, QWidget* parent = nullptr);

    QWidget* Content() const { return content_; }
    // Width of the border on each side, pixels.
    void SetBorderWidth(int pixels);
    int BorderWidth() const { return border_; }
    // A drag never makes the pane smaller than this, nor leaves less than it for the pane
    // beyond the border being dragged.
    void SetLeastSize(const QSize& size) { least_ = size; }
    // The client area, relative to the pane.
    QRect InnerRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // Which borders a point lies on: a combination of Qt::Edge bits.
    Qt::Edges EdgesAt(const QPoint& position) const;
    void ShowResizeCursor(Qt::Edges edges);

    QWidget* content_;
    int border_ = 4;
    QSize least_{0, 0};
    Qt::Edges dragEdges_;
    QPoint dragStart_;
    QRect startGeometry_;
};

}  // namespace tessel::app
