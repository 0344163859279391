// The search-based commands of the main window (axis swap, extreme value search, find, replace,
// find-next) with their dialogs, registered from the NC commands' registration.
#pragma once

namespace zorvan {

class Shell;

void registerSearchCommands(Shell& shell);

}  // namespace zorvan
