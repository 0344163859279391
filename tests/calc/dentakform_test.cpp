// The calculator window driven offscreen: button clicks, typed keys, clipboard, colours.
#include "calc/ui/calcpanel.h"
#include "calc/ui/dentakform.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace zorvan {
namespace {

class TestForm : public TFormDentak {
public:
    std::vector<CalcMessage> messages;

protected:
    void showMessage(const CalcMessage& message) override { messages.push_back(message); }
};

class DentakForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.show();
        click("Pmc");  // the memory register is program-wide
        click("Pac");
    }

    CalcPanel* panel(const char* name) { return form.findChild<CalcPanel*>(name); }
    QString display() { return form.findChild<QLabel*>("Label1")->text(); }
    QString label(const char* name) { return form.findChild<QLabel*>(name)->text(); }
    void click(const char* name)
    {
        CalcPanel* p = panel(name);
        ASSERT_NE(p, nullptr) << name;
        QTest::mouseClick(p, Qt::LeftButton);
    }
    void clicks(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            click(name);
    }
    void moveTo(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    TestForm form;
};

TEST_F(DentakForm, WindowLayout)
{
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("あんい電卓"));
    EXPECT_EQ(form.size(), QSize(210, 287));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(form.findChildren<CalcPanel*>().size(), 41);
    const struct { const char* name; QRect geometry; const char* caption; const char* hint; } cases[] = {
        {"Pinv", {8, 32, 33, 16}, "inv", "i"}, {"MemF", {183, 32, 25, 16}, "mf", "メモリー"},
        {"Psin", {8, 88, 33, 24}, "sin", "s (inv asin)"}, {"PIPow", {128, 120, 33, 24}, "√", "r"},
        {"Ppow", {168, 119, 33, 25}, "X ", "~"}, {"Pret", {168, 256, 33, 25}, "=", ""},
        {"Pfugo", {48, 256, 33, 25}, "+/-", "\\"}, {"Pcms", {128, 87, 33, 25}, "ﾟ ' ''", "度分秒入力(inv表示)"}};
    for (const auto& c : cases) {
        CalcPanel* p = panel(c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->geometry(), c.geometry) << c.name;
        EXPECT_EQ(p->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(p->toolTip(), QString::fromUtf8(c.hint)) << c.name;
        EXPECT_EQ(p->colour(), QColor(Qt::white)) << c.name;
    }
    EXPECT_EQ(display(), "0");
}

TEST_F(DentakForm, ExponentMarksSitRaisedAboveTheCaption)
{
    const struct { const char* panel; const char* mark; const char* text; } cases[] = {
        {"Pxx", "Label4", "2"}, {"Ppow", "Label5", "n"}, {"PIPow", "Label6", "n"}};
    for (const auto& c : cases) {
        CalcPanel* p = panel(c.panel);
        ASSERT_NE(p, nullptr) << c.panel;
        auto* mark = p->findChild<QLabel*>(c.mark);
        ASSERT_NE(mark, nullptr) << c.mark;
        EXPECT_EQ(mark->text(), QString::fromUtf8(c.text)) << c.mark;
        EXPECT_LT(mark->font().pixelSize(), p->font().pixelSize()) << c.mark;
        // Baselines in the panel: a mark on the caption's line reads "X2", not X².
        const QFontMetrics caption(p->font()), raised(mark->font());
        const QRect inside = p->contentsRect();
        const int captionBaseline = inside.top() + (inside.height() - caption.height()) / 2 + caption.ascent();
        const int markBaseline = mark->y() + mark->contentsRect().top() + raised.ascent();
        EXPECT_LE(markBaseline, captionBaseline - caption.xHeight() / 2) << c.mark;
    }
}

TEST_F(DentakForm, ButtonClicks)
{
    clicks({"P1", "P2", "Pp", "P3", "Pkake", "P2", "Pret"});
    EXPECT_EQ(display(), "18");
    clicks({"P1", "Pp", "P9", "Pc", "P2", "Pret"});  // "C" clears the entry only
    EXPECT_EQ(display(), "3");
    clicks({"P1", "Pp", "P9", "Pac", "P2", "Pret"});  // "AC" clears the pending operation
    EXPECT_EQ(display(), "2");
    clicks({"P3", "P0", "Psin"});
    EXPECT_EQ(display(), "0.5");
    click("Pinv");
    EXPECT_EQ(panel("Psin")->text(), "Asin");
    EXPECT_EQ(label("Label2"), " inv");
    click("Psin");
    EXPECT_EQ(display(), "30");
    EXPECT_EQ(panel("Psin")->text(), "sin");
    clicks({"P5", "Pmin"});
    EXPECT_EQ(label("Label2"), "M");
    EXPECT_EQ(label("Label3"), "0x01");
    clicks({"P7", "MemC", "Pac", "Pinv", "MemC"});
    EXPECT_EQ(display(), "57");
    form.PushButton(&form);  // not a key panel: ignored
    EXPECT_EQ(display(), "57");
}

// Key events as X11 delivers them: the native key code names the physical key, while the key
// and text follow the Shift state.
void sendKey(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, quint32 keyCode,
             const QString& text = QString())
{
    QKeyEvent event(type, key, modifiers, keyCode, 0, 0, type == QEvent::KeyPress ? text : QString());
    QApplication::sendEvent(target, &event);
}

TEST_F(DentakForm, KeyFeedbackFollowsThePhysicalKey)
{
    struct Step {
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keyCode;
        const char* text;
        const char* panel;  // the panel checked after the step
        Qt::GlobalColor colour;
    };
    const QEvent::Type down = QEvent::KeyPress, up = QEvent::KeyRelease;
    const Step steps[] = {
        // Shift+8 types "*" but is the 8 key.
        {down, Qt::Key_Asterisk, Qt::ShiftModifier, 17, "*", "P8", Qt::red},
        {up, Qt::Key_Asterisk, Qt::ShiftModifier, 17, "", "P8", Qt::white},
        // Shift+minus types "_" and is not a backslash key.
        {down, Qt::Key_Underscore, Qt::ShiftModifier, 20, "_", "Pfugo", Qt::white},
        {up, Qt::Key_Minus, Qt::NoModifier, 20, "", "Pfugo", Qt::white},
        // Shift released before the key: the key-up still finds its panel.
        {down, Qt::Key_Period, Qt::NoModifier, 60, ".", "Pdot", Qt::red},
        {up, Qt::Key_Greater, Qt::ShiftModifier, 60, "", "Pdot", Qt::white},
        {down, Qt::Key_Bar, Qt::ShiftModifier, 132, "|", "Pfugo", Qt::red},
        {up, Qt::Key_yen, Qt::NoModifier, 132, "", "Pfugo", Qt::white},
        // Keypad 5: the engine gets "5", no panel lights.
        {down, Qt::Key_5, Qt::KeypadModifier, 84, "5", "P5", Qt::white},
        {up, Qt::Key_5, Qt::KeypadModifier, 84, "", "P5", Qt::white},
        // Two keys held, released in the other order.
        {down, Qt::Key_1, Qt::NoModifier, 10, "1", "P1", Qt::red},
        {down, Qt::Key_2, Qt::NoModifier, 11, "2", "P2", Qt::red},
        {up, Qt::Key_1, Qt::NoModifier, 10, "", "P2", Qt::red},
        {up, Qt::Key_2, Qt::NoModifier, 11, "", "P2", Qt::white},
    };
    for (const Step& s : steps) {
        sendKey(&form, s.type, s.key, s.modifiers, s.keyCode, QString::fromLatin1(s.text));
        EXPECT_EQ(panel(s.panel)->colour(), QColor(s.colour)) << s.panel << " after key code " << s.keyCode;
    }
    EXPECT_EQ(display(), "0.512");  // the keypad 5 reached the engine like the other keys
    for (const char* name : {"P1", "P2", "P5", "P8", "Pdot", "Pfugo"})
        EXPECT_EQ(panel(name)->colour(), QColor(Qt::white)) << name;
}

TEST_F(DentakForm, KeysWithoutNativeCodesLeaveNoPanelRed)
{
    QTest::keyPress(&form, Qt::Key_Period);
    EXPECT_EQ(panel("Pdot")->colour(), QColor(Qt::red));
    QTest::keyRelease(&form, Qt::Key_Greater, Qt::ShiftModifier);
    EXPECT_EQ(panel("Pdot")->colour(), QColor(Qt::white));

    QTest::keyPress(&form, Qt::Key_Underscore, Qt::ShiftModifier);
    EXPECT_EQ(panel("Pfugo")->colour(), QColor(Qt::white));
    QTest::keyRelease(&form, Qt::Key_Underscore, Qt::ShiftModifier);

    QTest::keyPress(&form, Qt::Key_7);
    form.hide();
    EXPECT_EQ(panel("P7")->colour(), QColor(Qt::white));
}

TEST_F(DentakForm, TypedKeysAndKeyFeedback)
{
    QTest::keyClicks(&form, "12+3*2=");
    EXPECT_EQ(display(), "18");
    EXPECT_EQ(label("Label3"), "0x3d");

    QTest::keyPress(&form, Qt::Key_5);
    EXPECT_EQ(panel("P5")->colour(), QColor(Qt::red));
    EXPECT_EQ(display(), "5");
    QTest::keyRelease(&form, Qt::Key_5);
    EXPECT_EQ(panel("P5")->colour(), QColor(Qt::white));

    QTest::keyPress(&form, Qt::Key_6, Qt::KeypadModifier);  // numeric keypad: no feedback
    EXPECT_EQ(panel("P6")->colour(), QColor(Qt::white));
    EXPECT_EQ(display(), "56");
    QTest::keyRelease(&form, Qt::Key_6, Qt::KeypadModifier);

    QTest::keyPress(&form, Qt::Key_Plus);  // operator keys give no feedback either
    EXPECT_EQ(panel("Pp")->colour(), QColor(Qt::white));
    QTest::keyRelease(&form, Qt::Key_Plus);
    QTest::keyClick(&form, Qt::Key_4);
    QTest::keyPress(&form, Qt::Key_Return);
    EXPECT_EQ(panel("Pret")->colour(), QColor(Qt::red));
    QTest::keyRelease(&form, Qt::Key_Return);
    EXPECT_EQ(display(), "60");

    QTest::keyClick(&form, Qt::Key_Backspace);
    EXPECT_EQ(display(), "6");
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(display(), "0");
}

TEST_F(DentakForm, CopyAndPaste)
{
    QClipboard* clipboard = QApplication::clipboard();
    QTest::keyClicks(&form, "12.5i");
    click("Pcms");
    const QString angle = QString::fromUtf8("12°30′0″0");
    EXPECT_EQ(display(), angle);
    form.N1Click();
    EXPECT_EQ(clipboard->text(), angle);

    clipboard->setText("abc");
    form.N2Click();
    EXPECT_EQ(display(), angle);

    clipboard->setText("12.50");
    form.N2Click();  // the pasted text stands until the next key restores the angle's number
    EXPECT_EQ(display(), "12.50");
    QTest::keyClick(&form, '+');
    EXPECT_EQ(display(), "12.5");

    QTest::keyClick(&form, Qt::Key_Escape);
    form.N2Click();
    EXPECT_EQ(display(), "12.50");
    QTest::keyClicks(&form, "+1=");
    EXPECT_EQ(display(), "13.5");
    EXPECT_TRUE(form.messages.empty());
}

TEST_F(DentakForm, HoverAndPressColours)
{
    CalcPanel* p7 = panel("P7");
    CalcPanel* p8 = panel("P8");
    moveTo(p7);
    EXPECT_EQ(p7->colour(), QColor(Qt::yellow));
    EXPECT_EQ(form.hoverPanel(), p7);
    moveTo(p8);
    EXPECT_EQ(p7->colour(), QColor(Qt::white));
    EXPECT_EQ(p8->colour(), QColor(Qt::yellow));

    QTest::mousePress(p8, Qt::LeftButton);
    EXPECT_EQ(p8->colour(), QColor(Qt::red));
    QTest::mouseRelease(p8, Qt::LeftButton);
    EXPECT_EQ(p8->colour(), QColor(Qt::white));
    EXPECT_EQ(display(), "8");
    moveTo(p8);  // still the hover panel: stays white
    EXPECT_EQ(p8->colour(), QColor(Qt::white));

    moveTo(&form);  // the window background
    EXPECT_EQ(form.hoverPanel(), nullptr);
    moveTo(p7);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&form, &leave);
    EXPECT_EQ(p7->colour(), QColor(Qt::white));
    EXPECT_EQ(form.hoverPanel(), nullptr);
}

TEST_F(DentakForm, MessagesAreShown)
{
    QTest::keyClicks(&form, "1/0=");
    ASSERT_EQ(form.messages.size(), 1u);
    EXPECT_EQ(form.messages[0].text, kDivideByZeroText);
    EXPECT_EQ(display(), "0");
    clicks({"P2", "Pfugo", "Proot"});
    ASSERT_EQ(form.messages.size(), 2u);
    EXPECT_EQ(form.messages[1].text, kInvalidOperationText);
    EXPECT_EQ(display(), "-2");
}

TEST_F(DentakForm, ClosingHidesAndKeepsState)
{
    QTest::keyClicks(&form, "7+");
    form.close();
    EXPECT_FALSE(form.isVisible());
    form.show();
    QTest::keyClicks(&form, "2=");
    EXPECT_EQ(display(), "9");
}

}  // namespace
}  // namespace zorvan
