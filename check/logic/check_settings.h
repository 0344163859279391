// The program check's settings, kept as strings under the group "check" of the settings store:
// "Off" (the ids of the rules switched off, separated by ","), "ArcTolerance" (mm), "Travel"
// ("X0:X1,Y0:Y1,Z0:Z1", empty for none) and "ToolChangeStopsSpindle" ("1" / "0").
#pragma once

#include "check/logic/program_check.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::check {

// "X0:X1,Y0:Y1,Z0:Z1", each range from the smaller to the larger value; nothing when malformed.
std::optional<TravelBox> parseTravel(std::string_view text);
std::string travelText(const TravelBox& box);

// The rules named in a list ("arc-off-circle,no-feed"); nothing when a name is unknown (then
// `unknown` holds it).
std::optional<std::array<bool, kRuleCount>> parseRuleList(std::string_view list, std::string& unknown);

// The stored values over the defaults; what is missing or unreadable keeps its default. The tool
// table is not stored here.
CheckOptions readCheckSettings();
void writeCheckSettings(const CheckOptions& options);

}  // namespace zorvan::check
