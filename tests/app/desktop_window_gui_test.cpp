// The main window on a desktop: the standard keys, the gutter's width for long documents, the
// save dialog's extension, the recent files and the title.
#include "app/logic/recent_files.h"
#include "app/ui/gutter.h"
#include "app/ui/recent_files_menu.h"
#include "app/ui/textform.h"
#include "support/scripted_prompts.h"
#include "support/wait_for.h"
#include "support/test_files.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
void PrintTo(const QStringList& list, std::ostream* out) { *out << list.join(" | ").toStdString(); }
QT_END_NAMESPACE

using namespace zorvan;

namespace {

QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"); }

class DesktopWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        store().remove("recent");
        form = std::make_unique<TFormText>();
    }
    void TearDown() override
    {
        form->editor().setModified(false);
        form.reset();
    }
    void load(const QString& path)
    {
        form->StartOpen(path);
        ASSERT_TRUE(waitFor([&] { return !form->Busy && form->statusText(3).isEmpty(); }));
    }
    QString file(const QString& name, const std::string& bytes = "%\r\nG01X1.\r\n")
    {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    QStringList recentItems() const
    {
        QStringList items;
        for (QAction* a : form->recentFiles->menu()->actions())
            items << a->text();
        return items;
    }
    int gutterPanelWidth() const { return form->Splitter1->sizes().at(0); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TFormText> form;
};

}  // namespace

TEST_F(DesktopWindow, StandardKeysTakeNoKeyOfTheCommandTables)
{
    // The keys of the menus, the actions and the editor's own keys.
    const std::set<QString> tableKeys = {"Alt+X", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+A", "Ctrl+F", "Ctrl+R",
                                         "F3", "Ctrl+Alt+K", "Ctrl+Alt+C", "Ctrl+H", "Ins"};
    const struct { const char* command; const char* key; } added[] = {
        {"New1Click", "Ctrl+N"}, {"Open1Click", "Ctrl+O"}, {"Saveas1Click", "Ctrl+S"},
        {"PopupMenuAtCaret", "Shift+F10"}};
    for (const auto& a : added) {
        EXPECT_EQ(form->action(a.command)->shortcut(), QKeySequence(a.key)) << a.command;
        EXPECT_FALSE(tableKeys.count(QKeySequence(a.key).toString())) << a.key;
    }
    EXPECT_EQ(form->action("Saveas1Click")->text(), "上書き保存");

    // No key does two things: the window's commands and the menu bar's Alt keys all differ.
    std::map<QString, QString> owner;
    auto claim = [&](const QKeySequence& key, const QString& by) {
        if (key.isEmpty())
            return;
        auto [it, fresh] = owner.emplace(key.toString(), by);
        EXPECT_TRUE(fresh) << key.toString().toStdString() << ": " << it->second.toStdString() << " and "
                           << by.toStdString();
    };
    for (QAction* a : form->findChildren<QAction*>(Qt::FindDirectChildrenOnly))
        if (!a->objectName().isEmpty() && a->objectName() != "ToolButton1")
            claim(a->shortcut(), a->objectName());
    for (QAction* menu : form->ChildMenu1->actions())
        claim(QKeySequence::mnemonic(menu->text()), menu->text());
    EXPECT_EQ(owner["Alt+O"], "そのた(&O)");
    for (const char* key : {"Alt+F", "Alt+E", "Alt+S"})
        EXPECT_TRUE(owner.count(key)) << key;
}

TEST_F(DesktopWindow, StandardKeysReachTheirCommandsFromTheEditor)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Memo1->setFocus();
    const struct { const char* command; QKeyCombination key; } cases[] = {
        {"New1Click", Qt::CTRL | Qt::Key_N}, {"Open1Click", Qt::CTRL | Qt::Key_O},
        {"Saveas1Click", Qt::CTRL | Qt::Key_S}, {"PopupMenuAtCaret", Qt::SHIFT | Qt::Key_F10}};
    for (const auto& c : cases) {
        QSignalSpy spy(form->action(c.command), &QAction::triggered);
        QTest::keyClick(form->Memo1, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(spy.count(), 1) << c.command;
    }
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    form->PopupMenu1->hide();
    EXPECT_EQ(form->editor().text(), "");  // none of the keys typed into the text
}

TEST_F(DesktopWindow, TheGutterWidensForLongLineNumbersAndKeepsItsWidthAsMinimum)
{
    form->show();
    QCoreApplication::processEvents();
    const QFontMetrics metrics(form->PaintBox1->font());
    auto lines = [](int count) {
        std::string text;
        text.reserve(static_cast<size_t>(count) * 4);
        for (int i = 1; i < count; ++i)
            text += "G0\r\n";
        return text + "M30";
    };
    const struct { int lines; const char* widestNumber; } cases[] = {
        {1, nullptr}, {9'999, "9990"}, {1'000'000, "999990"}, {1'000'001, "1000000"}, {12, nullptr}};
    for (const auto& c : cases) {
        form->editor().setText(lines(c.lines));
        form->UpdateStatus();
        QCoreApplication::processEvents();
        ASSERT_EQ(form->editor().lineCount(), c.lines);
        EXPECT_GE(gutterPanelWidth(), TFormText::kGutterWidth) << c.lines;
        if (c.widestNumber) {
            // Drawn right-aligned 2 pixels from the edge, the number keeps its first digit.
            EXPECT_GE(form->PaintBox1->width(), metrics.horizontalAdvance(c.widestNumber) + 4) << c.lines;
        } else {
            EXPECT_EQ(gutterPanelWidth(), TFormText::kGutterWidth) << c.lines;
        }
    }
}

TEST_F(DesktopWindow, AGutterMovedWiderByTheUserStaysThere)
{
    form->show();
    QCoreApplication::processEvents();
    form->Splitter1->setSizes({90, 700});
    form->editor().setText(std::string(200'000 * 4, 'x'));  // one long line: no numbers
    for (int count : {120'000, 3}) {
        std::string text;
        for (int i = 1; i < count; ++i)
            text += "G0\r\n";
        form->editor().setText(text);
        form->UpdateStatus();
        QCoreApplication::processEvents();
        EXPECT_EQ(gutterPanelWidth(), 90) << count;
    }
}

TEST_F(DesktopWindow, TheSaveDialogAddsNcdToANameWithoutExtension)
{
    file("O1001", "old");  // an existing name without extension is taken as it is
    const struct { const char* typed; const char* saved; } cases[] = {
        {"prog", "prog.ncd"}, {"prog.txt", "prog.txt"}, {"v1.2", "v1.2"}, {"O1001", "O1001"}};
    for (const auto& c : cases) {
        form->editor().setText("G01X1.");
        prompts.fileNames = {dir.filePath(c.typed)};
        form->Save1Click();
        const QString saved = dir.filePath(c.saved);
        EXPECT_EQ(fileBytes(saved), "G01X1.") << c.typed;
        EXPECT_EQ(form->DocPath, saved) << c.typed;
        EXPECT_EQ(form->windowTitle(), "Zorvan " + saved) << c.typed;
        EXPECT_FALSE(form->editor().isModified()) << c.typed;
    }
}

TEST_F(DesktopWindow, TheExtendedNameOfAnExistingFileIsOverwrittenOnlyWhenConfirmed)
{
    const QString existing = file("prog.ncd", "old");
    form->editor().setText("new");
    prompts.fileNames = {dir.filePath("prog")};
    prompts.answers = {QMessageBox::No};
    form->Save1Click();
    EXPECT_EQ(fileBytes(existing), "old");
    EXPECT_TRUE(form->editor().isModified());
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(prompts.asked[0].startsWith("確認|" + existing));

    prompts.fileNames = {dir.filePath("prog")};
    prompts.answers = {QMessageBox::Yes};
    form->Save1Click();
    EXPECT_EQ(fileBytes(existing), "new");
    EXPECT_EQ(form->DocPath, existing);
}

TEST_F(DesktopWindow, TheTitleIsExactlyTheProgramsOwn)
{
    EXPECT_EQ(form->windowTitle(), "Zorvan");
    const QString path = file("a.ncd");
    load(path);
    EXPECT_EQ(form->windowTitle(), "Zorvan " + path);
    form->editor().setText("G01");
    form->UpdateStatus();
    EXPECT_EQ(form->windowTitle(), "Zorvan *" + path);
    form->editor().setModified(false);
    form->New1Click();
    EXPECT_EQ(form->windowTitle(), "Zorvan");
    // The toolkit appends a display name to every title shown once one is set.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST_F(DesktopWindow, RecentFilesListLoadsAndSavesNewestFirst)
{
    EXPECT_FALSE(form->recentFiles->menu()->menuAction()->isEnabled());
    const QString a = file("a.ncd"), b = file("b.ncd"), c = dir.filePath("c&d.ncd");
    load(a);
    load(b);
    load(a);
    form->editor().setText("G01");
    prompts.fileNames = {c};
    form->Save1Click();
    EXPECT_EQ(recentItems(), (QStringList{"&1 " + dir.filePath("c&&d.ncd"), "&2 " + a, "&3 " + b}));
    EXPECT_TRUE(form->recentFiles->menu()->menuAction()->isEnabled());
    EXPECT_EQ(RecentFiles::read().paths(), (QStringList{c, a, b}));
    EXPECT_EQ(store().value("recent/File1").toString(), a);

    // A failed load is not remembered.
    form->StartOpen(dir.filePath("missing.ncd"));
    waitFor([&] { return !form->Busy; });
    EXPECT_EQ(form->recentFiles->paths(), (QStringList{c, a, b}));

    // Chosen again: opened like "開く".
    form->recentFiles->menu()->actions().at(2)->trigger();
    EXPECT_TRUE(waitFor([&] { return !form->Busy && form->windowTitle() == "Zorvan " + b; }));
    EXPECT_EQ(form->recentFiles->paths().first(), b);
}

TEST_F(DesktopWindow, ARecentFileThatIsGoneIsTakenOffWithAMessage)
{
    const QString a = file("a.ncd"), gone = file("gone.ncd");
    load(gone);
    load(a);
    QFile::remove(gone);
    form->editor().setText("unsaved");
    prompts.asked.clear();
    form->recentFiles->open(1);
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(prompts.asked[0], "Zorvan|" + gone + " が見つかりません。\n最近使ったファイルから外しました");
    EXPECT_EQ(form->recentFiles->paths(), QStringList{a});
    EXPECT_EQ(RecentFiles::read().paths(), QStringList{a});
    EXPECT_EQ(form->editor().text(), "unsaved");  // no save question, nothing loaded
    EXPECT_EQ(form->DocPath, a);

    // Ten at most, across runs of the program.
    for (int i = 0; i < 12; ++i)
        form->recentFiles->remember(dir.filePath(QString("p%1.ncd").arg(i)));
    TFormText next;
    EXPECT_EQ(next.recentFiles->paths().size(), RecentFiles::kLimit);
    EXPECT_EQ(next.recentFiles->paths().first(), dir.filePath("p11.ncd"));
}
