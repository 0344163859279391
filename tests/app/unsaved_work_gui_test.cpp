// Work that is on no disk is never lost without a question: the save point after a save and a
// trimmed history, commands that wait for a running operation, and closing while one runs.
#include "app/logic/settings.h"
#include "app/ui/textform.h"
#include "nc/logic/nc_transforms.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

const QString kSaveQuestion = QStringLiteral("確認|変更されています\u3000保存しますか");

class UnsavedWork : public ::testing::Test {
protected:
    QString file(const QString& name, const std::string& bytes)
    {
        QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    void load(const QString& path)
    {
        form.StartOpen(path);
        ASSERT_TRUE(waitFor([&] { return form.runner().idle(); }));
    }
    static std::string bigProgram()
    {
        std::string big = "%\r\n";
        for (int i = 0; i < 200000; ++i)
            big += "N" + std::to_string(i) + "G01X1.Y2.\r\n";
        return big + "%\r\n";
    }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    TFormText form;
};

// Save, type, more whole-text commands until the oldest steps are dropped, undo them all: the
// text still holds the typing, so it reads modified and a close asks.
TEST_F(UnsavedWork, UndoAfterTheHistoryWasTrimmedPastTheSaveReadsModified)
{
    form.show();
    const QString path = file("a.ncd", "%\r\nG01X1.\r\nG01X2.\r\n%\r\n");
    load(path);
    form.editor().setHistoryFloor(0);  // the bound: four times the text
    auto command = [&](int n) {
        std::string text = form.editor().text();
        text[text.find('X') + 1] = static_cast<char>('0' + n);  // the first X value
        form.editor().replaceLinesText(0, form.editor().lineCount(), text);
        form.UpdateStatus();
    };
    for (int n = 2; n <= 5; ++n)
        command(n);
    form.Saveas1Click();
    ASSERT_FALSE(form.editor().isModified());
    form.editor().setCaret(0);
    form.editor().replaceSelection("(ABC)");
    for (int n = 6; n <= 9; ++n)
        command(n);
    EXPECT_EQ(form.statusBar()->currentMessage(), QStringLiteral("古い「元に戻す」の履歴を捨てました"));
    while (form.editor().canUndo())
        form.Undo1Click();
    EXPECT_TRUE(form.editor().text().starts_with("(ABC)"));
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_TRUE(form.windowTitle().startsWith("Zorvan *"));
    prompts.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.asked, QStringList{kSaveQuestion});
}

// A shift by 0/0/0 of values already written as the settings write them changes nothing: no
// step, no mark in the title.
TEST_F(UnsavedWork, ACommandThatChangesNothingLeavesNoStepAndNoMark)
{
    const QString path = file("a.ncd", "%\r\nG01X1.5Y-2.0\r\nZ3.0\r\n%\r\n");
    load(path);
    nc::shiftCoordinates(form.editor(), {0, 0, 0}, DecimalSettings{});
    form.UpdateStatus();
    EXPECT_EQ(form.editor().text(), "%\r\nG01X1.5Y-2.0\r\nZ3.0\r\n%\r\n");
    EXPECT_FALSE(form.editor().isModified());
    EXPECT_FALSE(form.editor().canUndo());
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
}

TEST_F(UnsavedWork, NewAndOpenAndDropsWaitForTheRunningOperation)
{
    form.editor().setText("G01X1.");
    form.editor().setModified(false);
    const QString path = file("a.ncd", "%\r\nG01X5.\r\n%\r\n");
    bool sawNewInside = false;
    form.runner().queue(99, QStringLiteral("置換中"), [&] {
        form.New1Click();
        form.DropFiles({path});
        sawNewInside = form.editor().text() != "G01X1.";
    });
    EXPECT_FALSE(sawNewInside);
    ASSERT_TRUE(waitFor([&] { return form.runner().idle(); }));
    // New ran after the operation, then the dropped file was loaded.
    EXPECT_EQ(form.editor().text(), "%\r\nG01X5.\r\n%\r\n");
    EXPECT_EQ(form.DocPath, path);
}

// Alt+X while a load runs: the load is cancelled as "中止" does, and the window closes as usual
// afterwards, asking first when there are changes.
TEST_F(UnsavedWork, ClosingWhileALoadRunsCancelsItAndThenClosesAsUsual)
{
    const QString big = file("big.ncd", bigProgram());
    for (bool changed : {true, false}) {
        SCOPED_TRACE(changed);
        form.show();
        form.editor().setText("G01X1.");  // read as a load no file holds: modified
        if (!changed)
            form.editor().setModified(false);
        prompts.asked.clear();
        prompts.answers = {QMessageBox::Cancel};
        QSignalSpy closed(&form, &TFormText::closed);
        form.StartOpen(big);
        QCoreApplication::sendPostedEvents(&form.runner(), QEvent::MetaCall);  // the load starts
        ASSERT_TRUE(form.Busy);
        EXPECT_FALSE(form.close());
        ASSERT_TRUE(waitFor([&] { return form.runner().idle() && (!form.isVisible() || !prompts.asked.isEmpty()); }));
        EXPECT_EQ(form.editor().text(), "G01X1.");  // the load was cancelled
        if (changed) {
            EXPECT_EQ(prompts.asked, QStringList{kSaveQuestion});
            EXPECT_TRUE(form.isVisible());  // Cancel keeps the window
            EXPECT_EQ(closed.count(), 0);
        } else {
            EXPECT_TRUE(prompts.asked.isEmpty());
            EXPECT_FALSE(form.isVisible());
            EXPECT_EQ(closed.count(), 1);
        }
    }
}

}  // namespace
