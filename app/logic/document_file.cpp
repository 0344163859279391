#include "app/logic/document_file.h"

namespace zorvan {

std::string decodeDocument(std::string_view bytes) { return std::string(bytes); }

std::string encodeDocument(std::string_view utf8) { return std::string(utf8); }

}  // namespace zorvan
