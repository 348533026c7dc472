// The about box "sqlabout": the program's title, version, the platform it runs on, copyright
// and the warning against unauthorised copying, with "OK" and "&System Info". Shown modal.
#pragma once

#include <QDialog>
#include <QString>

#include "app/startup/desktop_services.h"

class QLabel;
class QPushButton;

namespace tessel::app {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(DesktopServices desktop, QWidget* parent = nullptr);

    // Starts the desktop's system information program, or says that there is none.
    void StartSysInfo();

    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblPlatform() const { return lblPlatform_; }
    QLabel* lblCopyright() const { return lblCopyright_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

    // "Version 0.1.0": the program's major, minor and revision numbers.
    static QString VersionText();
    // What this build runs on: "For 64-bit Linux platforms".
    static QString PlatformText();

  private:
    DesktopServices desktop_;
    QLabel* lblTitle_;
    QLabel* lblVersion_;
    QLabel* lblPlatform_;
    QLabel* lblCopyright_;
    QLabel* lblDisclaimer_;
    QPushButton* cmdOK_;
    QPushButton* cmdSysInfo_;
};

}  // namespace tessel::app
