// Renumbering the blocks of a program ("N番号振り直し") and removing their sequence numbers
// ("N番号削除"). Both work on the lines touched by the selection (all lines without one), in one
// edit (one undo step), and change nothing but the N words and the jumps that name them.
//
// Never numbered: empty lines, lines of nothing but comments, "%" lines and the first line of a
// program or subprogram ("O1234", "O<NAME>", ":1234"). The N word is the block's first word, after
// blanks, comments and a block delete "/" (which stays in front of it); an N inside a comment is
// no sequence number. A "GOTO n" and the P of an M99 block name the sequence number n.
#pragma once

#include "app/logic/text_editor.h"
#include "nc/logic/nc_transforms.h"

#include <optional>
#include <string>
#include <vector>

namespace zorvan::nc {

inline constexpr long long kLargestSequenceNumber = 999999999;
inline constexpr int kWidestSequenceNumber = 9;

struct RenumberOptions {
    long long start = 10;
    long long step = 10;
    int width = 0;              // the number padded with zeros to this many digits; 0: as it comes
    bool existingOnly = false;  // number only the blocks that have a number, not every block
    long long max = 0;          // the largest number allowed; 0: no limit
    bool wrap = false;          // past `max` start again from `start`; else refuse to renumber

    bool operator==(const RenumberOptions&) const = default;
};

// What makes the options unusable, as a message; nothing when they are fine.
std::optional<std::string> renumberOptionsProblem(const RenumberOptions& options);

// A jump of the range whose sequence number exists neither among the renumbered blocks nor
// elsewhere in the text; it is left as it was.
struct MissingTarget {
    int line = 0;  // counted from 0
    long long target = 0;

    bool operator==(const MissingTarget&) const = default;
};

// Gives the blocks of the range the numbers start, start + step, ...; a jump to a renumbered block
// follows it (to the first block of that old number below the jump, else the first above). Throws
// UserError, changing nothing, for unusable options, when the numbers would pass `max` without
// `wrap`, and when a wrap would give a jump's target number to more than one block (the message
// names each such jump, its target and the lines of the blocks). Returns the jumps whose target
// is missing.
std::vector<MissingTarget> renumberProgram(TextEditor& editor, const RenumberOptions& options,
                                           Recolour recolour = Recolour::WrittenLines);

// Removes the sequence numbers of the range, with the blanks that followed them. A number that a
// jump anywhere in the text names is kept, so that the program still runs.
void removeSequenceNumbers(TextEditor& editor, Recolour recolour = Recolour::WrittenLines);

// The report of missing jump targets: one line each, the first twenty of them.
std::string missingTargetsMessage(const std::vector<MissingTarget>& missing);
inline constexpr const char* kRenumberCaption = "N番号振り直し";

}  // namespace zorvan::nc
