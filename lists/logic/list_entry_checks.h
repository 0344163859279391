// What the value set and macro table files cannot hold, as messages for the user.
#pragma once

#include <string>
#include <string_view>

namespace zorvan::lists {

// Throws UserError when `name` cannot be a token of the file (empty or with white space).
void checkListName(std::string_view name);
// Throws UserError when `text` holds a character the token encoding does not carry (tab,
// vertical tab, form feed). `what` names the text in the message.
void checkListText(std::string_view text, const std::string& what);

}  // namespace zorvan::lists
