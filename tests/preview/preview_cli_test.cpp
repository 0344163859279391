// zorvan-cli extents and path.
#include "support/cli_run.h"

#include <gtest/gtest.h>

namespace {

struct ExtentsCase {
    const char* name;
    std::vector<std::string> args;
    const char* input;
    int status;
    const char* out;
    const char* err;
};

TEST(PreviewCli, Extents)
{
    const ExtentsCase cases[] = {
        {"first move by its end, unprogrammed axes as 0", {"extents"}, "G01X5.Y-5.F100\r\n", 0,
         "X 5.000 5.000\nY -5.000 -5.000\nZ 0.000 0.000\n", ""},
        {"arcs at their true extremes", {"extents"}, "G00X10.Y0Z0\r\nG02X-10.Y0R10.F100\r\n", 0,
         "X -10.000 10.000\nY -10.000 0.000\nZ 0.000 0.000\n", ""},
        {"nothing before the axes are known", {"extents"}, "G91G28Z0.\r\nG90G00X10.Y5.\r\nG43Z20.H1\r\nG01Z-2.F100\r\n",
         0, "X 10.000 10.000\nY 5.000 5.000\nZ -2.000 20.000\n", ""},
        {"feed moves with their whole path", {"extents", "--moves", "feed"},
         "G00X0Y0Z50.\r\nG01Z-1.F100\r\nG00Z50.\r\nX100.\r\n", 0, "X 0.000 0.000\nY 0.000 0.000\nZ -1.000 50.000\n",
         ""},
        {"cycle feeds count as feeds", {"extents", "--moves", "feed"}, "G00X0Y0Z50.\r\nG99G81X10.Z-5.R2.F100\r\n", 0,
         "X 10.000 10.000\nY 0.000 0.000\nZ -5.000 2.000\n", ""},
        {"every move with --moves all", {"extents", "--moves", "all"}, "G00X0Y0Z50.\r\nG99G81X10.Z-5.R2.F100\r\n", 0,
         "X 0.000 10.000\nY 0.000 0.000\nZ -5.000 50.000\n", ""},
        {"a tiny negative shows no sign", {"extents"}, "G00X-0.0004Y-0.0006Z0\r\n", 0,
         "X 0.000 0.000\nY -0.001 -0.001\nZ 0.000 0.000\n", ""},
        {"no move: nothing, status 1", {"extents"}, "(ONLY A COMMENT)\r\nM30\r\n", 1, "", ""},
        {"only rapids with --moves feed", {"extents", "--moves", "feed"}, "G00X1.\r\nX2.\r\n", 1, "", ""},
        {"diagnostics after the extents, by 0-based line", {"extents"}, "G00X1.Y0Z0\r\nGOTO5\r\n", 0,
         "X 1.000 1.000\nY 0.000 0.000\nZ 0.000 0.000\n",
         "1: 分岐と繰り返し(IF/GOTO/WHILE)は追えません。この行を飛ばします\n"},
        {"bad --moves", {"extents", "--moves", "rapid"}, "G00X1.\r\n", 2, "", nullptr},
        // The path: one vertex a line; an arc's chords, its end with its centre and direction.
        {"path of moves and a half circle", {"path"}, "G00X0Y0Z1.\r\nG01Z0F100\r\nG03X0.02Y0I0.01J0\r\n", 0,
         "0 rapid 0.0000 0.0000 1.0000\n1 feed 0.0000 0.0000 0.0000\n"
         "2 arc 0.0029 -0.0071 0.0000\n2 arc 0.0100 -0.0100 0.0000\n2 arc 0.0171 -0.0071 0.0000\n"
         "2 arc 0.0200 0.0000 0.0000 centre 0.0100 0.0000 0.0000 G03 G17\n", ""},
        {"path of the feeds only", {"path", "--moves", "feed"}, "G00X0Y0Z1.\r\nG01Z0F100\r\nG00Z5.\r\n", 0,
         "1 feed 0.0000 0.0000 0.0000\n", ""},
        {"path of a reference return jumps", {"path"}, "G00X0Y0Z1.\r\nG28Z5.\r\nG00Z2.\r\n", 0,
         "0 rapid 0.0000 0.0000 1.0000\n1 rapid 0.0000 0.0000 5.0000\njump 2 rapid 0.0000 0.0000 2.0000\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CliRun run = runZorvanCli(c.args, c.input);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
        if (c.err) {
            EXPECT_EQ(run.err, c.err);
        }
    }
}

}  // namespace
