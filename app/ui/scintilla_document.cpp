#include "app/ui/scintilla_document.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>
#include <string_view>

// The loader of a Scintilla document (SCI_CREATELOADER), declared as Scintilla declares it, in
// the global namespace and by the same name, so that it is the same type as the one the library
// hands out (a run-time type check compares them by name); QScintilla does not install its header.
class ILoader {
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

protected:
    ~ILoader() = default;
};

// The styling side of a document as the library's version 3 declares it (Scintilla::IDocument),
// the same type by name for the same reason; only the calls up to SetStyleFor are made.
namespace Scintilla {
class IDocument {
public:
    virtual int Version() const = 0;
    virtual void SetErrorStatus(int status) = 0;
    virtual std::ptrdiff_t Length() const = 0;
    virtual void GetCharRange(char* buffer, std::ptrdiff_t position, std::ptrdiff_t length) const = 0;
    virtual char StyleAt(std::ptrdiff_t position) const = 0;
    virtual std::ptrdiff_t LineFromPosition(std::ptrdiff_t position) const = 0;
    virtual std::ptrdiff_t LineStart(std::ptrdiff_t line) const = 0;
    virtual int GetLevel(std::ptrdiff_t line) const = 0;
    virtual int SetLevel(std::ptrdiff_t line, int level) = 0;
    virtual int GetLineState(std::ptrdiff_t line) const = 0;
    virtual int SetLineState(std::ptrdiff_t line, int state) = 0;
    virtual void StartStyling(std::ptrdiff_t position, char mask) = 0;
    virtual bool SetStyleFor(std::ptrdiff_t length, char style) = 0;

protected:
    ~IDocument() = default;
};
}  // namespace Scintilla

namespace zorvan {

namespace {

constexpr std::size_t kMostRoomFirst = 64u << 20;
constexpr std::size_t kFirstGathered = 4u << 20;
constexpr int kLineEndVersion = 1;       // what Version() tells in that interface
constexpr char kAllStyleBits = '\xff';  // the mask older versions took

}  // namespace

DocumentRef DocumentRef::shownBy(QsciScintillaBase& widget)
{
    void* document = widget.SendScintillaPtrResult(QsciScintillaBase::SCI_GETDOCPOINTER);
    widget.SendScintilla(QsciScintillaBase::SCI_ADDREFDOCUMENT, 0UL, document);
    return DocumentRef(document);
}

DocumentRef& DocumentRef::operator=(DocumentRef&& other) noexcept
{
    if (this != &other) {
        reset();
        document_ = std::exchange(other.document_, nullptr);
    }
    return *this;
}

void DocumentRef::reset()
{
    if (!document_)
        return;
    // Any widget can release it; without one left, the memory goes with the process.
    if (QsciScintillaBase* widget = QsciScintillaBase::pool())
        widget->SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, document_);
    document_ = nullptr;
}

namespace {

// Where a document's loader interface lies from the document's own address: the same for every
// document, learnt from the first loader (0 until then).
std::atomic<std::ptrdiff_t> loaderOffset{0};

ILoader* loaderOf(void* document, std::ptrdiff_t offset)
{
    return reinterpret_cast<ILoader*>(static_cast<char*>(document) + offset);
}

}  // namespace

void releaseApart(DocumentRef document)
{
    const std::ptrdiff_t offset = loaderOffset.load();
    if (offset == 0 || !document)
        return;  // `document` goes here
    // The thread lives as long as the program; documents still waiting at its end go with it.
    static PieceQueue<void*> releaser([offset](void*& pointer) { loaderOf(pointer, offset)->Release(); });
    releaser.push(document.take());
}

DocumentFeed::DocumentFeed(QsciScintillaBase& helper, std::size_t bytes, bool keepIndex)
{
    // Room for a big text is made on this thread in one go, which costs about a millisecond for
    // each megabyte of it; past some size the feed's thread lets the document grow instead.
    const bool roomFirst = bytes <= kMostRoomFirst;
    loader_ = reinterpret_cast<ILoader*>(
        helper.SendScintilla(QsciScintillaBase::SCI_CREATELOADER, static_cast<unsigned long>(roomFirst ? bytes : 0), 0L));
    if (!loader_)
        throw std::bad_alloc();
    // The document styles its text on the feed's thread too where it offers the styling interface
    // of the library version this was written for (which tells its version first).
    styler_ = dynamic_cast<Scintilla::IDocument*>(loader_);
    if (styler_ && styler_->Version() != kLineEndVersion)
        styler_ = nullptr;
    // The settings are made while the document is empty.
    void* document = loader_->ConvertToDocument();
    loaderOffset.store(reinterpret_cast<char*>(loader_) - static_cast<char*>(document));
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document);
    helper.SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, QsciScintillaBase::SC_CP_UTF8);
    helper.SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, QsciScintillaBase::SC_EOL_CRLF);
    if (keepIndex)
        helper.SendScintilla(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32);
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, static_cast<void*>(nullptr));
    queue_ = std::make_unique<PieceQueue<Item>>([this, roomFirst](Item& item) { take(item, roomFirst); });
}

void DocumentFeed::hand(std::string_view text)
{
    if (!text.empty() && loader_->AddData(text.data(), static_cast<std::ptrdiff_t>(text.size())) != 0)
        throw std::bad_alloc();
    handed_ += static_cast<long>(text.size());
}

void DocumentFeed::take(Item& item, bool roomFirst)
{
    if (item.text) {
        if (roomFirst) {
            hand(*item.text);
        } else {
            // Without room made first, the texts are gathered and handed over once they are as
            // long as the document: it then grows a few times only, each time by about its size.
            gathered_ += *item.text;
            if (gathered_.size() >= std::max<std::size_t>(static_cast<std::size_t>(handed_), kFirstGathered)) {
                hand(gathered_);
                gathered_.clear();
            }
        }
    } else if (!item.runs.empty() || !item.styleBytes.empty()) {
        waiting_.push_back(std::move(item));
    } else {
        hand(gathered_);
        std::string().swap(gathered_);
    }
    colourHanded();
}

void DocumentFeed::colourHanded()
{
    std::size_t done = 0;
    for (; done < waiting_.size(); ++done) {
        const Item& item = waiting_[done];
        if (item.end() > handed_)
            break;
        auto style = [this](long at, long length, char style) {
            styler_->StartStyling(at, kAllStyleBits);
            styler_->SetStyleFor(length, style);
        };
        // A new document's bytes have the default style 0, so only the others are set.
        const std::string& bytes = item.styleBytes;
        for (std::size_t i = 0; i < bytes.size();) {
            const std::size_t from = i;
            while (++i < bytes.size() && bytes[i] == bytes[from]) {
            }
            if (bytes[from] != 0)
                style(item.at + static_cast<long>(from), static_cast<long>(i - from), bytes[from]);
        }
        for (const StyleRun& run : item.runs)
            style(item.at + run.start, run.length, run.style);
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(done));
}

DocumentFeed::~DocumentFeed()
{
    queue_.reset();  // the thread is done with the document
    if (!taken_)
        loader_->Release();
}

void DocumentFeed::add(std::shared_ptr<const std::string> text) { queue_->push({std::move(text), 0, {}, {}}); }

long DocumentFeed::Item::end() const
{
    const long runsEnd = runs.empty() ? 0 : runs.back().start + runs.back().length;
    return at + std::max(runsEnd, static_cast<long>(styleBytes.size()));
}

void DocumentFeed::addStyles(long at, std::vector<StyleRun> runs)
{
    if (!runs.empty())
        queue_->push({nullptr, at, std::move(runs), {}});
}

void DocumentFeed::addStyleBytes(long at, std::string styles)
{
    if (!styles.empty())
        queue_->push({nullptr, at, {}, std::move(styles)});
}

DocumentRef DocumentFeed::take(const std::function<void()>& pause)
{
    // The last step on the feed's thread: the gathered text goes into the document.
    queue_->push({});
    queue_->finish(pause);
    taken_ = true;
    // The loader's reference becomes the document's.
    return DocumentRef(loader_->ConvertToDocument());
}

}  // namespace zorvan
