// Comparing programs: which pairs are equal under which options, where the differences are, the
// words that differ, and the line alignment against GNU diff's on random edits of a program.
#include "app/logic/memory_editor.h"
#include "compare/logic/line_key.h"
#include "compare/logic/program_compare.h"
#include "nc/logic/renumber.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/test_files.h"

using namespace zorvan::compare;

namespace {

CompareOptions exact() { return {false, false, false, false, false}; }
CompareOptions with(bool CompareOptions::*member, CompareOptions options = exact())
{
    options.*member = true;
    return options;
}

// The blocks as text: "=n" equal lines, "-a+b" a change of a lines into b.
std::string shape(const Alignment& alignment)
{
    std::string text;
    for (const Block& block : alignment.blocks)
        text += block.changed ? "-" + std::to_string(block.aCount) + "+" + std::to_string(block.bCount) + " "
                              : "=" + std::to_string(block.aCount) + " ";
    return text;
}

TEST(CompareTexts, PairsUnderOptions)
{
    const CompareOptions defaults;
    struct Case {
        const char* what;
        std::string a, b;
        CompareOptions options;
        std::string shape;
    };
    const Case cases[] = {
        {"renumbered, N ignored", "N10G00X0\r\nN20G01X5.\r\nN30M30", "N100G00X0\r\nN110G01X5.\r\nN120M30",
         with(&CompareOptions::ignoreSequenceNumbers), "=3 "},
        {"a new N with its blank, N ignored", "G0 X1\r\nM08\r\nG0X1", "N10 G0 X1\r\nN20M08\r\nN30G0X1",
         with(&CompareOptions::ignoreSequenceNumbers), "=3 "},
        {"only the blank after the N goes with it", "G0 X1\r\nG0 X1", "N10  G0 X1\r\nG0N10 X1",
         with(&CompareOptions::ignoreSequenceNumbers), "=1 -1+1 "},
        {"renumbered, N compared", "N10G00X0\r\nN20G01X5.\r\nN30M30", "N100G00X0\r\nN110G01X5.\r\nN120M30", exact(),
         "-3+3 "},
        {"formatting only, by value", "G01X10Y-.5Z0.\r\nF200", "G01 X10.000 Y-0.50 Z-0\r\nF200.", defaults, "=2 "},
        {"formatting only, exact", "X10\r\nY2", "X10.\r\nY2", exact(), "-1+1 =1 "},
        {"changed sign", "G00X0\r\nG01X5.Y3.\r\nM30", "G00X0\r\nG01X-5.Y3.\r\nM30", defaults, "=1 -1+1 =1 "},
        {"swapped axis", "G00X0\r\nG01X5.Y3.\r\nM30", "G00X0\r\nG01Y5.X3.\r\nM30", defaults, "=1 -1+1 =1 "},
        {"removed block", "A1\r\nA2\r\nA3\r\nA4\r\nA5", "A1\r\nA2\r\nA5", exact(), "=2 -2+0 =1 "},
        {"moved block", "A1\r\nB1\r\nB2\r\nA2\r\nA3\r\nA4", "A1\r\nA2\r\nA3\r\nB1\r\nB2\r\nA4", exact(),
         "=1 -2+0 =2 -0+2 =1 "},
        {"Japanese comment changed", "(工具 T1)\r\nG00X0", "(工具 T2)\r\nG00X0", defaults, "-1+1 =1 "},
        {"Japanese comment ignored", "G00X0(荒加工)\r\nM30", "G00X0(仕上げ)\r\nM30",
         with(&CompareOptions::ignoreComments), "=2 "},
        {"case ignored", "g01x5.\r\nm30", "G01X5.\r\nM30", with(&CompareOptions::ignoreCase), "=2 "},
        {"case compared", "g01x5.\r\nM30", "G01X5.\r\nM30", exact(), "-1+1 =1 "},
        {"blanks ignored", "G01 X5.\r\n\tM30", "G01X5.\r\nM30", with(&CompareOptions::ignoreBlanks), "=2 "},
        {"blanks in a comment ignored", "(TOOL  1)", "(TOOL 1)", with(&CompareOptions::ignoreBlanks), "=1 "},
        {"blanks in a comment compared", "(TOOL  1)", "(TOOL 1)", exact(), "-1+1 "},
        {"case in a comment ignored", "(Tool 1)", "(TOOL 1)", with(&CompareOptions::ignoreCase), "=1 "},
        {"case in a comment compared", "(Tool 1)", "(TOOL 1)", exact(), "-1+1 "},
        {"nines by value", "X9.\r\nX19.5\r\nY-99.90", "X9.0\r\nX19.50\r\nY-99.9", with(&CompareOptions::numbersByValue),
         "=3 "},
        {"a number not read as one stays as written", "X1.2.3", "X1.2", defaults, "-1+1 "},
        {"an empty number is not zero", "X", "X0", defaults, "-1+1 "},
        {"LF and CR LF breaks", "A\nB\n", "A\r\nB", exact(), "=2 "},
        {"an empty side", "", "A\r\nB", exact(), "-0+2 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shape(compareTexts(c.a, c.b, c.options)), c.shape) << c.what;
}

TEST(CompareTexts, NumberKeys)
{
    const std::pair<const char*, const char*> cases[] = {
        {"10", "10"}, {"10.", "10"}, {"10.000", "10"}, {"010.50", "10.5"}, {".5", "0.5"}, {"-.0", "0"},
        {"-0", "0"}, {"-12.5", "-12.5"}, {"", ""}, {"-", "-"}, {".", "."}, {"1.2.3", "1.2.3"},
        {"10.0000000000000001", "10"}, {"0.30000000000000001", "0.3"},
    };
    for (const auto& [text, key] : cases) {
        std::string out;
        appendNumberKey(out, text);
        EXPECT_EQ(out, key) << text;
    }
}

// Programs as posts write them, renumbered: with N words ignored (and blanks compared) each is
// still equal to its copy, whether its blocks write their words apart or together.
TEST(CompareTexts, RenumberedProgramsAreEqualWithNIgnored)
{
    const std::string programs[] = {
        // Fusion 360: blanks, one-word blocks, comments.
        "%\r\nO1001 (POCKET)\r\n(T1 D=6. CR=0. - ZMIN=-5. - FLAT END MILL)\r\nG90 G94 G17\r\nG21\r\n"
        "(2D POCKET1)\r\nT1 M6\r\nS5000 M3\r\nG54\r\nM8\r\nG0 X10. Y5.\r\nZ15.\r\nG1 Z-1. F300.\r\n"
        "X20.\r\nG0 Z15.\r\nM9\r\nG28 G91 Z0.\r\nG90\r\nM30\r\n%\r\n",
        // Mastercam: numbered already, words apart.
        "%\r\nO0100\r\nN100 G20\r\nN102 G0 G17 G40 G49 G80 G90\r\nM8\r\nN104 T1 M6\r\nG0 X1. Y0.\r\nN106 M30\r\n%\r\n",
        // A control's own style: words together, blocks of one word.
        "O2000\r\nG90G54G00X0Y0\r\nM03S1200\r\nG43H1Z50.\r\nM08\r\nG01Z-2.F100\r\nX50.\r\nM09\r\nM30\r\n",
        // Nothing but blocks of one word.
        "M08\r\nG80\r\nM30\r\n",
    };
    const CompareOptions ignoringN = with(&CompareOptions::ignoreSequenceNumbers);
    for (const std::string& text : programs) {
        for (const zorvan::nc::RenumberOptions& renumber :
             {zorvan::nc::RenumberOptions{}, zorvan::nc::RenumberOptions{.start = 1, .step = 1, .width = 4}}) {
            zorvan::MemoryEditor editor(text);
            zorvan::nc::renumberProgram(editor, renumber, zorvan::nc::Recolour::None);
            const std::string renumbered = editor.text();
            EXPECT_NE(renumbered, text);
            EXPECT_TRUE(compareTexts(text, renumbered, ignoringN).same()) << renumbered;
            EXPECT_FALSE(compareTexts(text, renumbered, exact()).same());
        }
    }
}

TEST(CompareTexts, WordsThatDiffer)
{
    const CompareOptions defaults;
    CompareOptions noComments = defaults;
    noComments.ignoreComments = true;
    struct Case {
        std::string a, b;
        std::vector<std::string> left, right;  // the boxed texts
        CompareOptions options = CompareOptions{};
    };
    const Case cases[] = {
        {"G01X5.Y3.", "G01X-5.Y3.", {"X5."}, {"X-5."}},
        {"G01X5.Y3.F200", "G01Y5.X3.F200.", {"X5.Y3."}, {"Y5.X3."}},
        {"G00X0(粗)", "G00 X0.000 (仕上)", {"(粗)"}, {"(仕上)"}},
        // Words the options leave out are boxed on neither side.
        {"G01 X5. (A) Y3.", "G01X5.Y4.", {"Y3."}, {"Y4."}, noComments},
        {"G01X5.Y3.", "G01 X5. (A) Y4.", {"Y3."}, {"Y4."}, noComments},
    };
    for (const Case& c : cases) {
        const WordDiff diff = wordDiff(c.a, c.b, c.options);
        std::vector<std::string> left, right;
        for (const WordSpan& s : diff.left)
            left.push_back(c.a.substr(s.begin, s.end - s.begin));
        for (const WordSpan& s : diff.right)
            right.push_back(c.b.substr(s.begin, s.end - s.begin));
        EXPECT_EQ(left, c.left) << c.a;
        EXPECT_EQ(right, c.right) << c.b;
    }
}

// A program of distinct moves with some repeated lines, as CAM output has.
std::vector<std::string> program(std::mt19937& random, int lines)
{
    std::vector<std::string> out{"%", "O1000(TEST)", "G90G54G17"};
    std::uniform_int_distribution<int> coordinate(-9999, 9999), pick(0, 9);
    while (static_cast<int>(out.size()) < lines) {
        const int p = pick(random);
        if (p == 0)
            out.push_back("G00Z5.");
        else if (p == 1)
            out.push_back("(工具 T" + std::to_string(coordinate(random) & 7) + ")");
        else
            out.push_back("G01X" + std::to_string(coordinate(random)) + ".Y" + std::to_string(coordinate(random)) + ".");
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// Lines removed plus lines added: the size of an edit script.
std::size_t editSize(const Alignment& alignment)
{
    std::size_t size = 0;
    for (const Block& block : alignment.blocks)
        if (block.changed)
            size += block.aCount + block.bCount;
    return size;
}

TEST(CompareTexts, AlignsRandomEditsAsGnuDiffDoes)
{
    QTemporaryDir dir;
    std::mt19937 random(28);
    struct Options {
        CompareOptions ours;
        QStringList gnu;
    };
    const Options options[] = {{exact(), {}}, {with(&CompareOptions::ignoreCase), {"-i"}},
                               {with(&CompareOptions::ignoreBlanks), {"-w"}}};
    for (int round = 0; round < 30; ++round) {
        const std::vector<std::string> a = program(random, 1000);
        std::vector<std::string> b = a;
        std::uniform_int_distribution<int> edits(1, 12);
        std::size_t moves = 0;
        for (int e = edits(random); e > 0; --e) {
            std::uniform_int_distribution<std::size_t> at(0, b.size() - 1);
            switch (random() % 5) {
            case 0: b.erase(b.begin() + static_cast<long>(at(random))); break;
            case 1: b.insert(b.begin() + static_cast<long>(at(random)), "G01X" + std::to_string(random() % 999) + "."); break;
            case 2: b[at(random)] += "F100"; break;
            case 3: b.insert(b.begin() + static_cast<long>(at(random)), "G00Z5."); break;
            default: {  // moves a few lines
                ++moves;
                const std::size_t from = at(random);
                const std::vector<std::string> moved(b.begin() + static_cast<long>(from),
                                                     b.begin() + static_cast<long>(std::min(from + 3, b.size())));
                b.erase(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + moved.size()));
                b.insert(b.begin() + static_cast<long>(at(random) % (b.size() + 1)), moved.begin(), moved.end());
            }
            }
        }
        if (round % 3 == 1)
            for (auto& line : b)
                if (line[0] == 'G' && random() % 4 == 0)
                    line = line.substr(0, 3) + " " + line.substr(3);  // a blank only -w forgives
        const std::string textA = joined(a), textB = joined(b);
        writeFile(dir.filePath("a"), textA);
        writeFile(dir.filePath("b"), textB);
        for (const Options& o : options) {
            QProcess diff;
            diff.start("diff", o.gnu + QStringList{"--minimal", dir.filePath("a"), dir.filePath("b")});
            ASSERT_TRUE(diff.waitForFinished());
            std::size_t gnuSize = 0;
            for (const QByteArray& line : diff.readAllStandardOutput().split('\n'))
                gnuSize += line.startsWith("< ") || line.startsWith("> ");
            const Alignment ours = compareTexts(textA, textB, o.ours);
            // As small as GNU's minimal script, moved lines or not.
            EXPECT_EQ(editSize(ours), gnuSize) << "round " << round << ' ' << o.gnu.join(' ').toStdString() << ' '
                                               << moves;
            EXPECT_EQ(ours.same(), diff.exitCode() == 0);
        }
    }
}

// A program as CAM systems write it: operations with their comment blocks, and many lines that
// repeat ("G0 Z3.", "Z0.1", "G1 Z-1. F300.") between unique moves.
std::vector<std::string> camProgram(std::mt19937& random, int operations)
{
    std::vector<std::string> out{"%", "O1001 (PART)", "(T1 D=6. CR=0. - ZMIN=-5. - flat end mill)", "G90 G94 G17",
                                 "G21"};
    std::uniform_int_distribution<int> coordinate(0, 400), moves(5, 40);
    for (int op = 0; op < operations; ++op) {
        for (const char* line : {"(2D CONTOUR)", "(MACHINE: GENERIC)", "T1 M6", "S8000 M3", "G54", "M8"})
            out.push_back(line);
        for (int m = moves(random); m > 0; --m) {
            switch (random() % 6) {
            case 0: out.push_back("G0 Z3."); break;
            case 1: out.push_back("Z0.1"); break;
            case 2: out.push_back("G1 Z-1. F300."); break;
            default:
                out.push_back("X" + std::to_string(coordinate(random)) + "." + std::to_string(random() % 10) + " Y" +
                              std::to_string(coordinate(random)) + ".");
            }
        }
        for (const char* line : {"G0 Z3.", "M9", "G28 G91 Z0.", "G90"})
            out.push_back(line);
    }
    out.push_back("M30");
    out.push_back("%");
    return out;
}

// Lines that GNU diff marks (removed plus added) with `options`.
std::size_t gnuMarked(const QString& a, const QString& b, const QStringList& options)
{
    QProcess diff;
    diff.start("diff", options + QStringList{a, b});
    diff.waitForFinished();
    std::size_t marked = 0;
    for (const QByteArray& line : diff.readAllStandardOutput().split('\n'))
        marked += line.startsWith("< ") || line.startsWith("> ");
    return marked;
}

// With nothing ignored the compare marks no more lines than GNU diff does by default, and as few
// as its minimal script: random edits of CAM programs (changed, added and removed lines, moved
// and repeated operations, coordinates shifted throughout), past the size dtl is given whole.
TEST(CompareTexts, NeverMarksMoreLinesThanGnuDiff)
{
    QTemporaryDir dir;
    std::mt19937 random(38);
    for (int round = 0; round < 24; ++round) {
        const std::vector<std::string> a = camProgram(random, 10 + round * 3);
        std::vector<std::string> b = a;
        std::uniform_int_distribution<int> edits(1, 20);
        for (int e = edits(random); e > 0; --e) {
            std::uniform_int_distribution<std::size_t> at(1, b.size() - 1);
            const std::size_t where = at(random);
            switch (random() % 6) {
            case 0: b.erase(b.begin() + static_cast<long>(where)); break;
            case 1: b.insert(b.begin() + static_cast<long>(where), "G0 Z3."); break;
            case 2: b[where] = "X" + std::to_string(random() % 400) + ". Y1."; break;
            case 3: b.insert(b.begin() + static_cast<long>(where), "Z0.1"); break;
            case 4: {  // an operation's lines moved elsewhere
                const std::size_t count = std::min<std::size_t>(3 + random() % 30, b.size() - where);
                const std::vector<std::string> moved(b.begin() + static_cast<long>(where),
                                                     b.begin() + static_cast<long>(where + count));
                b.erase(b.begin() + static_cast<long>(where), b.begin() + static_cast<long>(where + count));
                const std::size_t to = 1 + random() % (b.size() - 1);
                b.insert(b.begin() + static_cast<long>(to), moved.begin(), moved.end());
                break;
            }
            default: {  // a comment block written again
                const std::vector<std::string> block{"(2D CONTOUR)", "(MACHINE: GENERIC)", "T1 M6"};
                b.insert(b.begin() + static_cast<long>(where), block.begin(), block.end());
            }
            }
        }
        if (round % 4 == 3)  // every move of the revision shifted: few lines left in common
            for (auto& line : b)
                if (line[0] == 'X' && random() % 3 != 0)
                    line = "X1" + line.substr(1);
        const std::string textA = joined(a), textB = joined(b);
        writeFile(dir.filePath("a"), textA);
        writeFile(dir.filePath("b"), textB);
        const std::size_t ours = editSize(compareTexts(textA, textB, exact()));
        EXPECT_LE(ours, gnuMarked(dir.filePath("a"), dir.filePath("b"), {})) << "round " << round;
        EXPECT_EQ(ours, gnuMarked(dir.filePath("a"), dir.filePath("b"), {"--minimal"})) << "round " << round;
    }
}

// Each option, switched from its default and stored, comes back so after a restart.
TEST(CompareOptionsStore, EachOptionComesBackAsStored)
{
    bool CompareOptions::*const members[] = {&CompareOptions::ignoreSequenceNumbers, &CompareOptions::ignoreBlanks,
                                             &CompareOptions::numbersByValue, &CompareOptions::ignoreComments,
                                             &CompareOptions::ignoreCase};
    for (bool CompareOptions::*const switched : members) {
        CompareOptions stored;
        stored.*switched = !(stored.*switched);
        writeCompareOptions(stored);
        const CompareOptions read = readCompareOptions();
        for (bool CompareOptions::*const member : members)
            EXPECT_EQ(read.*member, stored.*member);
    }
    writeCompareOptions(CompareOptions{});
}

TEST(CompareTexts, UnrelatedProgramsAreSaidToBeTooDifferent)
{
    std::mt19937 random(7);
    std::string a, b;
    // Long enough that the shortest script is past the work allowed: no line is unique either.
    for (int i = 0; i < 30000; ++i) {
        a += "G01X" + std::to_string(i % 50) + "\n";
        b += "G01X" + std::to_string((i * 7) % 50) + "\n";
    }
    const Alignment alignment = alignLines(lineKeys(a, exact()).keys, lineKeys(b, exact()).keys, 1 << 18);
    EXPECT_GT(alignment.unalignedLines, 0u);
    EXPECT_FALSE(alignment.same());
}

// A block repeated over and over has no unique line to anchor on; two lines changed far apart in it
// are still found as two changes, not the whole stretch between them.
TEST(CompareTexts, ARepeatedBlockWithTwoChangesIsAligned)
{
    std::string a, b;
    for (int i = 0; i < 200000; ++i) {
        const std::string line = "G01X" + std::to_string(i % 10) + ".\n";
        a += line;
        b += i == 100000 ? "G01X99.\n" : i == 140003 ? "G00Z5.\n" : line;
    }
    const Alignment alignment = alignLines(lineKeys(a, exact()).keys, lineKeys(b, exact()).keys);
    EXPECT_EQ(alignment.unalignedLines, 0u);
    EXPECT_EQ(alignment.differences(), 2u);
}

}  // namespace

// A side keyed after the other, taking the other's keys for the same lines, gets the keys it would
// get on its own: lines added, removed and changed near and far (past the few lines looked around),
// breaks of either kind, a last line without a break.
TEST(CompareTexts, KeysTakenFromTheOtherSideAreItsOwn)
{
    std::string known;
    for (int i = 0; i < 60; ++i)
        known += "X" + std::to_string(i) + ".Y" + std::to_string(i % 7) + (i % 9 == 0 ? "\n" : "\r\n");
    const std::string cases[] = {
        known,
        "G01\r\n" + known,
        known.substr(known.find('\n', 300) + 1),
        known.substr(0, 200) + "M30\r\nM30\r\n" + known.substr(200),
        known.substr(0, 100) + known.substr(400),
        known.substr(0, 150) + std::string(30, '\n') + known.substr(150) + "X1.",
        "",
    };
    const CompareOptions options = with(&CompareOptions::numbersByValue);
    const LineKeys knownKeys = lineKeys(known, options);
    for (const std::string& text : cases) {
        const LineKeys own = lineKeys(text, options), taken = lineKeysLike(text, options, known, knownKeys);
        EXPECT_EQ(taken.keys, own.keys) << text;
        ASSERT_EQ(taken.spans.size(), own.spans.size());
        for (std::size_t i = 0; i < own.spans.size(); ++i)
            EXPECT_EQ(taken.spans[i], own.spans[i]);
    }
}
