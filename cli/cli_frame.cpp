#include "cli/cli_frame.h"

#include "app/logic/document_file.h"
#include "app/logic/file_io.h"

#include <QString>
#include <QStringDecoder>

#include <charconv>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace zorvan::cli {

namespace {

long parseLong(const std::string& option, const std::string& text)
{
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw UsageError("bad number for " + option + ": '" + text + "'");
    return value;
}

// A whole number in [low, high]; a UsageError naming the option otherwise.
int parseBounded(const std::string& option, const std::string& text, long low, long high)
{
    long value = parseLong(option, text);
    if (value < low || value > high)
        throw UsageError(option + " must be " + std::to_string(low) + " to " + std::to_string(high) + ": '" + text
                         + "'");
    return static_cast<int>(value);
}

// A value for the stored number `key`, within the range the settings dialog offers for it.
int parseStoredNumber(const std::string& option, const std::string& text, const char* key)
{
    const settings_store::Field& field = settings_store::field(key);
    return parseBounded(option, text, field.min, field.max);
}

bool parseOnOff(const std::string& option, const std::string& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    throw UsageError("expected on or off for " + option + ": '" + text + "'");
}

// Whether `text` is valid UTF-8: a search text that is only part of a character would match
// inside the characters of the document.
bool isWholeCharacters(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

}  // namespace

double DocumentOptions::number(const std::string& name, double fallback) const
{
    auto it = values.find(name);
    if (it == values.end())
        return fallback;
    const std::string& text = it->second;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError("bad number for " + name + ": '" + text + "'");
    return value;
}

std::string DocumentOptions::text(const std::string& name, const std::string& fallback) const
{
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i)
{
    if (i + 1 >= args.size())
        throw UsageError("missing value for " + args[i]);
    return args[++i];
}

std::optional<Encoding> parseEncodingOption(const std::string& value)
{
    if (value == "sjis")
        return Encoding::ShiftJis;
    if (value == "utf8")
        return Encoding::Utf8;
    if (value != "auto")
        throw UsageError("expected auto, sjis or utf8 for --encoding: '" + value + "'");
    return std::nullopt;
}

DocumentOptions parseDocumentOptions(const std::vector<std::string>& args, const CommandOptions& own)
{
    DocumentOptions options;
    EditorFont unusedFont;
    ProgramSettings stored;
    settings_store::read(stored, unusedFont);
    options.decimals = stored.decimals;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (arg == "-o") {
            options.outPath = value();
        } else if (arg == "--help") {
            throw HelpRequested{};
        } else if (arg == "--in-place") {
            options.inPlace = true;
        } else if (arg == "--select") {
            const std::string& v = value();
            auto colon = v.find(':');
            if (colon == std::string::npos)
                throw UsageError("expected START:LENGTH for --select: '" + v + "'");
            options.select = {parseLong("--select", v.substr(0, colon)),
                              parseLong("--select", v.substr(colon + 1))};
            if (options.select->first < 0 || options.select->second < 0)
                throw UsageError("--select needs a start and a length of 0 or more: '" + v + "'");
        } else if (arg == "--encoding") {
            options.encoding = parseEncodingOption(value());
        } else if (arg == "--caret") {
            options.caret = parseLong(arg, value());
        } else if (arg == "--decimal-number") {
            options.decimals.DecimalNumber = parseStoredNumber(arg, value(), "DecimalNumber");
        } else if (arg == "--decimal-view") {
            options.decimals.DecimalView = parseStoredNumber(arg, value(), "DecimalView");
        } else if (arg == "--force-decimal") {
            options.decimals.Froce_Decimal = parseOnOff(arg, value());
        } else if (arg == "--integer-only") {
            options.decimals.Non_Decimal = parseOnOff(arg, value());
        } else if (own.withValue.count(arg)) {
            options.values[arg] = value();
            if (!isWholeCharacters(options.values[arg]))
                throw UsageError(arg + " is not whole characters (UTF-8)");
        } else if (own.switches.count(arg)) {
            options.flags.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (!options.file) {
            options.file = arg;
        } else {
            throw UsageError("more than one FILE: " + arg);
        }
    }
    if (options.inPlace && (!options.file || *options.file == "-"))
        throw UsageError("--in-place needs a FILE");
    if (options.inPlace && options.outPath)
        throw UsageError("-o and --in-place exclude each other");
    if (options.file && *options.file == "-")
        options.file.reset();
    // Replacing a pipe or a device with a regular file would break whatever reads it.
    if (options.inPlace && !isRegularFile(QString::fromStdString(*options.file)))
        throw UsageError("--in-place needs a regular file: '" + *options.file + "'");
    return options;
}

bool namesStandardOutput(const std::string& path)
{
    return path == "-" || path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1";
}

std::string readInput(const std::optional<std::string>& file, std::istream& in)
{
    if (file)
        return readDocumentFile(QString::fromStdString(*file));
    // Straight from the stream's buffer: reads of a whole block, not of a character at a time.
    std::optional<std::string> read = readBounded(
        [&](char* into, std::size_t size) {
            const std::streamsize n = in.rdbuf()->sgetn(into, static_cast<std::streamsize>(size));
            return n > 0 ? static_cast<std::size_t>(n) : std::size_t(0);
        },
        kMostInputBytes);
    if (!read)
        throw UserError("標準入力を読めませんでした: " + tooLongReason(kMostInputBytes));
    if (auto problem = wideTextProblem(*read))
        throw UserError("標準入力を読めませんでした: " + *problem);
    return std::move(*read);
}

LoadedDocument loadDocumentInput(const std::optional<std::string>& file, std::istream& in,
                                 std::optional<Encoding> encoding)
{
    return loadDocument(readInput(file, in), encoding);
}

// The selection or caret given on the command line must lie within the text.
void applySelection(MemoryEditor& editor, const DocumentOptions& options)
{
    const long length = editor.length();
    if (options.select) {
        auto [start, count] = *options.select;
        if (start > length || count > length - start)
            throw UsageError("--select lies outside the text of " + std::to_string(length) + " characters: "
                             + std::to_string(start) + ":" + std::to_string(count));
        editor.setSelection(start, count);
    } else {
        if (options.caret < 0 || options.caret > length)
            throw UsageError("--caret lies outside the text of " + std::to_string(length)
                             + " characters: " + std::to_string(options.caret));
        editor.setCaret(options.caret);
    }
}

int runDocumentCommand(const std::vector<std::string>& args, Io& io, const CommandOptions& own,
                       const DocumentBody& body)
{
    return runDocumentCommand(parseDocumentOptions(args, own), io, body);
}

int runDocumentCommand(const DocumentOptions& options, Io& io, const DocumentBody& body)
{
    LoadedDocument document = loadDocumentInput(options.file, io.in, options.encoding);
    MemoryEditor editor(std::move(document.text));
    editor.setHistoryKept(false);  // a run never undoes: no change keeps its old text
    editor.setModified(false);
    applySelection(editor, options);

    int status = body(editor, options, io);
    if (status != Done)
        return status;

    std::string bytes = encodeDocumentOwned(editor.takeText(), document.lineEnds, document.encoding);
    if (options.inPlace)
        writeFileAtomically(QString::fromStdString(*options.file), bytes);
    else if (options.outPath && !namesStandardOutput(*options.outPath))
        writeFileAtomically(QString::fromStdString(*options.outPath), bytes);
    else
        io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Done;
}

}  // namespace zorvan::cli
