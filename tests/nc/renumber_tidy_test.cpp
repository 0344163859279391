// Renumbering and tidying a program on the in-memory editor.
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;
using nc::BlankStyle;
using nc::RenumberOptions;
using nc::TidyOptions;

namespace {

const std::string kMarker = "\xEF\x9E\x80";  // the byte 0x80 of the file, kept as a marker

struct EditCase {
    const char* what;
    std::function<void(TextEditor&)> command;
    std::string input;
    std::string output;
    std::pair<long, long> selection = {0, 0};
};

class Edits : public ::testing::TestWithParam<EditCase> {};

// The result, the edit as one undo step, and the selection over the lines that took the range's
// place.
TEST_P(Edits, RewriteTheRangeAsOneStep)
{
    const EditCase& c = GetParam();
    MemoryEditor editor(c.input);
    editor.setModified(false);
    editor.setSelection(c.selection.first, c.selection.second);
    c.command(editor);
    EXPECT_EQ(editor.text(), c.output);
    EXPECT_TRUE(editor.isModified());
    editor.undo();
    EXPECT_EQ(editor.text(), c.input);
    EXPECT_FALSE(editor.canUndo());
}

auto renumber(RenumberOptions options = {})
{
    return [options](TextEditor& editor) { nc::renumberProgram(editor, options, nc::Recolour::None); };
}
auto removeNumbers() { return [](TextEditor& editor) { nc::removeSequenceNumbers(editor, nc::Recolour::None); }; }
auto tidy(TidyOptions options)
{
    return [options](TextEditor& editor) { nc::tidyProgram(editor, options, nc::Recolour::None); };
}

INSTANTIATE_TEST_SUITE_P(Renumber, Edits, ::testing::Values(
    EditCase{"exceptions, / and comments", renumber(),
             "%\r\nO1000(PROG)\r\n:2000\r\n(工具 T1)\r\n\r\n  \r\nG90G54\r\nN5G00X0\r\n/G01X1.\r\n/1 N7 G01 X2.\r\n"
             "(N99)G01" + kMarker + "\r\nN3(N3)\r\n%",
             "%\r\nO1000(PROG)\r\n:2000\r\n(工具 T1)\r\n\r\n  \r\nN10G90G54\r\nN20G00X0\r\n/N30G01X1.\r\n/1 N40 G01 X2.\r\n"
             "(N99)N50G01" + kMarker + "\r\nN60(N3)\r\n%"},
    EditCase{"blanks between words give the new N one", renumber(), "G00 X1.\r\nG01X2. (A B)\r\n",
             "N10 G00 X1.\r\nN20G01X2. (A B)\r\n"},
    EditCase{"a block of one word follows the program's first block that shows a style", renumber(),
             "M08\r\nG00 X1.\r\nM09\r\nG01X2.\r\nM30\r\n", "N10 M08\r\nN20 G00 X1.\r\nN30 M09\r\nN40G01X2.\r\nN50 M30\r\n"},
    EditCase{"words together: one-word blocks too", renumber(), "(T1)\r\nN5G00X1.\r\nM08\r\nM30\r\n",
             "(T1)\r\nN10G00X1.\r\nN20M08\r\nN30M30\r\n"},
    EditCase{"existing numbers only, padded", renumber({.start = 1, .step = 1, .width = 4, .existingOnly = true}),
             "N50G00\r\nG01X1.\r\nN9G01X2.\r\n", "N0001G00\r\nG01X1.\r\nN0002G01X2.\r\n"},
    EditCase{"a width narrower than the number", renumber({.start = 100, .width = 2}), "G00\r\n", "N100G00\r\n"},
    EditCase{"wrap past the maximum", renumber({.start = 9980, .max = 9999, .wrap = true}),
             "A\r\nB\r\nC\r\nD\r\n", "N9980A\r\nN9990B\r\nN9980C\r\nN9990D\r\n"},
    EditCase{"a maximum that is just reached", renumber({.max = 30}), "A\r\nB\r\nC\r\n", "N10A\r\nN20B\r\nN30C\r\n"},
    EditCase{"a maximum just reached with a jump to follow", renumber({.max = 30}), "N1A\r\nB\r\nGOTO1\r\n",
             "N10A\r\nN20B\r\nN30GOTO10\r\n"},
    EditCase{"a maximum not reached with a jump to follow", renumber({.max = 35}), "N1A\r\nB\r\nM99P1\r\n",
             "N10A\r\nN20B\r\nN30M99P10\r\n"},
    EditCase{"M99 P follows its target without any GOTO", renumber(), "N1G00X0\r\nG01X1.\r\nN3M99P1\r\n",
             "N10G00X0\r\nN20G01X1.\r\nN30M99P10\r\n"},
    EditCase{"GOTO and M99 P follow their targets",
             renumber(), "N1#1=1\r\nN2IF[#1GT3]GOTO 9\r\n#1=#1+1(GOTO2)\r\nGOTO2\r\nN9M99P1\r\n",
             "N10#1=1\r\nN20IF[#1GT3]GOTO 50\r\nN30#1=#1+1(GOTO2)\r\nN40GOTO20\r\nN50M99P10\r\n"},
    EditCase{"a doubled number: the one below the jump, else the first",
             renumber(), "N5A\r\nGOTO5\r\nN5B\r\nGOTO5\r\nM98P5\r\n",
             "N10A\r\nN20GOTO30\r\nN30B\r\nN40GOTO10\r\nN50M98P5\r\n"},
    EditCase{"the selected lines only", renumber(), "N1A\r\nN2B\r\nN3C\r\nN4D\r\n", "N1A\r\nN10B\r\nN20C\r\nN4D\r\n",
             {6, 6}}));

INSTANTIATE_TEST_SUITE_P(RemoveNumbers, Edits, ::testing::Values(
    EditCase{"numbers with their blanks, / kept in front", removeNumbers(),
             "%\r\nN10 G00 X0\r\n/N20G01\r\n(N30)G01\r\nN40\r\nO50\r\n", "%\r\nG00 X0\r\n/G01\r\n(N30)G01\r\n\r\nO50\r\n"},
    EditCase{"jump targets stay", removeNumbers(), "N1A\r\nN2GOTO3\r\nN3M99P1\r\n", "N1A\r\nGOTO3\r\nN3M99P1\r\n"},
    EditCase{"a target named outside the selection stays", removeNumbers(), "N1A\r\nN2B\r\nGOTO2\r\n",
             "A\r\nN2B\r\nGOTO2\r\n", {0, 9}}));

INSTANTIATE_TEST_SUITE_P(Tidy, Edits, ::testing::Values(
    EditCase{"insert blanks", tidy({.blanks = BlankStyle::Insert}),
             "N10G01X-1.Y.5F200(A  B)\r\n  G00  X1.\t Y2.\r\nIF[#1GT10]GOTO5\r\n#1=SIN[30]*2\r\n/G01X#1Y[#2+1]Z3\r\n"
             "(C)G01 " + kMarker + "\r\n%\r\n",
             "N10 G01 X-1. Y.5 F200(A  B)\r\n  G00 X1. Y2.\r\nIF[#1GT10] GOTO5\r\n#1=SIN[30]*2\r\n/G01 X#1 Y[#2+1] Z3\r\n"
             "(C)G01 " + kMarker + "\r\n%\r\n"},
    EditCase{"insert: blanks after a comment stay, a lone tab becomes a blank", tidy({.blanks = BlankStyle::Insert}),
             "(A)  G01X1.\r\nG00\tX1.\r\nG01(B)\tX2.\r\n", "(A)  G01 X1.\r\nG00 X1.\r\nG01(B)\tX2.\r\n"},
    EditCase{"remove: blanks after a comment stay", tidy({.blanks = BlankStyle::Remove}),
             "(A) G01 X1.\r\nG01(B)  X2.\r\n", "(A) G01X1.\r\nG01(B)  X2.\r\n"},
    EditCase{"insert without 空行の削除: blank lines stay", tidy({.blanks = BlankStyle::Insert}),
             "G01X1.\r\n\r\n \t \r\nG00Y1.\r\n", "G01 X1.\r\n\r\n \t \r\nG00 Y1.\r\n"},
    EditCase{"remove without 空行の削除: blank lines stay", tidy({.blanks = BlankStyle::Remove}),
             "G01 X1.\r\n\r\n \t \r\nG00 Y1.\r\n", "G01X1.\r\n\r\n \t \r\nG00Y1.\r\n"},
    EditCase{"remove blanks", tidy({.blanks = BlankStyle::Remove}),
             "N10 G01 X1. (A  B)\r\n  IF [#1 GT 10] GOTO 5 \r\n/ G00\tX1.\r\n", "N10G01X1. (A  B)\r\n  IF[#1GT10]GOTO5 \r\n/G00X1.\r\n"},
    EditCase{"\";\" comments kept byte for byte", tidy({.blanks = BlankStyle::Remove}),
             "N20 G01 X[#1*10.] Y5. F200 ; コメント  付き\r\nG00 X1.;A  B(C)\r\n",
             "N20G01X[#1*10.]Y5.F200 ; コメント  付き\r\nG00X1.;A  B(C)\r\n"},
    EditCase{"\";\" comments kept when blanks go in", tidy({.blanks = BlankStyle::Insert}),
             "N20G01X1.  ; コメント  付きX1.\r\nG00X1.;A\r\n", "N20 G01 X1.  ; コメント  付きX1.\r\nG00 X1.;A\r\n"},
    EditCase{"empty lines", tidy({.emptyLines = true}), "\r\nA\r\n \t\r\n\r\nB\r\n\r\n", "A\r\nB\r\n"},
    EditCase{"every line empty", tidy({.emptyLines = true}), "\r\n\r\n", ""},
    EditCase{"comments with their blanks", tidy({.comments = true}),
             "O1(PROG)\r\n(工具 T1)\r\n  (A) G01 (B) X1. (C)\r\nG01(A)X1\r\nG01 (A)\r\n/(X)\r\nX1(unclosed\r\n",
             "O1\r\n  G01 X1.\r\nG01X1\r\nG01\r\n/\r\nX1\r\n"},
    EditCase{"the selected lines only", tidy({.emptyLines = true}), "A\r\n\r\nB\r\n\r\nC", "A\r\n\r\nB\r\nC",
             {5, 4}},
    EditCase{"all three at once", tidy({.blanks = BlankStyle::Remove, .emptyLines = true, .comments = true}),
             "G01 X1.\r\n\r\n(A)\r\n  G00 (B) Y1.\r\n", "G01X1.\r\n  G00Y1.\r\n"}));

TEST(Tidy, TheCaretStaysOnItsLineAtItsColumnOrTheEndOfTheShorterLine)
{
    const struct {
        long caret;
        long after;
    } cases[] = {{12 + 8, 10 + 8}, {12 + 12, 10 + 9}, {27 + 2, 19}};  // the blank line dropped: the end
    for (const auto& c : cases) {
        MemoryEditor editor("N10 G00 X0\r\nG00  X1.  Y2.\r\n   ");
        editor.setCaret(c.caret);
        nc::tidyProgram(editor, {.blanks = BlankStyle::Remove, .emptyLines = true}, nc::Recolour::None);
        EXPECT_EQ(editor.text(), "N10G00X0\r\nG00X1.Y2.");
        EXPECT_EQ(editor.caret(), c.after) << c.caret;
    }
}

TEST(Tidy, NothingToChangeLeavesNoStep)
{
    MemoryEditor editor("G01 X1. (A)\r\nG00 Y2.\r\n");
    editor.setModified(false);
    nc::tidyProgram(editor, {.blanks = BlankStyle::Insert, .emptyLines = true}, nc::Recolour::None);
    EXPECT_EQ(editor.text(), "G01 X1. (A)\r\nG00 Y2.\r\n");
    EXPECT_FALSE(editor.isModified());
    EXPECT_FALSE(editor.canUndo());
}

struct Refusal {
    RenumberOptions options;
    const char* message;
    const char* text = "A\r\nB\r\nC\r\n";
};

TEST(RenumberRefusals, ChangeNothing)
{
    const Refusal refusals[] = {
        {{.max = 20}, "N番号が最大値 20 を超えるので振り直しません"},
        {{.max = 29}, "N番号が最大値 29 を超えるので振り直しません", "N1A\r\nB\r\nM99P1\r\n"},  // jumps counted first
        {{.step = 0}, "増分は 1 から 999999999 までです"},
        {{.start = 100, .max = 99}, "最大値は開始番号から 999999999 までです"},
        {{.width = 10}, "桁数は 0 から 9 までです"},
    };
    for (const Refusal& r : refusals) {
        MemoryEditor editor(r.text);
        editor.setModified(false);
        try {
            nc::renumberProgram(editor, r.options, nc::Recolour::None);
            ADD_FAILURE() << r.message;
        } catch (const UserError& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
        EXPECT_EQ(editor.text(), r.text);
        EXPECT_FALSE(editor.canUndo());
    }
}

TEST(RenumberWrap, IsRefusedWhereItGivesAJumpTargetToTwoBlocks)
{
    const RenumberOptions wrapAt50{.max = 50, .wrap = true};
    const std::string program = "A\r\nB\r\nN3C\r\nN4D\r\nE\r\nF\r\nG\r\nGOTO3\r\nM99P4\r\n";
    MemoryEditor editor(program);
    editor.setModified(false);
    try {
        nc::renumberProgram(editor, wrapAt50, nc::Recolour::None);
        ADD_FAILURE() << "renumbered";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), "先頭に戻った番号が飛び先と重なるので振り直しません:\n"
                                         "7 行目 → N30 (2, 7 行目のブロック)\n"
                                         "8 行目 → N40 (3, 8 行目のブロック)");
    }
    EXPECT_EQ(editor.text(), program);
    EXPECT_FALSE(editor.canUndo());
    // A target outside the selection that the wrap gives to a block of it as well.
    MemoryEditor outside("N10A\r\nB\r\nC\r\nD\r\nGOTO10\r\n");
    outside.setSelection(6, 15);  // lines 1 to 4
    EXPECT_THROW(nc::renumberProgram(outside, {.max = 30, .wrap = true}, nc::Recolour::None), UserError);
    // A wrap that leaves every target one block goes on.
    MemoryEditor single("A\r\nN2B\r\nC\r\nGOTO2\r\n");
    EXPECT_TRUE(nc::renumberProgram(single, {.max = 30, .wrap = true}, nc::Recolour::None).empty());
    EXPECT_EQ(single.text(), "N10A\r\nN20B\r\nN30C\r\nN10GOTO20\r\n");
}

TEST(RenumberMissingTargets, AreReportedWithTheirLines)
{
    MemoryEditor editor("N1A\r\nGOTO7\r\nN2B\r\nM99P2\r\nN8C\r\nGOTO8\r\n");
    editor.setSelection(0, 20);  // the first four lines: N8 lies outside, N7 nowhere
    const auto missing = nc::renumberProgram(editor, {}, nc::Recolour::None);
    EXPECT_EQ(editor.text(), "N10A\r\nN20GOTO7\r\nN30B\r\nN40M99P30\r\nN8C\r\nGOTO8\r\n");
    EXPECT_EQ(missing, (std::vector<nc::MissingTarget>{{1, 7}}));
    EXPECT_EQ(nc::missingTargetsMessage(missing), "飛び先のN番号がありません:\n1 行目 → N7");
}

// Long enough to be cut into many pieces: the numbering runs on from piece to piece (counted
// first when a jump at the end must find its block at the start, else as the pieces are written),
// and dropped lines leave the others in order.
TEST(LongPrograms, NumberAndDropAcrossPieces)
{
    for (const std::string last : {"GOTO1", "M30"}) {
        const int lines = 60000;
        std::string program, numbered, tidied;
        for (int i = 0; i < lines; ++i) {
            const std::string body = i == lines - 1 ? last : "G01X" + std::to_string(i) + ".";
            program += (i == 0 ? "N1" : "") + body + "\r\n" + (i % 2 ? "\r\n" : "");
            numbered += "N" + std::to_string(10 * (i + 1)) + (body == "GOTO1" ? "GOTO10" : body) + "\r\n"
                        + (i % 2 ? "\r\n" : "");
            tidied += (i == 0 ? "N1" : "") + body + "\r\n";
        }
        MemoryEditor editor(program);
        EXPECT_TRUE(nc::renumberProgram(editor, {}, nc::Recolour::None).empty());
        EXPECT_EQ(editor.text(), numbered) << last;
        editor.setText(program);
        EXPECT_THROW(nc::renumberProgram(editor, {.max = 10 * lines - 1}, nc::Recolour::None), UserError);
        EXPECT_EQ(editor.text(), program) << last;
        nc::tidyProgram(editor, {.emptyLines = true}, nc::Recolour::None);
        EXPECT_EQ(editor.text(), tidied) << last;
        EXPECT_EQ(editor.caret(), 0);  // where it was
    }
}

}  // namespace
