// The print preview: the script's pages as the printer would print them, one copy, with page
// and zoom controls. "Print..." closes it with Accepted, for the print dialog to follow.
#pragma once

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;

namespace tessel::app {

class PrintPreviewDialog : public QDialog {
    Q_OBJECT
  public:
    // `paint` prints one copy on the printer that it is given.
    PrintPreviewDialog(QPrinter* printer, QWidget* parent, std::function<void(QPrinter*)> paint);

    QPrintPreviewWidget* Preview() const { return preview_; }
    QLabel* PageLabel() const { return pageLabel_; }
    QAction* Action(const QString& name) const;

  private:
    void ShowPageNumber();

    QPrintPreviewWidget* preview_;
    QLabel* pageLabel_;
    std::function<void(QPrinter*)> paint_;
};

}  // namespace tessel::app
