// The printing commands of the main window: File > Printer setup (the page set-up dialog
// only), File > Print (the print dialog, then printing), File > Print preview, and the
// toolbar's print button (printing at once with the settings as they are). They share one
// printer, which keeps what the person chose in the dialogs, copies included, for the run.
#pragma once

#include <QObject>
#include <memory>

class QPrinter;

namespace tessel::app {

class MainWindow;

class ScriptPrinting : public QObject {
    Q_OBJECT
  public:
    // Lives as a child of the window.
    explicit ScriptPrinting(MainWindow& window);
    ~ScriptPrinting() override;

    QPrinter& Printer() { return *printer_; }
    // The copies that the print dialog last held.
    int Copies() const { return copies_; }

    void PrinterSetup();
    void PrintWithDialog();
    void PrintNow();
    void PrintPreview();

  private:
    MainWindow& window_;
    std::unique_ptr<QPrinter> printer_;
    int copies_ = 1;
};

// Makes the window's printing commands and binds them to its menu items and its print button.
ScriptPrinting& BindPrinting(MainWindow& window);

}  // namespace tessel::app
