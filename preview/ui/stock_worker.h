// Runs the stock simulation on a worker thread: the whole path (for the warnings, the marks and
// the picture) and the path up to a line (the stock at the caret). A new request cancels the
// running one of its kind; results reach the receiver on the user-interface thread, and a result
// overtaken by a newer request is dropped.
#pragma once

#include "preview/logic/stock/stock_picture_model.h"
#include "preview/ui/path_canvas.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace zorvan::preview {

struct StockRun {
    std::shared_ptr<const PreviewModel> model;  // the path it ran
    int line = -1;                              // up to this line; -1 the whole path
    std::shared_ptr<const stock::StockResult> result;
    std::vector<stock::HitMark> marks;  // whole runs only
};

class StockWorker {
public:
    explicit StockWorker(std::function<void(const StockRun&)> receiver);
    ~StockWorker();
    StockWorker(const StockWorker&) = delete;
    StockWorker& operator=(const StockWorker&) = delete;

    // Simulates the path of `model` up to `line` (-1: the whole path).
    void simulate(std::shared_ptr<const PreviewModel> model, const stock::StockOptions& options, int line);
    bool working() const { return running_[0] || running_[1]; }

private:
    void take(StockRun run, int kind, unsigned generation);

    std::function<void(const StockRun&)> receiver_;
    QObject context_;  // results are handed over in its thread
    QThreadPool pool_;
    // Per kind: 0 whole runs, 1 runs up to a line.
    std::shared_ptr<std::atomic<bool>> cancel_[2];
    unsigned generation_[2] = {0, 0};
    bool running_[2] = {false, false};
};

}  // namespace zorvan::preview
