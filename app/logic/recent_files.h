// The files opened or saved last, newest first, for the file menu's "最近使ったファイル". Kept as
// strings "File0" … "File9" in the settings group "recent" of the organisation "Kw", application
// "Zorvan", beside (not inside) the program's own group "setting".
#pragma once

#include <QString>
#include <QStringList>

namespace zorvan {

class RecentFiles {
public:
    static constexpr int kLimit = 10;

    const QStringList& paths() const { return paths_; }

    // Puts the file first (an earlier entry of the same file goes); the list keeps the newest ten.
    // Paths are kept absolute, so a file opened by a relative name opens again from anywhere.
    void add(const QString& path);
    void remove(const QString& path);

    static RecentFiles read();
    void write() const;

private:
    QStringList paths_;
};

}  // namespace zorvan
