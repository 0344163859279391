// The editor operations over a QScintilla widget. The widget holds UTF-8 with CR LF breaks;
// positions given and returned here count characters, which Scintilla's UTF-32 line index turns
// into byte positions at O(log n) per conversion.
//
// The change notification of an edit made by this class comes at once; that of a change made in
// the widget itself (typing, paste, undo, drop) once control is back in the event loop.
#pragma once

#include "app/logic/text_editor.h"

#include <QObject>

class QsciScintilla;

namespace zorvan {

class ScintillaEditor : public QObject, public TextEditor {
    Q_OBJECT
public:
    // Prepares `widget` (UTF-8, CR LF, the colour styles) and follows its changes.
    explicit ScintillaEditor(QsciScintilla* widget);

    QsciScintilla* widget() const { return widget_; }

    std::string text() const override;
    void setText(std::string_view utf8) override;
    long length() const override;
    std::string textRange(long start, long length) const override;

    long selectionStart() const override;
    long selectionLength() const override;
    void setSelection(long start, long length) override;
    void replaceSelection(std::string_view utf8) override;

    long find(std::string_view what, long from, long to) const override;

    int lineCount() const override;
    std::string line(int index) const override;
    int lineFromPosition(long pos) const override;
    long positionFromLine(int index) const override;
    void replaceLinesText(int first, int count, std::string_view linesWithBreaks) override;
    std::string_view textView(long start, long length, std::string& buffer) const override;
    // A range that is the whole text, or all but a few lines of it, is built in a new document,
    // which takes the old one's place once every piece has come.
    void replaceLinesFromPieces(int first, int count, const LinesPieceSource& next,
                                const LinesColouring& colouring) override;

    int firstVisibleLine() const override;
    void scrollCaretIntoView() override;

    TextColour colourAt(long pos) const override;
    void setColour(long start, long length, TextColour colour) override;
    // Finds the byte positions of all runs in one walk through the text.
    void setColours(const std::vector<ColourRun>& runs) override;
    void recolourRange(long start, long length, const std::vector<ColourRun>& runs) override;

    bool isModified() const override { return modified_; }
    void setModified(bool modified) override;

    // Byte position in the widget for a character position, and back.
    long bytePosition(long pos) const;
    long characterPosition(long bytePos) const;

    // The Scintilla style number of each colour (0 is the default style).
    static int styleOf(TextColour colour) { return static_cast<int>(colour); }

private:
    // Calls fn(byteStart, byteEnd, colour) for the runs (adjacent runs of one colour merged).
    template <typename Fn> void forEachRunInBytes(const std::vector<ColourRun>& runs, Fn&& fn) const;
    // The document settings the commands rely on: UTF-8 and CR LF breaks. (Its character index
    // is made by the caller, which knows when it is cheapest.)
    void configureDocument();
    // Builds bytes [from, to) anew from the pieces in a new document, the bytes around them
    // carried over with their styles.
    void replaceTextFromPieces(long from, long to, bool throughEnd, const LinesPieceSource& next,
                               const LinesColouring& colouring);
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    // Runs an edit with undo collection off, then empties the undo history and raises one change
    // notification.
    template <typename Edit> void editWithoutUndo(Edit&& edit);
    void onModified(int modificationType);

    QsciScintilla* widget_;
    bool modified_ = false;
    int ownEdits_ = 0;  // > 0 while this class edits the text itself
    bool changePending_ = false;  // a change made in the widget awaits its notification
};

}  // namespace zorvan
