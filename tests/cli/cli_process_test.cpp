// zorvan-cli as a process, against hostile surroundings: outputs that fail, devices and pipes as
// targets, a disk that fills up, a file truncated while it is read. Each case is a shell script
// run with $ZC (the tool) and $T (a fresh directory holding s.nc); exit 77 from the script means
// the machine cannot set the case up, and the case is skipped.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace {

struct ProcessCase {
    const char* name;
    const char* script;
    int status;             // expected exit status of the script
    const char* errHas;     // text the tool's standard error ($T/err) must hold, or ""
    const char* errLacks;   // text it must not hold, or ""
};

void PrintTo(const ProcessCase& c, std::ostream* os) { *os << c.name; }

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string toolPath()
{
    const char* dir = std::getenv("ZORVAN_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/cli/zorvan-cli";
}

class CliProcess : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(CliProcess, BehavesAsExpected)
{
    const ProcessCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string t = dir.path().toStdString();
    std::ofstream(t + "/s.nc", std::ios::binary) << "%\r\nG01X1.Y2.(FACE)\r\nX3.\r\n%\r\n";
    const std::string command = "ZC='" + toolPath() + "' T='" + t + "' /bin/sh -c '" + c.script + "' 2>>'" + t
                                + "/err'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << "killed by signal";
    const int status = WEXITSTATUS(raw);
    if (status == 77)
        GTEST_SKIP() << c.name << ": this machine cannot set the case up";
    const std::string err = slurp(t + "/err");
    EXPECT_EQ(status, c.status) << err;
    if (*c.errHas) {
        EXPECT_NE(err.find(c.errHas), std::string::npos) << err;
    }
    if (*c.errLacks) {
        EXPECT_EQ(err.find(c.errLacks), std::string::npos) << err;
    }
}

// Scripts run under /bin/sh inside single quotes: no single quotes in them.
INSTANTIATE_TEST_SUITE_P(Hostile, CliProcess, ::testing::Values(
    ProcessCase{"CatOntoAFullDevice", "$ZC cat $T/s.nc > /dev/full", 1, "No space left on device", ""},
    ProcessCase{"ShiftOntoAFullDevice", "$ZC shift --x 1 $T/s.nc > /dev/full", 1, "No space left on device", ""},
    ProcessCase{"ColoursOntoAFullDevice", "$ZC colours $T/s.nc > /dev/full", 1, "No space left on device", ""},
    ProcessCase{"DeskCalcOntoAFullDevice", "$ZC desk-calc 1+2= > /dev/full", 1, "No space left on device", ""},
    ProcessCase{"CatWithStandardOutputClosed", "$ZC cat $T/s.nc >&-", 1, "Bad file descriptor", ""},
    ProcessCase{"OutputIntoAPipeStaysAPipe",
                "mkfifo $T/p || exit 77; timeout 10 cat $T/p > $T/got & $ZC cat $T/s.nc -o $T/p; s=$?; wait;"
                " [ -p $T/p ] && cmp -s $T/got $T/s.nc || exit 9; exit $s",
                0, "", ""},
    ProcessCase{"OutputOntoACharacterDeviceStaysADevice",
                "mknod $T/null c 1 3 2>/dev/null || exit 77; $ZC cat $T/s.nc -o $T/null || exit $?;"
                " [ -c $T/null ] || exit 9",
                0, "", ""},
    ProcessCase{"OutputToStandardOutputThroughItsName",
                "{ $ZC cat $T/s.nc -o /dev/stdout; echo $? > $T/status; } | cat > $T/got;"
                " cmp -s $T/got $T/s.nc || exit 9; exit $(cat $T/status)",
                0, "", ""},
    ProcessCase{"InPlaceOnAPipeIsRefused", "mkfifo $T/p || exit 77; timeout 10 $ZC cat --in-place $T/p", 2,
                "--in-place", ""},
    ProcessCase{"AFullDiskNamesItsReasonAndLeavesNothing",
                "unshare -rm true 2>/dev/null || exit 77; mkdir $T/small; head -c 200000 /dev/zero > $T/big;"
                " unshare -rm /bin/sh -c \"mount -t tmpfs -o size=64k none $T/small && $ZC cat $T/big -o $T/small/out;"
                " s=\\$?; [ -z \\\"\\$(ls -A $T/small)\\\" ] || exit 9; exit \\$s\"",
                1, "No space left on device", "Unknown error"},
    ProcessCase{"AFileTruncatedWhileReadIsNeverACrash",
                "head -c 16000000 /dev/zero > $T/z; for i in 1 2 3 4 5; do cp $T/z $T/f;"
                " $ZC cat $T/f > /dev/null & sleep 0.0$i; truncate -s 0 $T/f; wait $!; s=$?;"
                " [ $s -le 1 ] || exit $s; done; exit 0",
                0, "", ""},
    ProcessCase{"AnEmptyFileNameGivesOnlyTheToolsMessage", "$ZC cat \"\"", 1, "zorvan-cli cat:", "QFSFileEngine"}),
    [](const ::testing::TestParamInfo<ProcessCase>& info) { return std::string(info.param.name); });

}  // namespace
