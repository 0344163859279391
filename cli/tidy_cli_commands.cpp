// zorvan-cli renumber and tidy: sequence numbers, blanks, empty lines and comments of a document.
// The output is text only, so the written lines are not coloured.
#include "cli/commands.h"

#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

#include <charconv>
#include <ostream>

namespace zorvan::cli {

namespace {

long long wholeOption(const DocumentOptions& options, const std::string& name, long long fallback, long long low,
                      long long high)
{
    if (!options.has(name))
        return fallback;
    const std::string text = options.text(name);
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError("bad number for " + name + ": '" + text + "'");
    if (value < low || value > high)
        throw UsageError(name + " must be " + std::to_string(low) + " to " + std::to_string(high) + ": '" + text + "'");
    return value;
}

nc::RenumberOptions renumberOptions(const DocumentOptions& options)
{
    nc::RenumberOptions chosen;
    chosen.start = wholeOption(options, "--start", chosen.start, 0, nc::kLargestSequenceNumber);
    chosen.step = wholeOption(options, "--step", chosen.step, 1, nc::kLargestSequenceNumber);
    chosen.width = static_cast<int>(wholeOption(options, "--width", chosen.width, 0, nc::kWidestSequenceNumber));
    chosen.existingOnly = options.flags.count("--existing-only") != 0;
    chosen.max = wholeOption(options, "--max", 0, chosen.start, nc::kLargestSequenceNumber);
    if (options.has("--on-overflow")) {
        if (!options.has("--max"))
            throw UsageError("--on-overflow needs --max");
        const std::string overflow = options.text("--on-overflow");
        if (overflow != "wrap" && overflow != "refuse")
            throw UsageError("--on-overflow must be wrap or refuse: '" + overflow + "'");
        chosen.wrap = overflow == "wrap";
    }
    return chosen;
}

}  // namespace

int runRenumber(const std::vector<std::string>& args, Io& io)
{
    const CommandOptions own{{"--start", "--step", "--width", "--max", "--on-overflow"}, {"--existing-only", "--remove"}};
    return runDocumentCommand(args, io, own, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        if (options.flags.count("--remove")) {
            if (!options.values.empty() || options.flags.size() > 1)
                throw UsageError("--remove takes no numbering options");
            nc::removeSequenceNumbers(editor, nc::Recolour::None);
            return static_cast<int>(Done);
        }
        const auto missing = nc::renumberProgram(editor, renumberOptions(options), nc::Recolour::None);
        if (!missing.empty())
            out.err << "zorvan-cli renumber: " << nc::missingTargetsMessage(missing) << '\n';
        return static_cast<int>(Done);
    });
}

int runTidy(const std::vector<std::string>& args, Io& io)
{
    const CommandOptions own{{"--blanks"}, {"--empty-lines", "--comments"}};
    return runDocumentCommand(args, io, own, [](MemoryEditor& editor, const DocumentOptions& options, Io&) {
        nc::TidyOptions tidy;
        if (options.has("--blanks")) {
            const std::string blanks = options.text("--blanks");
            if (blanks != "insert" && blanks != "remove")
                throw UsageError("--blanks must be insert or remove: '" + blanks + "'");
            tidy.blanks = blanks == "insert" ? nc::BlankStyle::Insert : nc::BlankStyle::Remove;
        }
        tidy.emptyLines = options.flags.count("--empty-lines") != 0;
        tidy.comments = options.flags.count("--comments") != 0;
        if (tidy == nc::TidyOptions{})
            throw UsageError("nothing to tidy: give --blanks, --empty-lines or --comments");
        nc::tidyProgram(editor, tidy, nc::Recolour::None);
        return Done;
    });
}

}  // namespace zorvan::cli
