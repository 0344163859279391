#include "lists/logic/conversion_tables.h"

#include "app/logic/user_error.h"
#include "lists/logic/list_entry_checks.h"
#include "lists/logic/list_tokens.h"

namespace zorvan::lists {

void TDoubleGrid::addRow(std::string search, std::string replacement)
{
    searchTexts.push_back(std::move(search));
    replacementTexts.push_back(std::move(replacement));
}

std::vector<TDoubleGrid> parseConversionTables(std::string_view bytes)
{
    const std::string text = decodeListFile(bytes);
    TokenReader tokens(text);
    std::vector<TDoubleGrid> tables;
    const std::optional<long> count = tokens.nextCount();
    for (long t = 0; count && t < *count && !tokens.atEnd(); ++t) {
        TDoubleGrid table;
        table.name = std::string(*tokens.next());
        const std::optional<long> rows = tokens.nextCount();
        bool cutShort = !rows;
        for (long r = 0; rows && r < *rows; ++r) {
            std::optional<std::string_view> search = tokens.next();
            if (!search) {
                cutShort = true;
                break;
            }
            std::optional<std::string_view> replacement = tokens.next();
            table.addRow(decodeToken(*search), replacement ? decodeToken(*replacement) : std::string());
            if (!replacement) {
                cutShort = true;
                break;
            }
        }
        tables.push_back(std::move(table));
        if (cutShort)
            break;
    }
    return tables;
}

std::string conversionTableFileBytes(const std::vector<TDoubleGrid>& tables)
{
    std::string text = std::to_string(tables.size()) + "\r\n";
    for (const TDoubleGrid& table : tables) {
        checkListName(table.name);
        text += table.name + "\r\n" + std::to_string(table.rowCount()) + "\r\n";
        for (std::size_t r = 0; r < table.rowCount(); ++r) {
            const std::string row = "「" + table.name + "」の" + std::to_string(r + 1) + "行目の";
            checkListText(table.searchTexts[r], row + "検索文字");
            checkListText(table.replacementTexts[r], row + "置換文字");
            text += encodeToken(table.searchTexts[r]) + " " + encodeToken(table.replacementTexts[r]) + "\r\n";
        }
    }
    return encodeListFile(text);
}

std::vector<TDoubleGrid> loadConversionTables(const ListFileLookup& lookup)
{
    std::optional<QString> path = findListFile(lookup, QString::fromLatin1(kConversionTableFileName));
    if (!path)
        return {};
    std::optional<std::string> bytes = readListFile(*path);
    return bytes ? parseConversionTables(*bytes) : std::vector<TDoubleGrid>{};
}

}  // namespace zorvan::lists
