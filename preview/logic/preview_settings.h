// The preview panel's own settings, kept as strings under the group "preview" of the settings
// store (organisation "Kw", application "Zorvan"), apart from the program-wide "setting" group.
#pragma once

#include <string>

namespace zorvan::preview {

struct PreviewSettings {
    bool visible = false;        // "Visible": "1" / "0"
    std::string view = "top";    // "View": top, front, side or iso
    bool leastIncrement = false; // "LeastIncrement": numbers without "." in least input increments
};

// The stored values over the defaults; what is missing or unreadable keeps its default.
PreviewSettings readPreviewSettings();
void writePreviewSettings(const PreviewSettings& settings);

}  // namespace zorvan::preview
