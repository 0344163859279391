#include "nc/logic/extreme_search.h"

#include "app/logic/ordered_work.h"
#include "app/logic/text_pieces.h"
#include "nc/logic/nc_words.h"

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

std::optional<FoundWord> bestWordIn(std::string_view text, std::size_t letterLimit, char letter, ExtremeMethod method,
                                    bool inComment)
{
    const bool magnitude = method == ExtremeMethod::AbsMax || method == ExtremeMethod::AbsMin;
    std::optional<FoundWord> best;
    std::size_t from = 0;
    const std::string_view letters = text.substr(0, std::min(letterLimit, text.size()));
    constexpr std::size_t npos = std::string_view::npos;
    // Where the next comment starts ("(" or ";"), found afresh once the search has passed it.
    std::size_t nextOpen = letters.find('('), nextSemicolon = letters.find(';');
    auto skipLine = [&](std::size_t at, char close) {
        const std::size_t end = close == ')' ? text.find_first_of(")\n", at) : text.find('\n', at);
        return end == npos ? npos : end + 1;
    };
    if (inComment)
        from = skipLine(0, ')');
    while (from < letters.size()) {
        std::size_t at = letters.find(letter, from);
        if (at == npos)
            break;
        if (nextOpen != npos && nextOpen < from)
            nextOpen = letters.find('(', from);
        if (nextSemicolon != npos && nextSemicolon < from)
            nextSemicolon = letters.find(';', from);
        const std::size_t comment = std::min(nextOpen, nextSemicolon);
        if (comment < at) {
            from = skipLine(comment + 1, comment == nextOpen ? ')' : ';');
            continue;
        }
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

StagedExtremeSearch::StagedExtremeSearch(const TextEditor& editor, char letter, ExtremeMethod method,
                                         const CommandRange& range)
    : letter_(letter), method_(method)
{
    const auto [rangeStart, rangeEnd] = positionsOf(editor, range);
    rangeStart_ = rangeStart;
    if (rangeEnd <= rangeStart)
        return;
    // A run may go on past the range, up to the end of its line.
    const int lastLine = editor.lineFromPosition(rangeEnd);
    const long textEnd = std::max(rangeEnd, editor.positionFromLine(lastLine) + countCharacters(editor.line(lastLine)));
    std::string buffer;
    text_ = std::string(editor.textView(rangeStart, textEnd - rangeStart, buffer));
    // Whether the range starts inside a comment of its first line.
    const int firstLine = editor.lineFromPosition(rangeStart);
    const long lineStart = editor.positionFromLine(firstLine);
    if (lineStart < rangeStart) {
        std::string before;
        const std::string_view head = editor.textView(lineStart, rangeStart - lineStart, before);
        for (std::size_t i = 0; i < head.size(); ++i) {
            if (head[i] == ';') {
                startsInComment_ = true;
                break;
            }
            if (head[i] == '(') {
                const std::size_t close = head.find(')', i);
                startsInComment_ = close == std::string_view::npos;
                if (startsInComment_)
                    break;
                i = close;
            }
        }
    }
    rangeCharacters_ = rangeEnd - rangeStart;
}

void StagedExtremeSearch::search(const std::function<void(long long, long long)>& progress)
{
    if (text_.empty())
        return;  // an empty range
    letterLimit_ = byteOffsetOfCharacter(text_, rangeCharacters_);
    const std::string_view text = text_;
    const std::vector<std::string_view> pieces = cutIntoPieces(text);
    auto search = [&](std::size_t index) {
        const std::string_view piece = pieces[index];
        const std::size_t pieceAt = static_cast<std::size_t>(piece.data() - text.data());
        PieceBest best;
        if (pieceAt < letterLimit_)
            best.word = bestWordIn(piece, letterLimit_ - pieceAt, letter_, method_, index == 0 && startsInComment_);
        if (best.word)
            best.wordCharacter = countCharacters(piece.substr(0, best.word->at));
        best.characters = countCharacters(piece) + 2;  // with the break that follows it
        return best;
    };
    std::optional<OrderedWork<PieceBest>> work;
    if (pieces.size() > 1)
        work.emplace(pieces.size(), pieceWorkers(), pieces.size(), search);
    long charactersBefore = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const PieceBest piece = work ? *work->next() : search(0);
        if (piece.word && (!best_ || better(piece.word->value, best_->value, method_)))
            best_ = ExtremeWord{rangeStart_ + charactersBefore + piece.wordCharacter,
                                static_cast<long>(piece.word->length), piece.word->value, 0};
        charactersBefore += piece.characters;
        if (progress)
            progress(static_cast<long long>(i + 1), static_cast<long long>(pieces.size()));
    }
}

std::optional<ExtremeWord> StagedExtremeSearch::result(const TextEditor& editor) const
{
    std::optional<ExtremeWord> best = best_;
    if (best)
        best->line = editor.lineFromPosition(best->start);
    return best;
}

std::optional<ExtremeWord> findExtreme(const TextEditor& editor, char letter, ExtremeMethod method,
                                       const CommandRange& range)
{
    StagedExtremeSearch staged(editor, letter, method, range);
    staged.search({});
    return staged.result(editor);
}

}  // namespace zorvan::nc
