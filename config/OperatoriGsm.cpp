#include "config/OperatoriGsm.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/fs/ReadFile.h"

#include <exception>

TStringa<5> OperatoriGsm[MaxOperatoriGsm]{};

FineCampoCsv LeggiCampoCsv(std::string_view& Resto, std::string& Campo) {
    const std::size_t fine = Resto.find_first_of(";\r\n");
    Campo.assign(Resto.substr(0, fine));
    if (fine == std::string_view::npos) {
        Resto = {};
        return FineCampoCsv::FineFile;
    }
    const char c = Resto[fine];
    Resto.remove_prefix(fine + 1);
    return c == ';' ? FineCampoCsv::PuntoEVirgola : c == '\r' ? FineCampoCsv::Cr : FineCampoCsv::Lf;
}

namespace {

void SaltaFinoAFineRiga(std::string_view& Resto) {
    const std::size_t fine = Resto.find('\n');
    Resto.remove_prefix(fine == std::string_view::npos ? Resto.size() : fine + 1);
}

} // namespace

int CaricaOperatoriGsm(std::string_view Testo, IListaElementi& Elementi) {
    Elementi.Clear();
    int conta = 0;
    std::string nome, paese, codice;
    std::string_view resto = Testo;
    while (!resto.empty()) {
        // One line that cannot be handled costs that line only: the loader runs at the start of
        // every refresh of the controls, which must not stop half way.
        try {
            // A field that ends the line ends the line's fields too: the next field is never taken
            // from the following line (with LF line ends a short line would otherwise swallow it).
            FineCampoCsv fine = LeggiCampoCsv(resto, nome);
            bool completa = false;
            if (!nome.empty() && fine == FineCampoCsv::PuntoEVirgola) {
                fine = LeggiCampoCsv(resto, paese);
                if (!paese.empty() && fine == FineCampoCsv::PuntoEVirgola) {
                    fine = LeggiCampoCsv(resto, codice);
                    completa = true;
                }
            }
            if (completa && codice.size() == LunghezzaCodiceOperatore && conta < MaxOperatoriGsm) {
                Elementi.Add(nome + " - " + paese);
                OperatoriGsm[conta].Scrivi(codice);
                ++conta;
            }
            if (fine != FineCampoCsv::Lf && fine != FineCampoCsv::FineFile) SaltaFinoAFineRiga(resto);
        } catch (const std::exception&) {
            platform::Diagnostica("OperatoriGsm", "line skipped: " + platform::MotivoEccezione());
        }
    }
    // Entries past the loaded ones would otherwise keep codes of an earlier, longer file and could
    // win the lookup of a code over the item that now holds it.
    for (int i = conta; i < MaxOperatoriGsm; ++i)
        OperatoriGsm[i] = {};
    return conta;
}

int CaricaOperatoriGsm(IListaElementi& Elementi) {
    std::string testo;
    if (platform::ReadDataFile("OperatoriGsm", platform::ProgramFolder() + NomeFileOperatoriGsm,
                               "the operator list stays empty", testo) != platform::ReadOutcome::Read) {
        Elementi.Clear();
        return 0;
    }
    return CaricaOperatoriGsm(testo, Elementi);
}

int IndiceOperatore(std::string_view Codice) {
    for (int i = MaxOperatoriGsm - 1; i >= 0; --i)
        if (OperatoriGsm[i].Vista() == Codice) return i;
    return -1;
}

std::string CodiceOperatore(int Indice) {
    if (Indice < 0 || Indice >= MaxOperatoriGsm) return CodiceOperatoreNessuno;
    return OperatoriGsm[Indice].Leggi();
}
