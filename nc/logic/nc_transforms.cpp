#include "nc/logic/nc_transforms.h"

#include "app/logic/colouring.h"
#include "app/logic/ordered_work.h"
#include "app/logic/user_error.h"
#include "nc/logic/line_rewriting.h"
#include "nc/logic/nc_words.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <optional>
#include <vector>

namespace zorvan::nc {

TextEditor::LinesColouring linesColouring(Recolour recolour)
{
    switch (recolour) {
    case Recolour::WrittenLines: return [](std::string_view text) { return colouring::LineRuns(text, 0); };
    case Recolour::AsLoaded: return [](std::string_view text) { return colouring::WholeTextRuns(text); };
    case Recolour::None: break;
    }
    return {};
}

void colourLines(TextEditor& editor, Recolour recolour, int first, int last)
{
    if (recolour == Recolour::WrittenLines && first <= last)
        colouring::ColourLines(editor, first, last);
}

namespace {

// Calls `fn(lineText)` for each of the `count` lines of a range's text; the last one takes the
// rest, whatever it holds.
template <typename Fn> void forEachLineOf(std::string_view text, int count, Fn&& fn)
{
    for (int i = 0; i < count; ++i) {
        std::size_t at = i + 1 < count ? text.find("\r\n") : std::string_view::npos;
        fn(text.substr(0, at));
        text = at == std::string_view::npos ? std::string_view{} : text.substr(at + 2);
    }
}

// The colour runs of a line other than the default, counted from its first character.
std::vector<TextEditor::ColourRun> lineColours(const TextEditor& editor, int line)
{
    std::vector<TextEditor::ColourRun> runs;
    const long start = editor.positionFromLine(line);
    const long chars = countCharacters(editor.line(line));
    for (long i = 0; i < chars; ++i) {
        const TextColour colour = editor.colourAt(start + i);
        if (colour == TextColour::Default)
            continue;
        if (!runs.empty() && runs.back().colour == colour && runs.back().start + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1, colour});
    }
    return runs;
}

double checkedResult(long double value, char letter)
{
    double stored = static_cast<double>(value);
    if (!std::isfinite(stored))
        throw ValueTooLarge(letter);
    return stored;
}

void writeWord(PieceLine& line, const AddressWord& word, const std::optional<std::string>& text)
{
    if (text)
        line.write(word, *text);
}

// The cosine or sine with values near zero made exactly zero, so quarter turns come out clean.
long double cleaned(long double value) { return (value > -1e-8L && value < 1e-8L) ? 0.0L : value; }

// The line transforms of the commands; each holds what it needs by value.
auto shiftTransform(const AxisValues& offsets, const DecimalSettings& settings)
{
    return [shifts = std::array<std::pair<char, double>, 3>{{{'X', offsets.x}, {'Y', offsets.y}, {'Z', offsets.z}}},
            settings](PieceLine& line) {
        for (auto [letter, offset] : shifts) {
            if (offset == 0)
                continue;
            auto word = line.word(letter);
            if (!word || word->problem != NumberProblem::None)
                continue;  // an unreadable number stays as written
            double sum = checkedResult(static_cast<long double>(word->value) + offset, letter);
            writeWord(line, *word, formatValue(sum, settings));
        }
    };
}

auto rotationTransform(const AxisValues& angles, const DecimalSettings& settings)
{
    const long double ca = cleaned(std::cos(static_cast<long double>(angles.x)));
    const long double sa = cleaned(std::sin(static_cast<long double>(angles.x)));
    const long double cb = cleaned(std::cos(static_cast<long double>(angles.y)));
    const long double sb = cleaned(std::sin(static_cast<long double>(angles.y)));
    const long double cc = cleaned(std::cos(static_cast<long double>(angles.z)));
    const long double sc = cleaned(std::sin(static_cast<long double>(angles.z)));
    // x, y, z: the program's own coordinates as read so far.
    return [=, x = 0.0, y = 0.0, z = 0.0](PieceLine& line) mutable {
        auto wx = line.word('X');
        auto wy = line.word('Y');
        auto wz = line.word('Z');
        const auto unreadable = [](const auto& w) { return w && w->problem != NumberProblem::None; };
        if (unreadable(wx) || unreadable(wy) || unreadable(wz))
            return;  // no point can be made of the line: it stays as written
        if (wx)
            x = wx->value;
        if (wy)
            y = wy->value;
        if (wz)
            z = wz->value;
        if (!wx && !wy && !wz)
            return;
        const double x1 = x;
        const double y1 = static_cast<double>(y * ca - z * sa);
        const double z1 = static_cast<double>(y * sa + z * ca);
        const double x2 = static_cast<double>(x1 * cb + z1 * sb);
        const double y2 = y1;
        const double z2 = static_cast<double>(-x1 * sb + z1 * cb);
        const long double x3 = x2 * cc - y2 * sc;
        const long double y3 = x2 * sc + y2 * cc;
        const long double z3 = z2;
        // Each write may move the words after it, so every letter is looked up afresh.
        const std::pair<char, long double> results[] = {{'X', x3}, {'Y', y3}, {'Z', z3}};
        for (auto [letter, value] : results) {
            auto word = line.word(letter);
            if (word)
                line.write(*word, formatValueForRotation(checkedResult(value, letter), settings));
        }
    };
}

auto calculationTransform(char letter, Operation operation, double operand, const DecimalSettings& settings)
{
    if (dividesByZero(operation, operand))
        throw UserError(kDivisionByZeroMessage);
    return [letter, operation, k = static_cast<long double>(operand), settings](PieceLine& line) {
        auto word = line.word(letter);
        if (!word || word->problem != NumberProblem::None)
            return;  // an unreadable number stays as written
        const long double v = word->value;
        long double result = v;
        switch (operation) {
        case Operation::Double: result = v * 2; break;
        case Operation::Halve: result = v * 0.5L; break;
        case Operation::Multiply: result = v * k; break;
        case Operation::Divide: result = v / k; break;
        case Operation::Add: result = v + k; break;
        case Operation::Subtract: result = v - k; break;
        }
        writeWord(line, *word, formatValue(checkedResult(result, letter), settings));
    };
}

}  // namespace

bool dividesByZero(Operation operation, double operand) { return operation == Operation::Divide && operand == 0; }

void shiftCoordinates(TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                      Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Independent, shiftTransform(offsets, settings));
}

void rotateAxes(TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings, Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Carried, rotationTransform(angles, settings));
}

void calculateValues(TextEditor& editor, char letter, Operation operation, double operand,
                     const DecimalSettings& settings, Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Independent, calculationTransform(letter, operation, operand, settings));
}

StagedCommand stagedShift(const TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                          Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Independent, shiftTransform(offsets, settings));
}

StagedCommand stagedRotation(const TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings,
                             Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Carried, rotationTransform(angles, settings));
}

StagedCommand stagedCalculation(const TextEditor& editor, char letter, Operation operation, double operand,
                                const DecimalSettings& settings, Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Independent, calculationTransform(letter, operation, operand, settings));
}

StagedCommand stagedReversal(const TextEditor& editor, Recolour recolour)
{
    const LineRange range = numericLineRange(editor);
    const int count = range.count();
    if (count < 2)
        return [](const auto&) -> EditStep { return [](TextEditor&) {}; };
    std::string buffer;
    auto old = std::make_shared<std::string>(readRangeText(editor, range, buffer));
    return [old, range, recolour](const std::function<void(long long, long long)>& progress) -> EditStep {
        const int count = range.count();
        std::vector<std::string_view> lines;
        lines.reserve(static_cast<std::size_t>(count));
        forEachLineOf(*old, count, [&](std::string_view text) { lines.push_back(text); });
        // The new lines in pieces of whole lines, which the editor takes in one by one.
        auto pieces = std::make_shared<std::vector<std::string>>();
        int written = 0;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            if (pieces->empty() || pieces->back().size() >= kPieceBytes) {
                pieces->emplace_back().reserve(kPieceBytes + it->size() + 2);
                if (progress)
                    progress(written, count);
            }
            pieces->back() += *it;
            pieces->back() += "\r\n";
            ++written;
        }
        return [pieces, range, recolour](TextEditor& editor) {
            const int count = range.count();
            // Lines are swapped in pairs from the outside in; an odd count leaves the middle line
            // unwritten.
            const int pairs = count / 2;
            // The middle line of an odd count is not written, so it keeps the colours it has,
            // although the one edit below takes it out, puts it back and colours it.
            const int middle = range.first + pairs;
            const bool keepMiddle = count % 2 == 1 && recolour == Recolour::WrittenLines;
            std::vector<TextEditor::ColourRun> middleColours;
            if (keepMiddle)
                middleColours = lineColours(editor, middle);
            std::size_t taken = 0;
            auto next = [&](std::string& piece) {
                if (taken == pieces->size())
                    return false;
                piece = std::move((*pieces)[taken++]);
                return true;
            };
            {
                QuietEditor quiet(editor);  // the command colours the written lines itself
                editor.replaceLinesFromPieces(range.first, count, next, linesColouring(recolour));
            }
            if (keepMiddle) {
                const LineSpan span = lineSpan(editor, middle, middle);
                for (auto& run : middleColours)
                    run.start += span.start;
                editor.recolourRange(span.start, span.length, middleColours);
            }
            finish(editor, range);
        };
    };
}

void reverseLines(TextEditor& editor, Recolour recolour) { stagedReversal(editor, recolour)({})(editor); }

}  // namespace zorvan::nc
