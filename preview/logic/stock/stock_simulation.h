// Runs a program's path through the stock: feed moves cut the height field, rapids that would
// remove material are warned about, each warning tied to its source line.
#pragma once

#include "preview/logic/stock/height_field.h"
#include "preview/logic/toolpath.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::preview::stock {

enum class StockWarningCode : std::uint8_t {
    RapidHitsStock,   // value: how deep the tool would enter the material
    BottomCut,        // a flat-bottomed tool's centre cutting downward into material
    DeeperThanFlute,  // value: the material above the tip, past the flute length
    ToolWithoutSize,  // value: the tool number; it cuts as a point
    RotaryAxisMove,   // A, B or C words: the simulation follows X, Y and Z only
    UnreadableToolComment,  // value: the tool number (-1: none read); a tool comment whose size cannot be read
};

struct StockWarning {
    std::uint32_t line;  // 0-based source line
    StockWarningCode code;
    double value = 0;
};

// The message of a warning, in Japanese, without the line.
std::string stockWarningText(const StockWarning& warning);
// Whether a warning tells of a fault in the program (the others are notes on the simulation).
bool isStockFault(StockWarningCode code);

struct StockOptions {
    // The stock; by default the feed moves' X/Y extents grown by the largest tool's radius, from
    // the lowest feed Z to Z 0.
    std::optional<StockBox> box;
    ToolTable tools;  // sizes from here win over those in the program's comments
    int longSideColumns = 1000;
    double hitTolerance = 0.001;  // material less deep than this is not a hit
    int threads = 0;              // 0: two on a long path of wide tools when the machine has them
    // The columns the cuts and hit tests may look at in all (a few seconds' work); past it the
    // simulation stops before the move that spent it.
    std::uint64_t maxWork = kDefaultStockWork;
    static constexpr std::uint64_t kDefaultStockWork = 3'000'000'000;
};

struct StockResult {
    HeightField field;
    std::vector<StockWarning> warnings;  // by line, then code; one per line and code
    bool cancelled = false;
    // The work limit stopped it: the field and the warnings are those of the moves before this line.
    std::optional<std::uint32_t> cutShortAt;
};

// Simulates `path`, the path interpreted from `program` (read for the tool comments and the
// rotary axis words). With `cancel` set (checked now and then) it stops early.
StockResult simulateStock(std::string_view program, const Toolpath& path, const StockOptions& options = {},
                          const std::atomic<bool>* cancel = nullptr);

// The default stock box of a path with these tools (empty box when the path has no feed move).
StockBox defaultStockBox(const Toolpath& path, const ToolTable& tools);

// The columns along the box's longer side that give the finest grid of at most `mostColumns`
// columns in all (at least 1000, the grid the view uses).
int finestLongSideColumns(const StockBox& box, double mostColumns);

}  // namespace zorvan::preview::stock
