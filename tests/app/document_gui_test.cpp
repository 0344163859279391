// The document in the main window: open, load, save, append and insert, the command line,
// dropped files, the operation runner and the simulator hand-off.
#include "app/logic/document_file.h"
#include "app/logic/settings.h"
#include "app/logic/user_error.h"
#include "app/ui/textform.h"
#include "app/ui/thled.h"
#include "support/cli_run.h"
#include "support/scripted_prompts.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "support/test_files.h"

using namespace zorvan;

namespace {

// Records the filter of the file dialogs and can make every box throw, as a failing operation.
class RecordingPrompts : public ScriptedPrompts {
public:
    QStringList filters;
    bool throwOnAsk = false;
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override
    {
        auto answer = ScriptedPrompts::ask(parent, caption, text, buttons, icon);
        if (throwOnAsk)
            throw UserError("operation failed");
        return answer;
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter) override
    {
        filters << filter;
        return ScriptedPrompts::openFileName(parent, caption, preset, filter);
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter) override
    {
        filters << filter;
        return ScriptedPrompts::saveFileName(parent, caption, preset, filter);
    }
};



class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { programSettings() = ProgramSettings{}; }

    // Starts a load and lets the runner run it.
    void load(const QString& path)
    {
        form.StartOpen(path);
        ASSERT_TRUE(waitFor([&] { return !form.Busy && form.statusText(3).isEmpty(); }));
    }
    QString file(const QString& name, const std::string& bytes)
    {
        QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    void type(const std::string& text)
    {
        form.editor().replaceSelection(text);
        form.UpdateStatus();
    }

    RecordingPrompts prompts;
    QTemporaryDir dir;
    TFormText form;
};

QMimeData* filesData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

void drop(QWidget* target, const QStringList& paths)
{
    std::unique_ptr<QMimeData> data(filesData(paths));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

}  // namespace

TEST_F(DocumentTest, ALoadShowsItsCaptionFirstThenFillsTheEditor)
{
    const QString path = file("a.ncd", "%\r\nO1000 (MAIN)\r\nG01X1.\r\n");
    form.StartOpen(path);
    EXPECT_EQ(form.statusText(3), "読み込み中");
    EXPECT_EQ(form.editor().text(), "");
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty(); }));
    EXPECT_EQ(form.editor().text(), "%\r\nO1000 (MAIN)\r\nG01X1.\r\n");
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
    EXPECT_EQ(form.DocPath, path);
    EXPECT_FALSE(form.editor().isModified());
    EXPECT_FALSE(form.Busy);
}

TEST_F(DocumentTest, OnlyAnNcProgramIsColouredWhole)
{
    load(file("a.ncd", "%\r\nA\r\nO1000\r\n"));
    EXPECT_EQ(form.editor().colourAt(6), TextColour::Red);
    load(file("b.txt", "B\r\nA\r\nO1000\r\n"));
    EXPECT_EQ(form.editor().colourAt(6), TextColour::Default);
}

TEST_F(DocumentTest, ALoadWithACaretIsNotAnEditOfTheCaretsLine)
{
    form.PendingCaret = 5;  // on line 1
    load(file("c.ncd", "%\r\nN10.5 L5\r\n"));
    QTest::qWait(50);  // a change notice of the load would be handled by now
    ASSERT_EQ(form.editor().caret(), 5);
    // The whole-text pass's colours: the number with its point, no "L" token inside the line.
    EXPECT_EQ(form.editor().colourAt(7), TextColour::Blue);
    EXPECT_EQ(form.editor().colourAt(9), TextColour::Default);
}

TEST_F(DocumentTest, BytesThatAreNotShiftJisShowAsMarkersAndSaveBack)
{
    const char raw[] = "%\r\n(\x83\x65\x83X\x83g)\x80\xff\0X\r\n\x85\x40\r\n";
    const std::string bytes(raw, sizeof raw - 1);
    const QString path = file("m.ncd", bytes);
    load(path);
    EXPECT_EQ(form.editor().line(1).substr(0, 11), "(テスト)");
    const std::pair<char32_t, const char*> labels[] = {{kByteMarkerBase + 0x80, "x80"},
                                                       {kBytePairMarkerBase + 0x8540, "x8540"}};
    auto expectMarkers = [&](const char* after) {
        for (const auto& [marker, label] : labels) {
            char shown[16] = {};
            const QByteArray character = QString::fromUcs4(&marker, 1).toUtf8();
            form.Memo1->SendScintilla(QsciScintillaBase::SCI_GETREPRESENTATION, character.constData(), shown);
            EXPECT_STREQ(shown, label) << after;
        }
    };
    expectMarkers("a load");
    // A new document in the widget (a second load, a rewrite of the whole text, its undo) keeps them.
    load(path);
    expectMarkers("a second load");
    form.editor().replaceLinesText(0, form.editor().lineCount(), form.editor().text());
    expectMarkers("a rewrite of the whole text");
    form.editor().undo();
    expectMarkers("its undo");
    // Typed in upper-case mode behind the two-byte marker, the text cannot split it.
    form.editor().setCaret(form.editor().positionFromLine(2) + 1);
    QTest::keyClicks(form.Memo1, "x@1");
    form.Saveas1Click();
    EXPECT_EQ(fileBytes(path), bytes.substr(0, 17) + "\x85\x40X1\r\n");
}

TEST_F(DocumentTest, TitleFollowsNewLoadChangeAndSave)
{
    form.New1Click();
    EXPECT_EQ(form.windowTitle(), "Zorvan");
    type("G01");
    EXPECT_EQ(form.windowTitle(), "Zorvan *");
    const QString path = file("a.ncd", "%\r\nG00\r\n");
    load(path);
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
    type("X");
    EXPECT_EQ(form.windowTitle(), "Zorvan *" + path);
    form.Saveas1Click();
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
    EXPECT_TRUE(prompts.dialogs.isEmpty()) << "overwrite-save of a titled document asks nothing";
    EXPECT_EQ(fileBytes(path), "X%\r\nG00\r\n");
    form.New1Click();
    EXPECT_EQ(form.windowTitle(), "Zorvan");
    EXPECT_EQ(form.DocPath, "");
}

TEST_F(DocumentTest, SaveWithADialogTakesTheNewName)
{
    type("%\r\nG01\r\n");
    const QString path = dir.filePath("new.ncd");
    prompts.fileNames = {path};
    form.Save1Click();
    EXPECT_EQ(prompts.dialogs, QStringList{"名前を付けて保存"});
    EXPECT_EQ(fileBytes(path), "%\r\nG01\r\n");
    EXPECT_EQ(form.DocPath, path);
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
    EXPECT_FALSE(form.editor().isModified());

    // Untitled overwrite-save asks for a name; cancelling it writes nothing.
    form.New1Click();
    type("A");
    form.Saveas1Click();
    EXPECT_EQ(form.DocPath, "");
    EXPECT_TRUE(form.editor().isModified());
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFileTheFlagTheTitleAndThePath)
{
    const QString path = file("a.ncd", "%\r\nOLD\r\n");
    load(path);
    type("\xF0\x9F\x98\x80");  // no Shift-JIS for it
    const QString title = form.windowTitle();
    form.action("Saveas1Click")->trigger();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith(path)) << prompts.errors[0].toStdString();
    EXPECT_EQ(fileBytes(path), "%\r\nOLD\r\n");
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.windowTitle(), title);

    prompts.fileNames = {dir.path()};  // a folder cannot be written as a file
    form.editor().setText("G01");
    form.action("Save1Click")->trigger();
    EXPECT_EQ(prompts.errors.size(), 2);
    EXPECT_EQ(form.DocPath, path);
}

TEST_F(DocumentTest, AFailedSaveInTheConfirmationKeepsTheDocument)
{
    load(file("a.ncd", "%\r\n"));
    type("\xF0\x9F\x98\x80");
    prompts.answers = {QMessageBox::Yes};
    form.action("New1Click")->trigger();
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(form.editor().text(), "\xF0\x9F\x98\x80%\r\n");
}

TEST_F(DocumentTest, AFailedLoadKeepsThePreviousTextPathAndTitle)
{
    const QString path = file("a.ncd", "%\r\nG01\r\n");
    load(path);
    const QString missing = dir.filePath("missing.ncd");
    load(missing);
    EXPECT_EQ(form.editor().text(), "%\r\nG01\r\n");
    EXPECT_EQ(form.DocPath, path);
    EXPECT_EQ(form.windowTitle(), "Zorvan " + path);
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(prompts.asked[0], "Zorvan|" + missing + "ﾌｧｲﾙを開けません。\nファイルまたはフォルダがありません");
}

TEST_F(DocumentTest, ALoadCancelledWhileItsTextGoesInKeepsThePreviousDocument)
{
    const QString path = file("a.ncd", "%\r\nG01\r\n");
    load(path);
    type("X");
    std::string big = "%\r\n";
    for (int i = 0; i < 50000; ++i)
        big += "N" + std::to_string(i) + "G01X1.(A)\r\n";
    form.runner().setApplySlice(0);  // the window gets its turn at every pause of the apply step
    int turns = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form.runner().applying() && ++turns == 1)
            form.runner().cancel();
    });
    timer.start(0);
    form.StartOpen(file("big.ncd", big));
    ASSERT_TRUE(waitFor([&] { return form.runner().idle(); }));
    EXPECT_EQ(turns, 1);
    EXPECT_EQ(form.statusText(3), "中止しました");
    EXPECT_EQ(form.editor().text(), "X%\r\nG01\r\n");
    EXPECT_EQ(form.editor().caret(), 1);
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.DocPath, path);
    EXPECT_EQ(form.windowTitle(), "Zorvan *" + path);
    form.editor().undo();
    EXPECT_EQ(form.editor().text(), "%\r\nG01\r\n");
}

TEST_F(DocumentTest, PathsLongerThan255CharactersWork)
{
    QString folder = dir.path();
    for (int i = 0; i < 4; ++i)
        folder += "/" + QString(80, QChar('d' + i));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = file(folder.mid(dir.path().size() + 1) + "/long.ncd", "%\r\nG01\r\n");
    ASSERT_GT(path.size(), 300);
    load(path);
    EXPECT_EQ(form.DocPath, path);
    type("N");
    form.Saveas1Click();
    EXPECT_EQ(fileBytes(path), "N%\r\nG01\r\n");
}

TEST_F(DocumentTest, OpenAsksTheSaveQuestionThenTheFileWithTheFilter)
{
    const QString path = file("a.ncd", "%\r\nG01\r\n");
    type("X");
    prompts.answers = {QMessageBox::Cancel};
    form.Open1Click();
    EXPECT_TRUE(prompts.dialogs.isEmpty());
    prompts.answers = {QMessageBox::No};
    prompts.fileNames = {path};
    form.Open1Click();
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty(); }));
    EXPECT_EQ(form.editor().text(), "%\r\nG01\r\n");
    EXPECT_EQ(prompts.filters, QStringList{"ncd (*.ncd);;txt (*.txt);;ぜんぶ (*);;dat (*.dat)"});
}

TEST_F(DocumentTest, TheFileDialogsListEveryFileAndOpenTakesAnyName)
{
    const QString all = "ncd (*.ncd);;txt (*.txt);;ぜんぶ (*);;dat (*.dat)";
    form.Save1Click();  // cancelled
    EXPECT_EQ(prompts.filters, QStringList{all});

    // "ぜんぶ" must also list a program named without an extension.
    file("O2000", "O2000\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"*"}, QDir::Files), QStringList{"O2000"});

    const auto dialog = makeOpenDialog(&form, "開く", dir.path(), all);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);  // a missing name goes to the load
    EXPECT_TRUE(dialog->nameFilters().contains("ぜんぶ (*)"));

    prompts.fileNames = {dir.filePath("missing.ncd")};
    form.Open1Click();
    ASSERT_TRUE(waitFor([&] { return !prompts.asked.isEmpty(); }));
    EXPECT_TRUE(prompts.asked.last().endsWith("ﾌｧｲﾙを開けません。\nファイルまたはフォルダがありません"));
}

TEST_F(DocumentTest, AppendAndInsertAddTheLinesOfAFile)
{
    const QString doc = file("doc.ncd", "%\r\nA\r\nB\r\n");
    const QString part = file("part.ncd", "%\r\nX\r\n\r\nY\r\n");
    load(doc);
    form.editor().setCaret(form.editor().positionFromLine(2));
    form.MergeFile(part, 2);
    EXPECT_EQ(form.editor().text(), "%\r\nA\r\n%\r\nX\r\nY\r\nB\r\n");
    form.MergeFile(file("plain.txt", "P\r\n\r\nQ"), 1);
    EXPECT_EQ(form.editor().text(), "%\r\nA\r\n%\r\nX\r\nY\r\nB\r\nP\r\n\r\nQ\r\n");
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.DocPath, doc);
    EXPECT_EQ(form.editor().colourAt(form.editor().positionFromLine(0)), TextColour::Default);

    prompts.fileNames = {part};
    form.PMAddFileClick();
    EXPECT_EQ(form.editor().lineCount(), 12);
    EXPECT_EQ(prompts.dialogs, QStringList{"開く"});
}

TEST_F(DocumentTest, TheCommandLineIsJoinedAndGivesTheCaret)
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    file("C:\\nc work\\a.ncd", "%\r\n" + std::string(200, 'G') + "\r\n");
    form.commandLineArguments = {"C:\\nc", "work\\a.ncd", "120"};
    form.OpenFromCommandLine();
    EXPECT_EQ(form.statusText(3), "読み込み中");
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty(); }));
    QDir::setCurrent(old);
    EXPECT_EQ(form.DocPath, "C:\\nc work\\a.ncd");
    EXPECT_EQ(form.editor().length(), 205);
    EXPECT_EQ(form.editor().caret(), 120);
    EXPECT_EQ(form.PendingCaret, 0);
}

TEST_F(DocumentTest, ABadCaretNumberOpensNothing)
{
    form.commandLineArguments = {file("a.ncd", "%\r\n"), "12x"};
    EXPECT_THROW(form.OpenFromCommandLine(), UserError);
    EXPECT_EQ(form.DocPath, "");
    EXPECT_EQ(form.statusText(3), "");
    form.commandLineArguments = {};
    form.OpenFromCommandLine();
    EXPECT_EQ(form.statusText(3), "");
}

TEST_F(DocumentTest, DroppedFilesLoadInTurnAndTheLastOneStays)
{
    const QStringList paths = {file("1.ncd", "%\r\nONE\r\n"), file("2.ncd", "%\r\nTWO\r\n"), file("3.ncd", "%\r\nTHREE\r\n")};
    drop(&form, paths);
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty() && !form.Busy; }));
    EXPECT_EQ(form.editor().text(), "%\r\nTHREE\r\n");
    EXPECT_EQ(form.DocPath, paths[2]);

    // On the editor the drop opens the file instead of inserting its name.
    drop(form.Memo1->viewport(), {paths[0]});
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty() && !form.Busy; }));
    EXPECT_EQ(form.editor().text(), "%\r\nONE\r\n");
}

TEST_F(DocumentTest, CancelInTheConfirmationStopsTheRemainingDrops)
{
    const QStringList paths = {file("1.ncd", "%\r\nONE\r\n"), file("2.ncd", "%\r\nTWO\r\n")};
    type("changed");
    prompts.answers = {QMessageBox::No, QMessageBox::Cancel};
    drop(&form, paths);
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty() && !form.Busy; }));
    EXPECT_EQ(prompts.asked.size(), 2);
    EXPECT_EQ(form.editor().text(), "%\r\nONE\r\n");
}

TEST_F(DocumentTest, TwoQuickLoadsBothReadTheLaterPath)
{
    const QString a = file("a.ncd", "%\r\nA\r\n"), b = file("b.ncd", "%\r\nB\r\n");
    form.StartOpen(a);
    form.StartOpen(b);
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty() && !form.Busy; }));
    EXPECT_EQ(form.editor().text(), "%\r\nB\r\n");
    EXPECT_EQ(form.DocPath, b);
}

TEST_F(DocumentTest, ACancelledLoadLeavesThePreviousDocumentAsItWas)
{
    std::string big = "%\r\n";
    for (int i = 0; i < 200000; ++i)
        big += "G01X1.Y2.\r\n";
    const QString a = file("a.ncd", "%\r\nG01X1.\r\n"), b = file("b.ncd", big);
    load(a);
    form.editor().setSelection(3, 3);
    form.editor().replaceSelection("G00");
    form.editor().setSelection(1, 4);
    form.UpdateStatus();
    const QString title = form.windowTitle();
    form.StartOpen(b);
    QCoreApplication::sendPostedEvents(&form.runner(), QEvent::MetaCall);  // the load starts
    ASSERT_TRUE(form.Busy);
    EXPECT_TRUE(form.Memo1->isReadOnly());
    form.runner().cancel();
    ASSERT_TRUE(waitFor([&] { return !form.Busy; }));
    EXPECT_EQ(form.editor().text(), "%\r\nG00X1.\r\n");
    EXPECT_EQ(form.editor().selectionStart(), 1);
    EXPECT_EQ(form.editor().selectionLength(), 4);
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_FALSE(form.Memo1->isReadOnly());
    EXPECT_EQ(form.DocPath, a);
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_EQ(form.statusText(3), "中止しました");
    form.editor().undo();
    EXPECT_EQ(form.editor().text(), "%\r\nG01X1.\r\n");
}

TEST_F(DocumentTest, RunnerClearsBusyAndCaptionAlsoAfterAnError)
{
    prompts.throwOnAsk = true;  // the load's failure box throws
    form.StartOpen(dir.filePath("missing.ncd"));
    ASSERT_TRUE(waitFor([&] { return !prompts.errors.isEmpty(); }));
    EXPECT_FALSE(form.Busy);
    EXPECT_EQ(form.statusText(3), "");
    EXPECT_EQ(prompts.errors, QStringList{"operation failed"});
}

TEST_F(DocumentTest, AnUnknownOperationOnlyClearsTheCaption)
{
    form.editor().setText("G01");
    form.setStatusText(3, "置換中");
    auto* runner = new OpenFileThled(&form);
    runner->SetOperation(9);
    runner->Start();
    ASSERT_TRUE(waitFor([&] { return form.statusText(3).isEmpty(); }));
    EXPECT_EQ(form.editor().text(), "G01");
    EXPECT_FALSE(form.Busy);
}

// Yes to the save question for an untitled text opens the save dialog; cancelling that dialog
// abandons what was asked for, and the text stays.
TEST_F(DocumentTest, ACancelledSaveDialogAbandonsThePendingOperation)
{
    const QString other = file("other.ncd", "%\r\nOTHER\r\n");
    struct {
        const char* name;
        std::function<void()> ask;
    } operations[] = {
        {"new", [&] { form.New1Click(); }},
        {"open", [&] { form.Open1Click(); }},
        {"drop", [&] { drop(&form, {other}); }},
        {"close", [&] { form.close(); }},
        {"simulator", [&] { form.RunNcExecute(); }},
    };
    form.show();
    for (const auto& operation : operations) {
        form.editor().setText("G01X1.");
        prompts.asked.clear();
        prompts.dialogs.clear();
        prompts.answers = {QMessageBox::Yes};
        prompts.fileNames = {other};  // only a file dialog that is wrongly shown takes it
        prompts.fileNames.push_front("");  // the save dialog: cancelled
        operation.ask();
        waitFor([&] { return !form.Busy; }, 100);
        EXPECT_EQ(prompts.asked.size(), 1) << operation.name;
        EXPECT_EQ(prompts.dialogs, QStringList{"名前を付けて保存"}) << operation.name;
        EXPECT_EQ(form.editor().text(), "G01X1.") << operation.name;
        EXPECT_TRUE(form.editor().isModified()) << operation.name;
        EXPECT_EQ(form.DocPath, "") << operation.name;
        EXPECT_TRUE(form.isVisible()) << operation.name;
    }
    form.editor().setModified(false);
}

class SimulatorTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        // A stand-in simulator that writes its arguments, one a line.
        script = dir.filePath("sim.sh");
        writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        programSettings().SimulatorPath = script.toStdString();
        form.show();
    }
    std::string arguments()
    {
        waitFor([&] { return QFile::exists(script + ".args") && !fileBytes(script + ".args").empty(); });
        return fileBytes(script + ".args");
    }
    QString script;
};

TEST_F(SimulatorTest, RunFromTheCaretLineHandsOverPathAndLineAndCloses)
{
    const QString path = file("my prog.ncd", "%\r\nA\r\nB\r\n");
    load(path);
    form.editor().setCaret(form.editor().positionFromLine(2));
    form.RunNcThearExecute();
    EXPECT_EQ(arguments(), path.toStdString() + "\nl2\ns\nd\n");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SimulatorTest, RunFromTheStartAfterSavingTheChanges)
{
    const QString path = file("a.ncd", "%\r\n");
    load(path);
    type("G01");
    prompts.answers = {QMessageBox::Yes};
    form.RunNcExecute();
    EXPECT_EQ(fileBytes(path), "G01%\r\n");
    EXPECT_EQ(arguments(), path.toStdString() + "\ns\nd\n");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SimulatorTest, NothingStartsWithUnsavedChangesOrWithoutAName)
{
    load(file("a.ncd", "%\r\n"));
    type("G01");
    prompts.answers = {QMessageBox::No};
    form.RunNcThearExecute();
    form.New1Click();  // answered Ok: not Cancel, so it goes on without saving
    form.RunNcExecute();
    QThread::msleep(200);
    EXPECT_FALSE(QFile::exists(script + ".args"));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(SimulatorTest, AProgramThatCannotStartIsNamedAndTheEditorStays)
{
    load(file("a.ncd", "%\r\n"));
    programSettings().SimulatorPath = "/nonexistent/Pelmora.exe";
    form.RunNcExecute();
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_NE(prompts.asked[0].indexOf("/nonexistent/Pelmora.exe"), -1);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(DocumentTest, LineEndsOfOneStyleSurviveOpenAndSaveByteForByte)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"LF", "G01X1.\nY2.\n\n(\x83\x65\x83X\x83g)"},
        {"CR", "G01X1.\rY2.\r\r"},
        {"CR LF", "G01X1.\r\nY2.\r\n"},
        {"% LF", "%\nG01X1.\n\nM30\n"},
        {"% CR LF", "%\r\nG01X1.\r\n"},
    };
    for (const Case& c : cases) {
        const QString path = file("ends.ncd", c.bytes);
        load(path);
        EXPECT_EQ(form.findChild<QLabel*>("StatusNote")->text(), "") << c.name;
        form.editor().setModified(true);
        form.Saveas1Click();
        EXPECT_EQ(fileBytes(path), c.bytes) << c.name;
    }
}

TEST_F(DocumentTest, MixedLineEndsAreNotedOnceAndSavedAsCrLf)
{
    const QString path = file("mixed.ncd", "%\nG01X1.\r\nY2.\n");
    form.StartOpen(path);
    ASSERT_TRUE(waitFor([&] { return !form.Busy && form.editor().length() > 0; }));
    auto* note = form.findChild<QLabel*>("StatusNote");
    EXPECT_EQ(note->text(), "改行コードが混在しています（保存すると CR LF にそろえます）");
    form.editor().setModified(true);
    form.Saveas1Click();
    EXPECT_EQ(fileBytes(path), "%\r\nG01X1.\r\nY2.\r\n");
    EXPECT_EQ(note->text(), "");
    load(file("plain.ncd", "%\nX1.\n"));
    form.New1Click();
    type("X1.\r\nX2.\r\n");
    const QString fresh = dir.filePath("fresh.ncd");
    prompts.fileNames = {fresh};
    form.Saveas1Click();
    EXPECT_EQ(fileBytes(fresh), "X1.\r\nX2.\r\n") << "a new text is written with CR LF";
}

namespace {

const std::string kMark(kByteOrderMark);

// A file as it comes, what the editor shows, the bytes a save writes (empty: the same) and the
// encoding named in the status bar.
struct EncodedFile {
    const char* name;
    std::string bytes, text, saved;
    const char* encoding;
};

const EncodedFile kEncodedFiles[] = {
    {"Shift-JIS", "%\r\n(\x8d\x48\x8b\xef T1)\r\n", "%\r\n(工具 T1)\r\n", "", "Shift-JIS"},
    {"UTF-8", "%\r\n(工具 T1 ボールエンドミル)\r\n", "%\r\n(工具 T1 ボールエンドミル)\r\n", "", "UTF-8"},
    {"UTF-8 with a mark", kMark + "%\r\n(工具)\r\nG01\r\n", "%\r\n(工具)\r\nG01\r\n", "", "UTF-8"},
    {"ASCII", "G01X1.\nM30\n", "G01X1.\r\nM30\r\n", "", "Shift-JIS"},
    {"Shift-JIS, bytes that are no text", std::string("%\r\n(\x8d\x48)\x80\xff\0\r\n", 12), "", "", "Shift-JIS"},
    {"UTF-8 with a mark, bytes that are no text", kMark + "%\r\n(工具)\xc0\xaf\xef\x9c\x80\r\n", "", "", "UTF-8"},
    {"UTF-8 with a stray byte, no mark", "(工具)\x80\r\n", "", "", "Shift-JIS"},
    {"UTF-8, a CR that is text", "%\r\n(工具)\rX\r\n", "", "", "UTF-8"},
    {"UTF-8, mixed line ends", kMark + "G01\r\n(工具)\nM30\r", "G01\r\n(工具)\r\nM30\r\n",
     kMark + "G01\r\n(工具)\r\nM30\r\n", "UTF-8"},
};

}  // namespace

TEST_F(DocumentTest, EveryKindOfFileIsWrittenAsItCameByTheEditorAndTheCli)
{
    auto* encoding = form.findChild<QLabel*>("StatusEncoding");
    for (const EncodedFile& c : kEncodedFiles) {
        const QString path = file("e.ncd", c.bytes);
        const std::string saved = c.saved.empty() ? c.bytes : c.saved;
        const CliRun cat = runZorvanCli({"cat", path.toStdString()});
        EXPECT_TRUE(cat.out == saved) << c.name << " by the CLI";
        load(path);
        if (!c.text.empty()) {
            EXPECT_EQ(form.editor().text(), c.text) << c.name;
        }
        EXPECT_EQ(encoding->text(), c.encoding) << c.name;
        form.editor().setModified(true);
        form.Saveas1Click();
        EXPECT_TRUE(fileBytes(path) == saved) << c.name << " by the editor";
    }
}

TEST_F(DocumentTest, AFileIsReopenedAndSavedInTheEncodingChosen)
{
    auto* encoding = form.findChild<QLabel*>("StatusEncoding");
    const QString path = file("u.ncd", "%\r\n(工具)\r\n");
    load(path);
    form.action("ReopenInShiftJis")->trigger();
    ASSERT_TRUE(waitFor([&] { return !form.Busy && encoding->text() == "Shift-JIS"; }));
    EXPECT_EQ(form.editor().text(), readDocument("%\r\n(工具)\r\n", Encoding::ShiftJis));

    type("X");
    prompts.answers = {QMessageBox::Cancel};
    form.action("ReopenInUtf8")->trigger();
    EXPECT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(encoding->text(), "Shift-JIS");
    prompts.answers = {QMessageBox::No};
    form.action("ReopenInUtf8")->trigger();
    ASSERT_TRUE(waitFor([&] { return !form.Busy && encoding->text() == "UTF-8"; }));
    EXPECT_EQ(form.editor().text(), "%\r\n(工具)\r\n");

    const QString sjis = dir.filePath("s.ncd"), marked = dir.filePath("m.ncd");
    prompts.fileNames = {sjis};
    form.action("SaveInShiftJis")->trigger();
    EXPECT_EQ(fileBytes(sjis), "%\r\n(\x8d\x48\x8b\xef)\r\n");
    EXPECT_EQ(encoding->text(), "Shift-JIS");
    prompts.fileNames = {marked};
    form.action("SaveInUtf8WithMark")->trigger();
    type("N");
    form.Saveas1Click();
    EXPECT_EQ(fileBytes(marked), kMark + "N%\r\n(工具)\r\n");
    EXPECT_EQ(form.DocPath, marked);
    EXPECT_EQ(encoding->text(), "UTF-8");
}

TEST_F(DocumentTest, ACharacterShiftJisCannotHoldRefusesTheSaveNamingItsLine)
{
    const std::string bytes = "%\r\nG01\r\n(한)\r\n";
    const QString path = file("u.ncd", bytes);
    load(path);
    prompts.fileNames = {path};
    form.action("SaveInShiftJis")->trigger();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("2行")) << prompts.errors[0].toStdString();
    EXPECT_EQ(fileBytes(path), bytes);
    EXPECT_EQ(form.findChild<QLabel*>("StatusEncoding")->text(), "UTF-8");
}
