#include "check/logic/check_settings.h"

#include "app/logic/settings_group.h"

#include <charconv>
#include <cmath>

namespace zorvan::check {

namespace {

bool readNumber(std::string_view text, double& value)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

std::optional<TravelBox> parseTravel(std::string_view text)
{
    TravelBox box{};
    for (int axis = 0; axis < 3; ++axis) {
        const std::size_t comma = axis < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos)
            return std::nullopt;
        std::string_view range = text.substr(0, comma);
        // An axis letter before the range is allowed ("X0:500").
        if (!range.empty() && (range.front() == "XYZ"[axis] || range.front() == "xyz"[axis]))
            range.remove_prefix(1);
        const std::size_t colon = range.find(':');
        if (colon == std::string_view::npos || !readNumber(range.substr(0, colon), box.min[axis])
            || !readNumber(range.substr(colon + 1), box.max[axis]) || !(box.min[axis] < box.max[axis]))
            return std::nullopt;
        text.remove_prefix(std::min(text.size(), comma + 1));
    }
    if (!text.empty())
        return std::nullopt;
    return box;
}

std::string travelText(const TravelBox& box)
{
    std::string out;
    for (int axis = 0; axis < 3; ++axis) {
        char buffer[2][32];
        for (int k = 0; k < 2; ++k) {
            auto [ptr, ec] = std::to_chars(buffer[k], buffer[k] + 31, k == 0 ? box.min[axis] : box.max[axis]);
            *ptr = 0;
        }
        if (axis)
            out += ',';
        out += buffer[0];
        out += ':';
        out += buffer[1];
    }
    return out;
}

std::optional<std::array<bool, kRuleCount>> parseRuleList(std::string_view list, std::string& unknown)
{
    std::array<bool, kRuleCount> chosen{};
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view id = list.substr(0, comma);
        while (!id.empty() && id.front() == ' ')
            id.remove_prefix(1);
        while (!id.empty() && id.back() == ' ')
            id.remove_suffix(1);
        if (!id.empty()) {
            const std::optional<Rule> rule = ruleFromId(id);
            if (!rule) {
                unknown = std::string(id);
                return std::nullopt;
            }
            chosen[static_cast<std::size_t>(*rule)] = true;
        }
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return chosen;
}

CheckOptions readCheckSettings()
{
    CheckOptions options;
    SettingsGroup group("check");
    const std::string off = group.store.value("Off").toString().toStdString();
    // Unknown names (rules of a later version) are passed over one by one.
    std::string_view rest = off;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view id = rest.substr(0, comma);
        if (const auto rule = ruleFromId(id))
            options.enabled[static_cast<std::size_t>(*rule)] = false;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    double tolerance = 0;
    const std::string toleranceText = group.store.value("ArcTolerance").toString().toStdString();
    if (readNumber(toleranceText, tolerance) && tolerance > 0)
        options.arcTolerance = tolerance;
    options.travel = parseTravel(group.store.value("Travel").toString().trimmed().toStdString());
    const QString stops = group.store.value("ToolChangeStopsSpindle").toString().trimmed();
    if (stops == QLatin1String("0"))
        options.toolChangeStopsSpindle = false;
    else if (stops == QLatin1String("1"))
        options.toolChangeStopsSpindle = true;
    return options;
}

void writeCheckSettings(const CheckOptions& options)
{
    SettingsGroup group("check");
    std::string off;
    for (const RuleInfo& info : allRules())
        if (!options.on(info.rule))
            off += (off.empty() ? "" : ",") + std::string(info.id);
    group.store.setValue("Off", QString::fromStdString(off));
    char buffer[32];
    auto [ptr, ec] = std::to_chars(buffer, buffer + 31, options.arcTolerance);
    group.store.setValue("ArcTolerance", QString::fromLatin1(buffer, static_cast<int>(ptr - buffer)));
    group.store.setValue("Travel", options.travel ? QString::fromStdString(travelText(*options.travel)) : QString());
    group.store.setValue("ToolChangeStopsSpindle", options.toolChangeStopsSpindle ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace zorvan::check
