#include "platform/report/ProgettoReport.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/gui/Dialogs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace platform::report {

namespace {

std::string Citato(std::string_view s) {
    std::string c;
    c.reserve(s.size() + 2);
    c += '"';
    c += s;
    c += '"';
    return c;
}

// A bare name is the current folder's file; the shipped files are beside the program, for a
// program started from any folder. Empty when neither place has it.
std::string PercorsoProgetto(const std::string& Nome) {
    if (Nome.find('/') != std::string::npos) return Nome;
    std::error_code ec;
    if (std::filesystem::is_regular_file(Nome, ec)) return Nome;
    const std::string accanto = platform::ProgramFolder() + Nome;
    if (std::filesystem::is_regular_file(accanto, ec)) return accanto;
    return {};
}

// The whole file, or nothing with the reason.
bool LeggiTutto(const std::string& Percorso, std::string& Testo, std::string& Errore) {
    std::FILE* f = std::fopen(Percorso.c_str(), "rb");
    if (!f) {
        Errore = std::strerror(errno);
        return false;
    }
    char blocco[8192];
    bool ok = true;
    while (true) {
        const std::size_t n = std::fread(blocco, 1, sizeof blocco, f);
        Testo.append(blocco, n);
        if (Testo.size() > DimensioneMassimaFileReport) {
            Errore = "the file is too long for a report project";
            ok = false;
            break;
        }
        if (n < sizeof blocco) {
            if (std::ferror(f)) {
                Errore = std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    return ok;
}

} // namespace

TPaginaReport::TPaginaReport(std::string Nome, const TDefPagina& Def) : nome_(std::move(Nome)), def_(&Def) {
    voci_.reserve(Def.Voci.size());
    for (const TDefVoce& v : Def.Voci)
        voci_.push_back(TVoceReport(v));
}

// ---- Project manager ----------------------------------------------------------------------------

TPaginaReport* TGestoreProgetto::FindPage(std::string_view NomeCompleto) {
    if (!progetto_.progetto_) {
        progetto_.Errore("Report " + Citato(progetto_.file_) + ": the project is not open.");
        return nullptr;
    }
    for (TPaginaReport& p : progetto_.progetto_->Pagine)
        if (p.Nome() == NomeCompleto) return &p;
    progetto_.Errore("Report " + Citato(progetto_.file_) + " has no page " + Citato(NomeCompleto) + ".");
    return nullptr;
}

TVoceReport* TGestoreProgetto::FindText(TPaginaReport* Pagina, std::string_view Nome) {
    return Trova(Pagina, Nome, TTipoVoce::Testo);
}

TVoceReport* TGestoreProgetto::FindMemo(TPaginaReport* Pagina, std::string_view Nome) {
    return Trova(Pagina, Nome, TTipoVoce::Memo);
}

TVoceReport* TGestoreProgetto::Trova(TPaginaReport* Pagina, std::string_view Nome, TTipoVoce Tipo) {
    if (!Pagina) return nullptr;
    const std::string dove = "Report " + Citato(progetto_.file_) + ": page " + Citato(Pagina->Nome());
    for (TVoceReport& v : Pagina->voci_) {
        if (v.Nome() != Nome) continue;
        if (v.Tipo() == Tipo) return &v;
        progetto_.Errore(dove + " has " + Citato(Nome) + ", but not as a " +
                         (Tipo == TTipoVoce::Memo ? "memo" : "text") + " item.");
        return nullptr;
    }
    progetto_.Errore(dove + " has no item " + Citato(Nome) + ".");
    return nullptr;
}

// ---- Project ------------------------------------------------------------------------------------

TProgettoReport::TProgettoReport(std::string ProjectFile) : file_(std::move(ProjectFile)) {}

TProgettoReport::~TProgettoReport() = default;

void TProgettoReport::AggiungiConnessione(TConnessioneDati& Connessione) {
    connessioni_.push_back(&Connessione);
}

void TProgettoReport::Errore(const std::string& Testo) {
    if (inErrore_) return;
    inErrore_ = true;
    platform::gui::ShowError(Testo);
}

bool TProgettoReport::Open() {
    Close();
    inErrore_ = false;
    const std::string percorso = PercorsoProgetto(file_);
    if (percorso.empty()) {
        Errore("Report " + Citato(file_) +
               ": the file is neither in the current folder nor beside the program.");
        return false;
    }
    std::string testo, errore;
    if (!LeggiTutto(percorso, testo, errore)) {
        Errore("Report " + Citato(file_) + ": the file cannot be read (" + errore + ").");
        return false;
    }
    std::optional<TFileReport> file = LeggiFileReport(testo, errore);
    if (!file) {
        Errore("Report " + Citato(file_) + " is damaged, " + errore + ".");
        return false;
    }
    auto caricato = std::make_unique<TCaricato>();
    caricato->File = std::move(*file);
    for (const TDefReport& r : caricato->File.Report)
        for (const TDefPagina& p : r.Pagine)
            caricato->Pagine.push_back(TPaginaReport(r.Nome + "." + p.Nome, p));
    progetto_ = std::move(caricato);
    return true;
}

void TProgettoReport::Close() {
    progetto_.reset();
}

TConnessioneDati* TProgettoReport::Connessione(std::string_view Nome) const {
    for (TConnessioneDati* c : connessioni_)
        if (c->Nome == Nome) return c;
    return nullptr;
}

TFoglio TProgettoReport::NuovoFoglio(const TPaginaReport& Pagina) const {
    TFoglio f;
    f.Larghezza = Pagina.def_->Larghezza;
    f.Altezza = Pagina.def_->Altezza;
    for (const TVoceReport& v : Pagina.voci_) {
        if (v.def_->NellaBanda) continue;
        f.Elementi.push_back(
            {v.Nome(), v.Tipo(), v.def_->Posizione, v.def_->Carattere, v.def_->Allineamento, v.Text(), -1});
    }
    // What a page number follows is on every sheet of its page, among the page's own items.
    for (TElementoStampa& e : f.Elementi) {
        const auto def = std::find_if(Pagina.def_->Voci.begin(), Pagina.def_->Voci.end(),
                                      [&](const TDefVoce& d) { return d.Nome == e.Nome; });
        if (def == Pagina.def_->Voci.end() || def->Dopo.empty()) continue;
        const auto rif = std::find_if(f.Elementi.begin(), f.Elementi.end(),
                                      [&](const TElementoStampa& q) { return q.Nome == def->Dopo; });
        if (rif != f.Elementi.end()) e.Dopo = int(rif - f.Elementi.begin());
    }
    return f;
}

bool TProgettoReport::Impagina(const TDefReport& Report, TDocumentoReport& Documento) {
    for (const TDefPagina& def : Report.Pagine) {
        const auto pagina = std::find_if(progetto_->Pagine.begin(), progetto_->Pagine.end(),
                                         [&](const TPaginaReport& p) { return p.def_ == &def; });
        if (!def.Banda) {
            Documento.Fogli.push_back(NuovoFoglio(*pagina));
            continue;
        }
        const TDefBanda& banda = *def.Banda;
        TConnessioneDati* c = Connessione(banda.Connessione);
        if (!c) {
            Errore("Report " + Citato(file_) + ": the band of page " + Citato(pagina->Nome()) +
                   " reads the data connection " + Citato(banda.Connessione) +
                   ", which the program does not have.");
            return false;
        }
        const int capienza = banda.RighePerFoglio();
        TFoglio foglio = NuovoFoglio(*pagina);
        int righe = 0;
        if (c->OnFirst) c->OnFirst();
        if (inErrore_) return false;
        for (int n = 0;; ++n) {
            if (n >= RigheMassime) {
                Errore("Report " + Citato(file_) + ": the data connection " + Citato(c->Nome) +
                       " gives more than " + std::to_string(RigheMassime) + " rows.");
                return false;
            }
            bool fine = true;
            if (c->OnEOF) {
                fine = false;
                c->OnEOF(fine);
            }
            if (inErrore_) return false;
            if (fine) break;
            bool valida = true;
            if (c->OnValidateRow) c->OnValidateRow(valida);
            if (inErrore_) return false;
            if (!valida) continue;
            if (righe == capienza) {
                Documento.Fogli.push_back(std::move(foglio));
                foglio = NuovoFoglio(*pagina);
                righe = 0;
            }
            const double alto = banda.Alto + righe * banda.AltezzaRiga;
            for (const TVoceReport& v : pagina->voci_) {
                if (!v.def_->NellaBanda) continue;
                TElementoStampa e{
                    v.Nome(), v.Tipo(), v.def_->Posizione, v.def_->Carattere, v.def_->Allineamento,
                    v.Text(), -1};
                e.Posizione.Y += alto;
                foglio.Elementi.push_back(std::move(e));
            }
            ++righe;
        }
        Documento.Fogli.push_back(std::move(foglio));
    }
    for (std::size_t i = 0; i < Documento.Fogli.size(); ++i)
        for (TElementoStampa& e : Documento.Fogli[i].Elementi)
            if (e.Tipo == TTipoVoce::NumeroPagina) e.Testo = std::to_string(i + 1);
    return true;
}

bool TProgettoReport::ExecuteReport(std::string_view Nome, IUscitaReport& Uscita, std::string_view Titolo) {
    if (inErrore_) return false;
    if (!progetto_) {
        Errore("Report " + Citato(file_) + ": the project is not open.");
        return false;
    }
    if (inEsecuzione_) {
        Errore("Report " + Citato(file_) + " is already being printed.");
        return false;
    }
    const auto report = std::find_if(progetto_->File.Report.begin(), progetto_->File.Report.end(),
                                     [&](const TDefReport& r) { return r.Nome == Nome; });
    if (report == progetto_->File.Report.end()) {
        Errore("Report " + Citato(file_) + " has no report " + Citato(Nome) + ".");
        return false;
    }
    TDocumentoReport documento;
    documento.Titolo = std::string(Titolo.empty() ? Nome : Titolo);
    {
        struct TInEsecuzione {
            bool& b;
            explicit TInEsecuzione(bool& b) : b(b) { b = true; }
            ~TInEsecuzione() { b = false; }
        } inEsecuzione(inEsecuzione_);
        if (!Impagina(*report, documento)) return false;
    }
    std::string errore;
    if (!Uscita.Stampa(documento, errore)) {
        Errore("Report " + Citato(file_) + " could not be printed: " + errore + ".");
        return false;
    }
    return true;
}

} // namespace platform::report
