// An error meant for the user: its text (UTF-8, in the user's language) is shown as it stands,
// by the standard error display of the window or on standard error by the command-line tool.
#pragma once

#include <stdexcept>
#include <string>

namespace zorvan {

class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zorvan
