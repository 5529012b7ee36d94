// The simulator's request receiver on arbitrary bytes: whatever it accepts is a frame that codes
// back to wire bytes it accepts again unchanged.
#include "tools/sim/SimWire.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vm415sim;
    FrameReceiver rx;
    FrameReceiver::Clock::time_point now{};
    for (std::size_t i = 0; i < size; ++i) {
        // FFh n lets n x 40 ms pass, so that the frame time limit is exercised; FFh 00h is the byte FFh.
        std::uint8_t b = data[i];
        if (b == 0xFF && i + 1 < size && data[++i] != 0) {
            now += std::chrono::milliseconds(data[i] * 40);
            rx.Tick(now);
            continue;
        }
        const auto frame = rx.Feed(b, now);
        if (!frame) continue;
        if (frame->Data.size() > MaxFrameData) std::abort();
        const auto wire = EncodeWire(*frame);
        if (!wire) std::abort();
        FrameReceiver again;
        std::optional<Frame> back;
        for (auto b : wire->Bytes)
            if (auto f = again.Feed(b, {})) back = f;
        if (!back || !(*back == *frame)) std::abort();
    }
    return 0;
}
