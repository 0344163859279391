#include "app/ui/scintilla_editor.h"
#include "app/editor_contract.h"

#include <Qsci/qsciscintilla.h>

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

TEST(ScintillaEditor, ChangesByThisClassCannotBeUndone)
{
    QsciScintilla widget;
    zorvan::ScintillaEditor e(&widget);
    e.setText("X1");
    e.replaceLine(0, "X2");
    EXPECT_FALSE(widget.isUndoAvailable());
    widget.undo();
    EXPECT_EQ(e.text(), "X2");
}
