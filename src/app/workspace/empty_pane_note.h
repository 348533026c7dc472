// A grey, centred note over an empty pane that says what will appear there. It covers the
// widget it is put on, follows that widget's size and lets every mouse click through.
#pragma once

#include <QLabel>

namespace tessel::app {

class EmptyPaneNote : public QLabel {
    Q_OBJECT
  public:
    // The note covers `over` (which becomes its parent).
    EmptyPaneNote(const QString& text, QWidget* over);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A view scrolls its viewport's children with its rows, so a note hidden under rows may
    // have been moved away by the time it shows again.
    void showEvent(QShowEvent* event) override;
};

}  // namespace tessel::app
