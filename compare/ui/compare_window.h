// The compare window: two programs side by side in read-only views with the program colouring,
// their lines aligned (a gap on one side stands for lines the other side has), changed lines
// marked in the gutter and the background, the changed words of a changed pair boxed. F8 and
// Shift+F8 go to the next and previous difference, Escape or "閉じる" closes it; a click or Enter on a left line asks the main
// editor to put its caret there (leftLineChosen).
#pragma once

#include "compare/logic/compare_options.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QsciScintilla;

namespace zorvan {
class ScintillaEditor;
}

namespace zorvan::compare {

class CompareWindow : public QWidget {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget* parent);
    ~CompareWindow() override;

    // Compares the two texts (UTF-8, CR LF breaks) under the stored options and shows them.
    void compare(std::string left, std::string right, const QString& leftName, const QString& rightName);

    enum class RowKind { Same, Changed, Removed, Added };
    struct Row {
        int left = -1, right = -1;  // the source lines shown; -1 a gap
        RowKind kind = RowKind::Same;
    };
    const std::vector<Row>& rows() const { return rows_; }
    int differenceCount() const { return static_cast<int>(differenceRows_.size()); }
    // The difference the caret is in or after (0-based), -1 before the first.
    int currentDifference() const;
    void nextDifference();
    void previousDifference();
    QsciScintilla* leftView() const { return left_; }
    QsciScintilla* rightView() const { return right_; }
    QString summary() const;

signals:
    void leftLineChosen(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void optionsChanged();
    void refresh();
    void showText(ScintillaEditor& editor, const std::string& shown);
    void mark(QsciScintilla* view, int row, RowKind kind, int line);
    void goToRow(int row);
    void chooseLeftLine();
    void followScroll(QsciScintilla* from, QsciScintilla* to);

    QsciScintilla* left_;
    QsciScintilla* right_;
    std::unique_ptr<ScintillaEditor> leftEditor_, rightEditor_;
    QLabel* summary_;
    std::vector<std::pair<QCheckBox*, bool CompareOptions::*>> optionBoxes_;
    std::string leftText_, rightText_;
    std::vector<Row> rows_;
    std::vector<int> differenceRows_;  // the first row of each difference
    std::size_t unaligned_ = 0;
    QString unreadable_;  // the words compared as written because their numbers cannot be read
    bool following_ = false;
};

}  // namespace zorvan::compare
