#pragma once
// The panel's event queue: a ring of `Size` places with the index of the oldest event and the index
// at which the next one will be written. Equal indexes mean an empty queue, so the ring holds at
// most Size - 1 events.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vm415sim {

// One event as the ".cod" file holds it (16 bytes): type, descriptor, six alignment bytes, and the
// date-time as a little-endian double (0 when the panel had no valid date).
struct QueueEvent {
    std::uint8_t Tipo = 0;
    std::uint8_t Descrittore = 0;
    std::array<std::uint8_t, 6> Alignment{};
    double DataOra = 0;

    bool operator==(const QueueEvent&) const = default;
};

inline constexpr std::size_t CodRecordSize = 16;

// Reads a ".cod" file's bytes: whole 16-byte records, no header. A trailing part record means a cut
// file and is refused rather than guessed at.
bool ParseCodFile(std::span<const std::uint8_t> bytes, std::vector<QueueEvent>& events, std::string& error);
std::vector<std::uint8_t> FormatCodFile(std::span<const QueueEvent> events);

// The 8 bytes an event travels as: type, descriptor, hour, minute, second, day, month, year % 100.
// An event without a usable date goes with all six date bytes 0, which no reader takes for a date.
std::array<std::uint8_t, 8> WireEvent(const QueueEvent& event);

class EventQueue {
  public:
    static constexpr int DefaultSize = 64;
    static constexpr int MinSize = 2;
    static constexpr int MaxSize = 255; // the size travels in one byte

    explicit EventQueue(int size = DefaultSize);

    // Empties the queue and gives it a new size; false (and nothing changed) outside 2..255.
    bool Resize(int size, std::string& error);
    // Replaces the content with `events`, oldest first, the oldest at place `start`. Refused, with
    // nothing changed, when they do not fit or `start` is not a place of the ring.
    bool Load(std::span<const QueueEvent> events, int start, std::string& error);
    // Adds the newest event; a full queue loses its oldest one, as a panel's ring overwrites it.
    void Push(const QueueEvent& event);
    // The panel's "clear queue": everything already written counts as read.
    void Clear() { start_ = end_; }

    std::uint8_t Start() const { return static_cast<std::uint8_t>(start_); }
    std::uint8_t End() const { return static_cast<std::uint8_t>(end_); }
    std::uint8_t Size() const { return static_cast<std::uint8_t>(size_); }
    int Count() const { return (end_ - start_ + size_) % size_; }
    int Capacity() const { return size_ - 1; }
    // Event i counted from the oldest; nothing beyond the count.
    std::optional<QueueEvent> At(int i) const;
    std::vector<QueueEvent> Events() const;

  private:
    int size_;
    int start_ = 0;
    int end_ = 0;
    std::array<QueueEvent, MaxSize> ring_{};
};

} // namespace vm415sim
