#include "nc/logic/renumber.h"

#include "app/logic/ordered_work.h"
#include "app/logic/user_error.h"
#include "nc/logic/line_rewriting.h"
#include "nc/logic/nc_blocks.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zorvan::nc {

namespace {

// A block of the range that gets a new number and had a whole one before.
struct OldNumber {
    long long value;
    int line;          // in its piece
    long long ordinal; // among the numbered blocks of its piece
};

struct Jump {
    int line;  // in its piece
    long long target;
};

// What the first pass finds in one piece of the range.
struct PieceSurvey {
    int lines = 0;
    long long numbered = 0;  // blocks that get a number
    std::vector<OldNumber> oldNumbers;
    std::vector<Jump> jumps;
};

bool getsNumber(const BlockStart& block, bool existingOnly)
{
    return block.kind == BlockKind::Block && (block.sequence || !existingOnly);
}

std::optional<long long> sequenceValue(std::string_view line, const AddressWord& word)
{
    return wholeNumber(line.substr(word.letterAt + 1, word.numberLength));
}

PieceSurvey survey(std::string_view piece, bool existingOnly)
{
    PieceSurvey found;
    forEachPieceLine(piece, [&](std::string_view line) {
        const BlockStart block = readBlockStart(line);
        if (getsNumber(block, existingOnly)) {
            if (block.sequence)
                if (auto value = sequenceValue(line, *block.sequence))
                    found.oldNumbers.push_back({*value, found.lines, found.numbered});
            ++found.numbered;
        }
        const Jumps jumps = jumpsOf(line);
        for (int i = 0; i < jumps.count; ++i)
            found.jumps.push_back({found.lines, jumps.items[i].value});
        ++found.lines;
    });
    return found;
}

// The first pass over every piece, on worker threads.
std::vector<PieceSurvey> surveyPieces(const std::vector<std::string_view>& pieces, bool existingOnly)
{
    std::vector<PieceSurvey> surveys;
    surveys.reserve(pieces.size());
    OrderedWork<PieceSurvey> work(pieces.size(), pieceWorkers(), pieces.size(),
                                  [&](std::size_t i) { return survey(pieces[i], existingOnly); });
    while (auto next = work.next())
        surveys.push_back(std::move(*next));
    return surveys;
}

// The whole numbers of the sequence numbers, and the targets of the jumps, of the lines outside
// the range.
struct Outside {
    std::unordered_set<long long> numbers;
    std::unordered_set<long long> targets;
};

Outside readOutside(const TextEditor& editor, const LineRange& range)
{
    Outside outside;
    auto read = [&](int first, int last) {
        if (first > last)
            return;
        std::string buffer;
        forEachPieceLine(readRangeText(editor, LineRange{first, last}, buffer), [&](std::string_view line) {
            const BlockStart block = readBlockStart(line);
            if (block.sequence)
                if (auto value = sequenceValue(line, *block.sequence))
                    outside.numbers.insert(*value);
            const Jumps jumps = jumpsOf(line);
            for (int i = 0; i < jumps.count; ++i)
                outside.targets.insert(jumps.items[i].value);
        });
    };
    read(0, range.first - 1);
    read(range.last + 1, editor.lineCount() - 1);
    return outside;
}

// `number` padded with zeros to `width` digits, appended to `out`.
void appendNumber(std::string& out, long long number, int width)
{
    char digits[24];
    auto [end, ec] = std::to_chars(std::begin(digits), std::end(digits), number);
    const auto count = static_cast<int>(end - digits);
    if (width > count)
        out.append(static_cast<std::size_t>(width - count), '0');
    out.append(digits, end);
}

// How a block separates its words: by blanks ("G01 X1."), or not at all ("G01X1."); a block of one
// word does not show it.
enum class WordStyle { Unknown, Apart, Together };

// The style of the code after `from`: a blank between two words, or a letter straight after a
// number.
WordStyle wordStyle(std::string_view line, std::size_t from)
{
    bool blank = false, code = false;
    char before = 0;
    for (std::size_t i = from; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '(') {
            i = commentEnd(line, i) - 1;
            blank = false;
            before = 0;
        } else if (isBlank(c)) {
            blank = true;
        } else {
            if (code && blank)
                return WordStyle::Apart;
            if (isUpperLetter(c) && (isDigitChar(before) || before == '.'))
                return WordStyle::Together;
            code = true;
            blank = false;
            before = c;
        }
    }
    return WordStyle::Unknown;
}

// The style of the first block of the text that shows one: a new N word of a block of one word
// ("M08") follows it, so the program stays of one style. No blank when no block shows a style.
bool programWordsApart(std::string_view text)
{
    for (;;) {
        const std::size_t at = text.find("\r\n");
        const std::string_view line = text.substr(0, at);
        const BlockStart block = readBlockStart(line);
        if (block.kind == BlockKind::Block)
            if (const WordStyle style = wordStyle(line, block.wordAt); style != WordStyle::Unknown)
                return style == WordStyle::Apart;
        if (at == std::string_view::npos)
            return false;
        text.remove_prefix(at + 2);
    }
}

// Whether the text may hold a jump: most programs hold none, and then need no first pass.
bool mayJump(std::string_view text)
{
    return text.find("GOTO") != std::string_view::npos || text.find("M99") != std::string_view::npos;
}

// The numbers the blocks get, by their place among the numbered blocks of the range.
class Numbering {
public:
    explicit Numbering(const RenumberOptions& options) : options_(options)
    {
        if (options.max > 0 && options.wrap)
            period_ = (options.max - options.start) / options.step + 1;
    }
    long long number(long long ordinal) const
    {
        return options_.start + options_.step * (period_ > 0 ? ordinal % period_ : ordinal);
    }
    // How many of the first `numbered` blocks get `value` (more than one only past a wrap).
    long long blocksNumbered(long long value, long long numbered) const
    {
        const long long offset = value - options_.start;
        if (offset < 0 || offset % options_.step != 0)
            return 0;
        const long long first = offset / options_.step;
        if (first >= numbered || (period_ > 0 && first >= period_))
            return 0;
        return period_ > 0 ? (numbered - first + period_ - 1) / period_ : 1;
    }
    bool wraps(long long numbered) const { return period_ > 0 && numbered > period_; }

private:
    const RenumberOptions& options_;
    long long period_ = 0;
};

// Where each old number went: the absolute lines of the blocks that had it, in order, with their
// new numbers. Only numbers that some jump names are kept.
using NewPlaces = std::unordered_map<long long, std::vector<std::pair<int, long long>>>;

// A jump (by its absolute line) whose target number the wrap gives to more than one block.
struct AmbiguousJump {
    int line;
    long long target;
};

// The refusal of a wrap that leaves jumps with more than one block to go to: each jump with its
// target and the lines of the blocks that would bear it (those of the range, counted from 0, and
// "範囲外" for one outside it), the first twenty of them.
std::string ambiguityMessage(const std::vector<AmbiguousJump>& jumps, std::string_view old, int firstLine,
                             bool existingOnly, const Numbering& numbering, const std::unordered_set<long long>& outside)
{
    constexpr std::size_t kShown = 20;
    std::string text = "先頭に戻った番号が飛び先と重なるので振り直しません:";
    for (std::size_t i = 0; i < jumps.size() && i < kShown; ++i) {
        std::string lines;
        int line = firstLine;
        long long ordinal = 0;
        forEachPieceLine(old, [&](std::string_view block) {
            if (getsNumber(readBlockStart(block), existingOnly) && numbering.number(ordinal++) == jumps[i].target)
                lines += (lines.empty() ? "" : ", ") + std::to_string(line);
            ++line;
        });
        if (outside.count(jumps[i].target))
            lines += lines.empty() ? "範囲外" : ", 範囲外";
        text += "\n" + std::to_string(jumps[i].line) + " 行目 → N" + std::to_string(jumps[i].target) + " (" + lines
                + " 行目のブロック)";
    }
    if (jumps.size() > kShown)
        text += "\nほか " + std::to_string(jumps.size() - kShown) + " 件";
    return text;
}

}  // namespace

std::optional<std::string> renumberOptionsProblem(const RenumberOptions& options)
{
    const std::string largest = std::to_string(kLargestSequenceNumber);
    if (options.start < 0 || options.start > kLargestSequenceNumber)
        return "開始番号は 0 から " + largest + " までです";
    if (options.step < 1 || options.step > kLargestSequenceNumber)
        return "増分は 1 から " + largest + " までです";
    if (options.width < 0 || options.width > kWidestSequenceNumber)
        return "桁数は 0 から " + std::to_string(kWidestSequenceNumber) + " までです";
    if (options.max != 0 && (options.max < options.start || options.max > kLargestSequenceNumber))
        return "最大値は開始番号から " + largest + " までです";
    return std::nullopt;
}

std::vector<MissingTarget> renumberProgram(TextEditor& editor, const RenumberOptions& options, Recolour recolour)
{
    if (auto problem = renumberOptionsProblem(options))
        throw UserError(*problem);
    const LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return {};
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // valid until the text changes
    const std::vector<std::string_view> pieces = cutIntoPieces(old);
    const Numbering numbering(options);
    // Without a maximum of its own the numbers still stop at the largest one a block can carry.
    const long long limit = options.max > 0 ? options.max : kLargestSequenceNumber;
    const std::string overflowMessage = "N番号が最大値 " + std::to_string(limit) + " を超えるので振り直しません";
    const bool refuses = !(options.max > 0 && options.wrap);
    const bool programApart = programWordsApart(old);

    // A jump needs the new number of its block before it is written: then a first pass over the
    // pieces counts their blocks and finds where every named number goes. Without jumps the
    // blocks are counted as the pieces are written, in order by one worker.
    const bool followJumps = mayJump(old);
    std::vector<long long> firstOrdinals;  // of each piece, with jumps to follow
    std::vector<std::vector<std::optional<long long>>> newTargets(pieces.size());  // nothing: leave it
    std::vector<MissingTarget> missing;
    if (followJumps) {
        const std::vector<PieceSurvey> surveys = surveyPieces(pieces, options.existingOnly);
        std::vector<int> firstLines;  // of each piece, in the text
        int line = range.first;
        long long numbered = 0;
        std::unordered_set<long long> named;  // the targets of the range's jumps
        for (const PieceSurvey& s : surveys) {
            firstLines.push_back(line);
            firstOrdinals.push_back(numbered);
            line += s.lines;
            numbered += s.numbered;
            for (const Jump& jump : s.jumps)
                named.insert(jump.target);
        }
        if (refuses && numbered > 0 && numbering.number(numbered - 1) > limit)
            throw UserError(overflowMessage, kRenumberCaption, UserError::Icon::Warning);
        NewPlaces places;
        for (std::size_t p = 0; p < surveys.size(); ++p)
            for (const OldNumber& n : surveys[p].oldNumbers)
                if (named.count(n.value))
                    places[n.value].push_back({firstLines[p] + n.line, numbering.number(firstOrdinals[p] + n.ordinal)});
        std::optional<Outside> outside;
        for (std::size_t p = 0; p < surveys.size(); ++p) {
            for (const Jump& jump : surveys[p].jumps) {
                const int at = firstLines[p] + jump.line;
                std::optional<long long> target;
                if (auto it = places.find(jump.target); it != places.end()) {
                    const auto& blocks = it->second;
                    auto below = std::find_if(blocks.begin(), blocks.end(), [&](const auto& b) { return b.first > at; });
                    target = (below != blocks.end() ? *below : blocks.front()).second;
                } else {
                    if (!outside)
                        outside = readOutside(editor, range);
                    if (!outside->numbers.count(jump.target))
                        missing.push_back({at, jump.target});
                }
                newTargets[p].push_back(target);
            }
        }
        // Numbers given again after a wrap may name a jump's target twice: such a jump would go
        // to whichever block the control finds first, so the wrap is refused.
        if (numbering.wraps(numbered)) {
            if (!outside)
                outside = readOutside(editor, range);
            std::vector<AmbiguousJump> ambiguous;
            for (std::size_t p = 0; p < surveys.size(); ++p)
                for (std::size_t j = 0; j < surveys[p].jumps.size(); ++j) {
                    const long long target = newTargets[p][j].value_or(surveys[p].jumps[j].target);
                    if (numbering.blocksNumbered(target, numbered) + (outside->numbers.count(target) ? 1 : 0) > 1)
                        ambiguous.push_back({firstLines[p] + surveys[p].jumps[j].line, target});
                }
            if (!ambiguous.empty())
                throw UserError(ambiguityMessage(ambiguous, old, range.first, options.existingOnly, numbering,
                                                 outside->numbers),
                                kRenumberCaption, UserError::Icon::Warning);
        }
    }

    long long carried = 0;  // the blocks numbered so far, without jumps to follow
    auto make = [&](std::size_t p) {
        long long ordinal = followJumps ? firstOrdinals[p] : carried;
        std::size_t jumpIndex = 0;
        auto write = [&](std::string_view line, std::string& out) {
            const std::size_t start = out.size();
            const BlockStart block = readBlockStart(line);
            if (getsNumber(block, options.existingOnly)) {
                const long long value = numbering.number(ordinal++);
                if (refuses && value > limit)  // found only now without jumps: nothing has changed yet
                    throw UserError(overflowMessage, kRenumberCaption, UserError::Icon::Warning);
                // The number takes the place of the old one, or goes with its N in front of the first word.
                std::size_t from = block.wordAt, to = block.wordAt;
                if (block.sequence) {
                    from = block.sequence->letterAt + 1;
                    to = from + block.sequence->numberLength;
                }
                out.append(line.substr(0, from));
                if (!block.sequence)
                    out += 'N';
                appendNumber(out, value, options.width);
                if (!block.sequence) {
                    const WordStyle style = wordStyle(line, block.wordAt);
                    if (style == WordStyle::Apart || (style == WordStyle::Unknown && programApart))
                        out += ' ';
                }
                out.append(line.substr(to));
            } else {
                out.append(line);
            }
            if (!followJumps)
                return true;
            // The jumps stand after the number, moved by what the number changed; right to left, so
            // that each write leaves the places of the ones before it.
            const Jumps jumps = jumpsOf(line);
            const std::size_t moved = out.size() - start - line.size();
            for (int i = jumps.count - 1; i >= 0; --i)
                if (const auto& target = newTargets[p][jumpIndex + static_cast<std::size_t>(i)])
                    out.replace(start + jumps.items[i].at + moved, jumps.items[i].length, std::to_string(*target));
            jumpIndex += static_cast<std::size_t>(jumps.count);
            return true;
        };
        WrittenPiece written = writePiece(pieces[p], write);
        if (!followJumps)
            carried = ordinal;  // one worker makes the pieces in order
        return written;
    };
    const unsigned workers = followJumps ? pieceWorkers() : 1u;
    const int newLines = replaceRangeFromPieces(editor, range, pieces.size(), workers, recolour, make);
    finishLines(editor, range, newLines);
    return missing;
}

void removeSequenceNumbers(TextEditor& editor, Recolour recolour)
{
    const LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // valid until the text changes
    const std::vector<std::string_view> pieces = cutIntoPieces(old);
    std::unordered_set<long long> kept = readOutside(editor, range).targets;
    if (mayJump(old))
        for (const PieceSurvey& s : surveyPieces(pieces, false))
            for (const Jump& jump : s.jumps)
                kept.insert(jump.target);

    auto transform = [&](PieceLine& line) {
        const std::string_view text = line.view();
        const BlockStart block = readBlockStart(text);
        if (!block.sequence)
            return;
        if (auto value = sequenceValue(text, *block.sequence); value && kept.count(*value))
            return;
        std::size_t end = block.sequence->letterAt + 1 + block.sequence->numberLength;
        while (end < text.size() && isBlank(text[end]))
            ++end;
        line.replace(block.sequence->letterAt, end - block.sequence->letterAt, {});
    };
    auto make = [&](std::size_t p) { return rewritePiece(pieces[p], transform); };
    const int newLines = replaceRangeFromPieces(editor, range, pieces.size(), pieceWorkers(), recolour, make);
    finishLines(editor, range, newLines);
}

std::string missingTargetsMessage(const std::vector<MissingTarget>& missing)
{
    constexpr std::size_t kShown = 20;
    std::string text = "飛び先のN番号がありません:";
    for (std::size_t i = 0; i < missing.size() && i < kShown; ++i)
        text += "\n" + std::to_string(missing[i].line) + " 行目 → N" + std::to_string(missing[i].target);
    if (missing.size() > kShown)
        text += "\nほか " + std::to_string(missing.size() - kShown) + " 件";
    return text;
}

}  // namespace zorvan::nc
