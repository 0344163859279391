// The search-based commands from the main window, through their dialogs, on the QScintilla
// editor: axis swap, extreme value search, find, replace and find-next.
#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"
#include "app/logic/settings.h"
#include "app/ui/prompts.h"
#include "app/ui/textform.h"
#include "nc/logic/axis_swap.h"
#include "nc/ui/change.h"
#include "nc/ui/findbox.h"
#include "nc/ui/findmax.h"
#include "nc/ui/replacebox.h"
#include "support/modal_dialog.h"
#include "support/scripted_prompts.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;

namespace {

class SearchCommandsGui : public ::testing::Test {
protected:
    void SetUp() override { programSettings().UpperMode = true; }

    void load(const std::string& text, long caret = 0)
    {
        form.editor().setText(text);
        form.editor().setModified(false);
        form.editor().setCaret(caret);
        form.UpdateStatus();
    }

    template <typename Dialog> Dialog* dialog(const char* name) { return form.findChild<Dialog*>(name); }

    // Triggers the command `name`; `inDialog` runs once `dialog` is shown modally and must close
    // it.
    void run(const char* name, QDialog* dialog, const std::function<void()>& inDialog)
    {
        runModalDialog(dialog, [&] { form.action(name)->trigger(); }, inDialog, name);
        form.runner().waitForIdle();
        QCoreApplication::processEvents();  // what the queue or the command left for later
    }

    std::string text() { return form.editor().text(); }
    std::string selected()
    {
        return form.editor().textRange(form.editor().selectionStart(), form.editor().selectionLength());
    }

    ScriptedPrompts prompts;
    TFormText form;
};

// --- Axis swap

TEST_F(SearchCommandsGui, TheFiveCommandsAreEnabledWithTheirKeys)
{
    const std::pair<const char*, const char*> commands[] = {
        {"Find", "Ctrl+F"}, {"Reprace", "Ctrl+R"}, {"FindNext", "F3"}, {"RepraceXYZ", ""}, {"FindMinMax", ""}};
    for (auto [name, keys] : commands) {
        QAction* action = form.action(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_TRUE(action->isEnabled()) << name;
        EXPECT_EQ(action->shortcut().toString(), keys) << name;
    }
}

TEST_F(SearchCommandsGui, SwapsTheWholeFileThroughTheDialog)
{
    load("N10G01X10.Y-5.\r\n(MAX)X.5Y.5\r\n", 16);
    auto* swap = dialog<TChangForm>("ChangForm");
    run("RepraceXYZ", swap, [&] {
        EXPECT_EQ(swap->windowTitle(), "入れ替え");
        EXPECT_EQ(swap->BitBtn1->text(), "置換開始");
        EXPECT_EQ(swap->ComboBox1->currentText(), "X");
        EXPECT_EQ(swap->ComboBox2->currentText(), "Y");
        EXPECT_TRUE(swap->CheckBox1->isEnabled());  // nothing selected
        swap->CheckBox1->setChecked(true);
        swap->BitBtn1->click();
    });
    EXPECT_EQ(text(), "N10G01Y10.X-5.\r\n(MAX)Y.5X.5\r\n");
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.statusText(1), "変更あり");
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_EQ(form.editor().colourAt(0), TextColour::Blue);  // the line pass on the lines
    EXPECT_EQ(form.editor().caret(), 0);                      // the range start: no "--" went
    ASSERT_TRUE(form.editor().canUndo());                     // one step
    form.editor().undo();
    EXPECT_EQ(text(), "N10G01X10.Y-5.\r\n(MAX)X.5Y.5\r\n");
    EXPECT_FALSE(form.editor().canUndo());
    form.editor().redo();
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(SearchCommandsGui, SwapInASelectionReversesSignsAndKeepsTheMovedSelection)
{
    load("Z1.\r\nZ-2.\r\nZ3.\r\n");
    form.editor().setSelection(5, 7);  // "Z-2.\r\nZ"
    auto* swap = dialog<TChangForm>("ChangForm");
    run("RepraceXYZ", swap, [&] {
        EXPECT_FALSE(swap->CheckBox1->isEnabled());
        swap->ComboBox1->setCurrentText("Z");
        swap->ComboBox2->setCurrentText("-");
        swap->BitBtn1->click();
    });
    EXPECT_EQ(text(), "Z1.\r\nZ2.\r\nZ-3.\r\n");
    EXPECT_EQ(form.editor().selectionStart(), 5);
    EXPECT_EQ(form.editor().selectionLength(), 7);
}

TEST_F(SearchCommandsGui, EqualLettersOrCancelChangeNothing)
{
    load("X1Y2\r\n");
    auto* swap = dialog<TChangForm>("ChangForm");
    run("RepraceXYZ", swap, [&] {
        swap->ComboBox1->setCurrentText("J");
        swap->ComboBox2->setCurrentText("J");
        swap->BitBtn1->click();
    });
    run("RepraceXYZ", swap, [&] { swap->BitBtn2->click(); });
    EXPECT_EQ(text(), "X1Y2\r\n");
    EXPECT_FALSE(form.editor().isModified());
}

TEST_F(SearchCommandsGui, ALongProgramSwapsAsOnTheInMemoryEditor)
{
    std::string program;
    for (int i = 0; i < 30000; ++i)
        program += "N" + std::to_string(i) + "G01X" + std::to_string(i % 90) + ".Y-1.(荒取り@)--\r\n";
    load(program);
    MemoryEditor expected(program);
    nc::swapAxes(expected, 'X', 'Y', {false, true});
    auto* swap = dialog<TChangForm>("ChangForm");
    run("RepraceXYZ", swap, [&] {
        swap->ComboBox1->setCurrentText("X");
        swap->ComboBox2->setCurrentText("Y");
        swap->CheckBox1->setChecked(true);
        swap->BitBtn1->click();
    });
    EXPECT_EQ(text(), expected.text());
    EXPECT_EQ(form.editor().caret(), expected.caret());
    for (long pos : {0L, 3L, 40L, 1000L, expected.length() - 5})
        EXPECT_EQ(form.editor().colourAt(pos), expected.colourAt(pos)) << pos;
}

// --- Extreme value search

TEST_F(SearchCommandsGui, FindsTheExtremeSelectsItAndMarksItsLine)
{
    load("G00Z50.\r\nG01Z-2.5F100\r\nZ-10.\r\nZ10.\r\n");
    auto* extreme = dialog<TMinMaxForm>("MinMaxForm");
    run("FindMinMax", extreme, [&] {
        EXPECT_EQ(extreme->windowTitle(), "極値検索");
        EXPECT_EQ(extreme->axisItems->button(0)->text(), "Ｘ");
        extreme->axisItems->button(2)->setChecked(true);    // "Ｚ" gives Z
        extreme->methodItems->button(3)->setChecked(true);  // AbsMin
        extreme->CheckBox1->setChecked(true);
        extreme->BitBtn1->click();
    });
    EXPECT_EQ(selected(), "Z-2.5");
    EXPECT_EQ(form.Marks[11], 1);
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_FALSE(form.editor().isModified());
}

TEST_F(SearchCommandsGui, NoExtremeLeavesCaretAndMarkAndSaysSo)
{
    load("X-\r\nX1-2\r\nY5\r\n", 3);
    form.Marks[11] = 7;
    auto* extreme = dialog<TMinMaxForm>("MinMaxForm");
    run("FindMinMax", extreme, [&] {
        extreme->axisItems->button(0)->setChecked(true);
        extreme->methodItems->button(0)->setChecked(true);
        extreme->CheckBox1->setChecked(true);
        extreme->BitBtn1->click();
    });
    EXPECT_EQ(form.editor().caret(), 3);
    EXPECT_EQ(form.editor().selectionLength(), 0);
    EXPECT_EQ(form.Marks[11], 7);
    EXPECT_EQ(form.statusText(3), "見つかりません");
}

// --- Find, replace, find-next

TEST_F(SearchCommandsGui, FindFromTheTopAndOnWithF3)
{
    load("G01X1.X2.X3.", 8);
    auto* find = dialog<TFindBox>("FindBox");
    run("Find", find, [&] {
        EXPECT_EQ(find->windowTitle(), "検索");
        find->Edit1->setText("X");
        find->CheckBox1->setChecked(true);
        find->BitBtn1->click();
    });
    EXPECT_EQ(form.editor().selectionStart(), 3);
    EXPECT_EQ(form.editor().selectionLength(), 1);
    form.action("FindNext")->trigger();
    EXPECT_EQ(form.editor().selectionStart(), 6);
    form.action("FindNext")->trigger();
    form.action("FindNext")->trigger();  // no wrap-around
    EXPECT_EQ(form.editor().selectionStart(), 9);
    EXPECT_EQ(prompts.asked, QStringList{"検索確認|見つかりません"});
    EXPECT_EQ(form.statusText(3), "");
}

TEST_F(SearchCommandsGui, UpperCaseModeShapesTheTypedSearchText)
{
    auto* find = dialog<TFindBox>("FindBox");
    find->Edit1->clear();
    QTest::keyClicks(find->Edit1, "g0@1x");
    EXPECT_EQ(find->Edit1->text(), "G01X");
    programSettings().UpperMode = false;
    find->Edit1->clear();
    QTest::keyClicks(find->Edit1, "g0@1x");
    EXPECT_EQ(find->Edit1->text(), "g0@1x");
}

TEST_F(SearchCommandsGui, ReplaceOneThenF3ContinuesReplacing)
{
    load("G01X1.X2.X3.");
    auto* replace = dialog<TReplaceBox>("ReplaceBox");
    run("Reprace", replace, [&] {
        EXPECT_EQ(replace->windowTitle(), "置換");
        replace->Edit1->setText("X");
        replace->Edit2->setText("Y");
        replace->CheckBox2->setChecked(false);
        replace->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G01Y1.X2.X3.");
    EXPECT_EQ(form.editor().caret(), 4);
    form.action("FindNext")->trigger();
    form.action("FindNext")->trigger();
    EXPECT_EQ(text(), "G01Y1.Y2.Y3.");
    EXPECT_TRUE(prompts.asked.isEmpty());
    form.action("FindNext")->trigger();
    EXPECT_EQ(prompts.asked, QStringList{"検索確認|見つかりません"});
    EXPECT_TRUE(form.editor().isModified());
}

TEST_F(SearchCommandsGui, ReplaceAllInOnePassSaysHowManyPlacesItReplaced)
{
    // Long enough to run on a worker, with the progress bar: gone, as the caption, before the box.
    std::string longText;
    for (int i = 0; i < 40000; ++i)
        longText += "N2G00Y1.\r\n";
    for (const std::string& before : {std::string(), longText}) {
        load(before + "G01X1.\r\nN2G01Y1.\r\n");
        QStringList behindTheBox;
        prompts.asked.clear();
        prompts.whileAsking = [&] {
            behindTheBox << form.windowTitle() << form.statusText(1) << form.statusText(3)
                         << (form.OperationProgress->isVisible() || form.Busy ? "busy" : "");
        };
        auto* replace = dialog<TReplaceBox>("ReplaceBox");
        run("Reprace", replace, [&] {
            replace->Edit1->setText("G01");
            replace->Edit2->setText("G1");
            replace->CheckBox1->setChecked(true);
            replace->CheckBox2->setChecked(false);
            replace->BitBtn3->click();  // All
        });
        form.runner().waitForIdle();
        ASSERT_TRUE(waitFor([&] { return !prompts.asked.isEmpty(); }));
        EXPECT_EQ(prompts.asked, QStringList{"置換|2 か所を置換しました"});
        EXPECT_EQ(behindTheBox, (QStringList{"Zorvan *", "変更あり", "", ""}));
        EXPECT_EQ(text(), before + "G1X1.\r\nN2G1Y1.\r\n");
    }
    EXPECT_EQ(form.editor().caret(), long(longText.size()) + 11);  // behind the last G1
    EXPECT_EQ(form.editor().colourAt(long(longText.size()) + 7), TextColour::Blue);
    EXPECT_EQ(form.statusText(3), "");
    ASSERT_TRUE(form.editor().canUndo());  // the whole pass is one step
    form.editor().undo();
    EXPECT_EQ(text(), longText + "G01X1.\r\nN2G01Y1.\r\n");
    EXPECT_FALSE(form.editor().canUndo());
}

TEST_F(SearchCommandsGui, TheQuestionAnsweredNoThenAllPartWay)
{
    load("X1X2X3X4");
    prompts.answers = {QMessageBox::No, QMessageBox::YesToAll, QMessageBox::Yes, QMessageBox::No};
    auto* replace = dialog<TReplaceBox>("ReplaceBox");
    run("Reprace", replace, [&] {
        replace->Edit1->setText("X");
        replace->Edit2->setText("Y");
        replace->CheckBox1->setChecked(true);
        replace->CheckBox2->setChecked(true);
        replace->BitBtn1->click();  // OK: one at a time, but All turns on replace-all
    });
    // No stops a one-at-a-time run at the first match.
    EXPECT_EQ(text(), "X1X2X3X4");
    EXPECT_EQ(selected(), "X");
    form.action("FindNext")->trigger();  // All, then Yes, then No
    EXPECT_EQ(text(), "X1Y2Y3X4");
    EXPECT_EQ(prompts.asked.count("確認|置換しますか"), 4);
    EXPECT_EQ(prompts.asked.last(), "検索確認|見つかりません");
}

TEST_F(SearchCommandsGui, CancelInTheQuestionStopsAtOnce)
{
    load("X1X2X3");
    prompts.answers = {QMessageBox::Yes, QMessageBox::Cancel};
    auto* replace = dialog<TReplaceBox>("ReplaceBox");
    run("Reprace", replace, [&] {
        replace->Edit1->setText("X");
        replace->Edit2->setText("Y");
        replace->CheckBox1->setChecked(true);
        replace->CheckBox2->setChecked(true);
        replace->BitBtn3->click();
    });
    EXPECT_EQ(text(), "Y1X2X3");
    EXPECT_EQ(selected(), "X");  // the match stays selected
    EXPECT_EQ(prompts.asked, (QStringList{"確認|置換しますか", "確認|置換しますか"}));
    EXPECT_EQ(form.statusText(3), "");
}

TEST_F(SearchCommandsGui, AnEmptySearchTextFindsNothingAndCannotLoop)
{
    load("X1");
    auto* replace = dialog<TReplaceBox>("ReplaceBox");
    run("Reprace", replace, [&] {
        replace->Edit1->clear();
        replace->Edit2->setText("Y");
        replace->CheckBox2->setChecked(false);
        replace->BitBtn3->click();
    });
    EXPECT_EQ(text(), "X1");
    ASSERT_TRUE(waitFor([&] { return !prompts.asked.isEmpty(); }));
    EXPECT_EQ(prompts.asked, QStringList{"検索確認|見つかりません"});
}

// --- How the dialogs and boxes open

TEST_F(SearchCommandsGui, TheReplaceDialogReopensCentredWithItsOkAsTheDefault)
{
    load("X1X2");
    auto* replace = dialog<TReplaceBox>("ReplaceBox");
    run("Reprace", replace, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(replace));
        replace->Edit1->setText("Q");
        replace->move(0, 0);  // where a window manager may have put it
        replace->BitBtn3->setFocus();
        replace->BitBtn3->click();  // All, which kept the focus
    });
    run("Reprace", replace, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(replace));
        const QPoint off = replace->frameGeometry().center() - form.frameGeometry().center();
        EXPECT_LE(off.manhattanLength(), 2) << off.x() << "," << off.y();
        EXPECT_TRUE(replace->BitBtn1->isDefault());
        EXPECT_FALSE(replace->BitBtn3->isDefault());
        replace->reject();
    });
}

TEST_F(SearchCommandsGui, DialogButtonsAreJapaneseAndFixedDialogsCannotBeMaximised)
{
    const std::pair<const char*, const char*> cancels[] = {
        {"FindBox", "キャンセル"}, {"ReplaceBox", "キャンセル"}, {"ChangForm", "キャンセル"},
        {"MinMaxForm", "キャンセル"}, {"CalcForm", "キャンセル"}, {"FormAxis", "Cancel"}};
    for (auto [name, caption] : cancels) {
        auto* box = dialog<QDialog>(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->findChild<QPushButton*>("BitBtn2")->text(), caption) << name;
        EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << name;
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::CustomizeWindowHint)) << name;
    }
    EXPECT_EQ(dialog<TReplaceBox>("ReplaceBox")->BitBtn3->text(), "すべて");

    const auto question = makeMessageBox(&form, "確認", "置換しますか",
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::YesToAll,
                                         QMessageBox::Question);
    const std::pair<QMessageBox::StandardButton, const char*> answers[] = {
        {QMessageBox::Yes, "はい"}, {QMessageBox::No, "いいえ"}, {QMessageBox::Cancel, "キャンセル"},
        {QMessageBox::YesToAll, "すべて"}};
    for (auto [which, caption] : answers)
        EXPECT_EQ(question->button(which)->text(), caption);

    const auto notFound = makeMessageBox(&form, "検索確認", "見つかりません", QMessageBox::Ok, QMessageBox::NoIcon);
    notFound->show();
    EXPECT_GE(notFound->width(), captionRoom("検索確認"));  // the title bar shows the whole caption
    notFound->hide();
}

}  // namespace
