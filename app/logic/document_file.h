// Reading and writing program files: Shift-JIS (code page 932) or UTF-8 bytes on disk (see
// text_encoding.h), UTF-8 text with CR LF breaks in the editor.
//
// Every byte sequence survives a load and a save unchanged. A byte that cannot be shown as text
// (a byte that is not part of a valid character of the file's encoding, a NUL, or a CR that does
// not end a line) is held in the editor as the reserved code point U+F700 + byte and written back
// as that byte; the editor shows these as visible markers. A UTF-8 file's byte-order mark is not
// part of the text: it is kept beside it and written again. Everything below reads the text after
// the mark ("%" is the first byte of the text).
//
// Line ends. The editor holds CR LF breaks only.
// - A file whose first byte is "%" is read by the NC line reader: an LF ends a line and a CR
//   right before it is dropped; a CR anywhere else stays in the line as a marker. Lines of any
//   length are kept whole, and NUL and 0xFF are text. Empty lines are kept on load and dropped
//   when the file is appended or inserted.
// - Any other file is read by the standard loader: CR LF, a lone CR and a lone LF each end a line.
// - The text ends with a line break exactly when the file ended with one.
// A file whose breaks all have one style (CR LF, LF, or outside "%" files a lone CR) is written
// back in that style, so it round-trips byte for byte; a file that mixes styles is written back
// with CR LF.
#pragma once

#include "app/logic/text_encoding.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

class FileReader;

// The line-end style of a file: the one style of all its breaks, or a mix. A file without breaks
// counts as CR LF, the style the program writes by default.
enum class LineEnds { CrLf, Lf, Cr, Mixed };

// The style of the breaks that the reader for this file's kind finds: LF and CR LF in a "%" file
// (where a lone CR is text), CR LF, LF and lone CR in other files.
LineEnds lineEndsOf(std::string_view bytes);

// lineEndsOf for a file that arrives in pieces, cut anywhere.
class LineEndCounter {
public:
    void add(std::string_view bytes);
    LineEnds style() const;

private:
    bool started_ = false, ncProgram_ = false, endsWithReturn_ = false;
    std::size_t lineFeeds_ = 0, returns_ = 0, pairs_ = 0;
};
// Editor text (CR LF breaks) with its breaks in `style` (Mixed: CR LF), in the same buffer.
std::string withLineEnds(std::string&& utf8, LineEnds style);

// The first reserved code point: byte b stands as U+F700 + b.
constexpr char32_t kByteMarkerBase = 0xF700;
// A lead byte and a trail byte that make no character stand together as one marker,
// U+F0000 + (lead << 8) + trail, so that no command, search or typing sees the trail byte (an "@"
// or a letter) as text of its own or splits the two.
constexpr char32_t kBytePairMarkerBase = 0xF0000;
// The bytes a marker stands for (one or two), empty when `c` is no marker.
std::string bytesOfMarker(char32_t c);
// How the editor shows a marker: "NUL", "CR", or "x" and the bytes in hex ("x85", "x8540").
std::string markerLabel(char32_t c);
// Every marker code point, for an editor that shows them by their labels.
std::vector<char32_t> allMarkers();

// The editor text for the bytes, character by character (no line rules: CR and LF pass through).
std::string decodeDocument(std::string_view bytes, Encoding encoding = Encoding::ShiftJis);
// The bytes written for the editor text (with the mark when `encoding` has one). Throws UserError
// naming the line and column of the first character that Shift-JIS cannot hold.
std::string encodeDocument(std::string_view utf8, LineEnds style = LineEnds::CrLf, FileEncoding encoding = {});

// A file whose first byte is "%" is an NC program and read by the NC line reader.
bool isNcProgram(std::string_view bytes);

// Receives the decoded text in pieces, in order.
using TextSink = std::function<void(std::string_view utf8)>;
// Decodes a whole file as a load does and hands the editor text to `sink` in pieces of about
// `pieceSize` bytes (so a big file needs no second full copy).
void readDocument(std::string_view bytes, const TextSink& sink, std::size_t pieceSize = 1 << 20,
                  Encoding encoding = Encoding::ShiftJis);
// The same, as one string.
std::string readDocument(std::string_view bytes, Encoding encoding = Encoding::ShiftJis);
// The same, reusing the buffer when the bytes read as themselves (the usual ASCII CR LF program).
std::string readDocumentOwned(std::string&& bytes);
// encodeDocument in the text's own buffer (no character's Shift-JIS form is longer than its
// UTF-8 form). The one encoder: every writer of documents and list files goes through it.
std::string encodeDocumentOwned(std::string&& utf8, LineEnds style = LineEnds::CrLf, FileEncoding encoding = {});

// A file read as a load does: the editor text, the file's line-end style and its encoding.
struct LoadedDocument {
    std::string text;
    LineEnds lineEnds = LineEnds::CrLf;
    FileEncoding encoding;
};
// Reads the file in `chosen`, else in the encoding detectEncoding finds.
LoadedDocument loadDocument(std::string&& bytes, std::optional<Encoding> chosen = std::nullopt);
// The lines an append or insert adds (each without its break), read in the file's own encoding:
// empty lines of an NC program are dropped, those of other files kept.
std::vector<std::string> readMergeLines(std::string_view bytes);
// The same lines, each followed by CR LF, in pieces of whole lines.
std::vector<std::string> readMergePieces(std::string_view bytes);

// Text of two or four bytes a character (UTF-16, UTF-32) that neither encoding can hold: the
// reason it is refused, found from a byte-order mark or NULs in every other byte of `head` (the
// first 4 KiB are looked at).
std::optional<std::string> wideTextProblem(std::string_view head);
inline constexpr const char* kWideTextRefusal =
    "UTF-16 のテキストです。Shift-JIS か UTF-8 で保存し直してから開いてください";

// Reads a whole file (readWholeFile); throws UserError with the load failure message naming
// `path` and the reason on a second line, also for UTF-16 or UTF-32 text.
std::string readDocumentFile(const QString& path);
// Writes the editor text to `path` in `style` and `encoding` with writeFileAtomically, so a failed
// write (or a character the encoding cannot hold) leaves the old file whole. Throws UserError
// naming the path and the reason.
void saveDocumentFile(const QString& path, std::string utf8, LineEnds style = LineEnds::CrLf,
                      FileEncoding encoding = {});

// A document file read as a load reads it, for a command that passes over a big file once: the
// file is read twice in pieces of about `pieceSize` bytes (first for its line-end style and
// encoding) and never held whole.
class DocumentFileStream {
public:
    // Opens the file and reads it for its line-end style and encoding (`chosen`, else detected);
    // throws UserError as readDocumentFile.
    explicit DocumentFileStream(const QString& path, std::size_t pieceSize = 1 << 20,
                                std::optional<Encoding> chosen = std::nullopt);
    ~DocumentFileStream();
    LineEnds lineEnds() const { return lineEnds_; }
    FileEncoding encoding() const { return encoding_; }
    // Reads the file again and hands its editor text to `sink` in pieces, each ending with a line
    // break but the last. Throws UserError as readDocumentFile, also when the file changed since
    // it was opened (after the pieces read so far were handed on).
    void read(const TextSink& sink);

private:
    QString path_;
    std::size_t pieceSize_;
    std::unique_ptr<FileReader> file_;
    LineEnds lineEnds_ = LineEnds::CrLf;
    FileEncoding encoding_;
};

// The message shown when a file cannot be read, with the reason.
QString openFailureMessage(const QString& path, const std::string& reason);

}  // namespace zorvan
