#include "app/logic/document_file.h"

#include "app/logic/file_io.h"
#include "app/logic/text_editor.h"
#include "app/logic/text_pieces.h"
#include "app/logic/user_error.h"

#include <QStringDecoder>
#include <QStringEncoder>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

namespace zorvan {

namespace {

// The code page as lookup tables, filled once from the platform's converter (ICU). Only the
// characters that convert back to exactly their own bytes are kept, so every other byte falls to
// a marker and survives a save. Control characters and private-use characters (the user-defined
// area) are left to markers too, because the editor would show them as nothing.
class CodePage932 {
public:
    static const CodePage932& instance()
    {
        static const CodePage932 table;
        return table;
    }

    static bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
    static bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

    char32_t single(unsigned char b) const { return single_[b]; }
    char32_t pair(unsigned char lead, unsigned char trail) const { return pair_[(lead << 8) | trail]; }
    // The bytes of a character (one byte below 0x100, else lead and trail), 0 when it has none.
    std::uint16_t bytesOf(char32_t c) const { return c < 0x10000 ? encode_[c] : 0; }

private:
    CodePage932() : pair_(0x10000, 0), encode_(0x10000, 0)
    {
        QStringDecoder decoder("windows-31j");
        QStringEncoder encoder("windows-31j");
        if (!decoder.isValid() || !encoder.isValid()) {
            decoder = QStringDecoder("Shift_JIS");
            encoder = QStringEncoder("Shift_JIS");
        }
        if (!decoder.isValid() || !encoder.isValid())
            return;  // no converter: every byte above 0x7F becomes a marker, still lossless
        auto roundTrip = [&](const QByteArray& bytes) -> char32_t {
            decoder.resetState();
            QString text = decoder.decode(bytes);
            if (text.size() != 1 || text[0].isSurrogate())
                return 0;
            char32_t c = text[0].unicode();
            if (c < 0xA0 || (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFD)
                return 0;
            encoder.resetState();
            QByteArray back = encoder.encode(text);
            return back == bytes ? c : 0;
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            if (isLeadByte(static_cast<unsigned char>(b)))
                continue;
            char32_t c = roundTrip(QByteArray(1, static_cast<char>(b)));
            single_[b] = c;
            if (c)
                encode_[c] = static_cast<std::uint16_t>(b);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t c = roundTrip(QByteArray(bytes, 2));
                if (c && !encode_[c]) {
                    pair_[(lead << 8) | trail] = c;
                    encode_[c] = static_cast<std::uint16_t>((lead << 8) | trail);
                }
            }
        }
    }

    std::array<char32_t, 256> single_{};
    std::vector<char32_t> pair_;
    std::vector<std::uint16_t> encode_;
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The end of the run of bytes from p that pass through unchanged: ASCII other than NUL (and CR
// when a CR is text), checked eight bytes at a time.
const unsigned char* plainAsciiEnd(const unsigned char* p, const unsigned char* end, bool crAsMarker)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    auto hasZeroByte = [](std::uint64_t w) { return ((w - ones) & ~w & highs) != 0; };
    while (end - p >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if ((w & highs) || hasZeroByte(w) || (crAsMarker && hasZeroByte(w ^ (ones * '\r'))))
            break;
        p += 8;
    }
    while (p < end && *p < 0x80 && *p != 0 && !(crAsMarker && *p == '\r'))
        ++p;
    return p;
}

void appendMarker(std::string& out, unsigned char b) { appendUtf8(out, kByteMarkerBase + b); }

// The UTF-8 of the byte markers (U+F700 to U+F7FF) starts with 0xEF and one of 0x9C to 0x9F;
// that of the pair markers' plane (U+F0000 to U+FFFFF) with 0xF3 and one of 0xB0 to 0xBF.
bool startsMarker(const unsigned char* p, std::size_t left)
{
    return (left >= 3 && p[0] == 0xEF && p[1] >= 0x9C && p[1] <= 0x9F) || (left >= 4 && p[0] == 0xF3 && p[1] >= 0xB0);
}

// Decodes UTF-8 bytes [p, end): well-formed characters stay as they are; every other byte, and
// the bytes of a character that is itself a marker code point, become markers, so the bytes
// survive a save whatever they are.
void appendDecodedUtf8(std::string& out, const unsigned char* p, const unsigned char* end, bool crAsMarker)
{
    while (p < end) {
        const unsigned char* run = p;
        p = plainAsciiEnd(p, end, crAsMarker);
        out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (p == end)
            break;
        const std::size_t length = *p < 0x80 ? 0 : utf8CharacterLength(p, end);
        if (length > 0 && !startsMarker(p, static_cast<std::size_t>(end - p))) {
            out.append(reinterpret_cast<const char*>(p), length);
            p += length;
        } else {
            appendMarker(out, *p++);
        }
    }
}

// Decodes [p, end). With `crAsMarker` a CR is text (it ends no line here) and becomes a marker.
void appendDecoded(std::string& out, const unsigned char* p, const unsigned char* end, bool crAsMarker,
                   Encoding encoding = Encoding::ShiftJis)
{
    if (encoding == Encoding::Utf8) {
        appendDecodedUtf8(out, p, end, crAsMarker);
        return;
    }
    const CodePage932& table = CodePage932::instance();
    while (p < end) {
        const unsigned char* run = p;
        p = plainAsciiEnd(p, end, crAsMarker);
        out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (p == end)
            break;
        unsigned char b = *p;
        if (b < 0x80) {  // NUL, or a CR that ends no line
            appendMarker(out, b);
            ++p;
            continue;
        }
        if (CodePage932::isLeadByte(b) && p + 1 < end && CodePage932::isTrailByte(p[1])) {
            const char32_t c = table.pair(b, p[1]);
            appendUtf8(out, c ? c : kBytePairMarkerBase + (char32_t{b} << 8) + p[1]);
            p += 2;
            continue;
        }
        if (char32_t c = table.single(b))
            appendUtf8(out, c);
        else
            appendMarker(out, b);
        ++p;
    }
}

const unsigned char* bytesOf(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Calls `line(begin, end, endedByBreak)` for each line of the file under the rules of its kind:
// the NC line reader for a "%" file, else the standard loader. A last piece without a break is a
// line only when it is not empty.
template <typename LineFn> void forEachLineOfKind(std::string_view text, bool ncProgram, LineFn&& line)
{
    const unsigned char* p = bytesOf(text);
    const unsigned char* end = p + text.size();
    if (ncProgram) {
        while (p < end) {
            auto* lf = static_cast<const unsigned char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!lf) {
                line(p, end, false);
                return;
            }
            const unsigned char* stop = (lf > p && lf[-1] == '\r') ? lf - 1 : lf;  // text mode
            line(p, stop, true);
            p = lf + 1;
        }
        return;
    }
    while (p < end) {
        const unsigned char* q = p;
        while (q < end && *q != '\r' && *q != '\n')
            ++q;
        if (q == end) {
            line(p, end, false);
            return;
        }
        line(p, q, true);
        p = (*q == '\r' && q + 1 < end && q[1] == '\n') ? q + 2 : q + 1;
    }
}

template <typename LineFn> void forEachLine(std::string_view text, LineFn&& line)
{
    forEachLineOfKind(text, isNcProgram(text), line);
}

}  // namespace

std::string bytesOfMarker(char32_t c)
{
    if (c >= kByteMarkerBase && c <= kByteMarkerBase + 0xFF)
        return std::string(1, static_cast<char>(c - kByteMarkerBase));
    if (c < kBytePairMarkerBase || c > kBytePairMarkerBase + 0xFFFF)
        return {};
    const auto lead = static_cast<unsigned char>((c - kBytePairMarkerBase) >> 8);
    const auto trail = static_cast<unsigned char>(c & 0xFF);
    // Only a pair that makes no character is a marker; any other would read back as something else.
    if (!CodePage932::isLeadByte(lead) || !CodePage932::isTrailByte(trail) || CodePage932::instance().pair(lead, trail))
        return {};
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

std::string markerLabel(char32_t c)
{
    const std::string bytes = bytesOfMarker(c);
    if (bytes == std::string(1, '\0'))
        return "NUL";
    if (bytes == "\r")
        return "CR";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string label = "x";
    for (unsigned char b : bytes) {
        label += kHex[b >> 4];
        label += kHex[b & 0xF];
    }
    return label;
}

std::vector<char32_t> allMarkers()
{
    std::vector<char32_t> markers;
    for (char32_t b = 0; b <= 0xFF; ++b)
        markers.push_back(kByteMarkerBase + b);
    for (char32_t pair = 0x8100; pair <= 0xFCFF; ++pair)
        if (!bytesOfMarker(kBytePairMarkerBase + pair).empty())
            markers.push_back(kBytePairMarkerBase + pair);
    return markers;
}

std::string decodeDocument(std::string_view bytes, Encoding encoding)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    appendDecoded(out, bytesOf(bytes), bytesOf(bytes) + bytes.size(), false, encoding);
    return out;
}

namespace {

// Where a big text is cut in two halves for two threads: just after the line feed nearest past
// its middle (a character boundary in both encodings); npos when one thread does better.
std::size_t halfwaySplit(std::string_view text)
{
    constexpr std::size_t kBytesWorthASecondThread = 4 << 20;
    if (text.size() < kBytesWorthASecondThread || std::thread::hardware_concurrency() < 2)
        return std::string_view::npos;
    std::size_t at = text.find('\n', text.size() / 2);
    return at == std::string_view::npos || at + 1 >= text.size() ? std::string_view::npos : at + 1;
}

// Appends the editor text of whole lines of a file of the given kind.
void appendLines(std::string& text, std::string_view bytes, bool ncProgram, Encoding encoding)
{
    forEachLineOfKind(bytes, ncProgram, [&](const unsigned char* begin, const unsigned char* end, bool endedByBreak) {
        appendDecoded(text, begin, end, true, encoding);
        if (endedByBreak)
            text += "\r\n";
    });
}

std::string decodeLines(std::string_view bytes, bool ncProgram, std::size_t room, Encoding encoding)
{
    std::string text;
    text.reserve(room + room / 16);
    appendLines(text, bytes, ncProgram, encoding);
    return text;
}

}  // namespace

std::string encodeDocument(std::string_view utf8, LineEnds style, FileEncoding encoding)
{
    return encodeDocumentOwned(std::string(utf8), style, encoding);
}

void LineEndCounter::add(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (!started_) {
        started_ = true;
        ncProgram_ = isNcProgram(bytes);
    }
    // A pair is counted at its CR, whose next byte is read too; one cut between the two is
    // counted here.
    if (endsWithReturn_ && bytes.front() == '\n')
        ++pairs_;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
#if defined(__SSE2__) && defined(__x86_64__)
    // Sixteen bytes at a time (a whole file goes through here before it is read for its text):
    // matches are counted in byte lanes, summed before they can overflow.
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    auto sum = [&](__m128i lanes) {
        const __m128i halves = _mm_sad_epu8(lanes, zero);
        return static_cast<std::size_t>(_mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves)));
    };
    while (end - p > 16) {
        __m128i feeds = zero, returns = zero, pairs = zero;
        for (int k = 0; k < 255 && end - p > 16; ++k, p += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
            const __m128i isReturn = _mm_cmpeq_epi8(here, cr);
            feeds = _mm_sub_epi8(feeds, _mm_cmpeq_epi8(here, lf));
            returns = _mm_sub_epi8(returns, isReturn);
            pairs = _mm_sub_epi8(pairs, _mm_and_si128(isReturn, _mm_cmpeq_epi8(next, lf)));
        }
        lineFeeds_ += sum(feeds);
        returns_ += sum(returns);
        pairs_ += sum(pairs);
    }
#endif
    for (; p < end; ++p) {
        lineFeeds_ += *p == '\n';
        if (*p == '\r') {
            ++returns_;
            pairs_ += p + 1 < end && p[1] == '\n';
        }
    }
    endsWithReturn_ = bytes.back() == '\r';
}

LineEnds LineEndCounter::style() const
{
    const std::size_t loneLineFeeds = lineFeeds_ - pairs_;
    const std::size_t loneReturns = ncProgram_ ? 0 : returns_ - pairs_;
    if ((pairs_ > 0) + (loneLineFeeds > 0) + (loneReturns > 0) > 1)
        return LineEnds::Mixed;
    return loneLineFeeds ? LineEnds::Lf : loneReturns ? LineEnds::Cr : LineEnds::CrLf;
}

LineEnds lineEndsOf(std::string_view bytes)
{
    LineEndCounter counter;
    counter.add(bytes);
    return counter.style();
}

std::string withLineEnds(std::string&& utf8, LineEnds style)
{
    if (style != LineEnds::Lf && style != LineEnds::Cr)
        return std::move(utf8);
    std::string text = std::move(utf8);
    char* s = text.data();
    const std::size_t n = text.size();
    std::size_t read = 0, written = 0;
    while (read < n) {
        const void* cr = std::memchr(s + read, '\r', n - read);
        const std::size_t stop = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - s) : n;
        if (written != read)
            std::memmove(s + written, s + read, stop - read);
        written += stop - read;
        read = stop;
        if (read == n)
            break;
        const bool lineBreak = read + 1 < n && s[read + 1] == '\n';
        s[written++] = lineBreak && style == LineEnds::Lf ? '\n' : '\r';
        read += lineBreak ? 2 : 1;
    }
    text.resize(written);
    return text;
}

bool isNcProgram(std::string_view bytes) { return !bytes.empty() && bytes.front() == '%'; }

void readDocument(std::string_view bytes, const TextSink& sink, std::size_t pieceSize, Encoding encoding)
{
    std::string piece;
    piece.reserve(std::min(bytes.size(), pieceSize) + pieceSize / 4 + 16);
    forEachLine(bytes, [&](const unsigned char* begin, const unsigned char* end, bool endedByBreak) {
        appendDecoded(piece, begin, end, true, encoding);
        if (endedByBreak)
            piece += "\r\n";
        if (piece.size() >= pieceSize) {
            sink(piece);
            piece.clear();
        }
    });
    if (!piece.empty())
        sink(piece);
}

std::string readDocument(std::string_view bytes, Encoding encoding)
{
    const bool ncProgram = isNcProgram(bytes);
    const std::size_t split = halfwaySplit(bytes);
    if (split == std::string_view::npos)
        return decodeLines(bytes, ncProgram, bytes.size(), encoding);
    auto lower = std::async(std::launch::async, [&] {
        return decodeLines(bytes.substr(split), ncProgram, bytes.size() - split, encoding);
    });
    std::string text = decodeLines(bytes.substr(0, split), ncProgram, bytes.size(), encoding);
    text += lower.get();
    return text;
}

namespace {

// True when the bytes read as themselves: ASCII without NUL, and every line break a CR LF.
bool readsAsItself(std::string_view bytes)
{
    const unsigned char* p = bytesOf(bytes);
    const unsigned char* end = p + bytes.size();
    std::size_t breaks = 0;
    for (;;) {
        p = plainAsciiEnd(p, end, true);
        if (p == end)
            break;
        if (*p != '\r' || p + 1 == end || p[1] != '\n')
            return false;
        ++breaks;
        p += 2;
    }
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) == breaks;
}

}  // namespace

std::string readDocumentOwned(std::string&& bytes)
{
    if (readsAsItself(bytes))
        return std::move(bytes);
    return readDocument(std::string_view(bytes));
}

namespace {

// The outcome of encoding a region in place: the bytes written at its start, or the character
// that cannot be written (still intact at `at`, as writing never overtakes reading).
struct InPlaceResult {
    std::size_t written = 0;
    bool failed = false;
    std::size_t at = 0, length = 0;
    std::size_t linesBefore = 0;  // line feeds in the region before the failure
    std::size_t column = 0;       // characters of its line before it (the region starts a line)
};

// Encodes text[from, to) into text[from, ...): no character's Shift-JIS form is longer than its
// UTF-8 form, so the written bytes never catch up with the ones still to read. In UTF-8 only the
// markers change (to their one byte).
InPlaceResult encodeRegionInPlace(std::string& text, std::size_t from, std::size_t to, Encoding encoding)
{
    const CodePage932& table = CodePage932::instance();
    unsigned char* s = reinterpret_cast<unsigned char*>(text.data());
    std::size_t i = from, w = from, column = 0;
    InPlaceResult result;
    auto fail = [&](std::size_t length) {
        result.failed = true;
        result.at = i;
        result.length = length;
        result.linesBefore = static_cast<std::size_t>(std::count(s + from, s + w, '\n'));
        result.column = column;
        return result;
    };
    while (i < to) {
        unsigned char b = s[i];
        if (b < 0x80) {
            std::size_t run = asciiPrefix(std::string_view(text).substr(i, to - i));
            const void* lastBreak = memrchr(s + i, '\n', run);
            column = lastBreak ? run - (static_cast<const unsigned char*>(lastBreak) - (s + i)) - 1 : column + run;
            if (w != i)
                std::memmove(s + w, s + i, run);
            i += run;
            w += run;
            continue;
        }
        std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > to)
            return fail(1);
        char32_t c = b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return fail(1);
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if ((c >= kByteMarkerBase && c <= kByteMarkerBase + 0xFF) || c >= kBytePairMarkerBase) {
            const std::string bytes = bytesOfMarker(c);
            if (!bytes.empty()) {
                std::memcpy(s + w, bytes.data(), bytes.size());
                w += bytes.size();
            } else if (encoding == Encoding::Utf8) {
                if (w != i)
                    std::memmove(s + w, s + i, length);
                w += length;
            } else {
                return fail(length);
            }
        } else if (encoding == Encoding::Utf8) {
            if (w != i)
                std::memmove(s + w, s + i, length);
            w += length;
        } else if (std::uint16_t code = table.bytesOf(c)) {
            if (code > 0xFF)
                s[w++] = static_cast<unsigned char>(code >> 8);
            s[w++] = static_cast<unsigned char>(code & 0xFF);
        } else {
            return fail(length);
        }
        i += length;
        ++column;
    }
    result.written = w - from;
    return result;
}

// The bytes of the text in `encoding`, in its own buffer, its breaks as they are.
std::string encodeInPlace(std::string&& utf8, Encoding encoding)
{
    if (asciiPrefix(utf8) == utf8.size())
        return std::move(utf8);
    std::string text = std::move(utf8);
    const std::size_t split = std::min(halfwaySplit(text), text.size());
    InPlaceResult lower;
    std::future<void> lowerDone;
    if (split < text.size())
        lowerDone = std::async(std::launch::async,
                               [&] { lower = encodeRegionInPlace(text, split, text.size(), encoding); });
    InPlaceResult upper = encodeRegionInPlace(text, 0, split, encoding);
    if (lowerDone.valid())
        lowerDone.get();
    if (upper.failed || lower.failed) {
        const InPlaceResult& bad = upper.failed ? upper : lower;
        std::size_t line = bad.linesBefore;
        if (!upper.failed)
            line += static_cast<std::size_t>(std::count(text.begin(), text.begin() + upper.written, '\n'));
        const std::string place = "（" + std::to_string(line) + "行 " + std::to_string(bad.column) + "桁）。";
        if (encoding == Encoding::Utf8)
            throw UserError("UTF-8の文字になっていないバイトがあります" + place);
        throw UserError("Shift-JISで書けない文字「" + text.substr(bad.at, bad.length) + "」があります" + place);
    }
    std::memmove(text.data() + upper.written, text.data() + split, lower.written);
    text.resize(upper.written + lower.written);
    return text;
}

}  // namespace

LoadedDocument loadDocument(std::string&& bytes, std::optional<Encoding> chosen)
{
    if (readsAsItself(bytes))  // the usual program: ASCII with CR LF breaks, read as it is
        return {std::move(bytes), LineEnds::CrLf, {chosen.value_or(Encoding::ShiftJis), false}};
    const FileEncoding encoding = detectEncoding(bytes, chosen);
    const std::string_view text = withoutMark(bytes, encoding);
    return {readDocument(text, encoding.encoding), lineEndsOf(text), encoding};
}

std::string encodeDocumentOwned(std::string&& utf8, LineEnds style, FileEncoding encoding)
{
    // Both encodings hold CR and LF only as themselves, so the breaks are rewritten afterwards.
    std::string bytes = withLineEnds(encodeInPlace(std::move(utf8), encoding.encoding), style);
    if (encoding.byteOrderMark)
        bytes.insert(0, kByteOrderMark);
    return bytes;
}

namespace {

// Calls `take(begin, end, encoding)` for each line an append or insert adds: its bytes, and the
// file's own encoding to decode them in.
template <typename Take> void forEachMergeLine(std::string_view bytes, Take&& take)
{
    const FileEncoding encoding = detectEncoding(bytes);
    bytes = withoutMark(bytes, encoding);
    const bool dropEmpty = isNcProgram(bytes);
    forEachLine(bytes, [&](const unsigned char* begin, const unsigned char* end, bool) {
        if (begin != end || !dropEmpty)
            take(begin, end, encoding.encoding);
    });
}

}  // namespace

std::vector<std::string> readMergeLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    forEachMergeLine(bytes, [&](const unsigned char* begin, const unsigned char* end, Encoding encoding) {
        appendDecoded(lines.emplace_back(), begin, end, true, encoding);
    });
    return lines;
}

std::vector<std::string> readMergePieces(std::string_view bytes)
{
    std::vector<std::string> pieces;
    forEachMergeLine(bytes, [&](const unsigned char* begin, const unsigned char* end, Encoding encoding) {
        if (pieces.empty() || pieces.back().size() >= kPieceBytes)
            pieces.emplace_back().reserve(kPieceBytes + kPieceBytes / 4);
        appendDecoded(pieces.back(), begin, end, true, encoding);
        pieces.back() += "\r\n";
    });
    return pieces;
}

QString openFailureMessage(const QString& path, const std::string& reason)
{
    return path + QStringLiteral("ﾌｧｲﾙを開けません。\n") + QString::fromStdString(reason);
}

namespace {

UserError openFailure(const QString& path, const FileError& e)
{
    return UserError(openFailureMessage(path, e.reason()).toStdString());
}

}  // namespace

std::optional<std::string> wideTextProblem(std::string_view head)
{
    head = head.substr(0, 4096);
    const auto startsWith = [&](std::string_view mark) { return head.starts_with(mark); };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
        return std::string(kWideTextRefusal).replace(0, 6, "UTF-32");
    if (startsWith("\xFF\xFE"sv) || startsWith("\xFE\xFF"sv))
        return std::string(kWideTextRefusal);
    // Without a mark: NULs in every other byte and hardly any in the bytes between (the NUL
    // leader and trailer of a punched program are NULs in both).
    std::size_t nuls[2] = {0, 0};
    for (std::size_t i = 0; i < head.size(); ++i)
        nuls[i % 2] += head[i] == '\0';
    const std::size_t half = head.size() / 2;
    if (half >= 2 && std::max(nuls[0], nuls[1]) * 10 >= half * 4 && std::min(nuls[0], nuls[1]) * 20 <= half)
        return std::string(kWideTextRefusal);
    return std::nullopt;
}

std::string readDocumentFile(const QString& path)
{
    std::string bytes;
    try {
        bytes = readWholeFile(path);
    } catch (const FileError& e) {
        throw openFailure(path, e);
    }
    if (auto problem = wideTextProblem(bytes))
        throw UserError(openFailureMessage(path, *problem).toStdString());
    return bytes;
}

namespace {

// Reads up to `most` bytes from the start of a file just opened or rewound.
std::size_t readHead(FileReader& file, char* into, std::size_t most)
{
    std::size_t got = 0;
    while (got < most)
        if (const std::size_t n = file.read(into + got, most - got))
            got += n;
        else
            break;
    return got;
}

}  // namespace

DocumentFileStream::DocumentFileStream(const QString& path, std::size_t pieceSize, std::optional<Encoding> chosen)
    : path_(path), pieceSize_(std::max<std::size_t>(pieceSize, 1))
{
    try {
        file_ = std::make_unique<FileReader>(path);
        if (file_->isRegular() && file_->size() > kMostInputBytes)
            throw FileError(path, tooLongReason(kMostInputBytes), false);
        // The mark first, as the kind of file and its line ends are those of the text after it.
        char head[kByteOrderMark.size()];
        const std::size_t headSize = readHead(*file_, head, sizeof head);
        const bool mark = chosen != Encoding::ShiftJis && std::string_view(head, headSize) == kByteOrderMark;
        {
            std::string wideHead(4096, '\0');
            file_->rewind();
            wideHead.resize(readHead(*file_, wideHead.data(), wideHead.size()));
            if (auto problem = wideTextProblem(wideHead))
                throw UserError(openFailureMessage(path, *problem).toStdString());
            file_->rewind();
            readHead(*file_, head, headSize);
        }
        encoding_ = {mark ? Encoding::Utf8 : chosen.value_or(Encoding::ShiftJis), mark};
        LineEndCounter counter;
        Utf8Detector detector;
        auto take = [&](std::string_view bytes) {
            counter.add(bytes);
            detector.add(bytes);
        };
        take(withoutMark(std::string_view(head, headSize), encoding_));
        std::string buffer(pieceSize_, '\0');
        std::size_t total = headSize;
        while (const std::size_t n = file_->read(buffer.data(), buffer.size())) {
            take(std::string_view(buffer.data(), n));
            total += n;
        }
        file_->checkUnchanged(total);
        lineEnds_ = counter.style();
        if (!chosen && !mark && detector.isUtf8())
            encoding_.encoding = Encoding::Utf8;
    } catch (const FileError& e) {
        throw openFailure(path, e);
    }
}

DocumentFileStream::~DocumentFileStream() = default;

void DocumentFileStream::read(const TextSink& sink)
{
    try {
        file_->rewind();
        char mark[kByteOrderMark.size()];
        const std::size_t skipped = encoding_.byteOrderMark ? readHead(*file_, mark, sizeof mark) : 0;
        // Bytes are cut behind their last line feed (never inside a character or a CR LF) and the
        // rest waits for the next read.
        std::string bytes(pieceSize_, '\0'), text;
        std::size_t held = 0, total = skipped;
        bool ncProgram = false;
        for (;;) {
            if (held == bytes.size())
                bytes.resize(bytes.size() * 2);  // a line longer than a piece
            const std::size_t n = file_->read(bytes.data() + held, bytes.size() - held);
            if (total == skipped)
                ncProgram = isNcProgram(std::string_view(bytes.data(), n));
            total += n;
            held += n;
            std::size_t cut = held;
            if (n > 0) {
                const void* lastFeed = memrchr(bytes.data(), '\n', held);
                if (!lastFeed)
                    continue;
                cut = static_cast<std::size_t>(static_cast<const char*>(lastFeed) - bytes.data()) + 1;
            }
            const std::string_view lines(bytes.data(), cut);
            if (!lines.empty() && readsAsItself(lines)) {
                sink(lines);
            } else if (!lines.empty()) {
                text.clear();
                appendLines(text, lines, ncProgram, encoding_.encoding);
                sink(text);
            }
            std::memmove(bytes.data(), bytes.data() + cut, held - cut);
            held -= cut;
            if (n == 0)
                break;
        }
        file_->checkUnchanged(total);
    } catch (const FileError& e) {
        throw openFailure(path_, e);
    }
}

void saveDocumentFile(const QString& path, std::string utf8, LineEnds style, FileEncoding encoding)
{
    const std::string failed = path.toStdString() + " に保存できませんでした。元のファイルはそのままです。\n";
    std::string bytes;
    try {
        bytes = encodeDocumentOwned(std::move(utf8), style, encoding);
        writeFileAtomically(path, bytes);
    } catch (const FileError& e) {
        throw UserError(failed + e.reason());
    } catch (const UserError& e) {
        throw UserError(failed + e.what());
    }
}

}  // namespace zorvan
