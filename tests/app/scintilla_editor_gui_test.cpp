#include "app/ui/scintilla_editor.h"
#include "app/editor_contract.h"

#include <Qsci/qsciscintilla.h>

#include <QCoreApplication>
#include <QTest>

namespace {

// Owns the widget next to the editor that wraps it.
class OwnedScintillaEditor : public zorvan::ScintillaEditor {
public:
    explicit OwnedScintillaEditor(std::unique_ptr<QsciScintilla> widget)
        : ScintillaEditor(widget.get()), owned_(std::move(widget))
    {
    }
    ~OwnedScintillaEditor() override { disconnect(); }

private:
    std::unique_ptr<QsciScintilla> owned_;
};

struct ScintillaFactory {
    std::unique_ptr<zorvan::TextEditor> make(std::string_view text)
    {
        auto editor = std::make_unique<OwnedScintillaEditor>(std::make_unique<QsciScintilla>());
        editor->setText(text);
        return editor;
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Scintilla, EditorContract, ScintillaFactory);

TEST(ScintillaEditor, TheWidgetsOwnUndoTakesBackTheChangesOfThisClassToo)
{
    // Ctrl+Z in the widget goes to its own undo; the colours come back once it is done.
    QsciScintilla widget;
    zorvan::ScintillaEditor e(&widget);
    e.setText("X1\r\nN2");
    e.setColour(0, 2, zorvan::TextColour::Red);
    e.setModified(false);
    e.replaceLine(0, "X2");
    e.replaceLinesText(0, 2, "Y1\r\nY2");
    widget.undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(e.text(), "X2\r\nN2");
    widget.undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(e.text(), "X1\r\nN2");
    EXPECT_EQ(e.colourAt(1), zorvan::TextColour::Red);
    EXPECT_FALSE(e.isModified());
    widget.redo();
    widget.redo();
    QCoreApplication::processEvents();
    EXPECT_EQ(e.text(), "Y1\r\nY2");
}

TEST(ScintillaEditor, TypedTextAndACommandAreStepsOfOneHistoryUnderTheUndoKeys)
{
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key undoKey{Qt::Key_Z, Qt::ControlModifier};
    const Key redoKeys[] = {{Qt::Key_Y, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}};
    for (const Key& redoKey : redoKeys) {
        QsciScintilla widget;
        zorvan::ScintillaEditor e(&widget);
        e.setText("N1\r\nN2\r\n");
        e.setModified(false);
        auto press = [&](const Key& k) {
            QTest::keyClick(&widget, k.key, k.modifiers);
            QCoreApplication::processEvents();
        };
        e.setCaret(2);
        QTest::keyClicks(&widget, "X5");  // typed before
        const std::string typed = e.text();
        e.replaceLinesText(0, e.lineCount(), "G01\r\nG02\r\n");  // a whole-text command
        e.setCaret(3);
        QTest::keyClicks(&widget, "Y7");  // typed after
        const std::string after = e.text();
        ASSERT_EQ(after, "G01Y7\r\nG02\r\n");
        const std::string expected[] = {"G01\r\nG02\r\n", typed, "N1\r\nN2\r\n"};
        for (const std::string& text : expected) {
            press(undoKey);
            EXPECT_EQ(e.text(), text);
        }
        EXPECT_FALSE(e.isModified());
        EXPECT_FALSE(e.canUndo());
        for (int i = 0; i < 3; ++i)
            press(redoKey);
        EXPECT_EQ(e.text(), after);
        EXPECT_TRUE(e.isModified());
    }
}
