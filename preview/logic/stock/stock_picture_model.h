// What the preview shows of the stock: a simulation of the whole path or of the path up to a
// line (the stock at the caret), and the marks of the rapids that hit the material.
#pragma once

#include "preview/logic/stock/stock_simulation.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvan::preview::stock {

// A rapid segment that runs into material, drawn red in the picture.
struct HitMark {
    std::uint32_t line;
    float from[3];
    float to[3];
};

// The first vertices of `path`, up to where the tool stands after `line` first ran (none before
// the first move), with their segments, kinds, tools and breaks.
Toolpath pathUpToLine(const Toolpath& path, int line);

// The rapid segments of the lines that have a "rapid hits the stock" warning; at most `most`.
std::vector<HitMark> hitMarks(const Toolpath& path, const std::vector<StockWarning>& warnings,
                              std::size_t most = 10000);

// The stock after the path up to `line` (the whole path for a negative line). The automatic box
// is the whole path's, so the stock keeps its size wherever the line is.
StockResult simulateUpToLine(std::string_view program, const Toolpath& path, StockOptions options, int line,
                             const std::atomic<bool>* cancel = nullptr);

}  // namespace zorvan::preview::stock
