// The toolpath preview panel: view buttons, the fit button, the least-increment switch and the
// drawing area. After a change of the text the path is worked out again on a worker thread,
// debounced and cancellable; the window never waits for it.
#pragma once

#include "app/logic/text_editor.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/preview_settings.h"
#include "preview/ui/path_canvas.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace zorvan::preview {

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDebounceMs = 300;

    explicit PreviewPanel(QWidget* parent = nullptr);
    ~PreviewPanel() override;

    // Where the panel reads the program text (on the user-interface thread).
    void setTextSource(std::function<std::string()> source) { textSource_ = std::move(source); }
    PathCanvas* canvas() const { return canvas_; }
    bool working() const { return job_ != nullptr; }
    const PreviewSettings& settings() const { return settings_; }
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Job;
    void interpretNow();
    void takeModel(std::shared_ptr<const PreviewModel> model, unsigned generation);
    void setView(View view);
    void showSummary();

    std::function<std::string()> textSource_;
    PreviewSettings settings_;
    PathCanvas* canvas_;
    QButtonGroup* views_;
    QCheckBox* increments_;
    QLabel* summary_;
    QTimer debounce_;
    QThreadPool pool_;
    std::shared_ptr<std::atomic<bool>> job_;
    unsigned generation_ = 0;
    bool fitNext_ = true;
    bool stale_ = false;  // the text changed while the panel was hidden
};

}  // namespace zorvan::preview
