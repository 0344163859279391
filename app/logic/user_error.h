// The one error meant for the user. Every command throws it; one place shows it (the window's
// error display, or standard error in the command-line tool): its text (UTF-8, in the user's
// language) as it stands, in a box with its caption and icon. Without a caption the box is the
// standard error box (the application's name, the error icon).
#pragma once

#include <stdexcept>
#include <string>

namespace zorvan {

class UserError : public std::runtime_error {
public:
    enum class Icon { None, Information, Warning, Critical };

    explicit UserError(const std::string& text) : std::runtime_error(text) {}
    UserError(const std::string& text, const std::string& caption, Icon icon)
        : std::runtime_error(text), caption_(caption), icon_(icon)
    {
    }

    const std::string& caption() const { return caption_; }
    Icon icon() const { return icon_; }

private:
    std::string caption_;
    Icon icon_ = Icon::Critical;
};

}  // namespace zorvan
