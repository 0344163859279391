// The stock simulation on any program, within small budgets: it ends, every warning names a line
// of the program, and no column of the field is above the stock's top or below its bottom.
#include "fuzz_check.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/stock/stock_simulation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace zorvan::preview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    InterpreterOptions interpreter;
    interpreter.maxVertices = 5000;
    interpreter.maxWork = 1'000'000;
    interpreter.maxDiagnostics = 100;
    const Toolpath path = interpretProgram(text, interpreter);
    stock::StockOptions options;
    options.longSideColumns = 64;
    options.maxWork = 2'000'000;
    if (size % 2 == 0)
        options.box = stock::StockBox{{-20, -20, -10}, {20, 20, 0}};
    const stock::StockResult result = stock::simulateStock(text, path, options);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const auto& warning : result.warnings) {
        FUZZ_CHECK(warning.line < lines);
        FUZZ_CHECK(!stock::stockWarningText(warning).empty());
    }
    const stock::HeightField& field = result.field;
    for (int j = 0; j < field.rows(); ++j)
        for (int i = 0; i < field.columns(); ++i) {
            const float top = field.top(i, j);
            FUZZ_CHECK(!(top > static_cast<float>(field.box().max[2])) && !(top < static_cast<float>(field.box().min[2])));
        }
    return 0;
}
