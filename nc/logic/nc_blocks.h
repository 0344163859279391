// What renumbering and tidying read of a program line as a block: its comments, where its first
// word stands, its sequence number and the jumps that name a sequence number.
//
// A comment runs from "(" to the next ")", or to the end of the line when none follows; what lies
// outside comments is the block's code. A "/" (with an optional digit) at the start of the code
// deletes the block when the control's switch is on; the first word follows it.
#pragma once

#include "nc/logic/nc_words.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace zorvan::nc {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
inline bool isDigitChar(char c) { return c >= '0' && c <= '9'; }

// The byte after the comment that opens at byte `open` of `line`.
std::size_t commentEnd(std::string_view line, std::size_t open);

// True when the line holds nothing but blanks (or nothing at all).
bool isBlankLine(std::string_view line);

enum class BlockKind {
    Empty,         // nothing but blanks
    CommentOnly,   // nothing but comments, blanks and a block delete "/"
    Percent,       // a "%" line: start or end of the tape
    ProgramStart,  // "O1234", "O<NAME>" or ":1234": a program's or subprogram's first line
    Block,         // a block that can carry a sequence number
};

struct BlockStart {
    BlockKind kind = BlockKind::Empty;
    std::size_t wordAt = 0;               // byte of the first word, after blanks, comments and "/"
    std::optional<AddressWord> sequence;  // the N word standing there, when its number has digits
};
BlockStart readBlockStart(std::string_view line);

// A sequence number named by a jump: "GOTO 120", or the P of a block with M99 ("M99 P120").
struct JumpTarget {
    std::size_t at = 0;      // byte of the target's first digit
    std::size_t length = 0;  // its digits
    long long value = 0;
};

// The jumps of a line's code, left to right (a line holds one or two at most; more are not
// read). A GOTO whose target is not written in digits ("GOTO#1") names none.
struct Jumps {
    JumpTarget items[4];
    int count = 0;
};
Jumps jumpsOf(std::string_view line);

// The whole number of a word's digits; nothing when they do not make a whole number that fits.
std::optional<long long> wholeNumber(std::string_view digits);

}  // namespace zorvan::nc
