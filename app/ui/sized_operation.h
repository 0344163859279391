// A background operation that a short text runs at once. Starting a worker, locking the window and
// waiting for the event loop to apply the result costs more than the work itself on a short text,
// and the commands on it end before their handlers return, as they always did. Both ways run the
// same steps, so their results are alike.
#pragma once

#include "app/ui/operation_runner.h"

namespace zorvan {

// Texts up to this many characters are short.
inline constexpr long kShortTextCharacters = 256 * 1024;

// Queues `prepare` as a background operation, or with `atOnce` as an ordinary one that runs its
// steps in a row on the window's thread.
inline void queueSized(OperationRunner& runner, int code, const QString& caption, bool atOnce,
                       OperationRunner::Prepare prepare)
{
    if (!atOnce) {
        runner.queueInBackground(code, caption, std::move(prepare));
        return;
    }
    runner.queue(code, caption, [prepare = std::move(prepare)] {
        const OperationRunner::Background background = prepare();
        if (!background)
            return;
        OperationTask task;
        if (const OperationRunner::Work apply = background(task))
            apply();
    });
}

}  // namespace zorvan
