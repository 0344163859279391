#include "compare/logic/compare_options.h"

#include "app/logic/settings_group.h"

namespace zorvan::compare {

namespace {

struct Key {
    const char* name;
    bool CompareOptions::*member;
};
constexpr Key kKeys[] = {
    {"IgnoreN", &CompareOptions::ignoreSequenceNumbers},
    {"IgnoreBlanks", &CompareOptions::ignoreBlanks},
    {"ByValue", &CompareOptions::numbersByValue},
    {"IgnoreComments", &CompareOptions::ignoreComments},
    {"IgnoreCase", &CompareOptions::ignoreCase},
};

}  // namespace

CompareOptions readCompareOptions()
{
    CompareOptions options;
    SettingsGroup group("compare");
    for (const Key& key : kKeys) {
        const QString text = group.store.value(key.name).toString().trimmed();
        if (text == QLatin1String("1"))
            options.*key.member = true;
        else if (text == QLatin1String("0"))
            options.*key.member = false;
    }
    return options;
}

void writeCompareOptions(const CompareOptions& options)
{
    SettingsGroup group("compare");
    for (const Key& key : kKeys)
        group.store.setValue(key.name, options.*key.member ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace zorvan::compare
