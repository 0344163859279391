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
    ProcessCase{"CatOntoAFullDevice", "$ZC cat $T/s.nc > /dev/full", 1, "ディスクに空きがありません", ""},
    ProcessCase{"ShiftOntoAFullDevice", "$ZC shift --x 1 $T/s.nc > /dev/full", 1, "ディスクに空きがありません", ""},
    ProcessCase{"ColoursOntoAFullDevice", "$ZC colours $T/s.nc > /dev/full", 1, "ディスクに空きがありません", ""},
    ProcessCase{"DeskCalcOntoAFullDevice", "$ZC desk-calc 1+2= > /dev/full", 1, "ディスクに空きがありません", ""},
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
                1, "ディスクに空きがありません", "Unknown error"},
    ProcessCase{"AFileTruncatedWhileReadIsNeverACrash",
                "head -c 16000000 /dev/zero > $T/z; for i in 1 2 3 4 5; do cp $T/z $T/f;"
                " $ZC cat $T/f > /dev/null & sleep 0.0$i; truncate -s 0 $T/f; wait $!; s=$?;"
                " [ $s -le 1 ] || exit $s; done; exit 0",
                0, "", ""},
    ProcessCase{"AnEmptyFileNameGivesOnlyTheToolsMessage", "$ZC cat \"\"", 1, "zorvan-cli cat:", "QFSFileEngine"}),
    [](const ::testing::TestParamInfo<ProcessCase>& info) { return std::string(info.param.name); });

// Hostile inputs of the second round: bounded work and memory, whole characters, exit statuses a
// script can trust. $T/s.nc holds "%", "G01X1.Y2.(FACE)", "X3.", "%".
INSTANTIATE_TEST_SUITE_P(Bounds, CliProcess, ::testing::Values(
    ProcessCase{"RepeatsOfAssignmentsAreCutShortWithTheirOwnStatus",
                "{ echo M98P5L2147483647; echo M30; echo O5; i=0; while [ $i -lt 200 ]; do echo \"#1=#1+1\";"
                " i=$((i+1)); done; echo M99; } > $T/r.nc; timeout 60 $ZC extents $T/r.nc",
                3, "繰り返しが多すぎます", ""},
    ProcessCase{"ANumberTooLargeForFixedDigitsIsStillPrinted",
                "printf \"G00X1%065dY0Z0\\r\\n\" 0 > $T/b.nc; $ZC extents $T/b.nc > $T/out || exit $?;"
                " grep -q \"^X 1.000e+65 1.000e+65\" $T/out || exit 9",
                0, "", ""},
    ProcessCase{"HalfACharacterToFindIsAUsageError",
                "printf \"(\\202\\240\\202\\240)\\r\\n\" > $T/sj.nc;"
                " $ZC replace --find \"$(printf \"\\202\")\" --with \"$(printf \"\\204\")\" $T/sj.nc",
                2, "--find", ""},
    ProcessCase{"AMacroTableThatDoublesTheTextStopsAtItsRow",
                "{ echo 1; echo T; echo 40; i=0; while [ $i -lt 40 ]; do echo a aa; i=$((i+1)); done; } > $T/m.list;"
                " printf \"a\\r\\n\" > $T/a.nc; $ZC macro --table T --list $T/m.list $T/a.nc > /dev/null",
                1, "変換表の 26 行目で結果が大きくなりすぎます", "bad_alloc"},
    ProcessCase{"AStreamedReplaceHoldsLittleWhateverTheReplacementsLength",
                "(ulimit -v 400000; $ZC --version > /dev/null) || exit 77;"
                " head -c 8000 /dev/zero | tr \"\\0\" A > $T/many.nc;"
                " (ulimit -v 400000; $ZC replace --find A --with \"$(head -c 100000 /dev/zero | tr \"\\0\" B)\""
                " $T/many.nc | wc -c > $T/n) || exit $?; [ $(cat $T/n) = 800000000 ] || exit 9",
                0, "8000", "bad_alloc"},
    ProcessCase{"StandardOutputByNameIsClosedToo", "$ZC cat -o /dev/stdout $T/s.nc >&-", 1, "Bad file descriptor", ""},
    ProcessCase{"DashAsOutputIsStandardOutput",
                "cd $T && $ZC cat -o - s.nc > got || exit $?; [ -e ./- ] && exit 9; cmp -s got s.nc || exit 8",
                0, "", ""},
    ProcessCase{"AnOptionACommandDoesNotTakeIsRefused",
                "cd $T && $ZC extents -o out.txt s.nc; s=$?; [ -e out.txt ] && exit 9; exit $s", 2, "-o", ""},
    ProcessCase{"HelpAfterACommandPrintsItsUsage",
                "$ZC shift --help > $T/out || exit $?; grep -q \"^usage: zorvan-cli shift\" $T/out || exit 9", 0, "",
                "unknown option"},
    ProcessCase{"StandardInputPastItsLimitIsRefused", "timeout 60 $ZC cat < /dev/zero > /dev/null", 1, "1024 MiB",
                ""},
    ProcessCase{"AListFileThatNeverEndsIsRefused", "timeout 60 $ZC macro --table T --list /dev/zero $T/s.nc", 1,
                "/dev/zero", "bad_alloc"},
    ProcessCase{"AFailedInPlaceWriteTellsNoCount",
                "unshare -rm true 2>/dev/null || exit 77; mkdir $T/small; head -c 40000 /dev/zero | tr \"\\0\" X > $T/x;"
                " unshare -rm /bin/sh -c \"mount -t tmpfs -o size=64k none $T/small && cp $T/x $T/small/f &&"
                " $ZC replace --find X --with Y --in-place $T/small/f 2> $T/e\";"
                " s=$?; cat $T/e >&2; grep -qx \"[0-9]*\" $T/e && exit 9; exit $s",
                1, "ディスクに空きがありません", ""},
    ProcessCase{"NoExtremeFoundIsSaid", "$ZC extreme --letter Z --method max $T/s.nc", 1, "見つかりません", ""},
    ProcessCase{"CallsTooDeepAreOneLineWithACount",
                "printf \"M98P1L10000\\nM30\\nO1\\nM98P1\\nM99\\n\" > $T/d.nc; $ZC extents $T/d.nc 2> $T/e;"
                " s=$?; cat $T/e >&2; [ $(wc -l < $T/e) -le 3 ] || exit 9; exit $s",
                1, "回)", ""}),
    [](const ::testing::TestParamInfo<ProcessCase>& info) { return std::string(info.param.name); });

// Hostile inputs of the third round: files that are not what they seem, files that must not be
// replaced behind their owner's back, and diffs that reproduce their files.
INSTANTIATE_TEST_SUITE_P(ThirdRound, CliProcess, ::testing::Values(
    ProcessCase{"AReadOnlyFileIsNotReplaced",
                "chmod 444 $T/s.nc; cp $T/s.nc $T/before; $ZC shift --x 1 --in-place $T/s.nc; s=$?;"
                " cmp -s $T/s.nc $T/before || exit 9; exit $s",
                1, "読み取り専用", ""},
    ProcessCase{"AnotherUsersWriteKeepsOwnerGroupAndMode",
                "chmod 777 $T; chown 0:65534 $T/s.nc; chmod 664 $T/s.nc;"
                " setpriv --reuid 65534 --regid 65534 --clear-groups $ZC --version > /dev/null 2>&1 || exit 77;"
                " setpriv --reuid 65534 --regid 65534 --clear-groups $ZC shift --x 1 --in-place $T/s.nc || exit $?;"
                " grep -q X2 $T/s.nc || exit 8; [ \"$(stat -c %u:%g:%a $T/s.nc)\" = 0:65534:664 ] || exit 9",
                0, "", ""},
    ProcessCase{"Utf16TextIsRefusedNotMangled",
                "printf \"\\377\\376G\\0000\\0001\\000\\r\\000\\n\\000\" > $T/u.nc; $ZC cat $T/u.nc > $T/out; s=$?;"
                " [ -s $T/out ] && exit 9; exit $s",
                1, "UTF-16", ""},
    ProcessCase{"DiffExactSeesAMissingFinalLineEnd",
                "printf \"X1\\r\\n\" > $T/a; printf X1 > $T/b; $ZC diff --exact $T/a $T/b > $T/d; s=$?;"
                " grep -q \"No newline at end of file\" $T/d || exit 9; exit $s",
                1, "", ""},
    ProcessCase{"DiffOutputPatchesMixedEndsIntoTheOtherFile",
                "printf \"X1\\r\\nX2\\nX3\\r\\nX4\\n\" > $T/a; printf \"X1\\r\\nX2\\nX9\\r\\nX4\\nX5\" > $T/b;"
                " $ZC diff --exact $T/a $T/b > $T/d; [ $? = 1 ] || exit 8; cp $T/a $T/c;"
                " patch -s --binary $T/c $T/d >&2 || exit 7; cmp -s $T/c $T/b || exit 9",
                0, "", ""},
    ProcessCase{"APipeNobodyReadsIsRefusedNotWaitedOn",
                "mkfifo $T/p || exit 77; timeout 30 $ZC cat $T/s.nc -o $T/p", 1, "読み手のいないパイプ", ""},
    ProcessCase{"DiffReadsAPipeNamedAsAFile", "cat $T/s.nc | $ZC diff $T/s.nc /dev/stdin", 0, "", ""},
    ProcessCase{"DiffRefusesAnEndlessDevice", "timeout 60 $ZC diff $T/s.nc /dev/zero", 2, "1024 MiB", ""},
    ProcessCase{"HelpGivesExitStatusesAndTimeouts",
                "$ZC receive --help > $T/out || exit $?; grep -q \"^exit status\" $T/out || exit 8;"
                " grep -q \"^timeouts\" $T/out || exit 9; $ZC diff --help | grep -q \"^exit status\" || exit 10",
                0, "", ""}),
    [](const ::testing::TestParamInfo<ProcessCase>& info) { return std::string(info.param.name); });

}  // namespace
