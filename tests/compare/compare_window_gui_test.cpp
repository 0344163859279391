// The compare window from the file menu: aligned rows with gaps, the marks, the boxed words,
// F8 / Shift+F8, the count, and a left line chosen moving the main editor's caret.
#include "app/ui/textform.h"
#include "compare/ui/compare_window.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace zorvan;
using Window = compare::CompareWindow;
using Kind = Window::RowKind;

namespace {

// The marker numbers the window uses: symbols 1-3 (removed, added, changed), backgrounds 4-7.
constexpr int kRemoved = 1 << 1, kAdded = 1 << 2, kChanged = 1 << 3, kGap = 1 << 7;

struct Opened {
    QTemporaryDir dir;
    TFormText form;
    Window* window = nullptr;
};

// Opens `saved` as the document, makes the editor hold `edited` and compares it with the saved file.
void compareWithSaved(Opened& o, const std::string& saved, const std::string& edited)
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan").remove("compare");
    const QString path = o.dir.filePath("prog.ncd");
    writeFile(path, saved);
    o.form.DocPath = path;
    o.form.LoadDocument();
    o.form.editor().setText(edited);
    o.form.action("CompareWithSaved")->trigger();
    o.window = o.form.findChild<Window*>("CompareWindow");
    ASSERT_NE(o.window, nullptr);
    ASSERT_TRUE(waitFor([&] { return o.window->isVisible(); }));
}

TEST(CompareWindow, AlignsMarksAndBoxesTheChangedWords)
{
    Opened o;
    // Left: the edited text in the editor; right: the saved file.
    compareWithSaved(o, "%\r\nG00X0\r\nG01X5.Y3.\r\nM05\r\nM30\r\n", "%\r\nG00X0.000\r\nG01X-5.Y3.\r\nNEW\r\nM05\r\nM30\r\n");
    const std::vector<Kind> kinds{Kind::Same, Kind::Same, Kind::Changed, Kind::Removed, Kind::Same, Kind::Same};
    ASSERT_EQ(o.window->rows().size(), kinds.size());
    for (std::size_t row = 0; row < kinds.size(); ++row)
        EXPECT_EQ(o.window->rows()[row].kind, kinds[row]) << row;
    EXPECT_EQ(o.window->rows()[3].right, -1);
    EXPECT_EQ(o.window->rows()[4].right, 3);  // M05 aligned after the gap
    QsciScintilla* left = o.window->leftView();
    QsciScintilla* right = o.window->rightView();
    EXPECT_TRUE(left->isReadOnly());
    EXPECT_EQ(left->lines(), right->lines());
    EXPECT_TRUE(left->markersAtLine(2) & kChanged);
    EXPECT_TRUE(left->markersAtLine(3) & kRemoved);
    EXPECT_TRUE(right->markersAtLine(3) & kGap);
    EXPECT_EQ(left->markersAtLine(1) & (kRemoved | kAdded | kChanged), 0);
    // "X-5." is boxed on the left, "X5." on the right; "Y3." on neither.
    const long row2 = left->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 2);
    EXPECT_NE(left->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 9, row2 + 3), 0);
    EXPECT_EQ(left->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 9, row2 + 8), 0);
    EXPECT_EQ(o.window->differenceCount(), 1);
    EXPECT_EQ(o.window->summary(), "差分 1/1 箇所");
}

TEST(CompareWindow, F8StepsThroughTheDifferencesAndALeftLineMovesTheCaret)
{
    Opened o;
    compareWithSaved(o, "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n", "A\r\nb\r\nC\r\nD\r\nE\r\nf\r\nG\r\n");
    ASSERT_EQ(o.window->differenceCount(), 2);
    QsciScintilla* left = o.window->leftView();
    o.window->activateWindow();
    left->setFocus();
    int line = 0, index = 0;
    left->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 1);  // at the first difference once shown
    QTest::keyClick(left, Qt::Key_F8);
    left->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 5);
    EXPECT_EQ(o.window->currentDifference(), 1);
    QTest::keyClick(left, Qt::Key_F8, Qt::ShiftModifier);
    left->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 1);

    left->setCursorPosition(4, 0);
    QTest::keyClick(left, Qt::Key_Return);
    EXPECT_EQ(o.form.editor().lineFromPosition(o.form.editor().selectionStart()), 4);
    const long start = left->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 2);
    const long x = left->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, start);
    const long y = left->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, start);
    QTest::mouseClick(left->viewport(), Qt::LeftButton, {}, QPoint(static_cast<int>(x) + 2, static_cast<int>(y) + 3));
    EXPECT_TRUE(waitFor([&] { return o.form.editor().lineFromPosition(o.form.editor().selectionStart()) == 2; }));
}

TEST(CompareWindow, CompareWithAChosenFileAndTheOptionsAreKept)
{
    Opened o;
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
    store.remove("compare");
    ScriptedPrompts prompts;
    const QString other = o.dir.filePath("other.ncd");
    writeFile(other, "N1G00X0\r\nN2M30\r\n");
    o.form.editor().setText("N10G00X0\r\nN20M30\r\n");
    prompts.fileNames.push_back(other);
    o.form.action("CompareWithFile")->trigger();
    auto* window = o.form.findChild<Window*>("CompareWindow");
    ASSERT_TRUE(waitFor([&] { return window->isVisible(); }));
    EXPECT_EQ(window->differenceCount(), 1);
    auto* ignoreN = window->findChild<QCheckBox*>();
    ASSERT_NE(ignoreN, nullptr);
    ignoreN->setChecked(true);
    EXPECT_EQ(window->differenceCount(), 0);
    EXPECT_EQ(window->summary(), "違いはありません");
    EXPECT_EQ(store.value("compare/IgnoreN").toString(), "1");
    EXPECT_EQ(store.value("compare/ByValue").toString(), "1");
}

TEST(CompareWindow, NamesTheEditedAndSavedSidesAndEscapeOrCloseEndsIt)
{
    Opened o;
    compareWithSaved(o, "N1G00X0\r\n", "N1G01X0\r\n");
    const QString path = o.form.DocPath;
    EXPECT_EQ(o.window->windowTitle(), "比較 - 編集中: " + path + " ⇔ 保存版: " + path);
    o.window->activateWindow();
    o.window->leftView()->setFocus();
    QTest::keyClick(o.window->leftView(), Qt::Key_Escape);
    EXPECT_FALSE(o.window->isVisible());
    o.form.action("CompareWithSaved")->trigger();
    ASSERT_TRUE(waitFor([&] { return o.window->isVisible(); }));
    auto* close = o.window->findChild<QPushButton*>("CompareClose");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "閉じる");
    close->click();
    EXPECT_FALSE(o.window->isVisible());
}

}  // namespace
