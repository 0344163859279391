// The program's summary by tool against distances and times worked out by hand, and the same
// through zorvan-cli info (text and JSON).
#include "inspect/logic/program_info.h"
#include "support/cli_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

// Rapids at 10,000 per minute (the preview's rate), feeds at F.
const char* const kTwoTools =
    "O10\r\n"                          // 0
    "(T1 FLAT D10)\r\n"                // 1
    "T1M06\r\n"                        // 2
    "G90G00X0Y0Z10.S1000M03\r\n"       // 3  first point: the tool came from a place not told
    "G01Z0F100\r\n"                    // 4  feed 10 at F100: 6 s
    "X30.\r\n"                         // 5  feed 30: 18 s
    "G00Z10.\r\n"                      // 6  rapid 10: 0.06 s
    "T2M06 (DRILL D5)\r\n"             // 7
    "G00X0Y0\r\n"                      // 8  rapid 30: 0.18 s
    "G01Z-5.F50S2000\r\n"              // 9  feed 15 at F50: 18 s
    "M30\r\n";                         // 10

TEST(InspectInfo, DistancesAndTimesByTool)
{
    const inspect::ProgramInfo info = inspect::summarizeProgram(kTwoTools);
    EXPECT_EQ(info.programNumber, "O10");
    EXPECT_EQ(info.lines, 11);
    EXPECT_EQ(info.blocks, 10);
    ASSERT_EQ(info.tools.size(), 2u);
    const inspect::ToolSummary& t1 = info.tools[0];
    EXPECT_EQ(t1.tool, 1);
    EXPECT_EQ(t1.comment, "T1 FLAT D10");
    EXPECT_EQ(t1.firstLine, 2);
    EXPECT_EQ(t1.lastLine, 6);
    EXPECT_DOUBLE_EQ(t1.feedDistance, 40);
    EXPECT_DOUBLE_EQ(t1.rapidDistance, 10);
    EXPECT_NEAR(t1.feedTime, 24, 1e-9);
    EXPECT_NEAR(t1.rapidTime, 0.06, 1e-9);
    EXPECT_EQ(t1.speeds, std::vector<double>{1000});
    EXPECT_EQ(t1.feeds, std::vector<double>{100});
    EXPECT_EQ(t1.extents.min[0], 0);
    EXPECT_EQ(t1.extents.max[0], 30);
    EXPECT_EQ(t1.extents.min[2], 0);
    EXPECT_EQ(t1.extents.max[2], 10);
    const inspect::ToolSummary& t2 = info.tools[1];
    EXPECT_EQ(t2.tool, 2);
    EXPECT_EQ(t2.comment, "DRILL D5");
    EXPECT_EQ(t2.firstLine, 7);
    EXPECT_EQ(t2.lastLine, 10);
    EXPECT_DOUBLE_EQ(t2.feedDistance, 15);
    EXPECT_DOUBLE_EQ(t2.rapidDistance, 30);
    EXPECT_NEAR(t2.feedTime, 18, 1e-9);
    EXPECT_NEAR(t2.rapidTime, 0.18, 1e-9);
    EXPECT_EQ(t2.speeds, std::vector<double>{2000});
    EXPECT_EQ(t2.extents.min[0], 0);  // the rapid from the last tool's place counts to this tool
    EXPECT_EQ(t2.extents.max[0], 30);
    EXPECT_EQ(t2.extents.min[2], -5);
    EXPECT_DOUBLE_EQ(info.totals.feedDistance, 55);
    EXPECT_DOUBLE_EQ(info.totals.rapidDistance, 40);
    EXPECT_NEAR(info.totals.feedTime, 42, 1e-9);
    EXPECT_NEAR(info.totals.rapidTime, 0.24, 1e-9);
    EXPECT_EQ(info.totals.firstLine, 2);
    EXPECT_EQ(info.totals.lastLine, 10);
}

// Arcs count their true length, subprogram repeats count each run, G95 feeds per revolution.
TEST(InspectInfo, ArcsRepeatsAndFeedPerRevolution)
{
    const inspect::ProgramInfo info = inspect::summarizeProgram(
        "G90G00X0Y0Z0\r\n"
        "G01X10.F600\r\n"           // 10 at 600: 1 s
        "G03X-10.R10.\r\n"          // half circle of radius 10: 10 pi at 600
        "M98P5L3\r\n"
        "G95S1000F0.1 G01X0Y0\r\n"  // 10 at 100 per minute: 6 s
        "M30\r\n"
        "O5\r\n"
        "G91G00Y1.\r\n"             // 1 rapid each run
        "G90M99\r\n");
    ASSERT_EQ(info.tools.size(), 1u);
    const inspect::ToolSummary& t = info.tools[0];
    EXPECT_EQ(t.tool, 0);
    EXPECT_NEAR(t.feedDistance, 10 + 10 * M_PI + std::hypot(10, 3), 1e-9);
    EXPECT_NEAR(t.rapidDistance, 3, 1e-9);
    EXPECT_NEAR(t.feedTime, 1 + 10 * M_PI / 10 + std::hypot(10, 3) / 100 * 60, 1e-9);
    EXPECT_NEAR(t.rapidTime, 3.0 / 10000 * 60, 1e-9);
}

TEST(InspectInfo, CommandLine)
{
    const CliRun json = runZorvanCli({"info", "--format", "json"}, kTwoTools);
    ASSERT_EQ(json.status, 0) << json.err;
    QJsonParseError error{};
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    const QJsonArray tools = root["tools"].toArray();
    ASSERT_EQ(tools.size(), 2);
    const QJsonObject t1 = tools[0].toObject();
    EXPECT_EQ(t1["tool"].toInt(), 1);
    EXPECT_EQ(t1["comment"].toString(), "T1 FLAT D10");
    EXPECT_EQ(t1["first_line"].toInt(), 2);
    EXPECT_EQ(t1["last_line"].toInt(), 6);
    EXPECT_DOUBLE_EQ(t1["feed_distance"].toDouble(), 40);
    EXPECT_DOUBLE_EQ(t1["rapid_distance"].toDouble(), 10);
    EXPECT_NEAR(t1["feed_time"].toDouble(), 24, 1e-9);
    EXPECT_NEAR(t1["rapid_time"].toDouble(), 0.06, 1e-9);
    EXPECT_EQ(t1["extents"].toObject()["max"].toArray()[0].toDouble(), 30);
    const QJsonObject totals = root["totals"].toObject();
    EXPECT_DOUBLE_EQ(totals["feed_distance"].toDouble(), 55);
    EXPECT_NEAR(totals["time"].toDouble(), 42.24, 1e-9);
    EXPECT_EQ(root["program"].toString(), "O10");

    const CliRun text = runZorvanCli({"info"}, kTwoTools);
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("T1\tT1 FLAT D10\t2\t6\t40\t10\t0:00:24\t0:00:00\tX0〜30 Y0〜0 Z0〜10\t1000\t100\n"), std::string::npos)
        << text.out;
    EXPECT_EQ(runZorvanCli({"info", "--format", "xml"}, kTwoTools).status, 2);
}

}  // namespace
