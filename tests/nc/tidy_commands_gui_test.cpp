// Renumbering and tidying from the main window's search menu, on the QScintilla editor.
#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"
#include "app/logic/settings_group.h"
#include "app/ui/textform.h"
#include "nc/ui/blankform.h"
#include "nc/ui/renumberform.h"
#include "support/modal_dialog.h"
#include "support/scripted_prompts.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;

namespace {

class TidyCommandsGui : public ::testing::Test {
protected:
    void load(const char* text)
    {
        form.editor().setText(text);
        form.editor().setModified(false);
        form.UpdateStatus();
    }
    std::string text() { return form.editor().text(); }
    template <typename Dialog> Dialog* dialog(const char* name) { return form.findChild<Dialog*>(name); }
    QString stored(const char* key)
    {
        SettingsGroup group("tidy");
        return group.store.value(key).toString();
    }

    // The dialogs read the stored choices when the window makes them: none from an earlier run.
    struct ClearedStore {
        ClearedStore() { SettingsGroup("tidy").store.remove(""); }
    } cleared;
    ScriptedPrompts prompts;
    TFormText form;
};

TEST_F(TidyCommandsGui, RenumberThroughTheDialogAsOneStepAndKeepTheChoices)
{
    load("%\r\nO100\r\nG00X0\r\nN7G01X1.\r\nGOTO7\r\n%");
    auto* renumber = dialog<TRenumberForm>("RenumberForm");
    runModalDialog(renumber, [&] { form.action("Renumber")->trigger(); }, [&] {
        renumber->StartEdit->setValue(100);
        renumber->StepEdit->setValue(5);
        renumber->WidthEdit->setValue(5);
        renumber->BitBtn1->click();
    });
    EXPECT_EQ(text(), "%\r\nO100\r\nN00100G00X0\r\nN00105G01X1.\r\nN00110GOTO105\r\n%");
    EXPECT_EQ(form.editor().colourAt(form.editor().positionFromLine(2)), TextColour::Blue);  // written lines coloured
    EXPECT_TRUE(prompts.asked.isEmpty());
    form.editor().undo();
    EXPECT_EQ(text(), "%\r\nO100\r\nG00X0\r\nN7G01X1.\r\nGOTO7\r\n%");
    EXPECT_FALSE(form.editor().isModified());
    EXPECT_EQ(stored("Start"), "100");
    EXPECT_EQ(stored("Width"), "5");
    TRenumberForm again;  // a new dialog starts from the stored choices
    EXPECT_EQ(again.options(), renumber->options());
    EXPECT_EQ(again.WidthEdit->value(), 5);
}

TEST_F(TidyCommandsGui, RenumberReportsOverflowAndMissingTargets)
{
    load("A\r\nB\r\nC");
    auto* renumber = dialog<TRenumberForm>("RenumberForm");
    auto runWith = [&](int max, bool wrap) {
        runModalDialog(renumber, [&] { form.action("Renumber")->trigger(); }, [&] {
            renumber->StartEdit->setValue(10);
            renumber->StepEdit->setValue(10);
            renumber->WidthEdit->setValue(0);
            renumber->MaxEdit->setValue(max);
            (wrap ? renumber->WrapButton : renumber->RefuseButton)->setChecked(true);
            renumber->BitBtn1->click();
        });
    };
    runWith(20, false);
    EXPECT_EQ(prompts.asked, QStringList{"N番号振り直し|N番号が最大値 20 を超えるので振り直しません"});
    EXPECT_EQ(text(), "A\r\nB\r\nC");
    EXPECT_FALSE(form.editor().canUndo());
    runWith(20, true);
    EXPECT_EQ(text(), "N10A\r\nN20B\r\nN10C");
    EXPECT_EQ(stored("Wrap"), "1");
    prompts.asked.clear();
    load("GOTO9");
    runWith(0, true);
    EXPECT_EQ(prompts.asked, QStringList{"N番号振り直し|飛び先のN番号がありません:\n0 行目 → N9"});
    EXPECT_EQ(text(), "N10GOTO9");
}

TEST_F(TidyCommandsGui, TheOtherCommandsOnTheSelectedLines)
{
    auto* blanks = dialog<TBlankForm>("BlankForm");
    struct {
        const char* command;
        QRadioButton* choice;  // in the blank dialog; none: no dialog
        const char* input;
        const char* output;
    } cases[] = {
        {"RemoveSequenceNumbers", nullptr, "N1 G00\r\nN2 G01 X1.\r\nN3 G01 Y1.\r\nN4", "N1 G00\r\nG01 X1.\r\nG01 Y1.\r\nN4"},
        {"TidyBlanks", blanks->RemoveButton, "G00 X1.\r\nG01 X1. (A B)\r\nG01 Y1.\r\nM30 ", "G00 X1.\r\nG01X1. (A B)\r\nG01Y1.\r\nM30 "},
        {"TidyBlanks", blanks->InsertButton, "G00X1.\r\nG01X1.\r\n(工具)G01Y1.\r\nM30", "G00X1.\r\nG01 X1.\r\n(工具)G01 Y1.\r\nM30"},
        {"DeleteEmptyLines", nullptr, "A\r\n\r\n  \r\n\r\n", "A\r\n\r\n"},
        {"DeleteEmptyLines", nullptr, "A\r\n \r\n ", "A\r\n"},
        {"DeleteComments", nullptr, "(A)\r\n(工具)\r\nG01(B)X1.\r\n(C)", "(A)\r\nG01X1.\r\n(C)"},
    };
    for (const auto& c : cases) {
        load(c.input);
        // From the middle of line 1 to the middle of line 2.
        const long start = form.editor().positionFromLine(1) + 1;
        form.editor().setSelection(start, form.editor().positionFromLine(2) + 1 - start);
        auto trigger = [&] { form.action(c.command)->trigger(); };
        if (c.choice) {
            runModalDialog(blanks, trigger, [&] {
                c.choice->setChecked(true);
                blanks->BitBtn1->click();
            });
        } else {
            trigger();
        }
        EXPECT_EQ(text(), c.output) << c.command;
        EXPECT_TRUE(form.editor().isModified()) << c.command;
        form.editor().undo();
        EXPECT_EQ(text(), c.input) << c.command;
    }
    EXPECT_EQ(stored("Blanks"), "insert");
    EXPECT_TRUE(prompts.asked.isEmpty());
    // Lines to the end of a long text: the break after "A" stays, as after any deletion of last lines.
    std::string emptyLines = "A\r\n";
    for (int i = 0; i < 200; ++i)
        emptyLines += " \r\n";
    load((emptyLines + " ").c_str());
    form.action("DeleteEmptyLines")->trigger();
    EXPECT_EQ(text(), "A\r\n");
    form.editor().undo();
    EXPECT_EQ(text(), emptyLines + " ");
}

TEST_F(TidyCommandsGui, DialogsSayCancelInJapaneseAndReopenWithTheStoredChoices)
{
    for (const char* name : {"RenumberForm", "BlankForm", "FormDnc"})
        EXPECT_EQ(dialog<QDialog>(name)->findChild<QPushButton*>("BitBtn2")->text(), "キャンセル") << name;

    load("A");
    auto* renumber = dialog<TRenumberForm>("RenumberForm");
    auto* blanks = dialog<TBlankForm>("BlankForm");
    const struct {
        QDialog* dialog;
        const char* command;
        std::function<void()> type;   // changes a choice, then the dialog is cancelled
        std::function<bool()> shown;  // the stored choice is on show
    } cases[] = {
        {renumber, "Renumber", [&] { renumber->StartEdit->setValue(777); },
         [&] { return renumber->StartEdit->value() == 10; }},
        {blanks, "TidyBlanks", [&] { blanks->RemoveButton->setChecked(true); },
         [&] { return blanks->InsertButton->isChecked(); }},
    };
    for (const auto& c : cases) {
        auto trigger = [&] { form.action(c.command)->trigger(); };
        runModalDialog(c.dialog, trigger, [&] {
            c.type();
            c.dialog->findChild<QPushButton*>("BitBtn2")->click();
        });
        bool shownAgain = false;
        runModalDialog(c.dialog, trigger, [&] {
            shownAgain = c.shown();
            c.dialog->reject();
        });
        EXPECT_TRUE(shownAgain) << c.command;
    }
    EXPECT_EQ(text(), "A");
}

TEST_F(TidyCommandsGui, WrittenLinesGetTheColoursOfALoad)
{
    auto* renumber = dialog<TRenumberForm>("RenumberForm");
    auto* blanks = dialog<TBlankForm>("BlankForm");
    const struct {
        const char* command;
        QDialog* dialog;  // none: the command asks nothing
        std::function<void()> inDialog;
    } cases[] = {
        {"Renumber", renumber, [&] { renumber->BitBtn1->click(); }},
        {"TidyBlanks", blanks,
         [&] {
             blanks->RemoveButton->setChecked(true);
             blanks->BitBtn1->click();
         }},
        {"RemoveSequenceNumbers", nullptr, {}},
    };
    for (const auto& c : cases) {
        // "O" and "L" words inside a line are red only to the line pass of typing.
        load("N1 WHILE [#1 LT 3] DO1\r\nN2 IF [#1 GT 3] GOTO90 (O1)\r\nN3 O100 L2 X1.");
        auto trigger = [&] { form.action(c.command)->trigger(); };
        if (c.dialog)
            runModalDialog(c.dialog, trigger, c.inDialog);
        else
            trigger();
        MemoryEditor loaded(text());
        colouring::ColourAll(loaded);
        for (long pos = 0; pos < loaded.length(); ++pos)
            ASSERT_EQ(form.editor().colourAt(pos), loaded.colourAt(pos)) << c.command << " at " << pos << " of " << text();
    }
}

}  // namespace
