// Whole-file reads and atomic writes against files changed underneath, inputs without end and
// temporary files left by killed writes.
#include "app/logic/file_io.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/test_files.h"

#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorvan;

namespace {

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

// A process id that names no running process: a child that has ended and been reaped.
long endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(FileReader, ARewriteWhoseModificationTimeIsPutBackIsNoticed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ncd");
    writeFile(path, "%\r\nG01X1.\r\n");
    const struct stat before = statOf(path);
    FileReader reader(path);
    char buffer[64];
    const std::size_t got = reader.read(buffer, sizeof buffer);
    // Same size, same inode, the modification time restored: only the change time tells.
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "%\r\nG01X9.\r\n", 11), 11);
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::futimens(fd, times), 0);
        ::close(fd);
        const struct stat after = statOf(path);
        if (after.st_ctim.tv_sec != before.st_ctim.tv_sec || after.st_ctim.tv_nsec != before.st_ctim.tv_nsec)
            break;
    }
    EXPECT_THROW(reader.checkUnchanged(got), FileError);
}

TEST(FileReader, AnInputPastItsLimitIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big");
    writeFile(path, std::string(1000, 'X'));
    const struct Case {
        QString path;
        std::size_t most;
        bool refused;
    } cases[] = {{path, 1000, false}, {path, 999, true}, {"/dev/zero", 4096, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString() + " " + std::to_string(c.most));
        if (c.refused)
            EXPECT_THROW(readWholeFile(c.path, c.most), FileError);
        else
            EXPECT_EQ(readWholeFile(c.path, c.most).size(), 1000u);
    }
}

TEST(AtomicWrite, ATemporaryFileLeftByAKilledWriteIsRemovedByTheNextWrite)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("p.ncd");
    const std::string stale = "p.ncd.zorvan-" + std::to_string(endedProcess()) + "-0123456789ab.tmp";
    const std::string live = "p.ncd.zorvan-" + std::to_string(::getppid()) + "-0123456789ab.tmp";
    const std::string otherTarget = "q.ncd.zorvan-" + std::to_string(endedProcess()) + "-0123456789ab.tmp";
    const std::string notOurs = "p.ncd.0123456789ab~";
    for (const std::string& name : {stale, live, otherTarget, notOurs})
        writeFile(dir.filePath(QString::fromStdString(name)), "left over");

    writeFileAtomically(target, "X1\r\n");
    EXPECT_EQ(fileBytes(target), "X1\r\n");
    QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{"p.ncd", "p.ncd.0123456789ab~", QString::fromStdString(live),
                                 QString::fromStdString(otherTarget)}));
}
