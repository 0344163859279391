#include "lists/logic/list_books.h"

#include "lists/logic/list_entry_checks.h"

namespace zorvan::lists {

std::string newEntryName(const std::string& typed) { return typed.empty() ? "Non" : typed; }

void ValueSetBook::load(std::vector<ValueSet> sets)
{
    sets_ = std::move(sets);
    selected_ = sets_.empty() ? -1 : 0;
}

void ValueSetBook::select(int index) { selected_ = index >= 0 && index < static_cast<int>(sets_.size()) ? index : -1; }

Fields ValueSetBook::shownValues(int index) const
{
    Fields fields;
    if (index < 0 || index >= static_cast<int>(sets_.size()))
        return fields;
    for (int k = 1; k <= kPlaceholderCount; ++k)
        fields[static_cast<std::size_t>(k - 1)] = sets_[static_cast<std::size_t>(index)].value(k);
    return fields;
}

int ValueSetBook::fieldExit(const std::string& typedName, const Fields& fields)
{
    if (selected_ < 0)
        return -1;
    ValueSet& set = sets_[static_cast<std::size_t>(selected_)];
    if (typedName != set.name) {
        selected_ = add(typedName, fields);
        return selected_;
    }
    if (set.values.size() < fields.size())
        set.values.resize(fields.size());
    std::copy(fields.begin(), fields.end(), set.values.begin());  // values beyond nine are kept
    return -1;
}

int ValueSetBook::add(const std::string& typedName, const Fields& fields)
{
    const std::string name = newEntryName(typedName);
    checkListName(name);  // refused here, before the book holds a set the file cannot
    sets_.push_back(ValueSet{name, {fields.begin(), fields.end()}});
    return static_cast<int>(sets_.size()) - 1;
}

bool ValueSetBook::removeSelected()
{
    if (selected_ < 0)
        return false;
    sets_.erase(sets_.begin() + selected_);
    selected_ = -1;
    return true;
}

int ValueSetBook::ok(const std::string& typedName, const Fields& fields)
{
    if (selected_ < 0)
        selected_ = add(typedName, fields);
    return selected_;
}

void ConversionTableBook::load(std::vector<TDoubleGrid> tables)
{
    tables_ = std::move(tables);
    selected_ = tables_.empty() ? -1 : 0;
}

void ConversionTableBook::select(int index)
{
    selected_ = index >= 0 && index < static_cast<int>(tables_.size()) ? index : -1;
}

GridRows ConversionTableBook::rowsOf(const TDoubleGrid& table)
{
    GridRows rows;
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        rows.emplace_back(table.searchTexts[r], table.replacementTexts[r]);
    return rows;
}

namespace {

void fill(TDoubleGrid& table, const GridRows& rows)
{
    table.searchTexts.clear();
    table.replacementTexts.clear();
    for (const auto& [search, replacement] : rows)
        table.addRow(search, replacement);
}

}  // namespace

int ConversionTableBook::storeGrid(const std::string& typedName, const GridRows& rows)
{
    if (selected_ < 0)
        return -1;
    if (typedName != tables_[static_cast<std::size_t>(selected_)].name)
        return add(typedName, rows);
    fill(tables_[static_cast<std::size_t>(selected_)], rows);
    return -1;
}

int ConversionTableBook::add(const std::string& typedName, const GridRows& rows)
{
    TDoubleGrid table;
    table.name = newEntryName(typedName);
    fill(table, rows);
    tables_.push_back(std::move(table));
    return static_cast<int>(tables_.size()) - 1;
}

bool ConversionTableBook::removeSelected()
{
    if (selected_ < 0)
        return false;
    tables_.erase(tables_.begin() + selected_);
    selected_ = -1;
    return true;
}

int ConversionTableBook::ok(const std::string& typedName, const GridRows& rows)
{
    if (selected_ < 0)
        selected_ = add(typedName, rows);
    return selected_;
}

}  // namespace zorvan::lists
