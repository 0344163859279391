// Which calculator panel lights while a key is held. The choice goes by the physical key, never
// by the character it types, so Shift+8 lights "8" like 8 does, and the key-up of a key finds
// the panel its key-down lit whatever modifiers changed in between.
#pragma once

#include <optional>
#include <string>

namespace zorvan::key_feedback {

// The panel for a Windows virtual-key code: 13 and 32 "=", 48-57 the digits, 80 "π", 190 ".",
// 220 and 226 (the two backslash keys of a Japanese keyboard) "+/-". Other keys light nothing.
std::optional<std::string> panelForVirtualKey(unsigned virtualKey);

// The same keys as a Linux keyboard reports them (X11 and Wayland key codes: the kernel's
// input event code plus 8), including the yen and "ろ" keys of a Japanese keyboard and the
// extra backslash key of ISO keyboards. The numeric keypad lights nothing.
std::optional<std::string> panelForKeyCode(unsigned keyCode);

}  // namespace zorvan::key_feedback
