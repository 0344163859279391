#include "compare/logic/program_compare.h"

#include "compare/logic/line_key.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <string>

namespace zorvan::compare {

std::string_view LineCursor::next()
{
    if (atEnd()) {
        lastHadBreak_ = true;
        return {};
    }
    const void* feed = std::memchr(text_.data() + at_, '\n', text_.size() - at_);
    const std::size_t stop = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - text_.data()) : text_.size();
    std::size_t end = stop;
    if (feed && end > at_ && text_[end - 1] == '\r')
        --end;
    const std::string_view line = text_.substr(at_, end - at_);
    lastHadBreak_ = feed != nullptr;
    at_ = feed ? stop + 1 : stop;
    return line;
}

void LineCursor::skip(std::size_t lines)
{
    while (lines-- > 0 && !atEnd())
        next();
}

std::size_t countLines(std::string_view text)
{
    const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return feeds + (!text.empty() && text.back() != '\n');
}

std::vector<std::uint64_t> lineKeys(std::string_view text, const CompareOptions& options)
{
    std::vector<std::uint64_t> keys;
    keys.reserve(countLines(text));
    std::string key;
    const std::hash<std::string_view> hash;
    for (LineCursor lines(text); !lines.atEnd();) {
        key.clear();
        appendLineKey(key, lines.next(), options);
        keys.push_back(hash(key));
    }
    return keys;
}

namespace {

// Keeps the blocks whose equal lines really are equal; a pair that only shares its hash becomes a
// changed pair.
Alignment checked(Alignment&& alignment, std::string_view a, std::string_view b, const CompareOptions& options)
{
    LineCursor left(a), right(b);
    std::string leftKey, rightKey;
    auto equal = [&](std::string_view x, std::string_view y) {
        if (x == y)
            return true;
        leftKey.clear(), rightKey.clear();
        appendLineKey(leftKey, x, options);
        appendLineKey(rightKey, y, options);
        return leftKey == rightKey;
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
    for (const Block& block : alignment.blocks) {
        if (block.changed) {
            left.skip(block.aCount);
            right.skip(block.bCount);
            add(true, block.aCount, block.bCount);
            continue;
        }
        std::size_t run = 0;
        for (std::size_t k = 0; k < block.aCount; ++k) {
            if (equal(left.next(), right.next())) {
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

Alignment compareTexts(std::string_view a, std::string_view b, const CompareOptions& options)
{
    auto leftKeys = std::async(std::launch::async, [&] { return lineKeys(a, options); });
    const std::vector<std::uint64_t> rightKeys = lineKeys(b, options);
    const std::vector<std::uint64_t> left = leftKeys.get();
    return checked(alignLines(left, rightKeys, cellBudgetFor(a.size() + b.size())), a, b, options);
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

}  // namespace zorvan::compare
