#include "app/logic/chunked_encoder.h"

#include <algorithm>

namespace zorvan {

ChunkedEncoder::ChunkedEncoder(LineEnds style, Sink sink, std::size_t chunk, FileEncoding encoding)
    : style_(style), encoding_(encoding), sink_(std::move(sink)), chunk_(std::max<std::size_t>(chunk, 8))
{
}

void ChunkedEncoder::add(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t take = std::min(text.size(), chunk_ - std::min(chunk_ - 1, pending_.size()));
        pending_.append(text.substr(0, take));
        text.remove_prefix(take);
        if (pending_.size() >= chunk_)
            handOver(safeCut());
    }
}

void ChunkedEncoder::finish()
{
    if (!pending_.empty())
        handOver(pending_.size());
}

// The last place where a cut splits no character and parts no line feed from what stands before
// it (a CR, or a CR kept as text, whose encoding depends on the feed that follows); the end itself
// is no such place, as what follows it is not known yet.
std::size_t ChunkedEncoder::safeCut() const
{
    for (std::size_t cut = pending_.size() - 1; cut > 0; --cut) {
        const bool continuation = (static_cast<unsigned char>(pending_[cut]) & 0xC0) == 0x80;
        if (!continuation && pending_[cut] != '\n')
            return cut;
    }
    return pending_.size();
}

void ChunkedEncoder::handOver(std::size_t cut)
{
    std::string chunk = encodeDocumentOwned(pending_.substr(0, cut), style_, encoding_);
    pending_.erase(0, cut);
    sink_(chunk);
}

}  // namespace zorvan
