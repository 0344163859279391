// Reading and writing program files: bytes on disk, UTF-8 text with CR LF breaks in the editor.
#pragma once

#include <string>
#include <string_view>

namespace zorvan {

// The editor text for the bytes of a program file.
std::string decodeDocument(std::string_view bytes);
// The bytes written for the editor text.
std::string encodeDocument(std::string_view utf8);

}  // namespace zorvan
