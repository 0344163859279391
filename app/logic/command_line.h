// The command lines of the editor: the one it is started with, and the one it starts the
// simulator with.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zorvan {

struct CommandLineOpen {
    QString path;
    std::optional<int> caret;  // character position for the caret after the load
};

// Argument 1 is the file; each later argument is joined to it with one blank, except one that
// starts with a digit, which is the caret position (the last such wins). Nothing to open without
// arguments. Throws UserError when a digit-led argument is not a whole number.
std::optional<CommandLineOpen> parseCommandLine(const QStringList& arguments);

// The simulator's arguments: the document, "l" and the 0-based line when one is given, "s", "d".
QStringList simulatorArguments(const QString& docPath, std::optional<int> line);

}  // namespace zorvan
