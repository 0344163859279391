#include "app/ui/dialog_opening.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
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
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* dialog = static_cast<QWidget*>(watched);
            centre(dialog);
            unfocusButton(dialog);
        }
        return false;
    }

private:
    // The Show event comes before the window is mapped, so the move takes effect at once.
    static void centre(QWidget* dialog)
    {
        const QWidget* parent = dialog->parentWidget();
        if (!parent)
            return;
        const QRect over = parent->window()->frameGeometry();
        // The frame is known once the dialog has been shown; before that the window manager
        // adds it around the client area.
        const QSize frame = dialog->frameGeometry().size().expandedTo(dialog->size());
        dialog->move(over.center() - QPoint(frame.width() / 2, frame.height() / 2));
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
