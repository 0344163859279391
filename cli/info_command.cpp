// zorvan-cli info: the program's summary by tool (distances, times, extents, speeds and feeds),
// as a table of text or as JSON (--format json). Lines count from 0, distances are in the
// program's units, times in seconds.
#include "cli/commands.h"

#include "inspect/logic/program_info.h"

#include <ostream>

namespace zorvan::cli {


int runInfo(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--format"}, {}});
    if (options.outPath || options.inPlace)
        throw UsageError("info prints the summary; -o and --in-place do not apply");
    const std::string format = options.text("--format", "text");
    if (format != "text" && format != "json")
        throw UsageError("--format must be text or json: '" + format + "'");
    LoadedDocument loaded = loadDocumentInput(options.file, io.in, options.encoding);
    const std::string text = std::move(loaded.text);
    const inspect::ProgramInfo info = inspect::summarizeProgram(text);
    io.out << (format == "json" ? inspect::infoJson(info) : inspect::infoText(info));
    return info.cutShort ? CutShort : Done;
}

}  // namespace zorvan::cli
