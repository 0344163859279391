#include "cli/commands.h"

#include <ostream>

namespace zorvan::cli {

namespace {
int notYet(Io& io)
{
    io.err << "not built yet\n";
    return Refused;
}
}  // namespace

int runShift(const std::vector<std::string>&, Io& io) { return notYet(io); }
int runRotate(const std::vector<std::string>&, Io& io) { return notYet(io); }
int runArith(const std::vector<std::string>&, Io& io) { return notYet(io); }
int runReverse(const std::vector<std::string>&, Io& io) { return notYet(io); }

}  // namespace zorvan::cli
