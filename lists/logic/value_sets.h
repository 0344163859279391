// The value set file "Cange.list": named sets of values for the placeholders "$1" to "$9".
//
// Tokens: the number of sets; for each set its name (as it stands), its number of values and the
// values (token-encoded). The writer puts each token on a line of its own.
#pragma once

#include "lists/logic/list_file_lookup.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::lists {

inline constexpr const char* kValueSetFileName = "Cange.list";
inline constexpr int kPlaceholderCount = 9;

struct ValueSet {
    std::string name;
    std::vector<std::string> values;  // a set read from a file may hold more or fewer than nine

    // Value k (1 to 9); empty beyond the set's values.
    const std::string& value(int k) const;
    bool operator==(const ValueSet&) const = default;
};

// Reads what is there: a count that is not a number ends the reading, and a set cut short by
// the end of the file is kept, padded with empty values up to its count but not beyond nine.
std::vector<ValueSet> parseValueSets(std::string_view bytes);

// The file's bytes. Throws UserError naming a name or value the file cannot hold (an empty name,
// white space in a name, a tab in a value, a character Shift-JIS lacks).
std::string valueSetFileBytes(const std::vector<ValueSet>& sets);

// The sets of the file found by the lookup; none when there is no file or it cannot be read.
std::vector<ValueSet> loadValueSets(const ListFileLookup& lookup);

}  // namespace zorvan::lists
