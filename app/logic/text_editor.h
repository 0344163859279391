// The editor operations every command works through.
//
// Text is UTF-8 with CR LF line breaks. Positions and lengths count characters (Unicode code
// points), and each line break counts two, so a position means the same thing whatever the
// characters around it are. Lines are counted from 0; `line()` returns a line without its
// break. An empty last line after a final line break does not count as a line, so "A\r\nB\r\n"
// has two lines and the empty text none.
//
// Two implementations exist: MemoryEditor (plain C++, for the tests and the command-line tool)
// and ScintillaEditor (over the QScintilla widget). Both pass one contract suite.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// A character's text colour. Default is the editor's own text colour.
enum class TextColour : std::uint8_t { Default = 0, Red = 1, Blue = 2, Green = 3 };

class TextEditor {
public:
    virtual ~TextEditor() = default;

    // Characters [start, start + length) in one colour.
    struct ColourRun {
        long start;
        long length;
        TextColour colour;
    };

    // Whole text.
    virtual std::string text() const = 0;
    // Replaces the whole text; colours reset to default, undo history cleared, caret at 0.
    // Raises the change notification and sets the modified flag like any other change.
    virtual void setText(std::string_view utf8) = 0;
    // Number of characters (line breaks count two).
    virtual long length() const = 0;
    // Characters [start, start + length) as UTF-8.
    virtual std::string textRange(long start, long length) const = 0;
    // The same without a copy where the editor holds the text in one piece: the view may point
    // into the editor (valid until its next change) or into `buffer`.
    virtual std::string_view textView(long start, long length, std::string& buffer) const
    {
        buffer = textRange(start, length);
        return buffer;
    }

    // Selection [start, start + length); with length 0 it is the caret.
    virtual long selectionStart() const = 0;
    virtual long selectionLength() const = 0;
    virtual void setSelection(long start, long length) = 0;
    long caret() const { return selectionStart(); }
    void setCaret(long pos) { setSelection(pos, 0); }
    // Replaces the selection; the change cannot be undone (the undo history is cleared). The
    // caret ends after the inserted text.
    virtual void replaceSelection(std::string_view utf8) = 0;

    // Case-sensitive search for `what` in [from, to); the position of the first match that lies
    // wholly inside the range, or -1.
    virtual long find(std::string_view what, long from, long to) const = 0;

    // Lines.
    virtual int lineCount() const = 0;
    virtual std::string line(int index) const = 0;
    // Line holding `pos`; a position on a line break belongs to the line it ends.
    virtual int lineFromPosition(long pos) const = 0;
    // First character of line `index`; for index == lineCount() the position after the last
    // line break.
    virtual long positionFromLine(int index) const = 0;
    // Replaces lines [first, first + count) with new lines in one edit, not undoable. The new
    // lines come as one text in which every line ends with CR LF ("" for none). Replacing through
    // the last line leaves no break after the new last line; adding after the last line
    // (first == lineCount() without a final break) puts one before the new lines. Selection
    // offsets are kept where they still lie in the text.
    virtual void replaceLinesText(int first, int count, std::string_view linesWithBreaks) = 0;
    // The same, handing the buffer over to an editor that can keep it instead of a copy.
    virtual void adoptLinesText(int first, int count, std::string&& linesWithBreaks)
    {
        replaceLinesText(first, count, std::string_view(linesWithBreaks));
    }
    // New lines for a range given piece by piece, so an editor may take in one piece while the
    // next is still being made. Each piece holds whole lines, each ending with CR LF. The source
    // yields the next piece into its argument, and false when there are no more; it may throw,
    // and it may read the editor's text as it was: the editor changes nothing before it is done.
    using LinesPieceSource = std::function<bool(std::string&)>;
    // The colour runs of some new lines (positions counted from the text's first character). It
    // touches no editor, so an editor may call it on another thread.
    using LinesColouring = std::function<std::vector<ColourRun>(std::string_view linesWithBreaks)>;
    // Replaces lines [first, first + count) as replaceLinesText does with the pieces' text, then
    // colours the new lines by `colouring` if it is given. If `next` throws, the text, colours
    // and selection stay as they were and the exception passes on.
    virtual void replaceLinesFromPieces(int first, int count, const LinesPieceSource& next,
                                        const LinesColouring& colouring);
    // The same with the new lines given one by one, each without its break.
    void replaceLines(int first, int count, const std::vector<std::string>& lines);
    void replaceLine(int index, std::string_view text);

    // View.
    virtual int firstVisibleLine() const = 0;
    virtual void scrollCaretIntoView() = 0;

    // Colour of characters.
    virtual TextColour colourAt(long pos) const = 0;
    virtual void setColour(long start, long length, TextColour colour) = 0;
    // Many colour changes at once (runs in ascending order); implementations may batch them.
    virtual void setColours(const std::vector<ColourRun>& runs)
    {
        for (const auto& run : runs)
            setColour(run.start, run.length, run.colour);
    }

    // Resets [start, start + length) to the default colour and applies the runs inside it, at
    // once; implementations may style the whole range in one call.
    virtual void recolourRange(long start, long length, const std::vector<ColourRun>& runs)
    {
        setColour(start, length, TextColour::Default);
        setColours(runs);
    }

    // Modified flag: set by every change of the text, cleared only by setModified(false).
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;

    // Change notification: called after every change of the text (not for colour changes).
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }
    // While suspended no change notification is raised.
    void setNotificationsSuspended(bool suspended) { notificationsSuspended_ = suspended; }
    bool notificationsSuspended() const { return notificationsSuspended_; }

protected:
    void notifyChanged()
    {
        if (changeHandler_ && !notificationsSuspended_)
            changeHandler_();
    }

private:
    std::function<void()> changeHandler_;
    bool notificationsSuspended_ = false;
};

// Switches the editor's change notification off for the lifetime of the object.
class QuietEditor {
public:
    explicit QuietEditor(TextEditor& editor) : editor_(editor), was_(editor.notificationsSuspended())
    {
        editor_.setNotificationsSuspended(true);
    }
    ~QuietEditor() { editor_.setNotificationsSuspended(was_); }
    QuietEditor(const QuietEditor&) = delete;
    QuietEditor& operator=(const QuietEditor&) = delete;

private:
    TextEditor& editor_;
    bool was_;
};

// Length of the leading run of ASCII bytes (below 0x80), checked eight bytes at a time.
std::size_t asciiPrefix(std::string_view text);
// Counts the code points of UTF-8 text (bytes that do not start a code point are not counted).
long countCharacters(std::string_view utf8);

// The span of lines [first, last] without the break after the last line: where a command's
// line range starts and how many characters it covers.
struct LineSpan {
    long start = 0;
    long length = 0;
};
LineSpan lineSpan(const TextEditor& editor, int first, int last);
// Byte offset of character `chars` in `utf8` (clamped to the end).
std::size_t byteOffsetOfCharacter(std::string_view utf8, long chars);

}  // namespace zorvan
