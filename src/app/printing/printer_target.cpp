#include "app/printing/printer_target.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

#include "app/workspace/twips.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

double UnitsPerTwip(int dpi) {
    return dpi / kTwipsPerInch;
}

}  // namespace

double PrintableWidthTwips(const QPagedPaintDevice& device) {
    return device.width() / UnitsPerTwip(device.logicalDpiX());
}

double PrintableHeightTwips(const QPagedPaintDevice& device) {
    return device.height() / UnitsPerTwip(device.logicalDpiY());
}

PainterSurface::PainterSurface(QPainter& painter, QPagedPaintDevice& device, const QFont& font)
    : painter_(painter),
      device_(device),
      unitsPerTwipX_(UnitsPerTwip(device.logicalDpiX())),
      unitsPerTwipY_(UnitsPerTwip(device.logicalDpiY())),
      font_(font, &device),
      metrics_(font_, &device) {
    painter_.setFont(font_);
}

double PainterSurface::PrintableWidth() const {
    return PrintableWidthTwips(device_);
}

double PainterSurface::PrintableHeight() const {
    return PrintableHeightTwips(device_);
}

double PainterSurface::TextWidth(const QString& text) const {
    return metrics_.horizontalAdvance(text) / unitsPerTwipX_;
}

double PainterSurface::LineHeight() const {
    return metrics_.lineSpacing() / unitsPerTwipY_;
}

void PainterSurface::DrawText(double x, double y, const QString& text) {
    if (pagePending_) {
        device_.newPage();
        pagePending_ = false;
    }
    painter_.drawText(QPointF(x * unitsPerTwipX_, y * unitsPerTwipY_ + metrics_.ascent()), text);
}

void PainterSurface::NewPage() {
    pagePending_ = true;
}

PrinterTarget::PrinterTarget(QPrinter& printer)
    : printer_(printer), fileName_(printer.outputFileName()) {}

PrinterTarget::~PrinterTarget() {
    Abandon();
}

double PrinterTarget::PrintableWidth() const {
    return PrintableWidthTwips(printer_);
}

double PrinterTarget::PrintableHeight() const {
    return PrintableHeightTwips(printer_);
}

PrintSurface& PrinterTarget::BeginDocument(const QFont& font) {
    const bool continuesFile = painter_.isActive();
    if (!continuesFile)
        BeginPrinting();
    surface_ = std::make_unique<PainterSurface>(painter_, printer_, font);
    if (continuesFile)
        surface_->NewPage();
    return *surface_;
}

void PrinterTarget::BeginPrinting() {
    if (!WritesFile()) {
        if (printer_.printerName().isEmpty()) {
            throw ProgramError(kPrinterError,
                               "No printer is set up on this computer. Add a printer, or print "
                               "to a file with File > Print.");
        }
        if (!painter_.begin(&printer_)) {
            throw ProgramError(kPrinterError, "The printer \"" +
                                                  printer_.printerName().toStdString() +
                                                  "\" cannot begin a print job.");
        }
        return;
    }
    const QFileInfo target(fileName_);
    QTemporaryFile part(target.absolutePath() + "/." + target.completeBaseName() + "-XXXXXX.pdf");
    part.setAutoRemove(false);
    if (!part.open()) {
        throw ProgramError(kPrinterError, "Cannot print to the file \"" + fileName_.toStdString() +
                                              "\": " + part.errorString().toStdString() + ".");
    }
    partName_ = part.fileName();
    part.close();
    printer_.setOutputFileName(partName_);
    if (!painter_.begin(&printer_)) {
        Abandon();
        throw ProgramError(kPrinterError, "Cannot print to the file \"" + fileName_.toStdString() +
                                              "\": it cannot be written.");
    }
}

void PrinterTarget::EndDocument() {
    surface_.reset();
    // Each copy is a job of its own; a file holds them all and ends with the run.
    if (!WritesFile())
        EndPrinting();
}

void PrinterTarget::EndRun() {
    surface_.reset();
    if (!WritesFile() || partName_.isEmpty())
        return;
    EndPrinting();
    printer_.setOutputFileName(fileName_);
    std::error_code code;
    std::filesystem::rename(partName_.toStdString(), fileName_.toStdString(), code);
    if (code) {
        QFile::remove(partName_);
        partName_.clear();
        throw FileSystemError("write", fileName_.toStdString(), code);
    }
    partName_.clear();
}

void PrinterTarget::EndPrinting() {
    const bool ended = painter_.end();
    if (!ended || printer_.printerState() == QPrinter::Error) {
        Abandon();
        if (WritesFile()) {
            throw ProgramError(
                kPrinterError,
                "Cannot print to the file \"" + fileName_.toStdString() + "\": writing it failed.");
        }
        throw ProgramError(kPrinterError, "The printer \"" + printer_.printerName().toStdString() +
                                              "\" reported an error; the job may be incomplete.");
    }
}

void PrinterTarget::Abandon() {
    surface_.reset();
    if (painter_.isActive()) {
        printer_.abort();
        painter_.end();
    }
    if (!partName_.isEmpty()) {
        QFile::remove(partName_);
        printer_.setOutputFileName(fileName_);
        partName_.clear();
    }
}

}  // namespace tessel::app
