#pragma once
// The link settings a test writes beside the program, and the link settings window without the
// waits it keeps for real ports.
#include "link/KivCanale.h"
#include "link/KivFormModCom.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace testing_support {

// A connection type (ConnessioneCavo or ConnessioneModem), its ports, and the strings of a plain
// Hayes modem, which the simulated modem answers.
inline TConfigCom ConfigCom(std::uint8_t Tipo, std::uint8_t ComCavo = 0, std::uint8_t ComModem = 0) {
    TConfigCom c;
    c.TipoConnessione = Tipo;
    c.ComCavo = ComCavo;
    c.ComModem = ComModem;
    c.StrInit1.Imposta("ATE0V0");
    c.StrInit2.Imposta("AT&D2X0");
    c.StrInit3.Imposta("ATH");
    c.StrDial.Imposta("ATD");
    return c;
}

// "comconfig.cfg" as the program writes it.
inline std::vector<std::uint8_t> FileConfigCom(const TConfigCom& c) {
    std::vector<std::uint8_t> v(sizeof c);
    std::memcpy(v.data(), &c, sizeof c);
    return v;
}

// No pause before listing, opening or closing a port: the tests' ports are pseudo-terminals. Device
// arrival is not followed, since it would reach the machine's own ports.
inline TKivModComFrm::TOpzioni OpzioniSenzaAttese(TKivModComFrm::TOpzioni o = {}) {
    o.AttesaListaCom = std::chrono::milliseconds(0);
    o.AttesaApertura = std::chrono::milliseconds(0);
    o.AttesaChiusura = std::chrono::milliseconds(0);
    o.AscoltaDispositivi = false;
    return o;
}

} // namespace testing_support
