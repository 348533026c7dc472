// The tip of the day "TODquill": one line of the tips file at a time, "&Next Tip" for another,
// and the check box that says whether tips appear at start. It is shown modeless.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <random>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessel::app {

inline constexpr const char* kTipsFileName = "tipofday.txt";

class TipOfDayDialog : public QDialog {
    Q_OBJECT
  public:
    // `appPath`: the application directory that holds the tips file.
    explicit TipOfDayDialog(QString appPath, QWidget* parent = nullptr);

    // The load step: false (and nothing shown) when "Show Tips at Startup" is off; otherwise
    // ticks the check box and reads the tips, or puts the missing-file text in the tip label.
    bool Load();
    // Reads every line of the file as one tip and shows one at random; false when the name is
    // empty or the file does not exist.
    bool LoadTips(const QString& file);
    // A tip chosen at random, shown.
    void NextTip();
    void DisplayCurrentTip();

    const QStringList& Tips() const { return tips_; }
    // 1-based; 0 before a tip was chosen.
    long CurrentTip() const { return currentTip_; }

    QLabel* lblTipText() const { return lblTipText_; }
    QLabel* lblHeading() const { return lblHeading_; }
    QCheckBox* chkLoadTipsAtStartup() const { return chkLoadTipsAtStartup_; }
    QPushButton* cmdNextTip() const { return cmdNextTip_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    // What the tip label says when the tips file is missing.
    static QString MissingFileText();

  private:
    QString appPath_;
    QStringList tips_;
    long currentTip_ = 0;
    std::mt19937 random_;
    QLabel* lblHeading_;
    QLabel* lblTipText_;
    QCheckBox* chkLoadTipsAtStartup_;
    QPushButton* cmdNextTip_;
    QPushButton* cmdOK_;
};

}  // namespace tessel::app
