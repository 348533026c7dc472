// Printing the script: the page size check, the printer font taken from the editor's, and each
// copy printed as a document of its own, with the status panel and the busy pointer telling
// the person what is going on. The printer stands behind PrintTarget, so that the copies and
// their documents are checked without one.
#pragma once

#include <QFont>
#include <QString>

#include "app/printing/print_layout.h"
#include "core/ui.h"

namespace tessel::app {

inline constexpr const char* kPrintingStatus = "Printing...";
inline constexpr const char* kPrintedStatus = "Ready";
inline constexpr const char* kPageSizeMessage =
    "Please select Printer paper size where page height and width is > 3 inches";
inline constexpr const char* kPageSizeCaption = "Printer page size setting error";
// The number of a failure of the printer itself.
inline constexpr long kPrinterError = 482;

// A printer that prints documents one after another.
class PrintTarget {
  public:
    virtual ~PrintTarget() = default;
    // The printable area of its page, in twips, before any document begins.
    virtual double PrintableWidth() const = 0;
    virtual double PrintableHeight() const = 0;
    // Begins a document (one print job) in `font`. The surface lasts until EndDocument.
    // Throws db::EngineError when the printer cannot begin one.
    virtual PrintSurface& BeginDocument(const QFont& font) = 0;
    // Ends the document, which sends it to the printer. Throws db::EngineError when the
    // printer reports a failure.
    virtual void EndDocument() = 0;
    // Every document of the run has ended.
    virtual void EndRun() {}
};

// False, after the page size message, when a page of `width` by `height` twips is too small.
bool PageBigEnough(Ui& ui, double width, double height);

// The printer font: the editor font's name and size, neither bold nor italic.
QFont PrinterFont(const QFont& editorFont);

// Prints `copies` copies of `text`, each a document of its own whose pages are numbered from 1.
// A page smaller than 3 inches either way gets the page size message and nothing is printed.
// Failures of the printer pass to the caller.
void PrintScript(Ui& ui, PrintTarget& target, const QString& text, const QFont& editorFont,
                 int copies);

}  // namespace tessel::app
