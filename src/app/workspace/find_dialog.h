// The find dialog "scriptfind": the text to find, match case, the direction, and a Find
// button that searches the editor while the dialog stays open. It reads and writes the find
// state of the session, which outlives it.
#pragma once

#include <QDialog>
#include <functional>

#include "core/session/shared_state.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel::app {

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    // `findText` runs one search step with the state as it is then.
    FindDialog(FindState& state, std::function<void()> findText, QWidget* parent = nullptr);

    QLineEdit* txtFind() const { return txtFind_; }
    QPushButton* cmdFind() const { return cmdFind_; }
    QPushButton* cmdcancel() const { return cmdcancel_; }
    QCheckBox* chkCase() const { return chkCase_; }
    // Element 1 is "&Down", element 0 "&Up".
    QRadioButton* optDirection(int element) const { return element == 1 ? down_ : up_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnFind();
    void OnCancel();

    FindState& state_;
    std::function<void()> findText_;
    QLineEdit* txtFind_;
    QPushButton* cmdFind_;
    QPushButton* cmdcancel_;
    QCheckBox* chkCase_;
    QRadioButton* down_;
    QRadioButton* up_;
};

}  // namespace tessel::app
