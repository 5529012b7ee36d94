// The UDP link's datagram handler: any datagram, from the connected panel or not, hellos included,
// must leave the link consistent. The first input byte chooses the sender; the rest is split into datagrams
// at 0xFF.
#include "link/ServerUdpLink.h"
#include "platform/gui/Dialogs.h"

#include <cstddef>
#include <cstdint>

namespace {

const platform::net::UdpPeer panel{"127.0.0.1", 4001}, altro{"127.0.0.1", 4002};

// The user accepts the panel's hello, once: from then on its frames reach the receiver.
class Accetta final : public platform::gui::DialogService {
  public:
    platform::gui::MsgResult Message(platform::gui::MsgKind, const std::string&,
                                     platform::gui::MsgButtons) override {
        return platform::gui::MsgResult::Yes;
    }
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions&) override { return {}; }
};

TServerUdpLink& Link() {
    static TServerUdpLink link; // never started: nothing is sent anywhere
    static const bool connesso = [] {
        Accetta si;
        platform::gui::SetDialogs(&si);
        const std::uint8_t hello[] = {'*', 'P', '#'};
        link.UDPServerUDPRead(hello, sizeof hello, panel);
        link.Timer1Timer();
        platform::gui::SetDialogs(nullptr);
        return link.Connesso();
    }();
    (void)connesso;
    return link;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TServerUdpLink& link = Link();
    if (size == 0) return 0;
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
