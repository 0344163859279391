// zorvan-cli desk-calc [--trace] KEYS...
//
// Feeds the keys of each argument in order to the desk calculator engine and prints the display
// text after the last key. Every character is a key, except the names in braces: {Min} {M+}
// {M-} {MR} {MC} {DMS} {BS} {Enter} {Esc}, and {MA}...{MF} for a click on a memory slot panel.
// With --trace one line per key: the key, the display text and the indicator text, separated by
// tabs. Messages the calculator window would show go to the error stream. Exit status 0, or 2
// for malformed arguments.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// One key for the engine: a character, or (slot >= 0) a click on memory slot panel A..F.
struct DeskCalcKey {
    std::string name;  // as written in the argument: "5", "{Min}", "あ"
    char code = 0;
    int slot = -1;
};

// The keys of one argument; nothing when a brace name is unknown or not closed.
std::optional<std::vector<DeskCalcKey>> parseDeskCalcKeys(std::string_view arg);

int runDeskCalcCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zorvan
