// Numbers of the preview as they are shown (extents, legend, diagnostics): a path that reaches
// far or runs forever must still read as a short text.
#pragma once

#include <string>

namespace zorvan::preview {

// `value` with `decimals` decimals and a dot; past 1e15 in size in exponent form ("1.000e+65"),
// "inf" or "-inf" when infinite, "—" when not a number. A value that rounds to zero has no sign.
std::string shownNumber(double value, int decimals);

// A time in minutes as "H:MM:SS"; "—" for a time that is not finite, negative or past a million
// hours.
std::string shownDuration(double minutes);

}  // namespace zorvan::preview
