#include "app/logic/command_line.h"

#include "app/logic/user_error.h"

#include <charconv>
#include <string>

namespace zorvan {

std::optional<CommandLineOpen> parseCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    CommandLineOpen open;
    QString tail;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.isEmpty() && argument[0] >= QLatin1Char('0') && argument[0] <= QLatin1Char('9')) {
            const std::string digits = argument.toStdString();
            int value = 0;
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (ec != std::errc() || end != digits.data() + digits.size())
                throw UserError("「" + digits + "」は正しい整数値ではありません。");
            open.caret = value;
        } else {
            tail += QLatin1Char(' ') + argument;
        }
    }
    open.path = arguments[0] + tail;
    return open;
}

QStringList simulatorArguments(const QString& docPath, std::optional<int> line)
{
    QStringList arguments{docPath};
    if (line)
        arguments << QStringLiteral("l%1").arg(*line);
    arguments << QStringLiteral("s") << QStringLiteral("d");
    return arguments;
}

}  // namespace zorvan
