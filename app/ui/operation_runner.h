// The one queue of long operations on the document. An operation is a code, a caption and its
// work. Each runs as: caption shown in the progress panel and painted, work, status refreshed,
// caption cleared, Busy cleared, also when the work throws (the error then goes to the one error
// display). Operations never overlap: one queued while another runs (a modal box of a running
// operation spins the event loop) starts when the previous one has ended. No timer is involved.
//
// Codes: 1 load, 2 swap, 3 extreme search are the window's own; each subsystem numbers its own
// operations in its range: nc 10-19, calc 20-29, lists 30-39, preview 40-49. A code may be
// registered with its caption and work once (`define`) and started by code (`start`); codes
// without a definition only clear the caption.
//
//     shell.runner().queue(nc::kShiftCode, "座標移動中", [&] { nc::shiftCoordinates(...); });
//
// A background operation keeps the window alive while it works: on its turn its first step runs on
// the window's thread and takes what the work needs (a snapshot of the text); the heavy step runs
// on a worker thread, reports progress and may be cancelled; its result is applied on the window's
// thread in one step. Meanwhile the window is locked (the editor read-only, the commands off), a
// progress bar shows after the first 100 ms, and operations queued meanwhile wait for it. A
// cancelled operation applies nothing, so the document stays exactly as it was.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace zorvan {

// What the worker step of a background operation sees: the cancel request and its progress.
class OperationTask {
public:
    // Thrown by checkpoint() once the operation has been cancelled.
    struct Cancelled {};
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    void checkpoint() const
    {
        if (cancelled())
            throw Cancelled{};
    }
    // `done` of `total` units of the work are done; also a checkpoint.
    void progress(long long done, long long total)
    {
        checkpoint();
        if (total > 0)
            permille_.store(static_cast<int>(done * 1000 / total), std::memory_order_relaxed);
    }
    int permille() const { return permille_.load(std::memory_order_relaxed); }
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<int> permille_{0};
};

class OperationRunner : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void()>;
    // The worker step: returns the step that applies its result on the window's thread.
    using Background = std::function<Work(OperationTask&)>;
    // The first step, on the window's thread when the operation's turn comes: returns the worker
    // step (empty: nothing to do).
    using Prepare = std::function<Background()>;
    enum Code { Load = 1, Swap = 2, ExtremeSearch = 3 };

    // How the runner reaches the window: the progress caption (set and painted at once), the
    // status refresh and the error display.
    struct Hooks {
        std::function<void(const QString&)> showCaption;
        std::function<void()> refreshStatus;
        std::function<void(const std::exception&)> showError;
        // While a background operation runs: locked (editor read-only, commands off) or not.
        std::function<void(bool locked)> lock = {};
        // The progress bar: 0-1000, or -1 to hide it.
        std::function<void(int permille)> showProgress = {};
        // A short note in the status bar ("中止しました").
        std::function<void(const QString&)> showNote = {};
    };
    explicit OperationRunner(Hooks hooks, QObject* parent = nullptr);
    ~OperationRunner() override;

    // Runs the operation now when nothing runs, else after the ones queued before it.
    void queue(int code, const QString& caption, Work work);
    // Shows the caption now and runs the operation from the event loop, after the ones queued
    // before it: the caller returns first (a load started from a drop or the command line).
    void post(int code, const QString& caption, Work work);
    // Queues a background operation (see above); `posted` as post() does, else as queue().
    // `abandoned` runs on the window's thread when the operation is cancelled or fails.
    void queueInBackground(int code, const QString& caption, Prepare prepare, bool posted = false,
                           Work abandoned = {});
    // Cancels the running background operation; nothing else.
    void cancel();
    // Cancels the running background operation and drops the ones waiting (their `abandoned`
    // steps run), as when the window closes.
    void cancelAll();
    // Runs `work` once no operation runs or waits (now, when none does).
    void whenIdle(Work work);
    // Called by a long apply step between small slices of its work, on the window's thread: about
    // every 25 ms it lets the window handle its events (locked as while the worker ran, so that
    // nothing else can touch the document), and throws OperationTask::Cancelled once the operation
    // has been cancelled, so the step can leave the document as it was. Outside an apply step it
    // does nothing.
    void yieldToWindow();
    // True while the result of a background operation is applied.
    bool applying() const { return applying_; }
    // The longest stretch of an apply step between two turns of the window (25 ms unless set).
    void setApplySlice(int ms) { applySliceMs_ = ms; }
    // Waits for the running background operation to end and applies its result (for the
    // command-line tool, the tests and the benchmarks).
    void waitForIdle();

    // Operations known by code.
    void define(int code, const QString& caption, Work work);
    void defineInBackground(int code, const QString& caption, Prepare prepare, Work abandoned = {});
    // The defined operation of `code`: posted (start) or queued (runNow).
    void start(int code) { enqueue(defined(code), true); }
    void runNow(int code) { enqueue(defined(code), false); }

    // True while an operation runs (the window's Busy refers to it).
    bool Busy = false;
    // The code of the operation running, 0 when none.
    int runningCode() const { return running_; }
    bool idle() const { return !Busy && pending_.empty(); }

private:
    struct Operation {
        int code;
        QString caption;
        Work work;
        Prepare prepare = {};
        Work abandoned = {};
    };
    struct Outcome {
        Work apply;
        bool cancelled = false;
        std::exception_ptr error;
    };
    Operation defined(int code) const;
    void enqueue(Operation operation, bool posted);
    void runNext();
    void execute(Operation& operation);
    void scheduleNext();
    void startBackground(Operation& operation);
    void finishBackground(Outcome outcome);
    void endOperation();
    void notifyIdle();

    Hooks hooks_;
    std::deque<Operation> pending_;
    std::map<int, Operation> defined_;
    bool scheduled_ = false;
    int running_ = 0;
    std::shared_ptr<OperationTask> task_;
    bool applying_ = false;
    int applySliceMs_ = 25;
    bool yielding_ = false;
    QElapsedTimer sinceYield_;
    Work abandoned_;
    std::vector<Work> idleWaiters_;
    std::thread worker_;
    QElapsedTimer elapsed_;
    QTimer progressTimer_;
};

}  // namespace zorvan
