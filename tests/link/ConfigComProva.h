#pragma once
// The link settings a test writes beside the program, and the link settings window without the
// waits it keeps for real ports.
#include "link/KivCanale.h"
#include "link/KivFormModCom.h"
#include "link/KivModCom.h"
#include "support/TempFolder.h"

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

// The link component as the options window makes it, on the cable to COM`Porta` (its settings
// written into `Impostazioni`), with the cable's ten attempts of `TimeoutDec` tenths of a second:
// a reply on a pseudo-terminal takes milliseconds. True when the port is open.
inline bool SulCavo(TKivModCom& Com, TempFolder& Impostazioni, std::uint8_t Porta, int TimeoutDec) {
    Impostazioni.Write("comconfig.cfg", FileConfigCom(ConfigCom(ConnessioneCavo, Porta)));
    Com.OpzioniFinestra = OpzioniSenzaAttese();
    Com.Loaded();
    Com.NumTentativi = 10;
    Com.TimeoutComandDec = TimeoutDec;
    return Com.FormModCom()->ComPort.Active();
}

} // namespace testing_support
