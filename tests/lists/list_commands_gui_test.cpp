// The template, value set and macro commands from the main window, on the QScintilla editor.
#include "app/ui/textform.h"
#include "lists/logic/template_list.h"
#include "lists/ui/macrochangeform.h"
#include "lists/ui/suport.h"
#include "lists/ui/variablecahngeform.h"
#include "support/modal_dialog.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace zorvan;

namespace {

// The main window started in a fresh current directory, where the list files are looked for
// first.
class ListCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        before = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override
    {
        form.reset();
        QDir::setCurrent(before);
    }
    void start(const char* text)
    {
        form = std::make_unique<TFormText>();
        form->editor().setText(text);
        form->editor().setModified(false);
        form->UpdateStatus();
    }
    template <typename Dialog> Dialog* dialog(const char* name) { return form->findChild<Dialog*>(name); }

    // Runs `trigger`; `inDialog` runs once `dialog` is shown modally and must close it.
    void run(QDialog* dialog, const std::function<void()>& trigger, const std::function<void()>& inDialog)
    {
        runModalDialog(dialog, trigger, inDialog);
    }

    QString before;
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TFormText> form;
};

TEST_F(ListCommands, TheTemplateReplacesTheSelectionAndCtrlHOpensTheList)
{
    start("G00X10.0Y5.0");
    EXPECT_EQ(fileBytes(dir.filePath("function.list")), lists::defaultTemplateFileBytes());
    auto* suport = dialog<TSuportForm>("SuportForm");
    ASSERT_EQ(suport->ListBox1->count(), 7);  // the defaults, shown at the first start
    form->editor().setSelection(3, 5);
    run(suport, [&] { form->action("btnSuportInsertClick")->trigger(); }, [&] {
        suport->ListBox1->setCurrentRow(0);
        QTest::keyClick(suport->ListBox1, Qt::Key_Return);
    });
    EXPECT_EQ(form->editor().text(), "G00G81XYZRFY5.0");
    EXPECT_EQ(form->editor().caret(), 11);
    EXPECT_TRUE(form->editor().isModified());

    run(suport, [&] { QTest::keyClick(form->Memo1, Qt::Key_H, Qt::ControlModifier); },
        [&] { QTest::keyClick(suport->ListBox1, Qt::Key_Escape); });
    EXPECT_EQ(form->editor().text(), "G00G81XYZRFY5.0");
}

TEST_F(ListCommands, TheValueSetFillsThePlaceholders)
{
    writeFile(dir.filePath("Cange.list"), "1\r\nA\r\n9\r\n-10.0\r\n5.0\r\n200\r\n@\r\n@\r\n@\r\n@\r\n@\r\n@\r\n");
    start("G01X-$1Y$2F$3$4\r\n#1=$$1\r\n");
    auto* sets = dialog<TFormVarChange>("FormVarChange");
    run(sets, [&] { form->action("ToolButton26Click")->trigger(); }, [&] { sets->BitBtn1->click(); });
    EXPECT_EQ(form->editor().text(), "G01X10.0Y5.0F200\r\n#1=$$1\r\n");
    EXPECT_EQ(form->editor().caret(), 4);
    EXPECT_TRUE(form->editor().isModified());
}

TEST_F(ListCommands, CancelLeavesTheTextAlone)
{
    start("X$1\r\n");
    auto* sets = dialog<TFormVarChange>("FormVarChange");
    run(sets, [&] { form->action("ToolButton26Click")->trigger(); }, [&] { sets->BitBtn2->click(); });
    EXPECT_EQ(form->editor().text(), "X$1\r\n");
    EXPECT_FALSE(form->editor().isModified());
    EXPECT_EQ(fileBytes(dir.filePath("Cange.list")), "<missing>");
}

TEST_F(ListCommands, TheMacroTableChainsItsRows)
{
    writeFile(dir.filePath("MacCange.list"), "1\r\nT\r\n2\r\n#500 #600\r\n#600 #700\r\n");
    start("#500=1\r\n#501=#500+2\r\nX10.--Y5.");
    auto* macros = dialog<TFormMacroChenge>("FormMacroChenge");
    EXPECT_EQ(macros->windowTitle(), QStringLiteral("マック　笑顔  \\0"));
    run(macros, [&] { form->action("ToolButton27Click")->trigger(); }, [&] { macros->BitBtn1->click(); });
    EXPECT_EQ(form->editor().text(), "#700=1\r\n#501=#700+2\r\nX10.Y5.");
    EXPECT_EQ(form->editor().caret(), 25);
}

TEST_F(ListCommands, AnUnreadableTemplateFileIsShownAndTheListIsEmpty)
{
    ASSERT_TRUE(QFile::link("/proc/self/mem", dir.filePath("function.list")));
    start("");
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog<TSuportForm>("SuportForm")->ListBox1->count(), 0);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("function.list は開けません")) << prompts.errors[0].toStdString();
}

}  // namespace
