#include "nc/ui/upper_case_typing.h"

#include "app/logic/settings.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace zorvan {

void UpperCaseTyping::install(QLineEdit* field) { field->installEventFilter(new UpperCaseTyping(field)); }

bool UpperCaseTyping::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !programSettings().UpperMode)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;  // shortcuts such as Ctrl+a stay as they are
    const QString text = key->text();
    if (text == QLatin1String("@"))
        return true;
    if (text.size() == 1 && text[0] >= QLatin1Char('a') && text[0] <= QLatin1Char('z')) {
        static_cast<QLineEdit*>(watched)->insert(text.toUpper());
        return true;
    }
    return false;
}

}  // namespace zorvan
