#include "app/printing/print_preview_dialog.h"

#include <QAction>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace tessel::app {

namespace {

// The preview opens on a page of a readable size beside the main window.
constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 820;

}  // namespace

PrintPreviewDialog::PrintPreviewDialog(QPrinter* printer, QWidget* parent,
                                       std::function<void(QPrinter*)> paint)
    : QDialog(parent), paint_(std::move(paint)) {
    setObjectName("printPreview");
    setWindowTitle("Print preview");
    preview_ = new QPrintPreviewWidget(printer, this);
    preview_->setObjectName("preview");
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* target) { paint_(target); });

    auto* bar = new QToolBar(this);
    bar->setObjectName("previewBar");
    auto add = [this, bar](const QString& name, const QString& text, auto slot) {
        QAction* action = bar->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("fitWidth", "Fit width", [this] { preview_->fitToWidth(); });
    add("fitPage", "Whole page", [this] { preview_->fitInView(); });
    add("zoomIn", "Zoom in", [this] { preview_->zoomIn(); });
    add("zoomOut", "Zoom out", [this] { preview_->zoomOut(); });
    bar->addSeparator();
    add("previousPage", "Previous page", [this] {
        preview_->setCurrentPage(preview_->currentPage() - 1);
        ShowPageNumber();
    });
    pageLabel_ = new QLabel(bar);
    pageLabel_->setObjectName("pageLabel");
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(pageLabel_);
    add("nextPage", "Next page", [this] {
        preview_->setCurrentPage(preview_->currentPage() + 1);
        ShowPageNumber();
    });
    bar->addSeparator();
    add("print", "Print...", [this] { accept(); });
    add("close", "Close", [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(preview_, 1);

    connect(preview_, &QPrintPreviewWidget::previewChanged, this,
            &PrintPreviewDialog::ShowPageNumber);
    resize(kInitialWidth, kInitialHeight);
}

QAction* PrintPreviewDialog::Action(const QString& name) const {
    return findChild<QAction*>(name);
}

void PrintPreviewDialog::ShowPageNumber() {
    pageLabel_->setText(
        QString("Page %1 of %2").arg(preview_->currentPage()).arg(preview_->pageCount()));
}

}  // namespace tessel::app
