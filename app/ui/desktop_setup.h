// What the editor needs to look at home on a Linux desktop: Qt's own dialogs in Japanese, the
// Windows font names of the interface mapped to installed Japanese fonts, the program icon and
// the desktop entry's name for the window system.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;
class QCoreApplication;

namespace zorvan {

// The name of the desktop entry, the icon and the MIME package installed with the program.
inline constexpr char kDesktopId[] = "jp.kw.zorvan";

// Loads Qt's Japanese translations (file dialogs, font dialog, message box buttons) from Qt's
// translations folder. Returns false when the distribution's translation package is missing;
// the program then runs with Qt's English texts.
bool installQtJapanese(QCoreApplication& app);

// The installed families tried in turn for a Windows font name, or an empty list for a name
// that is not one of the Japanese Windows fonts.
QStringList japaneseSubstitutes(const QString& windowsFamily);

// Maps every Japanese Windows font name to the installed Japanese fonts, so text set in
// "ＭＳ Ｐゴシック" is drawn with Japanese glyphs and widths instead of a Latin fallback.
void installJapaneseFontSubstitutes();

// All of the above, plus the Japanese locale for Qt's dialogs, the interface font, the program
// icon and the desktop entry name.
void setUpDesktop(QApplication& app);

}  // namespace zorvan
