// The simulated panel's request handling on arbitrary frames, from an arbitrary image: replies keep
// the lengths of the command set and nothing reaches outside the image or the queue.
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimQueue.h"

#include <cstdlib>

namespace {

std::size_t ReplyLength(std::uint8_t code) {
    switch (code) {
    case 1:
    case 5:
        return code == 1 ? 3 : 5;
    case 3:
        return 216;
    case 7:
        return 3;
    case 8:
        return 9;
    case 10:
        return 136;
    case 13:
        return 241;
    case 15:
        return 161;
    case 16:
        return 169;
    case 18:
        return 196;
    case 20:
        return 114;
    default:
        return 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vm415sim;
    if (size < 3) return 0;
    SimPanel panel;
    panel.SetProgramming(data[1] & 1);
    // A queue of fuzzed size with a few fuzzed events, so that block and event reads look into it.
    EventQueue queue;
    std::string error;
    if (queue.Resize(2 + data[2] % 254, error)) {
        for (int i = 0; i < data[2] % 50; ++i) {
            QueueEvent e;
            e.Tipo = static_cast<std::uint8_t>(i);
            e.DataOra = static_cast<double>(data[2]) * 400.0 + i / 7.0;
            queue.Push(e);
        }
    }
    panel.SetQueue(queue);
    Frame request{data[0], std::vector<std::uint8_t>(data + 3, data + size)};
    if (const auto reply = panel.Handle(request)) {
        if (reply->Command != request.Command || reply->Data.size() != ReplyLength(request.Command))
            std::abort();
        if (panel.ImageBytes().size() != 4864) std::abort();
    }
    return 0;
}
