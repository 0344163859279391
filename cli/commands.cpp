#include "cli/commands.h"

namespace zorvan::cli {

int runCat(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, {}, [](MemoryEditor&, const DocumentOptions&, Io&) { return Done; });
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"cat", "[FILE]", runCat},
    };
    return table;
}

}  // namespace zorvan::cli
