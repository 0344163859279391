#include "cli/commands.h"

#include "cli/desk_calc_command.h"

#include <new>
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
        {"info", "[--format text|json] [FILE]", runInfo},
        {"stock-check", "[--stock X0:X1,Y0:Y1,Z0:Z1] [--tools FILE] [FILE]", runStockCheck},
        {"check", "[--rules LIST] [--travel X0:X1,Y0:Y1,Z0:Z1] [--tools FILE] [--tolerance MM] [--format text|json] [FILE]",
         runCheck},
        {"send", "--port DEV [--baud N] [--data 7|8] [--parity none|even|odd] [--stop 1|2]\n"
                 "      [--flow none|xonxoff|rtscts] [--eob crlf|lf|cr] [FILE]", runSend},
        {"receive", "--port DEV [--baud N] [--data 7|8] [--parity none|even|odd] [--stop 1|2]\n"
                    "      [--flow none|xonxoff|rtscts] [--eob crlf|lf|cr] [--idle SECONDS] [--max-bytes N] [-o FILE]", runReceive},
        {"diff", "[--ignore-n] [--ignore-blanks] [--by-value|--exact] [--ignore-comments] [--ignore-case] A B", runDiff},
    };
    return table;
}

// What `COMMAND --help` adds to the usage line: the exit statuses, and the limits and timeouts
// where the command has its own.
static std::string commandHelp(const std::string& name)
{
    if (name == "send")
        return "exit status: 0 sent, 1 the transfer failed (the reason is printed), 2 usage error\n"
               "timeouts: a send held (no XON, no CTS) longer than the stored stall timeout\n"
               "  (default 30 s) fails\n";
    if (name == "receive")
        return "exit status: 0 received, 1 the transfer or the write failed, or the program came\n"
               "  without its closing \"%\" (what came is still written), 2 usage error\n"
               "timeouts: --idle SECONDS (default: the stored one, 30 s) without data ends the\n"
               "  program, or fails before it has started\n"
               "limits: --max-bytes N, the most bytes received (default 1 GiB)\n";
    if (name == "diff")
        return "exit status: 0 the same under the options, 1 different, 2 trouble\n";
    if (name == "extents" || name == "plot" || name == "stock-check")
        return "exit status: 0 done" + std::string(name == "stock-check" ? ", 1 a rapid or cut into material" : ", 1 refused") +
               ", 2 usage error,\n  3 cut short by a bound, or the check cannot be trusted (its output is still written)\n";
    if (name == "desk-calc")
        return "exit status: 0 done, 1 refused, 2 usage error\n";
    return "exit status: 0 done, 1 refused or failed (nothing is written), 2 usage error\n";
}

void printUsage(std::ostream& out)
{
    out << "usage: zorvan-cli COMMAND [OPTIONS] [FILE]\n"
           "       zorvan-cli --version | --help | COMMAND --help\n"
           "common options: -o PATH (- or /dev/stdout: standard output), --in-place,\n"
           "  --select START:LENGTH, --caret POS, --encoding auto|sjis|utf8,\n"
           "  --decimal-number N, --decimal-view N, --force-decimal on|off, --integer-only on|off\n"
           "commands:\n";
    for (const auto& command : commands())
        out << "  " << command.name << ' ' << command.synopsis << '\n';
    out << "exit status: 0 done, 1 refused or failed, 2 usage error,\n"
           "  3 extents/plot/info: the path was cut short by a bound (its output is still written)\n"
           "limits: an input (file or standard input) up to 1 GiB, a list file up to 64 MiB;\n"
           "  --find/--with and other texts must be whole UTF-8 characters;\n"
           "  fill/macro: the result up to 16 times the input or 64 MiB, whichever is more, never past 512 MiB;\n"
           "  extents/plot: 20,000,000 vertices and about 2 s of work;\n"
           "  stock-check: a work bound of a few seconds (exit 3 when reached);\n"
           "  receive: 1 GiB unless --max-bytes says otherwise\n";
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
            if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h"))
                throw HelpRequested{};
            return command.run({args.begin() + 1, args.end()}, io);
        } catch (const HelpRequested&) {
            io.out << "usage: zorvan-cli " << command.name << ' ' << command.synopsis << '\n'
                   << commandHelp(command.name);
            return Done;
        } catch (const std::bad_alloc&) {
            io.err << "zorvan-cli " << command.name << ": メモリが足りません\n";
            return Refused;
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
        if (status == Done || status == CutShort)
            status = Refused;
    }
    return status;
}

}  // namespace zorvan::cli
