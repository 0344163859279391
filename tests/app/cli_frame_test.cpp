#include "support/cli_run.h"

#include <gtest/gtest.h>




TEST(CliFrame, CatWritesTheDocumentBack)
{
    CliRun r = runZorvanCli({"cat"}, "%\r\nG01X1.\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "%\r\nG01X1.\r\n");
}

TEST(CliFrame, MalformedCommandLinesAreUsageErrors)
{
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {"nosuch"}, {"cat", "--bogus"}, {"cat", "--select", "3"}, {"cat", "--caret", "x"},
             {"cat", "--in-place"}, {"cat", "--force-decimal", "maybe"}, {"cat", "a", "b"}}) {
        CliRun r = runZorvanCli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args.back());
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
}

TEST(CliFrame, VersionAndHelp)
{
    CliRun v = runZorvanCli({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, std::string("zorvan-cli ") + ZORVAN_VERSION + "\n");
    CliRun h = runZorvanCli({"--help"});
    EXPECT_NE(h.out.find("desk-calc"), std::string::npos);
}

TEST(CliFrame, AMissingFileIsAFailureNamingIt)
{
    CliRun r = runZorvanCli({"cat", "/nonexistent/dir/a.ncd"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("/nonexistent/dir/a.ncd"), std::string::npos);
}
