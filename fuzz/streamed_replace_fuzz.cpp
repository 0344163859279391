// The streamed replace of zorvan-cli: a file read in pieces of any size, every match replaced and
// the output encoded in chunks of any size gives the bytes of the replace on the whole text, and
// no chunk is longer than its size.
#include "app/logic/chunked_encoder.h"
#include "app/logic/document_file.h"
#include "app/logic/user_error.h"
#include "fuzz_check.h"
#include "nc/logic/find_replace.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;

// Input: piece size, chunk size, the lengths of the search and replacement bytes, those bytes,
// then the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::size_t pieceSize = 1 + data[0] % 64, chunk = 8 + data[1] % 64;
    std::size_t whatLength = data[2] % 8, withLength = data[3] % 32;
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    whatLength = std::min(whatLength, rest.size());
    const std::string what = decodeDocument(rest.substr(0, whatLength));
    rest.remove_prefix(whatLength);
    withLength = std::min(withLength, rest.size());
    const std::string with = decodeDocument(rest.substr(0, withLength));
    rest.remove_prefix(withLength);
    // Streamed only when a match cannot cross a line end and both texts can be written.
    if (what.empty() || what.find_first_of("\r\n") != std::string::npos)
        return 0;
    try {
        encodeDocument(what);
        encodeDocument(with);
    } catch (const UserError&) {
        return 0;
    }
    const LineEnds style = lineEndsOf(rest);
    std::string whole;
    const long wholeCount = nc::replaceEvery(whole, readDocument(rest), what, with);
    whole = encodeDocumentOwned(std::move(whole), style);

    std::string streamed;
    std::size_t longest = 0;
    long count = 0;
    ChunkedEncoder encoder(style, [&](std::string_view bytes) {
        longest = std::max(longest, bytes.size());
        streamed += bytes;
    }, chunk);
    readDocument(rest, [&](std::string_view text) {
        count += nc::replaceEveryInto(text, what, with, [&](std::string_view part) { encoder.add(part); });
    }, pieceSize);
    encoder.finish();
    FUZZ_CHECK(count == wholeCount);
    FUZZ_CHECK(streamed == whole);
    FUZZ_CHECK(longest <= chunk);
    return 0;
}
