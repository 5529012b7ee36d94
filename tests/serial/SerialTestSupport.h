#pragma once
// Helpers for the serial tests: a pseudo-terminal pair whose far side the test plays, a fake line
// device for the modem lines and error counters a pseudo-terminal lacks, and a scope that points the
// settings store and the device scan at a temporary folder.
#include "platform/win32/Win32Comm.h"
#include "platform/win32/Win32Registry.h"
#include "support/TempFolder.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace serial_test {

// The test holds the master side; the port under test opens the slave by its path.
class PtyPair {
  public:
    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        slavePath_ = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int Master() const { return master_; }

    // Writes everything (waiting while the pseudo-terminal is full).
    void Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 100);
            } else {
                throw std::runtime_error("pty write failed");
            }
        }
    }
    void Write(const std::string& text) const { Write(std::vector<std::uint8_t>(text.begin(), text.end())); }

    // Reads what the port sent, waiting up to `timeout` for `count` bytes.
    std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds timeout) const {
        std::vector<std::uint8_t> out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out.size() < count) {
            std::uint8_t buf[512];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
            if (n > 0) {
                out.insert(out.end(), buf, buf + n);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left.count()));
        }
        return out;
    }

    // The far side goes away, as a removed device does.
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    std::string slavePath_;
};

// Modem lines and error counters for a pseudo-terminal. DTR can loop back to DSR, and a hook sees
// every line change the port makes.
class FakeLines : public win32::LineDevice {
  public:
    bool GetModemLines(int, int* lines) override {
        std::lock_guard lock(m_);
        int l = lines_;
        if (loopDtrToDsr_)
            l = (l & ~win32::linebits::DSR) | ((l & win32::linebits::DTR) ? win32::linebits::DSR : 0);
        *lines = l;
        return true;
    }
    bool SetModemLines(int, int set, int clear) override {
        std::function<void(int, int)> hook;
        {
            std::lock_guard lock(m_);
            lines_ = (lines_ | set) & ~clear;
            changes_.push_back({set, clear});
            hook = hook_;
        }
        if (hook) hook(set, clear);
        return true;
    }
    bool GetCounters(int, win32::LineCounters* c) override {
        std::lock_guard lock(m_);
        *c = counters_;
        return true;
    }

    void SetLine(int bit, bool on) {
        std::lock_guard lock(m_);
        lines_ = on ? (lines_ | bit) : (lines_ & ~bit);
    }
    int Lines() {
        std::lock_guard lock(m_);
        return lines_;
    }
    void LoopDtrToDsr(bool on) {
        std::lock_guard lock(m_);
        loopDtrToDsr_ = on;
    }
    void BumpFrameErrors() {
        std::lock_guard lock(m_);
        ++counters_.frame;
    }
    void BumpBreaks() {
        std::lock_guard lock(m_);
        ++counters_.brk;
    }
    void OnChange(std::function<void(int set, int clear)> hook) {
        std::lock_guard lock(m_);
        hook_ = std::move(hook);
    }
    std::vector<std::pair<int, int>> Changes() {
        std::lock_guard lock(m_);
        return changes_;
    }

  private:
    std::mutex m_;
    int lines_ = 0;
    bool loopDtrToDsr_ = false;
    win32::LineCounters counters_{};
    std::vector<std::pair<int, int>> changes_;
    std::function<void(int, int)> hook_;
};

// The settings store and the device scan in a temporary folder, with no device of the machine.
class StoreScope {
  public:
    StoreScope() {
        std::filesystem::create_directories(folder_.File("sys/class/tty"));
        std::filesystem::create_directories(folder_.File("dev/serial/by-id"));
        previousFolder_ = win32::SetRegistryFolder(folder_.File("config"));
        win32::SerialRoots roots;
        roots.sysClassTty = folder_.File("sys/class/tty");
        roots.serialById = folder_.File("dev/serial/by-id");
        roots.dev = folder_.File("dev");
        previousRoots_ = win32::SetSerialRoots(roots);
    }
    ~StoreScope() {
        win32::SetRegistryFolder(previousFolder_);
        win32::SetSerialRoots(previousRoots_);
    }
    const testing_support::TempFolder& Folder() const { return folder_; }

  private:
    testing_support::TempFolder folder_;
    std::string previousFolder_;
    win32::SerialRoots previousRoots_;
};

} // namespace serial_test
