// zorvan-cli swap, extreme and replace: the search-based commands on a document. The output is
// text only, so the changed lines are not coloured.
#include "cli/commands.h"

#include "app/logic/chunked_encoder.h"
#include "app/logic/document_file.h"
#include "app/logic/file_io.h"

#include "nc/logic/axis_swap.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/find_replace.h"

#include <QString>

#include <ostream>

namespace zorvan::cli {

namespace {

char choiceOption(const DocumentOptions& options, const std::string& name, std::string_view choices)
{
    if (!options.has(name))
        throw UsageError("missing " + name);
    const std::string value = options.text(name);
    if (value.size() != 1 || choices.find(value[0]) == std::string_view::npos) {
        std::string listed;
        for (char c : choices)
            listed += std::string(listed.empty() ? "" : " ") + c;
        throw UsageError(name + " must be one of " + listed + ": '" + value + "'");
    }
    return value[0];
}

nc::ExtremeMethod methodOption(const DocumentOptions& options)
{
    const std::string method = options.text("--method");
    const char* const names[] = {"max", "min", "absmax", "absmin"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (method == names[i])
            return static_cast<nc::ExtremeMethod>(i);
    throw UsageError(options.has("--method") ? "--method must be one of max min absmax absmin: '" + method + "'"
                                             : "missing --method");
}

}  // namespace

int runSwap(const std::vector<std::string>& args, Io& io)
{
    const CommandOptions own{{"--from", "--to"}, {"--whole-file", "--letters-only"}};
    return runDocumentCommand(args, io, own, [](MemoryEditor& editor, const DocumentOptions& options, Io&) {
        const char a = choiceOption(options, "--from", nc::kSwapFirstLetters);
        const char b = choiceOption(options, "--to", nc::kSwapSecondChoices);
        const nc::CommandRange range{editor.selectionLength() > 0, options.flags.count("--whole-file") != 0};
        const nc::SwapWords words =
            options.flags.count("--letters-only") ? nc::SwapWords::LettersOnly : nc::SwapWords::WithArcs;
        nc::swapAxes(editor, a, b, range, nc::Recolour::None, words);
        return Done;
    });
}

int runExtreme(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--letter", "--method"}, {"--whole-file"}});
    if (options.outPath || options.inPlace)
        throw UsageError("extreme prints the word it found; -o and --in-place do not apply");
    const char letter = choiceOption(options, "--letter", nc::kExtremeLetters);
    const nc::ExtremeMethod method = methodOption(options);

    MemoryEditor editor(loadDocumentInput(options.file, io.in, options.encoding).text);
    editor.setHistoryKept(false);
    applySelection(editor, options);
    const nc::CommandRange range{editor.selectionLength() > 0, options.flags.count("--whole-file") != 0};
    const std::optional<nc::ExtremeWord> word = nc::findExtreme(editor, letter, method, range);
    if (!word) {
        io.err << nc::kNotFoundMessage << '\n';
        return Refused;
    }
    io.out << word->line << ' ' << word->start - editor.positionFromLine(word->line) << ' '
           << editor.textRange(word->start, word->length) << '\n';
    return Done;
}

namespace {

// A replace-all from the top of a file that goes to standard output is streamed when it cannot
// differ from the editor's: no match crosses a line end (the search text holds no CR or LF) and
// both texts are whole characters that the file's encoding can hold (encodesIn), so every piece
// encodes. Then a big program passes through in pieces and is never held whole.
bool canStream(const DocumentOptions& options, const std::string& what)
{
    if (!options.file || options.outPath || options.inPlace || options.select || options.caret != 0)
        return false;
    if (what.empty() || what.find_first_of("\r\n") != std::string::npos)
        return false;
    return isRegularFile(QString::fromStdString(*options.file));
}

bool encodesIn(const std::string& text, FileEncoding encoding)
{
    try {
        encodeDocument(text, LineEnds::CrLf, encoding);
    } catch (const UserError&) {
        return false;
    }
    return true;
}

struct OutputFailed {};

int streamReplace(DocumentFileStream& file, const std::string& what, const std::string& with, Io& io)
{
    // The output goes out in chunks, so a long replacement repeated often never piles up.
    ChunkedEncoder writer(
        file.lineEnds(),
        [&](std::string_view bytes) {
            if (!io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
                throw OutputFailed{};
        },
        ChunkedEncoder::kDefaultChunk, FileEncoding{file.encoding().encoding, false});
    long replaced = 0;
    try {
        const auto markSize = static_cast<std::streamsize>(kByteOrderMark.size());
        if (file.encoding().byteOrderMark && !io.out.write(kByteOrderMark.data(), markSize))
            throw OutputFailed{};
        file.read([&](std::string_view text) {
            replaced += nc::replaceEveryInto(text, what, with, [&](std::string_view part) { writer.add(part); });
        });
        writer.finish();
    } catch (const OutputFailed&) {
        return Done;  // the frame reports the failed output
    }
    io.err << replaced << '\n';
    return Done;
}

}  // namespace

int runReplace(const std::vector<std::string>& args, Io& io)
{
    const DocumentOptions options = parseDocumentOptions(args, {{"--find", "--with"}, {"--from-top"}});
    if (options.has("--find") && options.has("--with") && canStream(options, options.text("--find"))) {
        DocumentFileStream file(QString::fromStdString(*options.file), 1 << 20, options.encoding);
        if (encodesIn(options.text("--find"), file.encoding()) && encodesIn(options.text("--with"), file.encoding()))
            return streamReplace(file, options.text("--find"), options.text("--with"), io);
    }

    long replaced = 0;
    const int status = runDocumentCommand(options, io, [&replaced](MemoryEditor& editor, const DocumentOptions& options, Io&) {
        if (!options.has("--find"))
            throw UsageError("missing --find");
        if (!options.has("--with"))
            throw UsageError("missing --with");
        nc::SearchState state;
        state.searchText = options.text("--find");
        state.replacementText = options.text("--with");
        state.lastKind = nc::SearchState::Kind::Replace;
        state.replaceAll = true;
        const bool fromTop = options.flags.count("--from-top") != 0;
        const nc::ReplaceOutcome outcome =
            nc::replaceStep(editor, state, fromTop, [] { return nc::ReplaceAnswer::Yes; }, nc::Recolour::None);
        replaced = outcome.replaced;
        return Done;
    });
    // Only once the result is written: a failed write must not look like a count of changes made.
    if (status == Done)
        io.err << replaced << '\n';
    return status;
}

}  // namespace zorvan::cli
