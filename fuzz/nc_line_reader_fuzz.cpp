// The "%" line reader: the same text in pieces of any size as in one, and an append's lines are
// the text's lines without the empty ones.
#include "app/logic/document_file.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace zorvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t pieceSize = 1 + data[0] % 64;
    const std::string bytes = "%" + std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
    FUZZ_CHECK(isNcProgram(bytes));

    const Encoding encoding = detectEncoding(bytes).encoding;  // as an append reads the file
    const std::string text = readDocument(bytes, encoding);
    std::string pieces;
    readDocument(bytes, [&](std::string_view piece) { pieces += piece; }, pieceSize, encoding);
    FUZZ_CHECK(pieces == text);

    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t to = text.find("\r\n", from);
        if (to == std::string::npos)
            to = text.size();
        if (to > from)
            lines.push_back(text.substr(from, to - from));
        from = to + 2;
    }
    FUZZ_CHECK(readMergeLines(bytes) == lines);
    return 0;
}
