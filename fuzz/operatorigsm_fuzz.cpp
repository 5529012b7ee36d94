// Random operator tables: the table and the combo's items stay aligned, at most 500 of them,
// every code loaded has 5 characters and the lookups stay inside the table.
#include "config/OperatoriGsm.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

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
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Lista lista;
    const int n = CaricaOperatoriGsm(in, lista);
    Verifica(n == lista.Voci && n >= 0 && n <= MaxOperatoriGsm);
    for (int i = 0; i < n; ++i) {
        const std::string codice = CodiceOperatore(i);
        Verifica(codice.size() == LunghezzaCodiceOperatore);
        const int indice = IndiceOperatore(codice);
        Verifica(indice >= i && indice < n);
        Verifica(codice.find_first_of(";\r\n") == std::string::npos);
    }
    for (int i = n; i < MaxOperatoriGsm; ++i)
        Verifica(CodiceOperatore(i).empty());
    Verifica(CodiceOperatore(-1) == "00000" && CodiceOperatore(MaxOperatoriGsm) == "00000");
    return 0;
}
