#include "app/workspace/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessel::app {

FindDialog::FindDialog(FindState& state, std::function<void()> findText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      state_(state),
      findText_(std::move(findText)),
      txtFind_(new QLineEdit(this)),
      cmdFind_(new QPushButton("&Find", this)),
      cmdcancel_(new QPushButton("Cancel", this)),
      chkCase_(new QCheckBox("Match &Case", this)),
      down_(new QRadioButton("&Down")),
      up_(new QRadioButton("&Up")) {
    setObjectName("scriptfind");
    setWindowTitle("Find script");
    setModal(true);

    auto* label = new QLabel("Fi&nd What:", this);
    label->setObjectName("Label1");
    label->setBuddy(txtFind_);
    txtFind_->setObjectName("txtFind");
    txtFind_->setToolTip("Text to Find");
    txtFind_->setMinimumWidth(220);
    cmdFind_->setObjectName("cmdFind");
    cmdFind_->setToolTip("Start Search");
    cmdFind_->setDefault(true);
    cmdFind_->setEnabled(false);
    cmdcancel_->setObjectName("cmdcancel");
    cmdcancel_->setToolTip("Closes the dialogue window");
    chkCase_->setObjectName("chkCase");
    chkCase_->setToolTip("Case Sensitivity");

    auto* frame = new QGroupBox("Direction", this);
    frame->setObjectName("Frame1");
    up_->setObjectName("optDirection0");
    up_->setToolTip("Search to Beginning of Document");
    down_->setObjectName("optDirection1");
    down_->setToolTip("Search to End of Document");
    auto* directions = new QHBoxLayout(frame);
    directions->addWidget(up_);
    directions->addWidget(down_);
    // The button whose element equals the find direction is the one selected.
    if (state_.direction == 1)
        down_->setChecked(true);
    if (state_.direction == 0)
        up_->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(txtFind_, 0, 1, 1, 2);
    grid->addWidget(cmdFind_, 0, 3);
    grid->addWidget(chkCase_, 1, 0, 1, 2, Qt::AlignBottom);
    grid->addWidget(frame, 1, 2);
    grid->addWidget(cmdcancel_, 1, 3, Qt::AlignTop);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(txtFind_, &QLineEdit::textChanged, this, [this](const QString& text) {
        state_.newSearch = true;
        cmdFind_->setEnabled(!text.isEmpty());
    });
    connect(cmdFind_, &QPushButton::clicked, this, &FindDialog::OnFind);
    connect(cmdcancel_, &QPushButton::clicked, this, &FindDialog::OnCancel);
    connect(chkCase_, &QCheckBox::clicked, this,
            [this](bool checked) { state_.matchCase = checked; });
    connect(down_, &QRadioButton::clicked, this, [this] { state_.direction = 1; });
    connect(up_, &QRadioButton::clicked, this, [this] { state_.direction = 0; });
}

void FindDialog::OnFind() {
    state_.findText = txtFind_->text().toStdString();
    findText_();
}

void FindDialog::OnCancel() {
    state_.findText = txtFind_->text().toStdString();
    state_.matchCase = chkCase_->isChecked();
    reject();
}

void FindDialog::keyPressEvent(QKeyEvent* event) {
    // Escape is the Cancel button; the close box closes without storing the text.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdcancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tessel::app
