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
            "G00Z-5.\r\nG01Z2.\r\nZ-[#1+2]\r\nZ-3.\r\n(--)\r\n", ""},
    // The literal exchange: a letter pass, the marker pass and the "--" pass, comments included.
    CliCase{{"swap", "--from", "Z", "--to", "-", "--whole-file", "--letters-only"},
            "G00Z5.\r\nG01Z-2.\r\nZ[#1+2]\r\nZ+3.\r\n(--)\r\n", 0,
            "G00Z-5.\r\nG01Z2.\r\nZ-[#1+2]\r\nZ-+3.\r\n()\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "Y", "--whole-file", "--letters-only"},
            "G02X1.Y2.I1.(X1)\r\n", 0, "G02Y1.X2.I1.(Y1)\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "Y", "--whole-file"},
            "G17G02X-0.771Y-1.406I0.5J0.(X1)\r\nX1.Y2.I1.\r\n", 0,
            "G17G03Y-0.771X-1.406J0.5I0.(X1)\r\nY1.X2.J1.\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "Y", "--select", "14:9"}, "G02X1.Y2.I1.\r\nX3.Y4.I1.\r\n", 1, "",
            "zorvan-cli swap: 1 行目: G02/G03 の行が範囲の前にあるか平面が変わった円弧の続きなので、"
            "回りの向きを書き換えられません\n"},
    // From the caret without --whole-file; a selection limits the range.
    CliCase{{"swap", "--from", "X", "--to", "Y", "--caret", "4"}, "X1\r\nX2\r\n", 0, "X1\r\nY2\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "Y", "--select", "0:2"}, "X1\r\nX2\r\n", 0, "Y1\r\nX2\r\n", ""},
    CliCase{{"swap", "--from", "I", "--to", "J", "--whole-file"}, "G02I1.J2.\r\n", 0, "G02J1.I2.\r\n", ""},
    CliCase{{"swap", "--from", "X", "--to", "X", "--whole-file"}, "X1\r\n", 0, "X1\r\n", ""},
    CliCase{{"swap", "--from", "Q", "--to", "X"}, "X1\r\n", 2, "",
            "zorvan-cli swap: --from must be one of X Y Z A B C I J K R: 'Q'\n"
            "usage: zorvan-cli swap --from A --to B [--whole-file] [--letters-only] [FILE]\n"}));

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
    // A UTF-8 document is written back in UTF-8, with its mark; read as Shift-JIS, it holds no "工具".
    CliCase{{"replace", "--find", "工具", "--with", "ツール", "--from-top"}, "\xEF\xBB\xBF(工具 T1)\r\n", 0,
            "\xEF\xBB\xBF(ツール T1)\r\n", "1\n"},
    CliCase{{"replace", "--find", "工具", "--with", "TOOL", "--encoding", "sjis"}, "(工具 T1)\r\n", 0,
            "(工具 T1)\r\n", "0\n"},
    CliCase{{"replace", "--with", "Y"}, "X1\r\n", 2, "",
            "zorvan-cli replace: missing --find\n"
            "usage: zorvan-cli replace --find S --with T [--from-top] [FILE]\n"}));

// "\x85\x40" and "\x85X" are two-byte codes that make no character: each is one opaque marker, so
// no command reads its trail byte as an "@" or a letter, matches inside it or rewrites it.
struct MarkerCase {
    std::vector<std::string> args;
    const char* input;
    const char* out;
};

class MarkerCli : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerCli, CommandsLeaveByteMarkersAlone)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("sets.list"), "1\r\nS\r\n1\r\nQ\r\n");
    writeFile(dir.filePath("tables.list"), "1\r\nT\r\n1\r\nX Y\r\n");
    std::vector<std::string> args = GetParam().args;
    if (args[0] == "fill" || args[0] == "macro")
        args.insert(args.end(), {"--list", dir.filePath(args[0] == "fill" ? "sets.list" : "tables.list").toStdString()});
    const CliRun run = runZorvanCli(args, GetParam().input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Commands, MarkerCli, ::testing::Values(
    MarkerCase{{"swap", "--from", "X", "--to", "Y", "--whole-file"}, "X1\x85\x40Y2\x85X3\r\n", "Y1\x85\x40X2\x85X3\r\n"},
    MarkerCase{{"swap", "--from", "Z", "--to", "-", "--whole-file"}, "Z1\x85\x40\x85Z2\r\n", "Z-1\x85\x40\x85Z2\r\n"},
    MarkerCase{{"replace", "--find", "@", "--with", "A"}, "\x85\x40@\r\n", "\x85\x40" "A\r\n"},
    MarkerCase{{"extreme", "--letter", "X", "--method", "max", "--whole-file"}, "\x85X99\r\nX1\r\n", "1 0 X1\n"},
    MarkerCase{{"shift", "--x", "1"}, "\x85X1.\r\n", "\x85X1.\r\n"},
    MarkerCase{{"arith", "--letter", "X", "--op", "2X"}, "\x85X1.\r\n", "\x85X1.\r\n"},
    MarkerCase{{"rotate", "--z", "1.5707963267948966"}, "\x85X1.Y0\r\n", "\x85X1.Y0\r\n"},
    MarkerCase{{"fill", "--set", "S"}, "\x85\x40$1\r\n", "\x85\x40Q\r\n"},
    MarkerCase{{"macro", "--table", "T"}, "\x85X1\r\n", "\x85X1\r\n"}));

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
        "\xEF\xBB\xBF%\r\n(工具 T1)G01\r\n",               // UTF-8 with a mark
        "(工具 T1)G01\nG01\xff\n",                        // no mark: Shift-JIS, for the stray byte
        big,
    };
    const std::vector<std::string> replacements[] = {
        {"--find", "G01", "--with", "G1", "--from-top"},
        {"--find", "G01", "--with", "", "--from-top"},
        {"--find", "工具", "--with", "TOOL"},
        {"--find", "G01", "--with", "G01\r\nG01"},          // a replacement that adds a line
        {"--find", "1", "--with", "\xF0\x9F\x98\x80"},   // an emoji cannot be written
        {"--find", "G01\r\nG01X", "--with", ";"},         // matches across line ends
        {"--find", "工具", "--with", "TOOL", "--encoding", "utf8"},
        {"--find", "工具", "--with", "TOOL", "--encoding", "sjis"},
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
