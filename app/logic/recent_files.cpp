#include "app/logic/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace zorvan {

namespace {

const QString kGroup = QStringLiteral("recent");

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString key(int index) { return QStringLiteral("File%1").arg(index); }

QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"); }

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
    QSettings s = store();
    s.beginGroup(kGroup);
    RecentFiles recent;
    for (int i = kLimit - 1; i >= 0; --i)
        recent.add(s.value(key(i)).toString());
    return recent;
}

void RecentFiles::write() const
{
    QSettings s = store();
    s.remove(kGroup);
    s.beginGroup(kGroup);
    for (int i = 0; i < paths_.size(); ++i)
        s.setValue(key(i), paths_[i]);
}

}  // namespace zorvan
