#include "app/logic/recent_files.h"

#include "app/logic/settings_group.h"

#include <QDir>
#include <QFileInfo>

namespace zorvan {

namespace {

const QString kGroup = QStringLiteral("recent");

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString key(int index) { return QStringLiteral("File%1").arg(index); }

}  // namespace

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString entry = absolute(path);
    paths_.removeAll(entry);
    paths_.prepend(entry);
    while (paths_.size() > kLimit)
        paths_.removeLast();
}

void RecentFiles::remove(const QString& path)
{
    if (!path.isEmpty())
        paths_.removeAll(absolute(path));
}

RecentFiles RecentFiles::read()
{
    SettingsGroup group(kGroup);
    RecentFiles recent;
    for (int i = kLimit - 1; i >= 0; --i)
        recent.add(group.store.value(key(i)).toString());
    return recent;
}

void RecentFiles::write() const
{
    SettingsGroup group(kGroup);
    group.store.remove("");  // the whole group: a shorter list leaves no old entries behind
    for (int i = 0; i < paths_.size(); ++i)
        group.store.setValue(key(i), paths_[i]);
}

}  // namespace zorvan
