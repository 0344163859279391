// The program-wide settings and their store. Every value is kept as a string under the group
// "setting" of the organisation "Kw", application "Zorvan" (the registry key
// HKEY_CURRENT_USER\Software\Kw\Zorvan\setting on Windows, the platform's per-user store
// elsewhere). A missing or unreadable value leaves the current value in place.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zorvan {

// How the NC commands write numbers. Read afresh by every command.
struct DecimalSettings {
    int DecimalNumber = 4;  // places, 0 to 8
    int DecimalView = 2;    // whole values: 0 no point, 1 ".", 2 ".0"
    bool Froce_Decimal = false;  // always write DecimalNumber places
    bool Non_Decimal = false;    // whole numbers only
};

struct ProgramSettings {
    std::string SimulatorPath = "Pelmora.exe";
    DecimalSettings decimals;
    // Session state, not in the store: on at every start.
    bool UpperMode = true;
};

struct EditorFont {
    std::string name;
    int size = 9;
};

// The one copy of the program-wide values, at their defaults until read.
ProgramSettings& programSettings();

namespace settings_store {

// One stored setting: its key under "setting", the member it fills, its default (as stored) and,
// for numbers, the range the windows offer (a stored value outside it is still taken as read).
struct Field {
    using Member = std::variant<std::string*, int*, bool*>;
    enum class Group { Dialog, Font };  // written by the settings dialog's OK, by the font commands

    const char* key;
    Member (*member)(ProgramSettings&, EditorFont&);
    const char* defaultValue;
    int min = 0;
    int max = 0;
    Group group = Group::Dialog;
};
// Every stored setting, each once; reading and writing go through this table.
const std::vector<Field>& fields();
// The setting stored under `key`, which must be one of the table's.
const Field& field(std::string_view key);
// The text a field is stored as, for these values.
std::string storedTextOf(const Field& field, ProgramSettings settings, EditorFont font);

// Reads the stored values over `settings` and `font`; what is missing or unreadable keeps the
// value it had.
void read(ProgramSettings& settings, EditorFont& font);
// The settings dialog's OK: the simulator path and the four decimal settings.
void writeDialogValues(const ProgramSettings& settings);
void writeFont(const EditorFont& font);
void writeFontSize(int size);
}  // namespace settings_store

}  // namespace zorvan
