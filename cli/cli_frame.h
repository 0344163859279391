// The frame shared by the document commands of zorvan-cli:
//   zorvan-cli COMMAND [OPTIONS] [FILE]
// FILE (absent or "-": standard input) is loaded as the editor loads a document, in the encoding
// --encoding names (auto: the file's own); the result goes to standard output, to -o PATH, or back
// into FILE with --in-place, written as the editor saves (in the encoding the input was read in).
#pragma once

#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/logic/settings.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::cli {

struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The reason `out` failed, as the system gives it; absent for streams without one.
    std::function<std::string()> outFailure = {};
};

// A malformed command line: printed with the usage line, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `--help` after a command: its usage is printed to standard output, exit status 0.
struct HelpRequested {};

// CutShort: extents and plot, when the path was cut short by the interpreter's bounds.
enum ExitStatus { Done = 0, Refused = 1, Usage = 2, CutShort = 3 };

struct DocumentOptions {
    std::optional<std::string> file;  // absent: standard input
    std::optional<std::string> outPath;
    bool inPlace = false;
    std::optional<std::pair<long, long>> select;  // start, length, neither negative
    long caret = 0;
    std::optional<Encoding> encoding;  // --encoding sjis|utf8; absent (auto): detected
    DecimalSettings decimals;  // the stored settings with the overrides applied
    std::map<std::string, std::string> values;  // the command's own options that were given
    std::set<std::string> flags;                // the command's own switches that were given

    bool has(const std::string& name) const { return values.count(name) != 0; }
    // The option's value as a number; a UsageError naming it when it is not one.
    double number(const std::string& name, double fallback) const;
    std::string text(const std::string& name, const std::string& fallback = {}) const;
};

// What a command accepts besides the common options.
struct CommandOptions {
    std::set<std::string> withValue;  // e.g. "--x"
    std::set<std::string> switches;   // options without a value
};

// Parses the common options and the command's own; throws UsageError.
DocumentOptions parseDocumentOptions(const std::vector<std::string>& args, const CommandOptions& own);

// Loads the document, applies selection/caret, runs `body`, writes the result. `body` returns an
// exit status; on Done the document is written, otherwise nothing is.
using DocumentBody = std::function<int(MemoryEditor&, const DocumentOptions&, Io&)>;
int runDocumentCommand(const std::vector<std::string>& args, Io& io, const CommandOptions& own,
                       const DocumentBody& body);
// The same, for a command that has parsed its options already.
int runDocumentCommand(const DocumentOptions& options, Io& io, const DocumentBody& body);

// Applies --select or --caret to a loaded document; a place outside the text is a UsageError.
void applySelection(MemoryEditor& editor, const DocumentOptions& options);

// True for "-" and the names of standard output (/dev/stdout): written through `Io::out`, so a
// closed or full standard output is reported as such.
bool namesStandardOutput(const std::string& path);

// Reads a whole file or standard input, each at most kMostInputBytes (file_io.h); throws UserError
// naming the path.
std::string readInput(const std::optional<std::string>& file, std::istream& in);
// The value after the option at args[i]; moves i onto it. A missing value is a usage error.
const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i);
// The value of --encoding: auto (absent: detected), sjis or utf8; anything else is a usage error.
std::optional<Encoding> parseEncodingOption(const std::string& value);
// FILE (or standard input) read as the editor loads a document, in `encoding` when given: its
// text, line-end style and encoding.
LoadedDocument loadDocumentInput(const std::optional<std::string>& file, std::istream& in,
                                 std::optional<Encoding> encoding = std::nullopt);

}  // namespace zorvan::cli
