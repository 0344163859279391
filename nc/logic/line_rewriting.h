// Rewriting the lines of a command's range in one edit (one undo step). The range's text is cut
// into pieces of whole lines; the new text of each piece is made on worker threads while the
// editor takes in the pieces before it. A piece that cannot be made stops the command before
// anything changes.
#pragma once

#include "app/logic/ordered_work.h"
#include "app/logic/text_editor.h"
#include "app/logic/text_pieces.h"
#include "app/logic/user_error.h"
#include "nc/logic/nc_transforms.h"
#include "nc/logic/nc_words.h"
#include "nc/logic/program_modes.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::nc {

// The text of lines [range.first, range.last] in one read (much cheaper than a read per line in
// the QScintilla editor), without the break after the last line.
std::string_view readRangeText(const TextEditor& editor, const LineRange& range, std::string& buffer);

// The selection offsets as they were; without a selection the caret goes back to its line and
// column.
void finish(TextEditor& editor, const LineRange& range);

// The end of a command whose lines may have been dropped: with a selection the lines that took
// the range's place ([range.first, range.first + newLines)) are selected, else the caret goes
// back to its line and column.
void finishLines(TextEditor& editor, const LineRange& range, int newLines);

// Calls `fn(line)` for each line of a piece's text (separated by CR LF, none after the last).
template <typename Fn> void forEachPieceLine(std::string_view text, Fn&& fn)
{
    for (;;) {
        const std::size_t at = text.find("\r\n");
        fn(text.substr(0, at));
        if (at == std::string_view::npos)
            return;
        text.remove_prefix(at + 2);
    }
}

// Whether a line's new text depends on the lines above it. Commands whose lines stand alone may
// rewrite several parts of a long range at once.
enum class Lines { Independent, Carried };

// Thrown by a line's transform when a result is too large to write.
struct ValueTooLarge : std::exception {
    explicit ValueTooLarge(char l) : letter(l) {}
    const char* what() const noexcept override { return "value too large"; }
    char letter;
};

// The same, with the line counted from the first line of its piece.
struct PieceValueTooLarge : std::exception {
    PieceValueTooLarge(int l, char c) : line(l), letter(c) {}
    const char* what() const noexcept override { return "value too large"; }
    int line;
    char letter;
};

std::string tooLargeMessage(int lineIndex, char letter);

// A line's transform refused it (LineRefusal), with the line counted from the first line of its
// piece.
struct PieceRefusal : std::exception {
    PieceRefusal(int l, std::string w) : line(l), why(std::move(w)) {}
    const char* what() const noexcept override { return "refused"; }
    int line;
    std::string why;
};

// A rewritten piece of the range: its new text, the number of old lines it came from and of the
// lines kept.
struct WrittenPiece {
    std::string text;
    int lines = 0;
    int kept = 0;
};

// A line being written: the end of its piece's text from `from` on. Its words are read and
// replaced where it stands, so each line is copied once.
class PieceLine {
public:
    PieceLine(std::string& text, std::size_t from) : text_(text), from_(from) {}
    std::string_view view() const { return std::string_view(text_).substr(from_); }
    std::optional<AddressWord> word(char letter) const { return readAddressWord(view(), letter); }
    void write(const AddressWord& word, std::string_view number)
    {
        text_.replace(from_ + word.letterAt + 1, word.numberLength, number);
    }
    // Puts `text` in place of the `length` bytes at byte `at` of the line.
    void replace(std::size_t at, std::size_t length, std::string_view text) { text_.replace(from_ + at, length, text); }

private:
    std::string& text_;
    std::size_t from_;
};

// The lines of `text` (separated by CR LF, none after the last) through `transform(line)`, each
// followed by CR LF.
template <typename Transform> WrittenPiece rewritePiece(std::string_view text, Transform& transform)
{
    WrittenPiece written;
    std::string& out = written.text;
    out.reserve(text.size() + text.size() / 8 + 64);
    for (;;) {
        const std::size_t at = text.find("\r\n");
        PieceLine line(out, out.size());
        out += text.substr(0, at);
        try {
            transform(line);
        } catch (const ValueTooLarge& e) {
            throw PieceValueTooLarge(written.lines, e.letter);
        } catch (const LineRefusal& e) {
            throw PieceRefusal(written.lines, e.why);
        }
        ++written.lines;
        ++written.kept;
        out += "\r\n";
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 2);
    }
    return written;
}

// The lines of `text` (separated by CR LF, none after the last) written by `write(line, out)`,
// which appends the new line to `out` and returns true, or appends nothing and returns false to
// drop it; each kept line is followed by CR LF. For commands that make most lines anew.
template <typename Write> WrittenPiece writePiece(std::string_view text, Write& write)
{
    WrittenPiece written;
    written.text.reserve(text.size() + text.size() / 8 + 64);
    forEachPieceLine(text, [&](std::string_view line) {
        ++written.lines;
        if (write(line, written.text)) {
            written.text += "\r\n";
            ++written.kept;
        }
    });
    return written;
}

// Replaces the lines of `range` with the pieces `make(index)` writes for pieces 0 .. count-1,
// made on `workers` threads (one makes them in order). Returns the number of new lines.
template <typename Make>
int replaceRangeFromPieces(TextEditor& editor, const LineRange& range, std::size_t pieceCount, unsigned workers,
                           Recolour recolour, Make&& make)
{
    std::optional<OrderedWork<WrittenPiece>> work;
    if (pieceCount > 1) {
        // The workers may run far ahead: the editor is the slower side, and the time it spends
        // getting ready is theirs to use.
        work.emplace(pieceCount, workers, kPiecesAhead, make);
    }
    std::size_t taken = 0;
    int linesBefore = 0;  // lines of the range in the pieces already taken
    int newLines = 0;
    auto next = [&](std::string& piece) {
        // A piece whose lines were all dropped is passed over: the editor takes whole lines only.
        while (taken < pieceCount) {
            try {
                WrittenPiece written = work ? *work->next() : make(0);
                ++taken;
                linesBefore += written.lines;
                if (written.text.empty())
                    continue;
                newLines += written.kept;
                piece = std::move(written.text);
                return true;
            } catch (const PieceValueTooLarge& e) {
                throw UserError(tooLargeMessage(range.first + linesBefore + e.line, e.letter));
            } catch (const PieceRefusal& e) {
                throw UserError(refusalMessage(range.first + linesBefore + e.line, e.why));
            }
        }
        return false;
    };
    QuietEditor quiet(editor);  // the command colours the written lines itself
    editor.replaceLinesFromPieces(range.first, range.count(), next, linesColouring(recolour));
    return newLines;
}

// Rewrites every line of the editor's line range through `transform(line)` (see PieceLine), in
// order on one thread when a line depends on the lines above it. A transform that throws
// ValueTooLarge stops the command before anything changes.
template <typename Transform>
void rewriteRange(TextEditor& editor, Recolour recolour, Lines lines, Transform&& transform)
{
    LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // valid until the text changes
    const std::vector<std::string_view> pieces = cutIntoPieces(old);
    auto make = [&](std::size_t index) { return rewritePiece(pieces[index], transform); };
    const unsigned workers = lines == Lines::Independent ? pieceWorkers() : 1u;
    replaceRangeFromPieces(editor, range, pieces.size(), workers, recolour, make);
    finish(editor, range);
}

// The same rewrite in three steps, so that its heavy middle can run away from the editor's thread:
// the range is read when the rewrite is made (on the editor's thread), its pieces are rewritten by
// rewrite() on any thread without touching the editor, and apply() writes them back in one edit
// (on the editor's thread, the text unchanged in between). The range is read as a view where the
// editor holds it, which stays put while the text is unchanged, so a big text is not copied first.
class StagedRewrite {
public:
    // Told after each piece; it may throw to stop the rewrite.
    using Progress = std::function<void(long long done, long long total)>;

    explicit StagedRewrite(const TextEditor& editor) : range_(numericLineRange(editor))
    {
        if (range_.count() == 0)
            return;
        old_ = readRangeText(editor, range_, buffer_);
        pieces_ = cutIntoPieces(old_);
    }

    template <typename Transform> void rewrite(Lines lines, Transform& transform, const Progress& progress)
    {
        written_.clear();
        written_.reserve(pieces_.size());
        auto make = [&](std::size_t index) { return rewritePiece(pieces_[index], transform); };
        std::optional<OrderedWork<WrittenPiece>> work;
        if (lines == Lines::Independent && pieces_.size() > 1)
            work.emplace(pieces_.size(), pieceWorkers(), kPiecesAhead, make);
        int linesBefore = 0;
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            try {
                written_.push_back(work ? *work->next() : make(i));
            } catch (const PieceValueTooLarge& e) {
                throw UserError(tooLargeMessage(range_.first + linesBefore + e.line, e.letter));
            } catch (const PieceRefusal& e) {
                throw UserError(refusalMessage(range_.first + linesBefore + e.line, e.why));
            }
            linesBefore += written_.back().lines;
            if (progress)
                progress(static_cast<long long>(i + 1), static_cast<long long>(pieces_.size()));
        }
    }

    void apply(TextEditor& editor, Recolour recolour)
    {
        if (range_.count() == 0)
            return;
        replaceRangeFromPieces(editor, range_, written_.size(), 1, recolour,
                               [this](std::size_t index) { return std::move(written_[index]); });
        finish(editor, range_);
    }

private:
    LineRange range_;
    std::string buffer_;    // the range, when the editor hands it over in a copy
    std::string_view old_;  // into the editor or buffer_
    std::vector<std::string_view> pieces_;  // into old_
    std::vector<WrittenPiece> written_;
};

// A staged command: made on the editor's thread (it reads the range then); the work rewrites on
// any thread and returns the edit that writes the result back.
template <typename Transform>
StagedCommand stageRewrite(const TextEditor& editor, Recolour recolour, Lines lines, Transform transform)
{
    auto staged = std::make_shared<StagedRewrite>(editor);
    return [staged, recolour, lines, transform](const StagedRewrite::Progress& progress) mutable -> EditStep {
        staged->rewrite(lines, transform, progress);
        return [staged, recolour](TextEditor& editor) { staged->apply(editor, recolour); };
    };
}

}  // namespace zorvan::nc
