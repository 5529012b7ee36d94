// Random operator tables: the table and the combo's items stay aligned, at most 500 of them,
// every code loaded has 5 characters and the lookups stay inside the table.
#include "config/OperatoriGsm.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Verifica(bool condizione) {
    if (!condizione) std::abort();
}

struct Lista : IListaElementi {
    int Voci = 0;
    void Clear() override { Voci = 0; }
    void Add(const std::string& e) override {
        Verifica(e.find(" - ") != std::string::npos);
        ++Voci;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Lista lista;
    const int n = CaricaOperatoriGsm(std::string_view(reinterpret_cast<const char*>(data), size), lista);
    Verifica(n == lista.Voci && n >= 0 && n <= MaxOperatoriGsm);
    for (int i = 0; i < n; ++i) {
        const std::string_view codice(OperatoriGsm[i].Testo, OperatoriGsm[i].Lunghezza);
        Verifica(codice.size() == LunghezzaCodiceOperatore);
        Verifica(codice.find_first_of(";\r\n") == std::string_view::npos);
    }
    // A lookup scans the whole table, so one is enough: the last entry loaded is the highest
    // holding its code.
    if (n > 0) Verifica(IndiceOperatore(CodiceOperatore(n - 1)) == n - 1);
    for (int i = n; i < MaxOperatoriGsm; ++i)
        Verifica(OperatoriGsm[i].Lunghezza == 0);
    Verifica(CodiceOperatore(-1) == "00000" && CodiceOperatore(MaxOperatoriGsm) == "00000");
    return 0;
}
