// The template, value set and macro conversion windows, driven offscreen.
#include "lists/logic/template_list.h"
#include "lists/ui/conversion_grid.h"
#include "lists/ui/macrochangeform.h"
#include "lists/ui/suport.h"
#include "lists/ui/variablecahngeform.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

void showActive(QDialog& dialog)
{
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// --- Templates -------------------------------------------------------------------------------

struct TemplateKeys {
    const char* what;
    int row;  // selected before the key; -1 none
    Qt::Key key;
    bool open;  // still shown after the key
    int result;
    const char* chosen;
};

class TemplateWindow : public ::testing::TestWithParam<TemplateKeys> {};

TEST_P(TemplateWindow, EnterTakesTheSelectedLineEscapeCloses)
{
    const TemplateKeys& c = GetParam();
    ScriptedPrompts prompts;
    TSuportForm form(lists::defaultTemplates());
    EXPECT_EQ(form.size(), QSize(241, 147));
    showActive(form);
    if (c.row >= 0)
        form.ListBox1->setCurrentRow(c.row);
    QTest::keyClick(form.ListBox1, c.key);
    EXPECT_EQ(form.isVisible(), c.open) << c.what;
    if (c.key == Qt::Key_Down) {
        EXPECT_EQ(form.ListBox1->selectedItems().value(0), form.ListBox1->item(1)) << c.what;
    }
    if (!c.open) {
        EXPECT_EQ(form.result(), c.result) << c.what;
    }
    EXPECT_EQ(form.chosenText(), c.chosen) << c.what;
    EXPECT_TRUE(prompts.errors.isEmpty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Lists, TemplateWindow, ::testing::Values(
    TemplateKeys{"Enter right after opening takes the first line", -1, Qt::Key_Return, false, QDialog::Accepted, "G81XYZRF"},
    TemplateKeys{"Down right after opening goes to the second line", -1, Qt::Key_Down, true, 0, ""},
    TemplateKeys{"Enter on a line", 1, Qt::Key_Return, false, QDialog::Accepted, "G85XYZRF"},
    TemplateKeys{"keypad Enter", 6, Qt::Key_Enter, false, QDialog::Accepted, "G76XYZRIJ(Q)F"},
    TemplateKeys{"Escape", 2, Qt::Key_Escape, false, QDialog::Rejected, ""}));

TEST(TemplateWindowAgain, KeepsTheLineChosenLastTime)
{
    TSuportForm form(lists::defaultTemplates());
    showActive(form);
    form.ListBox1->setCurrentRow(3);
    QTest::keyClick(form.ListBox1, Qt::Key_Return);
    showActive(form);
    QTest::keyClick(form.ListBox1, Qt::Key_Down);
    QTest::keyClick(form.ListBox1, Qt::Key_Return);
    EXPECT_EQ(form.chosenText(), "G84XYZRSF,R1");
}

TEST(TemplateWindowAgain, AOneLineListTakesItsLineAndEveryOpeningIsCentred)
{
    QWidget main;
    main.setGeometry(200, 150, 700, 500);
    main.show();
    TSuportForm form({"G81XYZRF"}, &main);
    for (int opening = 0; opening < 2; ++opening) {
        showActive(form);
        const QPoint off = form.frameGeometry().center() - main.frameGeometry().center();
        EXPECT_LE(off.manhattanLength(), 2) << "opening " << opening << ": " << off.x() << "," << off.y();
        form.move(0, 0);  // where a window manager may have put it
        QTest::keyClick(form.ListBox1, Qt::Key_Return);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.chosenText(), "G81XYZRF");
    }
}

// --- Value sets ------------------------------------------------------------------------------

class ValueSetWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath("cwd");
        QDir(dir.path()).mkpath("exe");
        lookup.currentDir = dir.filePath("cwd");
        lookup.executableDir = dir.filePath("exe");
    }
    QString listPath() const { return dir.filePath("exe/Cange.list"); }
    void field(TFormVarChange& form, int k, const QString& text)
    {
        QLineEdit* edit = form.LabeledEdits[static_cast<std::size_t>(k - 1)];
        edit->setFocus();
        edit->setText(text);
    }

    QTemporaryDir dir;
    lists::ListFileLookup lookup;
    ScriptedPrompts prompts;
};

TEST_F(ValueSetWindow, FirstOkWithoutAFileMakesASetNamedNon)
{
    TFormVarChange form(lookup);
    showActive(form);
    EXPECT_EQ(form.ComboBox1->count(), 0);
    form.LabeledEdits[0]->setText("G54");
    form.BitBtn1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_TRUE(form.chosenSet());
    EXPECT_EQ(form.chosenSet()->name, "Non");
    EXPECT_EQ(form.chosenSet()->value(1), "G54");
    EXPECT_EQ(fileBytes(listPath()), "1\r\nNon\r\n9\r\nG54\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n");
}

TEST_F(ValueSetWindow, ShowsTheFirstSetPaddedAndAddsDeletesAndCancels)
{
    writeFile(listPath(), "2 A 2 1 2 B 9 1 2 3 4 5 6 7 8 9");
    TFormVarChange form(lookup);
    showActive(form);
    EXPECT_EQ(form.ComboBox1->currentText(), "A");
    EXPECT_EQ(form.LabeledEdits[1]->text(), "2");
    EXPECT_EQ(form.LabeledEdits[2]->text(), "");

    form.ComboBox1->setEditText("C");
    form.Button1->click();  // add: the selection stays on A
    EXPECT_EQ(form.ComboBox1->count(), 3);
    EXPECT_EQ(form.book().selected(), 0);

    form.Button2->click();  // Del removes A
    form.Button2->click();  // nothing selected: nothing happens
    EXPECT_EQ(form.book().sets().size(), 2u);
    EXPECT_EQ(form.book().sets()[0].name, "B");
    EXPECT_TRUE(prompts.errors.isEmpty());

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(fileBytes(listPath()), "2 A 2 1 2 B 9 1 2 3 4 5 6 7 8 9");
}

TEST_F(ValueSetWindow, ExitsUnderANewNameAddOneSetAndThenUpdateIt)
{
    writeFile(listPath(), "1 A 1 x");
    TFormVarChange form(lookup);
    showActive(form);
    form.ComboBox1->setEditText("N");
    field(form, 1, "one");
    field(form, 2, "two");  // leaving field 1 adds N and selects it
    field(form, 3, "");     // leaving field 2 updates N
    EXPECT_EQ(form.book().sets().size(), 2u);
    EXPECT_EQ(form.book().selected(), 1);
    EXPECT_EQ(form.book().sets()[1].value(2), "two");
    EXPECT_EQ(form.book().sets()[0].values, std::vector<std::string>{"x"});
}

TEST_F(ValueSetWindow, EnterInAFieldStoresItBeforeOk)
{
    writeFile(listPath(), "1 A 9 1 2 3 4 5 6 7 8 9");
    TFormVarChange form(lookup);
    showActive(form);
    field(form, 3, "X");
    QTest::keyClick(form.LabeledEdits[2], Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_TRUE(form.chosenSet());
    EXPECT_EQ(form.chosenSet()->value(3), "X");
    EXPECT_NE(fileBytes(listPath()).find("\r\nX\r\n"), std::string::npos);
}

// Minimises and restores a window, as the user may while it is open.
void minimiseAndRestore(QWidget& window)
{
    window.setWindowState(Qt::WindowMinimized);
    QTest::qWait(50);
    window.setWindowState(Qt::WindowNoState);
    QTest::qWait(50);
}

TEST_F(ValueSetWindow, ARestoredWindowKeepsWhatWasTypedInIt)
{
    writeFile(listPath(), "1 A 9 1 2 3 4 5 6 7 8 9");
    TFormVarChange form(lookup);
    showActive(form);
    form.LabeledEdits[2]->setText("typed");
    form.ComboBox1->setEditText("NEW");
    minimiseAndRestore(form);
    EXPECT_EQ(form.LabeledEdits[2]->text(), "typed");
    EXPECT_EQ(form.ComboBox1->currentText(), "NEW");
}

TEST_F(ValueSetWindow, ANameWithABlankIsRefusedAndNothingIsWritten)
{
    TFormVarChange form(lookup);
    showActive(form);
    form.ComboBox1->setEditText("A B");
    form.BitBtn1->click();
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("A B")) << prompts.errors[0].toStdString();
    EXPECT_EQ(fileBytes(listPath()), "<missing>");
    EXPECT_TRUE(form.book().sets().empty());
}

TEST_F(ValueSetWindow, ANameWithABlankIsRefusedWhenAddedAndDelClearsTheName)
{
    writeFile(listPath(), "1 A 1 x");
    TFormVarChange form(lookup);
    showActive(form);
    form.ComboBox1->setEditText("A B");
    form.Button1->click();  // add
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(form.book().sets().size(), 1u);
    form.ComboBox1->setEditText("A");
    form.Button2->click();  // Del
    EXPECT_EQ(form.ComboBox1->currentText(), "");
    form.BitBtn1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.chosenSet()->name, "Non");
}

TEST_F(ValueSetWindow, AFailedWriteIsShownAndOkGoesOn)
{
    writeFile(dir.filePath("blocker"), "");
    lookup.executableDir = dir.filePath("blocker");
    TFormVarChange form(lookup);
    showActive(form);
    form.BitBtn1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(prompts.asked[0].contains(dir.filePath("blocker"))) << prompts.asked[0].toStdString();
}

// --- Macro tables ----------------------------------------------------------------------------

class MacroWindow : public ValueSetWindow {
protected:
    QString tablePath() const { return dir.filePath("exe/MacCange.list"); }
};

TEST_F(MacroWindow, ARestoredWindowKeepsWhatWasTypedInIt)
{
    writeFile(tablePath(), "1\r\nCONV\r\n1\r\n#500 #600\r\n");
    TFormMacroChenge form(lookup);
    showActive(form);
    form.ComboBox1->setEditText("NEW");
    minimiseAndRestore(form);
    EXPECT_EQ(form.ComboBox1->currentText(), "NEW");
}

TEST_F(MacroWindow, ShowsTheFirstTableAndItsGridButtonsStoreIt)
{
    writeFile(tablePath(), "2\r\nCONV\r\n2\r\n#500 #600\r\nM99 @\r\nNon\r\n1\r\nA_B D\r\n");
    TFormMacroChenge form(lookup);
    showActive(form);
    EXPECT_EQ(form.ComboBox1->currentText(), "CONV");
    ASSERT_EQ(form.dataRowCount(), 2);
    EXPECT_EQ(form.cell(1, 0), "2");
    EXPECT_EQ(form.cell(0, 2), "#600");

    form.Button3->click();  // +
    EXPECT_EQ(form.dataRowCount(), 3);
    EXPECT_EQ(form.cell(2, 0), "3");
    EXPECT_EQ(form.book().tables()[0].rowCount(), 3u);
    form.Button4->click();  // -
    EXPECT_EQ(form.book().tables()[0].rowCount(), 2u);

    form.Button5->click();  // Clear: nothing stored until the grid is left
    EXPECT_EQ(form.cell(0, 0), "");
    EXPECT_EQ(form.cell(0, 1), "");
    QTest::keyClick(&form, Qt::Key_Return);  // OK by Enter
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_TRUE(form.chosenTable());
    EXPECT_EQ(form.chosenTable()->searchTexts, (std::vector<std::string>{"#500", "M99"}));
    EXPECT_EQ(fileBytes(tablePath()), "2\r\nCONV\r\n2\r\n#500 #600\r\nM99 @\r\nNon\r\n1\r\nA_B D\r\n");
}

TEST_F(MacroWindow, EditingACellAndLeavingTheGridStoresIt)
{
    writeFile(tablePath(), "1 T 1 a b");
    TFormMacroChenge form(lookup);
    showActive(form);
    form.StringGrid1->setFocus();
    form.StringGrid1->setCurrentCell(0, 1);
    form.StringGrid1->editItem(form.StringGrid1->item(0, 1));
    QApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && form.StringGrid1->holds(editor));
    QTest::keyClicks(editor, "G65 P");
    form.BitBtn1->click();
    ASSERT_TRUE(form.chosenTable());
    EXPECT_EQ(form.chosenTable()->searchTexts.front(), "G65 P");
    EXPECT_EQ(fileBytes(tablePath()), "1\r\nT\r\n1\r\nG65_P b\r\n");
}

TEST_F(MacroWindow, AddDelAndOkWithoutSelectionMakeTablesFromTheGrid)
{
    TFormMacroChenge form(lookup);
    showActive(form);
    EXPECT_EQ(form.dataRowCount(), 4);
    EXPECT_EQ(form.cell(0, 0), "");  // reading no tables empties the row numbers
    form.setCell(0, 1, "g01");
    form.setCell(0, 2, "G01");
    form.ComboBox1->setEditText("LOW");
    form.Button1->click();  // Add
    form.Button2->click();  // Del: nothing selected, nothing happens
    EXPECT_EQ(form.book().tables().size(), 1u);
    form.ComboBox1->setEditText("");
    form.BitBtn1->click();  // OK: a new table "Non" from the grid
    ASSERT_TRUE(form.chosenTable());
    EXPECT_EQ(form.chosenTable()->name, "Non");
    EXPECT_EQ(form.chosenTable()->rowCount(), 4u);
    EXPECT_EQ(fileBytes(tablePath()), "2\r\nLOW\r\n4\r\ng01 G01\r\n@ @\r\n@ @\r\n@ @\r\nNon\r\n4\r\ng01 G01\r\n@ @\r\n@ @\r\n@ @\r\n");
}

TEST_F(MacroWindow, CancelWritesNothing)
{
    TFormMacroChenge form(lookup);
    showActive(form);
    form.Button1->click();
    form.BitBtn2->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(fileBytes(tablePath()), "<missing>");
}

}  // namespace
