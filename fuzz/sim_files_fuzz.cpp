// The simulator's file readers on arbitrary bytes: a ".cod" event file into a queue of any size,
// and a ".415" image.
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimQueue.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vm415sim;
    if (size < 2) return 0;
    const int queueSize = data[0], start = data[1];
    const std::span<const std::uint8_t> body(data + 2, size - 2);

    std::vector<QueueEvent> events;
    std::string error;
    if (ParseCodFile(body, events, error)) {
        if (FormatCodFile(events) != std::vector<std::uint8_t>(body.begin(), body.end())) std::abort();
        EventQueue queue;
        if (queue.Resize(queueSize, error) && queue.Load(events, start, error)) {
            if (queue.Count() != static_cast<int>(events.size())) std::abort();
            for (int i = 0; i < queue.Count(); ++i)
                (void)WireEvent(*queue.At(i));
        }
    }

    SimPanel panel;
    const auto before = panel.ImageBytes();
    if (panel.SetImageBytes(body, error)) {
        if (panel.ImageBytes() != std::vector<std::uint8_t>(body.begin(), body.end())) std::abort();
    } else if (panel.ImageBytes() != before) {
        std::abort();
    }
    return 0;
}
