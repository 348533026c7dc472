#include "app/startup/splash_window.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace tessel::app {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(new QSvgRenderer(QStringLiteral(":/icons/splash.svg"), this)) {
    setObjectName("splashquill");
    // Closing the splash must not end the program before the main window shows.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kWidth, kHeight);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        timer_.stop();
        close();
        if (then_)
            then_();
    });
}

void SplashWindow::ShowNow() {
    if (const QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SplashWindow::StartTimer(int milliseconds, std::function<void()> then) {
    then_ = std::move(then);
    timer_.start(milliseconds);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    picture_->render(&painter, QRectF(rect()));
}

}  // namespace tessel::app
