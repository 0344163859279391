#include "app/ui/editor_accessibility.h"

#include <Qsci/qsciscintillabase.h>

#include <QAccessible>
#include <QAccessibleWidget>

namespace zorvan {

namespace {

QAccessibleInterface* plainEditorInterface(const QString&, QObject* object)
{
    if (auto* editor = qobject_cast<QsciScintillaBase*>(object))
        return new QAccessibleWidget(editor, QAccessible::EditableText);
    return nullptr;
}

}  // namespace

void usePlainEditorAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(plainEditorInterface);
}

}  // namespace zorvan
