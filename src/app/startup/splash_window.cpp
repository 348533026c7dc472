#include "app/startup/splash_window.h"

#include <QApplication>
#include <QDialog>
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
        qApp->removeEventFilter(this);
        close();
        if (then_)
            then_();
    });
    qApp->installEventFilter(this);
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && !steppedBack_ && isVisible()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isWindow()) {
            steppedBack_ = true;
            hide();
        }
    }
    return QWidget::eventFilter(watched, event);
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
    // Once the splash has made way for a start-up box there is nothing left to look at, so the
    // main window follows as soon as the box is answered.
    timer_.start(steppedBack_ ? 0 : milliseconds);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    picture_->render(&painter, QRectF(rect()));
}

}  // namespace tessel::app
