// The synchronisation options dialog "SynchOpts": three option buttons for the direction of
// the exchange between the two design masters, OK and Cancel (Cancel means both ways).
#pragma once

#include <QDialog>
#include <array>
#include <string>

class QPushButton;
class QRadioButton;

namespace tessel::app {

class SynchOptsDialog : public QDialog {
    Q_OBJECT
  public:
    SynchOptsDialog(const std::string& firstTitle, const std::string& secondTitle,
                    QWidget* parent = nullptr);

    // 1, 2 or 4 as the dialog closed (4 until OK chose another).
    int Direction() const { return direction_; }
    QRadioButton* OptChanges(int index) const { return optChanges_[index]; }
    QPushButton* OKButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    // Shows the dialog modally and returns the direction.
    static int Ask(const std::string& firstTitle, const std::string& secondTitle, QWidget* parent);

  private:
    std::array<QRadioButton*, 3> optChanges_{};
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    int direction_ = 4;
};

}  // namespace tessel::app
