#include "nc/logic/axis_swap.h"

#include "app/logic/colouring.h"
#include "app/logic/ordered_work.h"
#include "nc/logic/text_pieces.h"

#include <algorithm>
#include <optional>

namespace zorvan::nc {

namespace {

bool startsWord(char follower)
{
    return (follower >= '0' && follower <= '9') || follower == '.' || follower == '-' || follower == '+'
           || follower == '#' || follower == '[';
}

// Passes 1 and 2: every word-start `letter` becomes `with`.
std::string markWords(std::string_view text, char follow, char letter, std::string_view with)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 16);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t at = text.find(letter, from);
        if (at == std::string_view::npos) {
            out.append(text.substr(from));
            break;
        }
        out.append(text.substr(from, at - from));
        const char next = at + 1 < text.size() ? text[at + 1] : follow;
        if (startsWord(next)) {
            out += with;
            from = at + 1;
        } else {
            const std::size_t passed = std::min(at + 2, text.size());  // the follower is never a letter
            out.append(text.substr(at, passed - at));
            from = passed;
        }
    }
    return out;
}

// Pass 4: every "--" removed, the search going on at the place of the removal.
std::string removeDoubleSigns(std::string_view text, long& lastDeletion)
{
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find("--", from);
        if (at == std::string_view::npos) {
            out.append(text.substr(from));
            return out;
        }
        out.append(text.substr(from, at - from));
        lastDeletion = static_cast<long>(out.size());
        from = at + 2;
    }
}

// A piece of the range's lines after the passes, each line followed by CR LF.
struct SwappedPiece {
    std::string text;
    long characters = 0;         // of `text`
    long lengthChange = 0;       // the passes only put ASCII for ASCII: bytes and characters alike
    bool changed = false;
    long lastDeletion = -1;      // characters from the piece's start
};

}  // namespace

SwapPassesResult swapPasses(std::string_view body, char follow, char a, char b)
{
    const bool reversal = b == kSignReversal;
    const char marker[] = {'@', kSignReversal};
    std::string text = markWords(body, follow, a, std::string_view(marker, reversal ? 2 : 1));
    // For a sign reversal pass 2 would put A back in place of A: it changes nothing.
    if (!reversal)
        text = markWords(text, follow, b, std::string_view(&a, 1));
    std::replace(text.begin(), text.end(), '@', reversal ? a : b);
    SwapPassesResult result;
    result.text = removeDoubleSigns(text, result.lastDeletion);
    return result;
}

void swapAxes(TextEditor& editor, char a, char b, const SwapRange& range, Recolour recolour)
{
    if (a == b)
        return;
    long rangeStart, rangeEnd;
    if (range.selectionOnly) {
        rangeStart = editor.selectionStart();
        rangeEnd = rangeStart + editor.selectionLength();
    } else {
        rangeStart = range.wholeFile ? 0 : editor.caret();
        rangeEnd = editor.length();
    }
    if (rangeEnd <= rangeStart) {
        if (!range.selectionOnly)
            editor.setCaret(rangeStart);
        return;
    }

    // The lines that hold the range, read in one view; the range is the bytes [bodyFrom, bodyTo).
    const int firstLine = editor.lineFromPosition(rangeStart);
    int lastLine = editor.lineFromPosition(rangeEnd);
    if (lastLine > firstLine && editor.positionFromLine(lastLine) == rangeEnd)
        --lastLine;  // the range ends with a line break, which the passes never change
    const long firstStart = editor.positionFromLine(firstLine);
    const long lastStart = editor.positionFromLine(lastLine);
    const long linesEnd = lastStart + countCharacters(editor.line(lastLine));
    const char followRange = linesEnd < editor.length() ? '\r' : '\0';
    std::string buffer;
    const std::string_view lines = editor.textView(firstStart, linesEnd - firstStart, buffer);
    const std::size_t lastLineAt = firstLine == lastLine ? 0 : lines.rfind("\r\n") + 2;
    const std::size_t bodyFrom = byteOffsetOfCharacter(lines, rangeStart - firstStart);
    const std::size_t bodyTo =
        std::min(lines.size(), lastLineAt + byteOffsetOfCharacter(lines.substr(lastLineAt), rangeEnd - lastStart));

    const std::vector<std::string_view> pieces = cutIntoPieces(lines);
    auto make = [&](std::size_t index) {
        const std::string_view piece = pieces[index];
        const std::size_t pieceAt = static_cast<std::size_t>(piece.data() - lines.data());
        const std::size_t lo = std::clamp(bodyFrom, pieceAt, pieceAt + piece.size()) - pieceAt;
        const std::size_t hi = std::clamp(bodyTo, pieceAt, pieceAt + piece.size()) - pieceAt;
        SwappedPiece swapped;
        std::string& out = swapped.text;
        if (lo < hi) {
            const char follow = hi < piece.size() ? piece[hi] : index + 1 < pieces.size() ? '\r' : followRange;
            const std::string_view body = piece.substr(lo, hi - lo);
            SwapPassesResult passed = swapPasses(body, follow, a, b);
            out.reserve(piece.size() + passed.text.size() - body.size() + 2);
            out.append(piece.substr(0, lo));
            out += passed.text;
            out.append(piece.substr(hi));
            swapped.changed = passed.text != body;
            swapped.lengthChange = static_cast<long>(passed.text.size()) - static_cast<long>(body.size());
            if (passed.lastDeletion >= 0)
                swapped.lastDeletion = countCharacters(std::string_view(out).substr(0, lo + passed.lastDeletion));
        } else {
            out.reserve(piece.size() + 2);
            out.append(piece);
        }
        out += "\r\n";
        swapped.characters = countCharacters(out);
        return swapped;
    };

    std::optional<OrderedWork<SwappedPiece>> work;
    if (pieces.size() > 1)
        work.emplace(pieces.size(), pieceWorkers(), kPiecesAhead, make);
    std::size_t taken = 0;
    bool changed = false;
    long lengthChange = 0, charactersBefore = 0, lastDeletion = -1;
    auto next = [&](std::string& piece) {
        if (taken == pieces.size())
            return false;
        SwappedPiece swapped = work ? *work->next() : make(0);
        ++taken;
        changed = changed || swapped.changed;
        lengthChange += swapped.lengthChange;
        if (swapped.lastDeletion >= 0)
            lastDeletion = firstStart + charactersBefore + swapped.lastDeletion;
        charactersBefore += swapped.characters;
        piece = std::move(swapped.text);
        return true;
    };
    TextEditor::LinesColouring lineColours;
    if (recolour == Recolour::WrittenLines)
        lineColours = [](std::string_view text) { return colouring::LineRuns(text, 0); };
    const bool wasModified = editor.isModified();
    {
        QuietEditor quiet(editor);  // the command colours the lines itself
        editor.replaceLinesFromPieces(firstLine, lastLine - firstLine + 1, next, lineColours);
    }
    editor.setModified(changed || wasModified);
    if (range.selectionOnly)
        editor.setSelection(rangeStart, rangeEnd - rangeStart + lengthChange);
    else
        editor.setCaret(lastDeletion >= 0 ? lastDeletion : rangeStart);
}

}  // namespace zorvan::nc
