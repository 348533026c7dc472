// The splash window "splashquill": a borderless 600 x 300 picture shown while the program
// starts. Its timer, once started, closes it and hands over to the main window.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QSvgRenderer;

namespace tessel::app {

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 300;
    static constexpr int kShowMilliseconds = 2500;

    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows the window and paints it at once.
    void ShowNow();
    // When the timer fires, the window closes and `then` runs.
    void StartTimer(int milliseconds, std::function<void()> then);
    QTimer& Timer() { return timer_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer* picture_;
    QTimer timer_;
    std::function<void()> then_;
};

}  // namespace tessel::app
