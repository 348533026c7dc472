// The layout's surface on a QPainter over a paged device, and the print target on a QPrinter.
//
// Twips become device units at the device's own resolution. The printer's documents are its
// print jobs. A printer that writes a file (PDF) would replace the file with every job, so
// there the copies follow one another in one file, each starting on a page of its own; the
// file is written under a temporary name and renamed into place when the run has ended, so a
// failed run never leaves half a file.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <memory>

#include "app/printing/print_script.h"

class QPagedPaintDevice;
class QPrinter;

namespace tessel::app {

class PainterSurface : public PrintSurface {
  public:
    // `painter` is active on `device`; the surface sets the font on it.
    PainterSurface(QPainter& painter, QPagedPaintDevice& device, const QFont& font);

    double PrintableWidth() const override;
    double PrintableHeight() const override;
    double TextWidth(const QString& text) const override;
    double LineHeight() const override;
    void DrawText(double x, double y, const QString& text) override;
    void NewPage() override;

  private:
    QPainter& painter_;
    QPagedPaintDevice& device_;
    double unitsPerTwipX_;
    double unitsPerTwipY_;
    QFont font_;
    QFontMetricsF metrics_;
    bool pagePending_ = false;
};

// The printable area of a device, in twips.
double PrintableWidthTwips(const QPagedPaintDevice& device);
double PrintableHeightTwips(const QPagedPaintDevice& device);

class PrinterTarget : public PrintTarget {
  public:
    explicit PrinterTarget(QPrinter& printer);
    // A run left unfinished by a failure is abandoned: no job is sent, no file is left.
    ~PrinterTarget() override;

    double PrintableWidth() const override;
    double PrintableHeight() const override;
    PrintSurface& BeginDocument(const QFont& font) override;
    void EndDocument() override;
    void EndRun() override;

  private:
    bool WritesFile() const { return !fileName_.isEmpty(); }
    void BeginPrinting();
    // Ends the painter and throws when the printer failed.
    void EndPrinting();
    void Abandon();

    QPrinter& printer_;
    // The file that a file printer writes, and the temporary name it writes under.
    QString fileName_;
    QString partName_;
    QPainter painter_;
    std::unique_ptr<PainterSurface> surface_;
};

}  // namespace tessel::app
