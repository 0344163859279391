// The preview panel's own settings, kept as strings under the group "preview" of the settings
// store (organisation "Kw", application "Zorvan"), apart from the program-wide "setting" group.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::preview {

// What the picture shows: the path, the simulated stock, or the stock with the path over it.
enum class StockDisplay { Path, Stock, Both };
// "path", "stock", "both"; nothing for another name.
std::optional<StockDisplay> stockDisplayFromName(std::string_view name);
const char* stockDisplayName(StockDisplay display);

struct PreviewSettings {
    bool visible = false;        // "Visible": "1" / "0"
    std::string view = "top";    // "View": top, front, side or iso
    bool leastIncrement = false; // "LeastIncrement": numbers without "." in least input increments
    StockDisplay show = StockDisplay::Path;  // "Show": path, stock or both
};

// The stored values over the defaults; what is missing or unreadable keeps its default.
PreviewSettings readPreviewSettings();
void writePreviewSettings(const PreviewSettings& settings);

}  // namespace zorvan::preview
