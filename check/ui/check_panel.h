// The findings of the program check beside the editor: a line with the counts, then one row a
// finding ("12 行  エラー  message [rule]"), errors in red, warnings in orange, notes in grey. A
// click or Enter on a row reports its line.
#pragma once

#include "check/logic/program_check.h"

#include <QListWidget>
#include <QWidget>

class QLabel;

namespace zorvan::check {

class CheckPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMostRows = 2000;

    explicit CheckPanel(QWidget* parent = nullptr);
    void setFindings(const std::vector<Finding>& findings, bool stockDone);
    QListWidget* list() const { return list_; }
    QSize sizeHint() const override { return {380, 300}; }

signals:
    void lineClicked(int line);

private:
    QLabel* summary_;
    QListWidget* list_;
};

// "エラー 2 / 警告 5" (with "/ 注意 N" when there are notes); "チェック: 問題なし" when clean.
QString countText(const FindingCounts& counts);

}  // namespace zorvan::check
