// The UDP link's datagram handler: any datagram, from the connected panel or not, must leave the
// link consistent. The first input byte chooses the sender; the rest is split into datagrams at 0xFF.
#include "link/ServerUdpLink.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TServerUdpLink link; // never started: nothing is sent anywhere
    if (size == 0) return 0;
    const platform::net::UdpPeer panel{"127.0.0.1", 4001}, altro{"127.0.0.1", 4002};
    const std::uint8_t hello[] = {'*', 'P', '#'};
    link.UDPServerUDPRead(hello, sizeof hello, panel);
    const platform::net::UdpPeer& da = (data[0] & 1) ? altro : panel;
    std::size_t inizio = 1;
    for (std::size_t i = 1; i <= size; ++i) {
        if (i == size || data[i] == 0xFF) {
            link.UDPServerUDPRead(data + inizio, i - inizio, da);
            inizio = i + 1;
        }
    }
    TFrameComunic r;
    link.CopiaRisposta(r);
    return 0;
}
