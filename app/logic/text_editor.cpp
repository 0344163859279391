#include "app/logic/text_editor.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <utility>

namespace zorvan {

namespace {
bool startsCodePoint(unsigned char byte) { return (byte & 0xC0) != 0x80; }
}  // namespace

std::size_t asciiPrefix(std::string_view text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            break;
        p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    return static_cast<std::size_t>(p - text.data());
}

long countCharacters(std::string_view utf8)
{
    // ASCII stretches are counted eight bytes at a time, the bytes between them one by one.
    long count = 0;
    while (!utf8.empty()) {
        const std::size_t ascii = asciiPrefix(utf8);
        count += static_cast<long>(ascii);
        utf8.remove_prefix(ascii);
        while (!utf8.empty() && static_cast<unsigned char>(utf8.front()) >= 0x80) {
            count += startsCodePoint(static_cast<unsigned char>(utf8.front()));
            utf8.remove_prefix(1);
        }
    }
    return count;
}

void TextEditor::replaceLinesFromPieces(int first, int count, const LinesPieceSource& next,
                                        const LinesColouring& colouring)
{
    // All pieces are taken before the text changes, so a piece that fails changes nothing.
    std::string text, piece;
    const long oldLength = positionFromLine(first + count) - positionFromLine(first);
    const auto room = static_cast<std::size_t>(oldLength + oldLength / 8 + 64);  // new lines are rarely much longer
    while (next(piece)) {
        if (text.empty()) {
            text.swap(piece);  // a single piece is taken over as it is
        } else {
            if (text.capacity() < room)
                text.reserve(room);  // more pieces follow: room for all of them, once
            text += piece;
        }
        piece.clear();
    }
    std::vector<ColourRun> runs;
    if (colouring)
        runs = colouring(text);
    adoptLinesText(first, count, std::move(text));
    if (runs.empty())
        return;
    const long rangeStart = positionFromLine(first);
    for (ColourRun& run : runs)
        run.start += rangeStart;
    setColours(runs);
}

void TextEditor::insertLinesColouringAll(int first, const LinesPieceSource& next, const LinesColouring& colouring)
{
    replaceLinesFromPieces(first, 0, next, {});
    if (colouring)
        setColours(colouring(text()));
}

void TextEditor::loadText(const std::function<void(const LoadSink&)>& fill, std::size_t sizeHint)
{
    std::string text;
    text.reserve(sizeHint);
    fill([&text](std::string_view piece) { text += piece; });
    setText(text);
}

void TextEditor::loadColouredPieces(std::vector<ColouredPiece> pieces)
{
    std::size_t bytes = 0;
    for (const ColouredPiece& piece : pieces)
        bytes += piece.text.size();
    loadText(
        [&](const LoadSink& sink) {
            for (const ColouredPiece& piece : pieces)
                sink(piece.text);
        },
        bytes);
    std::vector<ColourRun> runs;
    long at = 0;
    for (const ColouredPiece& piece : pieces) {
        for (ColourRun run : piece.runs) {
            run.start += at;
            runs.push_back(run);
        }
        at += countCharacters(piece.text);
    }
    setColours(runs);
}

void TextEditor::noteChangedLines(int firstRawLine, int rawLinesAfter)
{
    if (!noted_) {
        noted_ = true;
        pending_.firstLine = firstRawLine;
        pendingRawLinesAfter_ = rawLinesAfter;
        return;
    }
    pending_.firstLine = std::min(pending_.firstLine, firstRawLine);
    pendingRawLinesAfter_ = std::min(pendingRawLinesAfter_, rawLinesAfter);
}

void TextEditor::noteWholeText(bool load)
{
    noted_ = true;
    pending_.wholeText = true;
    pending_.load = pending_.load || load;
}

void TextEditor::notifyChanged(bool coloured)
{
    if (!noted_)
        return;  // told already, with an earlier notice that took this change in
    coloured = coloured || changesColoured_;
    pending_.coloured = pendingColouredSet_ ? pending_.coloured && coloured : coloured;
    pendingColouredSet_ = true;
    if (noticesHeld_ > 0)
        return;
    TextChange change = pending_;
    if (change.wholeText) {
        change.firstLine = 0;
        change.lastLine = std::max(rawLineCount() - 1, 0);
    } else {
        change.lastLine = std::max(rawLineCount() - 1 - pendingRawLinesAfter_, change.firstLine);
    }
    noted_ = pendingColouredSet_ = false;
    pending_ = TextChange{};
    if (changeHandler_)
        changeHandler_(change);
}

void TextEditor::releaseNotices()
{
    if (--noticesHeld_ == 0 && pendingColouredSet_)
        notifyChanged(pending_.coloured);
}

void TextEditor::replaceText(std::string_view utf8)
{
    UndoStep step(*this);
    setSelection(0, length());
    replaceSelection(utf8);
}

void TextEditor::replaceLines(int first, int count, const std::vector<std::string>& lines)
{
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    adoptLinesText(first, count, std::move(text));
}

void TextEditor::replaceLine(int index, std::string_view text)
{
    std::string withBreak;
    withBreak.reserve(text.size() + 2);
    withBreak += text;
    withBreak += "\r\n";
    adoptLinesText(index, 1, std::move(withBreak));
}

std::size_t byteOffsetOfCharacter(std::string_view utf8, long chars)
{
    if (chars <= 0)
        return 0;
    long seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (startsCodePoint(static_cast<unsigned char>(utf8[i]))) {
            if (seen == chars)
                return i;
            ++seen;
        }
    }
    return utf8.size();
}

LineSpan lineSpan(const TextEditor& editor, int first, int last)
{
    const long start = editor.positionFromLine(first);
    const long end = editor.positionFromLine(last) + countCharacters(editor.line(last));
    return {start, end - start};
}

}  // namespace zorvan
