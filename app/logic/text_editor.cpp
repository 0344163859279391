#include "app/logic/text_editor.h"

namespace zorvan {

namespace {
bool startsCodePoint(unsigned char byte) { return (byte & 0xC0) != 0x80; }
}  // namespace

long countCharacters(std::string_view utf8)
{
    long count = 0;
    for (unsigned char byte : utf8)
        count += startsCodePoint(byte);
    return count;
}

std::size_t byteOffsetOfCharacter(std::string_view utf8, long chars)
{
    if (chars <= 0)
        return 0;
    long seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (startsCodePoint(static_cast<unsigned char>(utf8[i]))) {
            if (seen == chars)
                return i;
            ++seen;
        }
    }
    return utf8.size();
}

}  // namespace zorvan
