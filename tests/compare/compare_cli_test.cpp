// zorvan-cli diff: exit status as diff's, and the unified diff of the original bytes, hunk for
// hunk the same as GNU diff -u prints for the exact options.
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The output without its two header lines (they carry the files' times).
std::string hunks(const std::string& unified)
{
    std::size_t at = 0;
    for (int header = 0; header < 2 && at != std::string::npos; ++header)
        at = unified.find('\n', at) + 1;
    return at == 0 ? std::string() : unified.substr(at);
}

TEST(DiffCommand, StatusAndOutput)
{
    QTemporaryDir dir;
    const std::string sjisComment = "(\x8D\x48\x8B\xEF)";  // (工具) in Shift-JIS
    const std::string longLine = "G01" + std::string(70000, '1') + "\n";  // longer than 64 kB
    struct Case {
        const char* what;
        std::string a, b;
        std::vector<std::string> options;
        int status;
        bool likeGnu;  // the hunks are GNU diff -u's
    };
    const Case cases[] = {
        {"renumbered, --ignore-n", "N10G00X0\r\nN20M30\r\n", "N1G00X0\r\nN2M30\r\n", {"--ignore-n"}, 0, false},
        {"numbered with a blank, --ignore-n", "G0 X1\r\nM30\r\n", "N10 G0 X1\r\nN20 M30\r\n", {"--ignore-n"}, 0, false},
        {"renumbered", "N10G00X0\r\nN20M30\r\n", "N1G00X0\r\nN2M30\r\n", {}, 1, true},
        {"formatting by value", "X10Y5\r\n", "X10.000Y5.\r\n", {}, 0, false},
        {"formatting, --exact", "X10Y5\r\n", "X10.000Y5.\r\n", {"--exact"}, 1, true},
        {"Shift-JIS kept", sjisComment + "\r\nG00X0\r\nM30\r\n", sjisComment + "\r\nG00X1\r\nM30\r\n", {}, 1, true},
        {"UTF-8 kept", "(工具)\r\nG00X0\r\n", "(工具)\r\nG00X1\r\n", {}, 1, true},
        {"--encoding sjis", sjisComment + "\r\nX0\r\n", sjisComment + "\r\nX1\r\n", {"--encoding", "sjis"}, 1, true},
        {"no break at the end", "A\nB\nC", "A\nB\nD", {}, 1, true},
        {"two hunks and a joined one",
         "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n",
         "1\nx\n3\n4\n5\n6\n7\n8\ny\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\nz\n", {"--exact"}, 1, true},
        {"a long line kept", "A\n" + longLine + "B\n" + longLine, "A\n" + longLine + "C\n" + longLine, {}, 1, true},
        {"--by-value and --exact", "A\n", "A\n", {"--by-value", "--exact"}, 2, false},
        {"unknown option", "A\n", "A\n", {"--what"}, 2, false},
    };
    for (const Case& c : cases) {
        writeFile(dir.filePath("a.ncd"), c.a);
        writeFile(dir.filePath("b.ncd"), c.b);
        std::vector<std::string> args{"diff"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(dir.filePath("a.ncd").toStdString());
        args.push_back(dir.filePath("b.ncd").toStdString());
        const CliRun run = runZorvanCli(args);
        EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
        if (c.status == 0) {
            EXPECT_EQ(run.out, "") << c.what;
        }
        if (!c.likeGnu)
            continue;
        QProcess gnu;
        gnu.start("diff", {"-u", dir.filePath("a.ncd"), dir.filePath("b.ncd")});
        ASSERT_TRUE(gnu.waitForFinished());
        EXPECT_EQ(hunks(run.out), hunks(gnu.readAllStandardOutput().toStdString())) << c.what;
        EXPECT_EQ(run.out.rfind("--- " + args[args.size() - 2] + "\t", 0), 0u) << c.what;
    }
}

TEST(DiffCommand, AFileThatCannotBeReadIsTrouble)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a.ncd"), "A\n");
    const CliRun run = runZorvanCli({"diff", dir.filePath("a.ncd").toStdString(), dir.filePath("none").toStdString()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("none"), std::string::npos);
}

}  // namespace

namespace {

// Compared by value, a word whose number cannot be read is compared as written and told, with its
// side and line, where the lines differ; compared exactly, nothing is read as a value or told.
TEST(DiffCommand, UnreadableNumbersAreTold)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a.ncd"), "G0X3..5\r\nN210 .\r\nX1.\r\n");
    writeFile(dir.filePath("b.ncd"), "G0X3..50\r\nN210 .\r\nX1.000\r\n");
    const std::string a = dir.filePath("a.ncd").toStdString(), b = dir.filePath("b.ncd").toStdString();
    const CliRun byValue = runZorvanCli({"diff", a, b});
    EXPECT_EQ(byValue.status, 1);
    const std::string told = ": 読めない数値の語は書かれたとおりに比べます:\n0 行目 ";
    EXPECT_EQ(byValue.err, "zorvan-cli diff: " + a + told + "X3..5 (小数点が二つ)\nzorvan-cli diff: " + b + told +
                               "X3..50 (小数点が二つ)\n");
    const CliRun exact = runZorvanCli({"diff", "--exact", a, b});
    EXPECT_EQ(exact.status, 1);
    EXPECT_EQ(exact.err, "");
}

}  // namespace
