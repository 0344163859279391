// The bytes of a program arriving over the line: where it starts and where it ends.
//
// It starts at the first "%" (or, as set, at the first byte that is not a NUL feed character) and
// ends with the "%" that begins a later line; bytes after that "%" are not part of it. Everything
// in between is kept byte for byte.
#pragma once

#include "dnc/logic/dnc_settings.h"

#include <string>
#include <string_view>

namespace zorvan::dnc {

class ReceivedProgram {
public:
    explicit ReceivedProgram(ReceiveStart start) : start_(start) {}

    // Takes the next bytes; true once the closing "%" has been taken.
    bool add(std::string_view bytes);
    bool started() const { return !bytes_.empty(); }
    bool complete() const { return complete_; }
    const std::string& bytes() const { return bytes_; }
    // Lines kept so far; the last counts without its break (the closing "%" has none).
    int lines() const { return lines_ + (started() && bytes_.back() != '\n' && bytes_.back() != '\r' ? 1 : 0); }

private:
    ReceiveStart start_;
    std::string bytes_;
    bool complete_ = false;
    int lines_ = 0;
};

}  // namespace zorvan::dnc
