#include "lists/logic/list_file_lookup.h"

#include "app/logic/file_io.h"
#include "app/logic/user_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace zorvan::lists {

ListFileLookup ListFileLookup::forThisProcess()
{
    ListFileLookup lookup;
    lookup.currentDir = QDir::currentPath();
    lookup.pathVariable = qEnvironmentVariable("PATH");
    lookup.executableDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    lookup.appDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#ifdef Q_OS_WIN
    lookup.windowsStyle = true;
#endif
    return lookup;
}

QString joinListPath(const QString& dir, const QString& name, bool windowsStyle)
{
    if (dir.isEmpty())
        return name;
    const bool endsInSeparator = dir.endsWith(QLatin1Char('/')) || (windowsStyle && dir.endsWith(QLatin1Char('\\')));
    if (endsInSeparator)
        return dir + name;
    return dir + (windowsStyle ? QLatin1Char('\\') : QLatin1Char('/')) + name;
}

std::optional<QString> findListFile(const ListFileLookup& lookup, const QString& name)
{
    if (!lookup.currentDir.isEmpty()) {
        const QString here = QDir(lookup.currentDir).filePath(name);
        if (isRegularFile(here))
            return here;
    }
    const QChar separator = lookup.windowsStyle ? QLatin1Char(';') : QLatin1Char(':');
    for (QString entry : lookup.pathVariable.split(separator, Qt::SkipEmptyParts)) {
        if (lookup.windowsStyle)
            entry.remove(QLatin1Char('"'));
        if (entry.isEmpty())
            continue;
        const QString path = joinListPath(entry, name, lookup.windowsStyle);
        if (isRegularFile(path))
            return path;
    }
    for (const QString& dir : {lookup.executableDir, lookup.appDataDir}) {
        if (dir.isEmpty())
            continue;
        const QString path = QDir(dir).filePath(name);
        if (isRegularFile(path))
            return path;
    }
    return std::nullopt;
}

void writeListFile(const QString& path, const std::string& bytes)
{
    try {
        writeFileAtomically(path, bytes);
    } catch (const FileError& e) {
        throw UserError((path + QStringLiteral(" に書き込めませんでした。元のファイルはそのままです。\n")).toStdString()
                        + e.reason());
    }
}

QString saveListFile(const ListFileLookup& lookup, const QString& name, const std::string& bytes)
{
    if (std::optional<QString> found = findListFile(lookup, name)) {
        writeListFile(*found, bytes);
        return *found;
    }
    const QString besideProgram = QDir(lookup.executableDir).filePath(name);
    try {
        writeListFile(besideProgram, bytes);
        return besideProgram;
    } catch (const UserError&) {
        if (lookup.appDataDir.isEmpty())
            throw;
    }
    QDir().mkpath(lookup.appDataDir);
    const QString userCopy = QDir(lookup.appDataDir).filePath(name);
    writeListFile(userCopy, bytes);
    return userCopy;
}

std::optional<std::string> readListFile(const QString& path)
{
    try {
        return readWholeFile(path, kMostListFileBytes);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace zorvan::lists
