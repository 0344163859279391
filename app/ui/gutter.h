// The line-number gutter beside the editor: bookmark labels, the extreme-value mark and every
// tenth line number, drawn for the visible lines only.
#pragma once

#include <QWidget>

class QsciScintilla;

namespace zorvan {

class DocumentModel;

class GutterPaintBox : public QWidget {
    Q_OBJECT
public:
    // Draws the marks of `document` beside the lines of `memo`.
    GutterPaintBox(const DocumentModel& document, QWidget* parent);
    void setEditorView(QsciScintilla* memo) { memo_ = memo; }
    // The width the labels and the largest line number shown for a text of `lineCount` lines
    // need, in this box's font.
    int widthFor(int lineCount) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const DocumentModel& document_;
    QsciScintilla* memo_ = nullptr;
};

}  // namespace zorvan
