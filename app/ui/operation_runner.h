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
#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <map>

namespace zorvan {

class OperationRunner : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void()>;
    enum Code { Load = 1, Swap = 2, ExtremeSearch = 3 };

    // How the runner reaches the window: the progress caption (set and painted at once), the
    // status refresh and the error display.
    struct Hooks {
        std::function<void(const QString&)> showCaption;
        std::function<void()> refreshStatus;
        std::function<void(const std::exception&)> showError;
    };
    explicit OperationRunner(Hooks hooks, QObject* parent = nullptr);

    // Runs the operation now when nothing runs, else after the ones queued before it.
    void queue(int code, const QString& caption, Work work);
    // Shows the caption now and runs the operation from the event loop, after the ones queued
    // before it: the caller returns first (a load started from a drop or the command line).
    void post(int code, const QString& caption, Work work);

    // Operations known by code.
    void define(int code, const QString& caption, Work work);
    // The defined operation of `code`: posted (start) or queued (runNow).
    void start(int code) { post(code, definedCaption(code), definedWork(code)); }
    void runNow(int code) { queue(code, definedCaption(code), definedWork(code)); }

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
    };
    QString definedCaption(int code) const;
    Work definedWork(int code) const;
    void runNext();
    void execute(Operation& operation);
    void scheduleNext();

    Hooks hooks_;
    std::deque<Operation> pending_;
    std::map<int, Operation> defined_;
    bool scheduled_ = false;
    int running_ = 0;
};

}  // namespace zorvan
