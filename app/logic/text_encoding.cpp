#include "app/logic/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zorvan {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Scans [p, end) as UTF-8. Returns the place of the first byte that starts no well-formed
// character (end when none); `multiByte` is set when a multi-byte character was passed.
const unsigned char* firstMalformed(const unsigned char* p, const unsigned char* end, bool& multiByte)
{
    while (p < end) {
        while (end - p >= 8) {  // ASCII, eight bytes at a time
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            if (w & kHighBits)
                break;
            p += 8;
        }
        while (p < end && *p < 0x80)
            ++p;
        if (p == end)
            break;
        const std::size_t length = utf8CharacterLength(p, end);
        if (length == 0)
            return p;
        multiByte = true;
        p += length;
    }
    return end;
}

}  // namespace

const char* encodingName(Encoding encoding) { return encoding == Encoding::Utf8 ? "UTF-8" : "Shift-JIS"; }

FileEncoding detectEncoding(std::string_view bytes, std::optional<Encoding> chosen)
{
    if (chosen == Encoding::ShiftJis)
        return {Encoding::ShiftJis, false};
    const bool mark = bytes.starts_with(kByteOrderMark);
    if (chosen == Encoding::Utf8 || mark)
        return {Encoding::Utf8, mark};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    bool multiByte = false;
    const bool wellFormed = firstMalformed(p, p + bytes.size(), multiByte) == p + bytes.size();
    return {wellFormed && multiByte ? Encoding::Utf8 : Encoding::ShiftJis, false};
}

void Utf8Detector::add(std::string_view bytes)
{
    if (broken_ || bytes.empty())
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    // Complete the character the last piece cut, from at most three bytes of this one.
    if (held_ > 0) {
        const std::size_t take = std::min<std::size_t>(4 - held_, static_cast<std::size_t>(end - p));
        unsigned char joined[4];
        std::memcpy(joined, pending_, held_);
        std::memcpy(joined + held_, p, take);
        const std::size_t length = utf8CharacterLength(joined, joined + held_ + take);
        if (length == 0) {
            if (held_ + take == 4) {  // four bytes and no character: malformed
                broken_ = true;
                return;
            }
            std::memcpy(pending_ + held_, p, take);  // still cut: wait for the next piece
            held_ += take;
            return;
        }
        p += length - held_;
        held_ = 0;
        multiByte_ = true;
    }
    const unsigned char* bad = firstMalformed(p, end, multiByte_);
    if (bad == end)
        return;
    // A malformed place within the last three bytes may be a character cut by the piece's end.
    const std::size_t rest = static_cast<std::size_t>(end - bad);
    const unsigned char lead = *bad;
    const std::size_t wanted = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (wanted == 0 || lead > 0xF4 || rest >= wanted) {
        broken_ = true;
        return;
    }
    for (std::size_t k = 1; k < rest; ++k)
        if ((bad[k] & 0xC0) != 0x80) {
            broken_ = true;
            return;
        }
    std::memcpy(pending_, bad, rest);
    held_ = rest;
}

}  // namespace zorvan
