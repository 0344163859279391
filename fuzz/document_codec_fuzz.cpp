// The document reader and writer on any bytes, in either encoding: a file whose line ends share one
// style is written back byte for byte; a mixed one is written with CR LF and then reads as the same text; the
// character codec alone gives back every byte sequence.
#include "app/logic/document_file.h"
#include "app/logic/user_error.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(encodeDocument(decodeDocument(bytes)) == bytes);

    const std::string text = readDocument(bytes);
    const LineEnds style = lineEndsOf(bytes);
    const std::string written = encodeDocument(text, style);
    if (style == LineEnds::Mixed)
        FUZZ_CHECK(readDocument(written) == text);
    else
        FUZZ_CHECK(written == bytes);

    LoadedDocument loaded = loadDocument(std::string(bytes), Encoding::ShiftJis);
    FUZZ_CHECK(loaded.text == text && loaded.lineEnds == style);
    FUZZ_CHECK(encodeDocumentOwned(std::move(loaded.text), style) == written);

    // In UTF-8 too, and in the encoding a load finds, with its mark.
    FUZZ_CHECK(encodeDocument(decodeDocument(bytes, Encoding::Utf8), LineEnds::CrLf, {Encoding::Utf8}) == bytes);
    const LoadedDocument found = loadDocument(std::string(bytes));
    const std::string again = encodeDocument(found.text, found.lineEnds, found.encoding);
    if (found.lineEnds == LineEnds::Mixed)
        FUZZ_CHECK(loadDocument(std::string(again), found.encoding.encoding).text == found.text);
    else
        FUZZ_CHECK(again == bytes);
    return 0;
}
