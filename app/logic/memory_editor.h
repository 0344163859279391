// In-memory editor. Line texts live in a few large blocks that never move, and each line is a
// view into them, so taking a whole text costs one scan for its line breaks and no allocation
// per line; a rewritten line is appended to the newest block (the old bytes become garbage,
// dropped when they outgrow the live text). A Fenwick tree over the line lengths makes reading,
// writing and locating a line O(log n), so rewriting every line of a long text is linear.
//
// Its undo history (the order of the steps and the save point in EditHistory) keeps, for each
// change, the text and colours of the raw lines it replaced (a whole-text rewrite hands its old
// block over to the history without a copy); undo and redo swap them with the lines there now.
#pragma once

#include "app/logic/edit_history.h"
#include "app/logic/text_editor.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace zorvan {

class MemoryEditor : public TextEditor {
public:
    MemoryEditor();
    explicit MemoryEditor(std::string_view utf8);
    explicit MemoryEditor(std::string&& utf8);
    explicit MemoryEditor(const char* utf8) : MemoryEditor(std::string_view(utf8)) {}

    std::string text() const override;
    // Hands the whole text over, without a copy where it lies in one piece, and leaves the
    // editor empty.
    std::string takeText();
    void setText(std::string_view utf8) override;
    long length() const override;
    std::string textRange(long start, long length) const override;
    // A view into the editor while its text lies in one piece (after a load or a rewrite of all
    // lines), else a copy.
    std::string_view textView(long start, long length, std::string& buffer) const override;

    long selectionStart() const override { return selStart_; }
    long selectionLength() const override { return selLength_; }
    void setSelection(long start, long length) override;
    void replaceSelection(std::string_view utf8) override;

    long find(std::string_view what, long from, long to) const override;

    int lineCount() const override;
    std::string line(int index) const override;
    int lineFromPosition(long pos) const override;
    long positionFromLine(int index) const override;
    void replaceLinesText(int first, int count, std::string_view linesWithBreaks) override;
    void adoptLinesText(int first, int count, std::string&& linesWithBreaks) override;

    int firstVisibleLine() const override { return firstVisible_; }
    void scrollCaretIntoView() override;
    // The number of lines a window of this editor shows (for firstVisibleLine).
    void setVisibleLineCount(int lines) { visibleLines_ = lines; }

    TextColour colourAt(long pos) const override;
    // The colours of line `index` in one step, one per character (its break excluded): null when
    // every character of the line has the default colour. `characters` receives their number.
    const TextColour* lineColours(int index, long& characters) const;
    void setColour(long start, long length, TextColour colour) override;

    bool isModified() const override { return !history_.atSavePoint(); }
    void setModified(bool modified) override;

    bool canUndo() const override { return history_.hasDone(); }
    bool canRedo() const override { return history_.hasUndone(); }
    void undo() override;
    void redo() override;
    void clearUndoHistory() override;
    // Without a history (the command-line tool, which never undoes) no change keeps its old text.
    void setHistoryKept(bool kept);
    // Bytes of text the history holds.
    std::size_t historyBytes() const { return historyBytes_; }

protected:
    int rawLineCount() const override { return static_cast<int>(lines_.size()); }
    void beginUndoGroup() override;
    void endUndoGroup(bool keep) override;

private:
    // A raw line is the text between two line breaks; every raw line but the last is followed
    // by CR LF (two positions). The last raw line may be empty.
    // 24 bytes, as a long text has a million of them.
    struct Line {
        const char* data = nullptr;
        std::uint32_t bytes = 0;
        std::uint32_t chars = 0;
        // Null: all default; else chars + 2 entries, one per position including the break.
        std::unique_ptr<TextColour[]> colours;
        std::string_view text() const { return {data, bytes}; }
        TextColour* paint();  // the colours, made when missing
    };

    // Copies `text` into the blocks; the pointer stays valid until the next compaction.
    const char* store(std::string_view text);
    Line makeLine(std::string_view storedText) const;
    // Splits stored text at CR LF into lines, appended to `lines`.
    void splitStored(std::string_view storedText, std::vector<Line>& lines) const;
    std::vector<Line> splitStored(std::string_view storedText) const;
    void adopt(std::string&& text);
    void compactIfWasteful();

    long rawLength(std::size_t index) const;  // positions of raw line incl. its break
    void rebuildIndex();
    void addToIndex(std::size_t index, long delta);
    long prefix(std::size_t count) const;  // positions before raw line `count`
    std::pair<std::size_t, long> locate(long pos) const;  // raw line and column of a position
    void replaceRange(long start, long end, std::string_view utf8);
    void replaceRawLines(std::size_t first, std::size_t count, std::vector<Line>&& fresh);
    // adoptLinesText() when all but a few lines are replaced: the whole text made anew in one
    // piece. False when that does not apply.
    bool adoptAroundKeptLines(int first, int count, std::string& linesWithBreaks);
    // Whether replacing raw lines [first, first + count) by `linesWithBreaks` would leave the
    // text as it is.
    bool sameLines(int first, int count, std::string_view linesWithBreaks) const;
    // find() over the lines when the text does not lie in one piece.
    long findInLines(std::string_view what, long from, long to) const;

    // One change of a step: raw lines [first, first + count) as they are now stand where the
    // raw lines of `text` (joined by CR LF) with `colours` stood (or will stand) in the other state.
    struct Change {
        std::size_t first = 0;
        std::size_t count = 0;
        std::string text;
        bool noLines = false;  // the other state has no lines here (`text` is empty)
        std::vector<ColourRun> colours;  // from the first character of line `first`
    };
    struct Step {
        std::vector<Change> changes;
        long selStart[2] = {0, 0};   // before, after
        long selLength[2] = {0, 0};
    };
    // The text of raw lines [first, first + count) joined by CR LF; the whole text's block is
    // taken over when these are all the lines (the lines must be replaced right after).
    std::string rawLinesText(std::size_t first, std::size_t count, bool mayTakeBlock);
    std::vector<ColourRun> rawLinesColours(std::size_t first, std::size_t count) const;
    // Lines [first, first + count) as they stand, as a change that puts them back.
    Change linesAsChange(std::size_t first, std::size_t count, bool mayTakeBlock);
    // Records the raw lines [first, first + countBefore) about to be replaced; `wholeText`: they
    // are all the lines, replaced by new text.
    std::optional<Change> beginChange(std::size_t first, std::size_t countBefore, bool mayTakeBlock = false,
                                      bool wholeText = false);
    void endChange(std::optional<Change>&& change, std::size_t countAfter);
    // Puts `change` into the text and leaves in it what stood there.
    void swapChange(Change& change);
    void swapStep(Step& step, bool forward);
    void trimHistory();
    void setSelectionOf(const Step& step, int which);
    // Bytes of the whole text, breaks included.
    std::size_t textBytes() const { return liveBytes_ + 2 * (lines_.size() - 1); }

    // The order of the steps, the save point, groups and the bound; the changes of each step
    // are kept here by its id.
    EditHistory history_;
    std::map<EditHistory::StepId, Step> steps_;
    std::size_t historyBytes_ = 0;
    bool historyKept_ = true;
    long groupSelStart_ = 0, groupSelLength_ = 0;  // the selection when the group began

    std::vector<std::unique_ptr<std::string>> blocks_;
    std::size_t storedBytes_ = 0;  // bytes held by the blocks
    std::size_t liveBytes_ = 0;    // bytes of the lines, the rest of the blocks is garbage
    // Byte offset in the whole text of a position; only while the text lies in one piece.
    std::size_t wholeTextOffset(long pos) const;

    std::vector<Line> lines_;
    // The whole text, lines and breaks, where it lies in one piece in a block; else not known.
    std::string_view wholeText_;
    bool wholeTextKnown_ = false;
    std::vector<long> tree_;  // Fenwick tree over rawLength
    long selStart_ = 0;
    long selLength_ = 0;
    int firstVisible_ = 0;
    int visibleLines_ = 30;
};

}  // namespace zorvan
