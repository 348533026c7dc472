#include "app/dialogs/synch_opts_dialog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/button_row.h"

namespace tessel::app {

SynchOptsDialog::SynchOptsDialog(const std::string& firstTitle, const std::string& secondTitle,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      okButton_(new QPushButton("OK", this)),
      cancelButton_(new QPushButton("Cancel", this)) {
    setObjectName("SynchOpts");
    setWindowTitle("Synchronisation options");
    setModal(true);
    auto* frame = new QGroupBox("Synchronised data exchange direction selection", this);
    frame->setObjectName("fmSynchOps");
    const QString first = QString::fromStdString(firstTitle);
    const QString second = QString::fromStdString(secondTitle);
    const QString captions[3] = {"Update changes from " + first + " into " + second,
                                 "Update changes from " + second + " into " + first,
                                 "Exchange updated changes between them above"};
    const char* tips[3] = {
        "Transfer any record changes made since last synchronisation in the first Design Master "
        "database selected into the second Design Master database selected accordingly",
        "Transfer any record changes made since last synchronisation in the second Design "
        "Master database selected into the first Design Master database selected according",
        "Transfer any record changes since last synchronisation between both Design Master "
        "databases"};
    auto* options = new QVBoxLayout(frame);
    for (int i = 0; i < 3; ++i) {
        optChanges_[i] = new QRadioButton(captions[i], frame);
        optChanges_[i]->setObjectName(QString("OptChanges%1").arg(i));
        optChanges_[i]->setToolTip(tips[i]);
        options->addWidget(optChanges_[i]);
    }
    optChanges_[2]->setChecked(true);
    okButton_->setObjectName("OKButton");
    okButton_->setToolTip("Closes dialogue window with any settings made");
    okButton_->setAutoDefault(false);
    cancelButton_->setObjectName("CancelButton");
    cancelButton_->setToolTip(
        "Closes the dialogue window and discards any settings made during the dialogue window "
        "being shown");
    cancelButton_->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(ButtonRow({okButton_, cancelButton_}));

    connect(okButton_, &QPushButton::clicked, this, [this] {
        direction_ = optChanges_[0]->isChecked() ? 1 : optChanges_[1]->isChecked() ? 2 : 4;
        accept();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { direction_ = 4; });
}

int SynchOptsDialog::Ask(const std::string& firstTitle, const std::string& secondTitle,
                         QWidget* parent) {
    SynchOptsDialog dialog(firstTitle, secondTitle, parent);
    dialog.exec();
    return dialog.Direction();
}

}  // namespace tessel::app
