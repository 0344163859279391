// The program check in the main window, offscreen: a fault typed in shows its finding (list,
// underline, status count) after the pause, fixing it removes it; a click on a row and F9 move the
// caret; "チェック設定" switches a rule off and keeps that in the settings.
#include "app/ui/textform.h"
#include "check/ui/check_settings_dialog.h"
#include "support/modal_dialog.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
}

const char* const kProgram =
    "%\r\n"                  // 0
    "O1\r\n"                 // 1
    "M03S1000\r\n"           // 2
    "G90G00X0Y0Z5.\r\n"      // 3
    "G01Z-1.F100\r\n"        // 4
    "M30\r\n"                // 5
    "%\r\n";                 // 6

struct Window {
    bool forgotten = [] {
        store().remove("check");
        return true;
    }();
    TFormText form;
    QListWidget* list = nullptr;
    QLabel* count = nullptr;

    Window()
    {
        form.show();
        form.action("CheckToggle")->setChecked(true);
        list = form.findChild<QListWidget*>("CheckFindings");
        count = form.findChild<QLabel*>("CheckCount");
        form.editor().setText(kProgram);
    }
    // The rows of the list once the count reads `counted`.
    QStringList rowsWhen(const QString& counted)
    {
        EXPECT_TRUE(waitFor([&] { return count && count->text() == counted && !list->isHidden(); }, 20000))
            << (count ? count->text().toStdString() : "no count");
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows;
    }
    int caretLine() { return form.editor().lineFromPosition(form.editor().caret()); }
};

TEST(CheckWindow, ATypedFaultIsShownAfterThePauseAndGoesWhenFixed)
{
    Window w;
    ASSERT_NE(w.list, nullptr);
    ASSERT_NE(w.count, nullptr);
    EXPECT_TRUE(w.rowsWhen("チェック: 問題なし").isEmpty());

    // Type an arc whose radius is too short for its chord before "M30".
    w.form.editor().setCaret(w.form.editor().positionFromLine(5));
    QTest::keyClicks(w.form.view(), "G02X10.Y0R4.");
    QTest::keyClick(w.form.view(), Qt::Key_Return);
    const QStringList rows = w.rowsWhen("エラー 1 / 警告 0");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows[0].startsWith("5 行  エラー  G02 R4 ")) << rows[0].toStdString();
    EXPECT_TRUE(rows[0].endsWith("[arc-radius-short]")) << rows[0].toStdString();
    QsciScintilla* view = w.form.view();
    const long lineStart = w.form.editor().positionFromLine(5);
    EXPECT_NE(view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 20, lineStart + 2), 0);
    EXPECT_EQ(view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 20, w.form.editor().positionFromLine(4) + 2), 0);

    // Resting the mouse on the line shows its message.
    emit view->SCN_DWELLSTART(static_cast<int>(lineStart + 2), 10, 10);
    EXPECT_TRUE(waitFor([] { return QToolTip::text().endsWith("[arc-radius-short]"); }, 2000)) << QToolTip::text().toStdString();
    emit view->SCN_DWELLEND(static_cast<int>(lineStart + 2), 10, 10);

    // A click on the row puts the caret on its line; F9 and Shift+F9 come back to it.
    w.form.editor().setCaret(0);
    const QRect rect = w.list->visualItemRect(w.list->item(0));
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(w.caretLine(), 5);
    w.form.editor().setCaret(0);
    w.form.action("CheckNext")->trigger();
    EXPECT_EQ(w.caretLine(), 5);
    w.form.editor().setCaret(w.form.editor().positionFromLine(7));
    w.form.action("CheckPrevious")->trigger();
    EXPECT_EQ(w.caretLine(), 5);
    EXPECT_EQ(w.form.action("CheckNext")->shortcut(), QKeySequence("F9"));
    EXPECT_EQ(w.form.action("CheckPrevious")->shortcut(), QKeySequence("Shift+F9"));

    // Undo takes the typed line away: the finding and its underline go.
    while (w.form.editor().canUndo() && w.form.editor().text() != kProgram)
        w.form.editor().undo();
    EXPECT_TRUE(w.rowsWhen("チェック: 問題なし").isEmpty());
    EXPECT_EQ(view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 20, w.form.editor().positionFromLine(5) + 1), 0);
}

TEST(CheckWindow, TheSettingsDialogSwitchesARuleOffAndKeepsIt)
{
    Window w;
    w.form.editor().setText("G90G00X0Y0Z5.\r\nM03\r\nG01Z-1.\r\nM30\r\n");
    EXPECT_EQ(w.rowsWhen("エラー 1 / 警告 0").value(0).endsWith("[no-feed]"), true);

    auto* dialog = w.form.findChild<check::CheckSettingsDialog*>("CheckSettingsDialog");
    runModalDialog(
        dialog, [&] { w.form.action("CheckSettings")->trigger(); },
        [&] {
            EXPECT_EQ(dialog->windowTitle(), "チェック設定");
            for (int i = 0; i < dialog->rules->count(); ++i)
                if (dialog->rules->item(i)->text().endsWith("[no-feed]"))
                    dialog->rules->item(i)->setCheckState(Qt::Unchecked);
            dialog->accept();
        });
    EXPECT_TRUE(w.rowsWhen("チェック: 問題なし").isEmpty());
    EXPECT_EQ(store().value("check/Off").toString(), "no-feed");

    // A travel that cannot be read keeps the dialog open and says so.
    runModalDialog(
        dialog, [&] { w.form.action("CheckSettings")->trigger(); },
        [&] {
            dialog->travel->setText("0:10");
            dialog->accept();
            EXPECT_TRUE(dialog->isVisible());
            dialog->reject();
        });
    EXPECT_EQ(store().value("check/Travel").toString(), "");
}

}  // namespace
