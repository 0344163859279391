#include "app/logic/colouring.h"

#include <algorithm>
#include <array>

namespace zorvan::colouring {

namespace {

using Run = TextEditor::ColourRun;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Length of a token in characters and in bytes of UTF-8 text.
struct Extent {
    long chars;
    std::size_t bytes;
};

// The token starting at byte `at` of `text` (at a character start).
Extent tokenAt(std::string_view text, std::size_t at)
{
    const std::size_t end = text.size();
    std::size_t j = at + 1;
    if (text[at] == '(') {
        long chars = 1;
        while (j < end && text[j] != '\n') {
            char c = text[j++];
            if (!isContinuation(c))
                ++chars;
            if (c == ')')
                break;
        }
        return {chars, j - at};
    }
    while (j < end && isContinuation(text[j]))  // the rest of a multi-byte first character
        ++j;
    long count = 0;
    while (j < end && (isDigit(text[j]) || text[j] == '.')) {
        ++count;
        ++j;
        if (count == 1 && j < end && text[j] == '-') {
            ++count;
            ++j;
            break;
        }
    }
    return {1 + count, j - at};
}

// Byte classes for the walk of the whole-text pass: inside a line only LF, "(" and "N" matter;
// continuation bytes of UTF-8 are counted to turn byte offsets into character positions.
enum ByteClass : unsigned char { Plain = 0, Continuation = 1, Special = 2 };

const std::array<ByteClass, 256>& byteClasses()
{
    static const std::array<ByteClass, 256> table = [] {
        std::array<ByteClass, 256> t{};
        for (int b = 0x80; b < 0xC0; ++b)
            t[b] = Continuation;
        t['\n'] = t['('] = t['N'] = Special;
        return t;
    }();
    return table;
}

// The runs of the whole-text pass over `text`, in ascending order.
std::vector<Run> wholeTextRuns(std::string_view text, long& totalChars)
{
    const auto& classes = byteClasses();
    std::vector<Run> runs;
    const std::size_t end = text.size();
    std::size_t i = 0;
    long continuations = 0;  // so far; the character position of byte i is i - continuations
    bool lineStart = true;
    auto tryToken = [&](TextColour colour) {
        Extent token = tokenAt(text, i);
        if (token.chars < 2)
            return false;
        runs.push_back({static_cast<long>(i) - continuations, token.chars, colour});
        continuations += static_cast<long>(token.bytes) - token.chars;
        i += token.bytes;
        return true;
    };
    while (i < end) {
        const char c = text[i];
        if (lineStart) {
            lineStart = c == '\n';
            TextColour colour = c == '(' ? TextColour::Green
                                : c == 'N' ? TextColour::Blue
                                : (c == ':' || c == 'L' || c == 'O') ? TextColour::Red
                                           : TextColour::Default;
            if (colour != TextColour::Default && tryToken(colour))
                continue;
            continuations += classes[static_cast<unsigned char>(c)] == Continuation;  // stray byte
            ++i;  // the rest of a multi-byte character is counted below
            continue;
        }
        ByteClass type;
        while (i < end && (type = classes[static_cast<unsigned char>(text[i])]) != Special) {
            continuations += type;
            ++i;
        }
        if (i >= end)
            break;
        if (text[i] == '\n') {
            lineStart = true;
            ++i;
            continue;
        }
        if (!tryToken(text[i] == '(' ? TextColour::Green : TextColour::Blue))
            ++i;
    }
    totalChars = static_cast<long>(end) - continuations;
    return runs;
}

// Working buffers of the line pass, kept across lines so that a long range allocates nothing
// per line.
struct LineScratch {
    std::string chars;
    std::vector<TextColour> colours;
};

// One character per element: the character itself if it is ASCII, else a byte that is no
// character of any token. An ASCII line is its own view.
std::string_view charactersOf(std::string_view utf8, std::string& buffer)
{
    if (asciiPrefix(utf8) == utf8.size())
        return utf8;
    buffer.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80)
            buffer += static_cast<char>(byte);
        else if (!isContinuation(utf8[i]))
            buffer += '\x80';
    }
    return buffer;
}

// The line pass over one line starting at position `lineStart`: appends the runs of its coloured
// characters, in ascending order. The caller resets the line to the default colour first.
void appendLineRuns(std::string_view lineUtf8, long lineStart, std::vector<Run>& runs, LineScratch& scratch)
{
    // Only a comment or an "N", ":", "L" or "O" word gives colour; most lines have none.
    static const std::array<bool, 256> starts = [] {
        std::array<bool, 256> t{};
        for (unsigned char c : std::string_view("(:LON"))
            t[c] = true;
        return t;
    }();
    if (std::none_of(lineUtf8.begin(), lineUtf8.end(), [](char c) { return starts[static_cast<unsigned char>(c)]; }))
        return;
    const std::string_view chars = charactersOf(lineUtf8, scratch.chars);
    const long n = static_cast<long>(chars.size());
    if (n == 0)
        return;
    std::vector<TextColour>& colours = scratch.colours;
    colours.assign(static_cast<std::size_t>(n), TextColour::Default);
    bool anyColour = false;
    // Characters by 1-based index, as the scan counts them.
    auto at = [&](long i) { return chars[static_cast<std::size_t>(i - 1)]; };
    auto paint = [&](long from, long to, TextColour colour) {
        std::fill(colours.begin() + (from - 1), colours.begin() + to, colour);
        anyColour = true;
    };
    bool comment = false, red = false, blue = false;
    long T = 0;
    // The last character is seen only as the follower of the one before it.
    for (long i = 1; i <= n - 1; ++i) {
        char c = at(i);
        bool d = isDigit(at(i + 1));
        if (c == '(') {
            comment = true;
            T = i;
        } else if (c == ')' && comment) {
            paint(T, i, TextColour::Green);
            comment = false;
        } else if ((c == ':' || c == 'L' || c == 'O') && !comment) {
            blue = false;
            T = i;
            if (d)
                red = true;
        } else if (c == 'N' && !comment) {
            red = false;
            T = i;
            if (d)
                blue = true;
        }
        if ((red || blue) && !d) {
            paint(T, i, red ? TextColour::Red : TextColour::Blue);
            red = blue = false;
        }
    }
    if (comment || red || blue)
        paint(T, n, comment ? TextColour::Green : red ? TextColour::Red : TextColour::Blue);
    if (!anyColour)
        return;

    long from = 0;
    for (long i = 1; i <= n; ++i) {
        if (i == n || colours[static_cast<std::size_t>(i)] != colours[static_cast<std::size_t>(from)]) {
            if (colours[static_cast<std::size_t>(from)] != TextColour::Default)
                runs.push_back({lineStart + from, i - from, colours[static_cast<std::size_t>(from)]});
            from = i;
        }
    }
}

}  // namespace

long TokenLength(const TextEditor& editor, long pos)
{
    if (pos < 0 || pos >= editor.length())
        return 0;
    // A token never reaches past the LF that ends its line.
    long lineEnd = editor.positionFromLine(editor.lineFromPosition(pos) + 1);
    std::string rest = editor.textRange(pos, std::max(lineEnd, pos + 1) - pos);
    return tokenAt(rest, 0).chars;
}

void ColourAll(TextEditor& editor)
{
    QuietEditor quiet(editor);
    long total = 0;
    std::vector<Run> runs = wholeTextRuns(editor.text(), total);
    editor.setCaret(total);
    editor.scrollCaretIntoView();
    editor.setColours(runs);
    if (!runs.empty())
        editor.setSelection(runs.back().start, runs.back().length);
}

std::vector<TextEditor::ColourRun> WholeTextRuns(std::string_view text)
{
    long total = 0;
    return wholeTextRuns(text, total);
}

void ColourAllOfLine(TextEditor& editor, int line)
{
    const long start = editor.positionFromLine(line);
    std::vector<Run> runs = WholeTextRuns(editor.line(line));
    for (Run& run : runs)
        run.start += start;
    editor.setColours(runs);
}

ColouredLoad ColourForLoad(std::string&& text, bool colour)
{
    // Pieces end after a line feed, where the pass starts a line afresh, so each can be passed
    // over by itself.
    constexpr std::size_t kPieceBytes = 1 << 20;
    ColouredLoad load;
    load.coloured = colour;
    const std::string_view all = text;
    for (std::size_t from = 0; from < all.size();) {
        std::size_t end = all.find('\n', std::min(from + kPieceBytes, all.size()) - 1);
        end = end == std::string_view::npos ? all.size() : end + 1;
        TextEditor::ColouredPiece piece{std::string(all.substr(from, end - from)), {}};
        long chars = 0;
        if (colour) {
            piece.runs = wholeTextRuns(piece.text, chars);
            if (!piece.runs.empty())
                load.lastRun = {load.totalChars + piece.runs.back().start, piece.runs.back().length, piece.runs.back().colour};
        } else {
            chars = countCharacters(piece.text);
        }
        load.totalChars += chars;
        load.pieces.push_back(std::move(piece));
        from = end;
    }
    std::string().swap(text);
    return load;
}

void LoadColoured(TextEditor& editor, ColouredLoad&& load)
{
    editor.loadColouredPieces(std::move(load.pieces));
    if (!load.coloured)
        return;
    QuietEditor quiet(editor);
    editor.setCaret(load.totalChars);
    editor.scrollCaretIntoView();
    if (load.lastRun.length > 0)
        editor.setSelection(load.lastRun.start, load.lastRun.length);
}

void ColourCaretLine(TextEditor& editor)
{
    QuietEditor quiet(editor);
    long start = editor.selectionStart();
    int line = editor.lineFromPosition(start);
    const std::string text = editor.line(line);
    const long lineStart = editor.positionFromLine(line);
    std::vector<Run> runs;
    LineScratch scratch;
    appendLineRuns(text, lineStart, runs, scratch);
    editor.recolourRange(lineStart, countCharacters(text), runs);
}

std::vector<TextEditor::ColourRun> LineRuns(std::string_view text, long firstPosition)
{
    std::vector<Run> runs;
    LineScratch scratch;
    long lineStart = firstPosition;
    while (!text.empty()) {
        std::size_t at = text.find("\r\n");
        std::string_view line = text.substr(0, at);
        appendLineRuns(line, lineStart, runs, scratch);
        if (at == std::string_view::npos)
            break;
        lineStart += countCharacters(line) + 2;
        text.remove_prefix(at + 2);
    }
    return runs;
}

void ColourLines(TextEditor& editor, int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, editor.lineCount() - 1);
    if (first > last)
        return;
    QuietEditor quiet(editor);
    // One read of the range, one reset of it (the line breaks inside it included: they carry no
    // token), then the coloured runs of every line in one batch.
    const LineSpan span = lineSpan(editor, first, last);
    const std::vector<Run> runs = LineRuns(editor.textRange(span.start, span.length), span.start);
    editor.setColour(span.start, span.length, TextColour::Default);
    editor.setColours(runs);
}

}  // namespace zorvan::colouring
