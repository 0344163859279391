// The stock simulation's settings, kept as strings under the group "stock" of the settings store
// (organisation "Kw", application "Zorvan"): the stock box ("Box": "auto" or "X0:X1,Y0:Y1,Z0:Z1")
// and the tool table ("Tools": one tool a line in the words of a tool table file).
#pragma once

#include "preview/logic/stock/height_field.h"
#include "preview/logic/stock/tool_shape.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::preview::stock {

struct StockSettings {
    std::optional<StockBox> box;  // empty: automatic, the default box of the path
    ToolTable tools;
};

// The stored values; what is missing or unreadable is left automatic / empty.
StockSettings readStockSettings();
void writeStockSettings(const StockSettings& settings);

// "X0:X1,Y0:Y1,Z0:Z1" with the shortest numbers that read back the same; the reverse gives
// nothing for another text or a range that does not run from the smaller to the larger value.
std::string stockBoxText(const StockBox& box);
std::optional<StockBox> readStockBoxText(std::string_view text);

// The table as tool table lines ("T3 BALL D6 R3"), readable by readToolTable.
std::string toolTableText(const ToolTable& tools);

}  // namespace zorvan::preview::stock
