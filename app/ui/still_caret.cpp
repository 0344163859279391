#include "app/ui/still_caret.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace zorvan {

StillCaret::StillCaret(QAbstractScrollArea* view) : QObject(view), view_(view) {}

void StillCaret::hold(bool on)
{
    // The filter installed last is asked first, so it sees the events before the window's own.
    for (QObject* target : {static_cast<QObject*>(view_), static_cast<QObject*>(view_->viewport())}) {
        target->removeEventFilter(this);
        if (on)
            target->installEventFilter(this);
    }
}

bool StillCaret::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Copying the selection leaves it as it is.
        return !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

}  // namespace zorvan
