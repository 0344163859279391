// Number texts of the calculator: display format, number reading, angle text, key bytes.
#include "calc/logic/calc_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorvan {
namespace {

TEST(CalcValueText, FifteenSignificantDigits)
{
    const struct { double v; const char* text; } cases[] = {
        {0, "0"}, {-0.0, "0"}, {5, "5"}, {-5, "-5"}, {0.5, "0.5"}, {0.0005, "0.0005"},
        {0.0001, "0.0001"}, {0.00009999, "9.999E-5"}, {12.504166666666666, "12.5041666666667"},
        {2.0 / 3 * 4, "2.66666666666667"}, {1e15, "1E15"}, {999999999999999, "999999999999999"},
        {999999999999999.6, "1E15"}, {1.5e-7, "1.5E-7"}, {1.23456789012345678e17, "1.23456789012346E17"},
        {-2.5e-300, "-2.5E-300"}, {1e308, "1E308"}, {3.141592653589793, "3.14159265358979"},
        {100, "100"}, {123456.789, "123456.789"}, {0.1 + 0.2, "0.3"}};
    for (const auto& c : cases)
        EXPECT_EQ(calcValueText(c.v), c.text) << c.v;
}

TEST(CalcTextValue, NumberRule)
{
    const struct { const char* text; std::optional<double> value; } cases[] = {
        {"0", 0}, {"12.50", 12.5}, {"-5", -5}, {"+5", 5}, {"5.", 5}, {".5", 0.5}, {"0.", 0},
        {"-0.", 0}, {"1E2", 100}, {"1e+2", 100}, {"1.5E-7", 1.5e-7}, {"1E-400", 0},
        {"", std::nullopt}, {"-", std::nullopt}, {".", std::nullopt}, {"abc", std::nullopt},
        {"1E", std::nullopt}, {"1.5E-", std::nullopt}, {"1.2.3", std::nullopt},
        {" 5", std::nullopt}, {"5 ", std::nullopt}, {"0x10", std::nullopt}, {"inf", std::nullopt},
        {"nan", std::nullopt}, {"1E400", std::nullopt}, {"12\u00B030\u20320\u20330", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(calcTextValue(c.text), c.value) << c.text;
}

TEST(CalcTextValue, VeryLongNumberIsRead)
{
    const std::string digits(400, '9');
    EXPECT_EQ(calcTextValue("0." + digits), 1.0);
    EXPECT_EQ(calcTextValue(digits), std::nullopt);  // beyond the double range
}

TEST(CalcAngleText, DegreesMinutesSeconds)
{
    const struct { double v; const char* text; } cases[] = {
        {12.5, "12\u00B030\u20320\u20330"}, {0.75, "0\u00B045\u20320\u20330"},
        {-12.5, "-12\u00B0-30\u20320\u20330"}, {-0.75, "0\u00B0-45\u20320\u20330"},
        {0, "0\u00B00\u20320\u20330"},
        {123456789.5, "123456789\u00B030\u20320\u2033"},
        {-123456789.5, "-123456789\u00B0-30\u20320"},
        {1e20, "100000000000000000"}};
    for (const auto& c : cases)
        EXPECT_EQ(calcAngleText(c.v), c.text) << c.v;
}

TEST(CutToShiftJisBytes, NeverSplitsACharacter)
{
    EXPECT_EQ(cutToShiftJisBytes("-123456789\u00B0-5\u20320\u20331", 18), "-123456789\u00B0-5\u20320");
    EXPECT_EQ(cutToShiftJisBytes("12\u00B030", 18), "12\u00B030");
    EXPECT_EQ(cutToShiftJisBytes("12345678901234567890", 18), "123456789012345678");
}

TEST(CalcKeyBytes, SystemCodePage)
{
    EXPECT_EQ(calcKeyBytes("5"), "5");
    EXPECT_EQ(calcKeyBytes("\uFF71"), "\xB1");           // half-width katakana: one byte
    EXPECT_EQ(calcKeyBytes("\u3042"), "\x82\xA0");       // あ: two bytes
}

}  // namespace
}  // namespace zorvan
