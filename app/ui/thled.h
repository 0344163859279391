// The background operation runner: a long operation on the document (1 load, 2 the swap passes,
// 3 the extreme search) is started by writing its caption into status panel 3 and creating a
// runner. The runner defers the operation with a queued call on the user-interface thread, so the
// caption is painted first; operations never overlap, and Busy and the caption are cleared when
// the operation ends, also by an error.
#pragma once

#include <QObject>

namespace zorvan {

class TFormText;

class OpenFileThled : public QObject {
    Q_OBJECT
public:
    // A runner for `form` with OperationCode 1; it deletes itself after its operation ran.
    explicit OpenFileThled(TFormText* form);

    int OperationCode = 1;
    void SetOperation(int code) { OperationCode = code; }
    // Queues the operation and returns at once.
    void Start();
    // Runs the operation now: Busy set, dispatch by OperationCode, caption and Busy cleared.
    void RunOperation();

private:
    void runWhenFree();

    TFormText* form_;
};

}  // namespace zorvan
