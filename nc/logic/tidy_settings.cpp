#include "nc/logic/tidy_settings.h"

#include "app/logic/settings_group.h"

namespace zorvan::nc {

namespace {

const QString kGroup = QStringLiteral("tidy");

void readNumber(QSettings& store, const char* key, long long& value, long long low, long long high)
{
    bool ok = false;
    const long long read = store.value(key).toString().trimmed().toLongLong(&ok);
    if (ok && read >= low && read <= high)
        value = read;
}

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

RenumberOptions readRenumberSettings()
{
    RenumberOptions options;
    SettingsGroup group(kGroup);
    QSettings& store = group.store;
    long long width = options.width, existingOnly = options.existingOnly, wrap = options.wrap;
    readNumber(store, "Start", options.start, 0, kLargestSequenceNumber);
    readNumber(store, "Step", options.step, 1, kLargestSequenceNumber);
    readNumber(store, "Width", width, 0, kWidestSequenceNumber);
    readNumber(store, "ExistingOnly", existingOnly, 0, 1);
    readNumber(store, "Max", options.max, 0, kLargestSequenceNumber);
    readNumber(store, "Wrap", wrap, 0, 1);
    options.width = static_cast<int>(width);
    options.existingOnly = existingOnly != 0;
    options.wrap = wrap != 0;
    if (renumberOptionsProblem(options))
        options.max = 0;  // a maximum below the start, stored by hand: none
    return options;
}

void writeRenumberSettings(const RenumberOptions& options)
{
    SettingsGroup group(kGroup);
    QSettings& store = group.store;
    store.setValue("Start", QString::number(options.start));
    store.setValue("Step", QString::number(options.step));
    store.setValue("Width", QString::number(options.width));
    store.setValue("ExistingOnly", flagText(options.existingOnly));
    store.setValue("Max", QString::number(options.max));
    store.setValue("Wrap", flagText(options.wrap));
}

BlankStyle readBlankSetting()
{
    SettingsGroup group(kGroup);
    return group.store.value("Blanks").toString().trimmed() == QLatin1String("remove") ? BlankStyle::Remove
                                                                                     : BlankStyle::Insert;
}

void writeBlankSetting(BlankStyle style)
{
    SettingsGroup group(kGroup);
    group.store.setValue("Blanks", style == BlankStyle::Remove ? QStringLiteral("remove") : QStringLiteral("insert"));
}

}  // namespace zorvan::nc
