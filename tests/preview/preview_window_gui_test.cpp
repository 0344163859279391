// The preview in the main window: the command "パス表示" in the menu and on the toolbar shows and
// hides the panel and keeps that in the preview's group; a command's rewrite of the text is
// worked out again; a click on the path moves the window's caret.
#include "app/ui/textform.h"
#include "lists/logic/list_passes.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/nc_transforms.h"
#include "preview/ui/preview_editor_link.h"
#include "preview/ui/preview_panel.h"
#include "preview/ui/stock_warning_list.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QListWidget>
#include <QCheckBox>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

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
    EXPECT_EQ(form.statusText(0), "3: 0");  // the status bar shows the caret the click put there
}

TEST(PreviewWindow, AWarningClickedShowsItsLineInTheEditor)
{
    store().remove("preview");
    store().remove("stock");
    store().setValue("preview/Visible", "1");
    TFormText form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    // Line 5 is a rapid through the stock.
    form.editor().setText("(T1 D6.)\r\nT1M06\r\nG90G00X0Y0Z5.\r\nG01Z-2.F200\r\nX40.\r\nG00Y20.\r\nG01X0\r\nG00Z5.\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->stockWarnings().empty(); }, 10000));
    QListWidget* list = panel->warningList();
    const auto rows = list->findItems("5 行:", Qt::MatchStartsWith);
    ASSERT_FALSE(rows.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows[0]).center());
    EXPECT_EQ(form.editor().lineFromPosition(form.editor().caret()), 5);
    EXPECT_EQ(form.focusWidget(), form.Memo1);
    // The line has its own background, right across the editor, until the caret leaves it.
    const long y = form.Memo1->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, form.editor().caret());
    EXPECT_EQ(form.Memo1->viewport()->grab().toImage().pixelColor(form.Memo1->viewport()->width() - 5, int(y) + 3),
              kChosenLineColour);
    form.editor().setCaret(0);
    form.UpdateStatus();
    EXPECT_EQ(form.Memo1->markersAtLine(5), 0u);
}

// Waits until the panel's path, worked out after the last change, has `maxX` as its largest X
// (NaN: no path at all).
bool pathIsNow(PreviewPanel* panel, double maxX)
{
    auto matches = [&] {
        const PreviewModel* model = panel->canvas()->model();
        if (panel->working() || !model)
            return false;
        return std::isnan(maxX) ? model->path.extents.empty() : model->path.extents.max[0] == maxX;
    };
    QSignalSpy ready(panel, &PreviewPanel::pathReady);
    for (int i = 0; i < 6 && !matches(); ++i)
        ready.wait(PreviewPanel::kDebounceMs + 1500);
    return matches();
}

TEST(PreviewWindow, ThePictureFollowsEveryKindOfChange)
{
    store().remove("preview");
    store().setValue("preview/Visible", "1");
    TFormText form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    TextEditor& editor = form.editor();
    const DecimalSettings decimals;
    struct Step {
        const char* name;
        std::function<void()> change;
        double maxX;
    };
    const Step steps[] = {
        {"a load", [&] { editor.setText("G90G00X0Y0Z5.\r\nG01Z-1.F100\r\nX50.\r\nY20.\r\n"); }, 50},
        {"a whole-text shift", [&] { nc::shiftCoordinates(editor, {10, 0, 0}, decimals); }, 60},
        {"its undo", [&] { editor.undo(); }, 50},
        {"its redo", [&] { editor.redo(); }, 60},
        {"the axis swap", [&] { nc::swapAxes(editor, 'X', 'Y', {.wholeFile = true}); }, 20},
        {"the swap's undo", [&] { editor.undo(); }, 60},
        {"a calculation", [&] { nc::calculateValues(editor, 'X', nc::Operation::Double, 0, decimals); }, 120},
        {"another load", [&] { editor.setText("G00X0Y0Z0\r\nG01X$1F100\r\nY$1\r\n"); }, 0},
        {"a list pass", [&] { lists::runPlaceholderPass(editor, {"SET", {"70."}}); }, 70},
        {"new",
         [&] {
             editor.setModified(false);
             form.New1Click();
         },
         std::nan("")},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_TRUE(pathIsNow(panel, step.maxX));
    }
}

TEST(PreviewWindow, AnotherFileIsShownWholeAboveTheLegend)
{
    store().remove("preview");
    store().setValue("preview/Visible", "1");
    TFormText form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<PreviewPanel*>("PreviewPanel");
    form.editor().setText("G00X0Y0Z0\r\nG01X100.Y100.F100\r\n");
    ASSERT_TRUE(pathIsNow(panel, 100));
    // An overlapping program: an edit would keep the view, a load fits it.
    form.editor().setText("G00X0Y0Z0\r\nG01X10.Y10.F100\r\n");
    ASSERT_TRUE(pathIsNow(panel, 10));
    const ViewTransform& view = panel->canvas()->transform();
    const QPointF start = view.toPixel(0, 0, 0), end = view.toPixel(10, 10, 0);
    EXPECT_GT(end.x() - start.x(), panel->canvas()->width() / 3);
    // The path's bottom-left start lies above the legend's box.
    EXPECT_LT(start.y(), panel->canvas()->height() - legendHeight(panel->canvas()->model()->path));
}

}  // namespace
