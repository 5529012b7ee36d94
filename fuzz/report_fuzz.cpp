// Random report project files: the reader either refuses with a reason or gives a project whose
// every item lies on its paper (inside its row, in a band), whose names are unique on their page
// and whose page numbers follow a text of their own page.
#include "platform/report/FileReport.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {

void Verifica(bool condizione) {
    if (!condizione) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace platform::report;
    std::string errore;
    const auto file = LeggiFileReport(std::string_view(reinterpret_cast<const char*>(data), size), errore);
    Verifica(file.has_value() == errore.empty());
    if (!file) return 0;
    Verifica(!file->Report.empty());
    for (const TDefReport& r : file->Report) {
        for (const TDefPagina& p : r.Pagine) {
            std::set<std::string> nomi;
            if (p.Banda) Verifica(p.Banda->RighePerFoglio() >= 1 && p.Banda->Basso <= p.Altezza);
            for (const TDefVoce& v : p.Voci) {
                Verifica(nomi.insert(v.Nome).second);
                Verifica(v.Posizione.L > 0 && v.Posizione.A > 0);
                Verifica(v.Posizione.X + v.Posizione.L <= p.Larghezza + 1e-6);
                const double alto = v.NellaBanda ? p.Banda->AltezzaRiga : p.Altezza;
                Verifica(v.Posizione.Y + v.Posizione.A <= alto + 1e-6);
                Verifica(v.Carattere.Punti >= 4 && v.Carattere.Punti <= 96);
            }
            for (const TDefVoce& v : p.Voci)
                if (!v.Dopo.empty()) Verifica(nomi.count(v.Dopo) == 1);
        }
    }
    return 0;
}
