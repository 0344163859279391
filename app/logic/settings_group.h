// The program's settings store: organisation "Kw", application "Zorvan" (on Windows the registry
// key of that name), every value a string.
#pragma once

#include <QSettings>

namespace zorvan {

// The store with `group` opened while the object lives.
struct SettingsGroup {
    explicit SettingsGroup(const QString& group) { store.beginGroup(group); }
    ~SettingsGroup() { store.endGroup(); }
    SettingsGroup(const SettingsGroup&) = delete;
    SettingsGroup& operator=(const SettingsGroup&) = delete;

    QSettings store{QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"};
};

}  // namespace zorvan
