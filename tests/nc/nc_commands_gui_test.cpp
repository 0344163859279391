// The numeric commands from the main window, through their dialogs, on the QScintilla editor.
#include "app/logic/memory_editor.h"
#include "app/logic/settings.h"
#include "nc/logic/nc_transforms.h"
#include "app/ui/textform.h"
#include "nc/ui/axisform.h"
#include "nc/ui/formcalc.h"
#include "support/modal_dialog.h"
#include "support/scripted_prompts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;

namespace {

class NcCommandsGui : public ::testing::Test {
protected:
    void SetUp() override { programSettings().decimals = DecimalSettings{}; }

    void load(const char* text)
    {
        form.editor().setText(text);
        form.editor().setModified(false);
        form.UpdateStatus();
    }

    // Triggers the command `name`; `inDialog` runs once `dialog` is shown modally and must close
    // it.
    void run(const char* name, QDialog* dialog, const std::function<void()>& inDialog)
    {
        runModalDialog(dialog, [&] { form.action(name)->trigger(); }, inDialog, name);
        form.runner().waitForIdle();
    }

    std::string text() { return form.editor().text(); }

    ScriptedPrompts prompts;
    TFormText form;
};

TEST_F(NcCommandsGui, ShiftThroughTheAxisDialog)
{
    load("N10G01X12.5Y3.Z-1.F100\r\nG00Z50.\r\n");
    TFormAxis* axis = form.FormAxis;
    run("OrgChenge", axis, [&] {
        EXPECT_EQ(axis->windowTitle(), "AXIS");
        EXPECT_EQ(axis->Edit1->text(), "0.000000");
        EXPECT_EQ(axis->Edit2->text(), "0.000000");
        EXPECT_EQ(axis->Edit3->text(), "0.000000");
        axis->Edit1->setText("10");
        axis->Edit2->setText("-5");
        axis->BitBtn1->click();
    });
    EXPECT_EQ(text(), "N10G01X22.5Y-2.0Z-1.F100\r\nG00Z50.\r\n");
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.statusText(1), "変更あり");
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_EQ(form.editor().colourAt(1), TextColour::Blue);  // the written line is coloured
    EXPECT_TRUE(prompts.errors.isEmpty());
    // One step: undo brings back the loaded text, unmodified; redo the shifted one.
    EXPECT_TRUE(form.editor().canUndo());
    form.editor().undo();
    EXPECT_EQ(text(), "N10G01X12.5Y3.Z-1.F100\r\nG00Z50.\r\n");
    EXPECT_FALSE(form.editor().isModified());
    EXPECT_FALSE(form.editor().canUndo());
    form.editor().redo();
    EXPECT_EQ(text(), "N10G01X22.5Y-2.0Z-1.F100\r\nG00Z50.\r\n");
    EXPECT_EQ(form.editor().colourAt(1), TextColour::Blue);
}

// A program of many lines, some coloured, some Japanese, long enough to be rewritten in pieces.
std::string longProgram(std::size_t lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        switch (i % 4) {
        case 0: text += "N" + std::to_string(i) + "G01X" + std::to_string(i % 97) + ".5Y2."; break;
        case 1: text += "X-1.25Z3.(荒取り" + std::to_string(i) + ")"; break;
        case 2: text += "O" + std::to_string(i % 9000) + "Y.5"; break;
        default: text += "X.5"; break;
        }
        text += "\r\n";
    }
    return text;
}

TEST_F(NcCommandsGui, AWholeTextShiftKeepsTheCaretsLineAndTheView)
{
    form.resize(800, 500);
    form.show();
    for (const int lines : {2000, 40000}) {  // at once, and on a worker
        load(longProgram(lines).c_str());
        const int line = lines / 2;
        form.Memo1->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(line - 5));
        form.editor().setCaret(form.editor().positionFromLine(line) + 2);
        run("OrgChenge", form.FormAxis, [&] {
            form.FormAxis->Edit1->setText("10");
            form.FormAxis->BitBtn1->click();
        });
        EXPECT_EQ(form.editor().caret(), form.editor().positionFromLine(line) + 2) << lines;
        EXPECT_EQ(form.editor().firstVisibleLine(), line - 5) << lines;
        EXPECT_EQ(form.statusText(0), QString("%1: 2").arg(line)) << lines;
    }
}

TEST_F(NcCommandsGui, ALongProgramShiftsAsOnTheInMemoryEditorAndUndoesAsOneStep)
{
    const std::string program = longProgram(40000);
    load(program.c_str());
    form.editor().setSelection(0, 0);
    run("OrgChenge", form.FormAxis, [&] {
        form.FormAxis->Edit1->setText("10");
        form.FormAxis->Edit3->setText("-0.5");
        form.FormAxis->BitBtn1->click();
    });
    MemoryEditor expected(program);
    nc::shiftCoordinates(expected, {10, 0, -0.5}, DecimalSettings{});
    ASSERT_EQ(text(), expected.text());
    for (long pos = 0; pos < expected.length(); pos += 7)
        ASSERT_EQ(form.editor().colourAt(pos), expected.colourAt(pos)) << "at " << pos;
    EXPECT_EQ(form.editor().caret(), expected.caret());
    EXPECT_TRUE(form.editor().isModified());
    form.editor().undo();
    EXPECT_EQ(text(), program);
    EXPECT_FALSE(form.editor().isModified());
    form.editor().redo();
    EXPECT_EQ(text(), expected.text());
    EXPECT_EQ(form.editor().colourAt(0), expected.colourAt(0));
    // Typing afterwards still colours the line typed in.
    form.editor().setCaret(0);
    form.editor().setColour(0, 10, TextColour::Default);
    form.Memo1->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 4UL, "(77)");
    QCoreApplication::processEvents();
    EXPECT_EQ(form.editor().line(0).substr(0, 7), "(77)N0G");
    EXPECT_EQ(form.editor().colourAt(1), TextColour::Green);
}

TEST_F(NcCommandsGui, AResultTooLargeFarDownLeavesTextAndColoursAsTheyWere)
{
    std::string program = longProgram(40000);
    program += "X" + std::string(309, '9') + "\r\n";
    load(program.c_str());
    form.ColourAll();
    form.editor().setSelection(0, 0);
    std::vector<TextColour> colours;
    for (long pos = 0; pos < 20000; ++pos)
        colours.push_back(form.editor().colourAt(pos));
    run("OrgChenge", form.FormAxis, [&] {
        form.FormAxis->Edit1->setText("1");
        form.FormAxis->BitBtn1->click();
    });
    EXPECT_EQ(prompts.errors, QStringList{"40000 行目の X の値が大きすぎて書けません"});
    EXPECT_EQ(text(), program);
    EXPECT_FALSE(form.editor().isModified());
    for (long pos = 0; pos < 20000; ++pos)
        ASSERT_EQ(form.editor().colourAt(pos), colours[static_cast<std::size_t>(pos)]) << "at " << pos;
}

TEST_F(NcCommandsGui, ShiftStartsFromZerosEveryTime)
{
    load("X1.");
    TFormAxis* axis = form.FormAxis;
    run("OrgChenge", axis, [&] {
        axis->Edit1->setText("1");
        axis->BitBtn1->click();
    });
    run("OrgChenge", axis, [&] {
        EXPECT_EQ(axis->Edit1->text(), "0.000000");
        axis->BitBtn2->click();
    });
    EXPECT_EQ(text(), "X2.0");
}

TEST_F(NcCommandsGui, AFieldThatIsNoNumberIsReportedAndNothingRuns)
{
    load("X1.Y1.");
    TFormAxis* axis = form.FormAxis;
    run("OrgChenge", axis, [&] {
        axis->Edit1->setText("10");
        axis->Edit2->setText("abc");
        axis->BitBtn1->click();
        EXPECT_TRUE(axis->isVisible());  // still open, contents kept
        EXPECT_EQ(axis->Edit1->text(), "10");
        EXPECT_EQ(axis->Edit2->text(), "abc");
        axis->BitBtn2->click();
    });
    EXPECT_EQ(prompts.errors, QStringList{"'abc' は数値ではありません"});
    EXPECT_EQ(text(), "X1.Y1.");
    EXPECT_FALSE(form.editor().isModified());
}

TEST_F(NcCommandsGui, CancelChangesNothing)
{
    load("X1.");
    run("OrgChenge", form.FormAxis, [&] { form.FormAxis->BitBtn2->click(); });
    run("AfineChehge", form.FormAxis, [&] { form.FormAxis->BitBtn2->click(); });
    run("CalculateClick", form.CalcForm, [&] { form.CalcForm->BitBtn2->click(); });
    EXPECT_EQ(text(), "X1.");
    EXPECT_FALSE(form.editor().isModified());
}

// A word whose number cannot be read stays as written; the words left are listed once the shift
// has been written, with their lines.
TEST_F(NcCommandsGui, UnreadableNumbersAreLeftAndListedAtTheEnd)
{
    load("G01X3..5Y1.\r\nX1.\r\nY0. .\r\n");
    TFormAxis* axis = form.FormAxis;
    run("OrgChenge", axis, [&] {
        axis->Edit1->setText("10");
        axis->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G01X3..5Y1.\r\nX11.0\r\nY0. .\r\n");
    EXPECT_EQ(prompts.asked, QStringList{"座標移動|読めない数値の語はそのままにしました:\n0 行目 X3..5 (小数点が二つ)"});
    EXPECT_TRUE(form.editor().canUndo());
}

TEST_F(NcCommandsGui, RotationThroughTheAxisDialog)
{
    load("G01X10.Y0.\r\nX5.\r\nZ-2.");
    TFormAxis* axis = form.FormAxis;
    run("AfineChehge", axis, [&] {
        axis->Edit3->setText("1.5707963267948966");
        axis->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G01X0Y10.0\r\nX0\r\nZ-2.0");
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_TRUE(form.editor().canUndo());
}

TEST_F(NcCommandsGui, CalculationThroughItsDialogKeepsTheOperand)
{
    load("G01X1.Y2.\r\nG01Z-2.5");
    TCalcForm* calc = form.CalcForm;
    EXPECT_EQ(calc->windowTitle(), "けいさん");
    run("CalculateClick", calc, [&] {
        EXPECT_EQ(calc->Edit1->text(), "0");
        EXPECT_EQ(calc->ComboBox1->currentText(), "X");
        EXPECT_EQ(calc->ComboBox2->currentText(), "2X");
        calc->ComboBox2->setCurrentText("X");
        calc->Edit1->setText("25.4");
        calc->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G01X25.4Y2.\r\nG01Z-2.5");
    run("CalculateClick", calc, [&] {
        EXPECT_EQ(calc->Edit1->text(), "25.4");
        EXPECT_EQ(calc->ComboBox2->currentText(), "X");
        calc->ComboBox2->setCurrentText("/");
        calc->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G01X1.0Y2.\r\nG01Z-2.5");
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_TRUE(form.editor().canUndo());
}

TEST_F(NcCommandsGui, CalculationActsOnIJKRAndTheWholeFileBoxChangesNothing)
{
    load("G02X1.I2.5J1.\r\nG02X1.I1.");
    TCalcForm* calc = form.CalcForm;
    form.editor().setSelection(2, 1);
    run("CalculateClick", calc, [&] {
        calc->ComboBox1->setCurrentText("I");
        calc->ComboBox2->setCurrentText("2X");
        calc->CheckBox1->setChecked(true);
        calc->BitBtn1->click();
    });
    EXPECT_EQ(text(), "G02X1.I5.0J1.\r\nG02X1.I1.");  // the selected line only
    EXPECT_EQ(form.editor().selectionStart(), 2);
    EXPECT_EQ(form.editor().selectionLength(), 1);
    EXPECT_TRUE(calc->wholeFile());
}

TEST_F(NcCommandsGui, CalculationRefusesDivisionByZero)
{
    load("X1.");
    TCalcForm* calc = form.CalcForm;
    run("CalculateClick", calc, [&] {
        calc->ComboBox1->setCurrentText("X");
        calc->ComboBox2->setCurrentText("/");
        calc->Edit1->setText("0");
        calc->BitBtn1->click();
    });
    EXPECT_EQ(prompts.asked, QStringList{"あーあ|0だよ割り算できない"});
    EXPECT_EQ(text(), "X1.");
    EXPECT_FALSE(form.editor().isModified());
}

TEST_F(NcCommandsGui, CalculationOperandThatIsNoNumberKeepsTheDialogOpen)
{
    load("X1.");
    TCalcForm* calc = form.CalcForm;
    run("CalculateClick", calc, [&] {
        calc->ComboBox2->setCurrentText("+");
        calc->Edit1->setText("1.5x");
        calc->BitBtn1->click();
        EXPECT_TRUE(calc->isVisible());
        EXPECT_EQ(calc->Edit1->text(), "1.5x");
        calc->Edit1->setText("1.5");
        calc->BitBtn1->click();
    });
    EXPECT_EQ(prompts.errors, QStringList{"'1.5x' は数値ではありません"});
    EXPECT_EQ(text(), "X2.5");
}

TEST_F(NcCommandsGui, DecimalSettingsAreReadAtEveryCommand)
{
    load("X1.\r\nX1.");
    TFormAxis* axis = form.FormAxis;
    form.editor().setSelection(0, 1);
    run("OrgChenge", axis, [&] {
        axis->Edit1->setText("1");
        axis->BitBtn1->click();
    });
    programSettings().decimals.DecimalView = 0;
    form.editor().setSelection(form.editor().positionFromLine(1), 1);
    run("OrgChenge", axis, [&] {
        axis->Edit1->setText("1");
        axis->BitBtn1->click();
    });
    EXPECT_EQ(text(), "X2.0\r\nX2");
}

TEST_F(NcCommandsGui, ReversalFromTheMenu)
{
    load("N10\r\nN20\r\nN30\r\nN40\r\nN50\r\n");
    long start = 6, length = 11;  // inside N20 to inside N40
    form.editor().setSelection(start, length);
    form.action("Kaeru")->trigger();
    EXPECT_EQ(text(), "N10\r\nN40\r\nN30\r\nN20\r\nN50\r\n");
    EXPECT_EQ(form.editor().selectionStart(), start);
    EXPECT_EQ(form.editor().selectionLength(), length);
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_TRUE(form.editor().canUndo());
    form.action("Kaeru#tool")->trigger();  // the toolbar button
    EXPECT_EQ(text(), "N10\r\nN20\r\nN30\r\nN40\r\nN50\r\n");
}

}  // namespace
