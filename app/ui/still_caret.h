// Keeps the caret and the selection of an editor view where they are while a background operation
// works on the text: they are part of what a cancel puts back, and the result is applied to the
// text as it was taken. Keys and mouse clicks in the view are swallowed meanwhile; the wheel and
// the scroll bars still move the view, and the window's own shortcuts (Escape: cancel) still work.
#pragma once

#include <QObject>

class QAbstractScrollArea;

namespace zorvan {

class StillCaret : public QObject {
public:
    explicit StillCaret(QAbstractScrollArea* view);
    // On: the view's keys and clicks go nowhere. Put in front of the view's other event filters.
    void hold(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractScrollArea* view_;
};

}  // namespace zorvan
