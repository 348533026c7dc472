// The recordset view pane (window "resultset"): the rows and columns of one recordset file in a
// grid, with the caption "recordset" & N above it. Rows are read from the file a page at a time.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "core/session/session.h"

class QLabel;
class QTableView;

namespace tessel::app {

class EmptyPaneNote;
class RecordsetTableModel;

class RecordsetViewPane : public QWidget {
    Q_OBJECT
  public:
    explicit RecordsetViewPane(tessel::Session& session, QWidget* parent = nullptr);
    ~RecordsetViewPane() override;

    // Sets the caption and shows the rows of `recordsetFile`; "" (or a file that cannot be read)
    // leaves the grid without rows. Makes the grid visible.
    void Bind(const QString& caption, const QString& recordsetFile);
    // Empty caption, no rows, grid hidden.
    void HideGrid();
    QString Caption() const;
    QTableView* Grid();
    RecordsetTableModel* Model();

    // Widens the columns on screen to fit the rows on screen (the grid calls it as it scrolls).
    void FitColumnsToRowsOnScreen();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int WidestColumn() const;
    int NeededWidth(int column, int firstRow, int lastRow) const;
    void SetFittedWidth(int column, int width);
    void FitColumnsToFirstRows();

    tessel::Session& session_;
    QLabel* caption_ = nullptr;
    QTableView* grid_ = nullptr;
    RecordsetTableModel* model_ = nullptr;
    EmptyPaneNote* emptyNote_ = nullptr;
    // Columns the person resized, which the fitting leaves alone.
    std::vector<bool> sizedByHand_;
    bool fitting_ = false;
};

}  // namespace tessel::app
