#pragma once
// Shared by the fuzz targets of the older configuration formats.
#include "config/GlobalsVar.h"
#include "config/ImportaFileVecchi.h"
#include "fuzz/Ripeti.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace fuzz_vecchi {

inline void Verifica(bool condizione) {
    if (!condizione) std::abort();
}

// The first byte chooses between the bytes as they are and the bytes laid over a file of the
// format's size with its header, so that most inputs reach the conversion itself.
inline std::vector<std::uint8_t> Costruisci(const std::uint8_t* data, std::size_t size,
                                            std::size_t dimensione, std::uint8_t id, std::uint8_t versione) {
    std::vector<std::uint8_t> file(data + 1, data + size);
    if (data[0] & 1) {
        fuzz_comune::Ripeti(file, size - 1, dimensione);
        if (data[0] & 2) {
            file[4] = id;
            file[5] = versione;
        }
    }
    return file;
}

// Whatever the old file held, a converted image is a current one with no text longer than its field.
inline void VerificaConvertita(const TConfigCentrale& c) {
    Verifica(c.IdCentrale == IdVm415 && c.VersioneCentrale == VersioneFormato11);
    Verifica(c.CommentiPc.Lunghezza <= 250 && c.APN.Lunghezza <= 32 && c.CodiceCentraleSms.Lunghezza <= 4);
    for (const auto& z : c.Zone)
        Verifica(z.Descrizione.Lunghezza <= 14);
    for (const auto& k : c.Inseritori)
        Verifica(k.Descrizione.Lunghezza <= 14 && k.TxAbilInvioSegnalazioni == 0);
    for (int i = 0; i < NumEventiCid; ++i)
        Verifica(c.TabellaEventiCid1[i].Lunghezza <= 3 && c.TabellaEventiCid2[i].Lunghezza <= 3);
    for (int i = 15; i < NumEventiCid; ++i)
        Verifica(c.TabellaEventiCid1[i].Leggi() == "000");
    Verifica(c.TempoSuoneriaEsterniSec == 30);
}

inline int Esegui(const std::uint8_t* data, std::size_t size, std::size_t dimensione, std::uint8_t id,
                  std::uint8_t versione, FormatoVecchio formato) {
    if (size == 0) return 0;
    const auto file = Costruisci(data, size, dimensione, id, versione);
    const FormatoVecchio trovato = RiconosciFormatoVecchio(file);
    const bool atteso = file.size() == dimensione && file[4] == id && file[5] == versione;
    Verifica((trovato == formato) == atteso);
    TConfigCentrale c;
    std::memset(&c, 0xA5, sizeof c);
    const bool convertito = ConvertiFileVecchio(file, c);
    Verifica(convertito == (trovato != FormatoVecchio::Nessuno));
    if (convertito)
        VerificaConvertita(c);
    else
        Verifica(c.IdCentrale == 0xA5);
    return 0;
}

} // namespace fuzz_vecchi
