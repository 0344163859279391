#include "calc/logic/key_feedback.h"

namespace zorvan::key_feedback {

std::optional<std::string> panelForVirtualKey(unsigned virtualKey)
{
    if (virtualKey >= 48 && virtualKey <= 57)
        return "P" + std::to_string(virtualKey - 48);
    switch (virtualKey) {
    case 13:
    case 32: return "Pret";
    case 80: return "Ppai";
    case 190: return "Pdot";
    case 220:
    case 226: return "Pfugo";
    default: return std::nullopt;
    }
}

std::optional<std::string> panelForKeyCode(unsigned keyCode)
{
    // Input event codes of the kernel (linux/input-event-codes.h); X11 and Wayland add 8.
    constexpr unsigned kOffset = 8;
    if (keyCode < kOffset)
        return std::nullopt;
    const unsigned code = keyCode - kOffset;
    if (code >= 2 && code <= 10)  // KEY_1 .. KEY_9
        return "P" + std::to_string(code - 1);
    switch (code) {
    case 11: return "P0";     // KEY_0
    case 28:                  // KEY_ENTER
    case 57: return "Pret";   // KEY_SPACE
    case 25: return "Ppai";   // KEY_P
    case 52: return "Pdot";   // KEY_DOT
    case 43:                  // KEY_BACKSLASH
    case 86:                  // KEY_102ND, the extra key of ISO keyboards
    case 89:                  // KEY_RO, "\ _ ろ" of a Japanese keyboard
    case 124: return "Pfugo"; // KEY_YEN, "¥ |" of a Japanese keyboard
    default: return std::nullopt;
    }
}

}  // namespace zorvan::key_feedback
