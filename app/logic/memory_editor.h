// In-memory editor: the text as a list of lines with a Fenwick tree over their lengths, so that
// reading, writing and locating a line cost O(log n) and rewriting every line of a long text is
// linear in its size.
#pragma once

#include "app/logic/text_editor.h"

#include <utility>

namespace zorvan {

class MemoryEditor : public TextEditor {
public:
    MemoryEditor();
    explicit MemoryEditor(std::string_view utf8);

    std::string text() const override;
    void setText(std::string_view utf8) override;
    long length() const override;
    std::string textRange(long start, long length) const override;

    long selectionStart() const override { return selStart_; }
    long selectionLength() const override { return selLength_; }
    void setSelection(long start, long length) override;
    void replaceSelection(std::string_view utf8) override;

    long find(std::string_view what, long from, long to) const override;

    int lineCount() const override;
    std::string line(int index) const override;
    int lineFromPosition(long pos) const override;
    long positionFromLine(int index) const override;
    void replaceLines(int first, int count, const std::vector<std::string>& lines) override;

    int firstVisibleLine() const override { return firstVisible_; }
    void scrollCaretIntoView() override;
    // The number of lines a window of this editor shows (for firstVisibleLine).
    void setVisibleLineCount(int lines) { visibleLines_ = lines; }

    TextColour colourAt(long pos) const override;
    void setColour(long start, long length, TextColour colour) override;

    bool isModified() const override { return modified_; }
    void setModified(bool modified) override { modified_ = modified; }

private:
    // A raw line is the text between two line breaks; every raw line but the last is followed
    // by CR LF (two positions). The last raw line may be empty.
    struct Line {
        std::string text;
        long chars = 0;
        std::vector<TextColour> colours;  // empty: all default; else one per position incl. break
    };

    long rawLength(std::size_t index) const;  // positions of raw line incl. its break
    void rebuildIndex();
    void addToIndex(std::size_t index, long delta);
    long prefix(std::size_t count) const;  // positions before raw line `count`
    std::pair<std::size_t, long> locate(long pos) const;  // raw line and column of a position
    void replaceRange(long start, long end, std::string_view utf8);
    void clampSelection();

    std::vector<Line> lines_;
    std::vector<long> tree_;  // Fenwick tree over rawLength
    long selStart_ = 0;
    long selLength_ = 0;
    bool modified_ = false;
    int firstVisible_ = 0;
    int visibleLines_ = 30;
};

}  // namespace zorvan
