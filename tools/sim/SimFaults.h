#pragma once
// Misbehaviour on request, for testing how the program copes with a bad line or a confused panel.
// Every random choice comes from one seeded generator, so a run can be repeated exactly.
#include "tools/sim/SimPanel.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vm415sim {

struct FaultSettings {
    std::chrono::milliseconds Delay{0}; // before each reply on the line (the server waits it out)
    double DropRate = 0;                // chance that a reply is not sent (the request still acts)
    double CorruptRate = 0;             // chance that one byte of a reply frame is changed on the wire
    std::uint64_t Seed = 1;
    bool WrongCommand = false; // every reply carries another command code
    bool WrongLength = false;  // every reply carries one data byte too many
    bool WrongBlock = false;   // every reply to a block read names the block after the one asked for
    // Each reply to a block read (zones, keypads, events) comes again just before the next reply,
    // as a datagram repeated or held up on the way would.
    bool LateBlockCopies = false;
};

class FaultInjector {
  public:
    explicit FaultInjector(const FaultSettings& settings = {});

    const FaultSettings& Settings() const { return settings_; }
    // Takes new settings and restarts the generator from their seed.
    void Reset(const FaultSettings& settings);

    bool DropReply();
    // Applies the wrong-command and wrong-length faults to a reply.
    void Disguise(Frame& reply) const;
    // With the corruption chance, changes one byte among bytes[first, last) to another value and
    // gives its index.
    std::optional<std::size_t> CorruptWire(std::vector<std::uint8_t>& bytes, std::size_t first,
                                           std::size_t last);

  private:
    std::uint64_t Next();
    bool Chance(double rate);

    FaultSettings settings_;
    std::uint64_t state_;
};

} // namespace vm415sim
