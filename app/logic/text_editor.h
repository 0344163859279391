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
//
// Undo. Every change of the text made through this interface is one undo step by itself:
// replaceSelection, replaceLinesText, adoptLinesText, replaceLinesFromPieces (and so replaceLines
// and replaceLine) and replaceText. A command whose change is one such call is therefore
// undoable as one step without doing anything more. A command that makes several calls holds an
// UndoStep for their duration, which joins them into one step (and takes them all back if the
// command throws before it is done). undo() brings back the text, the colours and the selection
// as they were before the step, redo() those after it; the steps of typing in the window are
// steps of the same history, in order. A change that throws before it is done (a failing piece
// source) leaves no step. setText is a load, not a command: it forgets the history.
//
// Change notices. Every change of the text tells the change handler once, after it is done, what
// changed (TextChange): typing, each command, a load, undo and redo. The changes made under one
// UndoStep are told once, when it ends. The widget's typing is told once control is back in the
// event loop, an edit made through this interface at once.
//
// Modified flag and save point (kept by EditHistory, which both implementations share): only a
// load or a save calls setModified(false), which makes the current state the save point. Undo
// and redo that come back to it clear the flag; every other change sets it. A load (setText),
// clearing the history away from the save point, dropping the steps that led to it, and
// setModified(true) put the save point out of reach: the text then reads modified until the next
// save. A replacement that leaves the text as it was is no change: no step, no notice, no flag.
//
// The history is bounded: the whole texts its steps keep are at most four times the current text
// (and at least the floor, kHistoryFloorBytes unless set); the oldest go first, from one
// whole-text rewrite to the next, and the handler set by setStepsDroppedHandler is told.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// A character's text colour. Default is the editor's own text colour.
enum class TextColour : std::uint8_t { Default = 0, Red = 1, Blue = 2, Green = 3 };

// What one change of the text touched.
struct TextChange {
    // Lines [firstLine, lastLine] of the text after the change hold everything it changed (the
    // empty line after a final break counts as a line here). Not given for the whole text.
    int firstLine = 0;
    int lastLine = 0;
    // The whole text was replaced (a load, "new", a command that rewrote every line, their undo).
    bool wholeText = false;
    // A new document (a load or "new"): its maker colours it, and nothing of the old text stays.
    bool load = false;
    // The change came with its colours (a command that colours the lines it writes, undo and
    // redo of a command): the caret line needs no recolouring for it.
    bool coloured = false;
};

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
    // Replaces the whole text (a load); colours reset to default, undo history cleared, caret at
    // 0. Raises the change notification (a load); the text reads modified until the loader or a
    // save calls setModified(false).
    virtual void setText(std::string_view utf8) = 0;
    // The same with the text handed over piece by piece, so that a big file is not held twice:
    // `fill` calls the sink it is given with each piece in order. `sizeHint`: the bytes expected.
    using LoadSink = std::function<void(std::string_view utf8)>;
    virtual void loadText(const std::function<void(const LoadSink&)>& fill, std::size_t sizeHint = 0);
    // A load whose colours were worked out with it: the text in pieces (in order), each with the
    // colour runs of its characters, counted from the piece's first character. The same as
    // loadText of the pieces' text and then setColours of all the runs.
    struct ColouredPiece {
        std::string text;
        std::vector<ColourRun> runs;
    };
    virtual void loadColouredPieces(std::vector<ColouredPiece> pieces);
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
    // Replaces the selection, as one undo step. The caret ends after the inserted text.
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
    // Replaces lines [first, first + count) with new lines in one edit, one undo step. The new
    // lines come as one text in which every line ends with CR LF ("" for none; a missing break
    // after the last new line reads as if it were there). Replacing through
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
    // Adds new lines before line `first` (lineCount(): after the last line) as
    // replaceLinesFromPieces(first, 0, next, {}) does, and colours the whole text by `colouring`
    // over the colours it had (the new lines from the default colour), in the same step.
    virtual void insertLinesColouringAll(int first, const LinesPieceSource& next, const LinesColouring& colouring);
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

    // Replaces the whole text as a command does, one undo step (unlike setText). The caret ends
    // after the text.
    void replaceText(std::string_view utf8);

    // Modified flag: set by every change of the text; setModified(false) (a load or a save, never
    // a command) clears it and makes the current state the save point, which undo and redo
    // follow; setModified(true) puts the save point out of reach.
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;

    // Undo history (see the top of this file).
    virtual bool canUndo() const = 0;
    virtual bool canRedo() const = 0;
    // Each takes back or makes again one step; with nothing to undo or redo they do nothing. A
    // step made through this interface brings its colours back itself (its change notice says
    // so); one of typing in the window is told as the typing was.
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual void clearUndoHistory() = 0;
    // Told when old steps were dropped to keep the history within its bound.
    void setStepsDroppedHandler(std::function<void()> handler) { stepsDropped_ = std::move(handler); }
    static constexpr std::size_t kHistoryFloorBytes = 1 << 20;
    // The least the bound keeps (tests make it small, to reach it with small texts).
    void setHistoryFloor(std::size_t bytes) { historyFloor_ = bytes; }

    // Change notification: called once after every change of the text (not for colour changes).
    using ChangeHandler = std::function<void(const TextChange&)>;
    void setChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }
    // While set, the changes made are told as coloured by their maker (TextChange::coloured).
    void setChangesColoured(bool coloured) { changesColoured_ = coloured; }
    bool changesColoured() const { return changesColoured_; }

protected:
    // Notes a change about to be made or just made: `firstRawLine` is its first line, and the
    // `rawLinesAfter` lines at the end of the text lie wholly after it (the change leaves them).
    void noteChangedLines(int firstRawLine, int rawLinesAfter);
    // Notes a change of the whole text; `load` for a new document.
    void noteWholeText(bool load = false);
    bool wholeTextNoted() const { return pending_.wholeText; }
    // Tells the handler the changes noted since the last notice, unless an UndoStep holds it back
    // (then they are told when it ends). `coloured`: the change came with its colours.
    void notifyChanged(bool coloured = false);
    // Lines as the notices count them: the empty line after a final break included.
    virtual int rawLineCount() const = 0;
    void notifyStepsDropped()
    {
        if (stepsDropped_)
            stepsDropped_();
    }
    // The bound on the bytes of text the history keeps.
    std::size_t historyBound(std::size_t currentBytes) const
    {
        return std::max<std::size_t>(4 * currentBytes, historyFloor_);
    }

    // Used by UndoStep: joins the changes up to the matching end into one step. endUndoGroup with
    // `keep` false takes the group's changes back and leaves no step. Groups may nest; only the
    // outermost counts.
    virtual void beginUndoGroup() = 0;
    virtual void endUndoGroup(bool keep) = 0;
    friend class UndoStep;

private:
    void holdNotices() { ++noticesHeld_; }
    void releaseNotices();

    ChangeHandler changeHandler_;
    std::function<void()> stepsDropped_;
    std::size_t historyFloor_ = kHistoryFloorBytes;
    bool changesColoured_ = false;
    int noticesHeld_ = 0;
    // The notice being gathered: lines as the notes give them, the last one counted from the end.
    bool noted_ = false, pendingColouredSet_ = false;
    int pendingRawLinesAfter_ = 0;
    TextChange pending_;
};

// For the lifetime of the object the changes made to the editor are told as coloured by their
// maker: the caret-line colouring leaves them alone, while the preview still follows them.
class QuietEditor {
public:
    explicit QuietEditor(TextEditor& editor) : editor_(editor), was_(editor.changesColoured())
    {
        editor_.setChangesColoured(true);
    }
    ~QuietEditor() { editor_.setChangesColoured(was_); }
    QuietEditor(const QuietEditor&) = delete;
    QuietEditor& operator=(const QuietEditor&) = delete;

private:
    TextEditor& editor_;
    bool was_;
};

// Joins every change made to the editor during its lifetime into one undo step. If it ends by an
// exception, the changes are taken back and no step is left.
class UndoStep {
public:
    explicit UndoStep(TextEditor& editor) : editor_(editor), exceptions_(std::uncaught_exceptions())
    {
        editor_.holdNotices();
        editor_.beginUndoGroup();
    }
    ~UndoStep()
    {
        editor_.endUndoGroup(std::uncaught_exceptions() <= exceptions_);
        editor_.releaseNotices();
    }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

private:
    TextEditor& editor_;
    int exceptions_;
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
