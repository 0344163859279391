// Answers the windows' message boxes and file dialogs from a script, and records what was asked.
#pragma once

#include "app/ui/prompts.h"

#include <QStringList>

#include <deque>
#include <functional>

class ScriptedPrompts : public zorvan::Prompts {
public:
    ScriptedPrompts() { previous_ = zorvan::installPrompts(this); }
    ~ScriptedPrompts() override { zorvan::installPrompts(previous_); }

    std::deque<QMessageBox::StandardButton> answers;  // for ask(); Ok when empty
    std::deque<QString> fileNames;                    // for the file dialogs; "" (cancel) when empty
    QStringList asked;   // "caption|text" of every box
    QStringList errors;  // texts of the standard error display
    QStringList dialogs; // captions of the file dialogs
    std::function<void()> whileAsking;  // runs while a box is up, to see the window behind it

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons, QMessageBox::Icon) override
    {
        asked << caption + "|" + text;
        if (whileAsking)
            whileAsking();
        return next(answers, QMessageBox::Ok);
    }
    void showError(QWidget*, const QString& text) override { errors << text; }
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        dialogs << caption;
        return next(fileNames, QString());
    }
    QString saveFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        dialogs << caption;
        return next(fileNames, QString());
    }

private:
    template <typename T> static T next(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
    zorvan::Prompts* previous_ = nullptr;
};
