#include "tools/sim/SimServer.h"

#include "tools/sim/SimFaults.h"
#include "tools/sim/SimWire.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace vm415sim {
namespace {

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void MakeRaw(termios& tio) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

speed_t StandardSpeed(unsigned baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

std::string ModeName(SimModem::Mode mode, const std::string& dialled) {
    switch (mode) {
    case SimModem::Mode::OnHook:
        return "on hook";
    case SimModem::Mode::Dialling:
        return "dialling \"" + dialled + "\"";
    case SimModem::Mode::Answering:
        return "answering";
    case SimModem::Mode::Online:
        return "on line";
    case SimModem::Mode::OnlineCommand:
        return "command mode, call held";
    }
    return "?";
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

SimServer::SimServer(SimPanel& panel, ServerOptions options) : panel_(panel), options_(options) {
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    dtrWake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

SimServer::~SimServer() {
    CloseFd(line_);
    CloseFd(heldSlave_);
    CloseFd(wake_);
    CloseFd(dtrWake_);
}

void SimServer::Note(const std::string& text) {
    if (log_) log_(SimPanel::LogLevel::Note, text);
}

void SimServer::Trace(const std::string& text) {
    if (log_) log_(SimPanel::LogLevel::Trace, text);
}

bool SimServer::OpenPty(std::string& error) {
    if (wake_ < 0) {
        error = "no event descriptor for stopping";
        return false;
    }
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = Errno("posix_openpt");
        return false;
    }
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        error = Errno("pseudo-terminal set-up");
        ::close(master);
        return false;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    termios tio{};
    if (slave < 0 || ::tcgetattr(slave, &tio) != 0) {
        error = Errno(std::string("opening ") + name);
        if (slave >= 0) ::close(slave);
        ::close(master);
        return false;
    }
    // Raw from the start: an echo would send every reply straight back to us as a request.
    MakeRaw(tio);
    if (::tcsetattr(slave, TCSANOW, &tio) != 0 || ::fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
        error = Errno("raw mode");
        ::close(slave);
        ::close(master);
        return false;
    }
    CloseFd(line_);
    CloseFd(heldSlave_);
    line_ = master;
    heldSlave_ = slave;
    path_ = name;
    return true;
}

bool SimServer::OpenDevice(const std::string& path, std::string& error) {
    if (wake_ < 0) {
        error = "no event descriptor for stopping";
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Errno(path);
        return false;
    }
    if (::isatty(fd)) {
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            error = Errno(path);
            ::close(fd);
            return false;
        }
        MakeRaw(tio);
        if (const speed_t speed = StandardSpeed(options_.Baud); speed != B0) {
            cfsetispeed(&tio, speed);
            cfsetospeed(&tio, speed);
        }
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            error = Errno(path + ": raw mode");
            ::close(fd);
            return false;
        }
        ::tcflush(fd, TCIOFLUSH);
    }
    CloseFd(line_);
    CloseFd(heldSlave_);
    line_ = fd;
    path_ = path;
    return true;
}

void SimServer::Stop() {
    const std::uint64_t one = 1;
    // An eventfd write fails only when the counter would overflow, and then a stop is pending anyway.
    if (wake_ >= 0 && ::write(wake_, &one, sizeof one) < 0) return;
}

void SimServer::SetDtr(bool on) {
    {
        std::lock_guard<std::mutex> lock(dtrMutex_);
        dtrChanges_.push_back(on);
    }
    const std::uint64_t one = 1;
    // As for Stop: a failed write means a wake-up is already pending.
    if (dtrWake_ >= 0 && ::write(dtrWake_, &one, sizeof one) < 0) return;
}

bool SimServer::StopRequested(int stopFd, int timeoutMs) {
    pollfd fds[2] = {{wake_, POLLIN, 0}, {stopFd, POLLIN, 0}};
    const int r = ::poll(fds, stopFd >= 0 ? 2 : 1, timeoutMs);
    return r > 0 && ((fds[0].revents & POLLIN) || (stopFd >= 0 && (fds[1].revents & POLLIN)));
}

bool SimServer::SleepOrStop(long long ns, int stopFd) {
    if (ns <= 0) return StopRequested(stopFd, 0);
    pollfd fds[2] = {{wake_, POLLIN, 0}, {stopFd, POLLIN, 0}};
    const auto until = std::chrono::steady_clock::now() + std::chrono::nanoseconds(ns);
    for (;;) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) return false;
        const long long leftNs = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec ts{static_cast<time_t>(leftNs / 1000000000), static_cast<long>(leftNs % 1000000000)};
        const int r = ::ppoll(fds, stopFd >= 0 ? 2 : 1, &ts, nullptr);
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return false;
    }
}

SimServer::Outcome SimServer::Send(const std::uint8_t* bytes, std::size_t count, std::string& error,
                                   int stopFd) {
    using namespace std::chrono;
    const long long byteNs = options_.Baud ? 10'000'000'000LL / options_.Baud : 0;
    const auto start = steady_clock::now();
    std::size_t sent = 0;
    while (sent < count) {
        std::size_t allowed = count;
        if (byteNs > 0) {
            // Byte i may leave once i byte-times have passed since the first.
            const long long elapsed = duration_cast<nanoseconds>(steady_clock::now() - start).count();
            allowed = std::min<std::size_t>(count, static_cast<std::size_t>(elapsed / byteNs) + 1);
            if (allowed <= sent) {
                if (SleepOrStop(static_cast<long long>(sent) * byteNs - elapsed, stopFd))
                    return Outcome::Stopped;
                continue;
            }
        }
        const ssize_t n = ::write(line_, bytes + sent, allowed - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The other side is not reading; wait for room, or for a stop.
            pollfd fds[3] = {{line_, POLLOUT, 0}, {wake_, POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (::poll(fds, stopFd >= 0 ? 3 : 2, -1) < 0 && errno != EINTR) {
                error = Errno("poll");
                return Outcome::Failed;
            }
            if ((fds[1].revents & POLLIN) || (stopFd >= 0 && (fds[2].revents & POLLIN)))
                return Outcome::Stopped;
            continue;
        }
        error = Errno("writing to " + path_);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

SimServer::Outcome SimServer::Respond(const Frame& request, std::string& error, int stopFd) {
    const auto reply = panel_.Handle(request);
    if (!reply) return Outcome::Done;
    if (const auto copy = panel_.TakeLateCopy()) {
        Note("reply " + std::to_string(copy->Command) + " of block " + std::to_string(copy->Data.at(0)) +
             " sent again, late (fault injection)");
        if (const auto w = EncodeWire(*copy)) {
            const Outcome o = SendBytes(w->Bytes, error, stopFd);
            if (o != Outcome::Done) return o;
        }
    }
    auto wire = EncodeWire(*reply);
    if (!wire) {
        Note("reply " + std::to_string(reply->Command) + " too long for a frame: not sent");
        return Outcome::Done;
    }
    // From the STX through the first trailing 03h: every byte the receiver looks at.
    if (const auto at = panel_.CorruptWire(wire->Bytes, 1, wire->TrailerAt + 1))
        Note("reply " + std::to_string(reply->Command) + ": byte " + std::to_string(*at) +
             " corrupted (fault injection)");
    const auto delay = panel_.Faults().Delay;
    if (delay.count() > 0 && SleepOrStop(std::chrono::nanoseconds(delay).count(), stopFd))
        return Outcome::Stopped;

    const auto& bytes = wire->Bytes;
    Outcome o = Send(bytes.data(), wire->TrailerAt, error, stopFd);
    if (o != Outcome::Done) return o;
    if (SleepOrStop(1'000'000, stopFd)) return Outcome::Stopped;
    o = Send(bytes.data() + wire->TrailerAt, bytes.size() - wire->TrailerAt, error, stopFd);
    if (o == Outcome::Done) ++repliesSent_;
    return o;
}

SimServer::Outcome SimServer::SendBytes(const std::vector<std::uint8_t>& bytes, std::string& error,
                                        int stopFd) {
    if (bytes.empty()) return Outcome::Done;
    return Send(bytes.data(), bytes.size(), error, stopFd);
}

SimServer::Outcome SimServer::ToPanel(FrameReceiver& receiver, std::uint8_t byte, std::string& error,
                                      int stopFd) {
    const std::size_t rejectedBefore = receiver.Rejected();
    auto frame = receiver.Feed(byte, FrameReceiver::Clock::now());
    if (receiver.Rejected() != rejectedBefore) ++framesRejected_;
    if (!frame) return Outcome::Done;
    ++framesReceived_;
    return Respond(*frame, error, stopFd);
}

bool SimServer::Run(std::string& error, int stopFd) {
    using Clock = FrameReceiver::Clock;
    if (line_ < 0) {
        error = "no line open";
        return false;
    }
    FrameReceiver receiver;
    std::optional<SimModem> modem;
    if (options_.Modem) {
        if (const std::string why = CheckModemSettings(*options_.Modem); !why.empty()) {
            error = "modem: " + why;
            return false;
        }
        modem.emplace(*options_.Modem, Clock::now());
    }
    std::size_t links = 0;
    SimModem::Mode mode = SimModem::Mode::OnHook;
    SimModem::Output out;
    // What the modem said and what it passed on, in that order; the reply to a request the panel
    // got leaves after the modem's own bytes.
    auto flush = [&]() {
        Outcome o = SendBytes(out.ToLine, error, stopFd);
        out.ToLine.clear();
        if (modem->CurrentMode() != mode) {
            mode = modem->CurrentMode();
            Trace(std::string("modem: ") + ModeName(mode, modem->LastDialled()));
        }
        if (modem->LinksMade() != links) {
            // Each link starts with a receiver that holds nothing of an earlier call.
            links = modem->LinksMade();
            receiver = FrameReceiver();
            Trace("modem: handshake done, the panel is linked");
        }
        for (std::size_t i = 0; o == Outcome::Done && i < out.ToPanel.size(); ++i)
            o = ToPanel(receiver, out.ToPanel[i], error, stopFd);
        out.ToPanel.clear();
        return o;
    };

    std::uint8_t buffer[4096];
    for (;;) {
        int timeout = -1;
        auto waitFor = [&](Clock::time_point when) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
            const int ms = static_cast<int>(std::max<long long>(0, left.count()) + 1);
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        };
        if (receiver.InFrame()) waitFor(receiver.Deadline());
        if (modem)
            if (const auto due = modem->NextDeadline()) waitFor(*due);
        // Absent descriptors are -1, which poll passes over.
        pollfd fds[5] = {{line_, POLLIN, 0},
                         {wake_, POLLIN, 0},
                         {stopFd, POLLIN, 0},
                         {modem ? dtrWake_ : -1, POLLIN, 0},
                         {modem ? options_.DtrPulseFd : -1, POLLIN, 0}};
        const int r = ::poll(fds, 5, timeout);
        if (r < 0) {
            if (errno == EINTR) continue;
            error = Errno("poll");
            return false;
        }
        if ((fds[1].revents & POLLIN) || (fds[2].revents & POLLIN)) return true;

        if (modem && ((fds[3].revents & POLLIN) || (fds[4].revents & POLLIN))) {
            std::vector<bool> changes;
            if (fds[3].revents & POLLIN) {
                std::uint64_t count;
                if (::read(dtrWake_, &count, sizeof count) < 0 && errno != EAGAIN) {
                    error = Errno("reading the DTR hook");
                    return false;
                }
                std::lock_guard<std::mutex> lock(dtrMutex_);
                changes.swap(dtrChanges_);
            }
            if (fds[4].revents & POLLIN) {
                // Large enough for a signalfd record, which cannot be read in smaller pieces.
                std::uint8_t record[256];
                if (::read(options_.DtrPulseFd, record, sizeof record) < 0 && errno != EAGAIN &&
                    errno != EINTR) {
                    error = Errno("reading the DTR pulse descriptor");
                    return false;
                }
                changes.insert(changes.end(), {false, true});
            }
            for (const bool on : changes) {
                Trace(std::string("modem: DTR ") + (on ? "raised" : "dropped"));
                modem->SetDtr(on, Clock::now(), out);
                const Outcome o = flush();
                if (o == Outcome::Stopped) return true;
                if (o == Outcome::Failed) return false;
            }
        }

        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(line_, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) {
                error = n == 0 ? path_ + ": end of input" : Errno("reading " + path_);
                return false;
            }
            for (ssize_t i = 0; i < n; ++i) {
                Outcome o;
                if (modem) {
                    modem->FromLine(buffer[i], Clock::now(), out);
                    o = flush();
                } else {
                    o = ToPanel(receiver, buffer[i], error, stopFd);
                }
                if (o == Outcome::Stopped) return true;
                if (o == Outcome::Failed) return false;
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            error = path_ + ": the line hung up";
            return false;
        }
        if (modem) {
            modem->Tick(Clock::now(), out);
            const Outcome o = flush();
            if (o == Outcome::Stopped) return true;
            if (o == Outcome::Failed) return false;
        }
        const std::size_t rejectedBefore = receiver.Rejected();
        receiver.Tick(Clock::now());
        if (receiver.Rejected() != rejectedBefore) ++framesRejected_;
    }
}

} // namespace vm415sim
