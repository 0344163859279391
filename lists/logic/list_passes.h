// The placeholder pass and the macro pass over a program text.
//
// Placeholder pass: every "$1" to "$9" becomes the value set's value of that number, scanning
// forward; a "$" followed by anything else keeps that character, which is then not taken for the
// "$" of a placeholder, and inserted values are not scanned again. Macro pass: each row of the
// table, in order, replaces every occurrence of its search text from left to right (an inserted
// text is not searched again by the same row, later rows see it); a row with an empty search text
// changes nothing. Both passes end by removing every "--": a run of minus signs loses them in
// pairs, so an even run disappears and an odd run keeps one.
//
// Line breaks in values and texts (LF, CR or both) are inserted and searched for as the
// document's CR LF break.
//
// Each pass is worked out on the text in one linear scan per step, and the editor gets the result
// in one edit over the lines that changed (coloured by the line pass unless told otherwise). The
// caret ends where the last "--" was removed, else at the start of the text. The document is
// marked modified when anything was replaced or removed.
//
// A pass may make a text of at most kPassGrowth times its input or kPassFloorBytes, whichever is
// more, and never more than kMostPassBytes (a table whose rows double the text, a huge value in
// many placeholders): past that it stops with a UserError naming the table's row or the
// placeholder, before the memory runs out, and the text stays as it was. A long text worked on in
// pieces gives each piece its share of the limit, in proportion to its size.
#pragma once

#include "app/logic/text_editor.h"
#include "lists/logic/conversion_tables.h"
#include "lists/logic/value_sets.h"
#include "nc/logic/nc_transforms.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::lists {

inline constexpr std::size_t kPassGrowth = 16;
inline constexpr std::size_t kPassFloorBytes = std::size_t(64) << 20;
inline constexpr std::size_t kMostPassBytes = std::size_t(512) << 20;
// The most bytes a pass may make of a text of `inputBytes`.
std::size_t passResultLimit(std::size_t inputBytes);

struct PassResult {
    std::string text;
    bool edited = false;                    // something was replaced or removed
    std::optional<std::size_t> lastRemoval;  // byte offset in `text` of the last "--" removed
};

// Removes the minus pairs from `text` in place; returns the byte offset of the last removal, or
// nothing when there was no pair.
std::optional<std::size_t> removeMinusPairs(std::string& text);

PassResult fillPlaceholders(std::string_view text, const ValueSet& set);
PassResult convertMacros(std::string_view text, const TDoubleGrid& table);

// The passes on the editor's text, each one edit.
void runPlaceholderPass(TextEditor& editor, const ValueSet& set, nc::Recolour recolour = nc::Recolour::WrittenLines);
void runMacroPass(TextEditor& editor, const TDoubleGrid& table, nc::Recolour recolour = nc::Recolour::WrittenLines);

// The passes in stages (see nc::StagedCommand): the text is read now, passed on any thread, and
// written back in one edit.
nc::StagedCommand stagedPlaceholderPass(const TextEditor& editor, const ValueSet& set,
                                        nc::Recolour recolour = nc::Recolour::WrittenLines);
nc::StagedCommand stagedMacroPass(const TextEditor& editor, const TDoubleGrid& table,
                                  nc::Recolour recolour = nc::Recolour::WrittenLines);

// Puts `fresh` into the editor in place of its text `old` (the editor's whole text) by one
// replacement of the lines from the first to the last that differ.
void replaceChangedLines(TextEditor& editor, std::string_view old, std::string&& fresh, nc::Recolour recolour);

}  // namespace zorvan::lists
