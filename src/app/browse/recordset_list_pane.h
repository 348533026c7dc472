// The recordset list pane (window "recordsets"): one row per captured recordset with the
// statement that produced it. Row 0 is the heading row; row k holds capture k. Selecting a row
// reopens that recordset's file in the view pane.
//
// A row is added for every capture of a run, so adding one must not touch the others: the rows
// live in a model that holds only their statements, and the grid is moved to the newest row
// once the run lets the window catch up rather than after every row.
#pragma once

#include <QString>
#include <QWidget>

#include "core/session/session.h"

class QMenu;
class QTableView;

namespace tessel::app {

class EmptyPaneNote;
class RecordsetListModel;
class RecordsetViewPane;

class RecordsetListPane : public QWidget {
    Q_OBJECT
  public:
    RecordsetListPane(tessel::Session& session, RecordsetViewPane& view, QWidget* parent = nullptr);
    ~RecordsetListPane() override;

    // Shows the grid and makes it hold exactly count + 1 rows (heading and captures), the last
    // of which is ("recordset" & count, statement).
    void AddRow(int count, const QString& statement);
    void HideGrid();
    // The menu popped up when the right mouse button is released over the pane or its grid.
    void SetContextMenu(QMenu* scriptMenu);
    QTableView* Grid();
    RecordsetListModel* Model() { return model_; }
    // Columns of a quarter and three quarters of the width.
    void SetColumnWidths(int innerWidthPixels);

    // Row selection: reopens recordset `row` in the view (nothing when the count is 1 or less).
    void SelectRow(int row);

  private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Makes the newest row the grid's current one, as a person sees it after a run.
    void ShowLastRow();
    void PopUpMenu(const QPoint& globalPosition);

    tessel::Session& session_;
    RecordsetViewPane& view_;
    QTableView* grid_ = nullptr;
    RecordsetListModel* model_ = nullptr;
    bool lastRowPending_ = false;
    bool movingToLastRow_ = false;
    // The current row was changed, and its recordset shown, by the mouse press of a click.
    bool rowShownByPress_ = false;
    EmptyPaneNote* emptyNote_ = nullptr;
    QMenu* scriptMenu_ = nullptr;
};

}  // namespace tessel::app
