// Knowing the program in the main window, offscreen: "状態表示" shows the state panel (and the
// preview brings it along), the panel follows the caret and a whole-text command, takes the
// preview's interpretation while the preview shows, Ctrl+F1 tells the code at the caret, and
// "プログラム情報" sums the program up and copies it as text.
#include "app/ui/textform.h"
#include "inspect/ui/program_info_form.h"
#include "inspect/ui/state_panel.h"
#include "nc/logic/nc_transforms.h"
#include "preview/ui/preview_panel.h"
#include "support/wait_for.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::inspect;

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
}

const char* const kProgram =
    "G90G00X0Y0Z5.\r\n"    // 0
    "T3M06\r\n"            // 1
    "G01Z-1.F100\r\n"      // 2
    "X50.\r\n"             // 3
    "#1=7.\r\n"            // 4
    "G91Y#1\r\n";          // 5

void moveCaret(TFormText& form, int line)
{
    form.editor().setCaret(form.editor().positionFromLine(line));
    form.UpdateStatus();  // the window's caret notice
}

// Waits until the panel shows the state of `line` with `caption` reading `value`.
bool shows(StatePanel* panel, int line, const QString& row)
{
    return waitFor([&] { return panel->shownLine() == line && panel->shownText().contains(row); });
}

TEST(InspectWindow, ThePanelFollowsTheCaretAndTheText)
{
    store().remove("inspect");
    store().remove("preview");
    TFormText form;
    form.resize(1100, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QAction* toggle = form.action("StateView");
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->text(), "状態表示");
    auto* panel = form.findChild<StatePanel*>("StatePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    form.editor().setText(kProgram);
    toggle->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(store().value("inspect/Visible").toString(), "1");

    moveCaret(form, 3);
    EXPECT_TRUE(shows(panel, 3, "後の位置\tX50 Y0 Z-1\n"));
    EXPECT_TRUE(panel->shownText().contains("工具\tT3 (主軸 T3)\n"));
    moveCaret(form, 5);
    EXPECT_TRUE(shows(panel, 5, "変数\t#1 = 7\n"));
    EXPECT_TRUE(panel->shownText().contains("指令\tG91 インクレメンタル\n"));
    EXPECT_TRUE(panel->shownText().contains("後の位置\tX50 Y7 Z-1\n"));

    // A command that rewrites the whole text: the state follows it.
    nc::shiftCoordinates(form.editor(), {10, 0, 0}, DecimalSettings{});
    EXPECT_TRUE(shows(panel, 5, "後の位置\tX60 Y7 Z-1\n"));
    // Typing-like edits of one line too.
    form.editor().replaceLine(4, "#1=2.");
    EXPECT_TRUE(shows(panel, 5, "後の位置\tX60 Y2 Z-1\n"));

    toggle->trigger();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(store().value("inspect/Visible").toString(), "0");
}

// A program past the size worked on the window thread: the state comes from the worker.
TEST(InspectWindow, ABigProgramIsWorkedOutOffTheWindowThread)
{
    store().remove("inspect");
    store().remove("preview");
    store().setValue("inspect/Visible", "1");
    TFormText form;
    form.show();
    auto* panel = form.findChild<StatePanel*>("StatePanel");
    ASSERT_TRUE(panel && panel->isVisible());
    std::string text = "G90G01X0Y0Z0F600\r\n";
    for (int i = 1; i < 40000; ++i)
        text += "X" + std::to_string(i % 2 ? 10 : 0) + ".Y" + std::to_string(i) + ".\r\n";
    ASSERT_GT(text.size(), StatePanel::kWorkerBytes);
    form.editor().setText(text);
    moveCaret(form, 39999);
    EXPECT_TRUE(shows(panel, 39999, "後の位置\tX10 Y39999 Z0\n"));
    // 39,999 moves of hypot(10, 1) mm at 600 mm/min.
    EXPECT_TRUE(panel->shownText().contains("時間\t11:09:58 (この行まで)\n")) << panel->shownText().toStdString();
}

TEST(InspectWindow, ShownWithThePreviewAndFedByIt)
{
    store().remove("inspect");
    store().remove("preview");
    store().setValue("preview/Visible", "1");
    TFormText form;
    form.resize(1200, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<StatePanel*>("StatePanel");
    auto* preview = form.findChild<preview::PreviewPanel*>("PreviewPanel");
    ASSERT_TRUE(panel && preview);
    EXPECT_TRUE(panel->isVisible());
    form.editor().setText(kProgram);
    moveCaret(form, 3);
    EXPECT_TRUE(shows(panel, 3, "後の位置\tX50 Y0 Z-1\n"));
    // The panel asks the preview's path, not one of its own.
    ASSERT_TRUE(waitFor([&] { return preview->canvas()->model() && panel->kept(); }));
    EXPECT_EQ(panel->kept()->path, &preview->canvas()->model()->path);
    EXPECT_FALSE(panel->working());
    form.action("PreviewToggle")->trigger();
    EXPECT_FALSE(panel->isVisible());
}

TEST(InspectWindow, CodeHelpAtTheCaret)
{
    store().remove("inspect");
    store().remove("preview");
    TFormText form;
    form.show();
    form.editor().setText("#1=10.\r\nG83X[#1+2.]Z-5.R1.Q2.F100\r\n");
    QAction* help = form.action("CodeHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence("Ctrl+F1"));
    auto* panel = form.findChild<StatePanel*>("StatePanel");
    form.editor().setCaret(form.editor().positionFromLine(1) + 1);
    help->trigger();
    EXPECT_EQ(panel->property("lastHelp").toString(), "G83 深穴ドリルサイクル: Q ごとに R 点まで戻る");
    form.editor().setCaret(form.editor().positionFromLine(1) + 5);
    help->trigger();
    EXPECT_EQ(panel->property("lastHelp").toString(),
              "X[#1+2.]: X 軸の位置 (G90) または移動量 (G91)\n値: 12 (#1 = 10)");
}

TEST(InspectWindow, ProgramInformationAndItsCopy)
{
    TFormText form;
    form.show();
    form.editor().setText("O7\r\nT1M06 (FLAT D10)\r\nG90G00X0Y0Z0\r\nG01X100.F1000\r\nM30\r\n");
    QAction* info = form.action("ProgramInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text(), "プログラム情報");
    auto* dialog = form.findChild<ProgramInfoForm*>("ProgramInfoForm");
    ASSERT_NE(dialog, nullptr);
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->copyAsText();
        dialog->accept();
    });
    info->trigger();
    ASSERT_EQ(dialog->table()->rowCount(), 2);
    EXPECT_EQ(dialog->table()->item(0, 0)->text(), "T1");
    EXPECT_EQ(dialog->table()->item(0, 1)->text(), "FLAT D10");
    EXPECT_EQ(dialog->table()->item(0, 4)->text(), "100");
    EXPECT_EQ(dialog->table()->item(0, 6)->text(), "0:00:06");
    EXPECT_EQ(dialog->table()->item(1, 0)->text(), "合計");
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains("T1\tFLAT D10\t1\t4\t100\t0\t0:00:06\t0:00:00\t")) << copied.toStdString();
}

}  // namespace
