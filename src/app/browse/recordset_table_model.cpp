#include "app/browse/recordset_table_model.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

#include <algorithm>
#include <limits>

#include "app/browse/long_text.h"
#include "app/browse/recordset_cell_format.h"

namespace tessel::app {

namespace {

using Kind = db::ValueView::Kind;

QLocale GridLocale(QLocale locale) {
    // Key columns read better without thousands separators; the decimal sign stays the
    // locale's own.
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QVariant StoredValue(const RecordsetCell& cell) {
    switch (cell.kind) {
        case Kind::Null:
            return QVariant();
        case Kind::Integer:
            return QVariant::fromValue(static_cast<qlonglong>(cell.integer));
        case Kind::Real:
            return cell.real;
        case Kind::Text:
            return QString::fromUtf8(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size()));
        case Kind::Blob:
            return QByteArray(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size()));
    }
    return QVariant();
}

}  // namespace

RecordsetTableModel::RecordsetTableModel(QObject* parent)
    : QAbstractTableModel(parent), locale_(GridLocale(QLocale())) {}

RecordsetTableModel::~RecordsetTableModel() = default;

void RecordsetTableModel::SetLocale(const QLocale& locale) {
    beginResetModel();
    locale_ = GridLocale(locale);
    endResetModel();
}

void RecordsetTableModel::Open(const std::string& path) {
    beginResetModel();
    pages_.clear();
    columns_.clear();
    rowCount_ = 0;
    file_.reset();
    try {
        std::unique_ptr<RecordsetFile> file = RecordsetFile::Open(path);
        columns_ = file->Columns();
        // A view can address no more rows than an int counts.
        rowCount_ = static_cast<int>(
            std::min<std::int64_t>(file->RowCount(), std::numeric_limits<int>::max()));
        file_ = std::move(file);
    } catch (...) {
        columns_.clear();
        rowCount_ = 0;
        endResetModel();
        throw;
    }
    endResetModel();
}

void RecordsetTableModel::Close() {
    beginResetModel();
    pages_.clear();
    columns_.clear();
    rowCount_ = 0;
    file_.reset();
    endResetModel();
}

int RecordsetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int RecordsetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const RecordsetCell* RecordsetTableModel::Cell(int row, int column) const {
    if (file_ == nullptr || row < 0 || row >= rowCount_ || column < 0 ||
        column >= static_cast<int>(columns_.size())) {
        return nullptr;
    }
    const std::int64_t number = row / kPageRows;
    auto held = std::find_if(pages_.begin(), pages_.end(),
                             [number](const Page& page) { return page.number == number; });
    if (held == pages_.end()) {
        Page page;
        page.number = number;
        try {
            page.rows = file_->ReadRows(number * kPageRows, kPageRows);
        } catch (const std::exception&) {
            // An unreadable page shows empty cells; it is not asked for again until it leaves
            // the cache.
            page.rows.clear();
        }
        pages_.push_front(std::move(page));
        if (pages_.size() > kCachedPages) {
            pages_.pop_back();
        }
        held = pages_.begin();
    } else if (held != pages_.begin()) {
        pages_.splice(pages_.begin(), pages_, held);
        held = pages_.begin();
    }
    const std::size_t offset = static_cast<std::size_t>(row % kPageRows);
    if (offset >= held->rows.size() ||
        static_cast<std::size_t>(column) >= held->rows[offset].size()) {
        return nullptr;
    }
    return &held->rows[offset][static_cast<std::size_t>(column)];
}

QVariant RecordsetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return QVariant();
    }
    const RecordsetCell* cell = Cell(index.row(), index.column());
    if (cell == nullptr) {
        return QVariant();
    }
    const bool isNull = cell->kind == Kind::Null;
    switch (role) {
        case Qt::DisplayRole:
            return Shortened(
                CellDisplayText(*cell, columns_[static_cast<std::size_t>(index.column())], locale_),
                kCellCharacters);
        case Qt::ToolTipRole:
            if (cell->kind == Kind::Text && cell->bytes.size() > 80) {
                return WrappingToolTip(StoredValue(*cell).toString());
            }
            return QVariant();
        case Qt::ForegroundRole:
            if (isNull) {
                return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
            }
            return QVariant();
        case Qt::FontRole:
            if (isNull) {
                QFont font;
                font.setItalic(true);
                return font;
            }
            return QVariant();
        case Qt::TextAlignmentRole:
            if (cell->kind == Kind::Integer || cell->kind == Kind::Real) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return QVariant();
        case kValueRole:
            return StoredValue(*cell);
        case kIsNullRole:
            return isNull;
        default:
            return QVariant();
    }
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= static_cast<int>(columns_.size())) {
            return QVariant();
        }
        return QString::fromStdString(columns_[static_cast<std::size_t>(section)].name);
    }
    return section + 1;
}

}  // namespace tessel::app
