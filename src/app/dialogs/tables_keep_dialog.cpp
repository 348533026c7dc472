#include "app/dialogs/tables_keep_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/button_row.h"

namespace tessel::app {
namespace {

QGroupBox* Frame(const char* name, const char* caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

}  // namespace

TablesKeepDialog::TablesKeepDialog(const std::vector<std::string>& tables, Writer keep,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      keep_(std::move(keep)),
      lstSourceList_(new QListWidget(this)),
      lstDestList_(new QListWidget(this)),
      cmdAdd_(new QPushButton(">", this)),
      cmdDeduct_(new QPushButton("<", this)),
      cmdOK_(new QPushButton("&OK", this)),
      cmdCancel_(new QPushButton("Cancel", this)) {
    setObjectName("tablesKeep");
    setWindowTitle("Design Master replication keep local property settings");
    setModal(true);

    QGroupBox* keepLocal =
        Frame("fmKeepLocal", "Select tables to be prevented used in replication from Design Master",
              this);
    QGroupBox* source = Frame("fmSource", "Database tables", keepLocal);
    QGroupBox* destination = Frame("Frame1", "Selected local tables", keepLocal);
    lstSourceList_->setObjectName("lstSourceList");
    lstSourceList_->setToolTip(
        "Available database tables you can select and be kept local for subsequent replicas "
        "made from this Design Master database");
    lstDestList_->setObjectName("lstDestList");
    lstDestList_->setToolTip(
        "Database tables you selected to be kept local for subsequent replicas made from this "
        "Design Master database");
    for (const auto& table : tables)
        lstSourceList_->addItem(QString::fromStdString(table));
    cmdAdd_->setObjectName("cmdAdd");
    cmdAdd_->setToolTip("Select (highlighted - click on left table name)");
    cmdDeduct_->setObjectName("cmdDeduct");
    cmdDeduct_->setToolTip("Deselect (highlighted - click on right table name)");
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    cmdOK_->setToolTip("Closes dialogue window with any settings made");
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setToolTip(
        "Closes dialogue window and discards any settings made during the dialogue window "
        "being shown");

    (new QVBoxLayout(source))->addWidget(lstSourceList_);
    (new QVBoxLayout(destination))->addWidget(lstDestList_);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(cmdAdd_);
    moves->addWidget(cmdDeduct_);
    moves->addStretch();
    auto* lists = new QHBoxLayout(keepLocal);
    lists->addWidget(source);
    lists->addLayout(moves);
    lists->addWidget(destination);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keepLocal);
    layout->addLayout(ButtonRow({cmdOK_, cmdCancel_}));

    connect(cmdAdd_, &QPushButton::clicked, this, [this] { Move(lstSourceList_, lstDestList_); });
    connect(cmdDeduct_, &QPushButton::clicked, this,
            [this] { Move(lstDestList_, lstSourceList_); });
    connect(cmdOK_, &QPushButton::clicked, this, &TablesKeepDialog::Confirm);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    // Cancel and closing the window discard the choice.
    connect(this, &QDialog::rejected, lstDestList_, &QListWidget::clear);
}

void TablesKeepDialog::Move(QListWidget* from, QListWidget* to) {
    const int row = from->currentRow();
    if (from->count() == 0 || row < 0 || from->currentItem() == nullptr ||
        !from->currentItem()->isSelected())
        return;
    to->addItem(from->takeItem(row));
}

void TablesKeepDialog::Confirm() {
    std::vector<std::string> chosen;
    for (int row = 0; row < lstDestList_->count(); ++row)
        chosen.push_back(lstDestList_->item(row)->text().toStdString());
    if (keep_(chosen))
        accept();
}

}  // namespace tessel::app
