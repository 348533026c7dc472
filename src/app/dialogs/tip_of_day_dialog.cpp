#include "app/dialogs/tip_of_day_dialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/heading_font.h"
#include "app/startup/tips_setting.h"
#include "core/files/script_files.h"

namespace tessel::app {

namespace {

// What the tip label shows before a tip replaces it: only an empty tips file leaves it there.
constexpr const char* kNoTipsText = "The tips file holds no tips.";

// Lines as line input reads them: CR LF or LF ends a line; a last line without an end counts,
// an end at the very end of the file adds no empty line.
QStringList LinesOf(const QString& text) {
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

}  // namespace

TipOfDayDialog::TipOfDayDialog(QString appPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      appPath_(std::move(appPath)),
      lblHeading_(new QLabel("Did you know...", this)),
      lblTipText_(new QLabel(kNoTipsText, this)),
      chkLoadTipsAtStartup_(new QCheckBox("&Show Tips at Startup", this)),
      cmdNextTip_(new QPushButton("&Next Tip", this)),
      cmdOK_(new QPushButton("OK", this)) {
    setObjectName("TODquill");
    setWindowTitle("Tip of the Day");
    setModal(false);

    lblHeading_->setObjectName("lblHeading");
    UseHeadingFont(*lblHeading_);

    lblTipText_->setObjectName("lblTipText");
    QFont tipFont("Verdana");
    tipFont.setPointSize(10);
    lblTipText_->setFont(tipFont);
    lblTipText_->setWordWrap(true);
    lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText_->setTextFormat(Qt::PlainText);
    lblTipText_->setMinimumSize(360, 110);
    lblTipText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblTipText_->setMargin(8);
    lblTipText_->setBackgroundRole(QPalette::Base);
    lblTipText_->setAutoFillBackground(true);

    chkLoadTipsAtStartup_->setObjectName("chkLoadTipsAtStartup");
    cmdNextTip_->setObjectName("cmdNextTip");
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);

    auto* text = new QVBoxLayout;
    text->addWidget(lblHeading_);
    text->addWidget(lblTipText_, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdNextTip_);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(text, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(chkLoadTipsAtStartup_);

    connect(cmdNextTip_, &QPushButton::clicked, this, &TipOfDayDialog::NextTip);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::close);
    connect(chkLoadTipsAtStartup_, &QCheckBox::clicked, this,
            [](bool checked) { SetShowTipsAtStartup(checked); });
}

QString TipOfDayDialog::MissingFileText() {
    return QString("An error has occured because the ") + kTipsFileName + " file was not found? " +
           "You will need to Uninstall this SQL scripting program " +
           "and then install it again to recover the " + kTipsFileName + " file.";
}

bool TipOfDayDialog::Load() {
    if (!ShowTipsAtStartup())
        return false;
    chkLoadTipsAtStartup_->setChecked(true);
    random_.seed(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch()));
    if (!LoadTips(appPath_ + "/" + kTipsFileName))
        lblTipText_->setText(MissingFileText());
    return true;
}

bool TipOfDayDialog::LoadTips(const QString& file) {
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        // The file is there but cannot be read: say so rather than call it missing.
        lblTipText_->setText("The tips file " + file + " could not be read: " + in.errorString());
        return true;
    }
    const QByteArray bytes = in.readAll();
    tips_ = LinesOf(QString::fromStdString(DecodeScriptBytes(bytes.toStdString())));
    NextTip();
    return true;
}

void TipOfDayDialog::NextTip() {
    // An empty list chooses tip 1, which DisplayCurrentTip leaves alone.
    std::uniform_int_distribution<long> pick(1, tips_.isEmpty() ? 1 : tips_.size());
    currentTip_ = pick(random_);
    DisplayCurrentTip();
}

void TipOfDayDialog::DisplayCurrentTip() {
    if (!tips_.isEmpty() && currentTip_ >= 1 && currentTip_ <= tips_.size())
        lblTipText_->setText(tips_[currentTip_ - 1]);
}

}  // namespace tessel::app
