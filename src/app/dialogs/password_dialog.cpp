#include "app/dialogs/password_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/button_row.h"

namespace tessel::app {

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      txtPassword_(new QLineEdit(this)),
      cmdOK_(new QPushButton("&OK", this)),
      cmdCancel_(new QPushButton("&Cancel", this)) {
    setObjectName("pwJETDB");
    setWindowTitle("Password Required");
    setModal(true);

    auto* label = new QLabel("&Enter database password:", this);
    label->setObjectName("lblLabels0");
    label->setBuddy(txtPassword_);
    txtPassword_->setObjectName("txtPassword");
    txtPassword_->setEchoMode(QLineEdit::Password);
    txtPassword_->setToolTip(
        "Enter password characters you will need to specify and match exactly to gain access "
        "to this Microsoft Jet database");
    txtPassword_->installEventFilter(this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    cmdOK_->setToolTip("Closes dialogue window with any settings made");
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setToolTip(
        "Closes the dialogue window and discards any settings made during the dialogue window "
        "being shown");

    QHBoxLayout* buttons = ButtonRow({cmdOK_, cmdCancel_});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtPassword_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    txtPassword_->setMinimumWidth(260);

    connect(cmdOK_, &QPushButton::clicked, this, [this] {
        password_ = txtPassword_->text();
        accept();
    });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] {
        password_.clear();
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { password_.clear(); });
}

bool PasswordDialog::eventFilter(QObject* watched, QEvent* event) {
    // On getting the focus the whole text is selected, ready to be typed over.
    if (watched == txtPassword_ && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, txtPassword_, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

QString PasswordDialog::Ask(QWidget* parent) {
    PasswordDialog dialog(parent);
    dialog.exec();
    return dialog.Password();
}

}  // namespace tessel::app
