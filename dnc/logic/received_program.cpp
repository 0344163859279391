#include "dnc/logic/received_program.h"

namespace zorvan::dnc {

bool ReceivedProgram::add(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size() && !complete_; ++i) {
        const char c = bytes[i];
        if (!started() && (start_ == ReceiveStart::Percent ? c != '%' : c == '\0'))
            continue;
        const char previous = bytes_.empty() ? '\0' : bytes_.back();
        const bool lineStart = previous == '\n' || previous == '\r';
        bytes_.push_back(c);
        // CR LF, a lone CR and a lone LF each end one line.
        if (c == '\r' || (c == '\n' && previous != '\r'))
            ++lines_;
        complete_ = c == '%' && lineStart;
    }
    return complete_;
}

}  // namespace zorvan::dnc
