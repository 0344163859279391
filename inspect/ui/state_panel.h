// The machine's state at the caret's line, beside the editor: modes, tool, offsets, feed and
// speed, spindle, coolant, the position before and after the line, the macro variables it reads
// and sets, and the time from the start. The state comes from a kept interpretation (the
// preview's when it shows, else the panel's own, worked out on a worker thread after each change
// of the text); the state of a line is worked out from its nearest resume point, on a worker
// thread for big programs, a short pause after the caret stops.
#pragma once

#include "app/logic/text_editor.h"
#include "preview/logic/interpreter.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QTableWidget;

namespace zorvan::inspect {

// An interpretation kept for asking about lines: the text, its path and the options it ran with.
// `owner` keeps them alive (the preview's model or a run of the panel's own).
struct KeptRun {
    std::shared_ptr<const void> owner;
    const std::string* text = nullptr;
    const preview::Toolpath* path = nullptr;
    preview::InterpreterOptions options;
};

class StatePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCaretDebounceMs = 120;
    static constexpr int kTextDebounceMs = 300;
    // Programs past this size have their states worked out off the window thread.
    static constexpr std::size_t kWorkerBytes = 256 * 1024;

    explicit StatePanel(QWidget* parent = nullptr);
    ~StatePanel() override;

    // Where the panel reads the program and a line of it (on the window thread).
    void setTextSource(std::function<std::string()> text, std::function<std::string(int)> line);
    // Whether another keeps the interpretation (the preview while it shows): then the panel
    // waits for adopt() instead of working the program out itself.
    void setOtherSource(std::function<bool()> active) { otherActive_ = std::move(active); }
    // An interpretation of the current text made by another (the preview).
    void adopt(std::shared_ptr<const KeptRun> run);
    // The interpretation the panel asks now (null before the first).
    std::shared_ptr<const KeptRun> kept() const { return kept_; }
    // The rows shown, as "caption\tvalue" lines (for copying and the tests).
    QString shownText() const;
    int shownLine() const { return shownLine_; }
    bool working() const { return runJob_ != nullptr; }
    // The text changed since the kept interpretation was made.
    bool isStale() const { return stale_; }
    QSize sizeHint() const override { return {300, 420}; }

public slots:
    void textChanged(const TextChange& change);
    void setCaretLine(int line);

signals:
    // The state of `line` is shown.
    void stateShown(int line);
    // The panel's own interpretation is ready.
    void runReady();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void interpretNow();
    void takeRun(std::shared_ptr<const KeptRun> run, unsigned generation);
    void showStateNow();
    void showRows(int line, const std::vector<std::pair<std::string, std::string>>& rows, unsigned request);

    std::function<std::string()> textSource_;
    std::function<std::string(int)> lineSource_;
    std::function<bool()> otherActive_;
    QLabel* title_;
    QTableWidget* table_;
    QTimer caretDebounce_;
    QTimer textDebounce_;
    QThreadPool runPool_;
    QThreadPool statePool_;
    std::shared_ptr<std::atomic<bool>> runJob_;
    std::shared_ptr<const KeptRun> kept_;
    unsigned runGeneration_ = 0;
    unsigned stateRequest_ = 0;
    int caretLine_ = 0;
    int shownLine_ = -1;
    bool stale_ = true;  // the text changed since the kept interpretation
};

}  // namespace zorvan::inspect
