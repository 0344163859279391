#include "app/ui/desktop_setup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zorvan {

namespace {

// The font the windows of the program are laid out for.
const QString kInterfaceFamily = QStringLiteral("ＭＳ Ｐゴシック");

// Installed Japanese families, the one of the set-up script's package first.
const QStringList kProportionalGothic = {"Noto Sans CJK JP", "IPAPGothic", "IPAexGothic",
                                         "VL PGothic", "TakaoPGothic", "Source Han Sans JP"};
const QStringList kFixedGothic = {"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic", "TakaoGothic",
                                  "Noto Sans CJK JP"};
const QStringList kMincho = {"Noto Serif CJK JP", "IPAPMincho", "IPAexMincho", "IPAMincho",
                             "TakaoPMincho", "Source Han Serif JP"};

struct WindowsFamily {
    const char* name;
    const QStringList& substitutes;
};

// Japanese Windows fonts under their Japanese and their English names; the fixed-pitch ones map
// to fixed-pitch fonts so columns of an NC program stay aligned.
const WindowsFamily kWindowsFamilies[] = {
    {"ＭＳ Ｐゴシック", kProportionalGothic}, {"MS PGothic", kProportionalGothic},
    {"ＭＳ ＵＩ Gothic", kProportionalGothic}, {"MS UI Gothic", kProportionalGothic},
    {"メイリオ", kProportionalGothic},        {"Meiryo", kProportionalGothic},
    {"Meiryo UI", kProportionalGothic},       {"游ゴシック", kProportionalGothic},
    {"Yu Gothic", kProportionalGothic},       {"ＭＳ ゴシック", kFixedGothic},
    {"MS Gothic", kFixedGothic},              {"ＭＳ Ｐ明朝", kMincho},
    {"MS PMincho", kMincho},                  {"ＭＳ 明朝", kMincho},
    {"MS Mincho", kMincho},
};

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

bool installQtJapanese(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QStringList japaneseSubstitutes(const QString& windowsFamily)
{
    for (const WindowsFamily& family : kWindowsFamilies)
        if (windowsFamily.compare(QString::fromUtf8(family.name), Qt::CaseInsensitive) == 0)
            return family.substitutes;
    return {};
}

void installJapaneseFontSubstitutes()
{
    for (const WindowsFamily& family : kWindowsFamilies)
        QFont::insertSubstitutions(QString::fromUtf8(family.name), family.substitutes);
}

void setUpDesktop(QApplication& app)
{
    // Dates, sizes and file type names in Qt's dialogs follow the Japanese interface, whatever
    // the session's language.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installQtJapanese(app);
    installJapaneseFontSubstitutes();
    QFont font = QApplication::font();
    font.setFamilies({kInterfaceFamily});
    QApplication::setFont(font);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(kDesktopId);
}

}  // namespace zorvan
