#include "app/ui/upper_case_typing.h"

#include "app/logic/settings.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace zorvan {

bool applyUpperCaseTyping(QObject* target, const QKeyEvent& key)
{
    if (!programSettings().UpperMode || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QString text = key.text();
    if (text == QLatin1String("@"))
        return true;
    if (text.size() == 1 && text[0] >= QLatin1Char('a') && text[0] <= QLatin1Char('z')) {
        QKeyEvent upper(QEvent::KeyPress, key.key(), key.modifiers(), text.toUpper(), key.isAutoRepeat(), key.count());
        QCoreApplication::sendEvent(target, &upper);
        return true;
    }
    return false;
}

void UpperCaseTyping::install(QLineEdit* field) { field->installEventFilter(new UpperCaseTyping(field)); }

bool UpperCaseTyping::eventFilter(QObject* watched, QEvent* event)
{
    return event->type() == QEvent::KeyPress && applyUpperCaseTyping(watched, static_cast<const QKeyEvent&>(*event));
}

}  // namespace zorvan
