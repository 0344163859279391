// The placeholder pass and the macro pass on the in-memory editor, and through zorvan-cli.
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "lists/logic/list_passes.h"
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QDir>

#include <algorithm>
#include <functional>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::lists;

namespace {

// Counts the editor's edits, so a pass can be held to one.
class CountingEditor : public MemoryEditor {
public:
    using MemoryEditor::MemoryEditor;
    void replaceSelection(std::string_view utf8) override
    {
        ++edits;
        MemoryEditor::replaceSelection(utf8);
    }
    void setText(std::string_view utf8) override
    {
        ++edits;
        MemoryEditor::setText(utf8);
    }
    void adoptLinesText(int first, int count, std::string&& lines) override
    {
        ++edits;
        MemoryEditor::adoptLinesText(first, count, std::move(lines));
    }
    int edits = 0;
};

struct PassCase {
    std::string text;
    std::string result;
    long caret;
};

void expectPass(const PassCase& c, const std::function<void(TextEditor&)>& pass)
{
    CountingEditor editor(c.text);
    editor.setModified(false);
    editor.setSelection(1, 0);
    pass(editor);
    EXPECT_EQ(editor.text(), c.result) << c.text;
    EXPECT_EQ(editor.caret(), c.caret) << c.text;
    EXPECT_EQ(editor.isModified(), c.text != c.result) << c.text;
    EXPECT_LE(editor.edits, 1) << c.text;
}

const ValueSet kWorkedSet{"A", {"-10.0", "5.0", "200", "", "", "", "", "", ""}};

class PlaceholderPass : public ::testing::TestWithParam<PassCase> {};

TEST_P(PlaceholderPass, FillsAndRemovesMinusPairs)
{
    expectPass(GetParam(), [](TextEditor& editor) { runPlaceholderPass(editor, kWorkedSet); });
}

INSTANTIATE_TEST_SUITE_P(Lists, PlaceholderPass, ::testing::Values(
    PassCase{"G01X-$1Y$2F$3$4\r\n", "G01X10.0Y5.0F200\r\n", 4},
    PassCase{"#1=$$1\r\nX$0\r\nA$", "#1=$$1\r\nX$0\r\nA$", 0},
    PassCase{"(COST $A)X$2", "(COST $A)X5.0", 0},
    PassCase{"X--5\r\n", "X5\r\n", 1},
    PassCase{"N10---\r\nN20----\r\nN30", "N10-\r\nN20\r\nN30", 9},
    PassCase{"（$1）$2\r\nあ--", "（-10.0）5.0\r\nあ", 13},
    PassCase{"$9$8$7", "", 0},
    PassCase{"", "", 0}));

TEST(PlaceholderPassValues, InsertedValuesAreNotScannedAgainAndBreaksBecomeDocumentBreaks)
{
    const ValueSet set{"S", {"$2", "A\nB", "C\rD", "E\r\nF"}};  // four values: the rest are empty
    MemoryEditor editor("$1|$2|$3|$4|$5|$9\r\nZ");
    runPlaceholderPass(editor, set);
    EXPECT_EQ(editor.text(), "$2|A\r\nB|C\r\nD|E\r\nF||\r\nZ");
    EXPECT_EQ(editor.lineCount(), 5);
}

TEST(PlaceholderPassValues, ColoursTheLinesItWritesAndLeavesTheOthers)
{
    MemoryEditor editor("G00\r\nN10X$1\r\nY2\r\n");
    editor.setColour(0, 3, TextColour::Red);  // a colour the pass must leave alone
    runPlaceholderPass(editor, ValueSet{"S", {"(C)"}});
    EXPECT_EQ(editor.text(), "G00\r\nN10X(C)\r\nY2\r\n");
    EXPECT_EQ(editor.colourAt(0), TextColour::Red);
    EXPECT_EQ(editor.colourAt(5), TextColour::Blue);   // N10
    EXPECT_EQ(editor.colourAt(9), TextColour::Green);  // (C)
}

TEST(PlaceholderPassValues, ManyPlaceholdersAreOneEdit)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "X$1Y$2--Z$3\r\n";
    CountingEditor editor(text);
    runPlaceholderPass(editor, kWorkedSet);
    EXPECT_EQ(editor.edits, 1);
    EXPECT_EQ(editor.line(1999), "X-10.0Y5.0Z200");
}

// Long texts are worked on in pieces; the result, the caret and the lines kept must be those of
// the pass over the text as a whole.
struct LongCase {
    const char* what;
    std::vector<int> lines;  // the lines that get a placeholder and a minus pair
    bool finalBreak;
    bool keepsEdgeColours;  // false: the change spans most of the text, which is rewritten whole
    int count = 60000;      // lines: 60,000 are about 600 kB, 150,000 about 1.5 MB
};

class LongPlaceholderPass : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongPlaceholderPass, MatchesTheWholeTextPass)
{
    const int count = GetParam().count;
    std::string text;
    for (int i = 0; i < count; ++i) {
        const bool marked = std::count(GetParam().lines.begin(), GetParam().lines.end(), i) > 0;
        text += "X" + std::to_string(i) + (marked ? "$1--ダ" : "") + (i + 1 < count || GetParam().finalBreak ? "\r\n" : "");
    }
    MemoryEditor editor(text);
    editor.setColour(0, 1, TextColour::Red);
    const long lastChar = editor.length() - 1 - (GetParam().finalBreak ? 2 : 0);
    editor.setColour(lastChar, 1, TextColour::Red);
    runPlaceholderPass(editor, kWorkedSet);
    const PassResult whole = fillPlaceholders(text, kWorkedSet);
    EXPECT_EQ(editor.text(), whole.text) << GetParam().what;
    EXPECT_EQ(editor.caret(), countCharacters(std::string_view(whole.text).substr(0, whole.lastRemoval.value_or(0))));
    if (!GetParam().keepsEdgeColours)
        return;
    if (GetParam().lines.front() > 0) {
        EXPECT_EQ(editor.colourAt(0), TextColour::Red) << "a line before the first change keeps its colour";
    }
    if (GetParam().lines.back() < count - 1) {
        EXPECT_EQ(editor.colourAt(editor.length() - 1 - (GetParam().finalBreak ? 2 : 0)), TextColour::Red)
            << "a line after the last change keeps its colour";
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, LongPlaceholderPass, ::testing::Values(
    LongCase{"first and last lines", {0, 59999}, true, true},
    LongCase{"first and last lines, no final break", {0, 59999}, false, true},
    LongCase{"one line in the middle", {30000}, true, true},
    LongCase{"two lines in the first half", {100, 25000}, true, true},
    LongCase{"scattered", {5, 25000, 25001, 44444}, false, false},
    LongCase{"first and last of a longer text", {0, 149999}, true, false, 150000},
    LongCase{"first and last of a longer text, no final break", {1, 149999}, false, false, 150000},
    LongCase{"the middle of a longer text", {70000, 70001}, true, true, 150000}));

const TDoubleGrid kChain = [] {
    TDoubleGrid t;
    t.name = "T";
    t.addRow("#500", "#600");
    t.addRow("#600", "#700");
    t.addRow("", "never");      // an empty search text changes nothing
    t.addRow("A", "AA");        // the inserted text is not searched again by its row
    t.addRow("g01", "G01");     // case-sensitive
    t.addRow("M99", "--");      // a replacement "--" deletes by way of the minus pairs
    t.addRow("P\nQ", "PQ");     // a search text with a break matches across a line end
    return t;
}();

class MacroPass : public ::testing::TestWithParam<PassCase> {};

TEST_P(MacroPass, RowsChainInOrder)
{
    expectPass(GetParam(), [](TextEditor& editor) { runMacroPass(editor, kChain); });
}

INSTANTIATE_TEST_SUITE_P(Lists, MacroPass, ::testing::Values(
    PassCase{"#500=1\r\n#501=#500+2\r\n", "#700=1\r\n#501=#700+2\r\n", 0},
    PassCase{"A1A", "AA1AA", 0},
    PassCase{"X10.--Y5.\r\nN10---\r\nN10----", "X10.Y5.\r\nN10-\r\nN10", 18},
    PassCase{"G01g01\r\nM99X\r\n", "G01G01\r\nX\r\n", 8},
    PassCase{"NP\r\nQ\r\nR", "NPQ\r\nR", 0},
    PassCase{"G00\r\n", "G00\r\n", 0}));

TEST(MacroPassRows, ALongTextChangedThroughoutMatchesTheWholeTextPass)
{
    std::string text;
    for (int i = 0; i < 150000; ++i)
        text += (i % 7 ? "N" + std::to_string(i) + "G01X-" : std::string("#500--")) + "\r\n";
    MemoryEditor editor(text);
    runMacroPass(editor, kChain);
    const PassResult whole = convertMacros(text, kChain);
    EXPECT_EQ(editor.text(), whole.text);
    EXPECT_EQ(editor.caret(), countCharacters(std::string_view(whole.text).substr(0, whole.lastRemoval.value_or(0))));
    EXPECT_TRUE(editor.isModified());
}

TEST(PassLimits, AResultPastTheLimitIsRefusedNamingItsRowAndTheTextStays)
{
    TDoubleGrid doubling;
    doubling.name = "T";
    doubling.addRow("", "never");  // the rows are named as the table numbers them
    for (int i = 0; i < 40; ++i)
        doubling.addRow("a", "aa");
    const ValueSet huge{"H", {std::string(8 << 20, '1'), "", "", "", "", "", "", "", ""}};
    auto repeatedLine = [](const std::string& line, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += line + "\r\n";
        return text;
    };
    const std::string manyPlaceholders = repeatedLine("X$1", 5000);
    const struct Case {
        const char* name;
        std::string text;
        std::function<void(TextEditor&)> pass;
        const char* message;  // part of the refusal, or "" when the pass fits
    } cases[] = {
        {"rows doubling a line", "a\r\nb\r\n", [&](TextEditor& e) { runMacroPass(e, doubling); },
         "変換表の 27 行目で結果が大きくなりすぎます (上限 64 MiB)"},
        // 9 MiB in pieces worked on at once: the limit is 16 times the input, for all pieces together.
        {"rows doubling a long text", repeatedLine("aaaaaaa", 1 << 20), [&](TextEditor& e) { runMacroPass(e, doubling); },
         "変換表の 6 行目で結果が大きくなりすぎます (上限 144 MiB)"},
        {"a big value in many places", manyPlaceholders, [&](TextEditor& e) { runPlaceholderPass(e, huge); },
         "$1 を埋めると結果が大きくなりすぎます"},
        {"a big value in a few places", "$1$1$1\r\n", [&](TextEditor& e) { runPlaceholderPass(e, huge); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryEditor editor(c.text);
        editor.setModified(false);
        if (!*c.message) {
            c.pass(editor);
            EXPECT_TRUE(editor.isModified());
            continue;
        }
        try {
            c.pass(editor);
            ADD_FAILURE() << "not refused";
        } catch (const UserError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(editor.text(), c.text);
        EXPECT_FALSE(editor.isModified());
    }
}

TEST(MacroPassRows, AnEmptyTableChangesNothing)
{
    MemoryEditor editor("X1\r\n");
    editor.setModified(false);
    runMacroPass(editor, TDoubleGrid{});
    EXPECT_FALSE(editor.isModified());
    EXPECT_EQ(editor.text(), "X1\r\n");
}

// The lines written cover every change, whatever the texts' ends are.
struct ChangeCase {
    std::string old, fresh;
};

class ChangedLines : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangedLines, GiveTheNewText)
{
    MemoryEditor editor(GetParam().old);
    const std::string old = editor.text();
    replaceChangedLines(editor, old, std::string(GetParam().fresh), nc::Recolour::WrittenLines);
    EXPECT_EQ(editor.text(), GetParam().fresh) << GetParam().old;
}

INSTANTIATE_TEST_SUITE_P(Lists, ChangedLines, ::testing::Values(
    ChangeCase{"A\r\nB\r\n", "C\r\nB\r\n"}, ChangeCase{"A\r\nB\r\n", "A\r\nC\r\n"},
    ChangeCase{"A\r\nB", "A\r\nBC"}, ChangeCase{"A\r\nB\r\n", "A\r\nB"}, ChangeCase{"A\r\nB", "A\r\nB\r\n"},
    ChangeCase{"A\r\n", "AX"}, ChangeCase{"A\r\nB\r\nC", "A\r\nC"}, ChangeCase{"A\r\nB\r\nC", "A\r\nX\r\nY\r\nC"},
    ChangeCase{"AB", ""}, ChangeCase{"A\r\n\r\n", "A\r\n"}, ChangeCase{"X\r\nA\r\nA\r\nY", "X\r\nA\r\nY"},
    ChangeCase{"\r\n\r\n", "\r\nZ\r\n"}));

// --- zorvan-cli ------------------------------------------------------------------------------

class ListCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(dir.filePath("sets.list"), "2\r\nA\r\n3\r\n-10.0\r\n5.0\r\n200\r\nB\r\n1\r\nQ\r\n");
        writeFile(dir.filePath("tables.list"), "1\r\nT\r\n2\r\n#500 #600\r\n#600 #700\r\n");
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(ListCli, FillAndMacroRunThePasses)
{
    CliRun fill = runZorvanCli({"fill", "--set", "A", "--list", path("sets.list")}, "G01X-$1Y$2F$3$4\r\n");
    EXPECT_EQ(fill.status, 0) << fill.err;
    EXPECT_EQ(fill.out, "G01X10.0Y5.0F200\r\n");
    CliRun macro = runZorvanCli({"macro", "--table", "T", "--list", path("tables.list")}, "#500=1\r\n#501=#500+2\r\n");
    EXPECT_EQ(macro.status, 0) << macro.err;
    EXPECT_EQ(macro.out, "#700=1\r\n#501=#700+2\r\n");
}

TEST_F(ListCli, FindsTheListFileInTheCurrentDirectory)
{
    writeFile(dir.filePath("Cange.list"), "1 B 1 Q");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    CliRun fill = runZorvanCli({"fill", "--set", "B"}, "$1$2\r\n");
    QDir::setCurrent(before);
    EXPECT_EQ(fill.status, 0) << fill.err;
    EXPECT_EQ(fill.out, "Q\r\n");
}

struct CliFailure {
    std::vector<std::string> args;
    int status;
    const char* message;
};

class ListCliFailures : public ListCli, public ::testing::WithParamInterface<CliFailure> {};

TEST_P(ListCliFailures, WriteNothingAndSayWhy)
{
    std::vector<std::string> args = GetParam().args;
    for (auto& arg : args)
        if (arg.find(".list") != std::string::npos)
            arg = path(arg.c_str());
    CliRun run = runZorvanCli(args, "$1\r\n");
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Lists, ListCliFailures, ::testing::Values(
    CliFailure{{"fill", "--set", "Z", "--list", "sets.list"}, 1, "値セット「Z」はありません"},
    CliFailure{{"macro", "--table", "Z", "--list", "tables.list"}, 1, "変換表「Z」はありません"},
    CliFailure{{"fill", "--list", "sets.list"}, 2, "missing --set"},
    CliFailure{{"macro", "--table", "T", "--list", "none.list"}, 1, "none.list を読めません"}));

}  // namespace
