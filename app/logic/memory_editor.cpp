#include "app/logic/memory_editor.h"

#include <algorithm>

namespace zorvan {

namespace {

constexpr std::string_view kBreak = "\r\n";

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = text.find(kBreak, from);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(from));
            return parts;
        }
        parts.emplace_back(text.substr(from, at - from));
        from = at + kBreak.size();
    }
}

std::size_t byteOffset(const std::string& text, long chars, long lineChars)
{
    if (static_cast<long>(text.size()) == lineChars)  // ASCII only
        return static_cast<std::size_t>(std::min<long>(chars, lineChars));
    return byteOffsetOfCharacter(text, chars);
}

}  // namespace

MemoryEditor::MemoryEditor() : MemoryEditor(std::string_view{}) {}

MemoryEditor::MemoryEditor(std::string_view utf8)
{
    for (auto& part : splitLines(utf8))
        lines_.push_back(Line{std::move(part), 0, {}});
    for (auto& l : lines_)
        l.chars = countCharacters(l.text);
    rebuildIndex();
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

std::string MemoryEditor::text() const
{
    std::size_t size = 0;
    for (const auto& l : lines_)
        size += l.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            out += kBreak;
        out += lines_[i].text;
    }
    return out;
}

void MemoryEditor::setText(std::string_view utf8)
{
    lines_.clear();
    for (auto& part : splitLines(utf8)) {
        long chars = countCharacters(part);
        lines_.push_back(Line{std::move(part), chars, {}});
    }
    rebuildIndex();
    selStart_ = selLength_ = 0;
    firstVisible_ = 0;
    modified_ = true;
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
        long lineEnd = std::min(end - pos, l.chars - col);
        if (lineEnd > 0) {
            std::size_t a = byteOffset(l.text, col, l.chars);
            std::size_t b = byteOffset(l.text, col + lineEnd, l.chars);
            out.append(l.text, a, b - a);
            pos += lineEnd;
            col += lineEnd;
        }
        if (pos >= end)
            break;
        // inside or at the line break
        long breakCol = col - l.chars;  // 0 = before CR, 1 = before LF
        if (breakCol == 0) {
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

void MemoryEditor::clampSelection() { setSelection(selStart_, selLength_); }

void MemoryEditor::replaceRange(long start, long end, std::string_view utf8)
{
    auto [firstLine, firstCol] = locate(start);
    auto [lastLine, lastCol] = locate(end);
    const Line& a = lines_[firstLine];
    const Line& b = lines_[lastLine];
    long headChars = std::min(firstCol, a.chars);
    long tailFrom = std::min(lastCol, b.chars);
    std::string head = a.text.substr(0, byteOffset(a.text, headChars, a.chars));
    std::string tail = b.text.substr(byteOffset(b.text, tailFrom, b.chars));
    std::vector<TextColour> headColours, tailColours;
    if (!a.colours.empty())
        headColours.assign(a.colours.begin(), a.colours.begin() + headChars);
    bool tailHasBreak = lastLine + 1 < lines_.size();
    if (!b.colours.empty())
        tailColours.assign(b.colours.begin() + tailFrom, b.colours.end());

    std::vector<std::string> parts = splitLines(utf8);
    parts.front().insert(0, head);
    parts.back() += tail;
    std::vector<Line> fresh;
    fresh.reserve(parts.size());
    for (auto& p : parts) {
        long chars = countCharacters(p);
        fresh.push_back(Line{std::move(p), chars, {}});
    }
    // Colours of the kept head and tail; the inserted text starts in the default colour.
    if (!headColours.empty()) {
        Line& f = fresh.front();
        f.colours.assign(f.chars + 2, TextColour::Default);
        std::copy(headColours.begin(), headColours.end(), f.colours.begin());
    }
    if (!tailColours.empty()) {
        Line& l = fresh.back();
        long size = l.chars + (tailHasBreak ? 2 : 0);
        l.colours.resize(size, TextColour::Default);
        std::copy(tailColours.begin(), tailColours.end(), l.colours.end() - tailColours.size());
    }

    if (fresh.size() == 1 && firstLine == lastLine) {
        long before = rawLength(firstLine);
        lines_[firstLine] = std::move(fresh.front());
        addToIndex(firstLine, rawLength(firstLine) - before);
    } else {
        lines_.erase(lines_.begin() + firstLine, lines_.begin() + lastLine + 1);
        lines_.insert(lines_.begin() + firstLine, std::make_move_iterator(fresh.begin()),
                      std::make_move_iterator(fresh.end()));
        rebuildIndex();
    }
    modified_ = true;
}

void MemoryEditor::replaceSelection(std::string_view utf8)
{
    long start = selStart_;
    replaceRange(start, start + selLength_, utf8);
    selStart_ = start + countCharacters(utf8);
    selLength_ = 0;
    clampSelection();
    notifyChanged();
}

long MemoryEditor::find(std::string_view what, long from, long to) const
{
    if (what.empty())
        return -1;
    from = std::clamp(from, 0L, length());
    to = std::clamp(to, from, length());
    std::string range = textRange(from, to - from);
    std::size_t at = range.find(what);
    if (at == std::string::npos)
        return -1;
    return from + countCharacters(std::string_view(range).substr(0, at));
}

int MemoryEditor::lineCount() const
{
    int raw = static_cast<int>(lines_.size());
    return lines_.back().text.empty() ? raw - 1 : raw;
}

std::string MemoryEditor::line(int index) const
{
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        return {};
    return lines_[index].text;
}

int MemoryEditor::lineFromPosition(long pos) const { return static_cast<int>(locate(pos).first); }

long MemoryEditor::positionFromLine(int index) const
{
    if (index <= 0)
        return 0;
    return prefix(static_cast<std::size_t>(index));
}

void MemoryEditor::replaceLines(int first, int count, const std::vector<std::string>& lines)
{
    int raw = static_cast<int>(lines_.size());
    first = std::clamp(first, 0, raw);
    count = std::clamp(count, 0, raw - first);
    long selStart = selStart_, selLength = selLength_;
    if (count == static_cast<int>(lines.size())) {
        // Same number of lines: rewrite in place, O(log n) per line.
        for (int i = 0; i < count; ++i) {
            Line& l = lines_[first + i];
            long before = rawLength(first + i);
            l.text = lines[i];
            l.chars = countCharacters(l.text);
            l.colours.clear();
            addToIndex(first + i, rawLength(first + i) - before);
        }
    } else {
        std::vector<Line> fresh;
        fresh.reserve(lines.size());
        for (const auto& t : lines)
            fresh.push_back(Line{t, countCharacters(t), {}});
        if (first == raw) {
            // Appending after the last line: the old last line gets a break.
            lines_.insert(lines_.end(), std::make_move_iterator(fresh.begin()),
                          std::make_move_iterator(fresh.end()));
        } else {
            lines_.erase(lines_.begin() + first, lines_.begin() + first + count);
            lines_.insert(lines_.begin() + first, std::make_move_iterator(fresh.begin()),
                          std::make_move_iterator(fresh.end()));
        }
        if (first + count == raw && lines.empty())
            lines_.insert(lines_.begin() + first, Line{});  // removing the last lines keeps the break before them
        rebuildIndex();
    }
    modified_ = true;
    setSelection(selStart, selLength);
    notifyChanged();
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
    return static_cast<std::size_t>(col) < l.colours.size() ? l.colours[col] : TextColour::Default;
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
        if (l.colours.empty()) {
            if (colour == TextColour::Default) {
                pos += upto - col;
                ++index;
                col = 0;
                continue;
            }
            l.colours.assign(raw, TextColour::Default);
        }
        if (static_cast<long>(l.colours.size()) < raw)  // the line gained a break since
            l.colours.resize(raw, TextColour::Default);
        std::fill(l.colours.begin() + col, l.colours.begin() + upto, colour);
        pos += upto - col;
        ++index;
        col = 0;
    }
}

}  // namespace zorvan
