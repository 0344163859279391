// The panel a held key lights, by the physical key of each platform.
#include "calc/logic/key_feedback.h"

#include <gtest/gtest.h>

namespace zorvan {
namespace {

struct KeyCase {
    unsigned code;
    const char* panel;  // nullptr: no panel
};

void expectPanels(std::optional<std::string> (*lookup)(unsigned), std::initializer_list<KeyCase> cases)
{
    for (const KeyCase& c : cases) {
        const auto panel = lookup(c.code);
        if (c.panel)
            EXPECT_EQ(panel.value_or("(none)"), c.panel) << "key " << c.code;
        else
            EXPECT_FALSE(panel) << "key " << c.code << " lit " << *panel;
    }
}

TEST(KeyFeedback, WindowsVirtualKeys)
{
    expectPanels(&key_feedback::panelForVirtualKey, {
        {13, "Pret"}, {32, "Pret"}, {48, "P0"}, {53, "P5"}, {57, "P9"}, {80, "Ppai"}, {190, "Pdot"},
        {220, "Pfugo"}, {226, "Pfugo"},
        {47, nullptr}, {58, nullptr}, {96, nullptr} /* keypad 0 */, {101, nullptr} /* keypad 5 */,
        {106, nullptr} /* keypad * */, {187, nullptr}, {189, nullptr} /* minus */, {0, nullptr},
    });
}

TEST(KeyFeedback, LinuxKeyCodes)
{
    // X11 and Wayland key codes: the kernel's input event code plus 8.
    expectPanels(&key_feedback::panelForKeyCode, {
        {10, "P1"}, {17, "P8"}, {18, "P9"}, {19, "P0"}, {36, "Pret"}, {65, "Pret"}, {33, "Ppai"},
        {60, "Pdot"}, {51, "Pfugo"}, {94, "Pfugo"}, {97, "Pfugo"}, {132, "Pfugo"},
        {9, nullptr} /* Escape */, {20, nullptr} /* minus */, {84, nullptr} /* keypad 5 */,
        {104, nullptr} /* keypad Enter */, {91, nullptr} /* keypad dot */, {3, nullptr}, {0, nullptr},
    });
}

}  // namespace
}  // namespace zorvan
