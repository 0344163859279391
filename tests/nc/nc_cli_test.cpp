// zorvan-cli shift, rotate, arith and reverse.
#include "support/cli_run.h"

#include <gtest/gtest.h>

namespace {

// The decimal settings at their start-up defaults, whatever the user's stored ones are; the
// command's own options come after them and may override them.
std::vector<std::string> withDefaults(std::vector<std::string> args)
{
    args.insert(args.begin() + 1, {"--decimal-number", "4", "--decimal-view", "2", "--force-decimal", "off",
                                   "--integer-only", "off"});
    return args;
}

struct CliCase {
    std::vector<std::string> args;
    const char* input;
    const char* output;
};

class NcCli : public ::testing::TestWithParam<CliCase> {};

TEST_P(NcCli, WritesTheResultDocument)
{
    const CliCase& c = GetParam();
    CliRun run = runZorvanCli(withDefaults(c.args), c.input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.output);
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(Commands, NcCli, ::testing::Values(
    CliCase{{"shift", "--x", "10", "--y", "-5"},
            "G01X12.5Y3.Z-1.F100\r\nG00Z50.\r\n(MAX DEPTH) G01X1.\r\n",
            "G01X22.5Y-2.0Z-1.F100\r\nG00Z50.\r\n(MAX10.0 DEPTH) G01X1.\r\n"},
    CliCase{{"shift"}, "X1.\r\n", "X1.\r\n"},
    CliCase{{"shift", "--z", "-0.5", "--select", "5:1"}, "Z1.\r\nZ2.\r\nZ3.\r\n", "Z1.\r\nZ1.5\r\nZ3.\r\n"},
    CliCase{{"shift", "--x", "0.4", "--integer-only", "on"}, "X1.\r\n", "X1\r\n"},
    CliCase{{"rotate", "--z", "1.5707963267948966"}, "G01X10.Y0.\r\nX5.\r\nZ-2.\r\n", "G01X0Y10.0\r\nX0\r\nZ-2.0\r\n"},
    CliCase{{"rotate"}, "X10.\r\n", "X10.0\r\n"},
    CliCase{{"arith", "--letter", "Z", "--op", "2X"}, "G01Z-2.5\r\n", "G01Z-5.0\r\n"},
    CliCase{{"arith", "--letter", "Z", "--op", "2/"}, "G01Z-2.5\r\n", "G01Z-1.25\r\n"},
    CliCase{{"arith", "--letter", "X", "--op", "X", "--value", "25.4"}, "G01X1.Y2.\r\n", "G01X25.4Y2.\r\n"},
    CliCase{{"arith", "--letter", "X", "--op", "/", "--value", "25.4"}, "G01X25.4Y2.\r\n", "G01X1.0Y2.\r\n"},
    CliCase{{"arith", "--letter", "Z", "--op", "-", "--value", "0.5"}, "Z0\r\nZ.5\r\n", "Z-0.5\r\nZ0\r\n"},
    CliCase{{"arith", "--letter", "R", "--op", "+", "--value", "1"}, "G02R5.\r\n", "G02R6.0\r\n"},
    CliCase{{"reverse"}, "N1\r\nN2\r\nN3\r\nN4\r\n", "N4\r\nN3\r\nN2\r\nN1\r\n"},
    CliCase{{"reverse", "--select", "6:11"}, "N10\r\nN20\r\nN30\r\nN40\r\nN50\r\n",
            "N10\r\nN40\r\nN30\r\nN20\r\nN50\r\n"}));

TEST(NcCliErrors, DivisionByZeroWritesNothing)
{
    CliRun run = runZorvanCli(withDefaults({"arith", "--letter", "X", "--op", "/", "--value", "0"}), "X1.\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zorvan-cli arith: 0だよ割り算できない\n");
}

TEST(NcCliErrors, DivisionWithoutValueIsByZero)
{
    CliRun run = runZorvanCli(withDefaults({"arith", "--letter", "X", "--op", "/"}), "X1.\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

TEST(NcCliErrors, UsageErrorsNameTheBadText)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"shift", "--x", "abc"}, "'abc'"},
        {{"shift", "--y", "inf"}, "'inf'"},
        {{"rotate", "--z", "1,5"}, "'1,5'"},
        {{"arith", "--letter", "Q", "--op", "+"}, "'Q'"},
        {{"arith", "--letter", "X", "--op", "*"}, "'*'"},
        {{"arith", "--letter", "X", "--op", "+", "--value", "ten"}, "'ten'"},
        {{"arith", "--op", "+"}, "--letter"},
        {{"arith", "--letter", "X"}, "--op"},
    };
    for (const auto& [args, named] : cases) {
        CliRun run = runZorvanCli(withDefaults(args), "X1.\r\n");
        EXPECT_EQ(run.status, 2) << args[0] << ' ' << args[1];
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    }
}

TEST(NcCliErrors, ATooLargeResultWritesNothing)
{
    CliRun run = runZorvanCli(withDefaults({"arith", "--letter", "X", "--op", "X", "--value", "1e300"}),
                              "X1e1\r\nX1" + std::string(100, '0') + "\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("大きすぎ"), std::string::npos) << run.err;
}

}  // namespace

// A word whose number cannot be read is left as written, the rest of the line moves, and the
// words left are told at the end with their lines.
TEST(NcCliErrors, UnreadableNumbersAreLeftAndTold)
{
    struct Case {
        std::vector<std::string> args;
        const char* output;
        const char* err;
    };
    const char* input = "G0X3..5Y1.\r\nX2.5.7\r\nY0. .\r\nX1.\r\n";
    const Case cases[] = {
        {{"shift", "--x", "10", "--y", "1"}, "G0X3..5Y2.0\r\nX2.5.7\r\nY0. .\r\nX11.0\r\n",
         "zorvan-cli shift: 読めない数値の語はそのままにしました:\n0 行目 X3..5 (小数点が二つ)\n1 行目 X2.5.7 (小数点が二つ)\n"
         "2 行目 Y0. . (離れた小数点)\n"},
        {{"arith", "--letter", "Y", "--op", "2X"}, "G0X3..5Y2.0\r\nX2.5.7\r\nY0. .\r\nX1.\r\n",
         "zorvan-cli arith: 読めない数値の語はそのままにしました:\n2 行目 Y0. . (離れた小数点)\n"},
        {{"rotate", "--z", "1.5707963267948966"}, "G0X3..5Y1.\r\nX2.5.7\r\nY0. .\r\nX0\r\n",
         "zorvan-cli rotate: 読めない数値の語はそのままにしました:\n0 行目 X3..5 (小数点が二つ)\n1 行目 X2.5.7 (小数点が二つ)\n"
         "2 行目 Y0. . (離れた小数点)\n"},
    };
    for (const Case& c : cases) {
        CliRun run = runZorvanCli(withDefaults(c.args), input);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.output) << c.args[0];
        EXPECT_EQ(run.err, c.err) << c.args[0];
    }
}
