#include "app/ui/scintilla_editor.h"

#include "app/logic/piece_queue.h"
#include "app/ui/byte_markers.h"

#include <Qsci/qsciscintilla.h>

#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <limits>

namespace zorvan {

namespace {

constexpr int kUtf32 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32;

// Calls fn(byteStart, byteEnd, colour) for colour runs over `text`, whose first character is at
// position `firstChar`, with byte offsets into `text`; adjacent runs of one colour are merged.
// With `asciiLength` >= 0 the text is known to be that many ASCII characters and is not read.
template <typename Fn>
void forEachRunInText(std::string_view text, const std::vector<TextEditor::ColourRun>& runs, long firstChar,
                      long asciiLength, Fn&& fn)
{
    const long textChars = asciiLength >= 0 ? asciiLength : std::numeric_limits<long>::max();
    long walkChar = 0;  // the walk's place, in characters and bytes from the text's start
    std::size_t walkByte = 0;
    auto byteOf = [&](long pos) -> long {
        pos = std::clamp(pos - firstChar, 0L, textChars);
        if (asciiLength >= 0)
            return pos;
        if (pos < walkChar) {  // out of order: walk again from the start
            walkChar = 0;
            walkByte = 0;
        }
        while (walkChar < pos && walkByte < text.size()) {
            // ASCII stretches are passed in one step, other characters one at a time.
            const std::size_t ascii =
                asciiPrefix(text.substr(walkByte, std::min<std::size_t>(text.size() - walkByte, pos - walkChar)));
            if (ascii > 0) {
                walkByte += ascii;
                walkChar += static_cast<long>(ascii);
                continue;
            }
            ++walkByte;
            while (walkByte < text.size() && (static_cast<unsigned char>(text[walkByte]) & 0xC0) == 0x80)
                ++walkByte;
            ++walkChar;
        }
        return static_cast<long>(walkByte);
    };
    for (std::size_t i = 0; i < runs.size();) {
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

}  // namespace

ScintillaEditor::ScintillaEditor(QsciScintilla* widget) : widget_(widget)
{
    configureDocument();
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, kUtf32);
    widget_->setEolVisibility(false);
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Red), 0x0000FF);    // BGR
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Blue), 0xFF0000);
    send(QsciScintillaBase::SCI_STYLESETFORE, styleOf(TextColour::Green), 0x008000);
    // QScintilla spends time proportional to the position of every change it reports as inserted
    // or deleted text (it counts the characters before it), so only the announcements before a
    // change are asked for, and none for colour changes.
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, QsciScintillaBase::SC_MOD_BEFOREINSERT
                                                     | QsciScintillaBase::SC_MOD_BEFOREDELETE
                                                     | QsciScintillaBase::SC_MOD_CONTAINER);
    connect(widget_, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char* text, int length, int, int, int, int, int token, int) {
                onModified(type, position, text, length, token);
            });
    history_.setDropHandler([this](EditHistory::StepId id) {
        eraseSteps([id](int, const Step& step) { return step.historyStep == id; });
    });
    for (int key : {'Z', 'Y'})
        for (int modifiers : {int{QsciScintillaBase::SCMOD_CTRL}, QsciScintillaBase::SCMOD_CTRL | QsciScintillaBase::SCMOD_SHIFT})
            send(QsciScintillaBase::SCI_CLEARCMDKEY, static_cast<unsigned long>(key + (modifiers << 16)));
    send(QsciScintillaBase::SCI_CLEARCMDKEY, static_cast<unsigned long>(QsciScintillaBase::SCK_BACK + (QsciScintillaBase::SCMOD_ALT << 16)));
    widget_->installEventFilter(this);
}

namespace {

enum class UndoKey { None, Undo, Redo };

UndoKey undoKeyOf(const QKeyEvent& key)
{
    const auto modifiers = key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    if (modifiers == Qt::ControlModifier && key.key() == Qt::Key_Z)
        return UndoKey::Undo;
    if (modifiers == Qt::AltModifier && key.key() == Qt::Key_Backspace)
        return UndoKey::Undo;
    if (modifiers == Qt::ControlModifier && key.key() == Qt::Key_Y)
        return UndoKey::Redo;
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key.key() == Qt::Key_Z)
        return UndoKey::Redo;
    return UndoKey::None;
}

}  // namespace

bool ScintillaEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        const UndoKey key = undoKeyOf(*static_cast<QKeyEvent*>(event));
        if (key != UndoKey::None) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                key == UndoKey::Undo ? undo() : redo();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

ScintillaEditor::~ScintillaEditor() = default;

void ScintillaEditor::configureDocument()
{
    widget_->setUtf8(true);
    widget_->setEolMode(QsciScintilla::EolWindows);
}

long ScintillaEditor::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return widget_->SendScintilla(message, wParam, lParam);
}

void ScintillaEditor::onModified(int modificationType, long position, const char* text, long length, long token)
{
    constexpr int undoOrRedo = QsciScintillaBase::SC_PERFORMED_UNDO | QsciScintillaBase::SC_PERFORMED_REDO;
    if (modificationType & QsciScintillaBase::SC_MOD_CONTAINER) {
        // The marker's token comes in one field or the other, depending on the Scintilla version.
        onContainerAction(token != 0 ? token : position, modificationType & QsciScintillaBase::SC_PERFORMED_UNDO);
        return;
    }
    constexpr int textChange = QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;
    if (!(modificationType & textChange))
        return;
    if (!wholeTextNoted()) {
        // The lines the change touches, and how many whole lines after it it leaves as they are:
        // those after the line where it ends, and that line too when the change stops right
        // before it (a deletion up to its start, an insertion of whole lines before it).
        const bool deletion = modificationType & QsciScintillaBase::SC_MOD_BEFOREDELETE;
        const long lastRaw = send(QsciScintillaBase::SCI_GETLINECOUNT) - 1;
        const long end = deletion ? position + length : position;
        const long endLine = send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end));
        const bool atLineStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(endLine)) == end;
        // The widget does not hand over the text it is about to insert; an edit of this class does.
        if (!text && static_cast<long>(inserting_.size()) == length)
            text = inserting_.data();
        const bool wholeLinesBefore = deletion ? length > 0 : text && length > 0 && text[length - 1] == '\n';
        noteChangedLines(static_cast<int>(send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position))),
                         static_cast<int>(lastRaw - endLine + (atLineStart && wholeLinesBefore ? 1 : 0)));
    }
    if (!(modificationType & undoOrRedo) && ownEdits_ == 0)
        dropUndoneSteps();  // typing: what was undone can no longer be redone
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
    noteWholeText(true);
    ++ownEdits_;
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    edit();
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    pendingSwaps_.clear();
    pendingSelection_.reset();
    history_.load();
    --ownEdits_;
    notifyChanged();
}

template <typename Edit> void ScintillaEditor::editAsStep(long from, long to, Edit&& edit)
{
    ++ownEdits_;
    const EditHistory::StepId historyStep = history_.beginChange(!isModified()).id;
    const int id = nextStepId_++;
    Step& step = steps_[id];
    step.historyStep = historyStep;
    step.start = from;
    step.beforeBytes = to - from;
    step.styles[0] = styleRuns(from, to);
    step.selStart[0] = history_.groupDepth() > 0 ? groupSelStart_ : selectionStart();
    step.selLength[0] = history_.groupDepth() > 0 ? groupSelLength_ : selectionLength();
    const long lengthBefore = send(QsciScintillaBase::SCI_GETLENGTH);
    send(QsciScintillaBase::SCI_BEGINUNDOACTION);
    send(QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(tokenOf(id, PartStart)), 0);
    edit();
    step.afterBytes = step.beforeBytes + send(QsciScintillaBase::SCI_GETLENGTH) - lengthBefore;
    step.bytes = static_cast<std::size_t>(step.beforeBytes + step.afterBytes);
    send(QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(tokenOf(id, PartEnd)), 0);
    send(QsciScintillaBase::SCI_ENDUNDOACTION);
    --ownEdits_;
    if (history_.groupDepth() == 0)
        trimHistory();
    notifyChanged();
}

bool ScintillaEditor::holdsBytes(long from, long to, std::string_view bytes) const
{
    if (to - from != static_cast<long>(bytes.size()))
        return false;
    if (bytes.empty())
        return true;
    const char* held = reinterpret_cast<const char*>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    return std::string_view(held, bytes.size()) == bytes;
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
    // A view straight into the widget's buffer. Scintilla closes its gap for it, at the end, so
    // that no later read moves the text: the view stays put until the text changes, and may be
    // read on another thread meanwhile.
    long a = bytePosition(std::clamp(start, 0L, length()));
    long b = bytePosition(std::clamp(start + std::max(0L, len), start, length()));
    if (b <= a)
        return {};
    const char* data = reinterpret_cast<const char*>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return std::string_view(data + a, static_cast<std::size_t>(b - a));
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
    const long from = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long to = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (holdsBytes(from, to, copy)) {
        send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(to), to);  // the same text again: no change
        return;
    }
    inserting_ = copy;
    editAsStep(from, to, [&] { widget_->SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, copy.c_str()); });
    inserting_ = {};
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

int ScintillaEditor::rawLineCount() const { return static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT)); }

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

bool ScintillaEditor::coversWholeText(int first, int count, bool& throughEnd) const
{
    const int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    const long docBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    throughEnd = first + count == raw;
    const long to = throughEnd ? docBytes : send(QsciScintillaBase::SCI_POSITIONFROMLINE, first + count);
    return first == 0 && to == docBytes && docBytes > 0 && history_.groupDepth() == 0;
}

void ScintillaEditor::replaceWholeText(bool throughEnd, std::string&& linesWithBreaks)
{
    if (!std::string_view(linesWithBreaks).ends_with("\r\n"))
        linesWithBreaks += "\r\n";
    bool given = false;
    replaceTextFromPieces(
        0, send(QsciScintillaBase::SCI_GETLENGTH), throughEnd,
        [&](std::string& piece) {
            if (given)
                return false;
            piece = std::move(linesWithBreaks);
            given = true;
            return true;
        },
        nullptr);
}

void ScintillaEditor::adoptLinesText(int first, int count, std::string&& linesWithBreaks)
{
    bool throughEnd = false;
    if (!linesWithBreaks.empty() && coversWholeText(first, count, throughEnd))
        replaceWholeText(throughEnd, std::move(linesWithBreaks));
    else
        replaceLinesText(first, count, linesWithBreaks);
}

void ScintillaEditor::replaceLinesText(int first, int count, std::string_view linesWithBreaks)
{
    if (bool throughEnd = false; !linesWithBreaks.empty() && coversWholeText(first, count, throughEnd)) {
        replaceWholeText(throughEnd, std::string(linesWithBreaks));
        return;
    }
    int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    if (count == 0 && linesWithBreaks.empty())
        return;
    const long docBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    std::string_view body = linesWithBreaks;  // without the break after the last new line
    if (body.size() >= 2 && body.substr(body.size() - 2) == "\r\n")
        body.remove_suffix(2);
    std::string prefixed;  // only when a break must be added before or after the new lines
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
        if (throughEnd) {
            replacement = body;
        } else if (!body.empty() && body.size() == linesWithBreaks.size()) {
            // New lines without a final break read as if they had one: the next line stays a line.
            prefixed.reserve(body.size() + 2);
            prefixed += body;
            prefixed += "\r\n";
            replacement = prefixed;
        }
    }
    if (holdsBytes(from, to, replacement))
        return;  // the lines stay as they are: no change
    long selStart = selectionStart(), selLength = selectionLength();
    inserting_ = replacement;
    editAsStep(from, to, [&] {
        send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
        widget_->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, replacement.size(), replacement.data());
        setSelection(selStart, selLength);
    });
    inserting_ = {};
}

void ScintillaEditor::replaceLinesFromPieces(int first, int count, const LinesPieceSource& next,
                                             const LinesColouring& colouring)
{
    const int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    const long docBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    const bool throughEnd = first + count == raw;
    const long to = throughEnd ? docBytes : send(QsciScintillaBase::SCI_POSITIONFROMLINE, first + count);
    // A range that is (nearly) the whole text is built in a new document; the few lines around
    // it are carried over with their colours.
    constexpr long kMostKeptBytes = 64 * 1024;
    const long from = send(QsciScintillaBase::SCI_POSITIONFROMLINE, first);
    const long kept = from + (docBytes - to);
    if (docBytes > 0 && history_.groupDepth() == 0 && (kept == 0 || (kept <= kMostKeptBytes && kept * 16 <= docBytes)))
        replaceTextFromPieces(from, to, throughEnd, next, colouring);
    else
        TextEditor::replaceLinesFromPieces(first, count, next, colouring);
}

void ScintillaEditor::insertLinesColouringAll(int first, const LinesPieceSource& next, const LinesColouring& colouring)
{
    // The whole text is built anew: the old lines are carried over to the new document with
    // their colours and coloured there, so the shown text is left alone until the end.
    const int raw = static_cast<int>(send(QsciScintillaBase::SCI_GETLINECOUNT));
    const long docBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    if (docBytes == 0 || history_.groupDepth() != 0) {
        TextEditor::insertLinesColouringAll(first, next, colouring);
        return;
    }
    first = std::clamp(first, 0, raw);
    if (first < raw) {
        const long at = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
        replaceTextFromPieces(at, at, false, next, colouring, true);
        return;
    }
    // After a last line without a break: the break comes first, and the new last line has none.
    bool broken = false;
    replaceTextFromPieces(
        docBytes, docBytes, true,
        [&](std::string& piece) {
            if (broken)
                return next(piece);
            broken = true;
            piece = "\r\n";
            return true;
        },
        colouring, true);
}

QsciScintilla* ScintillaEditor::builder()
{
    if (!builder_) {
        builder_ = std::make_unique<QsciScintilla>();
        builder_->SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL, 0L);
    }
    return builder_.get();
}

std::vector<StyleRun> ScintillaEditor::styleRunsOf(std::string_view text, const std::vector<ColourRun>& runs)
{
    std::vector<StyleRun> styles;
    if (!runs.empty())
        forEachRunInText(text, runs, 0, -1, [&](long a, long b, TextColour colour) {
            styles.push_back({a, b - a, static_cast<char>(styleOf(colour))});
        });
    return styles;
}

ScintillaEditor::PieceStyles ScintillaEditor::stylesOf(std::string_view text, const std::vector<ColourRun>& runs)
{
    // A run costs about as much to put in as 64 style bytes.
    constexpr std::size_t kBytesPerRun = 64;
    PieceStyles styles;
    if (runs.empty())
        return styles;
    if (runs.size() * kBytesPerRun < text.size()) {
        styles.runs = styleRunsOf(text, runs);
        return styles;
    }
    styles.bytes.assign(text.size(), static_cast<char>(styleOf(TextColour::Default)));
    forEachRunInText(text, runs, 0, -1, [&](long a, long b, TextColour colour) {
        std::fill(styles.bytes.begin() + a, styles.bytes.begin() + b, static_cast<char>(styleOf(colour)));
    });
    return styles;
}

void ScintillaEditor::styleBuild(const std::vector<std::pair<long, PieceStyles>>& styles)
{
    for (const auto& [at, piece] : styles) {
        if (!piece.bytes.empty()) {
            builder_->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(at), 0L);
            builder_->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(piece.bytes.size()),
                                    piece.bytes.data());
        }
        for (const StyleRun& run : piece.runs) {
            builder_->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(at + run.start), 0L);
            builder_->SendScintilla(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(run.length),
                                    static_cast<long>(run.style));
        }
        pause();
    }
}

template <typename Colour> DocumentRef ScintillaEditor::makeDocument(DocumentFeed& feed, Colour&& colour, bool nothingMore)
{
    // The text went in on a thread of its own; the colours the feed did not put in go in here, in
    // the helper widget, a slice at a time.
    DocumentRef document = feed.take([this] { pause(); });
    if (nothingMore)
        return document;
    QsciScintilla* helper = builder();
    helper->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document.get());
    try {
        // Styling text above the first visible line asks for no work on the screen.
        helper->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                              static_cast<unsigned long>(helper->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT)));
        colour();
    } catch (...) {
        helper->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, static_cast<void*>(nullptr));
        throw;
    }
    helper->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, static_cast<void*>(nullptr));
    return document;
}

DocumentRef ScintillaEditor::showDocument(void* document)
{
    DocumentRef shown = DocumentRef::shownBy(*widget_);
    const bool readOnly = widget_->isReadOnly();
    widget_->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document);
    configureDocument();
    widget_->setReadOnly(readOnly);
    restoreByteMarkers(widget_);  // the widget forgot them with its document
    return shown;
}

void ScintillaEditor::loadText(const std::function<void(const LoadSink&)>& fill, std::size_t sizeHint)
{
    if (holdsWindow()) {
        // Holding the window anyway: appended piece by piece straight into the shown document,
        // which makes room for all of it at once.
        editWithoutUndo([&] {
            send(QsciScintillaBase::SCI_CLEARALL);
            if (sizeHint > 0)
                send(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(sizeHint));
            fill([this](std::string_view piece) {
                if (!piece.empty())
                    widget_->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()),
                                           piece.data());
            });
            send(QsciScintillaBase::SCI_GOTOPOS, 0);
        });
        return;
    }
    auto all = std::make_shared<std::string>();
    all->reserve(sizeHint);
    fill([&all](std::string_view piece) { *all += piece; });
    DocumentFeed feed(*builder(), all->size(), !holdsWindow());
    feed.add(std::move(all));
    loadDocument(makeDocument(feed, [] {}, true));
}

void ScintillaEditor::loadColouredPieces(std::vector<ColouredPiece> pieces)
{
    std::size_t bytes = 0;
    for (const ColouredPiece& piece : pieces)
        bytes += piece.text.size();
    DocumentFeed feed(*builder(), bytes, !holdsWindow());
    std::vector<std::pair<long, PieceStyles>> styles;  // by byte, when the feed does not colour the text itself
    {
        // The runs become styles on another thread while the text goes in.
        struct Coloured {
            std::shared_ptr<const std::string> text;
            long at;
            std::vector<ColourRun> runs;
        };
        PieceQueue<Coloured> colours([&](Coloured& piece) {
            if (feed.colours())
                feed.addStyles(piece.at, styleRunsOf(*piece.text, piece.runs));
            else
                styles.push_back({piece.at, stylesOf(*piece.text, piece.runs)});
        });
        long at = 0;
        for (ColouredPiece& piece : pieces) {
            auto text = std::make_shared<const std::string>(std::move(piece.text));
            feed.add(text);
            colours.push({text, at, std::move(piece.runs)});
            at += static_cast<long>(text->size());
            pause();
        }
        pieces.clear();
        colours.finish([this] { pause(); });
    }
    loadDocument(makeDocument(feed, [&] { styleBuild(styles); }, feed.colours()));
}

void ScintillaEditor::loadDocument(DocumentRef document)
{
    editWithoutUndo([&] {
        DocumentRef old = showDocument(document.get());
        document.reset();
        send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, kUtf32);
        send(QsciScintillaBase::SCI_GOTOPOS, 0);
        releaseApart(std::move(old));
    });
}

void ScintillaEditor::replaceTextFromPieces(long from, long to, bool throughEnd, const LinesPieceSource& next,
                                            const LinesColouring& colouring, bool colourCarried)
{
    // The new text goes into a new document, made apart while the pieces come; the shown document
    // stays whole (the pieces may be read from it), untouched if anything fails, and becomes the
    // step's undo state once the new one takes its place. The bytes around [from, to) are carried
    // over with their colours, a slice of whole lines at a time; with `colourCarried` `colouring`
    // colours them too, over the colours they had.
    const long oldBytes = send(QsciScintillaBase::SCI_GETLENGTH);
    // The text goes in on another thread as the pieces come, and their colours are worked out on
    // a third.
    DocumentFeed feed(*builder(), static_cast<std::size_t>(oldBytes + oldBytes / 8 + 64), !holdsWindow());
    // When the feed does not colour the text itself: the colours to put in afterwards, by byte,
    // those carried over first.
    std::vector<std::pair<long, PieceStyles>> carriedStyles, styles;
    DocumentRef document;
    bool unchanged = true;
    long compared = 0;
    {
        struct Piece {
            std::shared_ptr<const std::string> text;
            long at;
            bool carried;
        };
        std::optional<PieceQueue<Piece>> colours;
        if (colouring)
            colours.emplace([&](Piece& piece) {
                const std::string& text = *piece.text;
                if (feed.colours())
                    feed.addStyles(piece.at, styleRunsOf(text, colouring(text)));
                else if (piece.carried)  // over the colours carried, so only the runs
                    styles.push_back({piece.at, {{}, styleRunsOf(text, colouring(text))}});
                else
                    styles.push_back({piece.at, stylesOf(text, colouring(text))});
            });
        long at = 0;
        // Whether the new bytes are those they replace so far: then nothing changes.
        const char* oldText = reinterpret_cast<const char*>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        // The styles go to the feed before the colouring sees the text, so the runs come over them.
        auto give = [&](std::string&& text, std::string&& styleBytes, bool colour, bool carried) {
            if (!carried && unchanged) {
                const auto size = static_cast<long>(text.size());
                unchanged = compared + size <= to - from
                            && std::string_view(oldText + from + compared, text.size()) == text;
                compared += size;
            }
            auto shared = std::make_shared<const std::string>(std::move(text));
            feed.add(shared);
            if (feed.colours())
                feed.addStyleBytes(at, std::move(styleBytes));
            else if (!styleBytes.empty())
                carriedStyles.push_back({at, {std::move(styleBytes), {}}});
            if (colour && colours)
                colours->push({shared, at, carried});
            at += static_cast<long>(shared->size());
        };
        auto carry = [&](long a, long b) {
            constexpr long kSliceBytes = 256 * 1024;
            while (a < b) {
                long end = b;
                if (b - a > kSliceBytes) {
                    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(a + kSliceBytes));
                    end = std::min(b, send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1)));
                }
                // One read of the bytes with their styles, interleaved: byte, style, byte, style...
                const auto n = static_cast<std::size_t>(end - a);
                std::string styled(2 * n + 2, '\0');
                widget_->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, a, end, styled.data());
                std::string text(n, '\0'), styleBytes(n, '\0');
                for (std::size_t i = 0; i < n; ++i) {
                    text[i] = styled[2 * i];
                    styleBytes[i] = styled[2 * i + 1];
                }
                give(std::move(text), std::move(styleBytes), colourCarried, true);
                pause();
                a = end;
            }
        };
        carry(0, from);
        // Each piece is given once the next one has come: through the end the last line keeps no
        // break.
        std::optional<std::string> held;
        std::string piece;
        while (next(piece)) {
            if (held)
                give(std::move(*held), {}, true, false);
            held = std::move(piece);
            piece.clear();
            pause();
        }
        if (held) {
            if (throughEnd && std::string_view(*held).ends_with("\r\n"))
                held->resize(held->size() - 2);
            give(std::move(*held), {}, true, false);
        }
        carry(to, oldBytes);
        if (colours)
            colours->finish([this] { pause(); });
        document = makeDocument(
            feed,
            [&] {
                styleBuild(carriedStyles);
                styleBuild(styles);
            },
            feed.colours());
    }
    if (unchanged && compared == to - from) {
        releaseApart(std::move(document));  // the text as it was: no change
        return;
    }
    ++ownEdits_;
    const EditHistory::StepId historyStep =
        history_.beginChange(!isModified(), true, static_cast<std::size_t>(oldBytes)).id;
    const int id = nextStepId_++;
    Step& step = steps_[id];
    step.historyStep = historyStep;
    step.whole = true;
    step.selStart[0] = selectionStart();
    step.selLength[0] = selectionLength();
    keepView(step, 0);
    step.bytes = static_cast<std::size_t>(oldBytes);
    // The old document's history ends in the step's marker (which also ends its redo).
    send(QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(tokenOf(id, Whole)), 0);
    step.other = showDocument(document.get());
    document.reset();
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, kUtf32);
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    send(QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(tokenOf(id, Whole)), 0);
    setSelection(step.selStart[0], step.selLength[0]);
    restoreView(step, 0);
    --ownEdits_;
    trimHistory();
    noteWholeText();
    notifyChanged();
}

// --- Undo history

void ScintillaEditor::keepView(Step& step, int which) const
{
    step.topLine[which] = send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    step.xOffset[which] = send(QsciScintillaBase::SCI_GETXOFFSET);
}

void ScintillaEditor::restoreView(const Step& step, int which)
{
    send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(step.topLine[which]));
    send(QsciScintillaBase::SCI_SETXOFFSET, static_cast<unsigned long>(step.xOffset[which]));
}

std::vector<StyleRun> ScintillaEditor::styleRuns(long from, long to) const
{
    std::vector<StyleRun> runs;
    if (to <= from)
        return runs;
    std::string styled(static_cast<std::size_t>(2 * (to - from) + 2), '\0');
    widget_->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, from, to, styled.data());
    for (long i = 0; i < to - from; ++i) {
        const char style = styled[static_cast<std::size_t>(2 * i + 1)];
        if (style == 0)
            continue;
        if (!runs.empty() && runs.back().style == style && runs.back().start + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1, style});
    }
    return runs;
}

void ScintillaEditor::applyStyles(long from, const std::vector<StyleRun>& runs)
{
    for (const StyleRun& run : runs) {
        send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(from + run.start), 0);
        send(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(run.length), run.style);
    }
}

void ScintillaEditor::dropUndoneSteps() { history_.dropUndone(); }

template <typename Drop> void ScintillaEditor::eraseSteps(Drop&& drop)
{
    for (auto it = steps_.begin(); it != steps_.end();) {
        if (drop(it->first, it->second)) {
            releaseApart(std::move(it->second.other));
            it = steps_.erase(it);
        } else {
            ++it;
        }
    }
}

std::size_t ScintillaEditor::historyBytes() const
{
    std::size_t bytes = 0;
    for (const auto& [id, step] : steps_)
        bytes += step.bytes;
    return bytes;
}

void ScintillaEditor::trimHistory()
{
    // Only whole-text steps keep memory of their own that can go. A whole-text step goes with
    // everything before the next one, whose old document then forgets its history (see
    // swapDocuments); a dropped part leaves its markers behind, which then do nothing.
    const EditHistory::StepId begins =
        history_.trim(historyBound(static_cast<std::size_t>(send(QsciScintillaBase::SCI_GETLENGTH))));
    if (begins == 0)
        return;
    for (auto& [id, step] : steps_)
        if (step.historyStep == begins && step.whole)
            step.olderHistoryDropped = true;
    notifyStepsDropped();
}

void ScintillaEditor::onContainerAction(long token, bool undone)
{
    if (ignoreMarkers_ > 0)
        return;
    markersSeen_ = true;
    auto found = steps_.find(static_cast<int>(token / 4));
    if (found == steps_.end())
        return;  // dropped
    Step& step = found->second;
    const Marker marker = static_cast<Marker>(token % 4);
    // The parts' colours are put back where the text stands at this moment of the widget's undo
    // (a later part of a group is undone first); selections and swaps wait until it is done.
    if (marker == PartEnd && undone) {
        step.styles[1] = styleRuns(step.start, step.start + step.afterBytes);
        step.selStart[1] = selectionStart();
        step.selLength[1] = selectionLength();
    } else if (marker == PartStart && undone) {
        applyStyles(step.start, step.styles[0]);
        history_.undone(step.historyStep);
        pendingSelection_ = {step.selStart[0], step.selLength[0]};
    } else if (marker == PartEnd) {
        applyStyles(step.start, step.styles[1]);
        history_.redone(step.historyStep);
        pendingSelection_ = {step.selStart[1], step.selLength[1]};
    } else if (marker == Whole) {
        pendingSwaps_.push_back(found->first);
        pendingSwapForward_ = !undone;
    }
    if (!inOwnUndo_ && !finishQueued_) {
        // The widget undid by itself (its own keys): finish once it is done.
        finishQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                finishQueued_ = false;
                ++ownEdits_;
                finishUndoRedo();
                --ownEdits_;
                notifyChanged(true);
            },
            Qt::QueuedConnection);
    }
}

void ScintillaEditor::finishUndoRedo()
{
    const std::vector<int> swaps = std::move(pendingSwaps_);
    pendingSwaps_.clear();
    for (int id : swaps) {
        auto found = steps_.find(id);
        if (found != steps_.end() && found->second.other)
            swapDocuments(found->first, found->second, pendingSwapForward_);
    }
    if (pendingSelection_) {
        setSelection(pendingSelection_->first, pendingSelection_->second);
        pendingSelection_.reset();
    }
}

void ScintillaEditor::swapDocuments(int id, Step& step, bool forward)
{
    // Undo: the new document's bottom marker was just undone; the old document comes back and its
    // top marker is undone too. Redo: the reverse.
    const int leaving = forward ? 0 : 1;
    step.selStart[leaving] = selectionStart();
    step.selLength[leaving] = selectionLength();
    keepView(step, leaving);
    noteWholeText();
    DocumentRef shown = showDocument(step.other.get());
    step.other = std::move(shown);
    ++ignoreMarkers_;
    send(forward ? QsciScintillaBase::SCI_REDO : QsciScintillaBase::SCI_UNDO);
    if (!forward && step.olderHistoryDropped) {
        // Nothing before the step can be undone any more: the old document keeps only the step's
        // marker, to redo it.
        send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        send(QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(tokenOf(id, Whole)), 0);
        send(QsciScintillaBase::SCI_UNDO);
        step.olderHistoryDropped = false;
    }
    --ignoreMarkers_;
    if (forward)
        history_.redone(step.historyStep);
    else
        history_.undone(step.historyStep);
    setSelection(step.selStart[1 - leaving], step.selLength[1 - leaving]);
    restoreView(step, 1 - leaving);
}

bool ScintillaEditor::canUndo() const
{
    return history_.groupDepth() == 0 && send(QsciScintillaBase::SCI_CANUNDO) != 0;
}

bool ScintillaEditor::canRedo() const
{
    return history_.groupDepth() == 0 && send(QsciScintillaBase::SCI_CANREDO) != 0 && !history_.redoIsDead();
}

void ScintillaEditor::undo()
{
    if (canUndo())
        stepHistory(QsciScintillaBase::SCI_UNDO, +1);
}

void ScintillaEditor::redo()
{
    if (canRedo())
        stepHistory(QsciScintillaBase::SCI_REDO, -1);
}

void ScintillaEditor::stepHistory(unsigned int message, int deadRedoStep)
{
    history_.noteUndoOrRedo(deadRedoStep);
    ++ownEdits_;
    inOwnUndo_ = true;
    markersSeen_ = false;
    send(message);
    inOwnUndo_ = false;
    finishUndoRedo();
    --ownEdits_;
    // A step of this class brings its colours back; one of typing is told as the typing was.
    notifyChanged(markersSeen_);
}

void ScintillaEditor::clearUndoHistory()
{
    const bool atSavePoint = !isModified();
    send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);  // the widget's save point: the text as it is now
    history_.clear(atSavePoint);
    pendingSwaps_.clear();
    pendingSelection_.reset();
}

void ScintillaEditor::beginUndoGroup()
{
    if (history_.groupDepth() == 0) {
        groupSelStart_ = selectionStart();
        groupSelLength_ = selectionLength();
        send(QsciScintillaBase::SCI_BEGINUNDOACTION);
    }
    history_.beginGroup();
}

void ScintillaEditor::endUndoGroup(bool keep)
{
    const EditHistory::StepId made = history_.groupStep();
    if (!history_.endGroup())
        return;
    send(QsciScintillaBase::SCI_ENDUNDOACTION);
    if (made == 0)
        return;
    if (keep) {
        trimHistory();
        return;
    }
    // Take the group's changes back; its undo action then lies undone, the only one that can be
    // redone, and is cut off by an empty action that is at once taken back too.
    undo();
    dropUndoneSteps();
    ++ownEdits_;
    ++ignoreMarkers_;
    send(QsciScintillaBase::SCI_ADDUNDOACTION, 0UL, 0);
    send(QsciScintillaBase::SCI_UNDO);
    --ignoreMarkers_;
    --ownEdits_;
    history_.markDeadRedo();
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
    // The runs' span is read once and walked forward (runs ascend), so that many runs cost one
    // pass instead of a lookup each.
    const long firstChar = std::clamp(runs.front().start, 0L, total);
    const long firstByte = bytePosition(firstChar);
    long lastChar = firstChar;
    for (const auto& run : runs)
        lastChar = std::max(lastChar, std::min(run.start + std::max(run.length, 0L), total));
    const long lastByte = bytePosition(lastChar);
    if (lastByte - firstByte == lastChar - firstChar) {  // ASCII: no need to read the text
        forEachRunInText({}, runs, firstChar, lastChar - firstChar, [&](long a, long b, TextColour colour) {
            fn(firstByte + a, firstByte + b, colour);
        });
        return;
    }
    const char* span = reinterpret_cast<const char*>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(firstByte), lastByte - firstByte));
    forEachRunInText(std::string_view(span, static_cast<std::size_t>(lastByte - firstByte)), runs, firstChar, -1,
                     [&](long a, long b, TextColour colour) { fn(firstByte + a, firstByte + b, colour); });
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

bool ScintillaEditor::isModified() const
{
    // The generation tells the state the steps of this class lead to (and so the document shown);
    // the widget's own save point tells whether its typing changed that state since.
    return !history_.atSavePoint() || send(QsciScintillaBase::SCI_GETMODIFY) != 0;
}

void ScintillaEditor::setModified(bool modified)
{
    if (modified) {
        history_.setUnsaved();
        return;
    }
    send(QsciScintillaBase::SCI_SETSAVEPOINT);
    history_.setSaved();
}

}  // namespace zorvan
