#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

const std::string kProgram =
    "%\r\n"
    "O1000 (MAIN)\r\n"
    "N10 G01 L5 X10.5\r\n"
    "N10.5 (A)(B)\r\n"
    "#1=#2 NE 3\r\n"
    "\x93\xfa\x96\x7b N20\r\n";  // Shift-JIS: two characters before the blank

TEST(ColoursCli, PrintsTheRunsOfTheWholeTextPassByDefault)
{
    CliRun r = runZorvanCli({"colours"}, kProgram);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "1 0 5 red\n"
              "1 6 6 green\n"
              "2 0 3 blue\n"
              "3 0 5 blue\n"
              "3 6 6 green\n"  // two adjacent comments make one run
              "5 3 3 blue\n");
    EXPECT_EQ(runZorvanCli({"colours", "--pass", "all"}, kProgram).out, r.out);
}

TEST(ColoursCli, LinePassColoursAsIfEveryLineHadBeenEdited)
{
    CliRun r = runZorvanCli({"colours", "--pass", "line"}, kProgram);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "1 0 5 red\n"
              "1 6 6 green\n"
              "2 0 3 blue\n"
              "2 8 2 red\n"
              "3 0 3 blue\n"
              "3 6 6 green\n"
              "5 3 3 blue\n");
}

TEST(ColoursCli, ReadsAFileAndPrintsNothingForPlainText)
{
    const std::string path = ::testing::TempDir() + "colours_cli_test.ncd";
    {
        std::ofstream f(path, std::ios::binary);
        f << "%\nG01 X1.\n(OPEN";  // an NC program with LF line ends
    }
    CliRun r = runZorvanCli({"colours", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2 0 5 green\n");
    std::remove(path.c_str());

    CliRun plain = runZorvanCli({"colours", "--pass", "line"}, "G01 X1.\r\nY2.\r\n");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "");
}

TEST(ColoursCli, RefusesBadPassesAndOutputOptions)
{
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"colours", "--pass", "some"}, {"colours", "--pass"}, {"colours", "-o", "x.txt"},
             {"colours", "--in-place", "a.ncd"}}) {
        CliRun r = runZorvanCli(args, kProgram);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("usage"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    CliRun missing = runZorvanCli({"colours", "/nonexistent/dir/a.ncd"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("/nonexistent/dir/a.ncd"), std::string::npos);
}

}  // namespace
