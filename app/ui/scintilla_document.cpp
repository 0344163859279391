#include "app/ui/scintilla_document.h"

#include <Qsci/qsciscintillabase.h>

#include <cstddef>
#include <new>

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

namespace zorvan {

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

DocumentFeed::DocumentFeed(QsciScintillaBase& helper, std::size_t bytes, bool roomFirst)
{
    loader_ = reinterpret_cast<ILoader*>(
        helper.SendScintilla(QsciScintillaBase::SCI_CREATELOADER, static_cast<unsigned long>(roomFirst ? bytes : 0), 0L));
    if (!loader_)
        throw std::bad_alloc();
    // The settings are made while the document is empty, so that the loader keeps the character
    // index up as the text comes instead of the window's thread making it in one pass afterwards.
    void* document = loader_->ConvertToDocument();
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document);
    helper.SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, QsciScintillaBase::SC_CP_UTF8);
    helper.SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, QsciScintillaBase::SC_EOL_CRLF);
    helper.SendScintilla(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32);
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, static_cast<void*>(nullptr));
    queue_ = std::make_unique<PieceQueue<std::shared_ptr<const std::string>>>(
        [this, bytes, roomFirst](std::shared_ptr<const std::string>& text) {
            auto hand = [this](const std::string& all) {
                if (!all.empty() && loader_->AddData(all.data(), static_cast<std::ptrdiff_t>(all.size())) != 0)
                    throw std::bad_alloc();
            };
            if (first_) {
                hand(*first_);
                first_.reset();
            }
            if (!text) {
                hand(gathered_);
                std::string().swap(gathered_);
                return;
            }
            if (roomFirst || (gathered_.empty() && text->size() >= bytes)) {  // as it is
                first_ = std::move(text);
                return;
            }
            // Small texts are gathered and handed over in one call at the end, so that the
            // document makes room once.
            if (gathered_.capacity() < bytes)
                gathered_.reserve(bytes);
            gathered_ += *text;
        });
}

DocumentFeed::~DocumentFeed()
{
    queue_.reset();  // the thread is done with the document
    if (!taken_)
        loader_->Release();
}

void DocumentFeed::add(std::shared_ptr<const std::string> text) { queue_->push(std::move(text)); }

DocumentRef DocumentFeed::take(const std::function<void()>& pause)
{
    // The last step on the feed's thread: the gathered text goes into the document.
    queue_->push(nullptr);
    queue_->finish(pause);
    taken_ = true;
    // The loader's reference becomes the document's.
    return DocumentRef(loader_->ConvertToDocument());
}

}  // namespace zorvan
