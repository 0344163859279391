#include "app/ui/scintilla_editor.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace zorvan {

namespace {
constexpr int kUtf32 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32;
}

ScintillaEditor::ScintillaEditor(QsciScintilla* widget) : widget_(widget)
{
    widget_->setUtf8(true);
    widget_->setEolMode(QsciScintilla::EolWindows);
    widget_->setEolVisibility(false);
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, kUtf32);
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Red), 0x0000FF);    // BGR
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Blue), 0xFF0000);
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Green), 0x008000);
    // QScintilla spends time proportional to the position of every change it reports as inserted
    // or deleted text (it counts the characters before it), so only the announcements before a
    // change are asked for, and none for colour changes.
    send(QsciScintillaBase::SCI_SETMODEVENTMASK,
         QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE);
    connect(widget_, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char*, int, int, int, int, int, int, int) { onModified(type); });
}

long ScintillaEditor::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return widget_->SendScintilla(message, wParam, lParam);
}

void ScintillaEditor::onModified(int modificationType)
{
    constexpr int textChange = QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;
    if (!(modificationType & textChange))
        return;
    modified_ = true;
    // A change made in the widget (typing, paste, undo, drop) is announced before it happens; the
    // notification follows once the widget has finished, one for all its parts.
    if (ownEdits_ == 0 && !changePending_) {
        changePending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                changePending_ = false;
                notifyChanged();
            },
            Qt::QueuedConnection);
    }
}

template <typename Edit> void ScintillaEditor::editWithoutUndo(Edit&& edit)
{
    ++ownEdits_;
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    edit();
    send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    --ownEdits_;
    notifyChanged();
}

long ScintillaEditor::bytePosition(long pos) const
{
    if (pos <= 0)
        return 0;
    int line = static_cast<int>(send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, pos, kUtf32));
    long lineChar = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line, kUtf32);
    long lineByte = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    long lineEnd = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    long nextChar = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line + 1, kUtf32);
    long nextByte = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
    long breakLen = std::max(0L, nextByte - lineEnd);
    long contentChars = nextChar - lineChar - breakLen;
    long col = pos - lineChar;
    if (col > contentChars)  // inside the line break, which is ASCII
        return std::min(lineEnd + (col - contentChars), nextByte);
    if (contentChars == lineEnd - lineByte)  // ASCII line
        return lineByte + col;
    long byte = send(QsciScintillaBase::SCI_POSITIONRELATIVE, lineByte, col);
    return col > 0 && byte == 0 ? lineEnd : byte;
}

long ScintillaEditor::characterPosition(long bytePos) const
{
    if (bytePos <= 0)
        return 0;
    int line = static_cast<int>(send(QsciScintillaBase::SCI_LINEFROMPOSITION, bytePos));
    long lineChar = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line, kUtf32);
    long lineByte = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    long lineEnd = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    long upto = std::min(bytePos, lineEnd);
    long chars = upto - lineByte;
    if (chars > 0) {
        long nextChar = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line + 1, kUtf32);
        long nextByte = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
        bool ascii = nextChar - lineChar == nextByte - lineByte;
        if (!ascii)
            chars = send(QsciScintillaBase::SCI_COUNTCHARACTERS, lineByte, upto);
    }
    return lineChar + chars + std::max(0L, bytePos - lineEnd);
}

std::string ScintillaEditor::text() const
{
    long bytes = send(QsciScintillaBase::SCI_GETLENGTH);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (bytes > 0) {
        const char* data = reinterpret_cast<const char*>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        out.assign(data, static_cast<std::size_t>(bytes));
    }
    return out;
}

void ScintillaEditor::setText(std::string_view utf8)
{
    std::string copy(utf8);
    editWithoutUndo([&] {
        widget_->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, copy.c_str());
        send(QsciScintillaBase::SCI_GOTOPOS, 0);
    });
}

long ScintillaEditor::length() const
{
    return characterPosition(send(QsciScintillaBase::SCI_GETLENGTH));
}

std::string ScintillaEditor::textRange(long start, long len) const
{
    std::string unused;
    return std::string(textView(start, len, unused));
}

std::string_view ScintillaEditor::textView(long start, long len, std::string&) const
{
    // A view straight into the widget's buffer (Scintilla closes its gap for it).
    long a = bytePosition(std::clamp(start, 0L, length()));
    long b = bytePosition(std::clamp(start + std::max(0L, len), start, length()));
    if (b <= a)
        return {};
    const char* data = reinterpret_cast<const char*>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(a), b - a));
    return std::string_view(data, static_cast<std::size_t>(b - a));
}

long ScintillaEditor::selectionStart() const
{
    return characterPosition(send(QsciScintillaBase::SCI_GETSELECTIONSTART));
}

long ScintillaEditor::selectionLength() const
{
    long a = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    long b = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    return b > a ? characterPosition(b) - characterPosition(a) : 0;
}

void ScintillaEditor::setSelection(long start, long len)
{
    if (len < 0) {
        start += len;
        len = -len;
    }
    long total = length();
    start = std::clamp(start, 0L, total);
    long end = std::clamp(start + len, start, total);
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(bytePosition(start)), bytePosition(end));
}

void ScintillaEditor::replaceSelection(std::string_view utf8)
{
    std::string copy(utf8);
    editWithoutUndo([&] { widget_->SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, copy.c_str()); });
}

long ScintillaEditor::find(std::string_view what, long from, long to) const
{
    if (what.empty())
        return -1;
    long total = length();
    from = std::clamp(from, 0L, total);
    to = std::clamp(to, from, total);
    long targetStart = send(QsciScintillaBase::SCI_GETTARGETSTART);
    long targetEnd = send(QsciScintillaBase::SCI_GETTARGETEND);
    send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(bytePosition(from)), bytePosition(to));
    send(QsciScintillaBase::SCI_SETSEARCHFLAGS, QsciScintillaBase::SCFIND_MATCHCASE);
    long at = widget_->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, what.size(), std::string(what).c_str());
    send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(targetStart), targetEnd);
    return at < 0 ? -1 : characterPosition(at);
}

int ScintillaEditor::lineCount() const
{
    int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    long lastStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, raw - 1);
    return lastStart == send(QsciScintillaBase::SCI_GETLENGTH) ? raw - 1 : raw;
}

std::string ScintillaEditor::line(int index) const
{
    int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    if (index < 0 || index >= raw)
        return {};
    long a = send(QsciScintillaBase::SCI_POSITIONFROMLINE, index);
    long b = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, index);
    if (b <= a)
        return {};
    const char* data = reinterpret_cast<const char*>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(a), b - a));
    return std::string(data, static_cast<std::size_t>(b - a));
}

int ScintillaEditor::lineFromPosition(long pos) const
{
    pos = std::clamp(pos, 0L, length());
    return static_cast<int>(send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, pos, kUtf32));
}

long ScintillaEditor::positionFromLine(int index) const
{
    if (index <= 0)
        return 0;
    int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    if (index >= raw)
        return length();
    return send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, index, kUtf32);
}

void ScintillaEditor::replaceLinesText(int first, int count, std::string_view linesWithBreaks)
{
    int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    if (count == 0 && linesWithBreaks.empty())
        return;
    const long docBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    std::string_view body = linesWithBreaks;  // without the break after the last new line
    if (body.size() >= 2 && body.substr(body.size() - 2) == "\r\n")
        body.remove_suffix(2);
    std::string prefixed;  // only when adding after the last line, which then gets a break
    std::string_view replacement = linesWithBreaks;
    long from, to;
    if (first == raw) {
        from = to = docBytes;
        prefixed.reserve(body.size() + 2);
        prefixed += "\r\n";
        prefixed += body;
        replacement = prefixed;
    } else {
        from = send(QsciScintillaBase::SCI_POSITIONFROMLINE, first);
        const bool throughEnd = first + count == raw;
        to = throughEnd ? docBytes : send(QsciScintillaBase::SCI_POSITIONFROMLINE, first + count);
        if (throughEnd)
            replacement = body;
    }
    long selStart = selectionStart(), selLength = selectionLength();
    editWithoutUndo([&] {
        send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
        widget_->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, replacement.size(), replacement.data());
        setSelection(selStart, selLength);
    });
}

int ScintillaEditor::firstVisibleLine() const
{
    return static_cast<int>(send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
}

void ScintillaEditor::scrollCaretIntoView() { send(QsciScintillaBase::SCI_SCROLLCARET); }

TextColour ScintillaEditor::colourAt(long pos) const
{
    if (pos < 0 || pos >= length())
        return TextColour::Default;
    int style = static_cast<int>(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(bytePosition(pos))));
    return style >= 0 && style <= 3 ? static_cast<TextColour>(style) : TextColour::Default;
}

void ScintillaEditor::setColour(long start, long len, TextColour colour)
{
    long total = length();
    start = std::clamp(start, 0L, total);
    long end = std::clamp(start + len, start, total);
    if (end <= start)
        return;
    long a = bytePosition(start), b = bytePosition(end);
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(a), 0);
    send(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(b - a), styleOf(colour));
}

template <typename Fn> void ScintillaEditor::forEachRunInBytes(const std::vector<ColourRun>& runs, Fn&& fn) const
{
    if (runs.empty())
        return;
    const long total = length();
    // Character positions to byte positions, walking forward through the text from the first
    // run (runs ascend), so that many runs cost one pass instead of a lookup each.
    const long firstChar = std::clamp(runs.front().start, 0L, total);
    const long firstByte = bytePosition(firstChar);
    long lastChar = firstChar;
    for (const auto& run : runs)
        lastChar = std::max(lastChar, std::min(run.start + std::max(run.length, 0L), total));
    const long lastByte = bytePosition(lastChar);
    const bool ascii = lastByte - firstByte == lastChar - firstChar;
    const char* range = nullptr;  // the bytes from firstByte to lastByte
    long walkChar = firstChar, walkByte = firstByte;
    auto byteOf = [&](long pos) {
        pos = std::min(pos, lastChar);
        if (pos < walkChar)  // out of order: look it up
            return bytePosition(pos);
        if (ascii)
            return firstByte + (pos - firstChar);
        if (!range)
            range = reinterpret_cast<const char*>(send(QsciScintillaBase::SCI_GETRANGEPOINTER,
                                                       static_cast<unsigned long>(firstByte), lastByte - firstByte));
        while (walkChar < pos && walkByte < lastByte) {
            // ASCII stretches are passed in one step, other characters one at a time.
            const std::size_t ascii = asciiPrefix(
                std::string_view(range + (walkByte - firstByte), std::min(lastByte - walkByte, pos - walkChar)));
            if (ascii > 0) {
                walkByte += static_cast<long>(ascii);
                walkChar += static_cast<long>(ascii);
                continue;
            }
            ++walkByte;
            while (walkByte < lastByte && (static_cast<unsigned char>(range[walkByte - firstByte]) & 0xC0) == 0x80)
                ++walkByte;
            ++walkChar;
        }
        return walkByte;
    };
    for (std::size_t i = 0; i < runs.size();) {
        // Adjacent runs of one colour are styled together.
        const TextColour colour = runs[i].colour;
        const long start = runs[i].start;
        long end = start + std::max(runs[i].length, 0L);
        for (++i; i < runs.size() && runs[i].colour == colour && runs[i].start == end; ++i)
            end += std::max(runs[i].length, 0L);
        const long a = byteOf(start);
        const long b = byteOf(end);
        if (b > a)
            fn(a, b, colour);
    }
}

void ScintillaEditor::setColours(const std::vector<ColourRun>& runs)
{
    forEachRunInBytes(runs, [this](long a, long b, TextColour colour) {
        send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(a), 0);
        send(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(b - a), styleOf(colour));
    });
}

void ScintillaEditor::recolourRange(long start, long len, const std::vector<ColourRun>& runs)
{
    // The styles of the whole range in one buffer, handed over in one call.
    const long total = length();
    start = std::clamp(start, 0L, total);
    const long end = std::clamp(start + len, start, total);
    const long a = bytePosition(start), b = bytePosition(end);
    if (b <= a)
        return;
    std::string styles(static_cast<std::size_t>(b - a), static_cast<char>(styleOf(TextColour::Default)));
    forEachRunInBytes(runs, [&](long from, long to, TextColour colour) {
        from = std::clamp(from, a, b);
        to = std::clamp(to, from, b);
        std::fill(styles.begin() + (from - a), styles.begin() + (to - a), static_cast<char>(styleOf(colour)));
    });
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(a), 0);
    widget_->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(b - a), styles.data());
}

void ScintillaEditor::setModified(bool modified)
{
    modified_ = modified;
    if (!modified)
        send(QsciScintillaBase::SCI_SETSAVEPOINT);
}

}  // namespace zorvan
