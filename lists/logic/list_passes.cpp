#include "lists/logic/list_passes.h"

#include "app/logic/ordered_work.h"
#include "app/logic/text_pieces.h"
#include "app/logic/user_error.h"
#include "lists/logic/list_tokens.h"
#include "nc/logic/find_replace.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace zorvan::lists {

std::optional<std::size_t> removeMinusPairs(std::string& text)
{
    const std::size_t first = text.find("--");
    if (first == std::string::npos)
        return std::nullopt;
    // Compacts in place from the first pair on: each run of minus signs keeps its length mod 2,
    // and a run's pairs are removed where the run starts.
    std::size_t lastRemoval = first;
    std::size_t out = first, in = first;
    const std::size_t n = text.size();
    while (in < n) {
        const void* dash = std::memchr(text.data() + in, '-', n - in);
        const std::size_t runStart = dash ? static_cast<std::size_t>(static_cast<const char*>(dash) - text.data()) : n;
        if (runStart > in) {
            std::memmove(text.data() + out, text.data() + in, runStart - in);
            out += runStart - in;
            in = runStart;
        }
        if (in == n)
            break;
        std::size_t runEnd = in;
        while (runEnd < n && text[runEnd] == '-')
            ++runEnd;
        if (runEnd - in >= 2)
            lastRemoval = out;
        if ((runEnd - in) % 2)
            text[out++] = '-';
        in = runEnd;
    }
    text.resize(out);
    return lastRemoval;
}

std::size_t passResultLimit(std::size_t inputBytes)
{
    const std::size_t grown = inputBytes > kMostPassBytes / kPassGrowth ? kMostPassBytes : inputBytes * kPassGrowth;
    return std::min(kMostPassBytes, std::max(kPassFloorBytes, grown));
}

namespace {

using Progress = std::function<void(long long done, long long total)>;

// How long a piece of the text may grow: its share of the pass's limit, in proportion to its
// size, so that the pieces worked on at once stay within the limit together and each is refused
// at the same row whatever the order they are worked in. A text keeps at least its own size.
class GrowthMeter {
public:
    GrowthMeter(std::size_t textBytes, std::size_t pieceBytes)
        : limit_(passResultLimit(textBytes)),
          most_(std::max(pieceBytes, textBytes == 0 ? limit_
                                                    : static_cast<std::size_t>(static_cast<long double>(limit_)
                                                                               * pieceBytes / textBytes)))
    {
    }
    // Whether a piece of `size` bytes fits.
    bool fits(std::size_t size) const { return size <= most_; }
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_, most_;
};

std::string mebibytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

[[noreturn]] void placeholderTooBig(int number, const GrowthMeter& meter)
{
    throw UserError("$" + std::to_string(number) + " を埋めると結果が大きくなりすぎます (上限 " + mebibytes(meter.limit())
                    + ")。置き換えませんでした");
}

[[noreturn]] void rowTooBig(std::size_t row, const GrowthMeter& meter)
{
    throw UserError("変換表の " + std::to_string(row) + " 行目で結果が大きくなりすぎます (上限 "
                    + mebibytes(meter.limit()) + ")。変換しませんでした");
}

void finishWithMinusPairs(PassResult& result)
{
    result.lastRemoval = removeMinusPairs(result.text);
    result.edited = result.edited || result.lastRemoval.has_value();
}

// The nine values as they are inserted.
using Values = std::array<std::string, kPlaceholderCount>;

Values insertedValues(const ValueSet& set)
{
    Values values;
    for (int k = 1; k <= kPlaceholderCount; ++k)
        values[static_cast<std::size_t>(k - 1)] = withDocumentBreaks(set.value(k));
    return values;
}

PassResult fill(std::string_view text, const Values& values, std::size_t textBytes)
{
    const GrowthMeter meter(textBytes, text.size());
    PassResult result;
    std::string& out = result.text;
    out.reserve(text.size() + text.size() / 8 + 64);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t dollar = text.find('$', i);
        if (dollar == std::string_view::npos || dollar + 1 >= text.size()) {
            out.append(text.substr(i));
            break;
        }
        const char next = text[dollar + 1];
        if (next >= '1' && next <= '9') {
            const std::string& value = values[static_cast<std::size_t>(next - '1')];
            // Checked before the value goes in: the growth it brings is known beforehand.
            if (!meter.fits(out.size() + (dollar - i) + value.size() + (text.size() - dollar - 2)))
                placeholderTooBig(next - '0', meter);
            out.append(text.substr(i, dollar - i));
            out += value;
            result.edited = true;
        } else {
            // The character after a lone "$" is passed over whole (it may be several bytes, but
            // none of them can be a "$").
            out.append(text.substr(i, dollar + 2 - i));
        }
        i = dollar + 2;
    }
    finishWithMinusPairs(result);
    return result;
}

// The rows as they are searched and inserted, without those with an empty search text.
struct Row {
    std::string search, replacement;
    std::size_t number;  // in the table, from 1
};
using Rows = std::vector<Row>;

Rows searchedRows(const TDoubleGrid& table)
{
    Rows rows;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        std::string search = withDocumentBreaks(table.searchTexts[r]);
        if (!search.empty())
            rows.push_back({std::move(search), withDocumentBreaks(table.replacementTexts[r]), r + 1});
    }
    return rows;
}

// `rowDone(done, total)` is told after each row; it may throw to stop the pass.
PassResult convert(std::string_view text, const Rows& rows, std::size_t textBytes, const Progress& rowDone = {})
{
    PassResult result;
    const GrowthMeter meter(textBytes, text.size());
    std::string_view current = text;  // the text as the rows so far left it
    std::string spare;
    for (const Row& row : rows) {
        const std::string_view search = row.search, replacement = row.replacement;
        if (const std::size_t first = current.find(search); first != std::string_view::npos) {
            spare.assign(current.substr(0, first));
            // The size the text would have if the rest came unchanged: checked at each match.
            std::size_t consumed = first;
            nc::replaceEveryInto(current.substr(first), search, replacement, [&](std::string_view part) {
                consumed += part.data() == replacement.data() ? search.size() : part.size();
                if (!meter.fits(spare.size() + part.size() + (current.size() - consumed)))
                    rowTooBig(row.number, meter);
                spare.append(part);
            });
            result.text.swap(spare);
            current = result.text;
            result.edited = true;
        }
        if (rowDone)
            rowDone(static_cast<long long>(&row - rows.data() + 1), static_cast<long long>(rows.size()));
    }
    if (!result.edited)
        result.text = std::string(text);
    finishWithMinusPairs(result);
    return result;
}

}  // namespace

PassResult fillPlaceholders(std::string_view text, const ValueSet& set)
{
    return fill(text, insertedValues(set), text.size());
}

PassResult convertMacros(std::string_view text, const TDoubleGrid& table)
{
    return convert(text, searchedRows(table), text.size());
}

namespace {

std::size_t countBreaks(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

// The text cut into pieces of whole lines (each ending with its CR LF, the last with whatever
// ends the text) of about `size` bytes.
std::vector<std::string_view> cutAfterBreaks(std::string_view text, std::size_t size)
{
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t at = text.size() > size ? text.find("\r\n", size) : std::string_view::npos;
        const std::size_t length = at == std::string_view::npos ? text.size() : at + 2;
        pieces.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return pieces;
}

// One piece of the old text and what the pass made of it.
struct Piece {
    std::string_view old;
    PassResult result;
    bool changed() const { return result.text != old; }
};

// The pass over every piece, on worker threads.
template <typename Pass>
std::vector<Piece> passPieces(std::string_view text, bool linesIndependent, const Pass& pass, const Progress& progress)
{
    std::vector<Piece> pieces;
    for (std::string_view old : linesIndependent ? cutAfterBreaks(text, kPieceBytes) : std::vector<std::string_view>{text})
        pieces.push_back(Piece{old, {}});
    if (pieces.size() <= 1) {
        // One piece tells its progress from within.
        for (Piece& piece : pieces)
            piece.result = pass(piece.old, progress);
        return pieces;
    }
    OrderedWork<PassResult> work(pieces.size(), pieceWorkers(), pieces.size(),
                                 [&](std::size_t index) { return pass(pieces[index].old, Progress()); });
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].result = *work.next();
        if (progress)
            progress(static_cast<long long>(i + 1), static_cast<long long>(pieces.size()));
    }
    return pieces;
}

// The caret after the pass: where the last "--" was removed, else the start of the text.
long caretAfter(const std::vector<Piece>& pieces)
{
    auto last = std::find_if(pieces.rbegin(), pieces.rend(), [](const Piece& p) { return p.result.lastRemoval.has_value(); });
    if (last == pieces.rend())
        return 0;
    long caret = 0;
    for (auto it = pieces.begin(); it != last.base() - 1; ++it)
        caret += countCharacters(it->result.text);
    return caret + countCharacters(std::string_view(last->result.text).substr(0, *last->result.lastRemoval));
}

// Replaces the lines from the first to the last that changed, as one edit, handing the pieces'
// new texts over without joining them first.
void replaceChangedPieces(TextEditor& editor, std::vector<Piece>& pieces, nc::Recolour recolour)
{
    std::size_t first = 0, last = pieces.size();
    while (first < pieces.size() && !pieces[first].changed())
        ++first;
    if (first == pieces.size())
        return;
    while (!pieces[last - 1].changed())
        --last;

    // Within the first changed piece: from the start of the line of its first difference.
    const std::string_view oldFirst = pieces[first].old;
    const std::string& newFirst = pieces[first].result.text;
    const std::size_t same = static_cast<std::size_t>(
        std::mismatch(oldFirst.begin(), oldFirst.begin() + std::min(oldFirst.size(), newFirst.size()), newFirst.begin()).first
        - oldFirst.begin());
    const std::size_t lastBreak = same >= 2 ? oldFirst.rfind("\r\n", same - 2) : std::string_view::npos;
    std::size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 2;
    // Within the last changed piece: up to the end of the line of its last difference.
    const std::string_view oldLast = pieces[last - 1].old;
    const std::string& newLast = pieces[last - 1].result.text;
    const std::size_t limit = std::min(oldLast.size(), newLast.size()) - (first == last - 1 ? lineStart : 0);
    std::size_t sameEnd = 0;
    while (sameEnd < limit && oldLast[oldLast.size() - 1 - sameEnd] == newLast[newLast.size() - 1 - sameEnd])
        ++sameEnd;
    std::size_t oldLineEnd = std::min(oldLast.find("\r\n", oldLast.size() - sameEnd), oldLast.size());

    // The editor takes a whole new text much faster than a long range inside its text, so a
    // change over most of the text rewrites all of it.
    std::size_t before = 0, after = 0, total = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        total += pieces[i].old.size();
        before += i < first ? pieces[i].old.size() : 0;
        after += i >= last ? pieces[i].old.size() : 0;
    }
    before += lineStart;
    after += oldLast.size() - oldLineEnd;
    if (pieces.size() > 1 && 2 * (before + after) < total) {
        first = 0;
        last = pieces.size();
        lineStart = 0;
        oldLineEnd = pieces.back().old.size();
    }
    const std::size_t newLineEnd = oldLineEnd + pieces[last - 1].result.text.size() - pieces[last - 1].old.size();

    std::size_t breaksBefore = 0;
    for (std::size_t i = 0; i < first; ++i)
        breaksBefore += countBreaks(pieces[i].old);
    const int firstLine = static_cast<int>(breaksBefore + countBreaks(pieces[first].old.substr(0, lineStart)));
    std::size_t oldBreaks = 0;
    for (std::size_t i = first; i < last; ++i) {
        std::string_view old = pieces[i].old;
        if (i == last - 1)
            old = old.substr(0, oldLineEnd);
        if (i == first)
            old.remove_prefix(lineStart);
        oldBreaks += countBreaks(old);
    }
    // The last piece handed over ends its last line with CR LF; the next ones are untouched.
    std::string& lastText = pieces[last - 1].result.text;
    lastText.resize(newLineEnd);
    lastText += "\r\n";
    std::size_t index = first;
    auto next = [&](std::string& piece) {
        if (index == last)
            return false;
        std::string& text = pieces[index].result.text;
        piece = index == first && lineStart > 0 ? text.substr(lineStart) : std::move(text);
        ++index;
        return true;
    };
    QuietEditor quiet(editor);  // the pass colours the lines it writes itself
    editor.replaceLinesFromPieces(firstLine, static_cast<int>(oldBreaks) + 1, next, nc::linesColouring(recolour));
}

// The pass in stages: the whole text is read now; the pieces are passed on any thread; the edit
// writes the lines that changed.
template <typename Pass>
nc::StagedCommand stagePass(const TextEditor& editor, nc::Recolour recolour, bool linesIndependent, Pass pass)
{
    std::string buffer;
    auto old = std::make_shared<const std::string>(editor.textView(0, editor.length(), buffer));
    return [old, recolour, linesIndependent, pass](const Progress& progress) -> nc::EditStep {
        auto passPiece = [&](std::string_view piece, const Progress& within) { return pass(piece, old->size(), within); };
        auto pieces = std::make_shared<std::vector<Piece>>(passPieces(*old, linesIndependent, passPiece, progress));
        const bool edited = std::any_of(pieces->begin(), pieces->end(), [](const Piece& p) { return p.result.edited; });
        const long caret = caretAfter(*pieces);
        return [old, pieces, edited, caret, recolour](TextEditor& editor) {
            if (edited) {
                replaceChangedPieces(editor, *pieces, recolour);
            }
            editor.setCaret(caret);
        };
    };
}

}  // namespace

void replaceChangedLines(TextEditor& editor, std::string_view old, std::string&& fresh, nc::Recolour recolour)
{
    std::vector<Piece> pieces{Piece{old, {}}};
    pieces.front().result.text = std::move(fresh);
    replaceChangedPieces(editor, pieces, recolour);
}

nc::StagedCommand stagedPlaceholderPass(const TextEditor& editor, const ValueSet& set, nc::Recolour recolour)
{
    return stagePass(editor, recolour, true,
                     [values = insertedValues(set)](std::string_view text, std::size_t textBytes, const Progress&) {
                         return fill(text, values, textBytes);
                     });
}

nc::StagedCommand stagedMacroPass(const TextEditor& editor, const TDoubleGrid& table, nc::Recolour recolour)
{
    Rows rows = searchedRows(table);
    // A search text without a line break never matches across one, so the lines can be worked
    // on apart.
    const bool linesIndependent = std::none_of(rows.begin(), rows.end(), [](const auto& row) {
        return row.search.find('\n') != std::string::npos;
    });
    return stagePass(editor, recolour, linesIndependent,
                     [rows = std::move(rows)](std::string_view text, std::size_t textBytes, const Progress& rowDone) {
                         return convert(text, rows, textBytes, rowDone);
                     });
}

void runPlaceholderPass(TextEditor& editor, const ValueSet& set, nc::Recolour recolour)
{
    stagedPlaceholderPass(editor, set, recolour)({})(editor);
}

void runMacroPass(TextEditor& editor, const TDoubleGrid& table, nc::Recolour recolour)
{
    stagedMacroPass(editor, table, recolour)({})(editor);
}

}  // namespace zorvan::lists
