#include "app/logic/text_pieces.h"

#include <algorithm>
#include <thread>

namespace zorvan {

std::vector<std::string_view> cutIntoPieces(std::string_view text, std::size_t pieceBytes)
{
    std::vector<std::string_view> pieces;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at =
            from + pieceBytes < text.size() ? text.find("\r\n", from + pieceBytes) : std::string_view::npos;
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(from));
            return pieces;
        }
        pieces.push_back(text.substr(from, at - from));
        from = at + 2;
    }
}

unsigned pieceWorkers() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace zorvan
