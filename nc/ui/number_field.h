// Reading a number from a dialog field.
#pragma once

#include "app/ui/prompts.h"
#include "nc/logic/nc_words.h"

#include <QLineEdit>

#include <optional>

namespace zorvan {

// The field's number; when it holds none, the error naming its text is shown, the field gets
// the focus and nothing is returned.
inline std::optional<double> readNumberField(QWidget* dialog, QLineEdit* field)
{
    if (auto value = nc::parseDecimalNumber(field->text().toStdString()))
        return value;
    prompts().showError(dialog, QString("'%1' は数値ではありません").arg(field->text()));
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

}  // namespace zorvan
