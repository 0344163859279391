#include "app/ui/scintilla_document.h"

#include <Qsci/qsciscintillabase.h>

#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <new>
#include <thread>

namespace zorvan {

// The loader of a Scintilla document (SCI_CREATELOADER), as Scintilla documents it; QScintilla
// does not install its header. (Not in an unnamed namespace: there the compiler, seeing no class
// derived from it, could take its calls for calls of the pure functions.)
class DocumentLoader {
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

protected:
    ~DocumentLoader() = default;
};

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
    // Any widget can release it; without one left, the memory goes with the process. Handing back
    // the memory of a big document takes a while, so the last reference goes in a later turn of
    // the event loop, apart from the work that let it go.
    auto release = [document = document_] {
        if (QsciScintillaBase* widget = QsciScintillaBase::pool())
            widget->SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, document);
    };
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, release, Qt::QueuedConnection);
    else
        release();
    document_ = nullptr;
}

struct DocumentFeed::State {
    std::mutex mutex;
    std::condition_variable ended;
    DocumentLoader* loader = nullptr;
    bool done = false;
    bool abandoned = false;
    bool failed = false;
};

DocumentFeed::DocumentFeed(QsciScintillaBase& helper, std::shared_ptr<const std::vector<std::string>> texts)
    : state_(std::make_shared<State>())
{
    auto* loader = reinterpret_cast<DocumentLoader*>(helper.SendScintilla(QsciScintillaBase::SCI_CREATELOADER, 0UL, 0L));
    if (!loader)
        throw std::bad_alloc();
    state_->loader = loader;
    // The settings are made while the document is empty, so that the loader keeps the character
    // index up as the text comes instead of the window's thread making it in one pass afterwards.
    void* document = loader->ConvertToDocument();
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, document);
    helper.SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, QsciScintillaBase::SC_CP_UTF8);
    helper.SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, QsciScintillaBase::SC_EOL_CRLF);
    helper.SendScintilla(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32);
    helper.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, static_cast<void*>(nullptr));
    std::thread([state = state_, texts = std::move(texts)] {
        bool failed = false;
        try {
            // One call takes the whole text: the document makes room once.
            if (texts->size() == 1) {
                failed = state->loader->AddData(texts->front().data(), static_cast<std::ptrdiff_t>(texts->front().size())) != 0;
            } else {
                std::size_t bytes = 0;
                for (const std::string& text : *texts)
                    bytes += text.size();
                std::string all;
                all.reserve(bytes);
                for (const std::string& text : *texts)
                    all += text;
                failed = state->loader->AddData(all.data(), static_cast<std::ptrdiff_t>(all.size())) != 0;
            }
        } catch (...) {
            failed = true;
        }
        std::lock_guard lock(state->mutex);
        state->failed = failed;
        state->done = true;
        if (state->abandoned)
            state->loader->Release();
        state->ended.notify_all();
    }).detach();
}

DocumentFeed::~DocumentFeed()
{
    if (taken_)
        return;
    std::lock_guard lock(state_->mutex);
    if (state_->done)
        state_->loader->Release();
    else
        state_->abandoned = true;  // the thread lets it go when it is done
}

DocumentRef DocumentFeed::take(const std::function<void()>& pause)
{
    for (;;) {
        {
            std::unique_lock lock(state_->mutex);
            if (state_->ended.wait_for(lock, std::chrono::milliseconds(5), [this] { return state_->done; }))
                break;
        }
        if (pause)
            pause();
    }
    taken_ = true;
    if (state_->failed) {
        state_->loader->Release();
        throw std::bad_alloc();
    }
    // The loader's reference becomes the document's.
    return DocumentRef(state_->loader->ConvertToDocument());
}

}  // namespace zorvan
