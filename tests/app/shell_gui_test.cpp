// What a subsystem does through the shell: rows that complete the window's placeholders, new
// placements, toolbar tips kept, and errors thrown by handlers shown in one place.
#include "app/logic/user_error.h"
#include "app/ui/textform.h"
#include "support/menu_captions.h"
#include "support/scripted_prompts.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace zorvan;

TEST(Shell, ARowForAPlaceholderBuildsItInAllItsPlacesAndOnlyOnce)
{
    TFormText form;
    Shell& shell = form;
    // A placeholder of its own, so that the test does not depend on which commands are built.
    QAction* placeholder =
        shell.addCommand({.name = "Probe", .caption = "試し", .shortcut = "Ctrl+Alt+P", .built = false});
    shell.placeInMenu(Shell::Menu::Search, "Probe");
    shell.placeOnToolBar("Probe", "試し");
    EXPECT_FALSE(placeholder->isEnabled());
    int runs = 0;
    QAction* probe = shell.addCommand({.name = "Probe", .run = [&] { ++runs; }});
    EXPECT_EQ(probe, placeholder);
    EXPECT_EQ(probe, form.action("Probe"));
    EXPECT_TRUE(probe->isEnabled());
    EXPECT_EQ(probe->text(), "試し");  // the placeholder's caption and shortcut stay
    EXPECT_EQ(probe->shortcut(), QKeySequence("Ctrl+Alt+P"));
    form.action("Probe#tool")->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_THROW(shell.addCommand({.name = "Probe", .run = [] {}}), std::logic_error);
    shell.addCommand({.name = "Probe", .built = false});  // a late placeholder changes nothing
    EXPECT_TRUE(probe->isEnabled());
    // A placeholder the window lists is completed by its subsystem's row: find is built.
    EXPECT_THROW(shell.addCommand({.name = "Find", .run = [] {}}), std::logic_error);
}

TEST(Shell, NewCommandsArePlacedWhereAsked)
{
    TFormText form;
    Shell& shell = form;
    shell.addCommand({.name = "Undo", .caption = "元に戻す", .shortcut = "Ctrl+Z", .run = [] {}});
    shell.placeInMenu(Shell::Menu::Edit, "Undo", "Cut1Click");
    shell.placeInMenu(Shell::Menu::Context, "Undo");
    QMenu* recent = shell.addFileSubmenu("最近のファイル", "Close1Click");
    QMenu* edit = nullptr;  // the menu bar's menu holding "Cut1Click"
    for (QObject* holder : form.action("Cut1Click")->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder); menu && menu->title() == "編集(&E)")
            edit = menu;
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(captions(edit).first(), "元に戻す");
    QMenu* file = qobject_cast<QMenu*>(recent->parent());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(captions(file), QStringList({"新規作成", "開く", "文字コードを指定して開き直す", "保存", "上書き保存",
                                             "文字コードを指定して保存", "-", "最近使ったファイル", "DNC 通信", "比較…",
                                             "保存版と比較", "最近のファイル", "終了"}));
    EXPECT_EQ(captions(form.PopupMenu1).last(), "元に戻す");

    const CommandRow path{.name = "PathView", .caption = "パス表示", .image = 1, .run = [] {}, .checkable = true};
    QAction* toggle = shell.addCommand(path);
    shell.placeOnToolBar("PathView", "パス表示（ツール）", "ToolButton25Click");
    QWidget* button = form.ToolBar1->widgetForAction(toggle);
    ASSERT_NE(button, nullptr);
    toggle->trigger();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(button->toolTip(), "パス表示（ツール）");  // kept across the action's changes
    const QList<QAction*> tools = form.ToolBar1->actions();
    EXPECT_EQ(tools.indexOf(toggle) + 1, tools.indexOf(form.action("ToolButton25Click")));
}

TEST(Shell, AnErrorThrownByAHandlerIsShownWithItsCaptionAndIcon)
{
    ScriptedPrompts prompts;
    TFormText form;
    form.addCommand({.name = "Fails", .run = [] { throw UserError("読めません", "リスト", UserError::Icon::Warning); }});
    form.addCommand({.name = "FailsPlainly", .run = [] { throw UserError("だめ"); }});
    form.action("Fails")->trigger();
    form.action("FailsPlainly")->trigger();
    EXPECT_EQ(prompts.asked, QStringList{"リスト|読めません"});
    EXPECT_EQ(prompts.errors, QStringList{"だめ"});
}
