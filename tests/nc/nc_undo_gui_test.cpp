// Undo and redo of the numeric commands in the main window, with the editor's keys.
#include "app/logic/settings.h"
#include "app/ui/textform.h"
#include "nc/ui/axisform.h"
#include "nc/ui/change.h"
#include "nc/ui/formcalc.h"
#include "support/scripted_prompts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;

namespace {

// What undo brings back in the window: text, colours, selection, the modified mark and title.
struct WindowState {
    std::string text;
    std::string colours;
    long selStart, selLength;
    QString modifiedPanel, title;
    bool operator==(const WindowState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const WindowState& s)
{
    return out << "{" << s.text.substr(0, 60) << " | " << s.colours.substr(0, 60) << " | sel " << s.selStart << "+"
               << s.selLength << " | " << s.modifiedPanel.toStdString() << " | " << s.title.toStdString() << "}";
}

class NcUndoGui : public ::testing::Test {
public:
    void SetUp() override { programSettings().decimals = DecimalSettings{}; }

    // A loaded, coloured, unmodified program, as after opening it. Its "N" words read longer in the
// whole-text colouring than in the line pass after typing, so a line recoloured after an undo
// shows.
    void load(const std::string& text)
    {
        form.DocPath = "/tmp/a.ncd";
        form.editor().setText(text);
        form.ColourAll();
        form.editor().setCaret(0);
        form.editor().setModified(false);
        form.setWindowTitle("Zorvan /tmp/a.ncd");
        form.UpdateStatus();
    }

    WindowState state()
    {
        static const char letters[] = {'.', 'r', 'b', 'g'};
        WindowState s{form.editor().text(), {}, form.editor().selectionStart(), form.editor().selectionLength(),
                      form.statusText(1), form.windowTitle()};
        for (long i = 0; i < form.editor().length(); ++i)
            s.colours += letters[static_cast<int>(form.editor().colourAt(i))];
        return s;
    }

    // Presses a key in the editor, as the user does (the release refreshes the status).
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form.Memo1, key, modifiers);
        QCoreApplication::processEvents();
    }
    void undoKey() { press(Qt::Key_Z, Qt::ControlModifier); }
    void redoKey() { press(Qt::Key_Y, Qt::ControlModifier); }
    void type(const char* keys)
    {
        QTest::keyClicks(form.Memo1, keys);
        QCoreApplication::processEvents();
    }

    // Runs command `name`, whose dialog `inDialog` fills and closes.
    void run(const char* name, QDialog* dialog, const std::function<void()>& inDialog)
    {
        QTimer::singleShot(0, dialog, inDialog);
        form.action(name)->trigger();
        form.runner().waitForIdle();
    }
    void shift(const char* x, const char* command = "OrgChenge")
    {
        run(command, form.FormAxis, [&] {
            form.FormAxis->Edit1->setText(x);
            form.FormAxis->BitBtn1->click();
        });
    }
    void multiplyX(const char* operand)
    {
        run("CalculateClick", form.CalcForm, [&] {
            form.CalcForm->ComboBox1->setCurrentText("X");
            form.CalcForm->ComboBox2->setCurrentText("X");
            form.CalcForm->Edit1->setText(operand);
            form.CalcForm->BitBtn1->click();
        });
    }

    ScriptedPrompts prompts;
    TFormText form;
};

std::string program(int lines)
{
    std::string text = "%\r\nO1000(MAIN)\r\n";
    for (int i = 0; i < lines; ++i)
        text += "N" + std::to_string(i) + ".5G01X" + std::to_string(i % 50) + ".5Y-2.(日本)\r\n";
    return text;
}

TEST_F(NcUndoGui, ANumericCommandIsOneStepOverASelectionAndOverTheWholeFile)
{
    struct Case {
        const char* name;
        int lines;
        long selStart, selLength;
        std::function<void(NcUndoGui&)> command;
    } cases[] = {
        {"shift over a selection", 20, 40, 30, [](NcUndoGui& t) { t.shift("10"); }},
        {"shift over the whole file", 20000, 0, 0, [](NcUndoGui& t) { t.shift("10"); }},
        {"calculation over a selection", 20, 5, 60, [](NcUndoGui& t) { t.multiplyX("2"); }},
        {"reversal over the whole file", 50, 0, 0, [](NcUndoGui& t) { t.form.action("Kaeru")->trigger(); }},
        {"reversal of an odd count, the middle line kept", 51, 0, 0,
         [](NcUndoGui& t) { t.form.action("Kaeru")->trigger(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(program(c.lines));
        form.editor().setSelection(c.selStart, c.selLength);
        const WindowState before = state();
        ASSERT_EQ(before.modifiedPanel, "");
        c.command(*this);
        const WindowState after = state();
        ASSERT_NE(after.text, before.text);
        EXPECT_EQ(after.modifiedPanel, "変更あり");
        EXPECT_EQ(after.title, "Zorvan */tmp/a.ncd");
        undoKey();
        EXPECT_EQ(state(), before);
        EXPECT_FALSE(form.editor().canUndo());
        redoKey();
        EXPECT_EQ(state(), after);
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // the other redo key: nothing left
        EXPECT_EQ(state(), after);
        undoKey();
        EXPECT_EQ(state(), before);
    }
}

TEST_F(NcUndoGui, ALongCommandKeepsTheWindowTickingAndACancelChangesNothing)
{
    const struct {
        const char* name;
        bool cancel;
        std::function<void(NcUndoGui&)> command;
    } cases[] = {
        {"shift", false, [](NcUndoGui& t) { t.shift("10"); }},
        {"shift cancelled", true, [](NcUndoGui& t) { t.shift("10"); }},
        {"rotation cancelled", true, [](NcUndoGui& t) { t.shift("1", "AfineChehge"); }},
        {"calculation cancelled", true, [](NcUndoGui& t) { t.multiplyX("2"); }},
        {"axis swap cancelled", true,
         [](NcUndoGui& t) {
             auto* swap = t.form.findChild<TChangForm*>("ChangForm");
             t.run("RepraceXYZ", swap, [swap] {
                 swap->CheckBox1->setChecked(true);
                 swap->BitBtn1->click();
             });
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // On a busy machine the worker may finish before the event loop turns once; a longer
        // program then gives the timer its turn.
        int lines = 20000;
        WindowState before{};
        int ticksWhileBusy = 0;
        for (;; lines *= 4) {
            load(program(lines));
            type("G");
            form.editor().setSelection(3, 0);
            before = state();
            ticksWhileBusy = 0;
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, [&] {
                if (!form.Busy)
                    return;
                ++ticksWhileBusy;
                if (c.cancel)
                    form.runner().cancel();
                else
                    undoKey();  // waits like typing: the text the command read stays
            });
            timer.start(0);
            c.command(*this);
            timer.stop();
            if (ticksWhileBusy > 0 || lines >= 320000)
                break;
        }
        EXPECT_GT(ticksWhileBusy, 0);
        EXPECT_EQ(state() == before, c.cancel);
        if (!c.cancel) {
            EXPECT_EQ(form.editor().text().substr(0, 20), "G%\r\nO1000(MAIN)\r\nN0.");
            continue;
        }
        EXPECT_EQ(form.statusText(3), "中止しました");
        undoKey();  // takes back the typing
        EXPECT_EQ(form.editor().text(), program(lines));
        EXPECT_FALSE(form.editor().canUndo());
    }
}

TEST_F(NcUndoGui, ACancelWhileTheResultGoesInLeavesEverythingAsItWas)
{
    form.runner().setApplySlice(0);  // the window gets its turn at every pause of the apply step
    const struct {
        const char* name;
        std::function<void(NcUndoGui&)> command;
    } commands[] = {
        {"shift", [](NcUndoGui& t) { t.shift("10"); }},
        {"axis swap",
         [](NcUndoGui& t) {
             auto* swap = t.form.findChild<TChangForm*>("ChangForm");
             t.run("RepraceXYZ", swap, [swap] {
                 swap->CheckBox1->setChecked(true);
                 swap->BitBtn1->click();
             });
         }},
    };
    for (const auto& c : commands) {
        // Run through once: the window's turns while the new text goes in.
        load(program(20000));
        int turns = 0;
        QTimer timer;
        auto counting = QObject::connect(&timer, &QTimer::timeout, [&] { turns += form.runner().applying(); });
        timer.start(0);
        c.command(*this);
        QObject::disconnect(counting);
        ASSERT_GT(turns, 2) << c.name;
        for (int cancelAt : {1, 2, turns / 2}) {
            SCOPED_TRACE(std::string(c.name) + " cancelled at turn " + std::to_string(cancelAt));
            load(program(20000));
            type("G");
            form.editor().setSelection(3, 0);
            const WindowState before = state();
            int seen = 0;
            auto cancelling = QObject::connect(&timer, &QTimer::timeout, [&] {
                if (form.runner().applying() && ++seen == cancelAt)
                    form.runner().cancel();
            });
            c.command(*this);
            QObject::disconnect(cancelling);
            // A loaded machine may give the window fewer turns this time than in the counting
            // run: then the cancel never came, and there is nothing to check.
            if (seen < cancelAt)
                continue;
            EXPECT_EQ(state(), before);
            EXPECT_EQ(form.statusText(3), "中止しました");
            undoKey();  // takes back the typing
            EXPECT_EQ(form.editor().text(), program(20000));
            EXPECT_FALSE(form.editor().canUndo());
        }
    }
}

TEST_F(NcUndoGui, AFailingCommandLeavesNoStep)
{
    load("X1.\r\nX1" + std::string(300, '0') + "\r\n");
    type("G");
    const WindowState typed = state();
    multiplyX("1e10");  // too large to write
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(state(), typed);
    undoKey();  // takes back the typing, not a step of the command
    EXPECT_EQ(form.editor().text(), "X1.\r\nX1" + std::string(300, '0') + "\r\n");
    EXPECT_FALSE(form.editor().canUndo());
}

TEST_F(NcUndoGui, TypingBeforeAndAfterACommandStaysUndoable)
{
    load(program(3));
    form.editor().setCaret(form.editor().positionFromLine(2));
    std::vector<WindowState> states{state()};
    type("G00");
    states.push_back(state());
    shift("1");
    states.push_back(state());
    form.editor().setCaret(0);
    type("X");
    states.push_back(state());
    // Undone typing leaves its line coloured by the line pass, as typing does; the command's step
    // brings back the colours it found.
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        undoKey();
        EXPECT_EQ(state().text, states[i - 1].text) << i;
        if (i == 2) {
            EXPECT_EQ(state().colours, states[i - 1].colours);
        }
    }
    EXPECT_EQ(state().modifiedPanel, "");
    EXPECT_EQ(state().title, "Zorvan /tmp/a.ncd");
    for (std::size_t i = 1; i < states.size(); ++i) {
        redoKey();
        EXPECT_EQ(state().text, states[i].text) << i;
    }
    EXPECT_EQ(state().modifiedPanel, "変更あり");
}

TEST_F(NcUndoGui, TheEditAndContextMenusUndoAndRedoWhileThereIsSomethingToUndoOrRedo)
{
    auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << a->text();
        return texts;
    };
    QMenu* edit = nullptr;
    for (QAction* a : form.menuBar()->actions())
        if (a->text() == "編集(&E)")
            edit = a->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(captions(edit).mid(0, 2), (QStringList{"元に戻す", "やり直し"}));
    EXPECT_EQ(captions(form.PopupMenu1).mid(0, 2), (QStringList{"元に戻す", "やり直し"}));
    QAction* undo = form.action("Undo1Click");
    QAction* redo = form.action("Redo1Click");
    EXPECT_EQ(undo->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(redo->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));

    load(program(5));
    const WindowState loaded = state();
    struct Expect {
        bool undo, redo;
    };
    auto check = [&](Expect e, const char* when) {
        EXPECT_EQ(undo->isEnabled(), e.undo) << when;
        EXPECT_EQ(redo->isEnabled(), e.redo) << when;
    };
    check({false, false}, "loaded");
    shift("5");
    const WindowState shifted = state();
    check({true, false}, "after the command");
    undo->trigger();
    EXPECT_EQ(state(), loaded);
    check({false, true}, "after undo");
    redo->trigger();
    EXPECT_EQ(state(), shifted);
    check({true, false}, "after redo");
    undo->trigger();
    type("G");  // a new change: the command can no longer be redone
    check({true, false}, "after typing");
}

}  // namespace
