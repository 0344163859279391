// Number texts of the desk calculator: the display format of a value, the rule that decides
// whether a text reads as a number, the angle text in degrees, minutes and seconds, and the
// 8-bit key codes of typed characters.
//
// All texts are UTF-8. Where a length is counted in bytes of the system's multibyte code page
// (Shift-JIS), the text is measured in that encoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// General format with 15 significant digits: trailing zeros and the point of a whole value are
// dropped; fixed notation for 0.0001 <= |v| < 1e15, otherwise "1.5E-7" style. Zero is "0".
std::string calcValueText(double v);

// The value of a text: optional sign, digits with an optional ".", optional exponent
// ("E" or "e", optional sign, digits). Anything else, or a value beyond the double range,
// gives nothing. A value too small for a double reads as zero.
std::optional<double> calcTextValue(std::string_view text);

// "d°m′s″t" for the angle v in degrees: d, m and s truncated toward zero, t the remaining
// seconds in the value format; cut to at most 18 Shift-JIS bytes at a character boundary.
std::string calcAngleText(double v);

// The text cut to at most maxBytes bytes of its Shift-JIS form, never inside a character.
std::string cutToShiftJisBytes(std::string_view utf8, std::size_t maxBytes);

// The 8-bit key characters that one typed Unicode character (UTF-8) gives in the system's
// code page: one byte for ASCII and half-width katakana, two for other Japanese characters;
// empty when the character has no Shift-JIS form.
std::string calcKeyBytes(std::string_view utf8Char);

}  // namespace zorvan
