// The database password prompt "pwJETDB": a masked text box with OK and Cancel. `Password` is
// the confirmed text, or empty when the prompt was cancelled.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace tessel::app {

class PasswordDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    QString Password() const { return password_; }
    QLineEdit* txtPassword() const { return txtPassword_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    // Shows the prompt modally and returns `Password`.
    static QString Ask(QWidget* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* txtPassword_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QString password_;
};

}  // namespace tessel::app
