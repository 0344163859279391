// zorvan-cli swap, extreme and replace.
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliCase {
    std::vector<std::string> args;
    const char* input;
    int status;
    const char* out;
    const char* err;
};

class SearchCli : public ::testing::TestWithParam<CliCase> {};

TEST_P(SearchCli, Runs)
{
    const CliCase& c = GetParam();
    CliRun run = runZorvanCli(c.args, c.input);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
}

const char* const kZ = "G00Z50.\r\nG01Z-2.5F100\r\nZ-10.\r\nZ10.\r\n";

INSTANTIATE_TEST_SUITE_P(Swap, SearchCli, ::testing::Values(
    CliCase{{"swap", "--from", "X", "--to", "Y", "--whole-file"},
            "G01X10.Y-5.\r\nX.5Y.5\r\nG65P9000X#101\r\n(MAX)\r\n", 0,
            "G01Y10.X-5.\r\nY.5X.5\r\nG65P9000Y#101\r\n(MAX)\r\n", ""},
    CliCase{{"swap", "--from", "Z", "--to", "-", "--whole-file"},
            "G00Z5.\r\nG01Z-2.\r\nZ[#1+2]\r\nZ+3.\r\n(--)\r\n", 0,
            "G00Z-5.\r\nG01Z2.\r\nZ-[#1+2]\r\nZ-+3.\r\n()\r\n", ""},
    // From the caret without --whole-file; a selection limits the range.
    CliCase{{"swap", "--from", "X", "--to", "Y", "--caret", "4"}, "X1\r\nX2\r\n", 0, "X1\r\nY2\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "Y", "--select", "0:2"}, "X1\r\nX2\r\n", 0, "Y1\r\nX2\r\n", ""},
    CliCase{{"swap", "--from", "I", "--to", "J", "--whole-file"}, "G02I1.J2.\r\n", 0, "G02J1.I2.\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "X", "--whole-file"}, "X1\r\n", 0, "X1\r\n", ""},
    CliCase{{"swap", "--from", "Q", "--to", "X"}, "X1\r\n", 2, "",
            "zorvan-cli swap: --from must be one of X Y Z A B C I J K R: 'Q'\n"
            "usage: zorvan-cli swap --from A --to B [--whole-file] [FILE]\n"}));

INSTANTIATE_TEST_SUITE_P(Extreme, SearchCli, ::testing::Values(
    CliCase{{"extreme", "--letter", "Z", "--method", "max", "--whole-file"}, kZ, 0, "0 3 Z50.\n", ""},
    CliCase{{"extreme", "--letter", "Z", "--method", "min", "--whole-file"}, kZ, 0, "2 0 Z-10.\n", ""},
    CliCase{{"extreme", "--letter", "Z", "--method", "absmax", "--whole-file"}, kZ, 0, "0 3 Z50.\n", ""},
    CliCase{{"extreme", "--letter", "Z", "--method", "absmin", "--whole-file"}, kZ, 0, "1 3 Z-2.5\n", ""},
    CliCase{{"extreme", "--letter", "X", "--method", "absmin", "--whole-file"}, "X5.\r\nX-5.\r\n", 0, "0 0 X5.\n", ""},
    CliCase{{"extreme", "--letter", "Z", "--method", "max", "--caret", "9"}, kZ, 0, "3 0 Z10.\n", ""},
    CliCase{{"extreme", "--letter", "X", "--method", "max", "--whole-file"}, "(\x93\xfa\x96{)X1-2X-\r\nX3\r\n", 0, "1 0 X3\n", ""},
    CliCase{{"extreme", "--letter", "X", "--method", "max", "--whole-file"}, "X-\r\nY1\r\n", 1, "", "見つかりません\n"},
    CliCase{{"extreme", "--letter", "X", "--method", "top"}, "X1\r\n", 2, "",
            "zorvan-cli extreme: --method must be one of max min absmax absmin: 'top'\n"
            "usage: zorvan-cli extreme --letter L --method max|min|absmax|absmin [--whole-file] [FILE]\n"}));

INSTANTIATE_TEST_SUITE_P(Replace, SearchCli, ::testing::Values(
    CliCase{{"replace", "--find", "X", "--with", "Y"}, "G01X1.X2.X3.", 0, "G01Y1.Y2.Y3.", "3\n"},
    CliCase{{"replace", "--find", "X", "--with", "XX", "--from-top", "--caret", "5"}, "G01X1.X2.X3.\r\n", 0,
            "G01XX1.XX2.XX3.\r\n", "3\n"},
    CliCase{{"replace", "--find", "X", "--with", "Y", "--caret", "5"}, "G01X1.X2.X3.\r\n", 0, "G01X1.Y2.Y3.\r\n", "2\n"},
    CliCase{{"replace", "--find", "G01", "--with", "G1", "--from-top"}, "G01X1.\r\nG00Z5.\r\nG01Y1.\r\n", 0,
            "G1X1.\r\nG00Z5.\r\nG1Y1.\r\n", "2\n"},
    CliCase{{"replace", "--find", "x", "--with", "Y"}, "X1\r\n", 0, "X1\r\n", "0\n"},
    CliCase{{"replace", "--find", "", "--with", "Y"}, "X1\r\n", 0, "X1\r\n", "0\n"},
    // The document is Shift-JIS on disk, the search text UTF-8 like every argument.
    CliCase{{"replace", "--find", "工具", "--with", "TOOL", "--from-top"}, "(\x8d" "H\x8b\xef T1)\r\n", 0,
            "(TOOL T1)\r\n", "1\n"},
    CliCase{{"replace", "--with", "Y"}, "X1\r\n", 2, "",
            "zorvan-cli replace: missing --find\n"
            "usage: zorvan-cli replace --find S --with T [--from-top] [FILE]\n"}));

// A replace-all from the top of a FILE to standard output passes the file through in pieces; it
// must write what the whole-document run (the same program on standard input) writes.
TEST(ReplaceCli, AFileReplacedInPiecesGivesTheWholeDocumentsResult)
{
    std::string big = "%\r\n";
    for (int i = 0; big.size() < (3u << 20); ++i)
        big += "G01X" + std::to_string(i) + ".(\x8d" "H\x8b\xef)G01\r\n";
    const std::string files[] = {
        "%\r\nG01X1.\r\nG00Z5.\r\nG01Y1.",          // match in the last line, no final break
        "%\nG01X1.\nG01Y2.\n",                        // LF breaks stay LF
        "G01X1\rG01\r\nG01\n",                         // a mix is written with CR LF
        "%\r\nG01\rG01\r\n",                          // a CR that is text
        "(\x8d" "H\x8b\xef T1)G01\xff\r\n",              // Shift-JIS and a marker byte
        big,
    };
    const std::vector<std::string> replacements[] = {
        {"--find", "G01", "--with", "G1", "--from-top"},
        {"--find", "G01", "--with", "", "--from-top"},
        {"--find", "工具", "--with", "TOOL"},
        {"--find", "G01", "--with", "G01\r\nG01"},          // a replacement that adds a line
        {"--find", "1", "--with", "\xF0\x9F\x98\x80"},   // an emoji cannot be written
        {"--find", "G01\r\nG01X", "--with", ";"},         // matches across line ends
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ncd");
    for (const std::string& bytes : files) {
        writeFile(path, bytes);
        for (const auto& options : replacements) {
            std::vector<std::string> args{"replace"};
            args.insert(args.end(), options.begin(), options.end());
            const CliRun whole = runZorvanCli(args, bytes);
            args.push_back(path.toStdString());
            const CliRun streamed = runZorvanCli(args);
            const std::string what = bytes.substr(0, 20) + " with " + options[1] + " -> " + options[3];
            EXPECT_EQ(streamed.status, whole.status) << what;
            EXPECT_TRUE(streamed.out == whole.out) << what;
            EXPECT_EQ(streamed.err, whole.err) << what;
        }
    }
}

}  // namespace
