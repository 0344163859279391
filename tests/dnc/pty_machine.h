// A pseudo-terminal pair made by socat (the program opens one end as its serial port) and a small
// "machine" on the other end: it takes bytes into a buffer of set size, works them off at a set
// pace, sends XOFF at a high-water mark and XON at a low one, and can send a program or
// stall. Everything is bounded in time and cleaned up by the destructors.
#pragma once

#include "dnc/logic/serial_transfer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

// The transfers need an event loop; the tests run on the main thread.
inline void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "dnc_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// Runs the event loop until the transfer has ended, at most `ms`.
inline bool runUntilEnded(zorvan::dnc::SerialTransfer& transfer, int ms = 8000)
{
    if (transfer.ended())
        return true;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(&transfer, &zorvan::dnc::SerialTransfer::finished, &loop, &QEventLoop::quit);
    loop.exec();
    return transfer.ended();
}

// Runs the event loop for `ms`.
inline void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class PtyPair {
public:
    PtyPair()
    {
        const std::string nearLink = "pty,raw,echo=0,link=" + near(), farLink = "pty,raw,echo=0,link=" + far();
        const char* argv[] = {"socat", nearLink.c_str(), farLink.c_str(), nullptr};
        if (posix_spawnp(&pid_, "socat", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = -1;
        for (int i = 0; i < 300 && pid_ > 0 && !(std::filesystem::exists(near()) && std::filesystem::exists(far())); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~PtyPair() { stop(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ready() const { return pid_ > 0 && std::filesystem::exists(near()) && std::filesystem::exists(far()); }
    std::string near() const { return dir_.filePath("near").toStdString(); }
    std::string far() const { return dir_.filePath("far").toStdString(); }
    void stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    QTemporaryDir dir_;
    pid_t pid_ = -1;
};

struct MachineSetup {
    std::size_t capacity = 1 << 20;  // the control's buffer
    double workPerSecond = 0;        // bytes worked off per second; 0: at once
    std::size_t highWater = 0;       // XOFF at or above it (0: no flow control) ...
    std::size_t lowWater = 0;        // ... XON at or below it
    bool stall = false;              // XOFF at the first byte and never XON
    std::string program;             // sent at the start, at `sendPerSecond`
    double sendPerSecond = 20000;
    int sendAfterMs = 0;             // time for the program to open its end
    int lifetimeMs = 10000;
};

class Machine {
public:
    Machine(const std::string& path, MachineSetup setup) : setup_(std::move(setup))
    {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
        thread_ = std::thread([this] { run(); });
    }
    ~Machine() { finish(); }

    // Stops the machine; what it received is final then.
    void finish()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            close(fd_), fd_ = -1;
    }
    std::size_t receivedSoFar() const { return count_; }
    const std::string& received() const { return received_; }
    std::size_t maxFill() const { return maxFill_; }
    int xoffs() const { return xoffs_; }

private:
    void put(char c)
    {
        if (write(fd_, &c, 1) == 1 && c == '\x13')
            ++xoffs_;
    }

    void run()
    {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now(), deadline = start + std::chrono::milliseconds(setup_.lifetimeMs);
        auto last = start;
        double fill = 0;
        std::size_t programSent = 0;
        bool held = false;
        char buffer[4096];
        while (!stop_ && Clock::now() < deadline && fd_ >= 0) {
            pollfd p{fd_, POLLIN, 0};
            poll(&p, 1, 1);
            // The work done since the last turn first: the bytes read now arrived during it.
            const auto now = Clock::now();
            const double dt = std::chrono::duration<double>(now - last).count();
            last = now;
            fill = setup_.workPerSecond > 0 ? std::max(0.0, fill - setup_.workPerSecond * dt) : 0;
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                received_.append(buffer, n);
                count_ = received_.size();
                fill += n;
            }
            maxFill_ = std::max(maxFill_, std::size_t(fill));
            if (setup_.stall && !held && !received_.empty())
                put('\x13'), held = true;
            else if (setup_.highWater > 0 && !held && fill >= setup_.highWater)
                put('\x13'), held = true;
            else if (setup_.highWater > 0 && held && fill <= setup_.lowWater)
                put('\x11'), held = false;
            const double elapsed = std::chrono::duration<double>(now - start).count() - setup_.sendAfterMs / 1000.0;
            const std::size_t due = std::min(setup_.program.size(), std::size_t(std::max(0.0, elapsed) * setup_.sendPerSecond) + 1);
            if (elapsed >= 0 && due > programSent) {
                const ssize_t w = write(fd_, setup_.program.data() + programSent, due - programSent);
                if (w > 0)
                    programSent += w;
            }
        }
    }

    MachineSetup setup_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::string received_;
    std::atomic<std::size_t> count_{0};
    std::size_t maxFill_ = 0;
    int xoffs_ = 0;
};
