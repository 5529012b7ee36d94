#include "tools/sim/SimFaults.h"

#include "tools/sim/SimWire.h"

namespace vm415sim {

FaultInjector::FaultInjector(const FaultSettings& settings) {
    Reset(settings);
}

void FaultInjector::Reset(const FaultSettings& settings) {
    settings_ = settings;
    state_ = settings.Seed;
}

// splitmix64: small, and the same sequence on every platform and library.
std::uint64_t FaultInjector::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool FaultInjector::Chance(double rate) {
    if (rate <= 0) return false;
    if (rate >= 1) return true;
    return static_cast<double>(Next() >> 11) * 0x1.0p-53 < rate;
}

bool FaultInjector::DropReply() {
    return Chance(settings_.DropRate);
}

void FaultInjector::Disguise(Frame& reply) const {
    const bool blockRead = reply.Command == 13 || reply.Command == 15 || reply.Command == 16;
    if (settings_.WrongBlock && blockRead && !reply.Data.empty()) ++reply.Data[0];
    if (settings_.WrongCommand) reply.Command = static_cast<std::uint8_t>(reply.Command % 22 + 1);
    if (settings_.WrongLength) {
        if (reply.Data.size() < MaxFrameData)
            reply.Data.push_back(0);
        else
            reply.Data.pop_back();
    }
}

std::optional<std::size_t> FaultInjector::CorruptWire(std::vector<std::uint8_t>& bytes, std::size_t first,
                                                      std::size_t last) {
    if (last > bytes.size()) last = bytes.size();
    if (first >= last || !Chance(settings_.CorruptRate)) return std::nullopt;
    const std::size_t at = first + Next() % (last - first);
    bytes[at] ^= static_cast<std::uint8_t>(1 + Next() % 255);
    return at;
}

} // namespace vm415sim
