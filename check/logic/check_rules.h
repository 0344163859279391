// The rules of the program check: each has an id (used on the command line, in the settings and
// after every finding), a severity and a caption for the settings dialog.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace zorvan::check {

enum class Severity : unsigned char { Error, Warning, Note };

enum class Rule : unsigned char {
    // Words
    UnreadableWord,
    RepeatedLetter,
    UnknownCode,
    // Arcs
    ArcOffCircle,
    ArcRadiusShort,
    ArcWrongPlane,
    // Motion
    NoFeed,
    SpindleStopped,
    NoLengthOffset,
    OffsetNumber,
    CompensationNoD,
    CompensationArcFirst,
    CompensationOpen,
    // Stock and travel
    RapidIntoStock,
    OutsideTravel,
    // Structure
    MissingProgram,
    MissingTarget,
    DuplicateN,
    DuplicateO,
    NoEnd,
    PercentFraming,
};
constexpr int kRuleCount = static_cast<int>(Rule::PercentFraming) + 1;

struct RuleInfo {
    Rule rule;
    const char* id;         // e.g. "arc-off-circle"
    Severity severity;
    const char* caption;    // Japanese, for the settings dialog
};

const RuleInfo& ruleInfo(Rule rule);
const std::vector<RuleInfo>& allRules();
std::optional<Rule> ruleFromId(std::string_view id);
// "error", "warning", "note"
const char* severityName(Severity severity);

}  // namespace zorvan::check
