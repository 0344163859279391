// What the value set window and the macro conversion window do with their lists, apart from the
// widgets: the list, the selected entry, and the rules of their buttons and field exits.
#pragma once

#include "lists/logic/conversion_tables.h"
#include "lists/logic/value_sets.h"

#include <array>
#include <string>
#include <vector>

namespace zorvan::lists {

// The name a new entry gets: the typed name, or "Non" when none was typed.
std::string newEntryName(const std::string& typed);

using Fields = std::array<std::string, kPlaceholderCount>;

class ValueSetBook {
public:
    void load(std::vector<ValueSet> sets);  // selects the first set, if any
    const std::vector<ValueSet>& sets() const { return sets_; }
    int selected() const { return selected_; }
    void select(int index);
    // The nine values shown for a set (padded with empty values).
    Fields shownValues(int index) const;

    // A field lost the focus. With no selection nothing happens; under the selected set's name
    // the fields become its first nine values; under another name a new set is added and
    // selected, so that further exits update it. Returns the index of a set it added, or -1.
    int fieldExit(const std::string& typedName, const Fields& fields);
    // "add": a new set at the end; the selection stays. Returns its index. A name the file
    // cannot hold is refused (UserError) here and by the two calls below that add a set.
    int add(const std::string& typedName, const Fields& fields);
    // "Del": removes the selected set; false (nothing removed) when none is selected.
    bool removeSelected();
    // OK: the selected set, or (none selected) a new set added from the fields. Returns the
    // chosen set's index.
    int ok(const std::string& typedName, const Fields& fields);

private:
    std::vector<ValueSet> sets_;
    int selected_ = -1;
};

// A grid row: search and replacement text.
using GridRows = std::vector<std::pair<std::string, std::string>>;

class ConversionTableBook {
public:
    void load(std::vector<TDoubleGrid> tables);  // selects the first table, if any
    const std::vector<TDoubleGrid>& tables() const { return tables_; }
    int selected() const { return selected_; }
    void select(int index);
    static GridRows rowsOf(const TDoubleGrid& table);

    // The grid lost the focus, or a row was added or dropped. With no selection nothing
    // happens; under the selected table's name its rows become the grid's; under another name a
    // new table is added (the selection stays). Returns the index of a table it added, or -1.
    int storeGrid(const std::string& typedName, const GridRows& rows);
    int add(const std::string& typedName, const GridRows& rows);
    bool removeSelected();
    int ok(const std::string& typedName, const GridRows& rows);

private:
    std::vector<TDoubleGrid> tables_;
    int selected_ = -1;
};

}  // namespace zorvan::lists
