// The axis swap: exchanges two address letters in a range of the text (every X word becomes a Y
// word and every Y word an X word), or with "-" as the second choice reverses the sign of every
// word of one letter. Only single letters are replaced; numbers are never reformatted.
//
// The result is that of four passes over the range, each a left-to-right search:
//   1. every word-start A becomes "@" ("@-" for a sign reversal);
//   2. every word-start B becomes A (nothing to do for a sign reversal);
//   3. every "@" becomes B (A for a sign reversal), also one that was in the text before;
//   4. every "--" disappears, the search going on where it was ("----" goes, "---" leaves "-").
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
void swapAxes(TextEditor& editor, char a, char b, const CommandRange& range, Recolour recolour = Recolour::WrittenLines);
// The same in stages (see StagedCommand): the range is read now, the passes run on any thread.
StagedCommand stagedSwap(const TextEditor& editor, char a, char b, const CommandRange& range,
                         Recolour recolour = Recolour::WrittenLines);

}  // namespace zorvan::nc
