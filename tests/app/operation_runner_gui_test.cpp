// The operation queue: order, no overlap, caption and status around every operation; the window's
// long commands on a worker.
#include "app/logic/user_error.h"
#include "app/ui/operation_runner.h"
#include "app/ui/textform.h"
#include "lists/ui/macrochangeform.h"
#include "lists/ui/variablecahngeform.h"
#include "nc/ui/findmax.h"
#include "nc/ui/replacebox.h"
#include "support/modal_dialog.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    QStringList log;  // caption:<text>, refresh, error:<text>, and what the works write
    OperationRunner runner{{[this](const QString& caption) { log << "caption:" + caption; },
                            [this] { log << "refresh"; },
                            [this](const std::exception& e) { log << QString("error:") + e.what(); }}};
};

}  // namespace

TEST_F(RunnerTest, CaptionWorkRefreshAndClearedCaptionInThisOrderAlsoOnFailure)
{
    runner.queue(10, "座標移動中", [&] { log << "work"; });
    runner.queue(11, "入替え中", [&] { throw UserError("壊れた"); });
    EXPECT_EQ(log, QStringList({"caption:座標移動中", "work", "refresh", "caption:", "caption:入替え中", "refresh",
                                "caption:", "error:壊れた"}));
    EXPECT_FALSE(runner.Busy);
    EXPECT_TRUE(runner.idle());
}

TEST_F(RunnerTest, AnOperationQueuedWhileOneRunsStartsWhenItHasEnded)
{
    runner.queue(1, "a", [&] {
        EXPECT_EQ(runner.runningCode(), 1);
        runner.queue(2, "b", [&] { log << "work b"; });
        log << "end a";
    });
    EXPECT_EQ(log, QStringList({"caption:a", "end a", "refresh", "caption:", "caption:b", "work b", "refresh",
                                "caption:"}));
}

TEST_F(RunnerTest, PostedOperationsShowTheirCaptionAtOnceAndRunFromTheEventLoopInOrder)
{
    runner.define(1, "読み込み中", [&] { log << "load"; });
    runner.start(1);
    runner.post(9, "", {});  // unknown work: only the status is refreshed
    runner.queue(5, "x", [&] { log << "x"; });  // behind the posted ones
    EXPECT_EQ(log, QStringList({"caption:読み込み中"}));
    EXPECT_FALSE(runner.idle());
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList({"caption:読み込み中", "caption:読み込み中", "load", "refresh", "caption:", "refresh",
                                "caption:", "caption:x", "x", "refresh", "caption:"}));
    EXPECT_TRUE(runner.idle());
}

namespace {

class BackgroundRunnerTest : public RunnerTest {
protected:
    OperationRunner background{{[this](const QString& caption) { log << "caption:" + caption; },
                                [this] { log << "refresh"; },
                                [this](const std::exception& e) { log << QString("error:") + e.what(); },
                                [this](bool locked) { log << (locked ? "lock" : "unlock"); },
                                [this](int permille) {
                                    if (permille >= 0 && !log.contains("progress"))
                                        log << "progress";
                                },
                                [this](const QString& note) { log << "note:" + note; }}};
    std::atomic<bool> release{false};

    // A worker that waits until released (or cancelled), then throws or hands back its result.
    OperationRunner::Prepare operation(bool fails)
    {
        return [this, fails]() -> OperationRunner::Background {
            log << "prepare";
            return [this, fails](OperationTask& task) -> OperationRunner::Work {
                while (!release)
                    task.checkpoint();
                if (fails)
                    throw UserError("壊れた");
                return [this] { log << "apply"; };
            };
        };
    }
};

}  // namespace

TEST_F(BackgroundRunnerTest, TheEventLoopTicksWhileTheWorkerWorksAndTheResultIsAppliedOnce)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 5)
            release = true;
    });
    timer.start(1);
    background.queueInBackground(10, "座標移動中", operation(false));
    background.queue(11, "b", [&] { log << "b"; });  // waits for the first
    EXPECT_TRUE(background.Busy);
    background.waitForIdle();
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(log, QStringList({"caption:座標移動中", "prepare", "lock", "unlock", "apply", "refresh", "caption:",
                                "caption:b", "b", "refresh", "caption:"}));
}

TEST_F(BackgroundRunnerTest, TheProgressBarShowsOnlyForWorkOfMoreThanATenthOfASecond)
{
    QTimer::singleShot(200, [&] { release = true; });
    background.queueInBackground(10, "x", operation(false));
    background.waitForIdle();
    EXPECT_EQ(log, QStringList({"caption:x", "prepare", "lock", "progress", "unlock", "apply", "refresh", "caption:"}));
}

TEST_F(BackgroundRunnerTest, CancelOrFailureAppliesNothingAndSaysSoOnce)
{
    const struct {
        const char* name;
        bool cancelBeforeWork, cancelAfterWork, fails;
        QString last;
    } cases[] = {
        {"cancelled at once", true, false, false, "note:中止しました"},
        {"cancelled once the worker is done", false, true, false, "note:中止しました"},
        {"failing worker", false, false, true, "error:壊れた"},
    };
    for (const auto& c : cases) {
        log.clear();
        release = !c.cancelBeforeWork;
        background.queueInBackground(10, "x", operation(c.fails));
        if (c.cancelBeforeWork || c.cancelAfterWork) {
            if (c.cancelAfterWork)
                QThread::msleep(20);  // the worker ends and posts its result
            background.cancel();
        }
        background.waitForIdle();
        EXPECT_EQ(log, QStringList({"caption:x", "prepare", "lock", "unlock", "refresh", "caption:", c.last})) << c.name;
    }
}

// --- The window's long commands: on a long text they run on a worker and a cancel changes nothing.

namespace {

// A program of `lines` lines with words for every command below.
std::string longProgram(int lines)
{
    std::string text = "%\r\n";
    for (int i = 0; i < lines; ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i % 50) + ".5Y-2.$1#500(日本)\r\n";
    return text;
}

// What a cancelled command must leave as it was.
struct EditorState {
    std::string text;
    long selStart, selLength;
    bool modified, canUndo, canRedo;
    int extremeMark;
    bool operator==(const EditorState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const EditorState& s)
{
    return out << "{" << s.text.size() << " bytes | sel " << s.selStart << "+" << s.selLength << " | modified "
               << s.modified << " | undo " << s.canUndo << " redo " << s.canRedo << " | mark " << s.extremeMark << "}";
}

// The main window in a fresh current directory holding the list files and a long program to merge.
class WindowOperationsTest : public ::testing::Test {
public:
    void SetUp() override
    {
        before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        writeFile(dir.filePath("Cange.list"), "1\r\nA\r\n9\r\nZ1.\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n");
        // The second table makes every X 3,000 characters long: too much for a long program.
        writeFile(dir.filePath("MacCange.list"),
                  "2\r\nT\r\n1\r\nG01 G1\r\nBIG\r\n1\r\nX " + std::string(3000, 'Y') + "\r\n");
        writeFile(dir.filePath("small.ncd"), "%\r\nM30\r\n");
        form = std::make_unique<TFormText>();
    }
    void TearDown() override
    {
        form.reset();
        QDir::setCurrent(before);
    }

    // A loaded program with one typed change, so that the history holds a step.
    void load(const std::string& text)
    {
        form->editor().setText(text);
        form->editor().setModified(false);
        form->editor().setCaret(0);
        QTest::keyClicks(form->Memo1, "G");
        QCoreApplication::processEvents();
        form->editor().setSelection(3, 0);
        form->UpdateStatus();
    }

    EditorState state() const
    {
        return {form->editor().text(), form->editor().selectionStart(), form->editor().selectionLength(),
                form->editor().isModified(), form->editor().canUndo(), form->editor().canRedo(), form->Marks[11]};
    }

    template <typename Dialog> Dialog* dialog(const char* name) { return form->findChild<Dialog*>(name); }
    void run(const char* name, QDialog* dialog, const std::function<void()>& inDialog)
    {
        runModalDialog(dialog, [&] { form->action(name)->trigger(); }, inDialog, name);
    }

    void extremeSearch()
    {
        auto* extreme = dialog<TMinMaxForm>("MinMaxForm");
        run("FindMinMax", extreme, [extreme] {
            extreme->axisItems->button(0)->setChecked(true);
            extreme->methodItems->button(0)->setChecked(true);
            extreme->CheckBox1->setChecked(true);
            extreme->BitBtn1->click();
        });
    }
    void replaceAll()
    {
        auto* replace = dialog<TReplaceBox>("ReplaceBox");
        run("Reprace", replace, [replace] {
            replace->Edit1->setText("G01");
            replace->Edit2->setText("G1");
            replace->CheckBox1->setChecked(true);
            replace->CheckBox2->setChecked(false);
            replace->BitBtn3->click();
        });
    }
    void placeholders()
    {
        auto* sets = dialog<TFormVarChange>("FormVarChange");
        run("ToolButton26Click", sets, [sets] { sets->BitBtn1->click(); });
    }
    void macros(int table)
    {
        auto* tables = dialog<TFormMacroChenge>("FormMacroChenge");
        run("ToolButton27Click", tables, [tables, table] {
            tables->ComboBox1->setCurrentIndex(table);
            tables->ComboBox1Select(table);
            tables->BitBtn1->click();
        });
    }
    // A long program of `lines` lines, and a file of it.
    const std::string& program(int lines)
    {
        std::string& text = programs[lines];
        if (text.empty())
            text = longProgram(lines);
        return text;
    }
    QString programFile(int lines)
    {
        const QString path = dir.filePath(QString("part%1.ncd").arg(lines));
        if (!QFile::exists(path))
            writeFile(path, program(lines));
        return path;
    }
    void merge(const char* command)
    {
        prompts.fileNames = {programFile(lines)};
        form->action(command)->trigger();
    }

    QString before;
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TFormText> form;
    int lines = 100000;  // of the program loaded or merged
    std::map<int, std::string> programs;
};

// Cancels the running operation when its result arrives, before it is applied.
class CancelBeforeApply : public QObject {
public:
    explicit CancelBeforeApply(OperationRunner& runner) : runner_(runner) { runner.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall && runner_.Busy)
            runner_.cancel();
        return false;
    }

private:
    OperationRunner& runner_;
};

}  // namespace

TEST_F(WindowOperationsTest, ALongCommandKeepsTheWindowTickingAndACancelAnywhereChangesNothing)
{
    const struct {
        const char* name;
        bool edits;  // changes the text (the extreme search only selects)
        std::function<void(WindowOperationsTest&)> start;
    } operations[] = {
        {"reversal", true, [](WindowOperationsTest& t) { t.form->action("Kaeru")->trigger(); }},
        {"extreme search", false, [](WindowOperationsTest& t) { t.extremeSearch(); }},
        {"replace-all", true, [](WindowOperationsTest& t) { t.replaceAll(); }},
        {"placeholder pass", true, [](WindowOperationsTest& t) { t.placeholders(); }},
        {"macro pass", true, [](WindowOperationsTest& t) { t.macros(0); }},
        {"append", true, [](WindowOperationsTest& t) { t.merge("PMAddFileClick"); }},
        {"insert", true, [](WindowOperationsTest& t) { t.merge("PMInsertFileClick"); }},
    };
    enum Cancel { None, AtOnce, MidWay, BeforeApply };
    for (const auto& op : operations) {
        for (Cancel cancel : {None, AtOnce, MidWay, BeforeApply}) {
            SCOPED_TRACE(std::string(op.name) + " cancel " + std::to_string(cancel));
            EditorState untouched{};
            const std::string* loaded = nullptr;
            int ticksWhileBusy = 0;
            // A worker that outruns the event loop's first turn (on a busy machine, where it may
            // take the one free core until it is done) leaves no tick to count and no moment to
            // cancel mid-way: such a run is made again on a longer program.
            for (lines = 100000; lines <= 800000; lines *= 2) {
                loaded = &program(lines);
                load(*loaded);
                untouched = state();
                ticksWhileBusy = 0;
                QTimer timer;
                QObject::connect(&timer, &QTimer::timeout, [&] {
                    if (form->Busy && ++ticksWhileBusy == 1 && cancel == MidWay)
                        form->runner().cancel();
                });
                timer.start(0);
                std::optional<CancelBeforeApply> beforeApply;
                if (cancel == BeforeApply)
                    beforeApply.emplace(form->runner());
                op.start(*this);
                EXPECT_TRUE(form->Busy);  // at work on a worker
                if (cancel == AtOnce)
                    form->runner().cancel();
                form->runner().waitForIdle();
                if (ticksWhileBusy > 0 || cancel == AtOnce || cancel == BeforeApply)
                    break;
            }
            EXPECT_TRUE(prompts.errors.isEmpty());
            if (cancel == None || cancel == MidWay) {
                EXPECT_GT(ticksWhileBusy, 0);
            }
            if (cancel == None) {
                ASSERT_NE(state(), untouched);
                if (op.edits) {
                    form->editor().undo();  // one step
                    EditorState undone = untouched;
                    undone.canRedo = true;
                    EXPECT_EQ(state(), undone);
                }
                continue;
            }
            EXPECT_EQ(state(), untouched);
            EXPECT_EQ(form->statusText(3), "中止しました");
            EXPECT_FALSE(form->Memo1->isReadOnly());
            form->editor().undo();  // takes back the typing
            EXPECT_TRUE(form->editor().text() == *loaded);
            EXPECT_FALSE(form->editor().canUndo());
        }
    }
}

TEST_F(WindowOperationsTest, KeysAndClicksLeaveTheCaretAndSelectionWhileAnOperationRuns)
{
    load(program(lines));
    form->editor().setSelection(3, form->editor().length() / 2);  // lines enough for a worker
    const EditorState untouched = state();
    form->action("Kaeru")->trigger();
    ASSERT_TRUE(form->Busy);
    for (auto key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Right})
        QTest::keyClick(form->Memo1, key);
    QTest::keyClick(form->Memo1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::mouseClick(form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(form->editor().selectionStart(), untouched.selStart);  // (undo is off while locked)
    EXPECT_EQ(form->editor().selectionLength(), untouched.selLength);
    form->runner().cancel();
    form->runner().waitForIdle();
    EXPECT_EQ(state(), untouched);
    QTest::keyClick(form->Memo1, Qt::Key_Down);  // free again
    EXPECT_NE(form->editor().selectionStart(), untouched.selStart);
}

TEST_F(WindowOperationsTest, AFailureOnTheWorkerIsShownOnceAndChangesNothing)
{
    load(longProgram(30000));
    const EditorState untouched = state();
    macros(1);  // every X grows too long
    EXPECT_TRUE(form->Busy);
    form->runner().waitForIdle();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("大きくなりすぎます"));
    EXPECT_EQ(state(), untouched);
    EXPECT_FALSE(form->Memo1->isReadOnly());
}

TEST_F(WindowOperationsTest, MergesQueuedWhileOneRunsFollowInOrder)
{
    load("%\r\nG00\r\n");
    form->MergeFile(programFile(lines), 1);
    EXPECT_TRUE(form->Busy);
    EXPECT_EQ(form->statusText(3), "付足し中");
    form->MergeFile(dir.filePath("small.ncd"), 1);  // short: at once, but after the first
    EXPECT_EQ(form->editor().text(), "G%\r\nG00\r\n");
    form->runner().waitForIdle();
    EXPECT_TRUE(form->editor().text() == "G%\r\nG00\r\n" + program(lines) + "%\r\nM30\r\n");
    form->MergeFile(programFile(lines), 2);
    EXPECT_EQ(form->statusText(3), "挿入中");
    form->runner().waitForIdle();
    EXPECT_EQ(form->statusText(3), "");
}
