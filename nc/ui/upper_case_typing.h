// The typing rule of the search dialogs' fields: while the uppercase mode is on, a typed
// lower-case ASCII letter goes in as its capital and a typed "@" is dropped.
#pragma once

#include <QObject>

class QLineEdit;

namespace zorvan {

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
