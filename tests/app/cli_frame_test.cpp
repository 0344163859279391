#include "support/cli_run.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

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

struct UsageCase {
    std::vector<std::string> args;
    const char* named;  // the text the message must name
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

// Values that once ran for minutes, wrapped around or overflowed are refused before any work.
TEST_P(CliUsage, IsRefusedNamingTheValue)
{
    const UsageCase& c = GetParam();
    CliRun r = runZorvanCli(c.args, "G01X1.\r\nX2.\r\n");  // 13 characters
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Options, CliUsage, ::testing::Values(
    UsageCase{{"shift", "--decimal-number", "2147483647"}, "2147483647"},
    UsageCase{{"shift", "--decimal-number", "4294967297"}, "4294967297"},
    UsageCase{{"shift", "--decimal-number", "9"}, "--decimal-number"},
    UsageCase{{"shift", "--decimal-number", "-1"}, "--decimal-number"},
    UsageCase{{"shift", "--decimal-view", "3"}, "--decimal-view"},
    UsageCase{{"shift", "--select", "0:-9223372036854775808"}, "--select"},
    UsageCase{{"shift", "--select", "9223372036854775807:9223372036854775807"}, "--select"},
    UsageCase{{"shift", "--x", "1", "--select", "99999999:1"}, "--select"},
    UsageCase{{"shift", "--select", "3:-2"}, "--select"},
    UsageCase{{"shift", "--select", "-1:2"}, "--select"},
    UsageCase{{"shift", "--select", "10:4"}, "--select"},
    UsageCase{{"cat", "--caret", "14"}, "--caret"},
    UsageCase{{"cat", "--encoding", "latin1"}, "--encoding"},
    UsageCase{{"extreme", "--letter", "X", "--method", "max", "--select", "99999999:1"}, "--select"},
    UsageCase{{"extreme", "--letter", "X", "--method", "max", "--caret", "-1"}, "--caret"}));

TEST(CliFrame, ASelectionUpToTheEndOfTheTextIsAccepted)
{
    CliRun r = runZorvanCli({"shift", "--x", "1", "--decimal-view", "2", "--select", "8:5"}, "G01X1.\r\nX2.\r\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "G01X1.\r\nX3.0\r\n");
}

TEST(CliFrame, AnOutputThatFailsIsAFailure)
{
    for (const char* command : {"cat", "desk-calc", "--version"}) {
        std::istringstream in("X1.\r\n");
        std::ostringstream out, err;
        out.setstate(std::ios::badbit);
        zorvan::cli::Io io{in, out, err, [] { return std::string("ディスクに空きがありません"); }};
        std::vector<std::string> args{command};
        if (args[0] == "desk-calc")
            args.push_back("1+2=");
        EXPECT_EQ(zorvan::cli::runCli(args, io), 1) << command;
        EXPECT_NE(err.str().find("ディスクに空きがありません"), std::string::npos) << command << err.str();
    }
}

TEST(CliFrame, LineEndsOfOneStyleAreKept)
{
    // A file whose breaks share one style is written back in it; a mix becomes CR LF throughout.
    struct Case {
        const char* name;
        std::string bytes;
        std::string cat;
        std::string shifted;  // X moved by 1
    };
    const Case cases[] = {
        {"LF", "X1\nX2\n", "X1\nX2\n", "X2.0\nX3.0\n"},
        {"CR", "X1\rX2\r", "X1\rX2\r", "X2.0\rX3.0\r"},
        {"CR LF", "X1\r\nX2", "X1\r\nX2", "X2.0\r\nX3.0"},
        {"% LF", "%\nX1\n\n", "%\nX1\n\n", "%\nX2.0\n\n"},
        {"% lone CR is text", "%\rX1\r", "%\rX1\r", "%\rX2.0\r"},
        {"mixed", "X1\nX2\r\nX3\r", "X1\r\nX2\r\nX3\r\n", "X2.0\r\nX3.0\r\nX4.0\r\n"},
        {"% mixed", "%\nX1\r\n", "%\r\nX1\r\n", "%\r\nX2.0\r\n"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ncd");
    for (const Case& c : cases) {
        EXPECT_EQ(runZorvanCli({"cat"}, c.bytes).out, c.cat) << c.name;
        EXPECT_EQ(runZorvanCli({"shift", "--x", "1", "--decimal-view", "2"}, c.bytes).out, c.shifted) << c.name;
        writeFile(path, c.bytes);
        EXPECT_EQ(runZorvanCli({"shift", "--x", "1", "--decimal-view", "2", "--in-place", path.toStdString()}).status, 0);
        EXPECT_EQ(fileBytes(path), c.shifted) << c.name;
    }
}
