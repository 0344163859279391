#include "cli/commands.h"

#include <ostream>

namespace zorvan::cli {

int runColours(const std::vector<std::string>&, Io& io)
{
    io.err << "colours: not built yet\n";
    return Refused;
}

}  // namespace zorvan::cli
