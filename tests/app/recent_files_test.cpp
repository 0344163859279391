// The recent-files list and its own group in the settings store. ctest gives this executable its
// own XDG_CONFIG_HOME, so the user's settings are never touched.
#include "app/logic/recent_files.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"); }

// "/nc/p<from>.ncd" … "/nc/p<to>.ncd", counting up or down.
QStringList names(int from, int to)
{
    QStringList list;
    for (int i = from;; i += from < to ? 1 : -1) {
        list << QString("/nc/p%1.ncd").arg(i);
        if (i == to)
            return list;
    }
}

}  // namespace

QT_BEGIN_NAMESPACE
void PrintTo(const QStringList& list, std::ostream* out) { *out << list.join(" | ").toStdString(); }
void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
QT_END_NAMESPACE

TEST(RecentFiles, NewestFirstOnceEachAtMostTen)
{
    const struct { const char* what; QStringList added; QStringList removed; QStringList expected; } cases[] = {
        {"newest first", {"/nc/a.ncd", "/nc/b.ncd"}, {}, {"/nc/b.ncd", "/nc/a.ncd"}},
        {"again moves to the front", {"/nc/a.ncd", "/nc/b.ncd", "/nc/a.ncd"}, {}, {"/nc/a.ncd", "/nc/b.ncd"}},
        {"same file by another spelling", {"/nc/a.ncd", "/nc/sub/../a.ncd"}, {}, {"/nc/a.ncd"}},
        {"empty path ignored", {"/nc/a.ncd", ""}, {}, {"/nc/a.ncd"}},
        {"the eleventh drops the oldest", names(1, 11), {}, names(11, 2)},
        {"removed", {"/nc/a.ncd", "/nc/b.ncd"}, {"/nc/a.ncd"}, {"/nc/b.ncd"}},
        {"removing an absent one changes nothing", {"/nc/a.ncd"}, {"/nc/x.ncd", ""}, {"/nc/a.ncd"}},
    };
    for (const auto& c : cases) {
        RecentFiles recent;
        for (const QString& path : c.added)
            recent.add(path);
        for (const QString& path : c.removed)
            recent.remove(path);
        EXPECT_EQ(recent.paths(), c.expected) << c.what;
    }
}

TEST(RecentFiles, ARelativeNameIsKeptAbsolute)
{
    RecentFiles recent;
    recent.add("prog.ncd");
    EXPECT_EQ(recent.paths(), QStringList{QDir::current().absoluteFilePath("prog.ncd")});
}

TEST(RecentFiles, StoredAsStringsInAGroupOfItsOwn)
{
    QFile::remove(store().fileName());
    {
        QSettings s = store();
        s.setValue("setting/FontName", "ＭＳ Ｐゴシック");
    }
    RecentFiles recent;
    for (const QString& path : names(1, 12))
        recent.add(path);
    recent.write();
    EXPECT_EQ(RecentFiles::read().paths(), names(12, 3));

    QSettings s = store();
    EXPECT_EQ(s.value("setting/FontName").toString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(s.value("recent/File0").toString(), "/nc/p12.ncd");
    EXPECT_EQ(s.value("recent/File9").toString(), "/nc/p3.ncd");
    EXPECT_FALSE(s.contains("recent/File10"));
    EXPECT_EQ(s.value("recent/File0").typeId(), QMetaType::QString);
    s.sync();

    // A shorter list leaves no stale entries behind.
    recent.remove("/nc/p12.ncd");
    recent.write();
    s.sync();
    EXPECT_FALSE(s.contains("recent/File9"));
    EXPECT_EQ(RecentFiles::read().paths(), names(11, 3));
}
