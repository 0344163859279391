// Whole-file reading and writing for every file the program reads or writes (documents, list
// files, the command-line tool's outputs).
//
// readWholeFile reads with plain reads (no mapping), so a file that shrinks underneath cannot
// crash the reader; a regular file whose size, time stamps (modification and change time) or inode
// change while it is read is refused, and so is an input longer than its limit (a device such as
// /dev/zero never ends).
//
// writeFileAtomically replaces a regular file through a temporary file in the same directory that
// takes the file's place only when it is complete and on disk, so a failed or killed write leaves
// the old file whole (permissions, owner and group kept; a symbolic link keeps pointing at the
// replaced file). A read-only file is refused.
// The temporary file is named "NAME.zorvan-PID-RANDOM.tmp"; one left by a killed write (its
// process gone) is removed by the next write to the same target.
// A target that exists and is not a regular file (a pipe, a device) or is named under /dev or
// /proc (/dev/stdout) is written directly, in place; a pipe nobody reads is refused at once.
//
// Both throw FileError, whose reason is the system's, said in Japanese for the common ones
// (systemReason).
#pragma once

#include "app/logic/user_error.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include <string>
#include <string_view>

namespace zorvan {

class FileError : public UserError {
public:
    FileError(const QString& path, std::string reason, bool writing);
    const QString& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    QString path_;
    std::string reason_;
};

// The reason given when a regular file changed while it was read.
inline constexpr const char* kFileChangedWhileRead = "読み込み中にファイルが変わりました";

// The system's text for an errno value.
std::string systemReason(int error);

// The most bytes an input may have (documents, standard input); longer ones are refused.
inline constexpr std::size_t kMostInputBytes = std::size_t(1) << 30;
// The reason given for an input past its limit.
std::string tooLongReason(std::size_t most);

std::string readWholeFile(const QString& path, std::size_t most = kMostInputBytes);
// Reads an input of unknown length (a pipe, a device) through `read` (0 at its end) in pieces,
// holding no more than `most` bytes at any time; nothing when it is longer.
std::optional<std::string> readBounded(const std::function<std::size_t(char*, std::size_t)>& read, std::size_t most);

// A file read from its start, as often as needed, in pieces of the caller's size; for a pass over a
// big file that does not hold it whole. Throws FileError as readWholeFile does.
class FileReader {
public:
    explicit FileReader(const QString& path);  // opens the file; a directory is refused
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isRegular() const;
    // The size when it was opened.
    std::size_t size() const;
    // Reads up to `most` bytes at the current place; 0 at the end.
    std::size_t read(char* into, std::size_t most);
    // Starts again at the first byte.
    void rewind();
    // After a pass that read `bytesRead` bytes: throws FileError(kFileChangedWhileRead) when a
    // regular file was not that long or its size, time stamps or inode changed since it was opened.
    void checkUnchanged(std::size_t bytesRead) const;

private:
    QString path_;
    int fd_ = -1;
    struct State;
    std::unique_ptr<State> opened_;
};
void writeFileAtomically(const QString& path, std::string_view bytes);

// The same written in pieces, for bytes that come over time: the target is opened at once, so a
// place that cannot be written is known before anything is produced; the pieces go to the
// temporary file, and commit() puts it in the target's place. Dropped without a commit, it leaves
// the target as it was. An existing file the user may not write, or that has no write permission
// at all, is refused; where the owner and group of a replaced file cannot be kept (another user
// writing it), it is rewritten in place instead. Throws FileError.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void append(std::string_view bytes);
    void commit();

private:
    void discardTemporary();
    [[noreturn]] void fail(int error);

    QString path_;
    std::string target_;
    std::string temporary_;  // empty when writing in place
    int fd_ = -1;
};

// True when `path` names an existing regular file (through links).
bool isRegularFile(const QString& path);

}  // namespace zorvan
