#include "config/OperatoriGsm.h"

#include "platform/fs/ProgramFolder.h"

#include <exception>
#include <fstream>

TStringa<5> OperatoriGsm[MaxOperatoriGsm]{};

FineCampoCsv LeggiCampoCsv(std::istream& File, std::string& Campo) {
    Campo.clear();
    for (;;) {
        const auto c = File.get();
        if (c == std::char_traits<char>::eof()) return FineCampoCsv::FineFile;
        if (c == ';') return FineCampoCsv::PuntoEVirgola;
        if (c == '\r') return FineCampoCsv::Cr;
        if (c == '\n') return FineCampoCsv::Lf;
        Campo.push_back(char(c));
    }
}

namespace {

void SaltaFinoAFineRiga(std::istream& File) {
    for (;;) {
        const auto c = File.get();
        if (c == std::char_traits<char>::eof() || c == '\n') return;
    }
}

} // namespace

int CaricaOperatoriGsm(std::istream& File, IListaElementi& Elementi) {
    Elementi.Clear();
    int conta = 0;
    std::string nome, paese, codice;
    while (File.peek() != std::char_traits<char>::eof()) {
        // One line that cannot be handled costs that line only: the loader runs at the start of
        // every refresh of the controls, which must not stop half way.
        try {
            // A field that ends the line ends the line's fields too: the next field is never taken
            // from the following line (with LF line ends a short line would otherwise swallow it).
            FineCampoCsv fine = LeggiCampoCsv(File, nome);
            bool completa = false;
            if (!nome.empty() && fine == FineCampoCsv::PuntoEVirgola) {
                fine = LeggiCampoCsv(File, paese);
                if (!paese.empty() && fine == FineCampoCsv::PuntoEVirgola) {
                    fine = LeggiCampoCsv(File, codice);
                    completa = true;
                }
            }
            if (completa && codice.size() == LunghezzaCodiceOperatore && conta < MaxOperatoriGsm) {
                Elementi.Add(nome + " - " + paese);
                OperatoriGsm[conta].Scrivi(codice);
                ++conta;
            }
            if (fine != FineCampoCsv::Lf && fine != FineCampoCsv::FineFile) SaltaFinoAFineRiga(File);
        } catch (const std::exception&) {
        }
    }
    // Entries past the loaded ones would otherwise keep codes of an earlier, longer file and could
    // win the lookup of a code over the item that now holds it.
    for (int i = conta; i < MaxOperatoriGsm; ++i)
        OperatoriGsm[i] = {};
    return conta;
}

int CaricaOperatoriGsm(IListaElementi& Elementi) {
    std::ifstream file(platform::ProgramFolder() + NomeFileOperatoriGsm, std::ios::binary);
    if (!file) {
        Elementi.Clear();
        return 0;
    }
    return CaricaOperatoriGsm(file, Elementi);
}

int IndiceOperatore(std::string_view Codice) {
    for (int i = MaxOperatoriGsm - 1; i >= 0; --i)
        if (OperatoriGsm[i].Leggi() == Codice) return i;
    return -1;
}

std::string CodiceOperatore(int Indice) {
    if (Indice < 0 || Indice >= MaxOperatoriGsm) return CodiceOperatoreNessuno;
    return OperatoriGsm[Indice].Leggi();
}
