// The keep-local dialog "tablesKeep" of a new design master: the database's tables on the left,
// the tables to keep local on the right, ">" and "<" move the selected one across. OK hands the
// right-hand list to the writer it was given and closes only when that succeeded.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tessel::app {

class TablesKeepDialog : public QDialog {
    Q_OBJECT
  public:
    using Writer = std::function<bool(const std::vector<std::string>&)>;
    TablesKeepDialog(const std::vector<std::string>& tables, Writer keep,
                     QWidget* parent = nullptr);

    QListWidget* lstSourceList() const { return lstSourceList_; }
    QListWidget* lstDestList() const { return lstDestList_; }
    QPushButton* cmdAdd() const { return cmdAdd_; }
    QPushButton* cmdDeduct() const { return cmdDeduct_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

  private:
    void Move(QListWidget* from, QListWidget* to);
    void Confirm();

    Writer keep_;
    QListWidget* lstSourceList_;
    QListWidget* lstDestList_;
    QPushButton* cmdAdd_;
    QPushButton* cmdDeduct_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

}  // namespace tessel::app
