#include "app/logic/settings.h"

#include <QSettings>
#include <QString>

namespace zorvan {

ProgramSettings& programSettings()
{
    static ProgramSettings settings;
    return settings;
}

namespace settings_store {

namespace {

// QSettings(organisation, application) with the group "setting" opened.
struct SettingGroup {
    QSettings store{QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"};
    SettingGroup() { store.beginGroup("setting"); }
    ~SettingGroup() { store.endGroup(); }
};

void readInt(QSettings& store, const char* name, int& value)
{
    bool ok = false;
    int read = store.value(name).toString().trimmed().toInt(&ok);
    if (ok)
        value = read;
}

void readBool(QSettings& store, const char* name, bool& value)
{
    int read = value ? 1 : 0;
    readInt(store, name, read);
    value = read != 0;
}

QString flag(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

void read(ProgramSettings& settings, EditorFont& font)
{
    SettingGroup group;
    QSettings& s = group.store;
    if (s.contains("FontName"))
        font.name = s.value("FontName").toString().toStdString();
    readInt(s, "FontSize", font.size);
    if (s.contains("Pelmora"))
        settings.SimulatorPath = s.value("Pelmora").toString().toStdString();
    readInt(s, "DecimalNumber", settings.decimals.DecimalNumber);
    readBool(s, "Froce_Decimal", settings.decimals.Froce_Decimal);
    readBool(s, "Non_Decimal", settings.decimals.Non_Decimal);
    readInt(s, "DecimalView", settings.decimals.DecimalView);
}

void writeDialogValues(const ProgramSettings& settings)
{
    SettingGroup group;
    QSettings& s = group.store;
    s.setValue("Pelmora", QString::fromStdString(settings.SimulatorPath));
    s.setValue("DecimalNumber", QString::number(settings.decimals.DecimalNumber));
    s.setValue("Froce_Decimal", flag(settings.decimals.Froce_Decimal));
    s.setValue("Non_Decimal", flag(settings.decimals.Non_Decimal));
    s.setValue("DecimalView", QString::number(settings.decimals.DecimalView));
}

void writeFont(const EditorFont& font)
{
    SettingGroup group;
    group.store.setValue("FontName", QString::fromStdString(font.name));
    group.store.setValue("FontSize", QString::number(font.size));
}

void writeFontSize(int size)
{
    SettingGroup group;
    group.store.setValue("FontSize", QString::number(size));
}

}  // namespace settings_store
}  // namespace zorvan
