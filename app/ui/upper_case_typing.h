// The upper-case typing mode of the editor and of the search dialogs' fields: while it is on, a
// typed lower-case ASCII letter goes in as its capital and a typed "@" is dropped. Keys held with
// Ctrl, Alt or Meta are shortcuts and pass as they are.
#pragma once

#include <QObject>

class QKeyEvent;
class QLineEdit;

namespace zorvan {

// Applies the mode to a key press meant for `target`: true when it took the key (dropped it, or
// sent `target` its capital instead), false when the key goes on as it is.
bool applyUpperCaseTyping(QObject* target, const QKeyEvent& key);

class UpperCaseTyping : public QObject {
    Q_OBJECT
public:
    // Follows the typing of `field` for as long as the field lives.
    static void install(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

}  // namespace zorvan
