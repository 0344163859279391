// The preview in the main window: the command "パス表示" in the menu and on the toolbar shows and
// hides the panel and keeps that in the preview's group; a command's rewrite of the text is
// worked out again; a click on the path moves the window's caret.
#include "app/ui/textform.h"
#include "preview/ui/preview_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace zorvan;
using namespace zorvan::preview;

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
}

TEST(PreviewWindow, TheCommandShowsAndHidesThePanelAndRemembersIt)
{
    store().remove("preview");
    TFormText form;
    QAction* toggle = form.action("PreviewToggle");
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->text(), "パス表示");
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_NE(form.ToolBar1->widgetForAction(toggle), nullptr);
    bool inMenu = false;
    for (QObject* holder : toggle->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder); menu && menu->title() == "そのた(&O)")
            inMenu = true;
    EXPECT_TRUE(inMenu);

    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_NE(panel, nullptr);
    form.show();
    EXPECT_FALSE(panel->isVisible());
    toggle->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(store().value("preview/Visible").toString(), "1");
    toggle->trigger();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(store().value("preview/Visible").toString(), "0");
}

TEST(PreviewWindow, TheShownPanelStaysRememberedWhenItsOtherSettingsChange)
{
    store().remove("preview");
    TFormText form;
    form.show();
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_NE(panel, nullptr);
    form.action("PreviewToggle")->trigger();
    ASSERT_TRUE(panel->isVisible());
    auto buttons = panel->findChildren<QToolButton*>();
    auto front = std::find_if(buttons.begin(), buttons.end(), [](QToolButton* b) { return b->text() == "正面"; });
    ASSERT_NE(front, buttons.end());
    (*front)->click();
    auto* increments = panel->findChild<QCheckBox*>();
    ASSERT_NE(increments, nullptr);
    increments->click();
    EXPECT_EQ(store().value("preview/View").toString(), "front");
    EXPECT_EQ(store().value("preview/LeastIncrement").toString(), "1");
    EXPECT_EQ(store().value("preview/Visible").toString(), "1");
}

TEST(PreviewWindow, StartingWithThePanelShownWritesNoSetting)
{
    store().remove("preview");
    store().setValue("preview/Visible", "1");
    store().setValue("preview/LeastIncrement", "unreadable");  // read as the default, kept as it is
    TFormText form;
    form.show();
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_TRUE(form.action("PreviewToggle")->isChecked());
    EXPECT_EQ(store().value("preview/LeastIncrement").toString(), "unreadable");
    EXPECT_FALSE(store().contains("preview/View"));
}

// Waits for the panel's path to reach `maxX` on X (earlier passes may report first).
bool pathReaches(PreviewPanel* panel, double maxX)
{
    QSignalSpy ready(panel, &PreviewPanel::pathReady);
    for (int i = 0; i < 5; ++i) {
        if (!panel->working() && panel->canvas()->model() && panel->canvas()->model()->path.extents.max[0] == maxX)
            return true;
        ready.wait(3000);
    }
    return panel->canvas()->model() && panel->canvas()->model()->path.extents.max[0] == maxX;
}

TEST(PreviewWindow, FollowsTheEditorAndMovesItsCaret)
{
    store().remove("preview");
    store().setValue("preview/Visible", "1");
    TFormText form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    form.editor().setText("G90G00X0Y0Z5.\r\nG01Z-1.F100\r\nX50.\r\nY20.\r\n");
    ASSERT_TRUE(pathReaches(panel, 50));
    // A rewrite of lines by a command (not typing) is seen too.
    form.editor().replaceLine(2, "X80.");
    ASSERT_TRUE(pathReaches(panel, 80));

    for (int i = 0; i < 200 && !panel->canvas()->pictureReady(); ++i)
        QTest::qWait(10);
    const QPoint onLine3 = panel->canvas()->transform().toPixel(80, 10, -1).toPoint();
    QTest::mouseClick(panel->canvas(), Qt::LeftButton, {}, onLine3);
    EXPECT_EQ(form.editor().lineFromPosition(form.editor().caret()), 3);
}

}  // namespace
