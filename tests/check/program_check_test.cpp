// The program check, rule by rule: a program that triggers the rule (the finding on the right
// line) and look-alikes that must not; the re-check after an edit against a whole check; the
// generated benchmark program; zorvan-cli check.
#include "bench/support/generated_program.h"
#include "check/logic/check_settings.h"
#include "check/logic/program_check.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

namespace {

using namespace zorvan::check;

std::string program(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

struct RuleCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::uint32_t> expected;  // lines of the rule's findings
    std::function<void(CheckOptions&)> adjust = {};
};

// Runs `cases` with only `rule` switched on.
void checkRule(Rule rule, const std::vector<RuleCase>& cases)
{
    for (const RuleCase& c : cases) {
        CheckOptions options;
        options.enabled.fill(false);
        options.enabled[static_cast<std::size_t>(rule)] = true;
        if (c.adjust)
            c.adjust(options);
        const std::vector<Finding> findings = checkProgram(program(c.lines), options);
        std::vector<std::uint32_t> lines;
        for (const Finding& f : findings) {
            EXPECT_EQ(f.rule, rule) << c.name;
            EXPECT_FALSE(f.message.empty()) << c.name;
            lines.push_back(f.line);
        }
        EXPECT_EQ(lines, c.expected) << ruleInfo(rule).id << ": " << c.name << (findings.empty() ? "" : "\n  " + findingLine(findings[0]));
    }
}

TEST(ProgramCheck, Words)
{
    checkRule(Rule::UnreadableWord, {
        {"a character no word can hold", {"G90", "G00X1.Y2.", "G01X3.Y*4.F100"}, {2}},
        {"an expression that does not close", {"G00X1.", "#1=[2+"}, {1}},
        {"malformed numbers: two points, a double point, a stray point, no digit, a sign after the point, a point alone",
         {"G00X3..5", "G00X2.5.7", "G00X1.Y0. .", "G00X.", "G00X5.-3", ".", "G00X1."}, {0, 1, 2, 3, 4, 5}},
        {"comments, blanks in words, signs and variables", {"G00X1.(X*Y)", "G01X+1. Y - 2.F100", "#1=2.", "G00X#1"}, {}},
    });
    checkRule(Rule::RepeatedLetter, {
        {"X twice", {"G00X1.Y2.", "G01X1.X2.F100"}, {1}},
        {"G00 and G01 together", {"G00G01X1."}, {0}},
        {"codes of different groups, a letter in a comment, two M codes, a macro call's I J K sets",
         {"G90G54G17G40G49G80", "G00X1.(X2.)", "M03M08", "G65P9010I1.J2.K3.I4.J5.K6."}, {}},
    });
    checkRule(Rule::UnknownCode, {
        {"a code the preview does not follow", {"G00X1.", "G07.1C10."}, {1}},
        {"setup codes and a macro call", {"G90G54G17G40G49G80G94", "G65P9010A1.", "G43H1Z5."}, {}},
    });
}

TEST(ProgramCheck, Arcs)
{
    checkRule(Rule::ArcOffCircle, {
        {"end 0.025 off its circle", {"G90G00X0Y0Z0", "G02X10.Y0.5I5.J0F100"}, {1}},
        {"end 0.001 off: within the tolerance", {"G90G00X0Y0Z0", "G02X10.Y0.1I5.J0F100"}, {}},
        {"0.025 off with a tolerance of 0.03", {"G90G00X0Y0Z0", "G02X10.Y0.5I5.J0F100"}, {}, [](CheckOptions& o) { o.arcTolerance = 0.03; }},
        {"incremental end, ZX plane, absolute centre (G90.1)",
         {"G90G00X0Y0Z0", "G91G02X10.Y0I5.F100", "G90G18G03X30.Z0I10.K0", "G17G90.1G02X40.Y0I35.J0"}, {}},
        {"start not known: not checked", {"G02X10.Y0.5I5.J0F100"}, {}},
    });
    checkRule(Rule::ArcRadiusShort, {
        {"R4 over a chord of 10", {"G90G00X0Y0", "G02X10.Y0R4.F100"}, {1}},
        {"R5 exactly half the chord, R-6 the long way", {"G90G00X0Y0", "G02X10.Y0R5.F100", "G03X0Y0R-6."}, {}},
    });
    checkRule(Rule::ArcWrongPlane, {
        {"K on a G17 arc", {"G90G00X0Y0", "G02X10.Y0I5.K0F100"}, {1}},
        {"K on a G18 arc", {"G90G00X0Z0", "G18G02X10.Z0I5.K0F100"}, {}},
    });
}

TEST(ProgramCheck, Motion)
{
    checkRule(Rule::NoFeed, {
        {"a feed move before any F: told once", {"G90G00X0Y0Z5.", "G01Z-1.", "X2."}, {1}},
        {"F given in an earlier block, also a rapid's", {"G90G00X0Y0Z5.F200", "G01Z-1."}, {}},
        {"a drilling cycle with its F", {"G81X0Y0Z-5.R2.F100", "X10."}, {}},
    });
    checkRule(Rule::SpindleStopped, {
        {"no M03 at all", {"T1M06", "G43H1Z50.", "G01X1.F100"}, {2}},
        {"after M05", {"M03S1000", "G01X1.F100", "M05", "G01X2."}, {3}},
        {"after a tool change", {"M03S1000", "T2M06", "G43H2Z50.", "G01X1.F100"}, {3}},
        {"M03 after the tool change", {"T1M06", "M03S1000", "G43H1Z50.", "G01X1.F100"}, {}},
        {"a control that keeps the spindle on through M06", {"M03S1000", "T2M06", "G43H2Z50.", "G01X1.F100"}, {},
         [](CheckOptions& o) { o.toolChangeStopsSpindle = false; }},
        {"rapids only with the spindle stopped", {"M05", "G00X1.Z5."}, {}},
        {"a subprogram after M30 starts with the caller's state",
         {"M03S1000", "M98P100", "M30", "O100", "G01X1.F100", "M99"}, {}},
    });
    checkRule(Rule::NoLengthOffset, {
        {"a cut after T1M06 without G43", {"T1M06", "M03S1000", "G01X1.F100"}, {2}},
        {"G49 before the cut", {"T1M06", "M03", "G43Z50.H1", "G49", "G01X1.F100"}, {4}},
        {"G43 H after the change", {"T1M06", "M03S1000", "G43Z50.H1", "G01X1.F100"}, {}},
        {"no tool change in the program", {"M03", "G01X1.F100"}, {}},
    });
    checkRule(Rule::OffsetNumber, {
        {"H2 for T1", {"T1M06", "G43Z50.H2"}, {1}},
        {"D13 for T3", {"T3M06", "G43H3Z5.", "G41D13X1."}, {2}},
        {"numbers of the tool", {"T1M06", "G43Z50.H1", "G41D1X1."}, {}},
    });
    checkRule(Rule::CompensationNoD, {
        {"G41 without D", {"G41X1.Y1."}, {0}},
        {"D in the block or before", {"G41D1X1.Y1.", "G40", "D2", "G42X1."}, {}},
    });
    checkRule(Rule::CompensationArcFirst, {
        {"an arc first", {"G90G00X0Y0", "G41D1", "G02X10.Y0I5.F100"}, {2}},
        {"a straight move first", {"G90G00X0Y0", "G41D1G01X1.F100", "G02X11.Y0I5."}, {}},
    });
    checkRule(Rule::CompensationOpen, {
        {"at a tool change", {"T1M06", "G41D1X1.", "T2M06", "G40"}, {2}},
        {"at the end", {"G41D1X1.", "M30"}, {1}},
        {"cancelled before", {"G41D1X1.", "G40X0", "T2M06", "M30"}, {}},
    });
}

TEST(ProgramCheck, StockAndTravel)
{
    const std::vector<std::string> cut = {"(T1 D6. FLAT)", "T1M06", "G00X-5.Y10.Z5.", "G01Z-2.F100", "X25.", "Y30.", "G00Z5.",
                                          "X10.Y20."};
    auto with = [&cut](std::vector<std::string> last) {
        auto lines = cut;
        lines.insert(lines.end(), last.begin(), last.end());
        return lines;
    };
    checkRule(Rule::RapidIntoStock, {
        {"a rapid down into material not cut", with({"Z-1."}), {8}},
        {"a rapid that stays above", with({"Z1."}), {}},
        {"a rapid down into the slot", with({"X10.Y10.", "Z-1."}), {}},
    });
    auto box = [](CheckOptions& o) { o.travel = TravelBox{{-100, -100, -50}, {100, 100, 100}}; };
    checkRule(Rule::OutsideTravel, {
        {"X150 past 100", {"G90G00X0Y0Z10.", "X150."}, {1}, box},
        {"incremental moves adding up", {"G90G00X0Y0Z10.", "G91X60.", "X60."}, {2}, box},
        {"on the limit", {"G90G00X0Y0Z10.", "X100.", "Z-50."}, {}, box},
        {"no travel set", {"G90G00X0Y0Z10.", "X1000."}, {}},
    });
}

TEST(ProgramCheck, Structure)
{
    checkRule(Rule::MissingProgram, {
        {"M98 of a program not here", {"M98P2000", "M30", "O3000", "M99"}, {0}},
        {"G65 of a program not here", {"G65P9010A1.", "M30"}, {0}},
        {"the program is here; P with a repeat count", {"M98P2000", "M98P30100", "M30", "O2000", "M99", "O0100", "M99"}, {}},
    });
    checkRule(Rule::MissingTarget, {
        {"GOTO 20 with no N20", {"#1=1", "GOTO20", "N10X1.", "M30"}, {1}},
        {"the target in another program", {"O1", "GOTO10", "M99", "O2", "N10X1.", "M99"}, {1}},
        {"IF ... GOTO with its target", {"#1=1", "IF[#1EQ1]GOTO10", "N10X1.", "M30"}, {}},
    });
    checkRule(Rule::DuplicateN, {
        {"a GOTO target twice", {"GOTO10", "N10X1.", "N10X2.", "M30"}, {2}},
        {"an M99 P target twice", {"M98P2", "N50X1.", "N50X2.", "M30", "O2", "M99P50"}, {2}},
        {"N numbers twice that nothing names", {"N10X1.", "N10X2.", "M30"}, {}},
    });
    checkRule(Rule::DuplicateO, {
        {"O1 twice", {"O1", "M99", "O1", "M99"}, {2}},
        {"two programs", {"O1", "M99", "O2", "M99"}, {}},
    });
    checkRule(Rule::NoEnd, {
        {"no end code", {"G00X1."}, {0}},
        {"M30 before a comment and an empty line", {"G00X1.", "M30", "(END)", ""}, {}},
        {"framed by %", {"%", "G00X1.", "M30", "%"}, {}},
        {"M99 ending a subprogram", {"O100", "G00X1.", "M99"}, {}},
    });
    checkRule(Rule::PercentFraming, {
        {"no closing %", {"%", "G00X1.", "M30"}, {2}},
        {"no opening %", {"G00X1.", "M30", "%"}, {0}},
        {"a % in the middle", {"%", "G00X1.", "%", "M30", "%"}, {2}},
        {"framed, % in a comment", {"%", "O1(%)", "M30", "%", ""}, {}},
        {"no % at all", {"G00X1.", "M30"}, {}},
    });
}

TEST(ProgramCheck, SettingsTextsRoundTrip)
{
    const auto box = parseTravel("X-10:500,Y0:400.5,Z-300:0");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->min[0], -10);
    EXPECT_EQ(box->max[1], 400.5);
    EXPECT_EQ(travelText(*box), "-10:500,0:400.5,-300:0");
    EXPECT_TRUE(parseTravel(travelText(*box)));
    for (const char* bad : {"", "0:1,0:1", "1:0,0:1,0:1", "0:1,0:1,0:1,", "a:1,0:1,0:1"})
        EXPECT_FALSE(parseTravel(bad)) << bad;
    std::string unknown;
    const auto rules = parseRuleList("no-feed, arc-off-circle", unknown);
    ASSERT_TRUE(rules);
    EXPECT_TRUE((*rules)[static_cast<std::size_t>(Rule::NoFeed)]);
    EXPECT_FALSE((*rules)[static_cast<std::size_t>(Rule::NoEnd)]);
    EXPECT_FALSE(parseRuleList("no-feed,nothing", unknown));
    EXPECT_EQ(unknown, "nothing");
}

// Lines changed one at a time in a long program: the re-check gives what a whole check gives,
// and runs few lines where the change leaves the state after it as it was.
TEST(ProgramCheck, RecheckAfterEditsMatchesWholeCheck)
{
    std::string text = zorvan::bench::generatedProgramText(30000);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t nl = text.find("\r\n", at);
        lines.push_back(text.substr(at, nl - at));
        at = nl + 2;
    }
    CheckOptions options;
    options.enabled[static_cast<std::size_t>(Rule::RapidIntoStock)] = false;
    ProgramCheck incremental(options);
    incremental.run(program(lines));
    std::mt19937 random(7);
    const std::vector<std::string> edits = {"G02X1.Y1.R0.1", "M05", "G01X5.Y5.", "G41X1.", "T7M06", "N10 GOTO 10", "", "G00X1.X2.",
                                            "#500=1", "O1000", "%", "M30"};
    for (int round = 0; round < 40; ++round) {
        const int at = static_cast<int>(random() % lines.size());
        const int kind = static_cast<int>(random() % 3);
        int first = at, last = at, delta = 0;
        const std::string edit = edits[random() % edits.size()];
        if (kind == 0) {
            lines[at] = edit;
        } else if (kind == 1) {
            lines.insert(lines.begin() + at, {edit, edit});
            last = at + 1;
            delta = 2;
        } else {
            lines.erase(lines.begin() + at, lines.begin() + at + 2);
            delta = -2;
        }
        const std::string now = program(lines);
        incremental.update(now, first, last, delta);
        ProgramCheck whole(options);
        whole.run(now);
        ASSERT_EQ(incremental.findings(), whole.findings()) << "round " << round << " at line " << at << " kind " << kind;
    }
    // A coordinate typed in a line of moves: the run stops where the old state comes back.
    lines[20000] = "X1.Y2.Z-1.";
    incremental.update(program(lines), 20000, 20000, 0);
    EXPECT_LT(incremental.linesRun(), 5000u);
}

// The generated program holds nothing a control would alarm on; its only findings are the first
// rapids of the program, which go down to Z-1 before the first G01 (lines 7 to 12).
TEST(ProgramCheck, GeneratedProgramIsCleanButForItsFirstRapids)
{
    const std::string text = zorvan::bench::generatedProgramText(20000);
    const std::vector<Finding> findings = checkProgram(text);
    for (const Finding& f : findings) {
        EXPECT_EQ(f.rule, Rule::RapidIntoStock) << findingLine(f);
        EXPECT_GE(f.line, 7u) << findingLine(f);
        EXPECT_LE(f.line, 12u) << findingLine(f);
    }
    EXPECT_FALSE(findings.empty());
}

TEST(ProgramCheck, CliPrintsFindingsAndExitStatus)
{
    const std::string dir = testing::TempDir();
    const std::string faulty = dir + "/check_faulty.ncd", clean = dir + "/check_clean.ncd";
    std::ofstream(faulty, std::ios::binary) << program({"%", "O1", "G90G00X0Y0Z5.", "G01Z-1.", "G02X10.Y0R4.", "M30", "%"});
    std::ofstream(clean, std::ios::binary) << program({"%", "O1", "M03S1000", "G90G00X0Y0Z5.", "G01Z1.F100", "M30", "%"});

    CliRun run = runZorvanCli({"check", faulty});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("3: error: G01 の送り速度 F が一度も指令されていません [no-feed]\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4: error: G02 R4 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[arc-radius-short]"), std::string::npos) << run.out;

    run = runZorvanCli({"check", "--rules", "arc-radius-short", "--format", "json", faulty});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\"errors\": 1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("{\"line\": 4, \"severity\": \"error\", \"rule\": \"arc-radius-short\", \"message\": \"G02 R4 "),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("no-feed"), std::string::npos) << run.out;

    run = runZorvanCli({"check", clean});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "");
    run = runZorvanCli({"check", "--travel", "0:10,0:10,-5:50", "--format", "json", clean});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\"findings\": []"), std::string::npos) << run.out;
    run = runZorvanCli({"check", "--travel", "0:10,0:10,2:50", clean});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("[outside-travel]"), std::string::npos) << run.out;

    EXPECT_EQ(runZorvanCli({"check", "--rules", "no-such-rule", clean}).status, 2);
    EXPECT_EQ(runZorvanCli({"check", "--travel", "10:0,0:10,0:1", clean}).status, 2);
    EXPECT_EQ(runZorvanCli({"check", "--format", "xml", clean}).status, 2);

    // A program that repeats forever is cut short by the interpreter's bounds.
    const std::string endless = dir + "/check_endless.ncd";
    std::vector<std::string> repeats = {"M98P5L2147483647", "M30", "O5"};
    for (int i = 0; i < 200; ++i)
        repeats.push_back("#1=[#1+1]*1");
    repeats.insert(repeats.end(), {"G91G00X1.", "M99"});
    std::ofstream(endless, std::ios::binary) << program(repeats);
    run = runZorvanCli({"check", "--rules", "rapid-into-stock", endless});
    EXPECT_EQ(run.status, 3) << run.out << run.err;
}

}  // namespace
