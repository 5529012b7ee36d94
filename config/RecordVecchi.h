#pragma once
// Sub-records shared by the older configuration formats (1.0 of the Vm415, 4.3 of the Vm409), and
// the copies from them into the current image.
#include "config/GlobalsVar.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

struct TConfigZonaVecchia {
    std::uint8_t Attiva;
    std::uint8_t Ritardata;
    std::uint8_t AlertZona;
    std::uint8_t SingoloContatto;
    std::uint8_t TipoSensore;
    std::uint8_t TecnologicoZona;
    std::uint8_t ChimeVocale;
    TStringa<14> Descrizione;
    TCodiceRadio CodiceRadio;
};
static_assert(sizeof(TConfigZonaVecchia) == 25 && alignof(TConfigZonaVecchia) == 1);
static_assert(offsetof(TConfigZonaVecchia, TipoSensore) == 4 &&
              offsetof(TConfigZonaVecchia, ChimeVocale) == 6 &&
              offsetof(TConfigZonaVecchia, Descrizione) == 7 &&
              offsetof(TConfigZonaVecchia, CodiceRadio) == 22);

struct TConfigInseritoreVecchio {
    TStringa<14> Descrizione;
    TCodiceRadio CodiceRadio;
};
static_assert(sizeof(TConfigInseritoreVecchio) == 18 && alignof(TConfigInseritoreVecchio) == 1);
static_assert(offsetof(TConfigInseritoreVecchio, CodiceRadio) == 15);

// A text copied into a field of another length: the length byte is carried over, cut to what the
// source can hold and to what the target can hold; bytes beyond the length are not copied.
template <std::size_t N, std::size_t M> void CopiaTesto(TStringa<N>& Nuovo, const TStringa<M>& Vecchio) {
    Nuovo.Scrivi(Vecchio.Leggi());
}

// Both older formats open with the same header and installation data as the current image: a
// conversion starts from a cleared, defaulted image and takes these over unchanged.
template <class Vecchia> void IniziaConversione(TConfigCentrale& C, const Vecchia& V) {
    std::memset(&C, 0, sizeof C);
    ConfigDefault(C);
    C.CodiceCentrale = V.CodiceCentrale;
    CopiaTesto(C.DataInstallazionePc, V.DataInstallazionePc);
    CopiaTesto(C.DataUltimaModificaPc, V.DataUltimaModificaPc);
    CopiaTesto(C.CommentiPc, V.CommentiPc);
    C.DataOraOrologio = V.DataOraOrologio;
    CopiaTesto(C.NumTelefonoCentrale, V.NumTelefonoCentrale);
}

// The vigilance numbers, the APN, both servers and the two Contact-ID tables stand alike in both
// older formats. Their tables have 15 entries; the current image's entries 15..18 keep 000.
template <class Vecchia> void CopiaVigilanzaServerECid(TConfigCentrale& C, const Vecchia& V) {
    CopiaTesto(C.TelVigilanza1, V.TelVigilanza1);
    CopiaTesto(C.TelVigilanza2, V.TelVigilanza2);
    CopiaTesto(C.APN, V.APN);
    CopiaTesto(C.IndirizzoIPServer1, V.IndirizzoIPServer1);
    C.PortaServer1 = V.PortaServer1;
    CopiaTesto(C.IndirizzoIPServer2, V.IndirizzoIPServer2);
    C.PortaServer2 = V.PortaServer2;
    constexpr std::size_t n = std::extent_v<decltype(V.TabellaEventiCid1)>;
    static_assert(n == std::extent_v<decltype(V.TabellaEventiCid2)> &&
                  n <= std::extent_v<decltype(C.TabellaEventiCid1)>);
    for (std::size_t i = 0; i < n; ++i) {
        CopiaTesto(C.TabellaEventiCid1[i], V.TabellaEventiCid1[i]);
        CopiaTesto(C.TabellaEventiCid2[i], V.TabellaEventiCid2[i]);
    }
}

// Zone bytes 0..6, description and radio code; bytes 7..10 := 0.
void CopiaZonaVecchia(TConfigZona& Nuova, const TConfigZonaVecchia& Vecchia);
// Peripheral slots: bytes 0..3, description and radio code; bytes 5..10 := 0; byte 4 is the caller's.
void CopiaPerifericaVecchia(TConfigZona& Nuova, const TConfigZonaVecchia& Vecchia);
// Description and radio code; TxAbilInvioSegnalazioni := 0.
void CopiaInseritoreVecchio(TConfigInseritore& Nuovo, const TConfigInseritoreVecchio& Vecchio);
