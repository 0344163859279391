#include "app/ui/recent_files_menu.h"

#include "app/ui/prompts.h"
#include "app/ui/textform.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace zorvan {

RecentFilesMenu::RecentFilesMenu(TFormText& form)
    : QObject(&form), form_(form), menu_(form.addFileSubmenu(QStringLiteral("最近使ったファイル"), "Close1Click")),
      files_(RecentFiles::read())
{
    menu_->setObjectName("RecentFiles");
    rebuild();
}

void RecentFilesMenu::remember(const QString& path)
{
    files_.add(path);
    change();
}

void RecentFilesMenu::open(int index)
{
    if (index < 0 || index >= files_.paths().size())
        return;
    const QString path = files_.paths()[index];
    // Asked about and opened once the operations running or waiting have ended.
    form_.whenNoOperation([this, path] {
        if (!QFileInfo(path).isFile()) {
            files_.remove(path);
            change();
            prompts().ask(&form_, QStringLiteral("Zorvan"),
                          QStringLiteral("%1 が見つかりません。\n最近使ったファイルから外しました").arg(path),
                          QMessageBox::Ok, QMessageBox::Warning);
            return;
        }
        if (!form_.CheckSaveChanges())
            return;
        form_.StartOpen(path);
    });
}

void RecentFilesMenu::change()
{
    files_.write();
    rebuild();
}

void RecentFilesMenu::rebuild()
{
    // Later: an item may be the one whose trigger led here.
    for (QAction* item : menu_->actions()) {
        menu_->removeAction(item);
        item->deleteLater();
    }
    const QStringList& paths = files_.paths();
    for (int i = 0; i < paths.size(); ++i) {
        // "&1" … "&9", "1&0": the number is the item's key in the open menu.
        const QString number = i < 9 ? QString("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString shown = paths[i];
        QAction* item = menu_->addAction(number + ' ' + shown.replace('&', QLatin1String("&&")));
        item->setObjectName(QString("RecentFile%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { runGuarded(&form_, [&] { open(i); }); });
    }
    menu_->menuAction()->setEnabled(!paths.isEmpty());
}

}  // namespace zorvan
