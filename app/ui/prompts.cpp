#include "app/ui/prompts.h"

#include "app/logic/user_error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

#include <new>

namespace zorvan {

int captionRoom(const QString& caption)
{
    // Window managers draw titles in a bold face of about the interface's size; a title bar also
    // holds the window's icon and its buttons.
    QFont title = QApplication::font();
    title.setBold(true);
    constexpr int kIconAndButtons = 112;
    return QFontMetrics(title).horizontalAdvance(caption) * 5 / 4 + kIconAndButtons;
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    static const std::pair<QMessageBox::StandardButton, const char*> japanese[] = {
        {QMessageBox::Yes, "はい"}, {QMessageBox::No, "いいえ"}, {QMessageBox::Cancel, "キャンセル"},
        {QMessageBox::YesToAll, "すべて"}};
    for (const auto& [which, name] : japanese)
        if (QAbstractButton* button = box->button(which))
            button->setText(QString::fromUtf8(name));
    // The box sizes itself to its layout's minimum width when shown; a spacer raises that.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(captionRoom(caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

QMessageBox::StandardButton Prompts::ask(QWidget* parent, const QString& caption, const QString& text,
                                         QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    const auto box = makeMessageBox(parent, caption, text, buttons, icon);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

void Prompts::showError(QWidget* parent, const QString& text)
{
    makeMessageBox(parent, QApplication::applicationName(), text, QMessageBox::Ok, QMessageBox::Critical)->exec();
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
