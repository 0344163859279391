#include "app/ui/operation_runner.h"

#include <QCoreApplication>

#include <stdexcept>

namespace zorvan {

namespace {
// Work that ends sooner shows no progress bar.
constexpr int kProgressDelayMs = 100;
constexpr int kProgressIntervalMs = 50;
}  // namespace

OperationRunner::OperationRunner(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks))
{
    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        if (task_ && hooks_.showProgress && elapsed_.elapsed() >= kProgressDelayMs)
            hooks_.showProgress(task_->permille());
    });
}

OperationRunner::~OperationRunner()
{
    if (task_)
        task_->cancel();
    if (worker_.joinable())
        worker_.join();
}

void OperationRunner::queue(int code, const QString& caption, Work work)
{
    enqueue({code, caption, std::move(work)}, false);
}

void OperationRunner::post(int code, const QString& caption, Work work)
{
    enqueue({code, caption, std::move(work)}, true);
}

void OperationRunner::queueInBackground(int code, const QString& caption, Prepare prepare, bool posted,
                                        Work abandoned)
{
    enqueue({code, caption, {}, std::move(prepare), std::move(abandoned)}, posted);
}

void OperationRunner::enqueue(Operation operation, bool posted)
{
    if (posted) {
        if (!operation.caption.isEmpty() && hooks_.showCaption)
            hooks_.showCaption(operation.caption);
        pending_.push_back(std::move(operation));
        scheduleNext();
        return;
    }
    pending_.push_back(std::move(operation));
    if (!Busy && pending_.size() == 1)
        runNext();
}

void OperationRunner::cancel()
{
    if (task_)
        task_->cancel();
}

void OperationRunner::cancelAll()
{
    std::deque<Operation> dropped = std::move(pending_);
    pending_.clear();
    for (Operation& operation : dropped)
        if (operation.abandoned)
            operation.abandoned();
    cancel();
    if (idle()) {
        if (hooks_.showCaption)
            hooks_.showCaption(QString());
        notifyIdle();
    }
}

void OperationRunner::whenIdle(Work work)
{
    if (idle()) {
        work();
        return;
    }
    idleWaiters_.push_back(std::move(work));
}

void OperationRunner::waitForIdle()
{
    while (!idle())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void OperationRunner::define(int code, const QString& caption, Work work)
{
    defined_[code] = {code, caption, std::move(work)};
}

void OperationRunner::defineInBackground(int code, const QString& caption, Prepare prepare, Work abandoned)
{
    defined_[code] = {code, caption, {}, std::move(prepare), std::move(abandoned)};
}

OperationRunner::Operation OperationRunner::defined(int code) const
{
    auto it = defined_.find(code);
    return it == defined_.end() ? Operation{code, QString(), {}} : it->second;
}

void OperationRunner::scheduleNext()
{
    if (scheduled_ || pending_.empty())
        return;
    scheduled_ = true;
    // A queued call: the event loop paints the caption before the work starts.
    QMetaObject::invokeMethod(this, [this] {
        scheduled_ = false;
        if (!Busy)
            runNext();
    }, Qt::QueuedConnection);
}

void OperationRunner::runNext()
{
    while (!Busy && !pending_.empty()) {
        Operation operation = std::move(pending_.front());
        pending_.pop_front();
        if (operation.prepare)
            startBackground(operation);
        else
            execute(operation);
    }
    notifyIdle();
}

void OperationRunner::notifyIdle()
{
    if (!idle() || idleWaiters_.empty())
        return;
    std::vector<Work> waiters = std::move(idleWaiters_);
    idleWaiters_.clear();
    for (Work& work : waiters)
        work();
}

void OperationRunner::startBackground(Operation& operation)
{
    Busy = true;
    running_ = operation.code;
    if (!operation.caption.isEmpty() && hooks_.showCaption)
        hooks_.showCaption(operation.caption);
    Background background;
    try {
        background = operation.prepare();
    } catch (const std::exception& e) {
        if (operation.abandoned)
            operation.abandoned();
        endOperation();
        if (hooks_.showError)
            hooks_.showError(e);
        return;
    }
    if (!background) {
        endOperation();
        return;
    }
    if (hooks_.lock)
        hooks_.lock(true);
    task_ = std::make_shared<OperationTask>();
    abandoned_ = std::move(operation.abandoned);
    elapsed_.start();
    progressTimer_.start();
    worker_ = std::thread([this, task = task_, background = std::move(background)] {
        Outcome outcome;
        try {
            outcome.apply = background(*task);
        } catch (const OperationTask::Cancelled&) {
            outcome.cancelled = true;
        } catch (...) {
            outcome.error = std::current_exception();
        }
        // The runner outlives the worker (its destructor joins it); the call runs on its thread.
        QMetaObject::invokeMethod(this, [this, outcome = std::move(outcome)]() mutable { finishBackground(std::move(outcome)); },
                                  Qt::QueuedConnection);
    });
}

void OperationRunner::finishBackground(Outcome outcome)
{
    worker_.join();
    // A cancel that came after the worker had finished still wins: nothing has been applied yet.
    bool cancelled = outcome.cancelled || task_->cancelled();
    std::exception_ptr error = outcome.error;
    // The editor takes the result only once it is writable again; an apply step that gives the
    // window its turn now and then (yieldToWindow) locks it again meanwhile, and may still be
    // cancelled until it has changed the document.
    if (hooks_.lock)
        hooks_.lock(false);
    if (!cancelled && !error && outcome.apply) {
        applying_ = true;
        sinceYield_.start();
        try {
            outcome.apply();
        } catch (const OperationTask::Cancelled&) {
            cancelled = true;
        } catch (...) {
            error = std::current_exception();
        }
        applying_ = false;
    }
    progressTimer_.stop();
    if (hooks_.showProgress)
        hooks_.showProgress(-1);
    task_.reset();
    Work abandoned = std::move(abandoned_);
    abandoned_ = {};
    if ((cancelled || error) && abandoned)
        abandoned();
    endOperation();
    if (cancelled && hooks_.showNote)
        hooks_.showNote(QStringLiteral("中止しました"));
    if (!cancelled && error && hooks_.showError) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            hooks_.showError(e);
        } catch (...) {
            hooks_.showError(std::runtime_error("不明なエラー"));
        }
    }
    runNext();
}

void OperationRunner::yieldToWindow()
{
    if (!applying_ || yielding_ || sinceYield_.elapsed() < applySliceMs_)
        return;
    task_->checkpoint();
    yielding_ = true;
    if (hooks_.lock)
        hooks_.lock(true);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (hooks_.lock)
        hooks_.lock(false);
    yielding_ = false;
    sinceYield_.start();
    task_->checkpoint();
}

void OperationRunner::endOperation()
{
    if (hooks_.refreshStatus)
        hooks_.refreshStatus();
    if (hooks_.showCaption)
        hooks_.showCaption(QString());
    running_ = 0;
    Busy = false;
}

void OperationRunner::execute(Operation& operation)
{
    Busy = true;
    running_ = operation.code;
    if (!operation.caption.isEmpty() && hooks_.showCaption)
        hooks_.showCaption(operation.caption);
    auto finish = [this] { endOperation(); };
    try {
        if (operation.work)
            operation.work();
    } catch (const std::exception& e) {
        finish();
        if (hooks_.showError)
            hooks_.showError(e);
        return;
    }
    finish();
}

}  // namespace zorvan
