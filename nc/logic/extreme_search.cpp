#include "nc/logic/extreme_search.h"

#include "app/logic/ordered_work.h"
#include "nc/logic/nc_words.h"
#include "nc/logic/text_pieces.h"

#include <algorithm>
#include <cmath>

namespace zorvan::nc {

namespace {

bool inRun(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool better(double candidate, double best, ExtremeMethod method)
{
    return method == ExtremeMethod::Max || method == ExtremeMethod::AbsMax ? candidate > best : candidate < best;
}

// A piece's best word, its place counted in characters from the piece's start.
struct PieceBest {
    std::optional<FoundWord> word;
    long wordCharacter = 0;
    long characters = 0;  // of the piece
};

}  // namespace

std::optional<double> strictNumberValue(std::string_view run)
{
    std::size_t i = !run.empty() && run.front() == '-' ? 1 : 0;
    int digits = 0, points = 0;
    for (; i < run.size(); ++i) {
        if (run[i] == '.')
            ++points;
        else if (run[i] >= '0' && run[i] <= '9')
            ++digits;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    const double value = numberTextValue(run);  // the whole run, as it is one number
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<FoundWord> bestWordIn(std::string_view text, std::size_t letterLimit, char letter, ExtremeMethod method)
{
    const bool magnitude = method == ExtremeMethod::AbsMax || method == ExtremeMethod::AbsMin;
    std::optional<FoundWord> best;
    std::size_t from = 0;
    const std::string_view letters = text.substr(0, std::min(letterLimit, text.size()));
    while (from < letters.size()) {
        const std::size_t at = letters.find(letter, from);
        if (at == std::string_view::npos)
            break;
        std::size_t end = at + 1;
        while (end < text.size() && inRun(text[end]))
            ++end;
        if (end == at + 1) {
            from = at + 2;  // the character after the letter is never taken as a letter
            continue;
        }
        from = at + 1;
        std::string_view run = text.substr(at + 1, end - at - 1);
        if (magnitude && run.front() == '-')
            run.remove_prefix(1);
        const std::optional<double> value = strictNumberValue(run);
        if (value && (!best || better(*value, best->value, method)))
            best = FoundWord{at, end - at, *value};
    }
    return best;
}

std::optional<ExtremeWord> findExtreme(const TextEditor& editor, char letter, ExtremeMethod method,
                                       const CommandRange& range)
{
    const auto [rangeStart, rangeEnd] = positionsOf(editor, range);
    if (rangeEnd <= rangeStart)
        return std::nullopt;
    // A run may go on past the range, up to the end of its line.
    const int lastLine = editor.lineFromPosition(rangeEnd);
    const long textEnd = std::max(rangeEnd, editor.positionFromLine(lastLine) + countCharacters(editor.line(lastLine)));
    std::string buffer;
    const std::string_view text = editor.textView(rangeStart, textEnd - rangeStart, buffer);
    const std::size_t letterLimit = byteOffsetOfCharacter(text, rangeEnd - rangeStart);

    const std::vector<std::string_view> pieces = cutIntoPieces(text);
    auto search = [&](std::size_t index) {
        const std::string_view piece = pieces[index];
        const std::size_t pieceAt = static_cast<std::size_t>(piece.data() - text.data());
        PieceBest best;
        if (pieceAt < letterLimit)
            best.word = bestWordIn(piece, letterLimit - pieceAt, letter, method);
        if (best.word)
            best.wordCharacter = countCharacters(piece.substr(0, best.word->at));
        best.characters = countCharacters(piece) + 2;  // with the break that follows it
        return best;
    };
    std::optional<OrderedWork<PieceBest>> work;
    if (pieces.size() > 1)
        work.emplace(pieces.size(), pieceWorkers(), pieces.size(), search);
    std::optional<ExtremeWord> best;
    long charactersBefore = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const PieceBest piece = work ? *work->next() : search(0);
        if (piece.word && (!best || better(piece.word->value, best->value, method)))
            best = ExtremeWord{rangeStart + charactersBefore + piece.wordCharacter,
                               static_cast<long>(piece.word->length), piece.word->value, 0};
        charactersBefore += piece.characters;
    }
    if (best)
        best->line = editor.lineFromPosition(best->start);
    return best;
}

}  // namespace zorvan::nc
