// Editor text handed over in stretches of any length and written as document bytes in chunks of
// about a fixed size, for a pass whose output may be far longer than what it reads.
#pragma once

#include "app/logic/document_file.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zorvan {

class ChunkedEncoder {
public:
    using Sink = std::function<void(std::string_view bytes)>;
    static constexpr std::size_t kDefaultChunk = 256 * 1024;

    // Each chunk is cut where it splits neither a character nor a CR LF, encoded in `style` and
    // `encoding` and handed to `sink`; at most about `chunk` bytes are held.
    ChunkedEncoder(LineEnds style, Sink sink, std::size_t chunk = kDefaultChunk, FileEncoding encoding = {});

    void add(std::string_view text);
    // Encodes and hands over what is still held.
    void finish();

private:
    std::size_t safeCut() const;
    void handOver(std::size_t cut);

    LineEnds style_;
    FileEncoding encoding_;
    Sink sink_;
    std::size_t chunk_;
    std::string pending_;
};

}  // namespace zorvan
