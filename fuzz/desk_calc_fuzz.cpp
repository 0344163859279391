// The desk calculator under any key sequence, and the command-line parser of key names: every
// sequence ends without a fault, and the display stays a short text.
#include "calc/logic/calc_engine.h"
#include "cli/desk_calc_command.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)parseDeskCalcKeys(std::string_view(reinterpret_cast<const char*>(data), size));

    CalcMemory memory;
    CalcEngine engine(memory);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b >= 0xF0 && b <= 0xF5) {
            (void)engine.MemAClick(b - 0xF0);
        } else {
            char key = static_cast<char>(b);
            (void)engine.FormKeyPress(key);
        }
        FUZZ_CHECK(engine.displayText().size() < 4096);
    }
    return 0;
}
