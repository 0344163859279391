#include "preview/logic/stock/stock_picture_model.h"

#include <algorithm>

namespace zorvan::preview::stock {

Toolpath pathUpToLine(const Toolpath& path, int line)
{
    Toolpath part;
    const long last = line < 0 ? -1 : path.vertexAfterLine(line);
    const std::size_t n = last < 0 ? 0 : std::min(path.vertexCount(), static_cast<std::size_t>(last) + 1);
    const auto head = [n](const auto& from, auto& to) { to.assign(from.begin(), from.begin() + std::min(n, from.size())); };
    head(path.x, part.x);
    head(path.y, part.y);
    head(path.z, part.z);
    head(path.line, part.line);
    head(path.kind, part.kind);
    head(path.tool, part.tool);
    part.tools = path.tools;
    for (std::uint32_t at : path.breaks)
        if (at < n)
            part.breaks.push_back(at);
    part.extents = path.extents;
    part.feedExtents = path.feedExtents;
    return part;
}

std::vector<HitMark> hitMarks(const Toolpath& path, const std::vector<StockWarning>& warnings, std::size_t most)
{
    std::vector<HitMark> marks;
    for (const StockWarning& warning : warnings) {
        if (warning.code != StockWarningCode::RapidHitsStock)
            continue;
        for (std::uint32_t r : path.rangesOfLine(static_cast<int>(warning.line))) {
            for (std::uint32_t v = path.ranges[r].begin; v < path.rangeEnd(r); ++v) {
                if (isFeedKind(path.kind[v]) || !path.segmentEndsAt(v))
                    continue;
                if (marks.size() >= most)
                    return marks;
                marks.push_back({warning.line, {path.x[v - 1], path.y[v - 1], path.z[v - 1]}, {path.x[v], path.y[v], path.z[v]}});
            }
        }
    }
    return marks;
}

StockResult simulateUpToLine(std::string_view program, const Toolpath& path, StockOptions options, int line,
                             const std::atomic<bool>* cancel)
{
    if (line < 0)
        return simulateStock(program, path, options, cancel);
    if (!options.box) {
        ToolTable tools = options.tools;
        addToolsFromComments(program, tools);
        options.box = defaultStockBox(path, tools);
    }
    return simulateStock(program, pathUpToLine(path, line), options, cancel);
}

}  // namespace zorvan::preview::stock
