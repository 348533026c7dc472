#include "app/printing/print_script.h"

namespace tessel::app {

bool PageBigEnough(Ui& ui, double width, double height) {
    if (width >= kMinimumPageTwips && height >= kMinimumPageTwips)
        return true;
    ui.MessageBox(kPageSizeMessage, msgbox::kExclamation, kPageSizeCaption);
    return false;
}

QFont PrinterFont(const QFont& editorFont) {
    QFont font(editorFont.family());
    if (editorFont.pointSizeF() > 0) {
        font.setPointSizeF(editorFont.pointSizeF());
    } else {
        font.setPixelSize(editorFont.pixelSize());
    }
    // The hint only helps a machine without the named face find a similar one.
    font.setStyleHint(editorFont.styleHint());
    return font;
}

void PrintScript(Ui& ui, PrintTarget& target, const QString& text, const QFont& editorFont,
                 int copies) {
    ui.SetStatusText(kPrintingStatus);
    if (!PageBigEnough(ui, target.PrintableWidth(), target.PrintableHeight()))
        return;
    ui.SetPointer(Pointer::Busy);
    const QFont font = PrinterFont(editorFont);
    for (int copy = 1; copy <= copies; ++copy) {
        TextPages pages(target.BeginDocument(font));
        pages.BeginCopy();
        pages.PrintText(text);
        target.EndDocument();
    }
    target.EndRun();
    ui.SetPointer(Pointer::Default);
    ui.SetStatusText(kPrintedStatus);
}

}  // namespace tessel::app
