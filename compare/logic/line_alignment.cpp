#include "compare/logic/line_alignment.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <limits>

namespace zorvan::compare {

namespace {

using Keys = std::span<const std::uint64_t>;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Appends runs, joining a run to the block before it when it is of the same kind.
class BlockWriter {
public:
    explicit BlockWriter(Alignment& out) : out_(out) {}

    void same(std::size_t count) { add(false, count, count); }
    void changed(std::size_t aCount, std::size_t bCount) { add(true, aCount, bCount); }

private:
    void add(bool changed, std::size_t aCount, std::size_t bCount)
    {
        if (aCount == 0 && bCount == 0)
            return;
        if (!out_.blocks.empty() && out_.blocks.back().changed == changed) {
            out_.blocks.back().aCount += aCount;
            out_.blocks.back().bCount += bCount;
        } else {
            out_.blocks.push_back({changed, a_, aCount, b_, bCount});
        }
        a_ += aCount;
        b_ += bCount;
    }

    Alignment& out_;
    std::size_t a_ = 0, b_ = 0;
};

std::size_t slotOf(std::uint64_t key, std::size_t mask)
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 17) & mask;
}

// For each line of `a`, the line of `b` it pairs with when its key occurs exactly once in each
// side (kNone otherwise).
//
// A table of every key of a big program is far bigger than the caches, and each line would wait
// for memory. So the lines are first dealt by the top bits of their keys into buckets (written
// in order, which the memory does well), and each bucket's keys are counted in a small table that
// stays in the caches.
std::vector<std::uint32_t> uniquePartners(Keys a, Keys b)
{
    // 12 bytes rather than 16: the buckets hold every line of both sides.
    struct Entry {
        std::uint32_t keyLow, keyHigh, line;
        std::uint64_t key() const { return (std::uint64_t{keyHigh} << 32) | keyLow; }
    };
    int bits = 0;
    while (bits < 16 && (a.size() >> bits) > 4096)
        ++bits;
    const std::size_t buckets = std::size_t{1} << bits;
    auto bucketOf = [bits](std::uint64_t key) { return bits == 0 ? std::size_t{0} : static_cast<std::size_t>(key >> (64 - bits)); };
    auto deal = [&](Keys keys, std::vector<std::size_t>& starts) {
        starts.assign(buckets + 1, 0);
        for (std::uint64_t key : keys)
            ++starts[bucketOf(key) + 1];
        for (std::size_t k = 0; k < buckets; ++k)
            starts[k + 1] += starts[k];
        std::vector<std::size_t> at(starts.begin(), starts.end() - 1);
        std::vector<Entry> entries(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i)
            entries[at[bucketOf(keys[i])]++] = {static_cast<std::uint32_t>(keys[i]), static_cast<std::uint32_t>(keys[i] >> 32),
                                                static_cast<std::uint32_t>(i)};
        return entries;
    };
    std::vector<std::size_t> aStarts, bStarts;
    const std::vector<Entry> aEntries = deal(a, aStarts), bEntries = deal(b, bStarts);

    constexpr std::uint32_t kTwice = 0x80000000u;  // on a line: the key occurs again on that side
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t aLine = kNone;  // first line in a, | kTwice when repeated
        std::uint32_t bLine = kNone;  // its line in b; kNone absent, kTwice repeated
    };
    std::vector<Slot> table;
    std::vector<std::uint32_t> partner(a.size(), kNone);
    for (std::size_t k = 0; k < buckets; ++k) {
        const std::size_t count = aStarts[k + 1] - aStarts[k];
        if (count == 0)
            continue;
        std::size_t size = 16;
        while (size < count * 2)
            size *= 2;
        table.assign(size, Slot{});
        const std::size_t mask = size - 1;
        auto find = [&](std::uint64_t key) -> Slot& {
            for (std::size_t s = slotOf(key, mask);; s = (s + 1) & mask) {
                Slot& slot = table[s];
                if (slot.aLine == kNone || slot.key == key)
                    return slot;
            }
        };
        for (std::size_t e = aStarts[k]; e < aStarts[k + 1]; ++e) {
            Slot& slot = find(aEntries[e].key());
            slot.key = aEntries[e].key();
            slot.aLine = slot.aLine == kNone ? aEntries[e].line : slot.aLine | kTwice;
        }
        for (std::size_t e = bStarts[k]; e < bStarts[k + 1]; ++e) {
            Slot& slot = find(bEntries[e].key());
            if (slot.aLine != kNone)
                slot.bLine = slot.bLine == kNone ? bEntries[e].line : kTwice;
        }
        for (const Slot& slot : table)
            if (slot.aLine != kNone && !(slot.aLine & kTwice) && slot.bLine != kNone && slot.bLine != kTwice)
                partner[slot.aLine] = slot.bLine;
    }
    return partner;
}

// The longest chain of unique pairs increasing on both sides (patience sorting).
std::vector<std::pair<std::uint32_t, std::uint32_t>> anchors(Keys a, Keys b)
{
    const std::vector<std::uint32_t> partner = uniquePartners(a, b);
    std::vector<std::uint32_t> tails;  // left lines ending the piles
    std::vector<std::uint32_t> previous(a.size(), kNone);
    for (std::uint32_t i = 0; i < partner.size(); ++i) {
        if (partner[i] == kNone)
            continue;
        // Mostly the pairs come in order and start a new pile.
        auto pile = !tails.empty() && partner[tails.back()] < partner[i]
                        ? tails.end()
                        : std::lower_bound(tails.begin(), tails.end(), partner[i],
                                           [&](std::uint32_t line, std::uint32_t b) { return partner[line] < b; });
        previous[i] = pile == tails.begin() ? kNone : *(pile - 1);
        if (pile == tails.end())
            tails.push_back(i);
        else
            *pile = i;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> chain;
    for (std::uint32_t i = tails.empty() ? kNone : tails.back(); i != kNone; i = previous[i])
        chain.emplace_back(i, partner[i]);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

// The shortest edit script of two stretches by Myers' O(ND) search for the middle snake, in
// linear space: exact, so never more changed lines than any other diff. Its work grows with the
// size of the stretches times their differences, so it gives up (returning false, having written
// nothing) once the differences pass what `work` allows.
class ShortestScript {
public:
    explicit ShortestScript(std::size_t work) : workLeft_(work) {}

    std::size_t workLeft() const { return workLeft_; }

    // Appends the script of a and b to `runs` (changed, aCount, bCount), or returns false.
    bool run(Keys a, Keys b, std::vector<Block>& runs)
    {
        runs_ = &runs;
        return script(a, b);
    }

private:
    struct Snake {
        std::size_t x, y, u, v;  // the snake runs from (x, y) to (u, v)
    };

    void add(bool changed, std::size_t aCount, std::size_t bCount)
    {
        if (aCount == 0 && bCount == 0)
            return;
        if (!runs_->empty() && runs_->back().changed == changed) {
            runs_->back().aCount += aCount;
            runs_->back().bCount += bCount;
        } else {
            runs_->push_back({changed, 0, aCount, 0, bCount});
        }
    }

    bool script(Keys a, Keys b)
    {
        std::size_t prefix = 0;
        while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
               a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
            ++suffix;
        add(false, prefix, prefix);
        a = a.subspan(prefix, a.size() - prefix - suffix);
        b = b.subspan(prefix, b.size() - prefix - suffix);
        if (a.empty() || b.empty()) {
            add(true, a.size(), b.size());
        } else {
            // Both ends differ, so there are at least two differences and the middle snake leaves
            // fewer on each side of it.
            Snake snake{};
            if (!middleSnake(a, b, snake))
                return false;
            if (!script(a.first(snake.x), b.first(snake.y)))
                return false;
            add(false, snake.u - snake.x, snake.u - snake.x);
            if (!script(a.subspan(snake.u), b.subspan(snake.v)))
                return false;
        }
        add(false, suffix, suffix);
        return true;
    }

    // The forward search on a and b and the backward one on both reversed meet on a snake of a
    // shortest script. Diagonal k = x - y forward, and kr = xr - yr backward (xr counted from the
    // end), which is diagonal delta - kr forward.
    bool middleSnake(Keys a, Keys b, Snake& out)
    {
        const long n = static_cast<long>(a.size()), m = static_cast<long>(b.size());
        const long delta = n - m;
        const bool odd = (delta & 1) != 0;
        const long most = (n + m + 1) / 2;
        // Past this many steps the stretch is too different for the work allowed.
        const long steps = static_cast<long>(std::min<std::size_t>(workLeft_ / static_cast<std::size_t>(n + m), most));
        const long offset = steps + 2;
        forward_.assign(static_cast<std::size_t>(2 * offset + 1), 0);
        backward_.assign(static_cast<std::size_t>(2 * offset + 1), 0);
        auto f = [&](long k) -> long& { return forward_[static_cast<std::size_t>(k + offset)]; };
        auto r = [&](long k) -> long& { return backward_[static_cast<std::size_t>(k + offset)]; };
        for (long d = 0; d <= steps; ++d) {
            workLeft_ -= std::min<std::size_t>(workLeft_, static_cast<std::size_t>(2 * d + 1) * 2);
            for (long k = -d; k <= d; k += 2) {
                long x = (k == -d || (k != d && f(k - 1) < f(k + 1))) ? f(k + 1) : f(k - 1) + 1;
                long y = x - k;
                const long x0 = x, y0 = y;
                while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)])
                    ++x, ++y;
                workLeft_ -= std::min<std::size_t>(workLeft_, static_cast<std::size_t>(x - x0));
                f(k) = x;
                const long kr = delta - k;
                if (odd && kr >= -(d - 1) && kr <= d - 1 && x + r(kr) >= n) {
                    out = {static_cast<std::size_t>(x0), static_cast<std::size_t>(y0), static_cast<std::size_t>(x),
                           static_cast<std::size_t>(y)};
                    return true;
                }
            }
            for (long kr = -d; kr <= d; kr += 2) {
                long x = (kr == -d || (kr != d && r(kr - 1) < r(kr + 1))) ? r(kr + 1) : r(kr - 1) + 1;
                long y = x - kr;
                const long x0 = x, y0 = y;
                while (x < n && y < m &&
                       a[static_cast<std::size_t>(n - 1 - x)] == b[static_cast<std::size_t>(m - 1 - y)])
                    ++x, ++y;
                workLeft_ -= std::min<std::size_t>(workLeft_, static_cast<std::size_t>(x - x0));
                r(kr) = x;
                const long k = delta - kr;
                if (!odd && k >= -d && k <= d && f(k) + x >= n) {
                    out = {static_cast<std::size_t>(n - x), static_cast<std::size_t>(m - y),
                           static_cast<std::size_t>(n - x0), static_cast<std::size_t>(m - y0)};
                    return true;
                }
            }
            if (workLeft_ == 0)
                return false;
        }
        return false;
    }

    std::size_t workLeft_;
    std::vector<Block>* runs_ = nullptr;
    std::vector<long> forward_, backward_;
};

class Aligner {
public:
    Aligner(Alignment& out, std::size_t cellBudget, std::size_t workBudget, std::size_t shortestWork)
        : out_(out), writer_(out), cellBudget_(cellBudget), workLeft_(workBudget), shortestLeft_(shortestWork),
          lastResortLeft_(shortestWork / 8 * kLastResortPerLine)
    {
    }

    void align(Keys a, Keys b, int depth)
    {
        std::size_t prefix = 0;
        while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < a.size() - prefix && suffix < b.size() - prefix
               && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
            ++suffix;
        writer_.same(prefix);
        a = a.subspan(prefix, a.size() - prefix - suffix);
        b = b.subspan(prefix, b.size() - prefix - suffix);
        alignMiddle(a, b, depth);
        writer_.same(suffix);
    }

private:
    void alignMiddle(Keys a, Keys b, int depth)
    {
        if (a.empty() || b.empty()) {
            writer_.changed(a.size(), b.size());
            return;
        }
        if ((a.size() + 1) * (b.size() + 1) <= cellBudget_) {
            withDtl(a, b);
            return;
        }
        // Fixed points on unique lines may cost common lines where unique lines moved: a stretch
        // whose differences are few enough for the work allowed gets the shortest script instead.
        if (shortest(a, b))
            return;
        const std::size_t work = a.size() + b.size();
        constexpr int kDeepest = 100;
        if (depth < kDeepest && work <= workLeft_ && a.size() < kNone / 2 && b.size() < kNone / 2) {
            workLeft_ -= work;
            const auto chain = anchors(a, b);
            if (!chain.empty()) {
                std::size_t i = 0, j = 0;
                for (const auto& [ai, bj] : chain) {
                    align(a.subspan(i, ai - i), b.subspan(j, bj - j), depth + 1);
                    writer_.same(1);
                    i = ai + 1;
                    j = bj + 1;
                }
                align(a.subspan(i), b.subspan(j), depth + 1);
                return;
            }
        }
        // A stretch with no line to anchor on (a block repeated over and over) may still differ
        // in only a few lines: the shortest script finds them within work linear in the stretch.
        if (lastResort(a, b))
            return;
        out_.unalignedLines += a.size() + b.size();
        writer_.changed(a.size(), b.size());
    }

    void writeRuns(const std::vector<Block>& runs)
    {
        for (const Block& run : runs) {
            if (run.changed)
                writer_.changed(run.aCount, run.bCount);
            else
                writer_.same(run.aCount);
        }
    }

    bool lastResort(Keys a, Keys b)
    {
        const std::size_t allowed = std::min(lastResortLeft_, kLastResortPerLine * (a.size() + b.size()));
        std::vector<Block> runs;
        ShortestScript script(allowed);
        const bool done = script.run(a, b, runs);
        lastResortLeft_ -= allowed - script.workLeft();
        if (!done)
            return false;
        writeRuns(runs);
        return true;
    }

    // Whether the shortest script may be within the work left: it takes about D * (N + M) / 2
    // steps for D differences, and D is at least the lines of either side that the other side
    // cannot match (not counted on a long stretch: the search stops early there, after few steps).
    bool mayBeShort(Keys a, Keys b) const
    {
        // A stretch so long that the search could take only a few hundred steps is left to the
        // fixed points, which find few scattered differences as well.
        if ((a.size() + b.size()) * 256 > shortestLeft_)
            return false;
        if (a.size() + b.size() > (std::size_t{1} << 17))
            return true;
        std::vector<std::uint64_t> left(a.begin(), a.end()), right(b.begin(), b.end());
        std::sort(left.begin(), left.end());
        std::sort(right.begin(), right.end());
        std::size_t matched = 0;
        for (std::size_t i = 0, j = 0; i < left.size() && j < right.size();) {
            if (left[i] < right[j]) {
                ++i;
            } else if (right[j] < left[i]) {
                ++j;
            } else {
                ++matched, ++i, ++j;
            }
        }
        const std::size_t least = a.size() + b.size() - 2 * matched;
        return least * (a.size() + b.size()) / 2 <= shortestLeft_;
    }

    bool shortest(Keys a, Keys b)
    {
        if (!mayBeShort(a, b))
            return false;
        std::vector<Block> runs;
        ShortestScript script(shortestLeft_);
        const bool done = script.run(a, b, runs);
        shortestLeft_ = script.workLeft();
        if (!done)
            return false;
        writeRuns(runs);
        return true;
    }

    // Only called within the cell budget: dtl's table then never reaches its own limit of 2,000,000
    // entries, past which it would start over on the rest and lose its bound.
    void withDtl(Keys a, Keys b)
    {
        dtl::Diff<std::uint64_t> diff(std::vector<std::uint64_t>(a.begin(), a.end()),
                                      std::vector<std::uint64_t>(b.begin(), b.end()));
        diff.compose();
        for (const auto& [key, info] : diff.getSes().getSequence()) {
            if (info.type == dtl::SES_COMMON)
                writer_.same(1);
            else if (info.type == dtl::SES_DELETE)
                writer_.changed(1, 0);
            else
                writer_.changed(0, 1);
        }
    }

    Alignment& out_;
    BlockWriter writer_;
    std::size_t cellBudget_;
    std::size_t workLeft_;
    std::size_t shortestLeft_;
    std::size_t lastResortLeft_;
    // Work per line of a stretch left without anchors: enough for a few dozen differences.
    static constexpr std::size_t kLastResortPerLine = 64;  // for the shortest scripts of all stretches together
};

}  // namespace

std::size_t Alignment::differences() const
{
    return static_cast<std::size_t>(std::count_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.changed; }));
}

std::size_t cellBudgetFor(std::size_t textBytes)
{
    constexpr std::size_t kLeast = 1 << 18, kMost = 1'900'000;  // dtl itself stops at 2,000,000
    return std::clamp<std::size_t>(textBytes / 24, kLeast, kMost);
}

Alignment alignLines(Keys a, Keys b, std::size_t cellBudget)
{
    Alignment result;
    // Each level of fixed points costs a pass over its stretch; the passes together stay within
    // a small multiple of the lines.
    const std::size_t workBudget = 32 * (a.size() + b.size()) + 1024;
    // The shortest scripts together take about ten milliseconds at most, more on long programs.
    const std::size_t shortestWork = (std::size_t{1} << 23) + 8 * (a.size() + b.size());
    Aligner(result, std::min<std::size_t>(cellBudget, 1'900'000), workBudget, shortestWork).align(a, b, 0);
    return result;
}

}  // namespace zorvan::compare
