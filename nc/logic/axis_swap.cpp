#include "nc/logic/axis_swap.h"

#include "app/logic/ordered_work.h"
#include "app/logic/text_pieces.h"
#include "app/logic/user_error.h"
#include "nc/logic/program_modes.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace zorvan::nc {

namespace {

bool startsWord(char follower)
{
    return (follower >= '0' && follower <= '9') || follower == '.' || follower == '-' || follower == '+'
           || follower == '#' || follower == '[';
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
    // The four passes in one sweep. Passes 1 and 2 decide on letters of the original text alike:
    // a marker "@" is no word-start character, just as the letter it replaced is none, so pass 2
    // sees the same B words as the original has; each pass passes over the follower of its own
    // letters only. Pass 4's "--" removal leaves a run of n dashes as n % 2 dashes at the run's
    // start, where the removals took place.
    const bool reversal = b == kSignReversal;
    const char s = reversal ? a : b;  // what a marker becomes
    SwapPassesResult result;
    std::string& out = result.text;
    out.reserve(body.size() + (reversal ? body.size() / 8 : 0) + 16);
    std::size_t dashes = 0;  // the run of dashes not yet written
    auto endDashes = [&] {
        if (dashes >= 2)
            result.lastDeletion = static_cast<long>(out.size());
        if (dashes % 2)
            out += '-';
        dashes = 0;
    };
    auto put = [&](char c) {
        if (c == '-') {
            ++dashes;
            return;
        }
        if (dashes)
            endDashes();
        out += c;
    };
    bool matters[256] = {};
    for (char c : {a, b, '@', '-'})
        matters[static_cast<unsigned char>(c)] = true;
    bool passOverA = false, passOverB = false;  // the follower of a letter that started no word
    const std::size_t n = body.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = body[i];
        const bool skippedA = passOverA, skippedB = passOverB;
        passOverA = passOverB = false;
        if (c == a && !skippedA) {
            if (startsWord(i + 1 < n ? body[i + 1] : follow)) {
                put(s);
                if (reversal)
                    put('-');
            } else {
                put(c);
                passOverA = true;
            }
        } else if (c == b && !reversal && !skippedB) {
            if (startsWord(i + 1 < n ? body[i + 1] : follow)) {
                put(a);
            } else {
                put(c);
                passOverB = true;
            }
        } else if (c == '@') {
            put(s);
        } else if (c == '-') {
            ++dashes;
        } else {
            // Plain text up to the next character that matters goes in one step.
            std::size_t end = i + 1;
            while (end < n && !matters[static_cast<unsigned char>(body[end])])
                ++end;
            if (dashes)
                endDashes();
            out.append(body.substr(i, end - i));
            i = end - 1;
        }
    }
    if (dashes)
        endDashes();
    return result;
}

namespace {

int axisOf(char letter) { return letter == 'X' ? 0 : letter == 'Y' ? 1 : letter == 'Z' ? 2 : -1; }

// The exchange that keeps the toolpath, line by line in order (see SwapWords::WithArcs).
struct BlockSwap {
    char a = 0, b = 0;
    bool reversal = false;
    int ia = -1, ib = -1;  // the axes of the letters (-1: no axis)
    char centreA = 0, centreB = 0;
    ProgramModes modes;
    int writtenPlane = 17;
    bool motionFlipped = false;
    long line = 0;
    ScannedLine scanned;
    LineEdits edits;

    BlockSwap(char first, char second, const ProgramModes& start, long firstLine)
        : a(first), b(second), reversal(second == kSignReversal), modes(start), writtenPlane(start.plane), line(firstLine)
    {
        ia = axisOf(a);
        ib = reversal ? -1 : axisOf(b);
        if (ia < 0 || (!reversal && ib < 0))
            ia = ib = -1;  // not two axes: only the letters are exchanged
        if (ia >= 0) {
            centreA = "IJK"[ia];
            centreB = reversal ? 0 : "IJK"[ib];
        }
    }

    bool axes() const { return ia >= 0; }
    int mappedPlane(int plane) const
    {
        if (reversal)
            return plane;
        const int normal = planeNormal(plane);
        return planeOfNormal(normal == ia ? ib : normal == ib ? ia : normal);
    }
    // Whether the mirror turns the arcs of `plane` round.
    bool turnsArcs(int plane) const { return !reversal || planeNormal(plane) != ia; }

    char exchanged(char c) const
    {
        if (c == a)
            return reversal ? a : b;
        if (!reversal && c == b)
            return a;
        if (c != 0 && c == centreA)
            return reversal ? centreA : centreB;
        if (!reversal && c != 0 && c == centreB)
            return centreA;
        return 0;
    }

    void reverseSign(std::string_view text, std::size_t letterAt)
    {
        const std::size_t next = letterAt + 1;
        if (next < text.size() && text[next] == '-')
            edits.replace(next, 1, {});
        else if (next < text.size() && text[next] == '+')
            edits.replace(next, 1, "-");
        else
            edits.insert(next, "-");
    }

    // The line `text`, whose bytes [lo, hi) lie in the range, rewritten onto the end of `out`.
    void operator()(std::string_view text, std::size_t lo, std::size_t hi, std::string& out)
    {
        const long index = line++;
        const std::size_t from = out.size();
        out.append(text);
        scanLine(text, scanned);
        if (!scanned.present)
            return;
        const LineRole role = modes.apply(scanned, index);
        if (lo >= hi)
            return;
        // A dwell's X is a time, G10 sets data, G53 names machine positions: none is the program's.
        if (scanned.hasG(40) || scanned.hasG(100) || role == LineRole::MachineMove)
            return;
        auto inRange = [&](std::size_t at) { return at >= lo && at < hi; };
        auto refuse = [&](const std::string& why) { throw UserError(refusalMessage(index, why)); };
        if (axes() && role == LineRole::Rotate)
            refuse("G68 の座標回転は入れ替えできません");
        bool arcWords = false, motionWord = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '(') {
                const std::size_t close = text.find(')', i);
                if (close == std::string_view::npos)
                    break;
                i = close;
                continue;
            }
            if (c == ';')
                break;
            if (c < 'A' || c > 'Z' || !inRange(i))
                continue;
            if (c == 'X' || c == 'Y' || c == 'Z' || c == 'I' || c == 'J' || c == 'K' || c == 'R')
                arcWords = true;
            const char to = exchanged(c);
            if (!to || !startsWord(i + 1 < text.size() ? text[i + 1] : '\0'))
                continue;
            if (reversal)
                reverseSign(text, i);
            else
                edits.replace(i, 1, std::string(1, to));
        }
        if (axes()) {
            for (int g = 0; g < scanned.gCount; ++g) {
                const int code = scanned.g[g];
                if (code == 170 || code == 180 || code == 190) {
                    const int plane = inRange(scanned.gAt[g]) ? mappedPlane(code / 10) : code / 10;
                    if (plane != code / 10)
                        edits.setUnitsDigit(text, scanned.gAt[g], static_cast<char>('0' + plane % 10));
                    writtenPlane = plane;
                } else if ((code == 20 || code == 30) && inRange(scanned.gAt[g])) {
                    motionWord = true;
                    motionFlipped = turnsArcs(modes.plane);
                    if (motionFlipped)
                        edits.setUnitsDigit(text, scanned.gAt[g], code == 20 ? '3' : '2');
                }
            }
            const bool arc = modes.arcMotion() && arcWords;
            if (arc && !motionWord && (modes.motionLine < 0 ? turnsArcs(modes.plane) : motionFlipped != turnsArcs(modes.plane)))
                refuse("G02/G03 の行が範囲の前にあるか平面が変わった円弧の続きなので、回りの向きを書き換えられません");
            const bool cycle = modes.cycle != 0 && role == LineRole::Move && arcWords;
            if ((arc || cycle) && mappedPlane(modes.plane) != writtenPlane) {
                writtenPlane = mappedPlane(modes.plane);
                edits.insert(std::max(blockStart(text), lo), "G" + std::to_string(writtenPlane));
            }
            // A reversed drilling axis reverses the R level, which lies on it.
            if (cycle && reversal && planeNormal(modes.plane) == ia && scanned.has('R') && inRange(scanned.at['R' - 'A']))
                reverseSign(text, scanned.at['R' - 'A']);
        }
        edits.apply([&out, from](std::size_t at, std::size_t length, std::string_view t) {
            out.replace(from + at, length, t);
        });
    }
};

// A swap read from the editor: the lines that hold the range, viewed where the editor holds them
// (the text stays as it is until the result is applied, and an editor's view stays put meanwhile),
// so that the passes can run away from the editor's thread without a copy of a big text first;
// and the pieces the passes made of them.
struct SwapJob {
    char a = 0, b = 0;
    CommandRange range;
    Recolour recolour = Recolour::WrittenLines;
    long rangeStart = 0, rangeEnd = 0, firstStart = 0;
    int firstLine = 0, lastLine = 0;
    char followRange = 0;  // the character after the lines (0: the end of the text)
    std::string buffer;      // the lines, when the editor hands them over in a copy
    std::string_view lines;  // into the editor or `buffer`
    std::size_t bodyFrom = 0, bodyTo = 0;  // the range: bytes [bodyFrom, bodyTo) of `lines`
    std::vector<std::string_view> pieces;  // into `lines`
    std::vector<SwappedPiece> swapped;
    std::optional<BlockSwap> blocks;  // the exchange that keeps the toolpath

    // A piece through `blocks`, line by line.
    SwappedPiece makeBlocks(std::size_t index)
    {
        const std::string_view piece = pieces[index];
        SwappedPiece result;
        std::string& out = result.text;
        out.reserve(piece.size() + piece.size() / 16 + 16);
        std::size_t lineAt = static_cast<std::size_t>(piece.data() - lines.data());
        std::string_view rest = piece;
        for (;;) {
            const std::size_t end = rest.find("\r\n");
            const std::string_view one = rest.substr(0, end);
            const std::size_t lo = std::clamp(bodyFrom, lineAt, lineAt + one.size()) - lineAt;
            const std::size_t hi = std::clamp(bodyTo, lineAt, lineAt + one.size()) - lineAt;
            (*blocks)(one, lo, hi, out);
            out += "\r\n";
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 2);
            lineAt += end + 2;
        }
        result.lengthChange = static_cast<long>(out.size()) - static_cast<long>(piece.size() + 2);
        result.changed = result.lengthChange != 0 || std::string_view(out).substr(0, piece.size()) != piece;
        result.characters = countCharacters(out);
        return result;
    }

    SwappedPiece make(std::size_t index) const
    {
        const std::string_view piece = pieces[index];
        const std::size_t pieceAt = static_cast<std::size_t>(piece.data() - lines.data());
        const std::size_t lo = std::clamp(bodyFrom, pieceAt, pieceAt + piece.size()) - pieceAt;
        const std::size_t hi = std::clamp(bodyTo, pieceAt, pieceAt + piece.size()) - pieceAt;
        SwappedPiece result;
        std::string& out = result.text;
        if (lo < hi) {
            const char follow = hi < piece.size() ? piece[hi] : index + 1 < pieces.size() ? '\r' : followRange;
            const std::string_view body = piece.substr(lo, hi - lo);
            SwapPassesResult passed = swapPasses(body, follow, a, b);
            out.reserve(piece.size() + passed.text.size() - body.size() + 2);
            out.append(piece.substr(0, lo));
            out += passed.text;
            out.append(piece.substr(hi));
            result.changed = passed.text != body;
            result.lengthChange = static_cast<long>(passed.text.size()) - static_cast<long>(body.size());
            if (passed.lastDeletion >= 0)
                result.lastDeletion = countCharacters(std::string_view(out).substr(0, lo + passed.lastDeletion));
        } else {
            out.reserve(piece.size() + 2);
            out.append(piece);
        }
        out += "\r\n";
        result.characters = countCharacters(out);
        return result;
    }

    void run(const std::function<void(long long, long long)>& progress)
    {
        if (blocks) {
            // Each line depends on the modes of the lines above it: in order, on this thread.
            swapped.reserve(pieces.size());
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                swapped.push_back(makeBlocks(i));
                if (progress)
                    progress(static_cast<long long>(i + 1), static_cast<long long>(pieces.size()));
            }
            return;
        }
        std::optional<OrderedWork<SwappedPiece>> work;
        if (pieces.size() > 1)
            work.emplace(pieces.size(), pieceWorkers(), kPiecesAhead, [this](std::size_t i) { return make(i); });
        swapped.reserve(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            swapped.push_back(work ? *work->next() : make(i));
            if (progress)
                progress(static_cast<long long>(i + 1), static_cast<long long>(pieces.size()));
        }
    }

    void apply(TextEditor& editor)
    {
        std::size_t taken = 0;
        long lengthChange = 0, charactersBefore = 0, lastDeletion = -1;
        auto next = [&](std::string& piece) {
            if (taken == swapped.size())
                return false;
            SwappedPiece& done = swapped[taken++];
            lengthChange += done.lengthChange;
            if (done.lastDeletion >= 0)
                lastDeletion = firstStart + charactersBefore + done.lastDeletion;
            charactersBefore += done.characters;
            piece = std::move(done.text);
            return true;
        };
        // Nothing swapped: no change, so no step and no mark.
        if (std::any_of(swapped.begin(), swapped.end(), [](const SwappedPiece& p) { return p.changed; })) {
            QuietEditor quiet(editor);  // the command colours the lines itself
            editor.replaceLinesFromPieces(firstLine, lastLine - firstLine + 1, next, linesColouring(recolour));
        }
        if (range.selectionOnly)
            editor.setSelection(rangeStart, rangeEnd - rangeStart + lengthChange);
        else
            editor.setCaret(lastDeletion >= 0 ? lastDeletion : rangeStart);
    }
};

}  // namespace

StagedCommand stagedSwap(const TextEditor& editor, char a, char b, const CommandRange& range, Recolour recolour,
                         SwapWords words)
{
    auto nothing = [](const auto&) -> EditStep { return [](TextEditor&) {}; };
    if (a == b)
        return nothing;
    const auto positions = positionsOf(editor, range);
    const long rangeStart = positions.first, rangeEnd = positions.second;
    if (rangeEnd <= rangeStart) {
        if (range.selectionOnly)
            return nothing;
        return [rangeStart](const auto&) -> EditStep { return [rangeStart](TextEditor& e) { e.setCaret(rangeStart); }; };
    }

    auto job = std::make_shared<SwapJob>();
    job->a = a;
    job->b = b;
    job->range = range;
    job->recolour = recolour;
    job->rangeStart = rangeStart;
    job->rangeEnd = rangeEnd;
    // The lines that hold the range, read in one view; the range is the bytes [bodyFrom, bodyTo).
    job->firstLine = editor.lineFromPosition(rangeStart);
    job->lastLine = editor.lineFromPosition(rangeEnd);
    if (job->lastLine > job->firstLine && editor.positionFromLine(job->lastLine) == rangeEnd)
        --job->lastLine;  // the range ends with a line break, which the passes never change
    job->firstStart = editor.positionFromLine(job->firstLine);
    const long lastStart = editor.positionFromLine(job->lastLine);
    const long linesEnd = lastStart + countCharacters(editor.line(job->lastLine));
    job->followRange = linesEnd < editor.length() ? '\r' : '\0';
    job->lines = editor.textView(job->firstStart, linesEnd - job->firstStart, job->buffer);
    const std::string_view lines = job->lines;
    const std::size_t lastLineAt = job->firstLine == job->lastLine ? 0 : lines.rfind("\r\n") + 2;
    job->bodyFrom = byteOffsetOfCharacter(lines, rangeStart - job->firstStart);
    job->bodyTo =
        std::min(lines.size(), lastLineAt + byteOffsetOfCharacter(lines.substr(lastLineAt), rangeEnd - lastStart));
    job->pieces = cutIntoPieces(lines);
    if (words == SwapWords::WithArcs)
        job->blocks.emplace(a, b, stateBefore(editor, job->firstLine).modes, job->firstLine);
    return [job](const std::function<void(long long, long long)>& progress) -> EditStep {
        job->run(progress);
        return [job](TextEditor& editor) { job->apply(editor); };
    };
}

void swapAxes(TextEditor& editor, char a, char b, const CommandRange& range, Recolour recolour, SwapWords words)
{
    stagedSwap(editor, a, b, range, recolour, words)({})(editor);
}

}  // namespace zorvan::nc
