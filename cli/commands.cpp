#include "cli/commands.h"

#include "cli/desk_calc_command.h"

#include <ostream>

namespace zorvan::cli {

int runCat(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, {}, [](MemoryEditor&, const DocumentOptions&, Io&) { return Done; });
}

int runDeskCalc(const std::vector<std::string>& args, Io& io)
{
    return runDeskCalcCommand(args, io.out, io.err);
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"cat", "[FILE]", runCat},
        {"colours", "[--pass all|line] [FILE]", runColours},
        {"shift", "[--x DX] [--y DY] [--z DZ] [FILE]", runShift},
        {"rotate", "[--x A] [--y B] [--z C] [FILE]", runRotate},
        {"arith", "--letter L --op OP [--value K] [FILE]", runArith},
        {"reverse", "[FILE]", runReverse},
        {"swap", "--from A --to B [--whole-file] [FILE]", runSwap},
        {"extreme", "--letter L --method max|min|absmax|absmin [--whole-file] [FILE]", runExtreme},
        {"replace", "--find S --with T [--from-top] [FILE]", runReplace},
        {"renumber", "[--start N] [--step N] [--width N] [--existing-only] [--max N --on-overflow wrap|refuse] [--remove] [FILE]",
         runRenumber},
        {"tidy", "[--blanks insert|remove] [--empty-lines] [--comments] [FILE]", runTidy},
        {"fill", "--set NAME [--list PATH] [FILE]", runFill},
        {"macro", "--table NAME [--list PATH] [FILE]", runMacro},
        {"desk-calc", "[--trace] KEYS...", runDeskCalc},
        {"extents", "[--moves all|feed] [FILE]", runExtents},
        {"plot", "[--view top|front|side|iso] [--size WxH] -o OUT.png [FILE]", runPlot},
    };
    return table;
}

void printUsage(std::ostream& out)
{
    out << "usage: zorvan-cli COMMAND [OPTIONS] [FILE]\n"
           "       zorvan-cli --version | --help\n"
           "common options: -o PATH, --in-place, --select START:LENGTH, --caret POS,\n"
           "  --decimal-number N, --decimal-view N, --force-decimal on|off, --integer-only on|off\n"
           "commands:\n";
    for (const auto& command : commands())
        out << "  " << command.name << ' ' << command.synopsis << '\n';
}

namespace {

int runCommandLine(const std::vector<std::string>& args, Io& io)
{
    if (args.empty()) {
        printUsage(io.err);
        return Usage;
    }
    if (args[0] == "--version") {
        io.out << "zorvan-cli " << ZORVAN_VERSION << '\n';
        return Done;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        printUsage(io.out);
        return Done;
    }
    for (const auto& command : commands()) {
        if (args[0] != command.name)
            continue;
        try {
            return command.run({args.begin() + 1, args.end()}, io);
        } catch (const UsageError& e) {
            io.err << "zorvan-cli " << command.name << ": " << e.what() << '\n'
                   << "usage: zorvan-cli " << command.name << ' ' << command.synopsis << '\n';
            return Usage;
        } catch (const std::exception& e) {
            io.err << "zorvan-cli " << command.name << ": " << e.what() << '\n';
            return Refused;
        }
    }
    io.err << "zorvan-cli: unknown command " << args[0] << '\n';
    printUsage(io.err);
    return Usage;
}

}  // namespace

int runCli(const std::vector<std::string>& args, Io& io)
{
    int status = runCommandLine(args, io);
    // An output cut off by a full disk or a closed pipe is a failure, named with its reason.
    io.out.flush();
    if (!io.out) {
        const std::string reason = io.outFailure ? io.outFailure() : std::string();
        io.err << "zorvan-cli" << (args.empty() ? "" : " " + args[0]) << ": 標準出力に書けません: "
               << (reason.empty() ? "write error" : reason) << '\n';
        if (status == Done)
            status = Refused;
    }
    return status;
}

}  // namespace zorvan::cli
