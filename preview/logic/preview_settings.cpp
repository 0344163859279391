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

PreviewSettings readPreviewSettings()
{
    PreviewSettings settings;
    SettingsGroup group("preview");
    readFlag(group.store, "Visible", settings.visible);
    readFlag(group.store, "LeastIncrement", settings.leastIncrement);
    const QString view = group.store.value("View").toString().trimmed();
    if (view == "top" || view == "front" || view == "side" || view == "iso")
        settings.view = view.toStdString();
    return settings;
}

void writePreviewSettings(const PreviewSettings& settings)
{
    SettingsGroup group("preview");
    group.store.setValue("Visible", settings.visible ? QStringLiteral("1") : QStringLiteral("0"));
    group.store.setValue("View", QString::fromStdString(settings.view));
    group.store.setValue("LeastIncrement", settings.leastIncrement ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace zorvan::preview
