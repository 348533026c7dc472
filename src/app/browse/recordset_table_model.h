// A table model over one recordset file that reads its rows a page at a time and keeps only a
// few pages, so that a result of millions of rows costs little memory.
#pragma once

#include <QAbstractTableModel>
#include <QLocale>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/script/recordset_file.h"

namespace tessel::app {

class RecordsetTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kPageRows = 256;
    static constexpr std::size_t kCachedPages = 8;
    // The stored value: a null QVariant for Null, qlonglong, double, QString or QByteArray.
    static constexpr int kValueRole = Qt::UserRole + 1;
    // True for a Null cell.
    static constexpr int kIsNullRole = Qt::UserRole + 2;

    explicit RecordsetTableModel(QObject* parent = nullptr);
    ~RecordsetTableModel() override;

    // Shows the rows of the file; throws EngineError when it cannot be read (the model is then
    // empty).
    void Open(const std::string& path);
    // No rows, no columns; the file is released.
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // How many pages are held now (for the memory promise).
    std::size_t CachedPageCount() const { return pages_.size(); }
    // Replaces the locale that numbers and dates are shown in.
    void SetLocale(const QLocale& locale);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    using Rows = std::vector<std::vector<RecordsetCell>>;
    struct Page {
        std::int64_t number = 0;
        Rows rows;
    };
    // The cell, reading its page when it is not held; nullptr when the read failed.
    const RecordsetCell* Cell(int row, int column) const;

    std::unique_ptr<RecordsetFile> file_;
    std::vector<db::ColumnInfo> columns_;
    int rowCount_ = 0;
    QLocale locale_;
    // Most recently used first.
    mutable std::list<Page> pages_;
};

}  // namespace tessel::app
