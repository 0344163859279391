// Address words and number formatting.
#include "nc/logic/nc_words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace zorvan::nc {
namespace {

DecimalSettings settings(int places = 4, int view = 2, bool forced = false, bool whole = false)
{
    DecimalSettings s;
    s.DecimalNumber = places;
    s.DecimalView = view;
    s.Froce_Decimal = forced;
    s.Non_Decimal = whole;
    return s;
}

std::string printed(double value, int places)
{
    int size = std::snprintf(nullptr, 0, "%.*lf", places, value);
    std::string out(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(out.data(), out.size(), "%.*lf", places, value);
    out.resize(static_cast<std::size_t>(size));
    return out;
}

TEST(FixedText, EqualsPrintfForRandomValues)
{
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> ordinary(-100000.0, 100000.0);
    std::uniform_int_distribution<int> halves(-200000, 200000);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 60000; ++i) {
        double value;
        switch (i % 4) {
        case 0: value = ordinary(random); break;
        case 1: value = halves(random) / 2.0 / std::pow(10.0, i % 9); break;  // rounding ties
        case 2: value = ordinary(random) * std::pow(10.0, (i % 40) - 20); break;
        default: {
            std::uint64_t b = bits(random);
            std::memcpy(&value, &b, sizeof value);
            if (!std::isfinite(value))
                continue;
        }
        }
        int places = i % 11;
        ASSERT_EQ(fixedText(value, places), printed(value, places)) << value << " places " << places;
    }
}

TEST(FixedText, HasNoLengthLimit)
{
    EXPECT_EQ(fixedText(1e300, 4), printed(1e300, 4));
    EXPECT_GT(fixedText(-1.7976931348623157e308, 8).size(), 300u);
    EXPECT_EQ(fixedText(-1.7976931348623157e308, 8), printed(-1.7976931348623157e308, 8));
}

struct FormatCase {
    double value;
    DecimalSettings settings;
    const char* text;
};

class SharedWriter : public ::testing::TestWithParam<FormatCase> {};

TEST_P(SharedWriter, WritesTheExpectedText)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(formatValue(c.value, c.settings).value_or("<nothing>"), c.text);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, SharedWriter, ::testing::Values(
    FormatCase{12.5, settings(), "12.5"},
    FormatCase{12, settings(), "12.0"},
    FormatCase{12, settings(4, 1), "12."},
    FormatCase{12, settings(4, 0), "12"},
    FormatCase{0, settings(4, 0), "0"},
    FormatCase{0, settings(4, 1), "0"},
    FormatCase{-0.0, settings(4, 2), "0"},
    FormatCase{-3.14159, settings(), "-3.1416"},
    FormatCase{0.00004, settings(), "0.0"},
    FormatCase{-0.00004, settings(), "-0.0"},
    FormatCase{0.00004, settings(4, 1), "0."},
    FormatCase{0.00004, settings(4, 0), "0"},
    FormatCase{12.6, settings(0), "13.0"},
    FormatCase{12.6, settings(0, 1), "13."},
    FormatCase{12.6, settings(0, 0), "13"},
    FormatCase{12.5, settings(2), "12.5"},
    FormatCase{12.5, settings(3, 2, true), "12.500"},
    FormatCase{12, settings(4, 2, true), "12.0000"},
    FormatCase{12.66, settings(1, 2, true), "12.7"},                    // the edges of 1 to 8 places
    FormatCase{12, settings(1, 2, true), "12.0"},
    FormatCase{12.64, settings(8, 2, true), "12.64000000"},
    FormatCase{12.66, settings(1), "12.7"},
    FormatCase{12, settings(0, 2, true), "12.0"},
    FormatCase{12.6, settings(0, 1, true), "12."},
    FormatCase{-2.5, settings(0, 0, true), "-3"},
    FormatCase{12, settings(4, 2, false, true), "12"},
    FormatCase{-2.5, settings(4, 2, false, true), "-3"},
    FormatCase{12.6, settings(4, 2, false, true), "12"},
    FormatCase{-0.4, settings(4, 2, false, true), "-1"},
    FormatCase{0.4, settings(4, 2, false, true), "0"},
    FormatCase{3e12, settings(4, 2, false, true), "3000000000000"},  // beyond a 32-bit int
    FormatCase{1.5, settings(9, 2, true), "1.500000"},                 // out-of-range places: six
    FormatCase{1.5, settings(-1, 2, true), "1.500000"},
    FormatCase{1.25, settings(-1, 2), "1.25"},                        // trimmed: negative means six
    FormatCase{1.0000004, settings(-1, 2), "1.0"},
    FormatCase{1.123456789, settings(10, 2), "1.123456789"},           // trimmed takes any count
    FormatCase{12, settings(0, 5), "12"},                              // unknown view: unchanged
    FormatCase{12.5, settings(4, 7), "12.5"},
    FormatCase{12, settings(4, 7), "12."},
    FormatCase{12, settings(0, 5, true), "<nothing>"}));

TEST(RotationWriter, DiffersFromTheSharedWriter)
{
    const FormatCase cases[] = {
        {12.6, settings(4, 2, false, true), "12.6"},  // Non_Decimal ignored
        {12.6, settings(0, 0, true), "12"},            // forced 0 places: "%d" under every view
        {12.6, settings(0, 1, true), "12"},
        {12.6, settings(0, 2, true), "12"},
        {12.6, settings(0, 5, true), "12"},
        {-2.5, settings(0, 2, true), "-3"},
        {12.66, settings(1, 2, true), "12.7"},
        {12, settings(3, 2, true), "12.000"},
        {12.64, settings(8, 2, true), "12.64000000"},
        {12, settings(12, 2, true), "12.000000"},
        {12.66, settings(1), "12.7"},
        {0, settings(), "0"},
        {10, settings(), "10.0"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatValueForRotation(c.value, c.settings), c.text)
            << c.value << ", " << c.settings.DecimalNumber << " places, view " << c.settings.DecimalView;
}

struct ValueCase {
    const char* text;
    double value;
};

TEST(NumberTextValue, LongestLeadingDecimalPart)
{
    const ValueCase cases[] = {
        {"-12.5", -12.5}, {".5", 0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"", 0}, {"-", 0}, {".", 0},
        {"-.", 0}, {"-.25", -0.25}, {"007", 7}, {"12..5", 12}, {"3-", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberTextValue(c.text), c.value) << c.text;
    EXPECT_EQ(numberTextValue(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(numberTextValue("-" + std::string(400, '9')), -HUGE_VAL);
    EXPECT_EQ(numberTextValue("0." + std::string(400, '0') + "1"), 0.0);
}

// The line with the first word of `letter` moved by 10, as a shift writes it (an unreadable
// number is left alone).
std::string plusTen(const std::string& line, char letter = 'X')
{
    std::string out = line;
    if (auto word = readAddressWord(out, letter); word && word->problem == NumberProblem::None)
        replaceNumberText(out, *word, *formatValue(word->value + 10, settings()));
    return out;
}

TEST(AddressWords, ReadAndReplace)
{
    const std::pair<const char*, const char*> cases[] = {
        {"G01X-5.Y3.", "G01X5.0Y3."},
        {"X1.2.3Y0", "X1.2.3Y0"},     // an unreadable number stays as written
        {"(X AXIS)", "(X10.0 AXIS)"},
        {"X+5.", "X10.0+5."},
        {"x10.", "x10."},             // lower case is another letter
        {"X1.X2.", "X11.0X2."},       // only the first X
        {"X--5", "X10.0-5"},          // number text "-"
        {"G00Y5.", "G00Y5."},         // no X at all
        {"X", "X10.0"},
        {"N10X-0.5", "N10X9.5"},
    };
    for (auto [before, after] : cases)
        EXPECT_EQ(plusTen(before), after) << before;
}

TEST(AddressWords, ReportsPositionAndNumberText)
{
    auto word = readAddressWord("G01X-12.5Y3", 'X');
    ASSERT_TRUE(word);
    EXPECT_EQ(word->letterAt, 3u);
    EXPECT_EQ(word->numberLength, 5u);
    EXPECT_EQ(word->value, -12.5);
    EXPECT_FALSE(readAddressWord("G01Y3", 'X'));
}

// Malformed numbers: the word is unreadable (value 0, named as written), and so is a point that
// belongs to no word; a well-formed word next to them reads as ever.
TEST(AddressWords, MalformedNumbersAreUnreadable)
{
    struct Case {
        const char* line;
        char letter;
        NumberProblem problem;
        const char* word;  // as the reader names it
    };
    const Case cases[] = {
        {"G0 X3..5", 'X', NumberProblem::TwoPoints, "X3..5"},
        {"G0 X2.5.7 Y1.", 'X', NumberProblem::TwoPoints, "X2.5.7"},
        {"G0 X. Y1.", 'X', NumberProblem::NoDigit, "X."},
        {"G0 X-.", 'X', NumberProblem::NoDigit, "X-."},
        {"G0 X.-5", 'X', NumberProblem::NoDigit, "X.-5"},
        {"G0 X5.-3", 'X', NumberProblem::SignAfterPoint, "X5.-3"},
        {"G1 X1. Y0. .", 'Y', NumberProblem::StrayPoint, "Y0. ."},
        {"N210 .", 'N', NumberProblem::StrayPoint, "N210 ."},
        {"G1 Y0. .5", 'Y', NumberProblem::TwoPoints, "Y0. .5"},
        {"G1 X1 .5", 'X', NumberProblem::None, "X1"},
        {"G1 X-.5", 'X', NumberProblem::None, "X-.5"},
        {"(X AXIS)", 'X', NumberProblem::None, "X"},
        {"X--5", 'X', NumberProblem::None, "X-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto word = readAddressWord(c.line, c.letter);
        ASSERT_TRUE(word);
        EXPECT_EQ(word->problem, c.problem);
        EXPECT_EQ(std::string(c.line).substr(word->letterAt, word->wordLength), c.word);
        if (c.problem != NumberProblem::None) {
            EXPECT_EQ(word->value, 0);
        }
    }

    // The whole-line reader: every word outside comments, and a point alone in a block.
    std::vector<UnreadableWord> found;
    addUnreadableWords("G0 X3..5 Y2.5 (D=3..1) Z.", 7, found);
    addUnreadableWords(".", 8, found);
    addUnreadableWords("#1=2.5 G1 X.5 F100.", 9, found);
    const std::vector<UnreadableWord> expected = {{7, 3, "X3..5", NumberProblem::TwoPoints},
                                                  {7, 23, "Z.", NumberProblem::NoDigit},
                                                  {8, 0, ".", NumberProblem::StrayPoint}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(unreadableWordsMessage(expected, "H:"), "H:\n7 行目 X3..5 (小数点が二つ)\n7 行目 Z. (数字がない)\n8 行目 . (離れた小数点)");
    const std::vector<UnreadableWord> firsts = unreadableFirstWords("X1.\r\nG0X3..5Y1.\nX2. Y0. .", 4, "XY");
    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_EQ(firsts[0].line, 5);
    EXPECT_EQ(firsts[0].word, "X3..5");
    EXPECT_EQ(firsts[1].line, 6);
    EXPECT_EQ(firsts[1].word, "Y0. .");
}

TEST(AddressWords, LongNumberTextsAreReplacedWhole)
{
    std::string digits = "1" + std::string(299, '0') + ".";
    std::string line = "G01X" + digits + "Y1.";
    std::string expected = "G01X" + printed(1e299 + 10, 0) + ".0Y1.";
    EXPECT_EQ(plusTen(line), expected);
}

TEST(ParseDecimalNumber, AcceptsPlainDecimalsOnly)
{
    const std::pair<const char*, double> good[] = {
        {"12", 12}, {"-3.5", -3.5}, {" 2.5 ", 2.5}, {"+.5", 0.5}, {"1e3", 1000}, {"0.000000", 0},
        {"-0", 0}, {"25.4", 25.4}, {"5.", 5},
    };
    for (auto [text, value] : good) {
        auto parsed = parseDecimalNumber(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(*parsed, value) << text;
    }
    for (const char* bad : {"", " ", "abc", "1,5", "inf", "nan", "-inf", "0x10", "+-5", "--5", "1e400", "1.2.3",
                            "12abc", "-", "+", "."})
        EXPECT_FALSE(parseDecimalNumber(bad)) << bad;
}

}  // namespace
}  // namespace zorvan::nc
