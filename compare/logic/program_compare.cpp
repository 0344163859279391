#include "compare/logic/program_compare.h"

#include "compare/logic/line_key.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>
#include <string>

namespace zorvan::compare {

std::string_view LineCursor::next()
{
    if (atEnd())
        return {};
    const void* feed = std::memchr(text_.data() + at_, '\n', text_.size() - at_);
    const std::size_t stop = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - text_.data()) : text_.size();
    std::size_t end = stop;
    if (feed && end > at_ && text_[end - 1] == '\r')
        --end;
    const std::string_view line = text_.substr(at_, end - at_);
    at_ = feed ? stop + 1 : stop;
    return line;
}

std::string_view lineWithoutBreak(std::string_view line)
{
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
    }
    return line;
}

namespace {

// A 64-bit hash of a line's key, eight bytes a step, made inline for every line of both programs
// (a library call per line cost more). Its high bits are well mixed: the alignment buckets by them.
std::uint64_t keyHash(std::string_view key)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = key.size() * kMultiplier;
    const char* p = key.data();
    std::size_t left = key.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < left; ++i)
        tail |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    h = (h ^ tail) * kMultiplier;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 32);
}

}  // namespace

void addLineKeys(LineKeys& lines, std::string_view text, const CompareOptions& options, std::string& scratch)
{
    for (std::size_t at = 0; at < text.size();) {
        const void* feed = std::memchr(text.data() + at, '\n', text.size() - at);
        const std::size_t next = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - text.data()) + 1 : text.size();
        lines.keys.push_back(keyHash(lineKey(scratch, lineWithoutBreak(text.substr(at, next - at)), options)));
        lines.spans.push_back(next - at);
        at = next;
    }
}

LineKeys lineKeys(std::string_view text, const CompareOptions& options)
{
    LineKeys lines;
    lines.keys.reserve(text.size() / 24 + 16);
    lines.spans.reserve(text.size() / 24 + 16);
    std::string scratch;
    addLineKeys(lines, text, options, scratch);
    return lines;
}

LineKeys lineKeysLike(std::string_view text, const CompareOptions& options, std::string_view knownText,
                      const LineKeys& known)
{
    LineKeys lines;
    lines.keys.reserve(text.size() / 24 + 16);
    lines.spans.reserve(text.size() / 24 + 16);
    std::string scratch;
    const std::size_t knownLines = known.spans.size();
    std::size_t knownLine = 0, knownAt = 0;  // the known line this one lines up with, and its offset
    // Whether the known line `k` at offset `at` has the bytes of `line`.
    const auto same = [&](std::size_t k, std::size_t at, std::string_view line) {
        return k < knownLines && known.spans[k] == line.size() &&
               std::memcmp(knownText.data() + at, line.data(), line.size()) == 0;
    };
    constexpr std::size_t kLookAround = 8;
    for (std::size_t at = 0; at < text.size();) {
        const void* feed = std::memchr(text.data() + at, '\n', text.size() - at);
        const std::size_t next =
            feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - text.data()) + 1 : text.size();
        const std::string_view line = text.substr(at, next - at);
        bool found = same(knownLine, knownAt, line);
        // Not in step: a few lines ahead (lines added on the other side) or back (lines added here).
        for (std::size_t d = 1, ahead = knownAt, back = knownAt; !found && d <= kLookAround; ++d) {
            if (knownLine + d < knownLines) {
                ahead += known.spans[knownLine + d - 1];
                if (same(knownLine + d, ahead, line)) {
                    knownLine += d, knownAt = ahead, found = true;
                    break;
                }
            }
            if (d <= knownLine) {
                back -= known.spans[knownLine - d];
                if (same(knownLine - d, back, line))
                    knownLine -= d, knownAt = back, found = true;
            }
        }
        lines.keys.push_back(found ? known.keys[knownLine]
                                   : keyHash(lineKey(scratch, lineWithoutBreak(line), options)));
        lines.spans.push_back(line.size());
        if (knownLine < knownLines)
            knownAt += known.spans[knownLine++];
        at = next;
    }
    return lines;
}

namespace {

// Keeps the blocks whose equal lines really are equal; a pair that only shares its hash becomes a
// changed pair. A run of lines whose bytes are the same on both sides is settled by one memcmp.
Alignment checked(Alignment&& alignment, std::string_view a, std::string_view b, const LineKeys& left,
                  const LineKeys& right, const CompareOptions& options)
{
    std::string leftKey, rightKey;
    auto equal = [&](std::string_view x, std::string_view y) {
        if (x == y)
            return true;
        leftKey.clear(), rightKey.clear();
        appendLineKey(leftKey, x, options);
        appendLineKey(rightKey, y, options);
        return leftKey == rightKey;
    };
    auto bytes = [](const LineKeys& lines, std::size_t first, std::size_t count) {
        std::size_t sum = 0;
        for (std::size_t i = first; i < first + count; ++i)
            sum += lines.spans[i];
        return sum;
    };
    bool collided = false;
    Alignment result;
    result.unalignedLines = alignment.unalignedLines;
    std::size_t at = 0, bt = 0;
    auto add = [&](bool changed, std::size_t aCount, std::size_t bCount) {
        if (aCount == 0 && bCount == 0)
            return;
        if (!result.blocks.empty() && result.blocks.back().changed == changed) {
            result.blocks.back().aCount += aCount;
            result.blocks.back().bCount += bCount;
        } else {
            result.blocks.push_back({changed, at, aCount, bt, bCount});
        }
        at += aCount, bt += bCount;
    };
    std::size_t aOffset = 0, bOffset = 0;
    for (const Block& block : alignment.blocks) {
        const std::size_t aBytes = bytes(left, block.a, block.aCount), bBytes = bytes(right, block.b, block.bCount);
        if (block.changed || (aBytes == bBytes && std::memcmp(a.data() + aOffset, b.data() + bOffset, aBytes) == 0)) {
            add(block.changed, block.aCount, block.bCount);
            aOffset += aBytes, bOffset += bBytes;
            continue;
        }
        std::size_t run = 0;
        for (std::size_t k = 0; k < block.aCount; ++k) {
            const std::size_t aSpan = left.spans[block.a + k], bSpan = right.spans[block.b + k];
            const bool same = equal(lineWithoutBreak(a.substr(aOffset, aSpan)), lineWithoutBreak(b.substr(bOffset, bSpan)));
            aOffset += aSpan, bOffset += bSpan;
            if (same) {
                ++run;
                continue;
            }
            collided = true;
            add(false, run, run);
            add(true, 1, 1);
            run = 0;
        }
        add(false, run, run);
    }
    if (collided)
        return result;
    return std::move(alignment);
}

}  // namespace

Comparison compareLines(std::string_view a, std::string_view b, const CompareOptions& options)
{
    auto leftKeys = std::async(std::launch::async, [&] { return lineKeys(a, options); });
    LineKeys right = lineKeys(b, options);
    return compareLines(a, b, leftKeys.get(), std::move(right), options);
}

Comparison compareLines(std::string_view a, std::string_view b, LineKeys&& left, LineKeys&& right,
                        const CompareOptions& options)
{
    Alignment alignment = alignLines(left.keys, right.keys, cellBudgetFor(a.size() + b.size()));
    alignment = checked(std::move(alignment), a, b, left, right, options);
    return {std::move(alignment), std::move(left.spans), std::move(right.spans)};
}

WordDiff wordDiff(std::string_view a, std::string_view b, const CompareOptions& options)
{
    std::vector<Word> left = lineWords(a, options), right = lineWords(b, options);
    std::erase_if(left, [](const Word& w) { return w.key.empty(); });
    std::erase_if(right, [](const Word& w) { return w.key.empty(); });
    WordDiff result;
    auto mark = [](std::vector<WordSpan>& spans, const Word& word) {
        if (!spans.empty() && spans.back().end == word.begin)
            spans.back().end = word.end;
        else
            spans.push_back({word.begin, word.end});
    };
    constexpr std::size_t kMostWordPairs = 1 << 20;
    if ((left.size() + 1) * (right.size() + 1) > kMostWordPairs) {  // a line of thousands of words
        if (!a.empty())
            result.left.push_back({0, a.size()});
        if (!b.empty())
            result.right.push_back({0, b.size()});
        return result;
    }
    std::vector<std::string> leftKeys, rightKeys;
    for (const Word& w : left)
        leftKeys.push_back(w.key);
    for (const Word& w : right)
        rightKeys.push_back(w.key);
    dtl::Diff<std::string> diff(leftKeys, rightKeys);
    diff.compose();
    for (const auto& [key, info] : diff.getSes().getSequence()) {
        if (info.type == dtl::SES_DELETE)
            mark(result.left, left[static_cast<std::size_t>(info.beforeIdx - 1)]);
        else if (info.type == dtl::SES_ADD)
            mark(result.right, right[static_cast<std::size_t>(info.afterIdx - 1)]);
    }
    return result;
}

namespace {

// Whether a line may hold an unreadable number: every one has a point that follows a point of the
// same run of digits, stands without a digit on either side, follows a blank or comes before a
// sign. One look at each byte, for programs changed throughout.
bool maySuspect(std::string_view line)
{
    bool pointInRun = false;
    char before = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '.') {
            const char after = i + 1 < line.size() ? line[i + 1] : 0;
            const bool digitBefore = before >= '0' && before <= '9', digitAfter = after >= '0' && after <= '9';
            if (pointInRun || (!digitBefore && !digitAfter) || before == ' ' || before == '\t' || after == '-' ||
                after == '+' || after == '.')
                return true;
            pointInRun = true;
        } else if (c < '0' || c > '9') {
            pointInRun = false;
        }
        before = c;
    }
    return false;
}

}  // namespace

std::vector<nc::UnreadableWord> unreadableWordsOfChanges(std::string_view text, const LineSpans& spans,
                                                         const Alignment& alignment, bool left)
{
    std::vector<nc::UnreadableWord> found;
    std::size_t line = 0, offset = 0;
    for (const Block& block : alignment.blocks) {
        const std::size_t first = left ? block.a : block.b, count = left ? block.aCount : block.bCount;
        for (; line < first; ++line)
            offset += spans[line];
        if (!block.changed)
            continue;
        for (; line < first + count; ++line) {
            const std::string_view words = lineWithoutBreak(text.substr(offset, spans[line]));
            if (maySuspect(words))
                nc::addUnreadableWords(words, static_cast<int>(line), found);
            offset += spans[line];
        }
    }
    return found;
}

}  // namespace zorvan::compare
