#include "preview/logic/preview_settings.h"

#include "app/logic/settings_group.h"

namespace zorvan::preview {

namespace {

void readFlag(QSettings& store, const char* name, bool& value)
{
    const QString text = store.value(name).toString().trimmed();
    if (text == QLatin1String("1"))
        value = true;
    else if (text == QLatin1String("0"))
        value = false;
}

}  // namespace

std::optional<StockDisplay> stockDisplayFromName(std::string_view name)
{
    for (StockDisplay display : {StockDisplay::Path, StockDisplay::Stock, StockDisplay::Both})
        if (name == stockDisplayName(display))
            return display;
    return std::nullopt;
}

const char* stockDisplayName(StockDisplay display)
{
    switch (display) {
    case StockDisplay::Path: return "path";
    case StockDisplay::Stock: return "stock";
    case StockDisplay::Both: return "both";
    }
    return "path";
}

PreviewSettings readPreviewSettings()
{
    PreviewSettings settings;
    SettingsGroup group("preview");
    readFlag(group.store, "Visible", settings.visible);
    readFlag(group.store, "LeastIncrement", settings.leastIncrement);
    const QString view = group.store.value("View").toString().trimmed();
    if (view == "top" || view == "front" || view == "side" || view == "iso")
        settings.view = view.toStdString();
    settings.show = stockDisplayFromName(group.store.value("Show").toString().trimmed().toStdString()).value_or(settings.show);
    return settings;
}

void writePreviewSettings(const PreviewSettings& settings)
{
    SettingsGroup group("preview");
    group.store.setValue("Visible", settings.visible ? QStringLiteral("1") : QStringLiteral("0"));
    group.store.setValue("View", QString::fromStdString(settings.view));
    group.store.setValue("LeastIncrement", settings.leastIncrement ? QStringLiteral("1") : QStringLiteral("0"));
    group.store.setValue("Show", QString::fromLatin1(stockDisplayName(settings.show)));
}

}  // namespace zorvan::preview
