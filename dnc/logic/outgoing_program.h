// The bytes a send puts on the line: the program's own bytes (in the document's encoding, as a
// save writes them), each line ended by the chosen end of block, with the leader, trailer and "%"
// lines the settings ask for.
#pragma once

#include "app/logic/text_encoding.h"
#include "dnc/logic/dnc_settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::dnc {

struct OutgoingProgram {
    std::string bytes;
    std::vector<std::size_t> lineEnds;  // the offset after each end of block, in order
};

// The document's bytes in its encoding with LF line ends, for editor text (UTF-8, CR LF). Throws
// UserError for a character the encoding cannot hold.
std::string documentBytes(std::string_view editorText, Encoding encoding = Encoding::ShiftJis);

// Throws UserError when there is nothing to send.
void requireProgram(std::string_view lines);

// Frames lines separated by LF (a final LF ends the last line, it starts no new one).
OutgoingProgram frameProgram(std::string_view lines, const DncSettings& settings);

// The lines (counted from 0) holding a byte outside ASCII, which many controls refuse.
std::vector<int> nonAsciiLines(std::string_view lines);

}  // namespace zorvan::dnc
