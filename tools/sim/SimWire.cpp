#include "tools/sim/SimWire.h"

namespace vm415sim {
namespace {

constexpr std::uint8_t Stx = 0x02;
constexpr std::uint8_t Etx = 0x03;
constexpr std::uint8_t Dle = 0x10;

bool NeedsStuffing(std::uint8_t b) {
    return b == Stx || b == Etx || b == Dle;
}

} // namespace

std::optional<WireBytes> EncodeWire(const Frame& frame) {
    if (frame.Data.size() > MaxFrameData) return std::nullopt;
    WireBytes out;
    out.Bytes.reserve(8 + 2 * (frame.Data.size() + 2));
    out.Bytes.push_back(Etx);
    out.Bytes.push_back(Stx);
    std::uint8_t sum = Stx;
    auto put = [&](std::uint8_t b) {
        if (NeedsStuffing(b)) {
            out.Bytes.push_back(Dle);
            sum = static_cast<std::uint8_t>(sum + Dle);
        }
        out.Bytes.push_back(b);
        sum = static_cast<std::uint8_t>(sum + b);
    };
    put(static_cast<std::uint8_t>(frame.Data.size() + 1));
    put(frame.Command);
    for (std::uint8_t b : frame.Data)
        put(b);
    // The checksum goes out as it is, whatever its value; the receiver knows where it stands.
    out.Bytes.push_back(static_cast<std::uint8_t>(0x100 - sum));
    out.TrailerAt = out.Bytes.size();
    out.Bytes.push_back(Etx);
    out.Bytes.push_back(Etx);
    return out;
}

void FrameReceiver::StartFrame(Clock::time_point now) {
    state_ = State::Length;
    sum_ = Stx;
    remaining_ = 0;
    escaped_ = false;
    body_.clear();
    deadline_ = now + FrameTimeLimit;
}

void FrameReceiver::Fail(Reject why, State next) {
    lastReject_ = why;
    ++rejected_;
    state_ = next;
    escaped_ = false;
}

void FrameReceiver::Tick(Clock::time_point now) {
    if (state_ != State::Idle && now > deadline_) Fail(Reject::TimedOut, State::Idle);
}

std::optional<Frame> FrameReceiver::Feed(std::uint8_t b, Clock::time_point now) {
    // A stale fragment must not swallow the start of the next request.
    Tick(now);

    switch (state_) {
    case State::Idle:
        if (b == Stx) StartFrame(now);
        return std::nullopt;

    case State::Length:
    case State::Body: {
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (!escaped_) {
            if (b == Dle) {
                escaped_ = true;
                return std::nullopt;
            }
            // A sender stuffs every 02h and 03h inside a frame, so a bare one means that this
            // frame was cut short: a bare STX starts the next one, a bare 03h just ends this one.
            if (b == Stx) {
                Fail(Reject::Interrupted, State::Idle);
                StartFrame(now);
                return std::nullopt;
            }
            if (b == Etx) {
                Fail(Reject::Interrupted, State::Idle);
                return std::nullopt;
            }
        } else if (!NeedsStuffing(b)) {
            // Nothing but 02h, 03h and 10h is ever stuffed: a byte after this 10h was lost or
            // changed, and taking this one literally could line the rest up into a good sum.
            Fail(Reject::BadEscape, State::Discard);
            return std::nullopt;
        }
        escaped_ = false;
        if (state_ == State::Length) {
            if (b == 0) {
                Fail(Reject::ZeroLength, State::Discard);
                return std::nullopt;
            }
            remaining_ = b;
            state_ = State::Body;
            return std::nullopt;
        }
        body_.push_back(b);
        if (--remaining_ == 0) state_ = State::Checksum;
        return std::nullopt;
    }

    case State::Checksum:
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (sum_ == 0)
            state_ = State::Trailer;
        else
            Fail(Reject::Checksum, State::Discard);
        return std::nullopt;

    case State::Trailer: {
        if (b != Etx) {
            Fail(Reject::NoTrailer, State::Idle);
            if (b == Stx) StartFrame(now);
            return std::nullopt;
        }
        state_ = State::Idle;
        Frame frame;
        frame.Command = body_.front();
        frame.Data.assign(body_.begin() + 1, body_.end());
        return frame;
    }

    case State::Discard:
        if (escaped_) {
            escaped_ = false;
        } else if (b == Dle) {
            escaped_ = true;
        } else if (b == Etx) {
            state_ = State::Idle;
        } else if (b == Stx) {
            StartFrame(now);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace vm415sim
