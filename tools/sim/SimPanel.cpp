#include "tools/sim/SimPanel.h"

#include <utility>

#include "platform/fs/SafeFile.h"
#include "tools/sim/SimBlocks.h"
#include "tools/sim/SimClock.h"
#include "tools/sim/SimFaults.h"
#include "tools/sim/SimImage.h"
#include "tools/sim/SimQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace vm415sim {
namespace {

struct CommandSpec {
    std::uint8_t RequestLength;
    bool Writes; // changes the panel: refused while programming is not enabled
    const char* Name;
};

// Request lengths of the command set; code 12 and anything above 22 do not exist.
std::optional<CommandSpec> FindCommand(std::uint8_t code) {
    switch (code) {
    case 1:
        return CommandSpec{0, false, "identification"};
    case 2:
        return CommandSpec{0, false, "end of communication"};
    case 3:
        return CommandSpec{0, false, "read general block"};
    case 4:
        return CommandSpec{216, true, "write general block"};
    case 5:
        return CommandSpec{0, false, "read date and time"};
    case 6:
        return CommandSpec{5, true, "write date and time"};
    case 7:
        return CommandSpec{0, false, "read queue pointers"};
    case 8:
        return CommandSpec{1, false, "read one event"};
    case 9:
        return CommandSpec{0, true, "clear event queue"};
    case 10:
        return CommandSpec{0, false, "read telephone numbers"};
    case 11:
        return CommandSpec{136, true, "write telephone numbers"};
    case 13:
        return CommandSpec{1, false, "read zone block"};
    case 14:
        return CommandSpec{241, true, "write zone block"};
    case 15:
        return CommandSpec{1, false, "read event block"};
    case 16:
        return CommandSpec{1, false, "read keypad block"};
    case 17:
        return CommandSpec{169, true, "write keypad block"};
    case 18:
        return CommandSpec{0, false, "read Contact-ID and GPRS block"};
    case 19:
        return CommandSpec{196, true, "write Contact-ID and GPRS block"};
    case 20:
        return CommandSpec{0, false, "read Contact-ID tables"};
    case 21:
        return CommandSpec{114, true, "write Contact-ID tables"};
    case 22:
        return CommandSpec{0, false, "end remote connection"};
    default:
        return std::nullopt;
    }
}

constexpr std::size_t ZonesPerBlock = 8, KeypadsPerBlock = 8, EventsPerBlock = 20, PhoneCount = 8;

} // namespace

struct SimPanel::State {
    explicit State(platform::MonotonicClock monotonic) : clock(monotonic) {}

    mutable std::mutex mutex;
    Image image = FactoryImage();
    SimClock clock;
    std::uint8_t model = DefaultModel;
    std::uint8_t version = DefaultVersion;
    std::uint8_t programming = 1;
    EventQueue queue;
    FaultInjector faults;
    std::optional<Frame> lastBlockReply, lateCopy;
    LogSink log;

    // Messages wait here until the lock is released, so that a sink may call back into the panel.
    std::vector<std::pair<LogLevel, std::string>> pending;
    void Note(std::string text) { pending.emplace_back(LogLevel::Note, std::move(text)); }
    void Trace(std::string text) { pending.emplace_back(LogLevel::Trace, std::move(text)); }

    std::optional<Frame> Answer(const Frame& request);
};

SimPanel::SimPanel() : SimPanel(platform::SteadyNow) {}
SimPanel::SimPanel(platform::MonotonicClock monotonic) : s_(std::make_unique<State>(monotonic)) {}
SimPanel::~SimPanel() = default;

std::optional<Frame> SimPanel::Handle(const Frame& request) {
    std::optional<Frame> reply;
    std::vector<std::pair<LogLevel, std::string>> messages;
    LogSink sink;
    {
        std::lock_guard lock(s_->mutex);
        reply = s_->Answer(request);
        if (reply && s_->faults.Settings().LateBlockCopies) {
            s_->lateCopy = s_->lastBlockReply;
            const std::uint8_t c = reply->Command;
            if (c == 13 || c == 15 || c == 16)
                s_->lastBlockReply = reply;
            else
                s_->lastBlockReply.reset();
        }
        messages.swap(s_->pending);
        sink = s_->log;
    }
    if (sink)
        for (auto& [level, text] : messages)
            sink(level, text);
    return reply;
}

std::optional<Frame> SimPanel::TakeLateCopy() {
    std::lock_guard lock(s_->mutex);
    return std::exchange(s_->lateCopy, std::nullopt);
}

std::optional<Frame> SimPanel::State::Answer(const Frame& request) {
    const std::uint8_t code = request.Command;
    const auto spec = FindCommand(code);
    if (!spec) {
        Note("command " + std::to_string(code) + " is not in the command set: no reply");
        return std::nullopt;
    }
    Trace("request " + std::to_string(code) + " (" + spec->Name + "), " +
          std::to_string(request.Data.size()) + " data bytes");
    if (request.Data.size() != spec->RequestLength) {
        Note("command " + std::to_string(code) + " came with " + std::to_string(request.Data.size()) +
             " data bytes instead of " + std::to_string(spec->RequestLength) + ": no reply");
        return std::nullopt;
    }
    if (spec->Writes && programming == 0) {
        Note("command " + std::to_string(code) + " (" + spec->Name + ") refused: programming is not enabled");
        return std::nullopt;
    }

    const std::vector<std::uint8_t>& in = request.Data;
    Frame reply{code, {}};
    std::vector<std::uint8_t>& out = reply.Data;
    switch (code) {
    case 1:
        out = {model, version, programming};
        break;
    case 2:
    case 22:
        break;
    case 3:
        EncodeBlock(GeneralBlock, image, 0, out);
        break;
    case 4:
        DecodeBlock(GeneralBlock, in, image, 0);
        break;
    case 5: {
        const auto t = FromDateTime(clock.Now());
        out.assign(5, 0);
        if (t) {
            out = {std::uint8_t(t->Hour), std::uint8_t(t->Minute), std::uint8_t(t->Day),
                   std::uint8_t(t->Month), std::uint8_t(t->Year % 100)};
        }
        break;
    }
    case 6: {
        // hour, minute, day, month, year % 100
        const CivilTime t{2000 + in[4] % 100, in[3], in[2], in[0], in[1], 0};
        const auto value = ToDateTime(t);
        if (!value) {
            // Acknowledging would tell the program that the clock was set.
            Note("command 6 carries no valid date and time (" + std::to_string(in[0]) + ":" +
                 std::to_string(in[1]) + " " + std::to_string(in[2]) + "/" + std::to_string(in[3]) + "/" +
                 std::to_string(in[4]) + "): clock unchanged, no reply");
            return std::nullopt;
        }
        clock.Set(*value);
        break;
    }
    case 7:
        out = {queue.Start(), queue.End(), queue.Size()};
        break;
    case 8: {
        out.push_back(in[0]);
        const auto event = queue.At(in[0]);
        const auto w = event ? WireEvent(*event) : std::array<std::uint8_t, 8>{};
        out.insert(out.end(), w.begin(), w.end());
        break;
    }
    case 9:
        queue.Clear();
        break;
    case 10:
        for (std::size_t n = 0; n < PhoneCount; ++n)
            EncodeBlock(PhoneRecord, image, img::NumTel + img::NumTelSize * n, out);
        break;
    case 11:
        for (std::size_t n = 0; n < PhoneCount; ++n)
            DecodeBlock(PhoneRecord, std::span(in).subspan(PhoneRecord.Size * n), image,
                        img::NumTel + img::NumTelSize * n);
        break;
    case 13:
    case 16: {
        const bool zones = code == 13;
        const BlockLayout& layout = zones ? ZoneRecord : KeypadRecord;
        const std::size_t count = zones ? img::ZoneCount : img::InseritoreCount;
        out.push_back(in[0]);
        for (std::size_t k = 0; k < (zones ? ZonesPerBlock : KeypadsPerBlock); ++k) {
            const std::size_t slot = std::size_t(in[0]) * 8 + k;
            if (slot < count) {
                const std::size_t base =
                    zones ? img::Zone + img::ZoneSize * slot : img::Inseritori + img::InseritoreSize * slot;
                EncodeBlock(layout, image, base, out);
            } else {
                out.resize(out.size() + layout.Size, 0);
            }
        }
        break;
    }
    case 14:
    case 17: {
        const bool zones = code == 14;
        const BlockLayout& layout = zones ? ZoneRecord : KeypadRecord;
        const std::size_t count = zones ? img::ZoneCount : img::InseritoreCount;
        std::size_t stored = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const std::size_t slot = std::size_t(in[0]) * 8 + k;
            if (slot >= count) continue; // beyond the panel's records: nothing to keep
            const std::size_t base =
                zones ? img::Zone + img::ZoneSize * slot : img::Inseritori + img::InseritoreSize * slot;
            DecodeBlock(layout, std::span(in).subspan(1 + layout.Size * k), image, base);
            ++stored;
        }
        if (stored == 0)
            Note("command " + std::to_string(code) + " block " + std::to_string(in[0]) +
                 " lies beyond the panel's records: acknowledged, nothing stored");
        break;
    }
    case 15: {
        out.push_back(in[0]);
        for (std::size_t k = 0; k < EventsPerBlock; ++k) {
            const auto event = queue.At(static_cast<int>(std::size_t(in[0]) * EventsPerBlock + k));
            const auto w = event ? WireEvent(*event) : std::array<std::uint8_t, 8>{};
            out.insert(out.end(), w.begin(), w.end());
        }
        break;
    }
    case 18:
        EncodeBlock(GprsCidBlock, image, 0, out);
        break;
    case 19:
        DecodeBlock(GprsCidBlock, in, image, 0);
        break;
    case 20:
        EncodeBlock(CidTables, image, 0, out);
        break;
    case 21:
        DecodeBlock(CidTables, in, image, 0);
        break;
    }

    if (faults.DropReply()) {
        Note("reply to command " + std::to_string(code) + " dropped (fault injection)");
        return std::nullopt;
    }
    faults.Disguise(reply);
    Trace("reply " + std::to_string(reply.Command) + ", " + std::to_string(reply.Data.size()) +
          " data bytes");
    return reply;
}

std::vector<std::uint8_t> SimPanel::ImageBytes() const {
    std::lock_guard lock(s_->mutex);
    return {s_->image.begin(), s_->image.end()};
}

bool SimPanel::SetImageBytes(std::span<const std::uint8_t> bytes, std::string& error) {
    if (bytes.size() != ImageSize) {
        error = "not a configuration image: " + std::to_string(bytes.size()) + " bytes instead of " +
                std::to_string(ImageSize);
        return false;
    }
    std::lock_guard lock(s_->mutex);
    std::copy(bytes.begin(), bytes.end(), s_->image.begin());
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        out.insert(out.end(), buffer, buffer + n);
        // Nothing this tool reads is anywhere near this; a device or a wrong path must not fill memory.
        if (out.size() > (16u << 20)) {
            std::fclose(f);
            error = path + ": too large";
            return false;
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = path + ": read error";
        return false;
    }
    bytes = std::move(out);
    return true;
}

bool SimPanel::LoadImageFile(const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (!SetImageBytes(bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool SimPanel::SaveImageFile(const std::string& path, std::string& error) const {
    const auto bytes = ImageBytes();
    std::string why;
    if (!platform::WriteFileAtomically(path, bytes.data(), bytes.size(), &why)) {
        error = path + ": " + why;
        return false;
    }
    return true;
}

double SimPanel::ClockNow() const {
    std::lock_guard lock(s_->mutex);
    return s_->clock.Now();
}

void SimPanel::SetClock(double value) {
    std::lock_guard lock(s_->mutex);
    s_->clock.Set(value);
}

void SimPanel::SetModel(std::uint8_t model) {
    std::lock_guard lock(s_->mutex);
    s_->model = model;
}

void SimPanel::SetVersion(std::uint8_t version) {
    std::lock_guard lock(s_->mutex);
    s_->version = version;
}

void SimPanel::SetProgramming(std::uint8_t enabled) {
    std::lock_guard lock(s_->mutex);
    s_->programming = enabled;
}

EventQueue SimPanel::Queue() const {
    std::lock_guard lock(s_->mutex);
    return s_->queue;
}

void SimPanel::SetQueue(const EventQueue& queue) {
    std::lock_guard lock(s_->mutex);
    s_->queue = queue;
}

void SimPanel::AddEvent(const QueueEvent& event) {
    std::lock_guard lock(s_->mutex);
    s_->queue.Push(event);
}

bool SimPanel::LoadEventsFile(const std::string& path, int start, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    std::vector<QueueEvent> events;
    std::string why;
    std::lock_guard lock(s_->mutex);
    if (!ParseCodFile(bytes, events, why) || !s_->queue.Load(events, start, why)) {
        error = path + ": " + why;
        return false;
    }
    return true;
}

void SimPanel::SetFaults(const FaultSettings& faults) {
    std::lock_guard lock(s_->mutex);
    s_->faults.Reset(faults);
}

FaultSettings SimPanel::Faults() const {
    std::lock_guard lock(s_->mutex);
    return s_->faults.Settings();
}

std::optional<std::size_t> SimPanel::CorruptWire(std::vector<std::uint8_t>& bytes, std::size_t first,
                                                 std::size_t last) {
    std::lock_guard lock(s_->mutex);
    return s_->faults.CorruptWire(bytes, first, last);
}

void SimPanel::SetLog(LogSink sink) {
    std::lock_guard lock(s_->mutex);
    s_->log = std::move(sink);
}

} // namespace vm415sim
