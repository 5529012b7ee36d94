#pragma once
// Configuration images for the end-to-end tests: random images held the way a panel holds them,
// and the payloads that tell whether two images agree in every field that travels.
#include "config/DataOra.h"
#include "config/GlobalsVar.h"
#include "link/LinkDoppio.h"
#include "link/def_ver11.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace e2e {

// The payloads of every block that travels, as the program would send them from `c`, in the order
// a receive reads them: general block, telephone numbers, 11 zone blocks, 2 keypad blocks,
// Contact-ID and GPRS block, Contact-ID tables. Two images that give the same payloads hold the
// same value in every field that travels.
inline std::vector<std::vector<std::uint8_t>> Carichi(const TConfigCentrale& c) {
    const TConfigCentrale salvata = ConfigCentrale;
    ConfigCentrale = c;
    testing_support::LinkDoppio k; // unscripted: it records each request and answers none
    std::vector<std::vector<std::uint8_t>> v;
    auto prendi = [&](std::uint8_t) { v.push_back(testing_support::DatiDi(k.Richieste.back())); };
    prendi(ScriviDatiGenerali(k));
    prendi(ScriviNumTel(k));
    for (std::uint8_t b = 0; b < 11; ++b)
        prendi(ScriviBloccoZone(k, b));
    for (std::uint8_t b = 0; b < 2; ++b)
        prendi(ScriviBloccoInseritori(k, b));
    prendi(ScriviDatiGprsCid(k));
    prendi(ScriviTabelleCid(k));
    ConfigCentrale = salvata;
    return v;
}

// An image whose travelling fields hold values drawn from the seed, held the way a panel holds
// them (flags 0 or 1, texts ended at their first zero). With DaInserire, one byte in four is 02h,
// 03h or 10h, which the serial line carries behind a 10h.
inline TConfigCentrale ImmagineCasuale(std::uint32_t seme, bool DaInserire = false) {
    TConfigCentrale c{};
    ConfigDefault(c);
    std::mt19937 g(seme);
    auto risposta = [&](std::uint8_t comando, int blocco) {
        TFrameComunic f;
        f.Comando = comando;
        f.Lunghezza = std::uint16_t(LunghezzaRispostaComando(comando));
        static constexpr std::uint8_t Controllo[] = {0x02, 0x03, 0x10};
        for (int i = 0; i < f.Lunghezza; ++i)
            f.Dati[i] = DaInserire && g() % 4 == 0 ? Controllo[g() % 3]
                                                   : std::uint8_t(g() % 5 == 0 ? 0 : 0x20 + g() % 0xDF);
        if (blocco >= 0) f.Dati[0] = std::uint8_t(blocco);
        DecodificaRisposta(f, c, nullptr);
    };
    risposta(CmdLeggiDatiGenerali, -1);
    risposta(CmdLeggiNumTel, -1);
    for (int b = 0; b < 11; ++b)
        risposta(CmdLeggiBloccoZone, b);
    for (int b = 0; b < 2; ++b)
        risposta(CmdLeggiBloccoInseritori, b);
    risposta(CmdLeggiDatiGprsCid, -1);
    risposta(CmdLeggiTabelleCid, -1);
    EXPECT_TRUE(CodificaDataOra(2020, 1, 2, 3, 4, 0, c.DataOraOrologio));
    // With GPRS off the copy into the window that ends every operation turns the GPRS servers
    // off in the image: keep it on so that the servers' flags stay as drawn.
    c.InvioGprs = 1;
    c.IdCentrale = IdVm415;
    c.VersioneCentrale = VersioneFormato11;
    return c;
}

inline std::vector<std::uint8_t> Byte(const TConfigCentrale& c) {
    std::vector<std::uint8_t> v(sizeof c);
    std::memcpy(v.data(), &c, sizeof c);
    return v;
}

inline std::optional<TConfigCentrale> LeggiImmagine(const std::string& percorso) {
    std::ifstream f(percorso, std::ios::binary);
    TConfigCentrale c{};
    if (!f.read(reinterpret_cast<char*>(&c), sizeof c)) return std::nullopt;
    return c;
}

} // namespace e2e
