// Key sequences through the calculator engine: display, indicator and engine state.
#include "calc/logic/calc_engine.h"
#include "cli/desk_calc_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zorvan {
namespace {

// Feeds keys written as for the command line ("12+3{Min}"); returns the messages shown.
std::vector<std::string> feed(CalcEngine& engine, const std::string& keys)
{
    std::vector<std::string> messages;
    auto parsed = parseDeskCalcKeys(keys);
    EXPECT_TRUE(parsed.has_value()) << keys;
    for (const DeskCalcKey& key : parsed.value_or(std::vector<DeskCalcKey>{})) {
        std::optional<CalcMessage> message;
        if (key.slot >= 0) {
            message = engine.MemAClick(key.slot);
        } else {
            char code = key.code;
            message = engine.FormKeyPress(code);
        }
        if (message)
            messages.push_back(message->caption.empty() ? message->text
                                                        : message->caption + ":" + message->text);
    }
    return messages;
}

struct Case {
    const char* keys;
    const char* display;
    const char* indicator = "";
};

class KeySequence : public ::testing::TestWithParam<Case> {};

TEST_P(KeySequence, ShowsDisplayAndIndicator)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    const auto messages = feed(engine, GetParam().keys);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(engine.displayText(), GetParam().display) << GetParam().keys;
    EXPECT_EQ(engine.indicatorText(), GetParam().indicator) << GetParam().keys;
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, KeySequence, ::testing::Values(
    Case{"12+3*2=", "18"},
    Case{"10-2*3-", "4"},
    Case{"10-2*3-1=", "3"},
    Case{"2/3*4=", "2.66666666666667"},
    Case{"2+3=*4=", "20"},
    Case{"5*0=", "0"},
    Case{"2o10=", "1024"},
    Case{"27u3=", "3"},
    Case{"7~3=", "1"},
    Case{"7\\~3=", "-1"},
    Case{"30s", "0.5"},
    Case{"0.5is", "30"},
    Case{"12{DMS}", "12"},
    Case{"12{DMS}30{DMS}", "12.5"},
    Case{"12{DMS}30{DMS}15{DMS}", "12.5041666666667"},
    Case{"12.5i{DMS}", "12\u00B030\u20320\u20330"},
    Case{"5{Min}", "5", "M"}));

INSTANTIATE_TEST_SUITE_P(EdgeCases, KeySequence, ::testing::Values(
    Case{"07", "7"},
    Case{"00", "0"},
    Case{".", "0."},
    Case{"1.2.3", "1.23"},
    Case{"12{Min}3", "123", "M"},
    Case{"7\\5", "5"},
    Case{"12{BS}", "1"},
    Case{"12{BS}{BS}", "0"},
    Case{"2+=", "4"},
    Case{"5.=", "5"},
    Case{"5.+", "5."},
    Case{"2+*3=", "8"},
    Case{"0.75i{DMS}", "0\u00B045\u20320\u20330"},
    Case{"12.5\\i{DMS}", "-12\u00B0-30\u20320\u20330"},
    Case{"12.5i{DMS}+1=", "13.5"},
    Case{"12{DMS}30{DMS}+1=", "13.5"},
    Case{"ii", "0"},
    Case{"i", "0", " inv"},
    Case{"5{Min}i", "5", "M inv"},
    Case{"5{Min}{MC}", "5"},
    Case{"5{Min}{Esc}", "0", "M"},
    Case{"7~0=", "0"},
    Case{"p", "3.14159265358979"},
    Case{"P2", "2"},
    Case{"0\\", "0"},
    Case{"3{Min}{Esc}4{M+}{MR}", "7", "M"},
    Case{"3{Min}{Esc}4{M-}{MR}", "-1", "M"},
    Case{"5{MB}9i{MB}", "5"},
    Case{"5{MB}9i{MB}1", "51"},
    Case{"1+2*3{Enter}", "7"},
    Case{"1+2 ", "3"},
    Case{"9e", "81"},
    Case{"9r", "3"},
    Case{"4x", "0.25"},
    Case{"1+9z2=", "3"},
    Case{"1+9{Esc}2=", "2"},
    Case{"1+2*3o2=", "37"},
    Case{"2o2\\=", "0.25"},
    Case{"0o0=", "1"},
    Case{"0o3=", "0"},
    Case{"2o0.5=", "1.4142135623731"},
    Case{"1000000000000000-1=", "999999999999999"},
    Case{"99999999e", "9.9999998E15"},
    Case{"999999999e", "9.99999998E17"},
    Case{"0.0005=", "0.0005"},
    Case{"0.00005=", "5E-5"},
    Case{"3x", "0.333333333333333"},
    Case{"1/7=", "0.142857142857143"},
    Case{"45t", "1"},
    Case{"60c", "0.5"},
    Case{"1it", "45"},
    Case{"0.5ic", "60"},
    Case{"i5", "5", " inv"}));

TEST(CalcEngine, KeyCodeText)
{
    const struct { char key; const char* text; } cases[] = {
        {'+', "0x2b"}, {calckey::Min, "0x01"}, {'5', "0x35"}, {'\x80', "0xffffff80"},
        {'\xff', "0xffffffff"}};
    for (const auto& c : cases) {
        CalcMemory memory;
        CalcEngine engine(memory);
        char key = c.key;
        engine.FormKeyPress(key);
        EXPECT_EQ(engine.keyCodeText(), c.text);
    }
}

TEST(CalcEngine, OperatorKeysAreConsumed)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    for (char k : std::string("+-*/=~ou")) {
        engine.FormKeyPress('5');
        char key = k;
        engine.FormKeyPress(key);
        EXPECT_EQ(key, '\0') << k;
    }
    char digit = '4';
    engine.FormKeyPress(digit);
    EXPECT_EQ(digit, '4');
}

TEST(CalcEngine, InverseCaptionsFollowTheModifier)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "i");
    EXPECT_EQ(engine.sinCaption(), "Asin");
    EXPECT_EQ(engine.cosCaption(), "Acos");
    EXPECT_EQ(engine.tanCaption(), "Atan");
    feed(engine, "0.5s");
    EXPECT_EQ(engine.sinCaption(), "sin");
    EXPECT_FALSE(engine.inverseMode());
}

TEST(CalcEngine, BackspaceSteps)
{
    const struct { const char* start; std::vector<std::string> steps; bool newEntryAtEnd; } cases[] = {
        {"-0.5", {"-0.", "0"}, true},
        {"-5", {"-"}, false},
        {"1E20", {"1E2"}, false},
    };
    for (const auto& c : cases) {
        CalcMemory memory;
        CalcEngine engine(memory);
        feed(engine, "9");  // an open entry, as while typing
        ASSERT_TRUE(engine.pasteText(c.start));
        for (const std::string& expected : c.steps) {
            feed(engine, "{BS}");
            EXPECT_EQ(engine.displayText(), expected) << c.start;
        }
        EXPECT_EQ(engine.newEntry(), c.newEntryAtEnd) << c.start;
    }
}

TEST(CalcEngine, BackspaceOnAResultKeepsNewEntry)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "12+34={BS}");
    EXPECT_EQ(engine.displayText(), "4");
    EXPECT_TRUE(engine.newEntry());
    feed(engine, "7");
    EXPECT_EQ(engine.displayText(), "7");
}

TEST(CalcEngine, LoneMinusIsNotANumberUntilRecovered)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "5");
    engine.pasteText("-5");
    feed(engine, "{BS}");
    ASSERT_EQ(engine.displayText(), "-");
    EXPECT_EQ(feed(engine, "+"), std::vector<std::string>{"'-' は浮動小数点数ではありません"});
    EXPECT_EQ(engine.depth(), 0);
    EXPECT_EQ(engine.displayText(), "-");
    feed(engine, "3");  // the entry is still open: the digit continues it
    EXPECT_EQ(engine.displayText(), "-3");

    for (const char* recover : {"z", "{Esc}"}) {
        engine.pasteText("-5");
        feed(engine, "{BS}");
        EXPECT_TRUE(feed(engine, recover).empty()) << recover;
        EXPECT_EQ(engine.displayText(), "0") << recover;
    }
}

TEST(CalcEngine, StoringAnAngleTextIsAConversionError)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    const auto messages = feed(engine, "12.5i{DMS}{MA}");
    EXPECT_EQ(messages, std::vector<std::string>{"'12\u00B030\u20320\u20330' は浮動小数点数ではありません"});
    EXPECT_EQ(memory.MemorySlots[0], 0);
}

TEST(CalcEngine, ArithmeticFaultsKeepDisplayAndResetTheStack)
{
    const struct { const char* keys; const char* message; const char* display; } cases[] = {
        {"1/0=", kDivideByZeroText, "0"},
        {"0x", kDivideByZeroText, "0"},
        {"8u0=", kDivideByZeroText, "0"},
        {"0o2\\=", kDivideByZeroText, "-2"},
        {"0o0.5\\=", kDivideByZeroText, "-0.5"},
        {"0/0=", kInvalidOperationText, "0"},
        {"2\\r", kInvalidOperationText, "-2"},
        {"8\\u3=", kInvalidOperationText, "3"},
        {"2\\o0.5=", kInvalidOperationText, "0.5"},
        {"2ic", kInvalidOperationText, "2"},
        {"1.5is", kInvalidOperationText, "1.5"},
        {"10o200=*=", kOverflowText, "1E200"},
        {"10o200=e", kOverflowText, "1E200"},
        {"10o400=", kOverflowText, "400"},
        {"10o400.5=", kOverflowText, "400.5"},
        {"10o308={Min}{M+}", kOverflowText, "1E308"},
        {"10o310\\=x", kOverflowText, "9.99999999999997E-311"},
    };
    for (const auto& c : cases) {
        CalcMemory memory;
        CalcEngine engine(memory);
        EXPECT_EQ(feed(engine, c.keys), std::vector<std::string>{c.message}) << c.keys;
        EXPECT_EQ(engine.displayText(), c.display) << c.keys;
        EXPECT_EQ(engine.depth(), 0) << c.keys;
        EXPECT_FALSE(engine.inverseMode()) << c.keys;
        EXPECT_EQ(engine.indicatorText(), memory.MemoryM != 0 ? "M" : "") << c.keys;
        // The engine goes on normally afterwards.
        feed(engine, "2+3=");
        EXPECT_EQ(engine.displayText(), "5") << c.keys;
    }
}

TEST(CalcEngine, MemoryOverflowLeavesTheRegister)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "10o308={Min}{M+}");
    EXPECT_EQ(memory.MemoryM, 1e308);
}

TEST(CalcEngine, NewEntryTransitions)
{
    const struct { const char* keys; bool newEntry; } cases[] = {
        {"5", false}, {"0", true}, {".", false}, {"5{Min}", false}, {"5{M+}", true},
        {"5{M-}", true}, {"5{MR}", true}, {"5{MC}", true}, {"5{DMS}", true},
        {"5i{DMS}", false}, {"5i", false}, {"5q", false}, {"5e", true}, {"5r", true},
        {"5x", true}, {"5\\", true}, {"5p", true}, {"5z", true}, {"5s", true},
        {"5{MA}", true}, {"5i{MA}", false}, {"5+", true}, {"5{Esc}", true}};
    for (const auto& c : cases) {
        CalcMemory memory;
        CalcEngine engine(memory);
        feed(engine, c.keys);
        EXPECT_EQ(engine.newEntry(), c.newEntry) << c.keys;
    }
}

TEST(CalcEngine, DmsStageAndRestore)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "12{DMS}");
    EXPECT_EQ(engine.dmsStage(), 1);
    feed(engine, "3");  // digits leave the stage alone
    EXPECT_EQ(engine.dmsStage(), 1);
    feed(engine, "q");  // any other key resets it
    EXPECT_EQ(engine.dmsStage(), 0);

    feed(engine, "{Esc}1.5i{DMS}");
    EXPECT_TRUE(engine.restorePending());
    EXPECT_EQ(engine.displayText(), "1\u00B030\u20320\u20330");
    feed(engine, "q");
    EXPECT_FALSE(engine.restorePending());
    EXPECT_EQ(engine.displayText(), "1.5");
}

TEST(CalcEngine, AngleTextIsCutAtEighteenShiftJisBytes)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "12{DMS}30{DMS}15{DMS}i{DMS}");
    // 12°30′15″7.23901…E-9: the marks count two bytes each, the seconds' rest keeps 6 bytes.
    EXPECT_EQ(engine.displayText(), "12\u00B030\u203215\u20337.2390");
}

TEST(CalcEngine, EscKeepsMemoryAndSlots)
{
    CalcMemory memory;
    CalcEngine engine(memory);
    feed(engine, "4{MC}7{Min}{Esc}3{MD}1+2{Esc}");
    EXPECT_EQ(engine.displayText(), "0");
    EXPECT_EQ(engine.indicatorText(), "M");
    EXPECT_EQ(memory.MemoryM, 7);
    EXPECT_EQ(memory.MemorySlots[3], 3);
    EXPECT_EQ(engine.depth(), 0);
}

TEST(CalcEngine, ApplyOperatorTable)
{
    const struct { std::uint8_t code; double l, r, result; } cases[] = {
        {calcop::Add, 2, 3, 5}, {calcop::Subtract, 2, 3, -1}, {calcop::Multiply, 2, 3, 6},
        {calcop::Divide, 3, 2, 1.5}, {calcop::Remainder, -7, 3, -1}, {calcop::Remainder, 7, -3, 1},
        {calcop::Remainder, 0, 3, 0}, {calcop::Remainder, 7, 0, 0},
        {calcop::Remainder, 7, INFINITY, 7}, {calcop::Power, 0, 0, 1}, {calcop::Power, -2, 3, -8},
        {calcop::Power, 2, -3, 0.125}, {calcop::Power, 2, -20000, 0}, {calcop::Root, 27, 3, 3},
        {calcop::Root, 16, -2, 0.25}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ApplyOperator(c.code, c.l, c.r), c.result)
            << int(c.code) << " " << c.l << " " << c.r;
    EXPECT_THROW(ApplyOperator(calcop::End, 1, 2), CalcError);
    EXPECT_THROW(ApplyOperator(42, 1, 2), CalcError);
}

TEST(CalcEngine, DegreeFactor)
{
    EXPECT_DOUBLE_EQ(DegreeFactor, M_PI / 180);
}

}  // namespace
}  // namespace zorvan
