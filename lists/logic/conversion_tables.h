// The macro conversion table file "MacCange.list": named tables of search and replacement texts.
//
// Tokens: the number of tables; for each its name (as it stands), its number of rows and, per
// row, the search and the replacement text (token-encoded). The writer puts a row's two tokens on
// one line, separated by a blank.
#pragma once

#include "lists/logic/list_file_lookup.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::lists {

inline constexpr const char* kConversionTableFileName = "MacCange.list";

// A conversion table; its two lists always have the same length (one entry per row).
struct TDoubleGrid {
    std::string name;
    std::vector<std::string> searchTexts;
    std::vector<std::string> replacementTexts;

    std::size_t rowCount() const { return searchTexts.size(); }
    void addRow(std::string search, std::string replacement);
    bool operator==(const TDoubleGrid&) const = default;
};

// Reads what is there: a count that is not a number ends the reading, and a table cut short by
// the end of the file is kept with the row it was in (its missing replacement empty).
std::vector<TDoubleGrid> parseConversionTables(std::string_view bytes);

// The file's bytes. Throws UserError naming a name or text the file cannot hold.
std::string conversionTableFileBytes(const std::vector<TDoubleGrid>& tables);

std::vector<TDoubleGrid> loadConversionTables(const ListFileLookup& lookup);

}  // namespace zorvan::lists
