// The one open document apart from any window: its path, the caret to take after a load, the
// bookmarks and the modified state (kept by the editor holding the text). The main window, its
// title and the gutter read it from here; commands receive it in their context.
#pragma once

#include "app/logic/document_file.h"

#include <QString>

#include <array>

namespace zorvan {

class TextEditor;

class DocumentModel {
public:
    static constexpr int kNoMark = -1;
    static constexpr int kExtremeMark = 11;  // the line of the last extreme value found

    DocumentModel() { Marks.fill(kNoMark); }

    // The file the text belongs to; empty for an untitled text. While a load runs it is the
    // file being read; a failed load puts back the path of the text still shown.
    QString DocPath;
    // The caret position to take after the next load (from the command line); 0 otherwise.
    int PendingCaret = 0;
    // The line-end style a save writes: the file's own when it had one style throughout, else
    // CR LF (the editor holds CR LF either way).
    LineEnds lineEnds = LineEnds::CrLf;
    // The encoding a save writes: the one the file was read in (a new text: Shift-JIS).
    FileEncoding encoding;
    // The encoding the next load reads in, when the user chose one; else it is detected.
    std::optional<Encoding> loadEncoding;
    // Bookmark lines 0-9 and the extreme-value line (index 11); kNoMark when unset.
    std::array<int, 12> Marks;

    // The editor holding the text, for the modified state; none means never modified.
    void attachEditor(TextEditor* editor) { editor_ = editor; }
    bool modified() const;
    void setModified(bool modified);

    // A load of `path` begins: the path is taken now, so the load reads it (in `chosen`, when
    // given).
    void beginLoad(const QString& path, std::optional<Encoding> chosen = std::nullopt)
    {
        DocPath = path;
        loadEncoding = chosen;
    }
    // The load took the file in: it is the text shown now, to be saved in the file's line-end
    // style and encoding.
    void loaded(LineEnds style = LineEnds::CrLf, FileEncoding read = {})
    {
        shownPath_ = DocPath;
        lineEnds = style;
        encoding = read;
        loadEncoding.reset();
    }
    // The load failed: the text shown and its path stay.
    void loadFailed();
    // The text was written to `path`, which becomes the document's (a mix of line ends was
    // written as CR LF).
    void savedAs(const QString& path)
    {
        DocPath = shownPath_ = path;
        if (lineEnds == LineEnds::Mixed)
            lineEnds = LineEnds::CrLf;
    }
    // A new, untitled, empty text.
    void cleared()
    {
        DocPath.clear(), shownPath_.clear();
        lineEnds = LineEnds::CrLf;
        encoding = {};
    }

    void setMark(int n, int line);
    int mark(int n) const { return n >= 0 && n < static_cast<int>(Marks.size()) ? Marks[n] : kNoMark; }
    void clearMarks() { Marks.fill(kNoMark); }

    // The window title for the state after a load or a save ("Zorvan", "Zorvan <path>") and for a
    // modified text ("Zorvan *<path>").
    QString title() const;
    QString modifiedTitle() const;

private:
    TextEditor* editor_ = nullptr;
    QString shownPath_;  // the path of the text shown
};

}  // namespace zorvan
