#include "preview/logic/stock/stock_simulation.h"

#include "preview/logic/shown_number.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <thread>
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
    case StockWarningCode::UnreadableToolComment:
        if (warning.value < 0)
            return "工具のコメントから寸法を読めません";
        return "工具 T" + shownNumber(warning.value, 0) + " のコメントから寸法を読めません";
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

int finestLongSideColumns(const StockBox& box, double mostColumns)
{
    const double width = std::max(0.0, box.max[0] - box.min[0]), depth = std::max(0.0, box.max[1] - box.min[1]);
    const double longSide = std::max(width, depth), shortSide = std::min(width, depth);
    if (!(longSide > 0) || !std::isfinite(longSide))
        return 1000;
    // Square cells: (long / cell) * (short / cell) columns, and at most mostColumns along one side.
    const double cell = std::max(std::sqrt(longSide * std::max(shortSide, longSide / mostColumns) / mostColumns),
                                 longSide / mostColumns);
    return static_cast<int>(std::clamp(std::floor(longSide / cell), 1000.0, mostColumns));
}

StockResult simulateStock(std::string_view program, const Toolpath& path, const StockOptions& options,
                          const std::atomic<bool>* cancel)
{
    ToolTable tools = options.tools;
    const std::vector<UnreadToolComment> unreadComments = addToolsFromComments(program, tools);
    StockResult result;
    result.field = HeightField(options.box ? *options.box : defaultStockBox(path, tools), options.longSideColumns);
    HeightField& field = result.field;
    field.setWorkLimit(options.maxWork);

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

    // The moves v in [from, to), the breaks left out, with their ends and tool.
    const auto forEachMove = [&](std::size_t from, std::size_t to, auto&& f) {
        auto breakAt = std::lower_bound(path.breaks.begin(), path.breaks.end(), from);
        for (std::size_t v = from; v < to; ++v) {
            if (breakAt != path.breaks.end() && *breakAt == v) {
                ++breakAt;
                continue;
            }
            const double a[3] = {path.x[v - 1], path.y[v - 1], path.z[v - 1]};
            const double b[3] = {path.x[v], path.y[v], path.z[v]};
            const std::size_t toolIndex = path.tool.empty() ? 0 : path.tool[v];
            f(v, a, b, toolIndex < shapes.size() ? *shapes[toolIndex] : kPointTool, toolIndex);
        }
    };
    const auto flatBottom = [](const ToolShape& tool) {
        return tool.kind == ToolKind::Flat || tool.kind == ToolKind::BullNose;
    };
    // Whether a feed move's warnings need the material above its end, before it cuts.
    const auto needsAbove = [&](const double a[3], const double b[3], const ToolShape& tool) {
        const double drop = a[2] - b[2];
        if (!(drop > tolerance))
            return false;
        return (flatBottom(tool) && tool.diameter > 0 && drop >= std::hypot(b[0] - a[0], b[1] - a[1])) ||
               tool.length > 0;
    };

    // The field is worked on in blocks of moves by up to RowShare::kMaxCount threads, each cutting
    // its share of the rows move by move and noting what the warnings need from its rows: the hits
    // of rapids, and the material above a feed move's end from the share holding that column.
    // Each column sees the same cuts in the same order as with one thread, so the result is the same.
    // Two threads pay only on a long path whose tools span many rows: a move over a row or two is
    // cut faster than the threads would share it.
    double widest = 0;
    for (const ToolShape* shape : shapes)
        widest = std::max(widest, shape->diameter);
    const bool worthSharing = path.vertexCount() >= 50000 && widest >= 8 * field.cellSize();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int shares = options.threads > 0 ? std::min(options.threads, RowShare::kMaxCount)
                       : worthSharing      ? static_cast<int>(std::min(cores, 2u))
                                           : 1;
    struct Notes {
        std::vector<std::pair<std::size_t, double>> hits, above;  // by move, ascending
    };
    std::vector<Notes> notes(static_cast<std::size_t>(shares));
    constexpr std::size_t kNotStopped = SIZE_MAX;
    // The move each share was left unfinished at, when its work ran out.
    std::vector<std::size_t> stoppedAt(static_cast<std::size_t>(shares), kNotStopped);
    const auto work = [&](RowShare share, std::size_t from, std::size_t to) {
        Notes& own = notes[static_cast<std::size_t>(share.index)];
        std::size_t& stopped = stoppedAt[static_cast<std::size_t>(share.index)];
        own.hits.clear();
        own.above.clear();
        forEachMove(from, to, [&](std::size_t v, const double* a, const double* b, const ToolShape& tool, std::size_t) {
            if (stopped != kNotStopped)
                return;
            if (!isFeedKind(path.kind[v])) {
                const double hit = field.deepestHit(a, b, tool, share);
                if (hit > tolerance)
                    own.hits.emplace_back(v, hit);
            } else {
                if (needsAbove(a, b, tool)) {
                    const int row = field.rowAt(b[1]);
                    if ((row < 0 ? 0 : row % share.count) == share.index)
                        own.above.emplace_back(v, field.topAt(b[0], b[1]) - b[2]);
                }
                field.cut(a, b, tool, share);
            }
            if (field.outOfWork(share))
                stopped = v;
        });
    };
    constexpr std::size_t kBlock = 1 << 14;
    for (std::size_t from = 1; from < path.vertexCount(); from += kBlock) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            break;
        }
        const std::size_t to = std::min(path.vertexCount(), from + kBlock);
        std::vector<std::thread> helpers;
        for (int index = 1; index < shares; ++index)
            helpers.emplace_back(work, RowShare{index, shares}, from, to);
        work(RowShare{0, shares}, from, to);
        for (auto& helper : helpers)
            helper.join();

        std::vector<std::size_t> hitAt(notes.size()), aboveAt(notes.size());
        const auto noteWarnings = [&](std::size_t v, const double* a, const double* b, const ToolShape& tool,
                                      std::size_t toolIndex) {
            const std::uint32_t line = path.line[v];
            if (!(tool.diameter > 0) && reportedTools.insert(toolIndex).second) {
                const int number = toolIndex < path.tools.size() ? path.tools[toolIndex] : 0;
                warn(line, StockWarningCode::ToolWithoutSize, number);
            }
            if (!isFeedKind(path.kind[v])) {
                double hit = 0;
                for (std::size_t k = 0; k < notes.size(); ++k)
                    if (hitAt[k] < notes[k].hits.size() && notes[k].hits[hitAt[k]].first == v)
                        hit = std::max(hit, notes[k].hits[hitAt[k]++].second);
                if (hit > tolerance)
                    warn(line, StockWarningCode::RapidHitsStock, hit);
                return;
            }
            if (!needsAbove(a, b, tool))
                return;
            double above = 0;
            for (std::size_t k = 0; k < notes.size(); ++k)
                if (aboveAt[k] < notes[k].above.size() && notes[k].above[aboveAt[k]].first == v)
                    above = notes[k].above[aboveAt[k]++].second;
            if (flatBottom(tool) && tool.diameter > 0 && a[2] - b[2] >= std::hypot(b[0] - a[0], b[1] - a[1]) &&
                above > tolerance)
                warn(line, StockWarningCode::BottomCut, above);
            if (tool.length > 0 && above > tool.length + tolerance)
                warn(line, StockWarningCode::DeeperThanFlute, above - tool.length);
        };
        // Only the moves before the first one left unfinished count: a cut left out would show
        // as material that is not there.
        const std::size_t stop = *std::min_element(stoppedAt.begin(), stoppedAt.end());
        forEachMove(from, std::min(to, stop), noteWarnings);
        if (stop != kNotStopped) {
            result.cutShortAt = path.line[stop];
            break;
        }
    }

    for (std::size_t start = 0, lineNumber = 0; start < program.size(); ++lineNumber) {
        std::size_t end = program.find('\n', start);
        if (end == std::string_view::npos)
            end = program.size();
        if (movesRotaryAxis(program.substr(start, end - start)))
            warn(static_cast<std::uint32_t>(lineNumber), StockWarningCode::RotaryAxisMove, 0);
        start = end + 1;
    }
    for (const UnreadToolComment& comment : unreadComments)
        warn(comment.line, StockWarningCode::UnreadableToolComment, comment.number);
    for (const auto& [key, value] : found)
        result.warnings.push_back({key.first, key.second, value});
    return result;
}

}  // namespace zorvan::preview::stock
