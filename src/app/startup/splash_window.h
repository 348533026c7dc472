// The splash window "splashquill": a borderless 600 x 300 picture shown while the program
// starts. Its timer, once started, closes it and hands over to the main window. It stays on
// top, so it steps back (closes early) the moment any box or dialog appears during start-up:
// a box the person must answer is never hidden behind it.
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
    // True once a box appearing made the splash close before its time.
    bool SteppedBack() const { return steppedBack_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSvgRenderer* picture_;
    QTimer timer_;
    std::function<void()> then_;
    bool steppedBack_ = false;
};

}  // namespace tessel::app
