#include "nc/logic/nc_transforms.h"

#include "app/logic/colouring.h"
#include "app/logic/user_error.h"
#include "nc/logic/nc_words.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace zorvan::nc {

namespace {

// The text of lines [range.first, range.last] in one read (much cheaper than a read per line in
// the QScintilla editor), without the break after the last line.
std::string_view readRangeText(const TextEditor& editor, const LineRange& range, std::string& buffer)
{
    const long start = editor.positionFromLine(range.first);
    const long end = editor.positionFromLine(range.last) + countCharacters(editor.line(range.last));
    return editor.textView(start, end - start, buffer);
}

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

void applyColours(TextEditor& editor, const std::vector<TextEditor::ColourRun>& runs)
{
    bool wasSuspended = editor.notificationsSuspended();
    editor.setNotificationsSuspended(true);
    editor.setColours(runs);
    editor.setNotificationsSuspended(wasSuspended);
}

void colourLines(TextEditor& editor, Recolour recolour, int first, int last)
{
    if (recolour == Recolour::WrittenLines && first <= last)
        colouring::ColourLines(editor, first, last);
}

// Writes the new lines (each followed by CR LF) over the range in one edit; the change handler
// is not raised for it, as the written lines are recoloured by the caller.
template <typename Text> void replaceRange(TextEditor& editor, const LineRange& range, Text&& linesWithBreaks)
{
    bool wasSuspended = editor.notificationsSuspended();
    editor.setNotificationsSuspended(true);
    if constexpr (std::is_same_v<std::decay_t<Text>, std::string_view>)
        editor.replaceLinesText(range.first, range.count(), linesWithBreaks);
    else
        editor.adoptLinesText(range.first, range.count(), std::move(linesWithBreaks));
    editor.setNotificationsSuspended(wasSuspended);
}

// The selection offsets as they were; without a selection the caret ends after the last line
// written, where writing line by line would have left it.
void finish(TextEditor& editor, const LineRange& range, int lastWritten)
{
    if (range.hadSelection)
        editor.setSelection(range.selStart, range.selLength);
    else
        editor.setCaret(editor.positionFromLine(lastWritten) + countCharacters(editor.line(lastWritten)));
    editor.setModified(true);
}

// Whether a line's new text depends on the lines above it. Commands whose lines stand alone may
// rewrite the two halves of a long range at once.
enum class Lines { Independent, Carried };

// The `count` lines of `text` through `transform(line, lineIndex)`, each followed by CR LF.
template <typename Transform>
std::string rewriteLines(std::string_view text, int count, int firstIndex, Transform& transform, std::size_t room)
{
    std::string written;
    written.reserve(room + room / 8 + 64);
    std::string line;
    int index = firstIndex;
    forEachLineOf(text, count, [&](std::string_view lineText) {
        line.assign(lineText);
        transform(line, index++);
        written += line;
        written += "\r\n";
    });
    return written;
}

// Rewrites every line of the range through `transform(line, lineIndex)`, building the new text
// of the range in one pass (two halves on two threads when the lines are independent and many).
template <typename Transform>
void rewriteRange(TextEditor& editor, Recolour recolour, Lines lines, Transform&& transform)
{
    constexpr int kLinesWorthASecondThread = 50'000;
    LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // read before the text changes
    std::string written;
    const std::size_t middle = old.find("\r\n", old.size() / 2);
    if (lines == Lines::Independent && range.count() >= kLinesWorthASecondThread
        && std::thread::hardware_concurrency() > 1 && middle != std::string::npos) {
        const std::string_view upper = old.substr(0, middle);
        const std::string_view lower = old.substr(middle + 2);
        const int upperCount = static_cast<int>(std::count(upper.begin(), upper.end(), '\n')) + 1;
        auto lowerWritten = std::async(std::launch::async, [&] {
            return rewriteLines(lower, range.count() - upperCount, range.first + upperCount, transform, lower.size());
        });
        written = rewriteLines(upper, upperCount, range.first, transform, old.size());
        written += lowerWritten.get();
    } else {
        written = rewriteLines(old, range.count(), range.first, transform, old.size());
    }
    if (recolour == Recolour::WrittenLines) {
        // The written lines carry no colour yet; their runs are worked out on another thread
        // while the editor takes the new text, then applied.
        const long rangeStart = editor.positionFromLine(range.first);
        auto runs = std::async(std::launch::async, [&written, rangeStart] {
            return colouring::LineRuns(written, rangeStart);
        });
        replaceRange(editor, range, std::string_view(written));  // read by the colour thread meanwhile
        applyColours(editor, runs.get());
    } else {
        replaceRange(editor, range, std::move(written));
    }
    finish(editor, range, range.last);
}

double checkedResult(long double value, char letter, int lineIndex)
{
    double stored = static_cast<double>(value);
    if (!std::isfinite(stored))
        throw UserError(std::to_string(lineIndex) + " 行目の " + letter + " の値が大きすぎて書けません");
    return stored;
}

void writeWord(std::string& line, const AddressWord& word, const std::optional<std::string>& text)
{
    if (text)
        replaceNumberText(line, word, *text);
}

// The cosine or sine with values near zero made exactly zero, so quarter turns come out clean.
long double cleaned(long double value) { return (value > -1e-8L && value < 1e-8L) ? 0.0L : value; }

}  // namespace

void shiftCoordinates(TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                      Recolour recolour)
{
    const std::pair<char, double> shifts[] = {{'X', offsets.x}, {'Y', offsets.y}, {'Z', offsets.z}};
    rewriteRange(editor, recolour, Lines::Independent, [&](std::string& line, int index) {
        for (auto [letter, offset] : shifts) {
            if (offset == 0)
                continue;
            auto word = readAddressWord(line, letter);
            if (!word)
                continue;
            double sum = checkedResult(static_cast<long double>(word->value) + offset, letter, index);
            writeWord(line, *word, formatValue(sum, settings));
        }
    });
}

void rotateAxes(TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings, Recolour recolour)
{
    const long double ca = cleaned(std::cos(static_cast<long double>(angles.x)));
    const long double sa = cleaned(std::sin(static_cast<long double>(angles.x)));
    const long double cb = cleaned(std::cos(static_cast<long double>(angles.y)));
    const long double sb = cleaned(std::sin(static_cast<long double>(angles.y)));
    const long double cc = cleaned(std::cos(static_cast<long double>(angles.z)));
    const long double sc = cleaned(std::sin(static_cast<long double>(angles.z)));
    double x = 0, y = 0, z = 0;  // the program's own coordinates as read so far
    rewriteRange(editor, recolour, Lines::Carried, [&](std::string& line, int index) {
        auto wx = readAddressWord(line, 'X');
        auto wy = readAddressWord(line, 'Y');
        auto wz = readAddressWord(line, 'Z');
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
            auto word = readAddressWord(line, letter);
            if (word)
                replaceNumberText(line, *word, formatValueForRotation(checkedResult(value, letter, index), settings));
        }
    });
}

bool dividesByZero(Operation operation, double operand) { return operation == Operation::Divide && operand == 0; }

void calculateValues(TextEditor& editor, char letter, Operation operation, double operand,
                     const DecimalSettings& settings, Recolour recolour)
{
    if (dividesByZero(operation, operand))
        throw UserError(kDivisionByZeroMessage);
    const long double k = operand;
    rewriteRange(editor, recolour, Lines::Independent, [&](std::string& line, int index) {
        auto word = readAddressWord(line, letter);
        if (!word)
            return;
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
        writeWord(line, *word, formatValue(checkedResult(result, letter, index), settings));
    });
}

void reverseLines(TextEditor& editor, Recolour recolour)
{
    LineRange range = numericLineRange(editor);
    int count = range.count();
    if (count < 2)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // read before the text changes
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(count));
    forEachLineOf(old, count, [&](std::string_view text) { lines.push_back(text); });
    std::string reversed;
    reversed.reserve(old.size() + 2);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        reversed += *it;
        reversed += "\r\n";
    }
    // Lines are swapped in pairs from the outside in, so the last one written is the lower line
    // of the innermost pair; an odd count leaves the middle line unwritten.
    int pairs = count / 2;
    int lastWritten = range.last - (pairs - 1);
    replaceRange(editor, range, std::move(reversed));
    colourLines(editor, recolour, range.first, range.first + pairs - 1);
    colourLines(editor, recolour, range.last - pairs + 1, range.last);
    finish(editor, range, lastWritten);
}

}  // namespace zorvan::nc
