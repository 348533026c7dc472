#include "app/dialogs/about_dialog.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "app/dialogs/heading_font.h"
#include "app/dialogs/message_box.h"
#include "app/startup/system_info.h"
#include "core/session/shared_state.h"
#include "core/ui.h"

namespace tessel::app {

namespace {

constexpr const char* kCopyright = "Copyright \u00a9 2026 Ollam. All rights reserved.";
constexpr const char* kDisclaimer =
    "Warning: this computer program is protected by copyright law and international treaties. "
    "Unauthorised copying or distribution of this program, or of any part of it, may result in "
    "severe civil and criminal penalties, and will be prosecuted to the maximum extent "
    "possible under the law.";
constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

QString KernelName() {
    const QString kernel = QSysInfo::kernelType();
    if (kernel == "linux")
        return "Linux";
    if (kernel == "freebsd")
        return "FreeBSD";
    if (kernel == "darwin")
        return "macOS";
    if (kernel == "winnt")
        return "Windows";
    return kernel.isEmpty() ? QString("Unix") : kernel;
}

}  // namespace

QString AboutDialog::VersionText() {
    return QString("Version ") + TESSEL_VERSION;
}

QString AboutDialog::PlatformText() {
    return QString("For %1-bit %2 platforms").arg(QSysInfo::WordSize).arg(KernelName());
}

AboutDialog::AboutDialog(DesktopServices desktop, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      desktop_(std::move(desktop)),
      lblTitle_(new QLabel(kMainWindowCaption, this)),
      lblVersion_(new QLabel(VersionText(), this)),
      lblPlatform_(new QLabel(PlatformText(), this)),
      lblCopyright_(new QLabel(kCopyright, this)),
      lblDisclaimer_(new QLabel(kDisclaimer, this)),
      cmdOK_(new QPushButton("OK", this)),
      cmdSysInfo_(new QPushButton("&System Info", this)) {
    setObjectName("sqlabout");
    setWindowTitle(QString("About ") + kMainWindowCaption);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName("picIcon");
    picture->setPixmap(QIcon(":/icons/tessel.svg").pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle_->setObjectName("lblTitle");
    UseHeadingFont(*lblTitle_);
    lblVersion_->setObjectName("lblVersion");
    lblPlatform_->setObjectName("lblPlatform");
    lblCopyright_->setObjectName("lblCopyright");
    lblDisclaimer_->setObjectName("lblDisclaimer");
    lblDisclaimer_->setWordWrap(true);
    lblDisclaimer_->setFrameStyle(QFrame::NoFrame);
    for (QLabel* label : {lblTitle_, lblVersion_, lblPlatform_, lblCopyright_, lblDisclaimer_})
        label->setTextFormat(Qt::PlainText);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    cmdSysInfo_->setObjectName("cmdSysInfo");

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle_);
    texts->addWidget(lblVersion_);
    texts->addWidget(lblPlatform_);
    texts->addSpacing(8);
    texts->addWidget(lblCopyright_);
    texts->addStretch();
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdSysInfo_);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0);
    grid->addLayout(texts, 0, 1);
    grid->addWidget(line, 1, 0, 1, 3);
    grid->addWidget(lblDisclaimer_, 2, 0, 1, 2);
    grid->addLayout(buttons, 2, 2);
    grid->setColumnStretch(1, 1);
    lblDisclaimer_->setMinimumWidth(340);

    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &AboutDialog::StartSysInfo);
}

void AboutDialog::StartSysInfo() {
    const SystemInfoProgram program = FindSystemInfoProgram();
    if (program.path.isEmpty()) {
        ShowMessageBox(this, kSysInfoUnavailable, msgbox::kOkOnly, kAppTitle);
        return;
    }
    if (!desktop_.StartProgram(program.path, program.arguments)) {
        ShowMessageBox(this,
                       "The system information program " + program.path.toStdString() +
                           " could not be started.",
                       msgbox::kCritical, kAppTitle);
    }
}

}  // namespace tessel::app
