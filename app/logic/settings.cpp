#include "app/logic/settings.h"

#include "app/logic/settings_group.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <optional>
#include <string_view>

namespace zorvan {

ProgramSettings& programSettings()
{
    static ProgramSettings settings;
    return settings;
}

namespace settings_store {

const std::vector<Field>& fields()
{
    using G = Field::Group;
    static const std::vector<Field> table = {
        {"FontName", [](ProgramSettings&, EditorFont& f) -> Field::Member { return &f.name; }, "ＭＳ Ｐゴシック", 0, 0, G::Font},
        {"FontSize", [](ProgramSettings&, EditorFont& f) -> Field::Member { return &f.size; }, "9", 6, 23, G::Font},
        {"Pelmora", [](ProgramSettings& s, EditorFont&) -> Field::Member { return &s.SimulatorPath; }, "Pelmora.exe"},
        {"DecimalNumber", [](ProgramSettings& s, EditorFont&) -> Field::Member { return &s.decimals.DecimalNumber; }, "4", 0, 8},
        {"Froce_Decimal", [](ProgramSettings& s, EditorFont&) -> Field::Member { return &s.decimals.Froce_Decimal; }, "0", 0, 1},
        {"Non_Decimal", [](ProgramSettings& s, EditorFont&) -> Field::Member { return &s.decimals.Non_Decimal; }, "0", 0, 1},
        {"DecimalView", [](ProgramSettings& s, EditorFont&) -> Field::Member { return &s.decimals.DecimalView; }, "2", 0, 2},
    };
    return table;
}

const Field& field(std::string_view key)
{
    const auto& table = fields();
    auto found = std::find_if(table.begin(), table.end(), [&](const Field& f) { return key == f.key; });
    if (found == table.end())
        throw std::logic_error("no stored setting " + std::string(key));
    return *found;
}

namespace {

// A stored number; nothing when it is missing or not a whole number.
std::optional<int> storedNumber(QSettings& store, const char* key)
{
    bool ok = false;
    int read = store.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(read) : std::nullopt;
}

// Every value is stored as a string; flags as "1" and "0".
QString storedText(const Field::Member& member)
{
    if (auto* text = std::get_if<std::string*>(&member))
        return QString::fromStdString(**text);
    if (auto* number = std::get_if<int*>(&member))
        return QString::number(**number);
    return *std::get<bool*>(member) ? QStringLiteral("1") : QStringLiteral("0");
}

void write(ProgramSettings settings, EditorFont font, const std::function<bool(const Field&)>& which)
{
    SettingsGroup group("setting");
    for (const Field& field : fields())
        if (which(field))
            group.store.setValue(field.key, storedText(field.member(settings, font)));
}

}  // namespace

std::string storedTextOf(const Field& field, ProgramSettings settings, EditorFont font)
{
    return storedText(field.member(settings, font)).toStdString();
}

void read(ProgramSettings& settings, EditorFont& font)
{
    SettingsGroup group("setting");
    QSettings& s = group.store;
    for (const Field& field : fields()) {
        if (!s.contains(field.key))
            continue;
        Field::Member member = field.member(settings, font);
        if (auto* text = std::get_if<std::string*>(&member)) {
            **text = s.value(field.key).toString().toStdString();
        } else if (auto number = storedNumber(s, field.key)) {
            if (auto* value = std::get_if<int*>(&member))
                **value = *number;
            else
                *std::get<bool*>(member) = *number != 0;
        }
    }
}

void writeDialogValues(const ProgramSettings& settings)
{
    write(settings, {}, [](const Field& field) { return field.group == Field::Group::Dialog; });
}

void writeFont(const EditorFont& font)
{
    write({}, font, [](const Field& field) { return field.group == Field::Group::Font; });
}

void writeFontSize(int size)
{
    write({}, {"", size}, [](const Field& field) { return std::string_view(field.key) == "FontSize"; });
}

}  // namespace settings_store
}  // namespace zorvan
