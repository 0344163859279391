// "プログラム情報": the program's summary by tool in a table (tool, comment, first and last line,
// feed and rapid distances and times, extents, speeds and feeds), with the totals and the
// program's number and size above it; "コピー" puts the table on the clipboard as text.
#pragma once

#include "inspect/logic/program_info.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace zorvan::inspect {

class ProgramInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit ProgramInfoForm(QWidget* parent = nullptr);

    void fill(const ProgramInfo& info);
    const ProgramInfo& info() const { return info_; }
    QTableWidget* table() const { return table_; }
    // Puts the summary on the clipboard as text (tabs between columns).
    void copyAsText();

private:
    ProgramInfo info_;
    QLabel* header_;
    QTableWidget* table_;
};

}  // namespace zorvan::inspect
