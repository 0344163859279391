// Standard output as a stream that keeps the system's reason for a failed write, so the tool can
// name it ("ディスクに空きがありません") instead of exiting 0 with its output cut off.
#pragma once

#include <streambuf>
#include <string>
#include <vector>

namespace zorvan::cli {

class DescriptorOutput : public std::streambuf {
public:
    // `closedAtStart`: the descriptor was closed when the program started (it now holds a
    // placeholder), so every write fails as on a closed descriptor.
    DescriptorOutput(int fd, bool closedAtStart);
    ~DescriptorOutput() override;

    // The system's reason for the first failed write, or empty.
    std::string failure() const;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    bool flushBuffer();
    bool writeAll(const char* p, std::size_t n);

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

// Puts a placeholder (/dev/null) on each of the descriptors 0, 1 and 2 that is closed, so files
// the program opens never take their numbers; returns which were closed (bit n for descriptor n).
unsigned reserveStandardDescriptors();

}  // namespace zorvan::cli
