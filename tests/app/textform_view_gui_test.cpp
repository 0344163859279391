// The editor view of the main window: status panels, gutter, bookmarks, typing modes, font,
// stay-on-top and the colouring as the user sees it.
#include "app/logic/settings.h"
#include "app/ui/gutter.h"
#include "app/ui/textform.h"
#include "support/scripted_prompts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

// The settings of these tests live in a folder of their own, never the user's.
const QTemporaryDir& configHome()
{
    static QTemporaryDir dir;
    return dir;
}
const bool configHomeSet = [] {
    qputenv("XDG_CONFIG_HOME", configHome().path().toUtf8());
    return true;
}();

QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"); }

class FontPrompts : public ScriptedPrompts {
public:
    QFont answer;
    bool confirm = true;
    bool chooseFont(QWidget*, const QFont&, QFont& chosen) override
    {
        if (confirm)
            chosen = answer;
        return confirm;
    }
};

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(store().fileName());
        programSettings() = ProgramSettings{};
        form = std::make_unique<TFormText>();
        form->resize(700, 500);
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        form->editor().setModified(false);
        form.reset();
    }
    void load(const std::string& text)
    {
        form->editor().setText(text);
        form->editor().setModified(false);
    }
    // Lets the widget's own change notification arrive.
    static void settle() { QApplication::processEvents(); }

    ScriptedPrompts prompts;
    std::unique_ptr<TFormText> form;
};

int styleForeground(QsciScintilla* memo, int style)
{
    return static_cast<int>(memo->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, static_cast<unsigned long>(style)));
}

bool hasColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Rows of the image that hold a pixel of the colour.
std::pair<int, int> rowsWith(const QImage& image, const QColor& colour)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

}  // namespace

TEST_F(ViewTest, StatusPanelsAfterStartAndAfterMovingTheCaret)
{
    EXPECT_EQ(form->statusText(0), "0: 0");
    EXPECT_EQ(form->statusText(1), "");
    EXPECT_EQ(form->statusText(2), "挿入");
    EXPECT_EQ(form->statusText(3), "");
    EXPECT_FALSE(form->statusText(4).isEmpty());

    load("G01\r\n日本語X1\r\n");
    form->editor().setCaret(9);  // line 1 after "日本語X"
    form->setStatusText(3, "読み込み中");
    form->UpdateStatus();
    EXPECT_EQ(form->statusText(0), "1: 4");  // a Japanese character is one column
    EXPECT_EQ(form->statusText(3), "");
    EXPECT_FALSE(form->ToolButton1->isEnabled());

    form->editor().replaceSelection("Y");
    form->UpdateStatus();
    EXPECT_EQ(form->statusText(1), "変更あり");
    EXPECT_TRUE(form->windowTitle().startsWith("Zorvan *"));
    EXPECT_TRUE(form->ToolButton1->isEnabled());
}

TEST_F(ViewTest, BookmarksSetMoveJumpAndShowInTheGutter)
{
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "G01X" + std::to_string(i) + "\r\n";
    load(text);
    const QColor lime(0, 255, 0), red(255, 0, 0);
    EXPECT_FALSE(hasColour(form->PaintBox1->grab().toImage(), lime));

    form->editor().setCaret(form->editor().positionFromLine(3) + 2);
    form->action("NBookmark3")->trigger();
    EXPECT_EQ(form->Marks[3], 3);
    EXPECT_TRUE(form->setMarkItems[3]->isChecked());
    EXPECT_TRUE(form->GoMarkItems[3]->isChecked());
    EXPECT_FALSE(form->GoMarkItems[4]->isChecked());
    auto [top3, bottom3] = rowsWith(form->PaintBox1->grab().toImage(), lime);
    ASSERT_GE(top3, 0);

    form->editor().setCaret(form->editor().positionFromLine(5));
    form->action("NBookmark3")->trigger();
    EXPECT_EQ(form->Marks[3], 5);
    EXPECT_TRUE(form->GoMarkItems[3]->isChecked());
    auto [top5, bottom5] = rowsWith(form->PaintBox1->grab().toImage(), lime);
    EXPECT_GT(top5, bottom3);  // the label moved down two lines

    form->Marks[11] = 1;
    EXPECT_TRUE(hasColour(form->PaintBox1->grab().toImage(), red));

    form->editor().setCaret(0);
    form->action("NGoBookmark3")->trigger();
    EXPECT_EQ(form->editor().caret(), form->editor().positionFromLine(5));
    EXPECT_EQ(form->statusText(0), "5: 0");

    form->Marks[4] = 1000;  // beyond the last line: goes to the last line
    form->action("NGoBookmark4")->trigger();
    EXPECT_EQ(form->editor().caret(), form->editor().positionFromLine(29));

    form->editor().setCaret(7);
    form->action("NGoBookmark6")->trigger();  // not set: nothing happens
    EXPECT_EQ(form->editor().caret(), 7);
}

TEST_F(ViewTest, GutterFollowsScrollingExceptWhileBusy)
{
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += "X" + std::to_string(i) + "\r\n";
    load(text);
    form->editor().setCaret(0);
    form->NBookmark9Click(0);
    QApplication::processEvents();
    const QColor lime(0, 255, 0);
    ASSERT_TRUE(hasColour(form->PaintBox1->grab().toImage(), lime));

    int paints = 0;
    struct Counter : QObject {
        int& count;
        explicit Counter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++count;
            return false;
        }
    } counter(paints);
    form->PaintBox1->installEventFilter(&counter);

    form->Busy = true;
    form->Memo1->SendScintilla(QsciScintillaBase::SCI_LINESCROLL, 0UL, 100L);
    QTest::qWait(50);
    EXPECT_EQ(paints, 0);
    form->Busy = false;
    form->Memo1->SendScintilla(QsciScintillaBase::SCI_LINESCROLL, 0UL, 100L);
    QTest::qWait(50);
    EXPECT_EQ(form->editor().firstVisibleLine(), 200);
    EXPECT_GT(paints, 0);
    EXPECT_FALSE(hasColour(form->PaintBox1->grab().toImage(), lime));  // line 0 scrolled away
    form->PaintBox1->removeEventFilter(&counter);
}

TEST_F(ViewTest, UppercaseModeConvertsTypedLettersAndSwallowsAt)
{
    load("");
    form->Memo1->setFocus();
    QTest::keyClicks(form->Memo1, "g01x@");
    settle();
    EXPECT_EQ(form->editor().text(), "G01X");

    QApplication::clipboard()->setText("abc@");
    form->Paste1Click();
    settle();
    EXPECT_EQ(form->editor().text(), "G01Xabc@");  // pasted text stays as it is

    form->ToolButton22->trigger();  // off
    EXPECT_FALSE(programSettings().UpperMode);
    EXPECT_FALSE(form->menuUpper->isChecked());
    QTest::keyClicks(form->Memo1, "y@");
    EXPECT_EQ(form->editor().text(), "G01Xabc@y@");
    form->menuUpper->trigger();  // on again from the menu
    EXPECT_TRUE(form->ToolButton22->isChecked());
    EXPECT_TRUE(programSettings().UpperMode);
}

TEST_F(ViewTest, InsertKeyTogglesOverwriteAndPanelTwoAtTheNextRelease)
{
    load("ABC");
    form->editor().setCaret(0);
    QTest::keyPress(form->Memo1, Qt::Key_Insert);
    EXPECT_FALSE(form->InsertMode);
    EXPECT_TRUE(form->Memo1->overwriteMode());
    EXPECT_EQ(form->statusText(2), "挿入");
    QTest::keyRelease(form->Memo1, Qt::Key_Insert);
    EXPECT_EQ(form->statusText(2), "上書き");
    QTest::keyClicks(form->Memo1, "X");
    EXPECT_EQ(form->editor().text(), "XBC");
    QTest::keyClick(form->Memo1, Qt::Key_Insert);
    EXPECT_TRUE(form->InsertMode);
    EXPECT_EQ(form->statusText(2), "挿入");
}

TEST_F(ViewTest, InsertWithAModifierCopiesOrPastesAndKeepsTheTypingMode)
{
    struct Case {
        Qt::KeyboardModifiers modifiers;
        const char* clipboardAfter;  // the clipboard starts as "clip"
        const char* textAfter;       // "ABC" with "AB" selected
    };
    const Case cases[] = {
        {Qt::ControlModifier, "AB", "ABC"},  // copy
        {Qt::ShiftModifier, "clip", "clipC"},  // paste over the selection
        {Qt::AltModifier, "clip", "ABC"},
    };
    for (const Case& c : cases) {
        load("ABC");
        QApplication::clipboard()->setText("clip");
        form->editor().setSelection(0, 2);
        QTest::keyClick(form->Memo1, Qt::Key_Insert, c.modifiers);
        EXPECT_TRUE(form->InsertMode) << c.modifiers;
        EXPECT_FALSE(form->Memo1->overwriteMode()) << c.modifiers;
        EXPECT_EQ(form->statusText(2), "挿入") << c.modifiers;
        EXPECT_EQ(QApplication::clipboard()->text(), c.clipboardAfter) << c.modifiers;
        EXPECT_EQ(form->editor().text(), c.textAfter) << c.modifiers;
    }
}

TEST_F(ViewTest, TypingColoursTheLineAndColoursSurvivePainting)
{
    load("");
    QTest::keyClicks(form->Memo1, "o1000 (main)");
    settle();
    ScintillaEditor& e = form->editor();
    EXPECT_EQ(e.text(), "O1000 (MAIN)");
    EXPECT_EQ(e.colourAt(0), TextColour::Red);
    EXPECT_EQ(e.colourAt(4), TextColour::Red);
    EXPECT_EQ(e.colourAt(5), TextColour::Default);
    EXPECT_EQ(e.colourAt(6), TextColour::Green);
    EXPECT_EQ(e.colourAt(11), TextColour::Green);
    form->Memo1->grab();
    QApplication::processEvents();
    EXPECT_EQ(e.colourAt(0), TextColour::Red);
    EXPECT_EQ(e.colourAt(11), TextColour::Green);
}

TEST_F(ViewTest, ColourAllIsGuardedAndLeavesTheModifiedFlag)
{
    load("%\r\nO1000 (MAIN)\r\nG01 L5 N10\r\n");
    form->Colouring = true;
    form->ColourAll();
    EXPECT_EQ(form->editor().colourAt(3), TextColour::Default);
    form->Colouring = false;
    form->ColourAll();
    EXPECT_FALSE(form->Colouring);
    EXPECT_EQ(form->editor().colourAt(3), TextColour::Red);
    EXPECT_EQ(form->editor().colourAt(form->editor().positionFromLine(2) + 4), TextColour::Default);
    EXPECT_EQ(form->editor().colourAt(form->editor().positionFromLine(2) + 7), TextColour::Blue);
    EXPECT_FALSE(form->editor().isModified());
}

TEST_F(ViewTest, SizeBoxSetsTheSizeStoresItAndKeepsFlagAndColours)
{
    load("N10 X1");
    form->ColourAll();
    ASSERT_EQ(form->ComboBox1->count(), 18);
    EXPECT_EQ(form->ComboBox1->itemText(0), "6");
    EXPECT_EQ(form->ComboBox1->itemText(17), "23");
    for (bool modified : {false, true}) {
        form->editor().setModified(modified);
        form->ComboBox1->setCurrentIndex(modified ? 8 : 6);
        emit form->ComboBox1->activated(form->ComboBox1->currentIndex());
        const int size = modified ? 14 : 12;
        EXPECT_EQ(form->Memo1->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 0UL), size);
        EXPECT_EQ(form->Memo1->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 2UL), size);
        EXPECT_EQ(store().value("setting/FontSize").toString(), QString::number(size));
        EXPECT_EQ(form->editor().isModified(), modified);
    }
    EXPECT_EQ(styleForeground(form->Memo1, 1), 0x0000FF);
    EXPECT_EQ(styleForeground(form->Memo1, 2), 0xFF0000);
    EXPECT_EQ(styleForeground(form->Memo1, 3), 0x008000);
    EXPECT_EQ(form->editor().colourAt(0), TextColour::Blue);
}

TEST_F(ViewTest, FontDialogAppliesAndStoresASizeOutsideTheBox)
{
    FontPrompts fonts;
    fonts.answer = QFont("DejaVu Sans Mono");
    fonts.answer.setPointSize(30);
    load("X1");
    form->editor().setModified(true);
    form->Font();
    EXPECT_EQ(form->Memo1->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 0UL), 30);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(store().value("setting/FontSize").toString(), "30");
    EXPECT_EQ(store().value("setting/FontName").toString(), "DejaVu Sans Mono");
    EXPECT_TRUE(form->editor().isModified());
    EXPECT_EQ(styleForeground(form->Memo1, 3), 0x008000);

    fonts.answer.setPointSize(10);
    form->Font();
    EXPECT_EQ(form->ComboBox1->currentText(), "10");

    fonts.confirm = false;
    form->Font();
    EXPECT_EQ(form->Memo1->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 0UL), 10);
}

TEST_F(ViewTest, StayOnTopKeepsTextFlagColoursAndLeavesNoFile)
{
    load("O1 (A)\r\nN10");
    form->ColourAll();
    form->editor().setCaret(3);
    form->editor().replaceSelection("Z");
    ASSERT_TRUE(form->editor().isModified());
    const std::string text = form->editor().text();
    QsciScintilla* editorWidget = form->Memo1;

    form->TBnStrong->trigger();
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->menuStrong->isChecked());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Memo1, editorWidget);
    EXPECT_EQ(form->editor().text(), text);
    EXPECT_TRUE(form->editor().isModified());
    EXPECT_EQ(form->editor().colourAt(0), TextColour::Red);
    EXPECT_EQ(form->editor().colourAt(form->editor().positionFromLine(1)), TextColour::Blue);

    form->menuStrong->trigger();
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->TBnStrong->isChecked());
    EXPECT_TRUE(form->editor().isModified());
    EXPECT_EQ(form->editor().text(), text);
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("$$VuvidiZuru$.$$$")));

    form->editor().setModified(false);
    form->TBnStrong->trigger();
    EXPECT_FALSE(form->editor().isModified());
}

TEST_F(ViewTest, CaretToolTipShowsColumnThenLine)
{
    load("AB\r\n日本X");
    form->editor().setCaret(6);
    QTest::mouseMove(form->Memo1->viewport(), QPoint(40, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(41, 6), QPointF(41, 6), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form->Memo1->viewport(), &move);
    EXPECT_EQ(form->Memo1->viewport()->toolTip(), "2,1");
}
