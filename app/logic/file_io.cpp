#include "app/logic/file_io.h"

#include <QFile>

#include <algorithm>
#include <vector>
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

std::string systemReason(int error)
{
    // The users read Japanese: the reasons a file or port commonly fails for are said in it.
    switch (error) {
    case ENOENT: return "ファイルまたはフォルダがありません";
    case EACCES:
    case EPERM: return "アクセスが許可されていません";
    case EISDIR: return "フォルダです";
    case ENOTDIR: return "パスの途中にフォルダでないものがあります";
    case ENOSPC: return "ディスクに空きがありません";
    case EDQUOT: return "ディスクの割り当てを使い切りました";
    case EROFS: return "読み取り専用のファイルシステムです";
    case EFBIG: return "ファイルが大きすぎます";
    case ESPIPE: return "先頭に戻って読めません (パイプや装置です)";
    case EIO: return "入出力エラーです";
    case ENXIO: return "読み手のいないパイプか、つながっていない装置です";
    case EPIPE: return "読み手が閉じました";
    case ENAMETOOLONG: return "名前が長すぎます";
    case ELOOP: return "シンボリックリンクが循環しています";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case ENOTTY: return "端末や通信ポートではありません";
    case EBUSY: return "使用中です";
    case ENODEV: return "装置がありません";
    case EAGAIN: return "いまは使えません";
    default: return std::strerror(error);
    }
}

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

std::optional<std::string> readBounded(const std::function<std::size_t(char*, std::size_t)>& read, std::size_t most)
{
    // Pieces of a fixed size, joined once at the end, piece by piece: an endless input is refused
    // holding no more than the limit, and a long one never doubles its buffer on the way.
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    std::vector<std::string> pieces;
    std::size_t total = 0;
    for (;;) {
        std::string piece(kPiece, '\0');
        std::size_t got = 0;
        while (got < kPiece)
            if (const std::size_t n = read(piece.data() + got, kPiece - got))
                got += n;
            else
                break;
        total += got;
        if (total > most)
            return std::nullopt;
        piece.resize(got);
        const bool last = got < kPiece;
        if (got > 0)
            pieces.push_back(std::move(piece));
        if (last)
            break;
    }
    if (pieces.size() == 1)
        return std::move(pieces.front());
    std::string bytes;
    bytes.reserve(total);
    for (std::string& piece : pieces) {
        bytes += piece;
        std::string().swap(piece);
    }
    return bytes;
}

std::string readWholeFile(const QString& path, std::size_t most)
{
    FileReader file(path);
    if (!file.isRegular()) {
        std::optional<std::string> bytes =
            readBounded([&](char* into, std::size_t size) { return file.read(into, size); }, most);
        if (!bytes)
            throw FileError(path, tooLongReason(most), false);
        return std::move(*bytes);
    }
    if (file.size() > most)
        throw FileError(path, tooLongReason(most), false);
    // One byte more than the size, so that the read that finds the end needs no reallocation.
    std::string bytes(file.size() + 1, '\0');
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

AtomicFileWriter::AtomicFileWriter(const QString& path) : path_(path), target_(localName(path))
{
    if (target_.empty())
        throw FileError(path, systemReason(ENOENT), true);
    struct stat existing;
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        throw FileError(path, systemReason(errno), true);
    if ((exists && !S_ISREG(existing.st_mode)) || namesASpecialPlace(target_)) {
        if (exists && S_ISDIR(existing.st_mode))
            throw FileError(path, systemReason(EISDIR), true);
        // A pipe with no reader would hold the writer for ever: one whose reader has not come
        // within two seconds is refused instead.
        for (int attempt = 0;; ++attempt) {
            fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
            if (fd_ >= 0 || errno != ENXIO || attempt == 40)
                break;
            ::usleep(50000);
        }
        if (fd_ < 0)
            throw FileError(path, systemReason(errno), true);
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return;
    }
    if (exists) {
        // A file its owner made read-only is not replaced behind the owner's back (replacing needs
        // only the folder's permission).
        if (::access(target_.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0)
            throw FileError(path, "書き込みが禁止されています (読み取り専用)", true);
        // Through links: the link stays, the file it names is replaced.
        if (char* real = ::realpath(target_.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }

    removeStaleTemporaries(target_);
    auto created = createTemporaryBeside(target_, exists ? (existing.st_mode & 07777) : 0666);
    fd_ = created.first;
    if (fd_ < 0)
        throw FileError(path, systemReason(errno), true);
    temporary_ = std::move(created.second);
    if (exists) {
        // The umask must not narrow the permissions of a file that is only being rewritten.
        const bool modeKept = ::fchmod(fd_, existing.st_mode & 07777) == 0;
        // Another user than the owner cannot give the new file the owner (nor, often, the group):
        // then the file is rewritten in place, which keeps both.
        const bool ownersKept = ::fchown(fd_, existing.st_uid, existing.st_gid) == 0;
        if (!modeKept || !ownersKept) {
            discardTemporary();
            fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd_ < 0)
                throw FileError(path, systemReason(errno), true);
        }
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
    discardTemporary();
}

void AtomicFileWriter::discardTemporary()
{
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

void AtomicFileWriter::fail(int error)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    discardTemporary();
    throw FileError(path_, systemReason(error), true);
}

void AtomicFileWriter::append(std::string_view bytes)
{
    if (fd_ < 0)
        throw FileError(path_, systemReason(EBADF), true);
    if (int error = writeAll(fd_, bytes))
        fail(error);
}

void AtomicFileWriter::commit()
{
    if (fd_ < 0)
        throw FileError(path_, systemReason(EBADF), true);
    if (!temporary_.empty() && ::fsync(fd_) != 0 && errno != EINVAL)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (!temporary_.empty()) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            fail(errno);
        temporary_.clear();
    }
}

void writeFileAtomically(const QString& path, std::string_view bytes)
{
    AtomicFileWriter writer(path);
    writer.append(bytes);
    writer.commit();
}

}  // namespace zorvan
