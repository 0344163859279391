#include "lists/logic/list_entry_checks.h"

#include "app/logic/user_error.h"
#include "lists/logic/list_tokens.h"

#include <algorithm>

namespace zorvan::lists {

void checkListName(std::string_view name)
{
    if (name.empty())
        throw UserError("名前が空です。名前を入れてください。");
    if (std::any_of(name.begin(), name.end(), isTokenSpace))
        throw UserError("名前「" + std::string(name) + "」に空白・タブ・改行は使えません。");
}

void checkListText(std::string_view text, const std::string& what)
{
    if (text.find_first_of("\t\v\f") != std::string_view::npos)
        throw UserError(what + "にタブは使えません。");
}

}  // namespace zorvan::lists
