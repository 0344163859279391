// The main window's command surface, the save confirmation and the About box.
#include "app/ui/formopen.h"
#include "app/ui/textform.h"
#include "calc/ui/dentakform.h"
#include "support/menu_captions.h"
#include "support/scripted_prompts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

QMenu* menuNamed(TFormText& form, const QString& title)
{
    for (QAction* a : form.ChildMenu1->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

}  // namespace

TEST(TextForm, HasTheLayoutAndCaption)
{
    TFormText form;
    EXPECT_EQ(form.windowTitle(), "Zorvan");
    EXPECT_EQ(form.size(), QSize(863, 439));
    const int widths[] = {80, 60, 50, 100, 50};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(form.statusPanels[i]->width(), widths[i]);
    EXPECT_EQ(form.statusText(2), "挿入");
    for (int mark : form.Marks)
        EXPECT_EQ(mark, -1);
}

TEST(TextForm, TheReadmeGuideListsEveryMenuItem)
{
    TFormText form;
    QFile readme(qEnvironmentVariable("ZORVAN_SOURCE_DIR") + "/README.md");
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString guide = QString::fromUtf8(readme.readAll());
    for (QAction* menu : form.ChildMenu1->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (!item->isSeparator()) {
                EXPECT_TRUE(guide.contains(item->text())) << item->text().toStdString();
            }
        }
    }
}

TEST(TextForm, MenusListEveryItemInOrderWithSeparators)
{
    TFormText form;
    struct {
        const char* menu;
        QStringList items;
    } menus[] = {
        {"ﾌｧｲﾙ(&F)", {"新規作成", "開く", "文字コードを指定して開き直す", "保存", "上書き保存", "文字コードを指定して保存", "-",
                     "最近使ったファイル", "DNC 通信", "比較…", "保存版と比較", "終了"}},
        {"編集(&E)", {"元に戻す", "やり直し", "-", "切り取り", "ｺﾋﾟｰ", "張り付け", "-", "Select All", "-", "お決まりインサート"}},
        {"検索(&S)", {"検索", "置換", "次を再開", "-", "入れ替え", "極値検索", "まいどー", "マックのハッピーセット", "-",
                     "けいさん", "かえる", "座標移動", "おしえない(軸回転)", "N番号振り直し", "N番号削除", "空白の整理",
                     "空行の削除", "コメントの削除", "次のチェック項目", "前のチェック項目"}},
        // After the window's own items: the toolpath preview's, those of knowing the program, then
        // the program check's.
        {"そのた(&O)", {"バージョン情報", "Pelmoraとか", "-", "最強化", "大文字化", "-", "ここからNc実行", "電卓", "パス表示",
                       "状態表示", "コードの説明", "プログラム情報", "チェック一覧", "チェック設定"}},
    };
    for (const auto& m : menus) {
        QMenu* menu = menuNamed(form, m.menu);
        ASSERT_NE(menu, nullptr) << m.menu;
        EXPECT_EQ(captions(menu), m.items) << m.menu;
    }
}

TEST(TextForm, ShortcutsAreBoundAsListed)
{
    TFormText form;
    struct {
        const char* command;
        const char* keys;
    } shortcuts[] = {
        {"Close1Click", "Alt+X"}, {"Cut1Click", "Ctrl+X"},  {"Copy1Click", "Ctrl+C"},
        {"Paste1Click", "Ctrl+V"}, {"SelectAll1Click", "Ctrl+A"}, {"Find", "Ctrl+F"},
        {"Reprace", "Ctrl+R"},    {"FindNext", "F3"},       {"RunNc", "Ctrl+Alt+K"},
        {"RunNcThear", "Ctrl+Alt+C"}, {"New1Click", "Ctrl+N"}, {"Open1Click", "Ctrl+O"},
        {"Saveas1Click", "Ctrl+S"}, {"PopupMenuAtCaret", "Shift+F10"},
    };
    for (const auto& s : shortcuts) {
        QAction* a = form.action(s.command);
        ASSERT_NE(a, nullptr) << s.command;
        EXPECT_EQ(a->shortcut(), QKeySequence(s.keys)) << s.command;
    }
    // RunNc is on no menu or button, yet its shortcut works: it belongs to the window itself.
    EXPECT_TRUE(form.actions().contains(form.action("RunNc")));
}

TEST(TextForm, EveryCommandOfTheTableIsBuiltAndEnabled)
{
    TFormText form;
    for (const char* name : {"New1Click", "Open1Click", "Copy1Click", "OrgChenge", "AfineChehge", "CalculateClick",
                             "Kaeru", "RunNcThear", "ToolButton25Click", "About1Click", "ToolButton26Click",
                             "ToolButton27Click", "btnSuportInsertClick", "Find", "Reprace", "FindNext",
                             "RepraceXYZ", "FindMinMax"})
        EXPECT_TRUE(form.action(name)->isEnabled()) << name;
}

TEST(TextForm, ToolbarButtonsCarryTheirTips)
{
    TFormText form;
    QStringList tips;
    for (QAction* a : form.ToolBar1->actions()) {
        if (a->isSeparator())
            continue;
        QWidget* w = form.ToolBar1->widgetForAction(a);
        tips << (w ? w->toolTip() : a->toolTip());
    }
    QStringList expected = {"新規", "開く", "保存", "ｺﾋﾟｰ", "切取り", "張付け", "検索", "置換", "次",
                            "入替え（置換とちゃうんかい？）", "極値検索", "まいどー", "マックのハッピーセットー",
                            "フォント", "でかさ", "足すとか", "上下入替え", "座標移動", "おしえない",
                            "最強化（なにが？）", "大文字化（なんで？）", "お決まりインサート",
                            "ここからPelmora実行", "電卓",
                            "パス表示"};  // the toolpath preview's, after the window's own buttons
    EXPECT_EQ(tips, expected);
}

TEST(TextForm, SaveConfirmationAsksOnlyWhenModified)
{
    ScriptedPrompts prompts;
    TFormText form;
    EXPECT_TRUE(form.CheckSaveChanges());
    EXPECT_TRUE(prompts.asked.isEmpty());

    form.editor().setText("G01X1.");
    prompts.answers = {QMessageBox::Cancel, QMessageBox::No};
    EXPECT_FALSE(form.CheckSaveChanges());
    EXPECT_EQ(prompts.asked.value(0), "確認|変更されています\u3000保存しますか");
    EXPECT_TRUE(form.CheckSaveChanges());
    EXPECT_TRUE(form.editor().isModified());
}

TEST(TextForm, CancelInTheConfirmationKeepsTheWindowOpen)
{
    ScriptedPrompts prompts;
    TFormText form;
    form.show();
    form.editor().setText("X1");
    prompts.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    form.editor().setModified(false);
    EXPECT_TRUE(form.close());
}

TEST(TextForm, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    ScriptedPrompts prompts;
    TFormText form;
    runGuarded(&form, [] { throw std::runtime_error("'abc' は浮動小数点数ではありません"); });
    EXPECT_EQ(prompts.errors, QStringList{"'abc' は浮動小数点数ではありません"});
}

TEST(OpenForm, ShowsTheBuildVersionAndTheCurrentYear)
{
    EXPECT_EQ(TOpenForm::versionLine(), "Ver1.2.6.16");
    EXPECT_TRUE(TOpenForm::rightsLine().contains(QString::number(QDate::currentDate().year())));
    TOpenForm form;
    EXPECT_EQ(form.windowTitle(), "バージョン情報");
    EXPECT_EQ(form.Label2->text(), "NC(MC)仕様のテキストエディター");
    form.show();
    EXPECT_EQ(form.Label1->text(), "Ver1.2.6.16");
}

TEST(OpenForm, HandsTheCommandLineOverOnceAndHides)
{
    TFormText form;
    TOpenForm splash;
    splash.show();
    splash.FormDeactivate(&form);
    EXPECT_TRUE(splash.Timer1->isActive());
    splash.Timer1Timer();
    EXPECT_FALSE(splash.SplashMode);
    EXPECT_FALSE(splash.isVisible());
    splash.FormDeactivate(&form);  // later deactivations do nothing
    EXPECT_FALSE(splash.Timer1->isActive());
}

TEST(TextForm, TheCalculatorOpensWithoutModalityAndKeepsItsStateWhenClosed)
{
    TFormText form;
    form.action("ToolButton25Click")->trigger();
    ASSERT_NE(form.FormDentak, nullptr);
    EXPECT_TRUE(form.FormDentak->isVisible());
    EXPECT_FALSE(form.FormDentak->isModal());
    form.FormDentak->close();
    EXPECT_FALSE(form.FormDentak->isVisible());
    form.action("ToolButton25Click")->trigger();
    EXPECT_TRUE(form.FormDentak->isVisible());
}
