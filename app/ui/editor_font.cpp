#include "app/ui/editor_font.h"

#include <Qsci/qsciscintilla.h>

#include <QByteArray>

#include <algorithm>

namespace zorvan {

namespace {

// The default style, the three colour styles and the styles Scintilla draws around the text
// (line numbers, brace highlights, control characters, indent guides, call tips, fold display).
constexpr int kStyles[] = {
    QsciScintillaBase::STYLE_DEFAULT, 0, 1, 2, 3,
    QsciScintillaBase::STYLE_LINENUMBER, QsciScintillaBase::STYLE_BRACELIGHT,
    QsciScintillaBase::STYLE_BRACEBAD, QsciScintillaBase::STYLE_CONTROLCHAR,
    QsciScintillaBase::STYLE_INDENTGUIDE, QsciScintillaBase::STYLE_CALLTIP,
};

}  // namespace

QFont editorFont(const QsciScintilla& widget)
{
    const unsigned long style = QsciScintillaBase::STYLE_DEFAULT;
    long size = widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, style, static_cast<void*>(nullptr));
    QByteArray name(static_cast<int>(std::max(size, 0L)) + 1, '\0');
    widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, style, static_cast<void*>(name.data()));
    QFont font(QString::fromUtf8(name.constData()));
    long hundredths = widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, style);
    if (hundredths > 0)
        font.setPointSizeF(hundredths / 100.0);
    font.setBold(widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETBOLD, style) != 0);
    font.setItalic(widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETITALIC, style) != 0);
    font.setUnderline(widget.SendScintilla(QsciScintillaBase::SCI_STYLEGETUNDERLINE, style) != 0);
    return font;
}

void setEditorFont(QsciScintilla& widget, const QFont& font)
{
    QByteArray name = font.family().toUtf8();
    qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : 9;
    for (int style : kStyles) {
        auto s = static_cast<unsigned long>(style);
        widget.SendScintilla(QsciScintillaBase::SCI_STYLESETFONT, s, name.constData());
        widget.SendScintilla(QsciScintillaBase::SCI_STYLESETSIZEFRACTIONAL, s, static_cast<long>(points * 100 + 0.5));
        widget.SendScintilla(QsciScintillaBase::SCI_STYLESETBOLD, s, static_cast<long>(font.bold()));
        widget.SendScintilla(QsciScintillaBase::SCI_STYLESETITALIC, s, static_cast<long>(font.italic()));
        widget.SendScintilla(QsciScintillaBase::SCI_STYLESETUNDERLINE, s, static_cast<long>(font.underline()));
    }
}

}  // namespace zorvan
