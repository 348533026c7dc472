// One row height for every grid of the result panes, so that the list and the view line up
// and neither grows its rows to fit a tall value: a fixed height also keeps a grid of
// millions of rows as cheap as one of ten.
#pragma once

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace tessel::app {

inline int GridRowHeight(const QFontMetrics& metrics) {
    return metrics.height() + 6;
}

inline void UseGridRowHeight(QTableView& grid) {
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.verticalHeader()->setMinimumSectionSize(1);
    grid.verticalHeader()->setDefaultSectionSize(GridRowHeight(grid.fontMetrics()));
}

}  // namespace tessel::app
