#include "preview/ui/stock_worker.h"

namespace zorvan::preview {

StockWorker::StockWorker(std::function<void(const StockRun&)> receiver) : receiver_(std::move(receiver))
{
    pool_.setMaxThreadCount(1);
}

StockWorker::~StockWorker()
{
    for (auto& cancel : cancel_)
        if (cancel)
            cancel->store(true);
    pool_.waitForDone();
}

void StockWorker::simulate(std::shared_ptr<const PreviewModel> model, const stock::StockOptions& options, int line)
{
    const int kind = line < 0 ? 0 : 1;
    if (cancel_[kind])
        cancel_[kind]->store(true);  // the running pass is stale: let it stop early
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_[kind] = cancel;
    const unsigned generation = ++generation_[kind];
    running_[kind] = true;
    pool_.start([this, model, options, line, kind, cancel, generation] {
        if (cancel->load())
            return;
        auto result = std::make_shared<stock::StockResult>(
            stock::simulateUpToLine(model->text, model->path, options, line, cancel.get()));
        if (result->cancelled)
            return;
        StockRun run{model, line, result, {}};
        if (line < 0)
            run.marks = stock::hitMarks(model->path, result->warnings);
        QMetaObject::invokeMethod(
            &context_, [this, run = std::move(run), kind, generation] { take(run, kind, generation); },
            Qt::QueuedConnection);
    });
}

void StockWorker::take(StockRun run, int kind, unsigned generation)
{
    if (generation != generation_[kind])
        return;
    running_[kind] = false;
    cancel_[kind].reset();
    receiver_(run);
}

}  // namespace zorvan::preview
