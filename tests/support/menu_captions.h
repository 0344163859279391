// Reading a window's menus in a test.
#pragma once

#include <QAction>
#include <QMenu>
#include <QStringList>

// Captions of a menu's items, separators as "-".
inline QStringList captions(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}
