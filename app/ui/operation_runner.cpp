#include "app/ui/operation_runner.h"

namespace zorvan {

OperationRunner::OperationRunner(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks)) {}

void OperationRunner::queue(int code, const QString& caption, Work work)
{
    pending_.push_back({code, caption, std::move(work)});
    if (!Busy && pending_.size() == 1)
        runNext();
}

void OperationRunner::post(int code, const QString& caption, Work work)
{
    if (!caption.isEmpty() && hooks_.showCaption)
        hooks_.showCaption(caption);
    pending_.push_back({code, caption, std::move(work)});
    scheduleNext();
}

void OperationRunner::define(int code, const QString& caption, Work work)
{
    defined_[code] = {code, caption, std::move(work)};
}

QString OperationRunner::definedCaption(int code) const
{
    auto it = defined_.find(code);
    return it == defined_.end() ? QString() : it->second.caption;
}

OperationRunner::Work OperationRunner::definedWork(int code) const
{
    auto it = defined_.find(code);
    return it == defined_.end() ? Work() : it->second.work;
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
        execute(operation);
    }
}

void OperationRunner::execute(Operation& operation)
{
    Busy = true;
    running_ = operation.code;
    if (!operation.caption.isEmpty() && hooks_.showCaption)
        hooks_.showCaption(operation.caption);
    auto finish = [this] {
        if (hooks_.refreshStatus)
            hooks_.refreshStatus();
        if (hooks_.showCaption)
            hooks_.showCaption(QString());
        running_ = 0;
        Busy = false;
    };
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
