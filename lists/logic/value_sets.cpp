#include "lists/logic/value_sets.h"

#include "app/logic/user_error.h"
#include "lists/logic/list_entry_checks.h"
#include "lists/logic/list_tokens.h"

#include <algorithm>

namespace zorvan::lists {

const std::string& ValueSet::value(int k) const
{
    static const std::string empty;
    return k >= 1 && static_cast<std::size_t>(k) <= values.size() ? values[static_cast<std::size_t>(k - 1)] : empty;
}

std::vector<ValueSet> parseValueSets(std::string_view bytes)
{
    const std::string text = decodeListFile(bytes);
    TokenReader tokens(text);
    std::vector<ValueSet> sets;
    const std::optional<long> count = tokens.nextCount();
    for (long s = 0; count && s < *count && !tokens.atEnd(); ++s) {
        ValueSet set;
        set.name = std::string(*tokens.next());
        const std::optional<long> valueCount = tokens.nextCount();
        long read = 0;
        for (; valueCount && read < *valueCount; ++read) {
            std::optional<std::string_view> token = tokens.next();
            if (!token)
                break;
            set.values.push_back(decodeToken(*token));
        }
        const bool cutShort = !valueCount || read < *valueCount;
        if (cutShort) {
            const long wanted = std::min<long>(valueCount.value_or(kPlaceholderCount), kPlaceholderCount);
            if (static_cast<long>(set.values.size()) < wanted)
                set.values.resize(static_cast<std::size_t>(wanted));
        }
        sets.push_back(std::move(set));
        if (cutShort)
            break;
    }
    return sets;
}

std::string valueSetFileBytes(const std::vector<ValueSet>& sets)
{
    std::string text = std::to_string(sets.size()) + "\r\n";
    for (const ValueSet& set : sets) {
        checkListName(set.name);
        text += set.name + "\r\n" + std::to_string(set.values.size()) + "\r\n";
        for (std::size_t k = 0; k < set.values.size(); ++k) {
            checkListText(set.values[k], "「" + set.name + "」の$" + std::to_string(k + 1));
            text += encodeToken(set.values[k]) + "\r\n";
        }
    }
    return encodeListFile(text);
}

std::vector<ValueSet> loadValueSets(const ListFileLookup& lookup)
{
    std::optional<QString> path = findListFile(lookup, QString::fromLatin1(kValueSetFileName));
    if (!path)
        return {};
    std::optional<std::string> bytes = readListFile(*path);
    return bytes ? parseValueSets(*bytes) : std::vector<ValueSet>{};
}

}  // namespace zorvan::lists
