#include "app/browse/recordset_list_pane.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <cmath>

#include "app/browse/grid_rows.h"
#include "app/browse/recordset_list_model.h"
#include "app/browse/recordset_view_pane.h"
#include "app/workspace/empty_pane_note.h"
#include "core/script/recordset_file.h"

namespace tessel::app {

namespace {

inline constexpr const char* kListToolTip =
    "SQL resultsets - click on the row to display resultset in lower-right pane";
inline constexpr const char* kEmptyListNote =
    "Every SELECT of a script run is listed here. Run the script with Ctrl+E; then click a row, "
    "or move to it with the arrow keys, to see its rows below.";

QString RecordsetName(long number) {
    return QString::fromStdString(tessel::RecordsetName(number));
}

}  // namespace

RecordsetListPane::RecordsetListPane(tessel::Session& session, RecordsetViewPane& view,
                                     QWidget* parent)
    : QWidget(parent),
      session_(session),
      view_(view),
      grid_(new QTableView(this)),
      model_(new RecordsetListModel(this)) {
    setObjectName("recordsets");
    grid_->setObjectName("MSFlexGrd1");
    grid_->setModel(model_);
    grid_->setToolTip(kListToolTip);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setVisible(false);
    UseGridRowHeight(*grid_);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setContextMenuPolicy(Qt::PreventContextMenu);
    // Row 0 is the heading row, as the grid has always counted its rows: it holds the headings
    // and stays hidden, while the fixed header above the rows shows the same texts.
    grid_->setRowHidden(0, true);
    QFont headingFont = grid_->horizontalHeader()->font();
    headingFont.setBold(true);
    grid_->horizontalHeader()->setFont(headingFont);
    grid_->viewport()->installEventFilter(this);

    // Moving to another row shows its recordset, whether by the keyboard, a click or a drag
    // that ends on another row. A click on the row shown reads it again; a click whose press
    // has just shown its row does not read it twice.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (movingToLastRow_ || !current.isValid())
                    return;
                SelectRow(current.row());
                rowShownByPress_ = QGuiApplication::mouseButtons() != Qt::NoButton;
            });
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (rowShownByPress_) {
            rowShownByPress_ = false;
            return;
        }
        SelectRow(index.row());
    });
    connect(grid_, &QTableView::activated, this,
            [this](const QModelIndex& index) { SelectRow(index.row()); });
    emptyNote_ = new EmptyPaneNote(kEmptyListNote, this);
    grid_->hide();
}

RecordsetListPane::~RecordsetListPane() = default;

QTableView* RecordsetListPane::Grid() {
    return grid_;
}

void RecordsetListPane::SetContextMenu(QMenu* scriptMenu) {
    scriptMenu_ = scriptMenu;
}

void RecordsetListPane::AddRow(int count, const QString& statement) {
    if (count < 1) {
        return;
    }
    grid_->show();
    emptyNote_->hide();
    model_->SetLastCapture(count, statement.toStdString());
    // Moving to the new row measures the rows above it; a run adding thousands of rows does
    // that once when the window next handles its events.
    if (!lastRowPending_) {
        lastRowPending_ = true;
        QTimer::singleShot(0, this, &RecordsetListPane::ShowLastRow);
    }
}

void RecordsetListPane::ShowLastRow() {
    if (!lastRowPending_)
        return;
    lastRowPending_ = false;
    const int last = model_->rowCount() - 1;
    if (last >= 1) {
        // The run has shown the last recordset already; moving there must not read it again.
        movingToLastRow_ = true;
        grid_->selectionModel()->setCurrentIndex(model_->index(last, 0),
                                                 QItemSelectionModel::NoUpdate);
        movingToLastRow_ = false;
    }
}

void RecordsetListPane::HideGrid() {
    grid_->hide();
    emptyNote_->show();
}

void RecordsetListPane::SetColumnWidths(int innerWidthPixels) {
    const int width = std::max(innerWidthPixels, 0);
    const int quarter = static_cast<int>(std::lround(width * 0.25));
    grid_->setColumnWidth(0, quarter);
    // When both halves round up they would overrun the width by one pixel and bring up a
    // horizontal scroll bar for nothing.
    grid_->setColumnWidth(1,
                          std::min(static_cast<int>(std::lround(width * 0.75)), width - quarter));
}

void RecordsetListPane::SelectRow(int row) {
    if (session_.state.recordsets.recordsetCount <= 1 || row < 1) {
        return;
    }
    const std::string file = RecordsetFilePath(session_.state.app.appPath, row);
    session_.state.recordsets.recordsetFileName = file;
    // A file that is missing or unreadable leaves the view with the new caption and no rows.
    view_.Bind(RecordsetName(row), QString::fromStdString(file));
}

void RecordsetListPane::PopUpMenu(const QPoint& globalPosition) {
    if (scriptMenu_ != nullptr) {
        scriptMenu_->popup(globalPosition);
    }
}

bool RecordsetListPane::eventFilter(QObject* watched, QEvent* event) {
    // Seen before the grid handles the press: whatever showed a row before is not this press.
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress)
        rowShownByPress_ = false;
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            PopUpMenu(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RecordsetListPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        PopUpMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void RecordsetListPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    grid_->setGeometry(0, 0, width(), height());
    // The columns share the grid's client width, so that no horizontal scroll bar appears.
    int inner = width() - 2 * grid_->frameWidth();
    if (grid_->verticalScrollBar()->isVisible()) {
        inner -= grid_->verticalScrollBar()->width();
    }
    SetColumnWidths(inner);
}

}  // namespace tessel::app
