#pragma once
// The serial frame as the panel sees it on the line: the coder for its replies and the receiver
// that picks request frames out of the byte stream.
#include "tools/sim/SimPanel.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vm415sim {

// The length byte carries the data length plus one, so a frame holds at most 254 data bytes.
inline constexpr std::size_t MaxFrameData = 254;

struct WireBytes {
    std::vector<std::uint8_t> Bytes;
    // Index of the first trailing 03h: the sender pauses before it.
    std::size_t TrailerAt = 0;
};

// Codes one frame: lead-in 03h, STX, stuffed length, command and data, the unstuffed checksum that
// brings the sum from the STX on to zero, then 03h 03h. Nothing when the data is too long.
std::optional<WireBytes> EncodeWire(const Frame& frame);

class FrameReceiver {
  public:
    using Clock = std::chrono::steady_clock;
    // A frame must be complete this long after its STX, or it is abandoned.
    static constexpr std::chrono::seconds FrameTimeLimit{5};

    enum class Reject { None, Checksum, NoTrailer, ZeroLength, Interrupted, BadEscape, TimedOut };

    // One received byte; a whole frame when this byte completed one.
    std::optional<Frame> Feed(std::uint8_t byte, Clock::time_point now);
    // Gives up a frame that has outlived its time limit.
    void Tick(Clock::time_point now);

    bool InFrame() const { return state_ != State::Idle; }
    // When the frame in progress must be complete; meaningful only while InFrame().
    Clock::time_point Deadline() const { return deadline_; }
    Reject LastReject() const { return lastReject_; }
    std::size_t Rejected() const { return rejected_; }

  private:
    enum class State { Idle, Length, Body, Checksum, Trailer, Discard };

    void StartFrame(Clock::time_point now);
    void Fail(Reject why, State next);

    State state_ = State::Idle;
    std::uint8_t sum_ = 0;
    std::size_t remaining_ = 0;
    bool escaped_ = false;
    std::vector<std::uint8_t> body_;
    Clock::time_point deadline_{};
    Reject lastReject_ = Reject::None;
    std::size_t rejected_ = 0;
};

} // namespace vm415sim
