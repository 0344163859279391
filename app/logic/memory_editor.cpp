#include "app/logic/memory_editor.h"

#include <algorithm>
#include <cstring>

namespace zorvan {

namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::size_t kBlockSize = 1 << 20;

std::size_t byteOffset(std::string_view text, long chars, long lineChars)
{
    if (static_cast<long>(text.size()) == lineChars)  // ASCII only
        return static_cast<std::size_t>(std::clamp(chars, 0L, lineChars));
    return byteOffsetOfCharacter(text, chars);
}

}  // namespace

MemoryEditor::MemoryEditor() : MemoryEditor(std::string_view{}) {}

MemoryEditor::MemoryEditor(std::string_view utf8) : MemoryEditor(std::string(utf8)) {}

MemoryEditor::MemoryEditor(std::string&& utf8)
{
    adopt(std::move(utf8));
    history_.setDropHandler([this](EditHistory::StepId id) {
        auto found = steps_.find(id);
        if (found == steps_.end())
            return;
        for (const auto& c : found->second.changes)
            historyBytes_ -= c.text.size();
        steps_.erase(found);
    });
}

void MemoryEditor::adopt(std::string&& text)
{
    blocks_.clear();
    storedBytes_ = text.size();
    auto block = std::make_unique<std::string>(std::move(text));
    std::string_view stored = *block;
    blocks_.push_back(std::move(block));
    lines_.clear();  // its room is used again
    splitStored(stored, lines_);
    wholeText_ = stored;
    wholeTextKnown_ = true;
    liveBytes_ = 0;
    for (const auto& l : lines_)
        liveBytes_ += l.bytes;
    rebuildIndex();
}

const char* MemoryEditor::store(std::string_view text)
{
    static const char empty[] = "";
    if (text.empty())
        return empty;
    std::string* tail = blocks_.empty() ? nullptr : blocks_.back().get();
    if (!tail || tail->capacity() - tail->size() < text.size()) {
        auto block = std::make_unique<std::string>();
        block->reserve(std::max(text.size(), kBlockSize));
        blocks_.push_back(std::move(block));
        tail = blocks_.back().get();
    }
    std::size_t at = tail->size();
    tail->append(text);  // within the reserved capacity: the block does not move
    storedBytes_ += text.size();
    return tail->data() + at;
}

TextColour* MemoryEditor::Line::paint()
{
    if (!colours) {
        colours = std::make_unique<TextColour[]>(chars + 2);
        std::fill(colours.get(), colours.get() + chars + 2, TextColour::Default);
    }
    return colours.get();
}

MemoryEditor::Line MemoryEditor::makeLine(std::string_view storedText) const
{
    Line line;
    line.data = storedText.data();
    line.bytes = static_cast<std::uint32_t>(storedText.size());
    line.chars = static_cast<std::uint32_t>(countCharacters(storedText));
    return line;
}

void MemoryEditor::splitStored(std::string_view stored, std::vector<Line>& lines) const
{
    // Lines that lie before the next non-ASCII byte have as many characters as bytes, so only
    // the few others are counted.
    std::size_t asciiUntil = asciiPrefix(stored);
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = stored.find(kBreak, from);
        const std::size_t end = at == std::string_view::npos ? stored.size() : at;
        Line line;
        line.data = stored.data() + from;
        line.bytes = static_cast<std::uint32_t>(end - from);
        if (end <= asciiUntil) {
            line.chars = line.bytes;
        } else {
            line.chars = static_cast<std::uint32_t>(countCharacters(stored.substr(from, end - from)));
            asciiUntil = end + asciiPrefix(stored.substr(end));
        }
        lines.push_back(std::move(line));
        if (at == std::string_view::npos)
            return;
        from = at + kBreak.size();
    }
}

std::vector<MemoryEditor::Line> MemoryEditor::splitStored(std::string_view stored) const
{
    std::vector<Line> lines;
    splitStored(stored, lines);
    return lines;
}

void MemoryEditor::compactIfWasteful()
{
    if (storedBytes_ <= 2 * liveBytes_ + kBlockSize)
        return;
    wholeTextKnown_ = false;  // the lines are packed without their breaks
    auto block = std::make_unique<std::string>();
    block->reserve(liveBytes_);
    for (auto& l : lines_) {
        std::size_t at = block->size();
        block->append(l.text());
        l.data = block->data() + at;
    }
    blocks_.clear();
    storedBytes_ = block->size();
    blocks_.push_back(std::move(block));
}

long MemoryEditor::rawLength(std::size_t index) const
{
    return lines_[index].chars + (index + 1 < lines_.size() ? 2 : 0);
}

void MemoryEditor::rebuildIndex()
{
    tree_.assign(lines_.size() + 1, 0);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::size_t node = i + 1;
        tree_[node] += rawLength(i);
        std::size_t parent = node + (node & (~node + 1));
        if (parent < tree_.size())
            tree_[parent] += tree_[node];
    }
}

void MemoryEditor::addToIndex(std::size_t index, long delta)
{
    for (std::size_t node = index + 1; node < tree_.size(); node += node & (~node + 1))
        tree_[node] += delta;
}

long MemoryEditor::prefix(std::size_t count) const
{
    long sum = 0;
    for (std::size_t node = std::min(count, lines_.size()); node > 0; node -= node & (~node + 1))
        sum += tree_[node];
    return sum;
}

std::pair<std::size_t, long> MemoryEditor::locate(long pos) const
{
    pos = std::clamp(pos, 0L, length());
    // Fenwick descent: the largest count of whole raw lines whose positions sum to <= pos.
    std::size_t index = 0;
    long remaining = pos;
    std::size_t step = 1;
    while (step * 2 < tree_.size())
        step *= 2;
    for (; step > 0; step /= 2) {
        std::size_t next = index + step;
        if (next < tree_.size() && tree_[next] <= remaining) {
            index = next;
            remaining -= tree_[next];
        }
    }
    if (index >= lines_.size()) {  // at the very end
        index = lines_.size() - 1;
        remaining = lines_[index].chars;
    }
    return {index, remaining};
}

std::string MemoryEditor::takeText()
{
    std::string text;
    auto holdsExactly = [&](const std::unique_ptr<std::string>& block) {
        return block->data() == wholeText_.data() && block->size() == wholeText_.size();
    };
    auto block = std::find_if(blocks_.begin(), blocks_.end(), holdsExactly);
    if (wholeTextKnown_ && block != blocks_.end())
        text = std::move(**block);
    else
        text = this->text();
    adopt(std::string());
    return text;
}

std::size_t MemoryEditor::wholeTextOffset(long pos) const
{
    if (pos >= length())
        return wholeText_.size();
    auto [index, col] = locate(pos);
    const Line& l = lines_[index];
    const std::size_t lineOffset = static_cast<std::size_t>(l.data - wholeText_.data());
    if (col <= static_cast<long>(l.chars))
        return lineOffset + byteOffset(l.text(), col, l.chars);
    return lineOffset + l.bytes + static_cast<std::size_t>(col - l.chars);  // inside the break
}

std::string_view MemoryEditor::textView(long start, long len, std::string& buffer) const
{
    if (!wholeTextKnown_)
        return TextEditor::textView(start, len, buffer);
    start = std::clamp(start, 0L, length());
    const long end = std::clamp(start + std::max(len, 0L), start, length());
    const std::size_t a = wholeTextOffset(start);
    return wholeText_.substr(a, wholeTextOffset(end) - a);
}

std::string MemoryEditor::text() const
{
    if (wholeTextKnown_)
        return std::string(wholeText_);
    std::size_t size = 0;
    for (const auto& l : lines_)
        size += l.bytes + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            out += kBreak;
        out += lines_[i].text();
    }
    return out;
}

void MemoryEditor::setText(std::string_view utf8)
{
    adopt(std::string(utf8));
    selStart_ = selLength_ = 0;
    firstVisible_ = 0;
    history_.load();
    noteWholeText(true);
    notifyChanged();
}

long MemoryEditor::length() const { return prefix(lines_.size()); }

std::string MemoryEditor::textRange(long start, long len) const
{
    start = std::clamp(start, 0L, length());
    long end = std::clamp(start + std::max(len, 0L), start, length());
    auto [firstLine, firstCol] = locate(start);
    std::string out;
    long pos = start;
    std::size_t index = firstLine;
    long col = firstCol;
    while (pos < end && index < lines_.size()) {
        const Line& l = lines_[index];
        long take = std::min(end - pos, l.chars - col);
        if (take > 0) {
            std::size_t a = byteOffset(l.text(), col, l.chars);
            std::size_t b = byteOffset(l.text(), col + take, l.chars);
            out.append(l.data + a, b - a);
            pos += take;
            col += take;
        }
        if (pos >= end)
            break;
        if (col == l.chars) {  // before the CR
            out += '\r';
            ++pos;
            if (pos >= end)
                break;
        }
        out += '\n';
        ++pos;
        ++index;
        col = 0;
    }
    return out;
}

void MemoryEditor::setSelection(long start, long len)
{
    long total = length();
    if (len < 0) {
        start += len;
        len = -len;
    }
    selStart_ = std::clamp(start, 0L, total);
    selLength_ = std::clamp(len, 0L, total - selStart_);
}

void MemoryEditor::replaceRawLines(std::size_t first, std::size_t count, std::vector<Line>&& fresh)
{
    wholeTextKnown_ = false;
    for (std::size_t i = first; i < first + count; ++i)
        liveBytes_ -= lines_[i].bytes;
    for (const auto& l : fresh)
        liveBytes_ += l.bytes;
    if (fresh.size() == count && count <= lines_.size() / 8 + 8) {
        // Same number of lines, few of them: O(log n) each.
        for (std::size_t i = 0; i < count; ++i) {
            long before = rawLength(first + i);
            lines_[first + i] = std::move(fresh[i]);
            addToIndex(first + i, rawLength(first + i) - before);
        }
    } else if (fresh.size() == count) {
        std::move(fresh.begin(), fresh.end(), lines_.begin() + static_cast<std::ptrdiff_t>(first));
        rebuildIndex();
    } else {
        auto at = lines_.begin() + static_cast<std::ptrdiff_t>(first);
        at = lines_.erase(at, at + static_cast<std::ptrdiff_t>(count));
        lines_.insert(at, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
        if (lines_.empty())
            lines_.push_back(Line{});
        rebuildIndex();
    }
    compactIfWasteful();
}

void MemoryEditor::replaceRange(long start, long end, std::string_view utf8)
{
    auto [firstLine, firstCol] = locate(start);
    auto [lastLine, lastCol] = locate(end);
    noteChangedLines(static_cast<int>(firstLine), static_cast<int>(lines_.size() - 1 - lastLine));
    const Line& a = lines_[firstLine];
    const Line& b = lines_[lastLine];
    long headChars = std::min<long>(firstCol, a.chars);
    long tailFrom = std::min<long>(lastCol, b.chars);
    std::string_view head = a.text().substr(0, byteOffset(a.text(), headChars, a.chars));
    std::string_view tail = b.text().substr(byteOffset(b.text(), tailFrom, b.chars));
    // Colours of the kept head and tail; the inserted text starts in the default colour.
    std::vector<TextColour> headColours, tailColours;
    if (a.colours)
        headColours.assign(a.colours.get(), a.colours.get() + headChars);
    if (b.colours)
        tailColours.assign(b.colours.get() + tailFrom, b.colours.get() + b.chars + 2);

    std::string joined;
    joined.reserve(head.size() + utf8.size() + tail.size());
    joined += head;
    joined += utf8;
    joined += tail;
    auto change = beginChange(firstLine, lastLine - firstLine + 1);
    std::vector<Line> fresh = splitStored(std::string_view(store(joined), joined.size()));
    const std::size_t freshCount = fresh.size();
    if (!headColours.empty())
        std::copy(headColours.begin(), headColours.end(), fresh.front().paint());
    if (!tailColours.empty()) {
        Line& l = fresh.back();
        std::copy(tailColours.begin(), tailColours.end(), l.paint() + (l.chars + 2 - tailColours.size()));
    }
    replaceRawLines(firstLine, lastLine - firstLine + 1, std::move(fresh));
    endChange(std::move(change), freshCount);
}

void MemoryEditor::replaceSelection(std::string_view utf8)
{
    long start = selStart_;
    if (static_cast<std::size_t>(selLength_) <= utf8.size() && textRange(start, selLength_) == utf8) {
        setSelection(start + selLength_, 0);  // the same text again: no change
        return;
    }
    replaceRange(start, start + selLength_, utf8);
    setSelection(start + countCharacters(utf8), 0);
    notifyChanged();
}

long MemoryEditor::find(std::string_view what, long from, long to) const
{
    if (what.empty())
        return -1;
    from = std::clamp(from, 0L, length());
    to = std::clamp(to, from, length());
    if (to - from < static_cast<long>(countCharacters(what)))
        return -1;
    if (wholeTextKnown_) {
        // One search in the text where it lies; only the characters before the match are counted.
        const std::size_t a = wholeTextOffset(from);
        const std::string_view range = wholeText_.substr(a, wholeTextOffset(to) - a);
        const std::size_t at = range.find(what);
        return at == std::string_view::npos ? -1 : from + countCharacters(range.substr(0, at));
    }
    return findInLines(what, from, to);
}

long MemoryEditor::findInLines(std::string_view what, long from, long to) const
{
    // The text is walked as a chain of stretches (a line's text, then its break) from `from` on;
    // a match inside a stretch is found there, one that spans stretches in the few bytes around
    // their joint, so nothing beyond the match is read.
    const std::size_t overlap = what.size() - 1;
    std::string joint;  // the last `overlap` bytes before the current stretch, then its head
    auto [index, col] = locate(from);
    long pos = from;
    auto search = [&](std::string_view stretch, long stretchChars) -> long {
        // Matches that start in the bytes kept from earlier stretches.
        if (!joint.empty()) {
            const std::size_t kept = joint.size();
            joint.append(stretch.substr(0, overlap));
            const std::size_t at = joint.find(what);
            if (at != std::string::npos && at < kept)
                return pos - countCharacters(std::string_view(joint).substr(at, kept - at));
            joint.resize(kept);
        }
        const std::size_t at = stretch.find(what);
        if (at != std::string_view::npos)
            return pos + countCharacters(stretch.substr(0, at));
        joint.append(stretch.substr(stretch.size() > overlap ? stretch.size() - overlap : 0));
        if (joint.size() > overlap)
            joint.erase(0, joint.size() - overlap);
        pos += stretchChars;
        return -1;
    };
    while (pos < to && index < lines_.size()) {
        const Line& l = lines_[index];
        const long lineChars = static_cast<long>(l.chars);
        if (col < lineChars) {
            const std::size_t a = byteOffset(l.text(), col, lineChars);
            const long take = std::min(to - pos, lineChars - col);
            const std::size_t b = byteOffset(l.text(), col + take, lineChars);
            if (long at = search(l.text().substr(a, b - a), take); at >= 0)
                return at + countCharacters(what) <= to ? at : -1;
            col = lineChars;
        }
        if (pos >= to || index + 1 == lines_.size())
            break;
        const long breakFrom = col - lineChars;  // 0, or 1 when starting between CR and LF
        const long take = std::min<long>(to - pos, 2 - breakFrom);
        if (long at = search(kBreak.substr(static_cast<std::size_t>(breakFrom), static_cast<std::size_t>(take)), take);
            at >= 0)
            return at + countCharacters(what) <= to ? at : -1;
        ++index;
        col = 0;
    }
    return -1;
}

int MemoryEditor::lineCount() const
{
    int raw = static_cast<int>(lines_.size());
    return lines_.back().bytes == 0 ? raw - 1 : raw;
}

std::string MemoryEditor::line(int index) const
{
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        return {};
    return std::string(lines_[index].text());
}

int MemoryEditor::lineFromPosition(long pos) const { return static_cast<int>(locate(pos).first); }

long MemoryEditor::positionFromLine(int index) const
{
    if (index <= 0)
        return 0;
    return prefix(static_cast<std::size_t>(index));
}

void MemoryEditor::replaceLinesText(int first, int count, std::string_view linesWithBreaks)
{
    adoptLinesText(first, count, std::string(linesWithBreaks));
}

void MemoryEditor::adoptLinesText(int first, int count, std::string&& linesWithBreaks)
{
    int raw = static_cast<int>(lines_.size());
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    if (count == 0 && linesWithBreaks.empty())
        return;
    if (sameLines(first, count, linesWithBreaks))
        return;
    long selStart = selStart_, selLength = selLength_;
    if (adoptAroundKeptLines(first, count, linesWithBreaks)) {
        setSelection(selStart, selLength);
        notifyChanged();
        return;
    }

    const bool hasNewLines = !linesWithBreaks.empty();
    const bool onlyEmptyLineLeft = first + count == raw - 1 && lines_.back().bytes == 0;
    std::size_t bodySize = linesWithBreaks.size();
    if (bodySize >= 2 && std::string_view(linesWithBreaks).substr(bodySize - 2) == kBreak)
        bodySize -= 2;
    // Every line with text replaced by some text: the old lines go to the history in one piece.
    const bool wholeText = first == 0 && (count == raw || onlyEmptyLineLeft) && bodySize > 0;
    if (wholeText)
        noteWholeText();
    else if (first == raw)
        noteChangedLines(raw - 1, 0);
    else
        noteChangedLines(first, raw - first - count);
    std::optional<Change> change;
    if (wholeText)
        change = beginChange(0, static_cast<std::size_t>(raw), true, length() > 0);
    else if (first == raw)
        change = beginChange(static_cast<std::size_t>(raw - 1), 1);
    else  // all the lines with text replaced by none but a break still keep the whole text
        change = beginChange(static_cast<std::size_t>(first), static_cast<std::size_t>(count), false,
                             first == 0 && (count == raw || onlyEmptyLineLeft) && hasNewLines && length() > 0);
    std::string_view body;  // the new lines without the break after the last, as stored
    if (hasNewLines) {
        const std::size_t size = bodySize;
        if (size >= kBlockSize) {  // a big text becomes a block of its own, without a copy
            blocks_.push_back(std::make_unique<std::string>(std::move(linesWithBreaks)));
            storedBytes_ += size;
            body = std::string_view(*blocks_.back()).substr(0, size);
        } else {
            body = std::string_view(store(std::string_view(linesWithBreaks).substr(0, size)), size);
        }
    }

    auto holdsBody = [&](const std::unique_ptr<std::string>& block) {
        return !body.empty() && body.data() >= block->data() && body.data() <= block->data() + block->size();
    };
    auto keep = std::find_if(blocks_.begin(), blocks_.end(), holdsBody);
    if (first == 0 && (count == raw || onlyEmptyLineLeft) && keep != blocks_.end()) {
        // Every line with text is replaced: the old texts are all garbage, only the new lines'
        // block stays (and the empty last line, if any, which holds no text). The old lines'
        // room takes the new ones.
        std::unique_ptr<std::string> block = std::move(*keep);
        const bool keepsLastBreak = onlyEmptyLineLeft && count != raw;
        lines_.clear();
        splitStored(body, lines_);
        if (keepsLastBreak)
            lines_.push_back(Line{});
        // The new text lies in one piece if the break after its last line is in the block.
        const std::size_t end = static_cast<std::size_t>(body.data() - block->data()) + body.size();
        wholeTextKnown_ = !keepsLastBreak || std::string_view(*block).substr(end, 2) == kBreak;
        wholeText_ = std::string_view(body.data(), body.size() + (keepsLastBreak ? 2 : 0));
        blocks_.clear();
        storedBytes_ = block->size();
        blocks_.push_back(std::move(block));
        liveBytes_ = 0;
        for (const auto& l : lines_)
            liveBytes_ += l.bytes;
        rebuildIndex();
        endChange(std::move(change), lines_.size());
        setSelection(selStart, selLength);
        notifyChanged();
        return;
    }
    std::vector<Line> fresh;
    if (hasNewLines)
        fresh = splitStored(body);
    if (first == raw) {
        // After the last line, which gets a break.
        for (const auto& l : fresh)
            liveBytes_ += l.bytes;
        const std::size_t added = fresh.size();
        lines_.insert(lines_.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
        wholeTextKnown_ = false;
        rebuildIndex();
        endChange(std::move(change), 1 + added);
    } else {
        if (first + count == raw && fresh.empty())
            fresh.push_back(Line{});  // removing the last lines keeps the break before them
        const std::size_t freshCount = fresh.size();
        replaceRawLines(static_cast<std::size_t>(first), static_cast<std::size_t>(count), std::move(fresh));
        endChange(std::move(change), freshCount);
    }
    setSelection(selStart, selLength);
    notifyChanged();
}

bool MemoryEditor::sameLines(int first, int count, std::string_view linesWithBreaks) const
{
    const int raw = static_cast<int>(lines_.size());
    if (first >= raw || count == 0)
        return false;
    // What replaceLinesText would put there: through the end without the break after the last
    // new line, else with it.
    const bool throughEnd = first + count == raw;
    std::string_view body = linesWithBreaks;
    if (body.ends_with(kBreak))
        body.remove_suffix(2);
    const bool breakAfter = !throughEnd && !linesWithBreaks.empty();
    std::size_t oldBytes = throughEnd ? 0 : 2;
    for (int i = first; i < first + count; ++i)
        oldBytes += lines_[static_cast<std::size_t>(i)].bytes + (i + 1 < first + count ? 2 : 0);
    if (oldBytes != body.size() + (breakAfter ? 2 : 0))
        return false;
    std::size_t at = 0;
    for (int i = first; i < first + count; ++i) {
        const std::string_view text = lines_[static_cast<std::size_t>(i)].text();
        if (body.substr(at, text.size()) != text)
            return false;
        at += text.size();
        if (i + 1 < first + count) {
            if (body.substr(at, 2) != kBreak)
                return false;
            at += 2;
        }
    }
    return at == body.size();
}

bool MemoryEditor::adoptAroundKeptLines(int first, int count, std::string& linesWithBreaks)
{
    // When all but a few short lines are replaced, those lines join the new text, which then
    // lies in one piece again (read and handed over without a copy); they keep their colours.
    constexpr int kMostKeptLines = 64;
    const int raw = static_cast<int>(lines_.size());
    const int keptAfter = raw - first - count;
    if (count == 0 || linesWithBreaks.empty() || (first == 0 && keptAfter == 0) || first + keptAfter > kMostKeptLines)
        return false;
    std::size_t keptBytes = 0;
    for (int i = 0; i < first; ++i)
        keptBytes += lines_[static_cast<std::size_t>(i)].bytes + 2;
    for (int i = first + count; i < raw; ++i)
        keptBytes += lines_[static_cast<std::size_t>(i)].bytes + 2;
    if (keptBytes * 16 > linesWithBreaks.size())
        return false;
    noteChangedLines(first, keptAfter);
    // For the history every line is replaced (the kept ones read from the taken block); it keeps
    // a whole text when only the empty line after a final break is left.
    const bool wholeText = first == 0 && keptAfter == 1 && lines_.back().bytes == 0;
    auto change = beginChange(0, static_cast<std::size_t>(raw), true, wholeText);

    std::string head;
    std::vector<std::unique_ptr<TextColour[]>> keptColours;
    for (int i = 0; i < first; ++i) {
        head += lines_[static_cast<std::size_t>(i)].text();
        head += kBreak;
        keptColours.push_back(std::move(lines_[static_cast<std::size_t>(i)].colours));
    }
    linesWithBreaks.insert(0, head);
    if (!linesWithBreaks.ends_with(kBreak))
        linesWithBreaks += kBreak;  // new lines without a final break read as if they had one
    if (keptAfter == 0) {
        linesWithBreaks.resize(linesWithBreaks.size() - 2);  // no break after the new last line
    } else {
        for (int i = first + count; i < raw; ++i) {
            linesWithBreaks += lines_[static_cast<std::size_t>(i)].text();
            if (i + 1 < raw)
                linesWithBreaks += kBreak;
            keptColours.push_back(std::move(lines_[static_cast<std::size_t>(i)].colours));
        }
    }
    adopt(std::move(linesWithBreaks));
    for (int i = 0; i < first; ++i)
        lines_[static_cast<std::size_t>(i)].colours = std::move(keptColours[static_cast<std::size_t>(i)]);
    const std::size_t tailAt = lines_.size() - static_cast<std::size_t>(keptAfter);
    for (int k = 0; k < keptAfter; ++k)
        lines_[tailAt + static_cast<std::size_t>(k)].colours = std::move(keptColours[static_cast<std::size_t>(first + k)]);
    endChange(std::move(change), lines_.size());
    return true;
}

void MemoryEditor::scrollCaretIntoView()
{
    int caretLine = lineFromPosition(selStart_ + selLength_);
    if (caretLine < firstVisible_)
        firstVisible_ = caretLine;
    else if (caretLine >= firstVisible_ + visibleLines_)
        firstVisible_ = caretLine - visibleLines_ + 1;
}

TextColour MemoryEditor::colourAt(long pos) const
{
    if (pos < 0 || pos >= length())
        return TextColour::Default;
    auto [index, col] = locate(pos);
    const Line& l = lines_[index];
    return l.colours ? l.colours[col] : TextColour::Default;
}

const TextColour* MemoryEditor::lineColours(int index, long& characters) const
{
    characters = 0;
    if (index < 0 || static_cast<std::size_t>(index) >= lines_.size())
        return nullptr;
    const Line& l = lines_[static_cast<std::size_t>(index)];
    characters = l.chars;
    return l.colours.get();
}

void MemoryEditor::setColour(long start, long len, TextColour colour)
{
    long total = length();
    start = std::clamp(start, 0L, total);
    long end = std::clamp(start + len, start, total);
    if (start >= end)
        return;
    auto [index, col] = locate(start);
    long pos = start;
    while (pos < end && index < lines_.size()) {
        Line& l = lines_[index];
        long raw = rawLength(index);
        long upto = std::min(raw, col + (end - pos));
        if (l.colours || colour != TextColour::Default)
            std::fill(l.paint() + col, l.paint() + upto, colour);
        pos += upto - col;
        ++index;
        col = 0;
    }
}

// --- Undo history

void MemoryEditor::setModified(bool modified)
{
    if (modified)
        history_.setUnsaved();
    else
        history_.setSaved();
}

void MemoryEditor::setHistoryKept(bool kept)
{
    historyKept_ = kept;
    if (!kept)
        clearUndoHistory();
}

void MemoryEditor::clearUndoHistory() { history_.clear(!isModified()); }

std::string MemoryEditor::rawLinesText(std::size_t first, std::size_t count, bool mayTakeBlock)
{
    if (mayTakeBlock && first == 0 && count == lines_.size() && wholeTextKnown_ && wholeText_.size() > 64) {
        for (auto& block : blocks_) {
            if (block->data() == wholeText_.data() && block->size() == wholeText_.size()) {
                // The lines still point into the buffer, which the string keeps where it is.
                std::string taken = std::move(*block);
                storedBytes_ -= taken.size();
                return taken;
            }
        }
    }
    std::size_t size = 0;
    for (std::size_t i = first; i < first + count; ++i)
        size += lines_[i].bytes + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = first; i < first + count; ++i) {
        if (i > first)
            out += kBreak;
        out += lines_[i].text();
    }
    return out;
}

std::vector<TextEditor::ColourRun> MemoryEditor::rawLinesColours(std::size_t first, std::size_t count) const
{
    std::vector<ColourRun> runs;
    long pos = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const Line& l = lines_[i];
        const long positions = l.chars + (i + 1 < lines_.size() ? 2 : 0);
        if (l.colours) {
            for (long k = 0; k < positions; ++k) {
                const TextColour colour = l.colours[k];
                if (colour == TextColour::Default)
                    continue;
                if (!runs.empty() && runs.back().colour == colour && runs.back().start + runs.back().length == pos + k)
                    ++runs.back().length;
                else
                    runs.push_back({pos + k, 1, colour});
            }
        }
        pos += positions;
    }
    return runs;
}

std::optional<MemoryEditor::Change> MemoryEditor::beginChange(std::size_t first, std::size_t countBefore,
                                                             bool mayTakeBlock, bool wholeText)
{
    if (!historyKept_) {
        history_.changedWithoutStep();
        return std::nullopt;
    }
    const EditHistory::Begun begun = history_.beginChange(!isModified(), wholeText, textBytes());
    if (begun.fresh) {
        Step& step = steps_[begun.id];
        step.selStart[0] = history_.groupDepth() > 0 ? groupSelStart_ : selStart_;
        step.selLength[0] = history_.groupDepth() > 0 ? groupSelLength_ : selLength_;
    }
    return linesAsChange(first, countBefore, mayTakeBlock);
}

MemoryEditor::Change MemoryEditor::linesAsChange(std::size_t first, std::size_t count, bool mayTakeBlock)
{
    Change change;
    change.first = first;
    change.noLines = count == 0;
    change.colours = rawLinesColours(first, count);
    if (count > 0)
        change.text = rawLinesText(first, count, mayTakeBlock);
    return change;
}

void MemoryEditor::endChange(std::optional<Change>&& change, std::size_t countAfter)
{
    if (!change)
        return;
    change->count = countAfter;
    historyBytes_ += change->text.size();
    steps_[history_.lastDone()].changes.push_back(std::move(*change));
    if (history_.groupDepth() == 0)
        trimHistory();
}

void MemoryEditor::swapChange(Change& change)
{
    const std::size_t first = change.first, count = change.count;
    const std::size_t handedBytes = change.text.size();
    const bool allLines = first == 0 && count == lines_.size();
    noteChangedLines(static_cast<int>(first), static_cast<int>(lines_.size() - first - count));
    Change current = linesAsChange(first, count, allLines);
    std::size_t newCount = 0;
    if (allLines && !change.noLines) {
        adopt(std::move(change.text));
        newCount = lines_.size();
    } else {
        std::vector<Line> fresh;
        if (!change.noLines) {
            std::string_view stored;
            if (change.text.size() >= kBlockSize) {
                blocks_.push_back(std::make_unique<std::string>(std::move(change.text)));
                storedBytes_ += blocks_.back()->size();
                stored = *blocks_.back();
            } else {
                stored = std::string_view(store(change.text), change.text.size());
            }
            fresh = splitStored(stored);
        }
        newCount = fresh.size();
        replaceRawLines(first, count, std::move(fresh));
    }
    if (!change.colours.empty()) {
        const long start = prefix(first);
        for (auto& run : change.colours)
            run.start += start;
        setColours(change.colours);
    }
    historyBytes_ += current.text.size();
    historyBytes_ -= handedBytes;
    current.count = newCount;
    change = std::move(current);
}

void MemoryEditor::setSelectionOf(const Step& step, int which)
{
    setSelection(step.selStart[which], step.selLength[which]);
}

void MemoryEditor::swapStep(Step& step, bool forward)
{
    if (forward) {
        for (auto& change : step.changes)
            swapChange(change);
    } else {
        for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
            swapChange(*it);
    }
}

void MemoryEditor::undo()
{
    const EditHistory::StepId id = history_.lastDone();
    if (id == 0 || history_.groupDepth() > 0)
        return;
    Step& step = steps_[id];
    step.selStart[1] = selStart_;
    step.selLength[1] = selLength_;
    swapStep(step, false);
    history_.undone(id);
    setSelectionOf(step, 0);
    notifyChanged(true);
}

void MemoryEditor::redo()
{
    const EditHistory::StepId id = history_.firstUndone();
    if (id == 0 || history_.groupDepth() > 0)
        return;
    Step& step = steps_[id];
    swapStep(step, true);
    history_.redone(id);
    setSelectionOf(step, 1);
    notifyChanged(true);
}

void MemoryEditor::trimHistory()
{
    if (history_.trim(historyBound(textBytes())) != 0)
        notifyStepsDropped();
}

void MemoryEditor::beginUndoGroup()
{
    if (history_.groupDepth() == 0) {
        groupSelStart_ = selStart_;
        groupSelLength_ = selLength_;
    }
    history_.beginGroup();
}

void MemoryEditor::endUndoGroup(bool keep)
{
    const EditHistory::StepId id = history_.groupStep();
    if (!history_.endGroup() || id == 0)
        return;
    if (keep) {
        trimHistory();
        return;
    }
    Step& step = steps_[id];
    swapStep(step, false);
    history_.undone(id);
    setSelectionOf(step, 0);
    history_.dropUndone();
    notifyChanged(true);
}

}  // namespace zorvan
