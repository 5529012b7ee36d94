// Random byte streams and ticks into the frame receiver; every accepted frame must be one that
// the coder could have sent (checked by coding it again and receiving that).
#include "link/KivComunic.h"

#include <cstdlib>
#include <cstring>

namespace {
platform::Instant now{};
platform::Instant Clock() { return now; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TKivComunic r(&Clock);
    for (std::size_t i = 0; i < size; ++i) {
        // 0xFF followed by a byte is a tick after that many hundred milliseconds.
        if (data[i] == 0xFF && i + 1 < size) {
            now += std::chrono::milliseconds(100 * data[++i]);
            r.RiceviByte(-1);
            continue;
        }
        r.RiceviByte(data[i]);
        if (r.Stato > 5) std::abort();
        if (r.UltimoFrame.Comando != 0) {
            TFrameComunic f = r.UltimoFrame;
            TFrameSeriale s;
            if (f.Lunghezza <= MaxDatiSeriale) {
                if (!CodificaFrameSeriale(f, s)) std::abort();
                TKivComunic again(&Clock);
                for (std::size_t k = 0; k < s.Lunghezza; ++k) again.RiceviByte(s.Byte[k]);
                if (again.UltimoFrame.Comando != f.Comando || again.UltimoFrame.Lunghezza != f.Lunghezza ||
                    std::memcmp(again.UltimoFrame.Dati, f.Dati, f.Lunghezza) != 0)
                    std::abort();
            }
            r.UltimoFrame.Comando = 0;
        }
    }
    return 0;
}
