#include "cli/descriptor_output.h"

#include "app/logic/file_io.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace zorvan::cli {

DescriptorOutput::DescriptorOutput(int fd, bool closedAtStart)
    : fd_(fd), error_(closedAtStart ? EBADF : 0), buffer_(1 << 16)
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() { flushBuffer(); }

std::string DescriptorOutput::failure() const { return error_ ? systemReason(error_) : std::string(); }

bool DescriptorOutput::writeAll(const char* p, std::size_t n)
{
    if (error_)
        return false;
    while (n > 0) {
        ssize_t written = ::write(fd_, p, n);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return false;
        }
        p += written;
        n -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorOutput::flushBuffer()
{
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return pending == 0 || writeAll(buffer_.data(), pending);
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c)
{
    if (!flushBuffer())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize DescriptorOutput::xsputn(const char* s, std::streamsize n)
{
    if (n <= epptr() - pptr()) {
        std::memcpy(pptr(), s, static_cast<std::size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    if (!flushBuffer() || !writeAll(s, static_cast<std::size_t>(n)))
        return 0;
    return n;
}

int DescriptorOutput::sync() { return flushBuffer() ? 0 : -1; }

unsigned reserveStandardDescriptors()
{
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        closed |= 1u << fd;
        int placeholder = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (placeholder >= 0 && placeholder != fd) {
            ::dup2(placeholder, fd);
            ::close(placeholder);
        }
    }
    return closed;
}

}  // namespace zorvan::cli
