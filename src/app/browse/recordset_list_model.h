// The rows of the recordset list: row 0 the headings, row k capture k and its statement.
//
// A run of a hundred thousand statements adds as many rows, so a row holds nothing but its
// statement's text, packed into one buffer; the recordset name is made from the row number
// when it is shown, and adding a row costs the same however many there are.
#pragma once

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace tessel::app {

class RecordsetListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit RecordsetListModel(QObject* parent = nullptr);

    // Makes the list hold exactly count + 1 rows (headings and captures), the last of which is
    // capture `count` with its statement; rows between the old end and it are left empty.
    void SetLastCapture(int count, const std::string& statement);
    // The heading of a column, as shown in row 0 and in the header above the rows.
    static QString Heading(int column);
    // The statement of capture `row` (1 and up).
    QString Statement(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    int Captures() const { return static_cast<int>(ends_.size()); }
    void Truncate(int captures);

    // Statements of captures 1..n, one after another; ends_[k - 1] is where capture k's ends.
    std::string text_;
    std::vector<std::size_t> ends_;
};

}  // namespace tessel::app
