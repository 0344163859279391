// zorvan-cli shift, rotate, arith and reverse: the numeric commands on a document. The output
// is text only, so the written lines are not coloured.
#include "cli/commands.h"

#include "nc/logic/nc_transforms.h"
#include "nc/logic/nc_words.h"

#include <cmath>
#include <iterator>
#include <ostream>

namespace zorvan::cli {

namespace {

double finiteNumber(const DocumentOptions& options, const std::string& name)
{
    double value = options.number(name, 0.0);
    if (!std::isfinite(value))
        throw UsageError("bad number for " + name + ": '" + options.text(name) + "'");
    return value;
}

nc::AxisValues axisValues(const DocumentOptions& options)
{
    return {finiteNumber(options, "--x"), finiteNumber(options, "--y"), finiteNumber(options, "--z")};
}

const CommandOptions kAxisOptions{{"--x", "--y", "--z"}, {}};

char letterOption(const DocumentOptions& options)
{
    if (!options.has("--letter"))
        throw UsageError("missing --letter");
    const std::string letter = options.text("--letter");
    static const std::string letters = "XYZABCIJKR";
    if (letter.size() != 1 || letters.find(letter[0]) == std::string::npos)
        throw UsageError("--letter must be one of X Y Z A B C I J K R: '" + letter + "'");
    return letter[0];
}

nc::Operation operationOption(const DocumentOptions& options)
{
    if (!options.has("--op"))
        throw UsageError("missing --op");
    const std::string op = options.text("--op");
    for (std::size_t i = 0; i < std::size(nc::kOperationItems); ++i)
        if (op == nc::kOperationItems[i])
            return static_cast<nc::Operation>(i);
    throw UsageError("--op must be one of 2X 2/ X / + -: '" + op + "'");
}

// The first words the command left as they are (read before it ran), told on the error output.
void tellUnreadable(const std::vector<nc::UnreadableWord>& unread, const char* command, Io& io)
{
    if (!unread.empty())
        io.err << "zorvan-cli " << command << ": " << nc::unreadableWordsMessage(unread, nc::kUnreadableWordsLeft) << '\n';
}

std::string movedLetters(const nc::AxisValues& values)
{
    std::string letters;
    if (values.x != 0)
        letters += 'X';
    if (values.y != 0)
        letters += 'Y';
    if (values.z != 0)
        letters += 'Z';
    return letters;
}

}  // namespace

int runShift(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, kAxisOptions, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        const auto unread = nc::unreadableFirstWords(editor, movedLetters(axisValues(options)));
        nc::shiftCoordinates(editor, axisValues(options), options.decimals, nc::Recolour::None);
        tellUnreadable(unread, "shift", out);
        return Done;
    });
}

int runRotate(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, kAxisOptions, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        const auto unread = nc::unreadableFirstWords(editor, "XYZ");
        nc::rotateAxes(editor, axisValues(options), options.decimals, nc::Recolour::None);
        tellUnreadable(unread, "rotate", out);
        return Done;
    });
}

int runArith(const std::vector<std::string>& args, Io& io)
{
    const CommandOptions own{{"--letter", "--op", "--value"}, {}};
    return runDocumentCommand(args, io, own, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        char letter = letterOption(options);
        nc::Operation operation = operationOption(options);
        double operand = finiteNumber(options, "--value");
        if (nc::dividesByZero(operation, operand)) {
            out.err << "zorvan-cli arith: " << nc::kDivisionByZeroMessage << '\n';
            return static_cast<int>(Refused);
        }
        const auto unread = nc::unreadableFirstWords(editor, std::string(1, letter));
        nc::calculateValues(editor, letter, operation, operand, options.decimals, nc::Recolour::None);
        tellUnreadable(unread, "arith", out);
        return static_cast<int>(Done);
    });
}

int runReverse(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, {}, [](MemoryEditor& editor, const DocumentOptions&, Io&) {
        nc::reverseLines(editor, nc::Recolour::None);
        return Done;
    });
}

}  // namespace zorvan::cli
