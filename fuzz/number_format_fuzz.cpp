// The number writer and reader: a value written under any decimal settings reads back to the same
// value within the decimal places written (or its floor, where only whole numbers are written),
// and the field parser agrees with the word reader on every written text. Any text reads without
// a fault.
#include "fuzz_check.h"
#include "nc/logic/nc_words.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace zorvan;

namespace {

// Checks that `text` reads back to `value` within half a unit of the last of `places` places.
void checkReadsBack(const std::string& text, double value, int places)
{
    const double read = nc::numberTextValue(text);
    const double tolerance = 0.5 * std::pow(10.0, -places) * (1 + 1e-9) + std::fabs(value) * 4e-16;
    FUZZ_CHECK(std::fabs(read - value) <= tolerance);
    auto parsed = nc::parseDecimalNumber(text);
    FUZZ_CHECK(parsed && *parsed == read);
}

void checkWhole(const std::string& text, double value)
{
    FUZZ_CHECK(nc::numberTextValue(text) == std::floor(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    (void)nc::numberTextValue(raw);
    (void)nc::parseDecimalNumber(raw);
    if (size < 9)
        return 0;

    double value;
    std::memcpy(&value, data, sizeof value);
    const unsigned choice = data[8];
    DecimalSettings settings;
    settings.DecimalNumber = static_cast<int>(choice % 9);
    settings.DecimalView = static_cast<int>(choice / 9 % 3);
    settings.Froce_Decimal = (choice / 27) & 1;
    settings.Non_Decimal = (choice / 54) & 1;

    auto text = nc::formatValue(value, settings);
    const std::string rotated = nc::formatValueForRotation(value, settings);
    // Beyond 2^52 a double holds no fraction; the bound keeps the tolerance meaningful.
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return 0;
    FUZZ_CHECK(text.has_value());
    const int places = settings.DecimalNumber;
    if (settings.Non_Decimal || (settings.Froce_Decimal && places == 0))
        checkWhole(*text, value);
    else
        checkReadsBack(*text, value, places);
    if (settings.Froce_Decimal && places == 0)
        checkWhole(rotated, value);
    else
        checkReadsBack(rotated, value, places);
    return 0;
}
