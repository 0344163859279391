#include "app/logic/file_io.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvan {

namespace {

std::string localName(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string messageFor(const QString& path, const std::string& reason, bool writing)
{
    return path.toStdString() + (writing ? " に書き込めませんでした: " : " を読めませんでした: ") + reason;
}

// Closes a descriptor at the end of a scope unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false (errno set) when the close reports an error, e.g. a late write failure.
    bool close()
    {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Writes all bytes; the errno of the failure, or 0.
int writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// The change time is compared too: a rewrite whose modification time was put back still moves
// it, and no user can set it.
bool sameState(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
           && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec && a.st_ino == b.st_ino
           && a.st_dev == b.st_dev;
}

void writeDirectly(const QString& path, const std::string& name, std::string_view bytes)
{
    Descriptor fd(::open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError(path, systemReason(errno), true);
    if (int error = writeAll(fd.get(), bytes))
        throw FileError(path, systemReason(error), true);
    if (!fd.close())
        throw FileError(path, systemReason(errno), true);
}

bool namesASpecialPlace(const std::string& name)
{
    return name.rfind("/dev/", 0) == 0 || name.rfind("/proc/", 0) == 0;
}

// Temporary files are "NAME.zorvan-PID-RANDOM.tmp": the writing process is named, so a file left
// by a killed write can be told from one being written now.
constexpr const char* kTemporaryMark = ".zorvan-";
constexpr const char* kTemporaryEnd = ".tmp";

std::pair<std::string, std::string> splitDirectory(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The writer's process id when `entry` is a temporary file of `base`, else 0.
long temporaryWriter(const std::string& entry, const std::string& base)
{
    const std::string prefix = base + kTemporaryMark;
    const std::size_t endLength = std::strlen(kTemporaryEnd);
    if (entry.size() <= prefix.size() + endLength || entry.compare(0, prefix.size(), prefix) != 0
        || entry.compare(entry.size() - endLength, endLength, kTemporaryEnd) != 0)
        return 0;
    const char* p = entry.c_str() + prefix.size();
    char* end = nullptr;
    const long pid = std::strtol(p, &end, 10);
    return end != p && *end == '-' && pid > 0 ? pid : 0;
}

// Removes the temporary files of `target` whose writer is gone (a write that was killed).
void removeStaleTemporaries(const std::string& target)
{
    const auto [directory, base] = splitDirectory(target);
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = temporaryWriter(entry->d_name, base);
        if (pid != 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink((directory + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

// A new file next to `target`, created exclusively with `mode` (before the umask).
std::pair<int, std::string> createTemporaryBeside(const std::string& target, mode_t mode)
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0;; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, "%s%ld-%012llx%s", kTemporaryMark, static_cast<long>(::getpid()),
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFULL), kTemporaryEnd);
        std::string name = target + suffix;
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST || attempt == 100)
            return {fd, name};
    }
}

}  // namespace

FileError::FileError(const QString& path, std::string reason, bool writing)
    : UserError(messageFor(path, reason, writing)), path_(path), reason_(std::move(reason))
{
}

std::string systemReason(int error) { return std::strerror(error); }

std::string tooLongReason(std::size_t most)
{
    return std::to_string(most >> 20) + " MiB を超えています";
}

bool isRegularFile(const QString& path)
{
    struct stat st;
    return ::stat(localName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct FileReader::State {
    struct stat opened;
};

FileReader::FileReader(const QString& path) : path_(path), opened_(std::make_unique<State>())
{
    const std::string name = localName(path);
    fd_ = name.empty() ? -1 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw FileError(path, systemReason(name.empty() ? ENOENT : errno), false);
    int error = 0;
    if (::fstat(fd_, &opened_->opened) != 0)
        error = errno;
    else if (S_ISDIR(opened_->opened.st_mode))
        error = EISDIR;
    if (error) {
        ::close(fd_);
        throw FileError(path, systemReason(error), false);
    }
}

FileReader::~FileReader() { ::close(fd_); }

bool FileReader::isRegular() const { return S_ISREG(opened_->opened.st_mode); }

std::size_t FileReader::size() const { return static_cast<std::size_t>(opened_->opened.st_size); }

std::size_t FileReader::read(char* into, std::size_t most)
{
    for (;;) {
        ssize_t n = ::read(fd_, into, most);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw FileError(path_, systemReason(errno), false);
    }
}

void FileReader::rewind()
{
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        throw FileError(path_, systemReason(errno), false);
}

void FileReader::checkUnchanged(std::size_t bytesRead) const
{
    if (!isRegular())
        return;
    struct stat now;
    if (::fstat(fd_, &now) != 0 || !sameState(opened_->opened, now)
        || bytesRead != static_cast<std::size_t>(opened_->opened.st_size))
        throw FileError(path_, kFileChangedWhileRead, false);
}

std::string readWholeFile(const QString& path, std::size_t most)
{
    FileReader file(path);
    if (file.isRegular() && file.size() > most)
        throw FileError(path, tooLongReason(most), false);
    // One byte more than the size, so that the read that finds the end needs no reallocation.
    std::string bytes(file.isRegular() ? file.size() + 1 : 65536, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got > most)
            throw FileError(path, tooLongReason(most), false);
        if (got == bytes.size())
            bytes.resize(std::min(bytes.size() * 2, most + 1));
        const std::size_t n = file.read(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    file.checkUnchanged(got);
    return bytes;
}

void writeFileAtomically(const QString& path, std::string_view bytes)
{
    std::string target = localName(path);
    if (target.empty())
        throw FileError(path, systemReason(ENOENT), true);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        throw FileError(path, systemReason(errno), true);
    if ((exists && !S_ISREG(existing.st_mode)) || namesASpecialPlace(target)) {
        writeDirectly(path, target, bytes);
        return;
    }
    if (exists) {  // through links: the link stays, the file it names is replaced
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    removeStaleTemporaries(target);
    const auto created = createTemporaryBeside(target, exists ? (existing.st_mode & 07777) : 0666);
    const std::string& temporary = created.second;
    Descriptor fd(created.first);
    if (fd.get() < 0)
        throw FileError(path, systemReason(errno), true);
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        throw FileError(path, systemReason(error), true);
    };
    if (exists) {
        // The umask must not narrow the permissions of a file that is only being rewritten.
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            fail(errno);
        [[maybe_unused]] int ignored = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
    }
    if (int error = writeAll(fd.get(), bytes))
        fail(error);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        fail(errno);
    if (!fd.close())
        fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        fail(errno);
}

}  // namespace zorvan
