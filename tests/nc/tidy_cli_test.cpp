// zorvan-cli renumber and tidy.
#include "support/cli_run.h"

#include <gtest/gtest.h>

namespace {

struct CliCase {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string output;
    std::string err;  // a part of standard error ("" for none at all)
};

class TidyCli : public ::testing::TestWithParam<CliCase> {};

TEST_P(TidyCli, WritesTheResultOrRefuses)
{
    const CliCase& c = GetParam();
    CliRun run = runZorvanCli(c.args, c.input);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.output);
    if (c.err.empty())
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Commands, TidyCli, ::testing::Values(
    // Shift-JIS text and a byte that is no character pass through unchanged.
    CliCase{{"renumber", "--start", "100", "--step", "5", "--width", "5"},
            "%\r\nO1\r\n(\x8d\x48\x8b\xef)\r\nG00\x80X0\r\nN3G01\r\n%\r\n", 0,
            "%\r\nO1\r\n(\x8d\x48\x8b\xef)\r\nN00100G00\x80X0\r\nN00105G01\r\n%\r\n", ""},
    CliCase{{"renumber", "--existing-only"}, "N5A\r\nB\r\nN1C\r\n", 0, "N10A\r\nB\r\nN20C\r\n", ""},
    CliCase{{"renumber", "--max", "20", "--on-overflow", "wrap"}, "A\r\nB\r\nC\r\n", 0, "N10A\r\nN20B\r\nN10C\r\n", ""},
    CliCase{{"renumber", "--max", "20", "--on-overflow", "refuse"}, "A\r\nB\r\nC\r\n", 1, "", "最大値 20"},
    CliCase{{"renumber", "--max", "20"}, "A\r\nB\r\nC\r\n", 1, "", "最大値 20"},
    // Without --max the numbers still stop at the largest a block can carry; up to it they are written.
    CliCase{{"renumber", "--start", "999999999", "--step", "999999999"}, "A\r\nB\r\n", 1, "", "最大値 999999999"},
    CliCase{{"renumber", "--start", "999999989", "--step", "10"}, "A\r\nB\r\n", 0, "N999999989A\r\nN999999999B\r\n", ""},
    CliCase{{"renumber", "--select", "5:1"}, "N1A\r\nN2B\r\n", 0, "N1A\r\nN10B\r\n", ""},
    CliCase{{"renumber"}, "GOTO5\r\n", 0, "N10GOTO5\r\n", "0 行目 → N5"},
    CliCase{{"renumber", "--remove"}, "N10 G00\r\nN20GOTO10\r\n", 0, "N10 G00\r\nGOTO10\r\n", ""},
    CliCase{{"tidy", "--blanks", "insert"}, "N1G01X1.(A)\r\n", 0, "N1 G01 X1.(A)\r\n", ""},
    CliCase{{"tidy", "--blanks", "remove", "--empty-lines", "--comments"}, "(A)\r\n\r\nG01 X1. (B)\r\n", 0,
            "G01X1.\r\n", ""},
    CliCase{{"renumber", "--on-overflow", "wrap"}, "A\r\n", 2, "", "--on-overflow needs --max"},
    CliCase{{"renumber", "--max", "5"}, "A\r\n", 2, "", "--max must be 10 to 999999999"},
    CliCase{{"renumber", "--step", "0"}, "A\r\n", 2, "", "--step must be 1 to"},
    CliCase{{"renumber", "--width", "x"}, "A\r\n", 2, "", "bad number for --width"},
    CliCase{{"renumber", "--max", "99", "--on-overflow", "stop"}, "A\r\n", 2, "", "'stop'"},
    CliCase{{"renumber", "--remove", "--start", "5"}, "A\r\n", 2, "", "--remove takes no numbering options"},
    CliCase{{"tidy"}, "A\r\n", 2, "", "nothing to tidy"},
    CliCase{{"tidy", "--blanks", "some"}, "A\r\n", 2, "", "'some'"}));

}  // namespace
