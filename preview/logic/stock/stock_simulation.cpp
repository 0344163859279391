#include "preview/logic/stock/stock_simulation.h"

#include "preview/logic/shown_number.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace zorvan::preview::stock {

std::string stockWarningText(const StockWarning& warning)
{
    switch (warning.code) {
    case StockWarningCode::RapidHitsStock:
        return "早送りで材料に当たります (深さ " + shownNumber(warning.value, 3) + ")";
    case StockWarningCode::BottomCut:
        return "底刃で切り込みます";
    case StockWarningCode::DeeperThanFlute:
        return "刃長より深く切り込みます (超過 " + shownNumber(warning.value, 3) + ")";
    case StockWarningCode::ToolWithoutSize:
        return "工具 T" + shownNumber(warning.value, 0) + " の寸法が分かりません (点として削ります)";
    case StockWarningCode::RotaryAxisMove:
        return "回転軸 (A/B/C) の動きは無視します";
    }
    return {};
}

bool isStockFault(StockWarningCode code)
{
    return code == StockWarningCode::RapidHitsStock || code == StockWarningCode::BottomCut ||
           code == StockWarningCode::DeeperThanFlute;
}

namespace {

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Whether a line (its words outside comments) moves a rotary axis: an A, B or C word that is not
// an argument of a macro call (G65/G66).
bool movesRotaryAxis(std::string_view line)
{
    bool rotary = false, macroCall = false;
    int depth = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '(' || c == ')') {
            depth = std::max(0, depth + (c == '(' ? 1 : -1));
            continue;
        }
        if (depth > 0 || (i > 0 && isLetter(line[i - 1])) || i + 1 >= line.size())
            continue;
        const char next = line[i + 1];
        const bool valueFollows = (next >= '0' && next <= '9') || next == '.' || next == '-' || next == '+' ||
                                  next == '#' || next == '[';
        if (!valueFollows)
            continue;
        if (c == 'A' || c == 'B' || c == 'C' || c == 'a' || c == 'b' || c == 'c')
            rotary = true;
        if ((c == 'G' || c == 'g') && (line.substr(i + 1, 2) == "65" || line.substr(i + 1, 2) == "66"))
            macroCall = true;
    }
    return rotary && !macroCall;
}

const ToolShape kPointTool{};

}  // namespace

StockBox defaultStockBox(const Toolpath& path, const ToolTable& tools)
{
    StockBox box;
    if (path.feedExtents.empty())
        return box;
    double radius = 0;
    for (int number : path.tools)
        if (auto it = tools.find(number); it != tools.end())
            radius = std::max(radius, it->second.radius());
    for (int axis = 0; axis < 2; ++axis) {
        box.min[axis] = path.feedExtents.min[axis] - radius;
        box.max[axis] = path.feedExtents.max[axis] + radius;
    }
    box.min[2] = std::min(path.feedExtents.min[2], 0.0);
    box.max[2] = 0;
    return box;
}

StockResult simulateStock(std::string_view program, const Toolpath& path, const StockOptions& options,
                          const std::atomic<bool>* cancel)
{
    ToolTable tools = options.tools;
    addToolsFromComments(program, tools);
    StockResult result;
    result.field = HeightField(options.box ? *options.box : defaultStockBox(path, tools), options.longSideColumns);
    HeightField& field = result.field;

    std::vector<const ToolShape*> shapes;  // by index into path.tools
    for (int number : path.tools) {
        auto it = tools.find(number);
        shapes.push_back(it != tools.end() ? &it->second : &kPointTool);
    }
    std::map<std::pair<std::uint32_t, StockWarningCode>, double> found;
    const auto warn = [&](std::uint32_t line, StockWarningCode code, double value) {
        auto [it, fresh] = found.try_emplace({line, code}, value);
        if (!fresh)
            it->second = std::max(it->second, value);
    };
    std::set<std::size_t> reportedTools;
    const double tolerance = options.hitTolerance;

    std::size_t breakAt = 0;
    for (std::size_t v = 1; v < path.vertexCount(); ++v) {
        if ((v & 4095) == 0 && cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            break;
        }
        while (breakAt < path.breaks.size() && path.breaks[breakAt] < v)
            ++breakAt;
        if (breakAt < path.breaks.size() && path.breaks[breakAt] == v)
            continue;
        const double a[3] = {path.x[v - 1], path.y[v - 1], path.z[v - 1]};
        const double b[3] = {path.x[v], path.y[v], path.z[v]};
        const std::size_t toolIndex = path.tool.empty() ? 0 : path.tool[v];
        const ToolShape& tool = toolIndex < shapes.size() ? *shapes[toolIndex] : kPointTool;
        const std::uint32_t line = path.line[v];
        if (!(tool.diameter > 0) && reportedTools.insert(toolIndex).second)
            warn(line, StockWarningCode::ToolWithoutSize, toolIndex < path.tools.size() ? path.tools[toolIndex] : 0);
        if (!isFeedKind(path.kind[v])) {
            const double hit = field.deepestHit(a, b, tool);
            if (hit > tolerance)
                warn(line, StockWarningCode::RapidHitsStock, hit);
            continue;
        }
        const double drop = a[2] - b[2];
        if (drop > tolerance) {
            const double above = field.topAt(b[0], b[1]) - b[2];
            const double across = std::hypot(b[0] - a[0], b[1] - a[1]);
            const bool flatBottom = tool.kind == ToolKind::Flat || tool.kind == ToolKind::BullNose;
            if (flatBottom && tool.diameter > 0 && drop >= across && above > tolerance)
                warn(line, StockWarningCode::BottomCut, above);
            if (tool.length > 0 && above > tool.length + tolerance)
                warn(line, StockWarningCode::DeeperThanFlute, above - tool.length);
        }
        field.cut(a, b, tool);
    }

    for (std::size_t start = 0, lineNumber = 0; start < program.size(); ++lineNumber) {
        std::size_t end = program.find('\n', start);
        if (end == std::string_view::npos)
            end = program.size();
        if (movesRotaryAxis(program.substr(start, end - start)))
            warn(static_cast<std::uint32_t>(lineNumber), StockWarningCode::RotaryAxisMove, 0);
        start = end + 1;
    }
    for (const auto& [key, value] : found)
        result.warnings.push_back({key.first, key.second, value});
    return result;
}

}  // namespace zorvan::preview::stock
