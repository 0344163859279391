// The settings store and the settings dialog. Each test executable gets its own
// XDG_CONFIG_HOME from ctest, so the user's own settings are never touched.
#include "app/logic/settings.h"
#include "app/ui/settingform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan"); }

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(store().fileName());
        programSettings() = ProgramSettings{};
    }
};

}  // namespace

TEST_F(SettingsTest, AFirstRunKeepsTheDefaults)
{
    ProgramSettings s;
    EditorFont font{"ＭＳ Ｐゴシック", 9};
    settings_store::read(s, font);
    EXPECT_EQ(s.SimulatorPath, "Pelmora.exe");
    EXPECT_EQ(s.decimals.DecimalNumber, 4);
    EXPECT_EQ(s.decimals.DecimalView, 2);
    EXPECT_FALSE(s.decimals.Froce_Decimal);
    EXPECT_FALSE(s.decimals.Non_Decimal);
    EXPECT_TRUE(s.UpperMode);
    EXPECT_EQ(font.name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.size, 9);
}

TEST_F(SettingsTest, UnreadableValuesFallBackAndOthersAreTakenWithoutRangeTest)
{
    {
        QSettings s = store();
        s.beginGroup("setting");
        s.setValue("FontSize", "abc");
        s.setValue("DecimalNumber", "12");
        s.setValue("DecimalView", "x");
        s.setValue("Froce_Decimal", "7");
        s.setValue("Non_Decimal", "0");
        s.setValue("Pelmora", "/opt/sim/Pelmora");
    }
    ProgramSettings s;
    EditorFont font{"ＭＳ Ｐゴシック", 9};
    settings_store::read(s, font);
    EXPECT_EQ(font.size, 9);
    EXPECT_EQ(s.decimals.DecimalNumber, 12);
    EXPECT_EQ(s.decimals.DecimalView, 2);
    EXPECT_TRUE(s.decimals.Froce_Decimal);
    EXPECT_FALSE(s.decimals.Non_Decimal);
    EXPECT_EQ(s.SimulatorPath, "/opt/sim/Pelmora");
}

TEST_F(SettingsTest, OkStoresTheFiveValuesAsStringsAndTakesThemAtOnce)
{
    TFormSetting dialog;
    dialog.FormShow();
    EXPECT_EQ(dialog.Edit1->text(), "Pelmora.exe");
    EXPECT_EQ(dialog.ComboBox1->currentIndex(), 4);
    EXPECT_EQ(dialog.radioButtons->checkedId(), 2);
    dialog.Edit1->setText("C:\\sim\\Pelmora.exe");
    dialog.ComboBox1->setCurrentIndex(0);
    dialog.CheckBox1->setChecked(true);
    dialog.BitBtn1Click();

    QSettings s = store();
    s.beginGroup("setting");
    EXPECT_EQ(s.value("Pelmora").toString(), "C:\\sim\\Pelmora.exe");
    EXPECT_EQ(s.value("DecimalNumber").toString(), "0");
    EXPECT_EQ(s.value("Froce_Decimal").toString(), "1");
    EXPECT_EQ(s.value("Non_Decimal").toString(), "0");
    EXPECT_EQ(s.value("DecimalView").toString(), "2");
    EXPECT_FALSE(s.contains("FontName"));
    EXPECT_EQ(programSettings().decimals.DecimalNumber, 0);
    EXPECT_TRUE(programSettings().decimals.Froce_Decimal);
}

TEST_F(SettingsTest, OutOfRangeValuesLeaveNoSelectionAndOkStoresMinusOne)
{
    programSettings().decimals.DecimalNumber = 12;
    programSettings().decimals.DecimalView = 5;
    TFormSetting dialog;
    dialog.FormShow();
    EXPECT_EQ(dialog.ComboBox1->currentIndex(), -1);
    EXPECT_EQ(dialog.radioButtons->checkedId(), -1);
    dialog.BitBtn1Click();
    QSettings s = store();
    s.beginGroup("setting");
    EXPECT_EQ(s.value("DecimalNumber").toString(), "-1");
    EXPECT_EQ(s.value("DecimalView").toString(), "-1");
}

TEST_F(SettingsTest, FontValuesAreWrittenAsText)
{
    settings_store::writeFont({"IPAGothic", 30});
    settings_store::writeFontSize(11);
    ProgramSettings s;
    EditorFont font;
    settings_store::read(s, font);
    EXPECT_EQ(font.name, "IPAGothic");
    EXPECT_EQ(font.size, 11);
    QSettings raw = store();
    EXPECT_EQ(raw.value("setting/FontSize").toString(), "11");
}

TEST_F(SettingsTest, EverySettingIsDescribedOnceAndRoundTripsAsText)
{
    ProgramSettings defaults;
    EditorFont defaultFont{"ＭＳ Ｐゴシック", 9};
    QStringList keys;
    for (const auto& field : settings_store::fields()) {
        keys << field.key;
        EXPECT_EQ(settings_store::storedTextOf(field, defaults, defaultFont), field.defaultValue) << field.key;
        EXPECT_LE(field.min, field.max) << field.key;
    }
    EXPECT_EQ(keys, QStringList({"FontName", "FontSize", "Pelmora", "DecimalNumber", "Froce_Decimal", "Non_Decimal",
                                 "DecimalView"}));
    EXPECT_EQ(keys.removeDuplicates(), 0);

    ProgramSettings changed;
    changed.SimulatorPath = "/x/sim";
    changed.decimals = {7, 1, true, true};
    changed.UpperMode = false;
    settings_store::writeDialogValues(changed);
    settings_store::writeFont({"IPAGothic", 14});
    ProgramSettings read;
    EditorFont font;
    settings_store::read(read, font);
    EXPECT_EQ(read.SimulatorPath, "/x/sim");
    EXPECT_EQ(read.decimals.DecimalNumber, 7);
    EXPECT_EQ(read.decimals.DecimalView, 1);
    EXPECT_TRUE(read.decimals.Froce_Decimal);
    EXPECT_TRUE(read.decimals.Non_Decimal);
    EXPECT_TRUE(read.UpperMode);  // session state: never stored
    EXPECT_FALSE(store().allKeys().join(' ').contains("Upper"));
    EXPECT_EQ(font.name, "IPAGothic");
    EXPECT_EQ(font.size, 14);
}
