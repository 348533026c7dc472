#include "app/browse/recordset_list_model.h"

#include <QFont>

#include "app/browse/long_text.h"
#include "core/script/recordset_file.h"

namespace tessel::app {

namespace {

inline constexpr const char* kHeadingRecordset = "Record set";
inline constexpr const char* kHeadingStatement = "SQL source command";

}  // namespace

RecordsetListModel::RecordsetListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString RecordsetListModel::Heading(int column) {
    return column == 0 ? kHeadingRecordset : kHeadingStatement;
}

void RecordsetListModel::Truncate(int captures) {
    if (captures >= Captures())
        return;
    beginRemoveRows(QModelIndex(), captures + 1, Captures());
    ends_.resize(static_cast<std::size_t>(captures));
    text_.resize(ends_.empty() ? 0 : ends_.back());
    endRemoveRows();
    // A much shorter run after a long one gives the memory back.
    if (text_.capacity() > 2 * text_.size() + 4096) {
        text_.shrink_to_fit();
        ends_.shrink_to_fit();
    }
}

void RecordsetListModel::SetLastCapture(int count, const std::string& statement) {
    if (count < 1)
        return;
    Truncate(count - 1);
    const int first = Captures() + 1;
    beginInsertRows(QModelIndex(), first, count);
    while (Captures() < count - 1)
        ends_.push_back(text_.size());
    text_ += statement;
    ends_.push_back(text_.size());
    endInsertRows();
}

QString RecordsetListModel::Statement(int row) const {
    if (row < 1 || row > Captures())
        return QString();
    const std::size_t begin = row == 1 ? 0 : ends_[static_cast<std::size_t>(row) - 2];
    const std::size_t end = ends_[static_cast<std::size_t>(row) - 1];
    return QString::fromUtf8(text_.data() + begin, static_cast<qsizetype>(end - begin));
}

int RecordsetListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Captures() + 1;
}

int RecordsetListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant RecordsetListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() > Captures())
        return {};
    const int row = index.row();
    if (role == Qt::FontRole && row == 0) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::ToolTipRole && row > 0 && index.column() == 1) {
        const QString statement = Statement(row);
        if (statement.isEmpty())
            return {};  // an empty box would pop up
        return WrappingToolTip(statement);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (row == 0)
        return Heading(index.column());
    if (index.column() == 0)
        return QString::fromStdString(RecordsetName(row));
    return Shortened(Statement(row), kCellCharacters);
}

QVariant RecordsetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2)
        return Heading(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RecordsetListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The heading row cannot be selected.
    return index.row() == 0 ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace tessel::app
