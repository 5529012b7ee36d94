#pragma once
// The report project component: a project file opened by its bare name, its pages found as
// "<Report>.<Page>", named text and memo items given their texts, data connections that feed the
// detail band row by row, and a report executed into a document that an output prints (the Qt
// preview, or a PDF file).
//
// Whatever goes wrong (a file missing or damaged, a page or item the program asks for and the
// file lacks, a band whose connection the program did not give) is told once, in one error
// message naming the file and what is missing; from then on the project prints nothing until it
// is opened again. A document reaches the output only whole, so a fault never prints half a
// report.
#include "platform/report/FileReport.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::report {

// ---- What an execution produces: sheets of placed texts, ready to draw.
struct TElementoStampa {
    std::string Nome;
    TTipoVoce Tipo = TTipoVoce::Testo;
    TRettangolo Posizione; // mm on the sheet
    TCarattere Carattere;
    TAllineamento Allineamento = TAllineamento::Sinistra;
    std::string Testo; // Windows-1252
    int Dopo = -1;     // index, on the same sheet, of the element this one follows
};

struct TFoglio {
    double Larghezza = 210, Altezza = 297;
    std::vector<TElementoStampa> Elementi;
};

struct TDocumentoReport {
    std::string Titolo;
    std::vector<TFoglio> Fogli;
};

// Where an executed report goes. False, with the reason, when it could not be printed.
class IUscitaReport {
  public:
    virtual ~IUscitaReport() = default;
    virtual bool Stampa(const TDocumentoReport& Documento, std::string& Errore) = 0;
};

// ---- Data connection: First once when its band starts, then for each row EOF and, unless EOF
// answered the end, ValidateRow; a row answered not valid prints nothing. A connection with no
// EOF handler gives no rows.
class TConnessioneDati {
  public:
    explicit TConnessioneDati(std::string Nome) : Nome(std::move(Nome)) {}
    std::string Nome;
    std::function<void()> OnFirst;
    std::function<void(bool& Eof)> OnEOF;
    std::function<void(bool& RigaValida)> OnValidateRow;
};

// ---- Items and pages of an open project.
class TVoceReport {
  public:
    const std::string& Nome() const { return def_->Nome; }
    TTipoVoce Tipo() const { return def_->Tipo; }
    const std::string& Text() const { return testo_; }
    void SetText(std::string_view Testo) { testo_.assign(Testo); }

  private:
    friend class TProgettoReport;
    friend class TPaginaReport;
    explicit TVoceReport(const TDefVoce& Def) : def_(&Def), testo_(Def.Valore) {}
    const TDefVoce* def_;
    std::string testo_;
};

class TPaginaReport {
  public:
    // "<Report>.<Page>".
    const std::string& Nome() const { return nome_; }
    const TDefPagina& Definizione() const { return *def_; }

  private:
    friend class TProgettoReport;
    friend class TGestoreProgetto;
    TPaginaReport(std::string Nome, const TDefPagina& Def);
    std::string nome_;
    const TDefPagina* def_;
    std::vector<TVoceReport> voci_;
};

class TProgettoReport;

// The project manager: finds pages and items of the open project. A lookup that fails answers
// null and spoils the project (see above); a lookup on a null page answers null silently, its
// fault already told.
class TGestoreProgetto {
  public:
    TPaginaReport* FindPage(std::string_view NomeCompleto);
    TVoceReport* FindText(TPaginaReport* Pagina, std::string_view Nome);
    TVoceReport* FindMemo(TPaginaReport* Pagina, std::string_view Nome);

  private:
    friend class TProgettoReport;
    explicit TGestoreProgetto(TProgettoReport& Progetto) : progetto_(Progetto) {}
    TVoceReport* Trova(TPaginaReport* Pagina, std::string_view Nome, TTipoVoce Tipo);
    TProgettoReport& progetto_;
};

class TProgettoReport {
  public:
    // The project file's name: a bare name is looked for in the current folder, then beside the
    // program (where the build puts the shipped ones).
    explicit TProgettoReport(std::string ProjectFile);
    ~TProgettoReport();
    TProgettoReport(const TProgettoReport&) = delete;
    TProgettoReport& operator=(const TProgettoReport&) = delete;

    const std::string& ProjectFile() const { return file_; }
    // The connection stays the caller's; bands name it by its Nome.
    void AggiungiConnessione(TConnessioneDati& Connessione);

    // False when the file could not be read (already told).
    bool Open();
    bool Aperto() const { return progetto_ != nullptr; }
    void Close();
    TGestoreProgetto& ProjMan() { return gestore_; }

    // Lays the report out, feeding its bands from their connections, and hands the whole
    // document to the output. False when nothing was printed (the reason already told). The
    // document's title (the print preview's, the PDF's) is `Titolo`, the user's name for the
    // printout; the report's own name when none is given.
    bool ExecuteReport(std::string_view Nome, IUscitaReport& Uscita, std::string_view Titolo = {});

    // A fault has been told since the project was last opened.
    bool InErrore() const { return inErrore_; }

    // A connection that never answers the end stops here, told as a fault.
    static constexpr int RigheMassime = 100000;

  private:
    friend class TGestoreProgetto;
    // Tells the first fault and spoils the project; later ones are consequences and stay silent.
    void Errore(const std::string& Testo);
    bool Impagina(const TDefReport& Report, TDocumentoReport& Documento);
    TFoglio NuovoFoglio(const TPaginaReport& Pagina) const;
    TConnessioneDati* Connessione(std::string_view Nome) const;

    std::string file_;
    std::vector<TConnessioneDati*> connessioni_;
    struct TCaricato {
        TFileReport File;
        std::vector<TPaginaReport> Pagine;
    };
    std::unique_ptr<TCaricato> progetto_;
    TGestoreProgetto gestore_{*this};
    bool inErrore_ = false;
    bool inEsecuzione_ = false;
};

} // namespace platform::report
