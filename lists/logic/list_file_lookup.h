// Where the three list files are found and written.
//
// A bare file name is looked for in the current directory, then in each directory of the PATH
// variable in order, then beside the executable, then in the user's application data directory;
// the first place where the file exists gives its path. A new file is made beside the executable,
// or in the application data directory when the executable's directory cannot be written (an
// installed program).
#pragma once

#include <QString>

#include <optional>
#include <string>

namespace zorvan::lists {

struct ListFileLookup {
    QString currentDir;
    QString pathVariable;   // the PATH environment variable as it stands
    QString executableDir;
    QString appDataDir;     // empty: no fallback
    // Windows: ";" separates PATH entries, double quotes in an entry are dropped and "\" joins
    // directory and name. Elsewhere ":" and "/".
    bool windowsStyle = false;

    // The lookup of this process.
    static ListFileLookup forThisProcess();
};

// The directory joined with the name, with the separator only when the directory lacks one.
QString joinListPath(const QString& dir, const QString& name, bool windowsStyle);

// The path of the first existing file of that name, or nothing.
std::optional<QString> findListFile(const ListFileLookup& lookup, const QString& name);

// Writes `bytes` to `path` through a temporary file that replaces it only when complete, so a
// failed write leaves the old file whole. Throws UserError naming the path.
void writeListFile(const QString& path, const std::string& bytes);

// Writes the file where it was found, else beside the executable, else (when that fails) in the
// application data directory. Returns the path written; throws UserError naming the path that
// could not be written.
QString saveListFile(const ListFileLookup& lookup, const QString& name, const std::string& bytes);

// The most bytes a list file may have; a longer one (or a device such as /dev/zero) is not read.
inline constexpr std::size_t kMostListFileBytes = std::size_t(64) << 20;

// The whole file, or nothing when it cannot be read or is longer than kMostListFileBytes.
std::optional<std::string> readListFile(const QString& path);

}  // namespace zorvan::lists
