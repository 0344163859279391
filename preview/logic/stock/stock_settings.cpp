#include "preview/logic/stock/stock_settings.h"

#include "app/logic/settings_group.h"

#include <charconv>

namespace zorvan::preview::stock {

namespace {

std::string numberText(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

bool readNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

const char* kindWord(ToolKind kind)
{
    switch (kind) {
    case ToolKind::Flat: return "FLAT";
    case ToolKind::Ball: return "BALL";
    case ToolKind::BullNose: return "BULL";
    case ToolKind::Drill: return "DRILL";
    }
    return "FLAT";
}

}  // namespace

std::string stockBoxText(const StockBox& box)
{
    std::string text;
    for (int axis = 0; axis < 3; ++axis) {
        if (axis > 0)
            text += ',';
        text += numberText(box.min[axis]) + ':' + numberText(box.max[axis]);
    }
    return text;
}

std::optional<StockBox> readStockBoxText(std::string_view text)
{
    StockBox box;
    for (int axis = 0; axis < 3; ++axis) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (axis == 2))
            return std::nullopt;
        const std::string_view range = text.substr(0, comma);
        const std::size_t colon = range.find(':');
        if (colon == std::string_view::npos || !readNumber(range.substr(0, colon), box.min[axis])
            || !readNumber(range.substr(colon + 1), box.max[axis]) || !(box.min[axis] < box.max[axis]))
            return std::nullopt;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return box;
}

std::string toolTableText(const ToolTable& tools)
{
    std::string text;
    for (const auto& [number, tool] : tools) {
        text += 'T' + std::to_string(number) + ' ' + kindWord(tool.kind) + " D" + numberText(tool.diameter);
        if (tool.kind == ToolKind::BullNose)
            text += " R" + numberText(tool.cornerRadius);
        if (tool.kind == ToolKind::Drill)
            text += " A" + numberText(tool.pointAngle);
        if (tool.length > 0)
            text += " L" + numberText(tool.length);
        text += '\n';
    }
    return text;
}

StockSettings readStockSettings()
{
    StockSettings settings;
    SettingsGroup group("stock");
    const std::string box = group.store.value("Box").toString().trimmed().toStdString();
    settings.box = readStockBoxText(box);
    // A line that names no tool ends the reading; the tools before it are kept.
    readToolTable(group.store.value("Tools").toString().toStdString(), settings.tools);
    return settings;
}

void writeStockSettings(const StockSettings& settings)
{
    SettingsGroup group("stock");
    group.store.setValue("Box", settings.box ? QString::fromStdString(stockBoxText(*settings.box)) : QStringLiteral("auto"));
    group.store.setValue("Tools", QString::fromStdString(toolTableText(settings.tools)));
}

}  // namespace zorvan::preview::stock
