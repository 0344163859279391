// "最近使ったファイル" in the file menu: the last ten files loaded or saved, newest first. Choosing
// one opens it like "開く" (after the save confirmation); a file that is gone is taken off the
// list with a message.
#pragma once

#include "app/logic/recent_files.h"

#include <QObject>

class QMenu;

namespace zorvan {

class TFormText;

class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    // Adds the submenu to the window's file menu, before "終了".
    explicit RecentFilesMenu(TFormText& form);

    QMenu* menu() const { return menu_; }
    const QStringList& paths() const { return files_.paths(); }
    // A file was loaded or saved under `path`.
    void remember(const QString& path);
    // Opens entry `index` (0 the newest).
    void open(int index);

private:
    void rebuild();
    void change();  // stores the list and rebuilds the menu

    TFormText& form_;
    QMenu* menu_;
    RecentFiles files_;
};

}  // namespace zorvan
