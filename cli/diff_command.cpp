// zorvan-cli diff [--ignore-n] [--ignore-blanks] [--by-value|--exact] [--ignore-comments]
// [--ignore-case] A B: a unified diff of the original lines (bytes as in the files), three lines
// of context. Exit status as diff's: 0 the same under the options, 1 different, 2 trouble.
// Numbers are compared by value unless --exact is given; nothing else is ignored by default.
#include "cli/commands.h"

#include "app/logic/file_io.h"
#include "app/logic/user_error.h"
#include "compare/logic/program_compare.h"

#include <QDateTime>
#include <QFileInfo>

#include <future>
#include <ostream>

namespace zorvan::cli {

namespace {

// How a line of the file ended: the editor holds every break as CR LF, the file may not.
enum LineEndKind : std::uint8_t { EndCrLf, EndLf, EndCr, EndNone };

struct Side {
    std::string name;
    LoadedDocument document;
    compare::LineKeys keys;
    std::vector<std::uint8_t> ends;  // each line's LineEndKind, for a file of mixed line ends

    LineEndKind endOf(std::size_t line, bool lastWithoutBreak) const
    {
        if (lastWithoutBreak)
            return EndNone;
        if (line < ends.size())
            return LineEndKind(ends[line]);
        return document.lineEnds == LineEnds::Lf ? EndLf : document.lineEnds == LineEnds::Cr ? EndCr : EndCrLf;
    }
};

// The end of each line of a file's text (after its mark), by the rules its reader splits it by:
// in a "%" program an LF ends a line (with the CR before it), elsewhere also a lone CR.
std::vector<std::uint8_t> lineEndsOfLines(std::string_view bytes)
{
    const bool ncProgram = isNcProgram(bytes);
    std::vector<std::uint8_t> ends;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ends.push_back(i > 0 && bytes[i - 1] == '\r' ? EndCrLf : EndLf);
        } else if (bytes[i] == '\r' && !ncProgram) {
            const bool pair = i + 1 < bytes.size() && bytes[i + 1] == '\n';
            ends.push_back(pair ? EndCrLf : EndCr);
            i += pair;
        }
    }
    return ends;
}

// The line ends of a file read as `side`, when they are mixed (else they all have its style).
void readMixedEnds(Side& side, std::string_view bytes)
{
    if (side.document.lineEnds == LineEnds::Mixed)
        side.ends = lineEndsOfLines(withoutMark(bytes, side.document.encoding));
}

// A file is read in pieces straight into its text, so neither side is ever held twice, and with
// `keyed` each piece's lines are keyed while the piece is fresh in the caches.
Side readSide(const std::string& name, std::istream& in, const compare::CompareOptions& options,
              std::optional<Encoding> encoding, bool keyed)
{
    // Standard input, and pipes or devices named as files (<(...), /dev/stdin), are read once,
    // bounded as every input is; only a regular file can be read twice in pieces.
    if (name == "-" || !isRegularFile(QString::fromStdString(name))) {
        std::string bytes = readInput(name == "-" ? std::nullopt : std::optional<std::string>(name), in);
        const LineEnds style = lineEndsOf(withoutMark(bytes, detectEncoding(bytes, encoding)));
        std::vector<std::uint8_t> ends;
        if (style == LineEnds::Mixed)
            ends = lineEndsOfLines(withoutMark(bytes, detectEncoding(bytes, encoding)));
        Side side{name, loadDocument(std::move(bytes), encoding), {}, std::move(ends)};
        if (keyed)
            side.keys = compare::lineKeys(side.document.text, options);
        return side;
    }
    const QString path = QString::fromStdString(name);
    DocumentFileStream stream(path, 1 << 20, encoding);
    Side side{name, {{}, stream.lineEnds(), stream.encoding()}, {}, {}};
    const auto size = static_cast<std::size_t>(std::max<qint64>(QFileInfo(path).size(), 0));
    side.document.text.reserve(size + size / 8);
    if (keyed) {
        side.keys.keys.reserve(size / 24 + 16);
        side.keys.spans.reserve(size / 24 + 16);
    }
    std::string scratch;
    stream.read([&](std::string_view piece) {
        side.document.text.append(piece);
        if (keyed)
            compare::addLineKeys(side.keys, piece, options, scratch);
    });
    if (side.document.lineEnds == LineEnds::Mixed)
        readMixedEnds(side, readDocumentFile(path));
    return side;
}

// "2026-12-07 20:29:47.123000000 +0000", as diff dates its files.
std::string fileTime(const std::string& name)
{
    const QDateTime time = name == "-" ? QDateTime::currentDateTime() : QFileInfo(QString::fromStdString(name)).lastModified();
    const int offset = time.offsetFromUtc() / 60;
    const QString zone = QString::asprintf("%c%02d%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
    return (time.toString("yyyy-MM-dd hh:mm:ss.zzz") + "000000 " + zone).toStdString();
}

const char* lineEnd(LineEndKind end)
{
    return end == EndLf ? "\n" : end == EndCr ? "\r" : "\r\n";
}

// With --exact the lines are compared as they are in the files, ends included: a line's end, or
// the missing break after a last line, is mixed into its key.
void keyLineEnds(Side& side)
{
    const std::string& text = side.document.text;
    const bool lastWithoutBreak = !text.empty() && text.back() != '\n';
    auto& keys = side.keys.keys;
    for (std::size_t line = 0; line < keys.size(); ++line) {
        const LineEndKind end = side.endOf(line, lastWithoutBreak && line + 1 == keys.size());
        if (end != EndCrLf)
            keys[line] = (keys[line] ^ (0x9E3779B97F4A7C15ULL * (end + 1))) * 0xBF58476D1CE4E5B9ULL;
    }
}

// "@@ -3,2 +3,4 @@": one line is given without its count, an empty range by the line before it.
std::string range(std::size_t first, std::size_t count)
{
    if (count == 1)
        return std::to_string(first + 1);
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

class UnifiedWriter {
public:
    UnifiedWriter(const Side& a, const Side& b, const compare::Comparison& comparison, std::ostream& out)
        : a_(a), b_(b), left_{a.document.text, comparison.leftSpans}, right_{b.document.text, comparison.rightSpans},
          out_(out)
    {
    }

    void write(const compare::Alignment& alignment)
    {
        out_ << "--- " << a_.name << '\t' << fileTime(a_.name) << "\n+++ " << b_.name << '\t' << fileTime(b_.name)
             << '\n';
        const auto& blocks = alignment.blocks;
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            if (!blocks[k].changed)
                continue;
            // The hunk runs on while the equal stretch between two changes is short.
            std::size_t last = k;
            while (last + 2 < blocks.size() && blocks[last + 1].aCount <= 2 * kContext)
                last += 2;
            writeHunk(blocks, k, last);
            k = last;
        }
    }

private:
    static constexpr std::size_t kContext = 3;

    // The lines of one side, found by their lengths.
    struct Lines {
        std::string_view text;
        const compare::LineSpans& spans;
        std::size_t line = 0, offset = 0;

        void skipTo(std::size_t target)
        {
            for (; line < target; ++line)
                offset += spans[line];
        }
        // The next line with its break.
        std::string_view next()
        {
            const std::string_view whole = text.substr(offset, spans[line]);
            offset += spans[line++];
            return whole;
        }
    };

    void writeHunk(const std::vector<compare::Block>& blocks, std::size_t first, std::size_t last)
    {
        const std::size_t before = first > 0 ? std::min(kContext, blocks[first - 1].aCount) : 0;
        const std::size_t after = last + 1 < blocks.size() ? std::min(kContext, blocks[last + 1].aCount) : 0;
        const std::size_t aStart = blocks[first].a - before, bStart = blocks[first].b - before;
        const std::size_t aEnd = blocks[last].a + blocks[last].aCount + after;
        const std::size_t bEnd = blocks[last].b + blocks[last].bCount + after;
        out_ << "@@ -" << range(aStart, aEnd - aStart) << " +" << range(bStart, bEnd - bStart) << " @@\n";
        left_.skipTo(aStart);
        right_.skipTo(bStart);
        auto lines = [&](Lines& from, const Side& side, char mark, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t line = from.line;
                const std::string_view whole = from.next();
                out_ << mark
                     << encodeDocument(compare::lineWithoutBreak(whole), LineEnds::CrLf,
                                       FileEncoding{side.document.encoding.encoding, false});
                const LineEndKind end = side.endOf(line, whole.empty() || whole.back() != '\n');
                out_ << (end == EndNone ? "\n\\ No newline at end of file\n" : lineEnd(end));
            }
        };
        auto same = [&](std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) {
                lines(left_, a_, ' ', 1);
                right_.next();
            }
        };
        same(before);
        for (std::size_t k = first; k <= last; ++k) {
            if (!blocks[k].changed) {
                same(blocks[k].aCount);
                continue;
            }
            lines(left_, a_, '-', blocks[k].aCount);
            lines(right_, b_, '+', blocks[k].bCount);
        }
        same(after);
    }

    const Side& a_;
    const Side& b_;
    Lines left_, right_;
    std::ostream& out_;
};

compare::CompareOptions parseOptions(const std::vector<std::string>& args, std::vector<std::string>& files,
                                     std::optional<Encoding>& encoding)
{
    compare::CompareOptions options{.ignoreSequenceNumbers = false, .ignoreBlanks = false, .numbersByValue = true,
                                    .ignoreComments = false, .ignoreCase = false};
    bool byValue = false, exact = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--encoding") {
            encoding = parseEncodingOption(optionValue(args, i));
        } else if (arg == "--ignore-n")
            options.ignoreSequenceNumbers = true;
        else if (arg == "--ignore-blanks")
            options.ignoreBlanks = true;
        else if (arg == "--by-value")
            byValue = true;
        else if (arg == "--exact")
            exact = true;
        else if (arg == "--ignore-comments")
            options.ignoreComments = true;
        else if (arg == "--ignore-case")
            options.ignoreCase = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (byValue && exact)
        throw UsageError("--by-value and --exact exclude each other");
    options.numbersByValue = !exact;
    if (files.size() != 2)
        throw UsageError("expected two files A B");
    if (files[0] == "-" && files[1] == "-")
        throw UsageError("only one of A and B can be standard input");
    return options;
}

}  // namespace

int runDiff(const std::vector<std::string>& args, Io& io)
{
    std::vector<std::string> files;
    std::optional<Encoding> encoding;
    const compare::CompareOptions options = parseOptions(args, files, encoding);
    try {
        // While the first file is read and keyed, the second is read; its lines then mostly take
        // the keys of the same lines of the first.
        auto first = std::async(std::launch::async, [&] { return readSide(files[0], io.in, options, encoding, true); });
        Side b = readSide(files[1], io.in, options, encoding, false);
        Side a = first.get();
        b.keys = compare::lineKeysLike(b.document.text, options, a.document.text, a.keys);
        if (!options.numbersByValue) {
            keyLineEnds(a);
            keyLineEnds(b);
        }
        const compare::Comparison comparison = compare::compareLines(a.document.text, b.document.text, std::move(a.keys),
                                                                     std::move(b.keys), options);
        const compare::Alignment& alignment = comparison.alignment;
        if (options.numbersByValue)
            for (const bool left : {true, false}) {
                const Side& side = left ? a : b;
                const auto unread = compare::unreadableWordsOfChanges(
                    side.document.text, left ? comparison.leftSpans : comparison.rightSpans, alignment, left);
                if (!unread.empty())
                    io.err << "zorvan-cli diff: " << side.name << ": "
                           << nc::unreadableWordsMessage(unread, "読めない数値の語は書かれたとおりに比べます:") << '\n';
            }
        if (alignment.same())
            return Done;
        if (alignment.unalignedLines > 0)
            io.err << "zorvan-cli diff: " << alignment.unalignedLines
                   << " lines are too different to align; they are shown as removed and added\n";
        UnifiedWriter(a, b, comparison, io.out).write(alignment);
        io.out.flush();
        return io.out ? Refused : Usage;  // a cut-off output is trouble, not a difference
    } catch (const std::exception& e) {
        io.err << "zorvan-cli diff: " << e.what() << '\n';
        return Usage;
    }
}

}  // namespace zorvan::cli
