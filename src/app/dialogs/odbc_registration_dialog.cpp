#include "app/dialogs/odbc_registration_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/button_row.h"

namespace tessel::app {

namespace {

QLabel* Label(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

OdbcRegistrationDialog::OdbcRegistrationDialog(const OdbcRegistrationForm& shown, QWidget* parent)
    : QDialog(parent),
      shown_(shown),
      txtDSN_(new QLineEdit(QString::fromStdString(shown.dataSourceName), this)),
      cboDrivers_(new QComboBox(this)),
      txtDatabase_(new QLineEdit(QString::fromStdString(shown.database), this)),
      lblServer_(nullptr),
      txtServer_(new QLineEdit(QString::fromStdString(shown.server), this)),
      txtDescrip_(new QLineEdit(QString::fromStdString(shown.description), this)),
      cmdOK_(new QPushButton("&OK", this)),
      cmdCancel_(new QPushButton("Cancel", this)) {
    setObjectName("ODBCnew");
    setWindowTitle("ODBC DSN Registeration");
    setModal(true);

    txtDSN_->setObjectName("txtDSN");
    txtDSN_->setToolTip("Enter word(s) to specify a unique DSN title");
    cboDrivers_->setObjectName("cboDrivers");
    cboDrivers_->setToolTip(
        "Available database ODBC database drivers you select be used with your ODBC connection "
        "and accessed by the Data Soure Name");
    for (const auto& driver : shown.drivers)
        cboDrivers_->addItem(QString::fromStdString(driver));
    cboDrivers_->setCurrentIndex(shown.selectedDriver);
    txtDatabase_->setObjectName("txtDatabase");
    txtDatabase_->setToolTip(
        "Enter full directory path and database file name used in this ODBC connection");
    txtServer_->setObjectName("txtServer");
    txtServer_->setToolTip(
        "Enter word(s) to specify a unique Server catalogue name - used for SQL server defined "
        "databases");
    txtDescrip_->setObjectName("txtDescrip");
    txtDescrip_->setToolTip(
        "Enter word(s) you may wish to specify a description for your specified Data Source "
        "Name");
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    cmdOK_->setToolTip("Closes dialogue window with any settings made");
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setToolTip(
        "Closes dialogue window and discards any settings made during the dialogue window being "
        "shown");

    auto* frame = new QGroupBox("DSN values", this);
    frame->setObjectName("fraConnection");
    auto* fields = new QFormLayout(frame);
    fields->addRow(Label("User &DSN:", txtDSN_, frame), txtDSN_);
    fields->addRow(Label("Dri&ver:", cboDrivers_, frame), cboDrivers_);
    fields->addRow(Label("Data&base:", txtDatabase_, frame), txtDatabase_);
    lblServer_ = Label("&Server:", txtServer_, frame);
    lblServer_->setObjectName("lblLabels4");
    fields->addRow(lblServer_, txtServer_);
    fields->addRow(Label("Description:", txtDescrip_, frame), txtDescrip_);

    QHBoxLayout* buttons = ButtonRow({cmdOK_, cmdCancel_});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    txtDatabase_->setMinimumWidth(320);

    DriverChanged();
    connect(cboDrivers_, &QComboBox::currentTextChanged, this,
            &OdbcRegistrationDialog::DriverChanged);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void OdbcRegistrationDialog::DriverChanged() {
    const bool server = cboDrivers_->currentText() == "SQL Server";
    lblServer_->setEnabled(server);
    txtServer_->setEnabled(server);
}

OdbcRegistrationForm OdbcRegistrationDialog::Fields() const {
    OdbcRegistrationForm form = shown_;
    form.dataSourceName = txtDSN_->text().toStdString();
    form.selectedDriver = cboDrivers_->currentIndex();
    form.driver = cboDrivers_->currentText().toStdString();
    form.database = txtDatabase_->text().toStdString();
    form.server = txtServer_->text().toStdString();
    form.description = txtDescrip_->text().toStdString();
    return form;
}

std::optional<OdbcRegistrationForm> OdbcRegistrationDialog::Ask(const OdbcRegistrationForm& shown,
                                                                QWidget* parent) {
    OdbcRegistrationDialog dialog(shown, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Fields();
}

}  // namespace tessel::app
