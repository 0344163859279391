#include "check/ui/check_worker.h"

#include <QElapsedTimer>

namespace zorvan::check {

CheckWorker::CheckWorker(std::function<void(const CheckRun&)> receiver)
    : receiver_(std::move(receiver)), check_(std::make_shared<ProgramCheck>())
{
    pool_.setMaxThreadCount(1);
}

CheckWorker::~CheckWorker()
{
    if (cancel_)
        cancel_->store(true);
    pool_.waitForDone();
}

void CheckWorker::setOptions(const CheckOptions& options)
{
    options_ = options;
    optionsChanged_ = true;
}

void CheckWorker::check(std::shared_ptr<const std::string> text, CheckChange change)
{
    if (cancel_)
        cancel_->store(true);  // the older request's stock stage is stale
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_ = cancel;
    const unsigned generation = ++generation_;
    working_ = true;
    std::shared_ptr<const CheckOptions> options;
    if (optionsChanged_) {
        options = std::make_shared<const CheckOptions>(options_);
        optionsChanged_ = false;
        change.whole = true;
    }
    auto hand = [this, generation](CheckRun run) {
        QMetaObject::invokeMethod(
            &context_,
            [this, run = std::move(run), generation] {
                if (generation != generation_)
                    return;
                if (run.stockDone)
                    working_ = false;
                receiver_(run);
            },
            Qt::QueuedConnection);
    };
    pool_.start([check = check_, text = std::move(text), change, options, cancel, hand] {
        // Every request runs its pass, so that the check always knows the text the next change is
        // told against; a cancelled pass leaves it to check the next text whole.
        if (options)
            *check = ProgramCheck(*options);
        QElapsedTimer timer;
        timer.start();
        if (change.whole)
            check->run(*text, cancel.get());
        else
            check->update(*text, change.firstLine, change.lastLine, change.lineDelta, cancel.get());
        if (check->cancelled() || cancel->load())
            return;
        CheckRun run;
        run.passMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        run.linesRun = check->linesRun();
        run.findings = std::make_shared<const std::vector<Finding>>(check->findings());
        const bool wantStock = check->options().on(Rule::RapidIntoStock);
        run.stockDone = !wantStock;
        hand(run);
        if (!wantStock)
            return;
        std::vector<Finding> stock = stockFindings(*text, check->options(), cancel.get());
        if (cancel->load())
            return;
        check->setStockFindings(std::move(stock));
        run.findings = std::make_shared<const std::vector<Finding>>(check->findings());
        run.stockDone = true;
        hand(run);
    });
}

}  // namespace zorvan::check
