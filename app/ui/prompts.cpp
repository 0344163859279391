#include "app/ui/prompts.h"

#include "app/logic/user_error.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>

#include <new>

namespace zorvan {

QMessageBox::StandardButton Prompts::ask(QWidget* parent, const QString& caption, const QString& text,
                                         QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Prompts::showError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& caption, const QString& preset,
                                            const QString& filter)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption, preset.isEmpty() ? QStringLiteral(".") : preset,
                                                filter);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Any name is taken: a file that does not exist is reported by the load that follows.
    dialog->setFileMode(QFileDialog::AnyFile);
    return dialog;
}

QString Prompts::openFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter)
{
    const auto dialog = makeOpenDialog(parent, caption, preset, filter);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

QString Prompts::saveFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, preset.isEmpty() ? QStringLiteral(".") : preset, filter);
}

bool Prompts::chooseFont(QWidget* parent, const QFont& preset, QFont& chosen)
{
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, preset, parent);
    if (ok)
        chosen = font;
    return ok;
}

namespace {
Prompts defaultPrompts;
Prompts* current = &defaultPrompts;
}  // namespace

Prompts& prompts() { return *current; }

Prompts* installPrompts(Prompts* replacement)
{
    Prompts* previous = current;
    current = replacement ? replacement : &defaultPrompts;
    return previous;
}

void showUserError(QWidget* parent, const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        prompts().showError(parent, QStringLiteral("メモリが足りません"));
        return;
    }
    const auto* user = dynamic_cast<const UserError*>(&error);
    if (!user || user->caption().empty()) {
        prompts().showError(parent, QString::fromUtf8(error.what()));
        return;
    }
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
                                              QMessageBox::Critical};
    try {
        prompts().ask(parent, QString::fromStdString(user->caption()), QString::fromUtf8(user->what()),
                      QMessageBox::Ok, icons[static_cast<int>(user->icon())]);
    } catch (const std::exception& failed) {
        prompts().showError(parent, QString::fromUtf8(failed.what()));
    }
}

}  // namespace zorvan
