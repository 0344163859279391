// The two encodings a program file comes in: Shift-JIS (code page 932), what the machine controls
// have always written, and UTF-8, often with a byte-order mark, from newer CAM systems. A file is
// read in its encoding and written back in it, with the mark it had.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zorvan {

enum class Encoding { ShiftJis, Utf8 };

// How a file is encoded: the encoding, and for UTF-8 whether it starts with the byte-order mark.
struct FileEncoding {
    Encoding encoding = Encoding::ShiftJis;
    bool byteOrderMark = false;
    friend bool operator==(const FileEncoding&, const FileEncoding&) = default;
};

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// "Shift-JIS" or "UTF-8", as the status bar shows it.
const char* encodingName(Encoding encoding);

// The encoding of a file's bytes. Without a choice: a byte-order mark, or bytes that are well-formed
// UTF-8 and hold at least one multi-byte character, make UTF-8; anything else (plain ASCII too) is
// Shift-JIS. A chosen encoding is taken as it is; chosen UTF-8 still notes a mark.
FileEncoding detectEncoding(std::string_view bytes, std::optional<Encoding> chosen = std::nullopt);

// The bytes after the mark, when the encoding says there is one.
inline std::string_view withoutMark(std::string_view bytes, FileEncoding encoding)
{
    return encoding.byteOrderMark ? bytes.substr(kByteOrderMark.size()) : bytes;
}

// The length (2 to 4) of the well-formed UTF-8 multi-byte character at `p`, 0 when the bytes from
// `p` do not form one (a stray continuation byte, an overlong form, a surrogate, a cut character).
inline std::size_t utf8CharacterLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char b = *p;
    const std::size_t left = static_cast<std::size_t>(end - p);
    auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF)
        return left >= 2 && continuation(p[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3 || !continuation(p[2]))
            return 0;
        const unsigned char low = b == 0xE0 ? 0xA0 : 0x80, high = b == 0xED ? 0x9F : 0xBF;
        return p[1] >= low && p[1] <= high ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4 || !continuation(p[2]) || !continuation(p[3]))
            return 0;
        const unsigned char low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= low && p[1] <= high ? 4 : 0;
    }
    return 0;
}

// The detection for a file read in pieces, cut anywhere (the mark is the caller's to find).
class Utf8Detector {
public:
    void add(std::string_view bytes);
    // True when the bytes added so far are well-formed UTF-8 with a multi-byte character.
    bool isUtf8() const { return !broken_ && held_ == 0 && multiByte_; }

private:
    unsigned char pending_[4] = {};  // the start of a character cut by the end of a piece
    std::size_t held_ = 0;
    bool broken_ = false, multiByte_ = false;
};

}  // namespace zorvan
