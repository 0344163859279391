// The program-wide settings and their store. Every value is kept as a string under the group
// "setting" of the organisation "Kw", application "Zorvan" (the registry key
// HKEY_CURRENT_USER\Software\Kw\Zorvan\setting on Windows, the platform's per-user store
// elsewhere). A missing or unreadable value leaves the current value in place.
#pragma once

#include <string>

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
    bool UpperMode = true;  // not stored: on at every start
    DecimalSettings decimals;
};

struct EditorFont {
    std::string name;
    int size = 9;
};

// The one copy of the program-wide values, at their defaults until read.
ProgramSettings& programSettings();

namespace settings_store {
// Reads the stored values over `settings` and `font`; what is missing or unreadable keeps the
// value it had.
void read(ProgramSettings& settings, EditorFont& font);
// The settings dialog's OK: the simulator path and the four decimal settings.
void writeDialogValues(const ProgramSettings& settings);
void writeFont(const EditorFont& font);
void writeFontSize(int size);
}  // namespace settings_store

}  // namespace zorvan
