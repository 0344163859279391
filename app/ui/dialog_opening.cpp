#include "app/ui/dialog_opening.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QMargins>
#include <QPushButton>
#include <QWidget>

namespace zorvan {

namespace {

class OpeningPlacement : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A spontaneous Show is a restore from minimised: the window stays where it is.
        if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
            auto* dialog = static_cast<QWidget*>(watched);
            centre(dialog);
            unfocusButton(dialog);
        }
        return false;
    }

private:
    // The dialog's client area is placed, not its frame: Qt knows a reopened window's frame only
    // now and then, and a move by the frame lands off by the title bar. The window manager puts
    // the same frame around the dialog as around the main window. The Show event comes before
    // the window is mapped, so the placement takes effect at once.
    static void centre(QWidget* dialog)
    {
        const QWidget* parent = dialog->parentWidget();
        if (!parent)
            return;
        const QWidget* main = parent->window();
        const QRect outer = main->frameGeometry(), inner = main->geometry();
        QMargins frame;
        if (!dialog->windowFlags().testFlag(Qt::FramelessWindowHint))
            frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        const QSize framed = dialog->size().grownBy(frame);
        const QPoint frameTopLeft = outer.center() - QPoint(framed.width() / 2, framed.height() / 2);
        dialog->setGeometry(QRect(frameTopLeft + QPoint(frame.left(), frame.top()), dialog->size()));
    }

    // A push button that kept the focus from the last use would be the default (Enter) now.
    static void unfocusButton(QWidget* dialog)
    {
        auto* button = qobject_cast<QPushButton*>(dialog->focusWidget());
        if (!button)
            return;
        if (button->isDefault() && button->autoDefault()) {
            // It became the default by holding the focus; losing the focus hands the default back
            // to the dialog's own default button, also where no window deactivation took it.
            QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(button, &out);
        }
        for (QWidget* w = dialog->nextInFocusChain(); w && w != dialog; w = w->nextInFocusChain()) {
            if (w->window() == dialog && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(dialog) &&
                !qobject_cast<QPushButton*>(w)) {
                w->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        dialog->setFocus(Qt::OtherFocusReason);
    }
};

}  // namespace

void openCentred(QWidget* dialog) { dialog->installEventFilter(new OpeningPlacement(dialog)); }

void setFixedDialogFrame(QWidget* dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    openCentred(dialog);
}

}  // namespace zorvan
