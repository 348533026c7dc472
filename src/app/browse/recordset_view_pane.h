// The recordset view pane (window "resultset"): the rows and columns of one recordset file in a
// grid, with the caption "recordset" & N above it. Rows are read from the file a page at a time.
#pragma once

#include <QString>
#include <QWidget>

#include "core/session/session.h"

class QLabel;
class QTableView;

namespace tessel::app {

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

  private:
    tessel::Session& session_;
    QLabel* caption_ = nullptr;
    QTableView* grid_ = nullptr;
    RecordsetTableModel* model_ = nullptr;
};

}  // namespace tessel::app
