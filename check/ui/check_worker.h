// Runs the program check on a worker thread, one request after the other on one ProgramCheck: the
// pass (after an edit only the lines it touched and those whose state it changed), then the
// stock simulation for the rapids into the material. Each stage hands its findings to the
// receiver on the user-interface thread; a newer request cancels the stock stage of an older one
// and results overtaken by a newer request are dropped.
#pragma once

#include "check/logic/program_check.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorvan::check {

struct CheckRun {
    std::shared_ptr<const std::vector<Finding>> findings;
    bool stockDone = false;  // the rapids into the material are in
    double passMs = 0;       // worker time of the pass
    std::uint32_t linesRun = 0;
};

// What changed since the text of the last request: everything, or lines [firstLine, lastLine] of
// the new text with `lineDelta` more lines.
struct CheckChange {
    bool whole = true;
    int firstLine = 0, lastLine = 0, lineDelta = 0;
};

class CheckWorker {
public:
    explicit CheckWorker(std::function<void(const CheckRun&)> receiver);
    ~CheckWorker();
    CheckWorker(const CheckWorker&) = delete;
    CheckWorker& operator=(const CheckWorker&) = delete;

    // Checks `text`; new options check it whole.
    void check(std::shared_ptr<const std::string> text, CheckChange change);
    void setOptions(const CheckOptions& options);
    const CheckOptions& options() const { return options_; }
    bool working() const { return working_; }
    // Waits until every request is done (tests and closing).
    void wait() { pool_.waitForDone(); }

private:
    std::function<void(const CheckRun&)> receiver_;
    QObject context_;  // results are handed over in its thread
    QThreadPool pool_;
    std::shared_ptr<ProgramCheck> check_;  // used on the worker only
    CheckOptions options_;
    bool optionsChanged_ = true;
    std::shared_ptr<std::atomic<bool>> cancel_;
    unsigned generation_ = 0;
    bool working_ = false;
};

}  // namespace zorvan::check
