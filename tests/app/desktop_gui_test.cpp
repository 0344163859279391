// The program at home on a Japanese Linux desktop: Qt's own dialogs in Japanese, the Windows font
// names of the windows drawn with installed Japanese fonts, the splash's texts whole.
#include "app/ui/desktop_setup.h"
#include "app/ui/formopen.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

class Desktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setUpDesktop(*qApp); }
};

bool drawsJapanese(const QString& family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
}

}  // namespace

TEST_F(Desktop, QtsOwnButtonsSpeakJapanese)
{
    QMessageBox box(QMessageBox::Question, "確認", "変更されています　保存しますか",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Open
                             | QDialogButtonBox::Save);
    const struct { QAbstractButton* button; const char* japanese; } cases[] = {
        {box.button(QMessageBox::Yes), "はい"},
        {box.button(QMessageBox::No), "いいえ"},
        {box.button(QMessageBox::Cancel), "キャンセル"},
        {buttons.button(QDialogButtonBox::Cancel), "キャンセル"},
        {buttons.button(QDialogButtonBox::Open), "開く"},
        {buttons.button(QDialogButtonBox::Save), "保存"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.button, nullptr);
        EXPECT_TRUE(c.button->text().contains(QString::fromUtf8(c.japanese))) << c.button->text().toStdString();
    }
}

TEST_F(Desktop, TheTranslationsComeFromQtsOwnFolderAndLoadAgain)
{
    EXPECT_TRUE(installQtJapanese(*qApp));
    // Dialogs show dates and sizes the Japanese way, whatever the session's language.
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat), "2026/12/07");
}

TEST_F(Desktop, WindowsFontNamesMapToJapaneseFonts)
{
    const struct { const char* name; const char* first; } cases[] = {
        {"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},
        {"MS PGothic", "Noto Sans CJK JP"},
        {"ms pgothic", "Noto Sans CJK JP"},
        {"ＭＳ ゴシック", "Noto Sans Mono CJK JP"},
        {"ＭＳ 明朝", "Noto Serif CJK JP"},
        {"DejaVu Sans", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const QStringList substitutes = japaneseSubstitutes(QString::fromUtf8(c.name));
        if (!c.first) {
            EXPECT_TRUE(substitutes.isEmpty()) << c.name;
            continue;
        }
        ASSERT_FALSE(substitutes.isEmpty()) << c.name;
        EXPECT_EQ(substitutes.first(), QString::fromUtf8(c.first)) << c.name;
        const QString resolved = QFontInfo(QFont(QString::fromUtf8(c.name))).family();
        EXPECT_TRUE(drawsJapanese(resolved)) << c.name << " drawn with " << resolved.toStdString();
    }
}

TEST_F(Desktop, TheInterfaceFontDrawsJapanese)
{
    EXPECT_TRUE(drawsJapanese(QFontInfo(QApplication::font()).family()));
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString(kDesktopId));
}

TEST_F(Desktop, TheSplashShowsItsTextsWhole)
{
    TOpenForm splash;
    splash.show();
    EXPECT_GE(splash.width(), 227);
    EXPECT_GE(splash.height(), 79);
    for (QLabel* label : {splash.StaticText1, splash.Label1, splash.Label2, splash.StaticText2}) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_TRUE(splash.rect().contains(label->geometry())) << label->text().toStdString();
    }
}
