#pragma once
// The simulated Vm415 panel: its own image, clock, identification bytes and event queue,
// answering request frames. Its payload handling is written apart from the program's codecs.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vm415sim {

struct Frame {
    std::uint8_t Command = 0;
    std::vector<std::uint8_t> Data;

    bool operator==(const Frame&) const = default;
};

struct FaultSettings;
class EventQueue;
struct QueueEvent;

class SimPanel {
  public:
    static constexpr std::uint8_t DefaultModel = 164;
    static constexpr std::uint8_t DefaultVersion = 11;

    enum class LogLevel { Note, Trace };
    // Notes say why the panel stayed silent or what it refused; traces follow every exchange.
    using LogSink = std::function<void(LogLevel, const std::string&)>;

    SimPanel();
    // Tests pass a fake monotonic source to hold the clock still.
    explicit SimPanel(std::chrono::steady_clock::time_point (*monotonic)());
    ~SimPanel();
    SimPanel(const SimPanel&) = delete;
    SimPanel& operator=(const SimPanel&) = delete;

    // The reply the panel sends to one request, or nothing when it stays silent: an unknown code,
    // a request of the wrong length, a write while programming is not enabled, a date it cannot
    // set, or a dropped reply. Reply faults (drop, wrong command or length) are applied here.
    std::optional<Frame> Handle(const Frame& request);
    // With the late-copies fault: the copy of an earlier block reply to send just before the reply
    // Handle has given, once.
    std::optional<Frame> TakeLateCopy();

    // The 4864-byte configuration image (starts as a factory image).
    std::vector<std::uint8_t> ImageBytes() const;
    // False, with the image untouched, unless exactly 4864 bytes are given.
    bool SetImageBytes(std::span<const std::uint8_t> bytes, std::string& error);
    bool LoadImageFile(const std::string& path, std::string& error);
    // Written so that a failure leaves any previous file whole.
    bool SaveImageFile(const std::string& path, std::string& error) const;

    // Date-time value (days since 30/12/1899); the clock runs on from the value set.
    double ClockNow() const;
    void SetClock(double value);

    void SetModel(std::uint8_t model);
    void SetVersion(std::uint8_t version);
    // 0: the panel answers reads but refuses every write and the queue clear.
    void SetProgramming(std::uint8_t enabled);

    EventQueue Queue() const;
    void SetQueue(const EventQueue& queue);
    void AddEvent(const QueueEvent& event);
    // Loads a ".cod" file into the queue, oldest at `start`; nothing changes on failure.
    bool LoadEventsFile(const std::string& path, int start, std::string& error);

    void SetFaults(const FaultSettings& faults);
    FaultSettings Faults() const;
    // Wire-level faults, for the byte-stream server: may change one byte in bytes[first, last).
    std::optional<std::size_t> CorruptWire(std::vector<std::uint8_t>& bytes, std::size_t first,
                                           std::size_t last);

    void SetLog(LogSink sink);

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// Reads a whole file; false with a reason when it cannot.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

} // namespace vm415sim
