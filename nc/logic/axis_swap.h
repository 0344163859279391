// The axis swap: exchanges two address letters in a range of the text (every X word becomes a Y
// word and every Y word an X word), or with "-" as the second choice reverses the sign of every
// word of one letter. Only single letters are replaced; numbers are never reformatted.
//
// The result is that of four passes over the range, each a left-to-right search:
//   1. every word-start A becomes "@" ("@-" for a sign reversal);
//   2. every word-start B becomes A (nothing to do for a sign reversal);
//   3. every "@" becomes B (A for a sign reversal), also one that was in the text before;
//   4. every "--" disappears, the search going on where it was ("----" goes, "---" leaves "-").
// That is the literal exchange (SwapWords::LettersOnly). The exchange that keeps the toolpath
// (SwapWords::WithArcs, the default) reads the range as blocks instead: words in comments stay,
// every word of the two axis letters is exchanged (I, J, K go with X, Y, Z), a sign reversal
// reverses the number itself ("X-5." becomes "X5.", "X+5." becomes "X-5."), G02 and G03 change
// places where the mirror turns the arc round (always for an exchange of two axes, for a sign
// reversal when the axis lies in the arc's plane), the plane words G17/G18/G19 follow an exchange
// with Z (the plane word is added where an arc or a cycle runs in a plane no word of the range
// named), and a sign reversal of the drilling axis reverses the R level of canned cycles. Dwell
// (G04), data setting (G10) and machine coordinates (G53) keep their words. Where no rewrite
// keeps the path (a G68 rotation, an arc whose G02/G03 stands before the range) it refuses with
// UserError and changes nothing. For letters other than X, Y, Z (and their centres) it is the
// literal exchange without the marker and "--" passes.
//
// A letter is a word start when the character after it (which may lie behind the range) is a
// digit or one of . - + # [. After a letter that is not, that following character is passed over
// unseen (in "XX1." the second X is never looked at).
#pragma once

#include "app/logic/text_editor.h"
#include "nc/logic/command_range.h"
#include "nc/logic/nc_transforms.h"

#include <string>
#include <string_view>

namespace zorvan::nc {

// The letters the swap offers in its two lists; the second also offers "-".
inline constexpr std::string_view kSwapFirstLetters = "XYZABCIJKR";
inline constexpr std::string_view kSwapSecondChoices = "XYZ-ABCIJKR";
inline constexpr char kSignReversal = '-';

// The four passes over `body`; `follow` is the character after it (0: the end of the text).
// `lastDeletion` is the byte offset in the result where pass 4 last removed "--", or -1.
struct SwapPassesResult {
    std::string text;
    long lastDeletion = -1;
};
SwapPassesResult swapPasses(std::string_view body, char follow, char a, char b);

// Runs the passes on the editor in one edit. With a selection, the selection afterwards covers
// the range with its moved end; without one the caret stands where pass 4 removed its last "--"
// (at the range start when it removed none). Equal choices change nothing. The lines of the
// range get the line pass of the colouring unless `recolour` says otherwise; the modified flag
// is set only when the text changed.
enum class SwapWords { WithArcs, LettersOnly };
void swapAxes(TextEditor& editor, char a, char b, const CommandRange& range, Recolour recolour = Recolour::WrittenLines,
              SwapWords words = SwapWords::WithArcs);
// The same in stages (see StagedCommand): the range is read now, the passes run on any thread.
StagedCommand stagedSwap(const TextEditor& editor, char a, char b, const CommandRange& range,
                         Recolour recolour = Recolour::WrittenLines, SwapWords words = SwapWords::WithArcs);

}  // namespace zorvan::nc
