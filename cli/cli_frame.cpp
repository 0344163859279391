#include "cli/cli_frame.h"

#include "app/logic/document_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

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

bool parseOnOff(const std::string& option, const std::string& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    throw UsageError("expected on or off for " + option + ": '" + text + "'");
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

DocumentOptions parseDocumentOptions(const std::vector<std::string>& args, const CommandOptions& own)
{
    DocumentOptions options;
    EditorFont unusedFont;
    ProgramSettings stored;
    settings_store::read(stored, unusedFont);
    options.decimals = stored.decimals;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError("missing value for " + arg);
            return args[++i];
        };
        if (arg == "-o") {
            options.outPath = value();
        } else if (arg == "--in-place") {
            options.inPlace = true;
        } else if (arg == "--select") {
            const std::string& v = value();
            auto colon = v.find(':');
            if (colon == std::string::npos)
                throw UsageError("expected START:LENGTH for --select: '" + v + "'");
            options.select = {parseLong("--select", v.substr(0, colon)),
                              parseLong("--select", v.substr(colon + 1))};
        } else if (arg == "--caret") {
            options.caret = parseLong(arg, value());
        } else if (arg == "--decimal-number") {
            options.decimals.DecimalNumber = static_cast<int>(parseLong(arg, value()));
        } else if (arg == "--decimal-view") {
            options.decimals.DecimalView = static_cast<int>(parseLong(arg, value()));
        } else if (arg == "--force-decimal") {
            options.decimals.Froce_Decimal = parseOnOff(arg, value());
        } else if (arg == "--integer-only") {
            options.decimals.Non_Decimal = parseOnOff(arg, value());
        } else if (own.withValue.count(arg)) {
            options.values[arg] = value();
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
    return options;
}

std::string readInput(const std::optional<std::string>& file, std::istream& in)
{
    if (!file)
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return readDocumentFile(QString::fromStdString(*file));
}

std::string loadDocumentText(const std::optional<std::string>& file, std::istream& in)
{
    if (file) {
        // A mapped file is decoded straight from the page cache, without a copy of its bytes.
        QFile mapped(QString::fromStdString(*file));
        if (mapped.open(QIODevice::ReadOnly) && mapped.size() > 0)
            if (const uchar* bytes = mapped.map(0, mapped.size()))
                return readDocument(std::string_view(reinterpret_cast<const char*>(bytes),
                                                     static_cast<std::size_t>(mapped.size())));
    }
    return readDocumentOwned(readInput(file, in));
}

void writeFileAtomically(const std::string& path, const std::string& bytes)
{
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error(path + ": " + f.errorString().toStdString());
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
        || !f.commit())
        throw std::runtime_error(path + ": " + f.errorString().toStdString());
}

int runDocumentCommand(const std::vector<std::string>& args, Io& io, const CommandOptions& own,
                       const std::function<int(MemoryEditor&, const DocumentOptions&, Io&)>& body)
{
    DocumentOptions options = parseDocumentOptions(args, own);
    MemoryEditor editor(loadDocumentText(options.file, io.in));
    editor.setHistoryKept(false);  // a run never undoes: no change keeps its old text
    editor.setModified(false);
    if (options.select)
        editor.setSelection(options.select->first, options.select->second);
    else
        editor.setCaret(options.caret);

    int status = body(editor, options, io);
    if (status != Done)
        return status;

    std::string bytes = encodeDocumentOwned(editor.takeText());
    if (options.inPlace)
        writeFileAtomically(*options.file, bytes);
    else if (options.outPath)
        writeFileAtomically(*options.outPath, bytes);
    else
        io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Done;
}

}  // namespace zorvan::cli
