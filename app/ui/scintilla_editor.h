// The editor operations over a QScintilla widget. The widget holds UTF-8 with CR LF breaks;
// positions given and returned here count characters, which Scintilla's UTF-32 line index turns
// into byte positions at O(log n) per conversion.
//
// The change notification of an edit made by this class comes at once; that of a change made in
// the widget itself (typing, paste, undo, drop) once control is back in the event loop.
//
// Undo. The widget's own undo history holds typing and commands alike. A change of part of the
// text is recorded there as one undo action, framed by two markers of this class
// (SCI_ADDUNDOACTION) that bring back the colours and the selection of that part. A whole-text
// rewrite builds a new document and keeps the old one, as it is, as the step's other state: a
// marker at the bottom of the new document's history and one on top of the old one's swap the
// documents when they are undone or redone, so neither text is copied and the typing history of
// each document stays with it. The order of the steps, groups, the bound and the save point are
// kept by EditHistory, shared with MemoryEditor; this class keeps what each step needs to be
// taken back (its markers, colours, selections and documents).
#pragma once

#include "app/logic/edit_history.h"
#include "app/logic/text_editor.h"

#include <QObject>

#include "app/ui/scintilla_document.h"

#include <map>
#include <memory>
#include <optional>

class QsciScintilla;

namespace zorvan {

class ScintillaEditor : public QObject, public TextEditor {
    Q_OBJECT
public:
    // Prepares `widget` (UTF-8, CR LF, the colour styles) and follows its changes.
    explicit ScintillaEditor(QsciScintilla* widget);
    ~ScintillaEditor() override;

    QsciScintilla* widget() const { return widget_; }

    // Called now and then while a new document is made (a load, a rewrite of the whole text), on
    // the window's thread, so that a long making can give the window its turn; it may throw to
    // abandon the new document, which leaves the shown one, its history and its state as they were.
    // `givesTurns` tells whether the pauses give the window its turn at the moment: a making that
    // holds the window anyway makes room for its whole text at once, which is quicker.
    void setBuildPause(std::function<void()> pause, std::function<bool()> givesTurns = {})
    {
        pause_ = std::move(pause);
        givesTurns_ = std::move(givesTurns);
    }

    std::string text() const override;
    void setText(std::string_view utf8) override;
    // A load is made in a new document of its own, which takes the shown one's place when it is
    // whole.
    void loadText(const std::function<void(const LoadSink&)>& fill, std::size_t sizeHint = 0) override;
    void loadColouredPieces(std::vector<ColouredPiece> pieces) override;
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
    void adoptLinesText(int first, int count, std::string&& linesWithBreaks) override;
    std::string_view textView(long start, long length, std::string& buffer) const override;
    // A range that is the whole text, or all but a few lines of it, is built in a new document,
    // which takes the old one's place once every piece has come.
    void insertLinesColouringAll(int first, const LinesPieceSource& next, const LinesColouring& colouring) override;
    void replaceLinesFromPieces(int first, int count, const LinesPieceSource& next,
                                const LinesColouring& colouring) override;

    int firstVisibleLine() const override;
    void scrollCaretIntoView() override;

    TextColour colourAt(long pos) const override;
    void setColour(long start, long length, TextColour colour) override;
    // Finds the byte positions of all runs in one walk through the text.
    void setColours(const std::vector<ColourRun>& runs) override;
    void recolourRange(long start, long length, const std::vector<ColourRun>& runs) override;

    bool isModified() const override;
    void setModified(bool modified) override;

    bool canUndo() const override;
    bool canRedo() const override;
    void undo() override;
    void redo() override;
    void clearUndoHistory() override;
    // Bytes of text the history keeps in documents of its own.
    std::size_t historyBytes() const;

    // The widget's undo and redo keys (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, Alt+Backspace) come here, to
    // undo() and redo(), instead of to the widget's own undo.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Whether bytes [from, to) of the text are `bytes`.
    bool holdsBytes(long from, long to, std::string_view bytes) const;
    // Byte position in the widget for a character position, and back.
    long bytePosition(long pos) const;
    long characterPosition(long bytePos) const;

    // The Scintilla style number of each colour (0 is the default style).
    static int styleOf(TextColour colour) { return static_cast<int>(colour); }

protected:
    int rawLineCount() const override;
    void beginUndoGroup() override;
    void endUndoGroup(bool keep) override;

private:
    // What the history keeps of one step besides the widget's own undo actions.
    struct Step {
        EditHistory::StepId historyStep = 0;  // the step of the history it is part of
        bool whole = false;
        long start = 0, beforeBytes = 0, afterBytes = 0;  // a part: its byte range
        std::vector<StyleRun> styles[2];                  // before, after
        long selStart[2] = {0, 0}, selLength[2] = {0, 0};
        long topLine[2] = {0, 0}, xOffset[2] = {0, 0};
        DocumentRef other;  // a whole-text step: the document of the other state
        bool olderHistoryDropped = false;   // the old document's history before the step is gone
        std::size_t bytes = 0;
    };
    enum Marker { PartStart = 0, PartEnd = 1, Whole = 2 };
    static long tokenOf(int id, Marker marker) { return id * 4L + marker; }

    std::vector<StyleRun> styleRuns(long from, long to) const;
    void applyStyles(long from, const std::vector<StyleRun>& runs);
    // Runs an edit of bytes [from, to) as one step of the history.
    template <typename Edit> void editAsStep(long from, long to, Edit&& edit);
    // Erases the steps `drop` picks; their documents go on a thread of their own.
    template <typename Drop> void eraseSteps(Drop&& drop);
    void dropUndoneSteps();
    void trimHistory();
    void onContainerAction(long token, bool undone);
    // One undo (SCI_UNDO, +1) or redo (SCI_REDO, -1) of the widget's history with the markers
    // of the steps it crosses.
    void stepHistory(unsigned int message, int deadRedoStep);
    void finishUndoRedo();
    void swapDocuments(int id, Step& step, bool forward);
    void keepView(Step& step, int which) const;
    void restoreView(const Step& step, int which);

    // Calls fn(byteStart, byteEnd, colour) for the runs (adjacent runs of one colour merged).
    template <typename Fn> void forEachRunInBytes(const std::vector<ColourRun>& runs, Fn&& fn) const;
    // The document settings the commands rely on: UTF-8 and CR LF breaks. (Its character index
    // is made by the caller, which knows when it is cheapest.)
    void configureDocument();
    // Builds bytes [from, to) anew from the pieces in a new document, the bytes around them
    // carried over with their styles; the old document becomes the step's undo state.
    void replaceTextFromPieces(long from, long to, bool throughEnd, const LinesPieceSource& next,
                               const LinesColouring& colouring, bool colourCarried = false);
    // Whether lines [first, first + count) hold all the text, so that their rewrite may take a new
    // document; `throughEnd` tells whether they include the empty line after a final break.
    bool coversWholeText(int first, int count, bool& throughEnd) const;
    void replaceWholeText(bool throughEnd, std::string&& linesWithBreaks);
    // The widget, showing nothing, in which new documents get their colours.
    QsciScintilla* builder();
    // The colours of a piece of new text, as one style byte for each of its bytes (where runs are
    // many) or as runs of bytes (where they are few), whichever goes in quicker; none: default.
    struct PieceStyles {
        std::string bytes;
        std::vector<StyleRun> runs;
    };
    static PieceStyles stylesOf(std::string_view text, const std::vector<ColourRun>& runs);
    // The colours of a piece of new text as runs of bytes.
    static std::vector<StyleRun> styleRunsOf(std::string_view text, const std::vector<ColourRun>& runs);
    // Puts the colours of pieces, each from its byte, into the document the builder shows, a slice
    // at a time.
    void styleBuild(const std::vector<std::pair<long, PieceStyles>>& styles);
    // The document `feed` filled, then coloured by `colour` in the builder unless there `nothingMore`.
    template <typename Colour> DocumentRef makeDocument(DocumentFeed& feed, Colour&& colour, bool nothingMore = false);
    // Shows `document` in the widget (with the document settings, the read-only state and the
    // byte markers it had); returns the document shown before.
    DocumentRef showDocument(void* document);
    // A load: `document` takes the shown one's place, and the history is forgotten.
    void loadDocument(DocumentRef document);
    void pause() const
    {
        if (pause_)
            pause_();
    }
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    // Runs an edit with undo collection off, then empties the undo history and raises one change
    // notification.
    template <typename Edit> void editWithoutUndo(Edit&& edit);
    void onModified(int modificationType, long position, const char* text, long length, long token);

    QsciScintilla* widget_;
    std::unique_ptr<QsciScintilla> builder_;  // colours the new document of a load or a whole-text rewrite
    std::function<void()> pause_;
    std::function<bool()> givesTurns_;
    // Whether the caller holds the window's thread for all of its work (no turns given to the
    // window meanwhile), so that a pass on it costs no stall beyond what the caller makes anyway.
    bool holdsWindow() const { return !(givesTurns_ && givesTurns_()); }
    // The order of the steps, the save point, groups and the bound.
    EditHistory history_;
    std::map<int, Step> steps_;  // the parts of the steps, by the id their markers carry, the oldest first
    int nextStepId_ = 1;
    long groupSelStart_ = 0, groupSelLength_ = 0;
    std::vector<int> pendingSwaps_;         // whole-text steps to swap once the widget's undo returns
    std::optional<std::pair<long, long>> pendingSelection_;
    bool pendingSwapForward_ = false;
    bool inOwnUndo_ = false;
    bool markersSeen_ = false;  // the widget's undo or redo met a step of this class
    bool finishQueued_ = false;
    int ignoreMarkers_ = 0;
    int ownEdits_ = 0;  // > 0 while this class edits the text itself
    bool changePending_ = false;  // a change made in the widget awaits its notification
    std::string_view inserting_;  // the text an edit of this class is inserting
};

}  // namespace zorvan
