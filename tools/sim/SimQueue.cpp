#include "tools/sim/SimQueue.h"

#include "tools/sim/SimClock.h"

#include <bit>
#include <cstring>

namespace vm415sim {
namespace {

static_assert(std::endian::native == std::endian::little, "the .cod date-time is a little-endian double");

} // namespace

bool ParseCodFile(std::span<const std::uint8_t> bytes, std::vector<QueueEvent>& events, std::string& error) {
    if (bytes.size() % CodRecordSize != 0) {
        error = "not an event queue file: " + std::to_string(bytes.size()) +
                " bytes is not a whole number of 16-byte events";
        return false;
    }
    std::vector<QueueEvent> out(bytes.size() / CodRecordSize);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint8_t* r = bytes.data() + i * CodRecordSize;
        out[i].Tipo = r[0];
        out[i].Descrittore = r[1];
        std::memcpy(out[i].Alignment.data(), r + 2, 6);
        std::memcpy(&out[i].DataOra, r + 8, 8);
    }
    events = std::move(out);
    return true;
}

std::vector<std::uint8_t> FormatCodFile(std::span<const QueueEvent> events) {
    std::vector<std::uint8_t> out(events.size() * CodRecordSize);
    for (std::size_t i = 0; i < events.size(); ++i) {
        std::uint8_t* r = out.data() + i * CodRecordSize;
        r[0] = events[i].Tipo;
        r[1] = events[i].Descrittore;
        std::memcpy(r + 2, events[i].Alignment.data(), 6);
        std::memcpy(r + 8, &events[i].DataOra, 8);
    }
    return out;
}

std::array<std::uint8_t, 8> WireEvent(const QueueEvent& event) {
    std::array<std::uint8_t, 8> w{event.Tipo, event.Descrittore};
    // 0 is how an event without a valid panel date is kept; it must not come back as 30/12/1899.
    if (event.DataOra == 0) return w;
    const auto t = FromDateTime(event.DataOra);
    if (!t) return w;
    w[2] = static_cast<std::uint8_t>(t->Hour);
    w[3] = static_cast<std::uint8_t>(t->Minute);
    w[4] = static_cast<std::uint8_t>(t->Second);
    w[5] = static_cast<std::uint8_t>(t->Day);
    w[6] = static_cast<std::uint8_t>(t->Month);
    w[7] = static_cast<std::uint8_t>(t->Year % 100);
    return w;
}

EventQueue::EventQueue(int size) : size_(size < MinSize || size > MaxSize ? DefaultSize : size) {}

bool EventQueue::Resize(int size, std::string& error) {
    if (size < MinSize || size > MaxSize) {
        error = "queue size " + std::to_string(size) + " is outside " + std::to_string(MinSize) + ".." +
                std::to_string(MaxSize);
        return false;
    }
    size_ = size;
    start_ = end_ = 0;
    return true;
}

bool EventQueue::Load(std::span<const QueueEvent> events, int start, std::string& error) {
    if (start < 0 || start >= size_) {
        error = "queue start " + std::to_string(start) + " is outside 0.." + std::to_string(size_ - 1);
        return false;
    }
    if (events.size() > static_cast<std::size_t>(Capacity())) {
        error = std::to_string(events.size()) + " events do not fit a queue of size " +
                std::to_string(size_) + ", which holds at most " + std::to_string(Capacity());
        return false;
    }
    for (std::size_t i = 0; i < events.size(); ++i)
        ring_[(start + i) % size_] = events[i];
    start_ = start;
    end_ = (start + static_cast<int>(events.size())) % size_;
    return true;
}

void EventQueue::Push(const QueueEvent& event) {
    ring_[end_] = event;
    end_ = (end_ + 1) % size_;
    if (end_ == start_) start_ = (start_ + 1) % size_;
}

std::optional<QueueEvent> EventQueue::At(int i) const {
    if (i < 0 || i >= Count()) return std::nullopt;
    return ring_[(start_ + i) % size_];
}

std::vector<QueueEvent> EventQueue::Events() const {
    std::vector<QueueEvent> out;
    for (int i = 0; i < Count(); ++i)
        out.push_back(ring_[(start_ + i) % size_]);
    return out;
}

} // namespace vm415sim
