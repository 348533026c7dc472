// The ODBC data source registration dialog "ODBCnew": the data source name, the driver chosen
// from the machine's list, the database, the server (only for the "SQL Server" driver) and a
// description, with OK and Cancel.
#pragma once

#include <QDialog>
#include <optional>

#include "core/ui.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessel::app {

class OdbcRegistrationDialog : public QDialog {
    Q_OBJECT
  public:
    OdbcRegistrationDialog(const OdbcRegistrationForm& shown, QWidget* parent = nullptr);

    // The fields as they stand now.
    OdbcRegistrationForm Fields() const;

    // Shows the dialog modally: the fields after OK, nothing after Cancel.
    static std::optional<OdbcRegistrationForm> Ask(const OdbcRegistrationForm& shown,
                                                   QWidget* parent);

  private:
    void DriverChanged();

    OdbcRegistrationForm shown_;
    QLineEdit* txtDSN_;
    QComboBox* cboDrivers_;
    QLineEdit* txtDatabase_;
    QLabel* lblServer_;
    QLineEdit* txtServer_;
    QLineEdit* txtDescrip_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

}  // namespace tessel::app
