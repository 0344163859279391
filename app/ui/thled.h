// The background operation runner by its old name: an operation chosen by OperationCode (1 load,
// 2 the swap passes, 3 the extreme search, or a subsystem's code) handed to the window's one
// operation queue (app/ui/operation_runner.h), which shows its caption, runs it after the ones
// before it and clears Busy and the caption when it ends, also by an error.
#pragma once

#include <QObject>

namespace zorvan {

class TFormText;

class OpenFileThled : public QObject {
    Q_OBJECT
public:
    // A runner for `form` with OperationCode 1; it deletes itself once the operation is queued.
    explicit OpenFileThled(TFormText* form);

    int OperationCode = 1;
    void SetOperation(int code) { OperationCode = code; }
    // Queues the operation and returns at once.
    void Start();
    // Runs the operation now, or after the running one.
    void RunOperation();

private:
    TFormText* form_;
};

}  // namespace zorvan
