// Scintilla documents held apart from any widget, and a new document filled on a thread of its
// own, so that a big text never holds up the window's thread while it is copied in.
#pragma once

#include "app/logic/piece_queue.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QsciScintillaBase;

class ILoader;  // Scintilla's document loader

namespace Scintilla {
class IDocument;  // the styling side of a Scintilla document
}

namespace zorvan {

// Colours of bytes as runs of one style, from some start.
struct StyleRun {
    long start;
    long length;
    char style;
};

// One reference to a Scintilla document; the document goes when its last reference does.
class DocumentRef {
public:
    DocumentRef() = default;
    // Takes over a reference the caller holds.
    explicit DocumentRef(void* document) : document_(document) {}
    // A new reference to the document `widget` shows.
    static DocumentRef shownBy(QsciScintillaBase& widget);
    DocumentRef(DocumentRef&& other) noexcept : document_(std::exchange(other.document_, nullptr)) {}
    DocumentRef& operator=(DocumentRef&& other) noexcept;
    DocumentRef(const DocumentRef&) = delete;
    DocumentRef& operator=(const DocumentRef&) = delete;
    ~DocumentRef() { reset(); }

    void* get() const { return document_; }
    explicit operator bool() const { return document_ != nullptr; }
    void reset();
    // Gives up the reference to the caller.
    void* take() { return std::exchange(document_, nullptr); }

private:
    void* document_ = nullptr;
};

// Lets the document go on a thread of its own: freeing a big one takes a while, which the window's
// thread should not spend. (Before any DocumentFeed was made it goes at once, on this thread.)
void releaseApart(DocumentRef document);

// A new UTF-8 document with CR LF breaks (and its UTF-32 character index), filled with texts (in
// the order they are added) on a thread of its own through the document's loader, and coloured
// there as the colours come. Made and taken on the window's thread; `helper` is a widget that
// shows nothing, whose view starts the document's settings.
class DocumentFeed {
public:
    // `bytes`: about how much text will come; the document makes room for it at once unless it is
    // very big. With `keepIndex` the document keeps its character index up as the text comes,
    // which spares the window's thread a pass over the whole text afterwards; else that is left
    // to the caller (a pass costs about half as much).
    DocumentFeed(QsciScintillaBase& helper, std::size_t bytes, bool keepIndex);
    // Not taken: the document goes.
    ~DocumentFeed();
    DocumentFeed(const DocumentFeed&) = delete;
    DocumentFeed& operator=(const DocumentFeed&) = delete;

    void add(std::shared_ptr<const std::string> text);
    // Whether the feed can colour the text itself (addStyles); else the caller colours the taken
    // document.
    bool colours() const { return styler_ != nullptr; }
    // Colours `runs` (from byte `at` of the document) on the feed's thread once their text is in;
    // may be called from any thread, before take().
    void addStyles(long at, std::vector<StyleRun> runs);
    // The same with one style byte for each byte from `at` on.
    void addStyleBytes(long at, std::string styles);
    // Waits for the filled document, calling `pause` every few milliseconds meanwhile (it may
    // throw, which abandons the document). Throws std::bad_alloc when the text did not fit.
    DocumentRef take(const std::function<void()>& pause);

private:
    struct Item {
        std::shared_ptr<const std::string> text;  // none: the styles from `at`; nor those: the end
        long at = 0;
        std::vector<StyleRun> runs;
        std::string styleBytes;
        long end() const;  // of the bytes styled
    };
    void take(Item& item, bool roomFirst);
    void hand(std::string_view text);
    // The runs waiting for their text, then those that now have it put in.
    void colourHanded();

    ::ILoader* loader_ = nullptr;
    Scintilla::IDocument* styler_ = nullptr;  // the loader's document, when its interface is the one known here
    long handed_ = 0;  // bytes in the document so far
    std::vector<Item> waiting_;  // runs whose text is not all in yet, in the order they came
    std::string gathered_;  // texts not handed over yet
    std::unique_ptr<PieceQueue<Item>> queue_;
    bool taken_ = false;
};

}  // namespace zorvan
