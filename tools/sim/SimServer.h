#pragma once
// The panel on a byte stream: a pseudo-terminal it creates, or a serial device it is given. It picks
// request frames out of the bytes that arrive and writes each reply as a wire frame, pausing 1 ms
// before the trailing 03h as the panel's sender does. With a modem in the options, the line meets a
// Hayes modem first and reaches the panel only through a call.
#include "tools/sim/SimModem.h"
#include "tools/sim/SimPanel.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vm415sim {

class FrameReceiver;

struct ServerOptions {
    // When non-zero, reply bytes leave no faster than a line at this rate would carry them
    // (10 bits a byte); on a device it is also the line speed when it is a standard one.
    unsigned Baud = 0;
    // When set, a Hayes modem stands between the line and the panel: the panel is reached by a call.
    std::optional<ModemSettings> Modem;
    // A descriptor (a signalfd, say) whose readiness stands for a DTR drop and raise, since a
    // pseudo-terminal carries no DTR. The server reads it empty.
    int DtrPulseFd = -1;
};

class SimServer {
  public:
    SimServer(SimPanel& panel, ServerOptions options = {});
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Creates a pseudo-terminal in raw mode; Path() is then its slave side, for the program to open.
    bool OpenPty(std::string& error);
    // Opens a serial device in raw mode.
    bool OpenDevice(const std::string& path, std::string& error);
    const std::string& Path() const { return path_; }

    // Serves until Stop() is called or `stopFd` (a signalfd, say) becomes readable: true then; false
    // with a reason when the line fails.
    bool Run(std::string& error, int stopFd = -1);
    // May be called from any thread, before or during Run.
    void Stop();
    // The modem's DTR input, for tests and for lines that cannot carry it; any thread, in order.
    // Without a modem it has no effect.
    void SetDtr(bool on);

    std::size_t FramesReceived() const { return framesReceived_.load(); }
    std::size_t RepliesSent() const { return repliesSent_.load(); }
    std::size_t FramesRejected() const { return framesRejected_.load(); }

    void SetLog(SimPanel::LogSink sink) { log_ = std::move(sink); }

  private:
    enum class Outcome { Done, Stopped, Failed };

    Outcome Respond(const Frame& request, std::string& error, int stopFd);
    // One byte for the panel's frame receiver, answered when it completes a request.
    Outcome ToPanel(FrameReceiver& receiver, std::uint8_t byte, std::string& error, int stopFd);
    Outcome SendBytes(const std::vector<std::uint8_t>& bytes, std::string& error, int stopFd);
    Outcome Send(const std::uint8_t* bytes, std::size_t count, std::string& error, int stopFd);
    // Sleeps for `ns` nanoseconds unless a stop comes first (then true).
    bool SleepOrStop(long long ns, int stopFd);
    bool StopRequested(int stopFd, int timeoutMs);
    void Note(const std::string& text);
    void Trace(const std::string& text);

    SimPanel& panel_;
    ServerOptions options_;
    int line_ = -1;
    int heldSlave_ = -1; // keeps the pty from hanging up while no client has it open
    int wake_ = -1;
    int dtrWake_ = -1;
    std::mutex dtrMutex_;
    std::vector<bool> dtrChanges_; // guarded by dtrMutex_
    std::string path_;
    SimPanel::LogSink log_;
    std::atomic<std::size_t> framesReceived_{0};
    std::atomic<std::size_t> repliesSent_{0};
    std::atomic<std::size_t> framesRejected_{0};
};

} // namespace vm415sim
