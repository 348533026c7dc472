#include "app/printing/print_commands.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "app/main_window.h"
#include "app/printing/print_preview_dialog.h"
#include "app/printing/printer_target.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"

namespace tessel::app {

ScriptPrinting::ScriptPrinting(MainWindow& window)
    : QObject(&window),
      window_(window),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName("modPrtTxtBox");
}

ScriptPrinting::~ScriptPrinting() = default;

void ScriptPrinting::PrinterSetup() {
    QPageSetupDialog dialog(printer_.get(), &window_);
    // The dialog puts the choices into the printer when the person confirms them.
    dialog.exec();
}

void ScriptPrinting::PrintWithDialog() {
    // The dialog shows the copies of the last print; the printer itself always makes one
    // copy of a job, as every copy is a job of its own.
    printer_->setCopyCount(copies_);
    QPrintDialog dialog(printer_.get(), &window_);
    // Only what printing the whole script honours is offered.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    copies_ = std::max(1, printer_->copyCount());
    printer_->setCopyCount(1);
    if (accepted)
        PrintNow();
}

void ScriptPrinting::PrintNow() {
    printer_->setCopyCount(1);
    PrinterTarget target(*printer_);
    PrintScript(window_.GetUi(), target, QString::fromStdString(window_.Editor().Text()),
                window_.Editor().TextBox()->font(), copies_);
}

void ScriptPrinting::PrintPreview() {
    if (!PageBigEnough(window_.GetUi(), PrintableWidthTwips(*printer_),
                       PrintableHeightTwips(*printer_))) {
        return;
    }
    const QString text = QString::fromStdString(window_.Editor().Text());
    const QFont font = PrinterFont(window_.Editor().TextBox()->font());
    PrintPreviewDialog dialog(printer_.get(), &window_, [text, font](QPrinter* printer) {
        QPainter painter(printer);
        PainterSurface surface(painter, *printer, font);
        TextPages pages(surface);
        pages.BeginCopy();
        pages.PrintText(text);
    });
    if (dialog.exec() == QDialog::Accepted)
        PrintWithDialog();
}

ScriptPrinting& BindPrinting(MainWindow& window) {
    auto* printing = new ScriptPrinting(window);
    window.BindCommand("mnuFilePrinterSU", [printing] { printing->PrinterSetup(); });
    window.BindCommand("mnuFilePrint", [printing] { printing->PrintWithDialog(); });
    window.BindCommand("mnuFilePrintPreview", [printing] { printing->PrintPreview(); });
    window.BindPrintNow([printing] { printing->PrintNow(); });
    return *printing;
}

}  // namespace tessel::app
