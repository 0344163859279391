// Long texts cut into pieces of whole lines, so that a command can work on the pieces on worker
// threads and hand them over in order.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zorvan {

// Pieces of about 256 KB: big enough that handing one over costs little, small enough that the
// editor can take in the first while the workers make the rest.
inline constexpr std::size_t kPieceBytes = 256 * 1024;
// How far the workers may run ahead of the piece the editor takes next.
inline constexpr std::size_t kPiecesAhead = 64;

// The text (lines separated by CR LF) cut into pieces of whole lines of about `pieceBytes` bytes
// each; the break between two pieces belongs to neither.
std::vector<std::string_view> cutIntoPieces(std::string_view text, std::size_t pieceBytes = kPieceBytes);

// Worker threads for pieces that do not depend on each other.
unsigned pieceWorkers();

}  // namespace zorvan
