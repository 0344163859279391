// The toolpath preview panel: view buttons, the fit button, the least-increment switch, the
// stock controls (path / stock / both, the stock at the caret's line on F6, the stock and tool
// table dialogs), the drawing area and the stock's warnings. After a change of the text the path
// is worked out again on a worker thread, debounced and cancellable, and the stock simulated after
// it on another; the window never waits for either.
#pragma once

#include "app/logic/text_editor.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/preview_settings.h"
#include "preview/logic/stock/stock_settings.h"
#include "preview/ui/path_canvas.h"
#include "preview/ui/stock_worker.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;

namespace zorvan::preview {

class StockWarningList;

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDebounceMs = 300;
    // The stock at the caret follows the caret after this pause.
    static constexpr int kCaretStockDebounceMs = 150;

    explicit PreviewPanel(QWidget* parent = nullptr);
    ~PreviewPanel() override;

    // Where the panel reads the program text (on the user-interface thread).
    void setTextSource(std::function<std::string()> source) { textSource_ = std::move(source); }
    PathCanvas* canvas() const { return canvas_; }
    bool working() const { return job_ != nullptr; }
    bool stockWorking() const { return stockWorker_.working(); }
    const PreviewSettings& settings() const { return settings_; }
    const stock::StockSettings& stockSettings() const { return stockSettings_; }
    void setStockSettings(const stock::StockSettings& settings);
    // The whole path's stock warnings, as listed under the picture.
    const std::vector<stock::StockWarning>& stockWarnings() const { return stockWarnings_; }
    StockWarningList* warningList() const { return warnings_; }
    QComboBox* displayBox() const { return display_; }
    // "キャレット行まで" (F6): the stock shown is simulated up to the caret's line.
    QAction* caretStockAction() const { return caretStock_; }
    // Keeps whether the panel is shown with the rest of its settings (the command that shows
    // and hides it tells it here; the panel writes all its settings at once, so none is stale).
    void rememberShown(bool shown);
    QSize sizeHint() const override { return {440, 420}; }

public slots:
    // A change notice of the editor: a load or "new" is worked out at once and shown whole, an
    // edit after a short pause.
    void textChanged(const TextChange& change);
    // The text changed: work the path out again after a short pause.
    void documentChanged();
    // A new document: work it out now and fit the view to it.
    void documentReplaced();
    void setCaretLine(int line);

signals:
    void lineClicked(int line);
    void pathReady();
    // A stock simulation was taken: the whole path's (with its warnings) or the one up to the caret.
    void stockReady();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Job;
    void interpretNow();
    void takeModel(std::shared_ptr<const PreviewModel> model, unsigned generation);
    void setView(View view);
    void showSummary();
    void setDisplay(StockDisplay display);
    void simulateStock(int line);
    void takeStock(const StockRun& run);
    void caretStockToggled(bool on);
    void editStockBox();
    void editToolTable();

    std::function<std::string()> textSource_;
    PreviewSettings settings_;
    PathCanvas* canvas_;
    QButtonGroup* views_;
    QCheckBox* increments_;
    QLabel* summary_;
    QComboBox* display_;
    QAction* caretStock_;
    StockWarningList* warnings_;
    stock::StockSettings stockSettings_;
    std::vector<stock::StockWarning> stockWarnings_;
    std::shared_ptr<const stock::StockResult> wholeStock_;
    int caretLine_ = -1;
    QTimer caretStockDebounce_;
    QTimer debounce_;
    QThreadPool pool_;
    std::shared_ptr<std::atomic<bool>> job_;
    unsigned generation_ = 0;
    bool fitNext_ = true;
    bool fitWithStock_ = false;  // the path was fitted: fit again when its stock comes
    bool stale_ = false;  // the text changed while the panel was hidden
    bool stockChecking_ = false;  // the whole path's stock is being simulated (said in the summary)
    StockWorker stockWorker_;  // last: its destructor waits for its run before the rest goes
};

}  // namespace zorvan::preview
