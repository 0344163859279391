#include "nc/logic/swap_settings.h"

#include "app/logic/settings_group.h"

namespace zorvan::nc {

bool readSwapArcsSetting()
{
    SettingsGroup group(QStringLiteral("swap"));
    return group.store.value("Arcs").toString().trimmed() != QLatin1String("0");
}

void writeSwapArcsSetting(bool on)
{
    SettingsGroup group(QStringLiteral("swap"));
    group.store.setValue("Arcs", on ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace zorvan::nc
