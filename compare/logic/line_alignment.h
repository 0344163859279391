// The alignment of two sequences of line keys (hashes of the lines' keys): runs of equal lines
// and the blocks of changed lines between them.
//
// A stretch small enough is aligned by dtl's O(NP) diff. A bigger one whose differences are few
// enough for a bounded work gets the shortest edit script by Myers' linear-space search, so the
// changed lines are never more than any diff's. Otherwise lines found once in each side are taken
// as fixed points (the longest run of them in the same order, as patience sorting finds it), which
// splits the work into the stretches between them, aligned in the same way. A stretch too big for
// the cell budget that has no such lines is left unaligned: all of it counts as changed. So the
// work stays near linear and dtl's table never exceeds the budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zorvan::compare {

struct Block {
    bool changed = false;  // false: aCount == bCount equal lines
    std::size_t a = 0, aCount = 0;  // first line and count on the left
    std::size_t b = 0, bCount = 0;  // on the right
};

struct Alignment {
    std::vector<Block> blocks;  // in order, covering both sides; no two neighbours of one kind
    std::size_t unalignedLines = 0;  // lines of both sides in stretches too different to align

    bool same() const { return blocks.empty() || (blocks.size() == 1 && !blocks[0].changed); }
    std::size_t differences() const;
};

// dtl is given a stretch of m and n lines only when (m + 1) * (n + 1) <= cellBudget: its table
// then holds at most that many entries of 24 bytes.
Alignment alignLines(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                     std::size_t cellBudget = 1 << 20);

// The budget that keeps dtl's table within the size of the two texts.
std::size_t cellBudgetFor(std::size_t textBytes);

}  // namespace zorvan::compare
