#include "app/browse/recordset_view_pane.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "app/browse/grid_rows.h"
#include "app/browse/recordset_table_model.h"
#include "app/workspace/empty_pane_note.h"

namespace tessel::app {

namespace {

inline constexpr const char* kViewToolTip = "Resultset of upper-right pane selected SQL recordset";
// Widest that fitting makes a column, in average characters.
inline constexpr int kWidestColumnCharacters = 40;

inline constexpr const char* kEmptyViewNote =
    "The rows of a recordset appear here: those of the last SELECT after a run, or of the one "
    "chosen in the list above.";
// Rows measured when a recordset is shown; later rows are measured as they come on screen.
inline constexpr int kFirstRowsMeasured = 50;
// A memo of many pages is measured by its start only: no column grows past 40 average
// characters, and even narrow letters run past that well within this many.
inline constexpr qsizetype kMeasuredCharacters = kWidestColumnCharacters * 4;

int TextWidth(const QFontMetrics& metrics, const QString& text) {
    return metrics.horizontalAdvance(text.left(kMeasuredCharacters));
}

}  // namespace

// Widest a column is made, in pixels.
int RecordsetViewPane::WidestColumn() const {
    return grid_->fontMetrics().averageCharWidth() * kWidestColumnCharacters;
}

// Width that the cells of rows first..last need in a column, with the heading's.
int RecordsetViewPane::NeededWidth(int column, int firstRow, int lastRow) const {
    const QFontMetrics metrics(grid_->font());
    int width = TextWidth(QFontMetrics(grid_->horizontalHeader()->font()),
                          model_->headerData(column, Qt::Horizontal).toString());
    for (int row = firstRow; row <= lastRow; ++row)
        width = std::max(width,
                         TextWidth(metrics, model_->data(model_->index(row, column)).toString()));
    return std::min(width + metrics.averageCharWidth() * 2, WidestColumn());
}

void RecordsetViewPane::SetFittedWidth(int column, int width) {
    fitting_ = true;
    grid_->setColumnWidth(column, width);
    fitting_ = false;
}

// Measuring every row of a large recordset would read the whole file: a new recordset's
// columns are fitted to its heading and first rows.
void RecordsetViewPane::FitColumnsToFirstRows() {
    sizedByHand_.assign(static_cast<std::size_t>(model_->columnCount()), false);
    const int lastRow = std::min(model_->rowCount(), kFirstRowsMeasured) - 1;
    for (int column = 0; column < model_->columnCount(); ++column)
        SetFittedWidth(column, NeededWidth(column, 0, lastRow));
}

// Rows further down may hold wider values (a large number, a long name): as they come on
// screen their columns widen, so that no value on screen is cut short. A column never narrows
// while the person scrolls, and one they sized themselves stays as they left it.
void RecordsetViewPane::FitColumnsToRowsOnScreen() {
    if (!model_->IsOpen() || model_->rowCount() == 0 || grid_->isHidden())
        return;
    const QRect screen = grid_->viewport()->rect();
    const int firstRow = std::max(grid_->rowAt(screen.top()), 0);
    int lastRow = grid_->rowAt(screen.bottom());
    if (lastRow < 0)
        lastRow = model_->rowCount() - 1;
    const int firstColumn = std::max(grid_->columnAt(screen.left()), 0);
    int lastColumn = grid_->columnAt(screen.right());
    if (lastColumn < 0)
        lastColumn = model_->columnCount() - 1;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        if (static_cast<std::size_t>(column) < sizedByHand_.size() && sizedByHand_[column])
            continue;
        const int needed = NeededWidth(column, firstRow, lastRow);
        if (needed > grid_->columnWidth(column))
            SetFittedWidth(column, needed);
    }
}

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
    UseGridRowHeight(*grid_);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int) {
                if (!fitting_ && static_cast<std::size_t>(column) < sizedByHand_.size())
                    sizedByHand_[column] = true;
            });
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RecordsetViewPane::FitColumnsToRowsOnScreen);
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &RecordsetViewPane::FitColumnsToRowsOnScreen);
    grid_->viewport()->installEventFilter(this);
    caption_->setObjectName("DBGrid1Caption");
    caption_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addWidget(grid_, 1);
    emptyNote_ = new EmptyPaneNote(kEmptyViewNote, this);
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
            FitColumnsToFirstRows();
        } catch (const std::exception&) {
            // A recordset that cannot be read shows no rows; nothing is reported.
        }
    }
    grid_->scrollToTop();
    emptyNote_->hide();
    caption_->setVisible(true);
    grid_->setVisible(true);
}

void RecordsetViewPane::HideGrid() {
    caption_->clear();
    model_->Close();
    caption_->setVisible(false);
    grid_->setVisible(false);
    emptyNote_->show();
}

bool RecordsetViewPane::eventFilter(QObject* watched, QEvent* event) {
    // A taller or wider pane brings more rows and columns on screen.
    if (watched == grid_->viewport() && event->type() == QEvent::Resize)
        FitColumnsToRowsOnScreen();
    return QWidget::eventFilter(watched, event);
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
