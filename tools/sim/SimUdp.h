#pragma once
// The simulated panel as a GPRS panel: it opens the remote connection with a hello datagram and
// answers request frames sent as hexadecimal text, from the program's address only.
#include "tools/sim/SimPanel.h"

#include <string>

namespace vm415sim {

struct UdpOptions {
    std::string Host = "127.0.0.1"; // the program; loopback only
    int Port = 0;
    std::string Ident = "VM415SIM";
};

// "HOST:PORT" with HOST a loopback IPv4 literal; false with a reason otherwise.
bool ParseUdpTarget(const std::string& text, UdpOptions& o, std::string& error);

// Runs until command 22 has been answered (true) or stopFd becomes readable (true), or the
// socket fails (false, with a reason). Prints "vm415-sim: listening on 127.0.0.1:PORT" once bound.
bool RunUdpPanel(SimPanel& panel, const UdpOptions& o, int stopFd, std::string& error);

} // namespace vm415sim
