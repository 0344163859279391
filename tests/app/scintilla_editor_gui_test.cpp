#include "app/ui/scintilla_editor.h"
#include "app/editor_contract.h"

#include <Qsci/qsciscintilla.h>

#include <QCoreApplication>

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
