// Every message box and file dialog the windows show goes through here, so that tests can answer
// them without a person. The default answers with real modal boxes and dialogs.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace zorvan {

class Prompts {
public:
    virtual ~Prompts() = default;
    // A box with the given buttons; returns the button pressed.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
    // The standard error display: a box with the error's text.
    virtual void showError(QWidget* parent, const QString& text);
    // File dialogs; an empty result means cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& preset,
                                 const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& preset,
                                 const QString& filter);
    // The font dialog preset with `preset`; false when cancelled.
    virtual bool chooseFont(QWidget* parent, const QFont& preset, QFont& chosen);
};

// The box behind Prompts::ask: the standard buttons captioned in Japanese, a title bar with the
// close box only, and wide enough for the title bar to show the whole caption.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
// The width a title bar needs for `caption` besides its icon and buttons.
int captionRoom(const QString& caption);

// The dialog behind Prompts::openFileName: it takes any name, also one that does not exist.
std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& caption, const QString& preset,
                                            const QString& filter);

// The prompts in use; `install` replaces them (nullptr restores the default) and returns the
// previous ones.
Prompts& prompts();
Prompts* installPrompts(Prompts* replacement);

// The one place an error reaches the user: a UserError with a caption in a box with its caption
// and icon, any other error in the standard error display. Should showing it fail in turn, that
// failure is shown by the standard error display.
void showUserError(QWidget* parent, const std::exception& error);

// Runs a command handler; an exception escaping it is shown by showUserError and the program
// goes on.
template <typename Handler> void runGuarded(QWidget* parent, Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        showUserError(parent, e);
    }
}

}  // namespace zorvan
