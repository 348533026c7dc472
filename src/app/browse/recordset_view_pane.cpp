#include "app/browse/recordset_view_pane.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "app/browse/recordset_table_model.h"

namespace tessel::app {

namespace {

inline constexpr const char* kViewToolTip = "Resultset of upper-right pane selected SQL recordset";
// Widest a column starts at, in average characters.
inline constexpr int kMaxStartColumnCharacters = 40;

// Widths from the heading and the first rows only: measuring every row of a large recordset
// would read the whole file.
void FitColumnsToFirstRows(QTableView& grid, RecordsetTableModel& model) {
    const QFontMetrics metrics(grid.font());
    const int rows = std::min(model.rowCount(), 50);
    const int padding = metrics.averageCharWidth() * 2;
    const int widest = metrics.averageCharWidth() * kMaxStartColumnCharacters;
    for (int column = 0; column < model.columnCount(); ++column) {
        int width = QFontMetrics(grid.horizontalHeader()->font())
                        .horizontalAdvance(model.headerData(column, Qt::Horizontal).toString());
        for (int row = 0; row < rows; ++row) {
            width = std::max(
                width, metrics.horizontalAdvance(model.data(model.index(row, column)).toString()));
        }
        grid.setColumnWidth(column, std::min(width + padding, widest));
    }
}

}  // namespace

RecordsetViewPane::RecordsetViewPane(tessel::Session& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      caption_(new QLabel(this)),
      grid_(new QTableView(this)),
      model_(new RecordsetTableModel(this)) {
    setObjectName("resultset");
    grid_->setObjectName("DBGrid1");
    grid_->setToolTip(kViewToolTip);
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    // Fixed row heights keep a grid of millions of rows as cheap as one of ten.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    caption_->setObjectName("DBGrid1Caption");
    caption_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addWidget(grid_, 1);
    HideGrid();
}

RecordsetViewPane::~RecordsetViewPane() = default;

void RecordsetViewPane::Bind(const QString& caption, const QString& recordsetFile) {
    caption_->setText(caption);
    if (recordsetFile.isEmpty()) {
        model_->Close();
    } else {
        try {
            model_->Open(recordsetFile.toStdString());
            FitColumnsToFirstRows(*grid_, *model_);
        } catch (const std::exception&) {
            // A recordset that cannot be read shows no rows; nothing is reported.
        }
    }
    grid_->scrollToTop();
    caption_->setVisible(true);
    grid_->setVisible(true);
}

void RecordsetViewPane::HideGrid() {
    caption_->clear();
    model_->Close();
    caption_->setVisible(false);
    grid_->setVisible(false);
}

QString RecordsetViewPane::Caption() const {
    return caption_->text();
}

QTableView* RecordsetViewPane::Grid() {
    return grid_;
}

RecordsetTableModel* RecordsetViewPane::Model() {
    return model_;
}

}  // namespace tessel::app
