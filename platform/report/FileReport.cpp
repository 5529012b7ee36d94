#include "platform/report/FileReport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace platform::report {

int TDefBanda::RighePerFoglio() const {
    const int n = int(std::floor((Basso - Alto) / AltezzaRiga + 1e-9));
    return std::max(n, 1);
}

namespace {

constexpr std::size_t LunghezzaMassimaNome = 64;
constexpr double CartaMinima = 50, CartaMassima = 1200;
constexpr double PuntiMinimi = 4, PuntiMassimi = 96;

struct TParola {
    std::string Chiave;
    std::string Valore;
    bool ConValore = false;
};

// Thrown inside the reader only, and turned into the error text with its line.
struct TErroreRiga {
    std::string Testo;
    int Riga = 0; // 0: the line being read
};

[[noreturn]] void Errore(std::string Testo, int Riga = 0) {
    throw TErroreRiga{std::move(Testo), Riga};
}

bool Spazio(char c) {
    return c == ' ' || c == '\t';
}

std::vector<TParola> Parole(std::string_view Riga) {
    std::vector<TParola> parole;
    std::size_t i = 0;
    const std::size_t n = Riga.size();
    while (true) {
        while (i < n && Spazio(Riga[i]))
            ++i;
        if (i >= n || Riga[i] == '#') break;
        TParola p;
        while (i < n && !Spazio(Riga[i]) && Riga[i] != '=') {
            if (Riga[i] == '"') Errore("a quote outside a value");
            p.Chiave += Riga[i++];
        }
        if (i < n && Riga[i] == '=') {
            ++i;
            p.ConValore = true;
            if (p.Chiave.empty()) Errore("'=' without a name before it");
            if (i < n && Riga[i] == '"') {
                ++i;
                bool chiusa = false;
                while (i < n) {
                    if (Riga[i] == '"') {
                        if (i + 1 < n && Riga[i + 1] == '"') {
                            p.Valore += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        chiusa = true;
                        break;
                    }
                    p.Valore += Riga[i++];
                }
                if (!chiusa) Errore("a quote is not closed");
                if (i < n && !Spazio(Riga[i]) && Riga[i] != '#') Errore("text glued after a closing quote");
            } else {
                while (i < n && !Spazio(Riga[i])) {
                    if (Riga[i] == '"' || Riga[i] == '=') Errore("a quote or '=' inside a value");
                    p.Valore += Riga[i++];
                }
            }
        }
        parole.push_back(std::move(p));
    }
    return parole;
}

bool NomeValido(std::string_view s) {
    if (s.empty() || s.size() > LunghezzaMassimaNome) return false;
    if (s[0] >= '0' && s[0] <= '9') return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// "12", "7.5": at most five digits before the point and four after it.
std::optional<double> Numero(std::string_view s) {
    std::size_t i = 0;
    double v = 0;
    int interi = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        v = v * 10 + (s[i++] - '0');
        ++interi;
    }
    if (interi == 0 || interi > 5) return std::nullopt;
    if (i < s.size() && s[i] == '.') {
        ++i;
        double peso = 0.1;
        int decimali = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            v += (s[i++] - '0') * peso;
            peso /= 10;
            ++decimali;
        }
        if (decimali == 0 || decimali > 4) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return v;
}

// The attributes of one statement after its keyword and its name, each allowed at most once.
class TAttributi {
  public:
    TAttributi(const std::vector<TParola>& Parole, std::size_t Da, std::initializer_list<const char*> Ammessi,
               std::initializer_list<const char*> Segni = {}) {
        for (std::size_t i = Da; i < Parole.size(); ++i) {
            const TParola& p = Parole[i];
            const bool segno =
                std::any_of(Segni.begin(), Segni.end(), [&](const char* s) { return p.Chiave == s; });
            const bool ammesso =
                std::any_of(Ammessi.begin(), Ammessi.end(), [&](const char* s) { return p.Chiave == s; });
            if (!p.ConValore && segno) {
                if (!segni_.insert(p.Chiave).second) Errore("\"" + p.Chiave + "\" given twice");
                continue;
            }
            if (!p.ConValore || !ammesso) Errore("unknown word \"" + p.Chiave + "\"");
            if (!valori_.emplace(p.Chiave, p.Valore).second) Errore("\"" + p.Chiave + "\" given twice");
        }
    }
    bool Segno(const char* Nome) const { return segni_.count(Nome) != 0; }
    const std::string* Valore(const char* Nome) const {
        auto it = valori_.find(Nome);
        return it == valori_.end() ? nullptr : &it->second;
    }
    double Numero(const char* Nome) const {
        const std::string* v = Valore(Nome);
        if (!v) Errore(std::string("\"") + Nome + "=\" is missing");
        const auto n = report::Numero(*v);
        if (!n) Errore(std::string("\"") + Nome + "=" + *v + "\" is not a number");
        return *n;
    }

  private:
    std::map<std::string, std::string> valori_;
    std::set<std::string> segni_;
};

class TLettore {
  public:
    void Riga(std::string_view Riga, int Numero) {
        numero_ = Numero;
        for (unsigned char c : Riga)
            if (c < 0x20 && c != '\t') Errore("a control character");
        const std::vector<TParola> p = Parole(Riga);
        if (p.empty()) return;
        const TParola& k = p[0];
        if (k.ConValore) Errore("a statement begins with its keyword, not \"" + k.Chiave + "=\"");
        if (k.Chiave == "report")
            Report(p);
        else if (k.Chiave == "page")
            Pagina(p);
        else if (k.Chiave == "font")
            Font(p);
        else if (k.Chiave == "text")
            Voce(p, TTipoVoce::Testo);
        else if (k.Chiave == "memo")
            Voce(p, TTipoVoce::Memo);
        else if (k.Chiave == "pagenumber")
            Voce(p, TTipoVoce::NumeroPagina);
        else if (k.Chiave == "band")
            Banda(p);
        else if (k.Chiave == "end")
            Fine(p);
        else
            Errore("unknown keyword \"" + k.Chiave + "\"");
    }

    TFileReport Termina() {
        ChiudiPagina();
        if (file_.Report.empty()) Errore("no report in the file");
        return std::move(file_);
    }

  private:
    static std::string Nome(const std::vector<TParola>& p, const char* Cosa) {
        if (p.size() < 2 || p[1].ConValore) Errore(std::string(Cosa) + " without a name");
        if (!NomeValido(p[1].Chiave)) Errore("\"" + p[1].Chiave + "\" is not a valid name");
        return p[1].Chiave;
    }

    void Report(const std::vector<TParola>& p) {
        ChiudiPagina();
        const std::string nome = Nome(p, "report");
        TAttributi(p, 2, {});
        for (const TDefReport& r : file_.Report)
            if (r.Nome == nome) Errore("report \"" + nome + "\" given twice");
        file_.Report.push_back({nome, {}});
    }

    void Pagina(const std::vector<TParola>& p) {
        ChiudiPagina();
        if (file_.Report.empty()) Errore("page before any report");
        TDefPagina pagina;
        pagina.Nome = Nome(p, "page");
        const TAttributi a(p, 2, {"paper"});
        if (const std::string* carta = a.Valore("paper")) {
            const auto x = carta->find('x');
            const auto l =
                x == std::string::npos ? std::nullopt : Numero(std::string_view(*carta).substr(0, x));
            const auto h =
                x == std::string::npos ? std::nullopt : Numero(std::string_view(*carta).substr(x + 1));
            if (!l || !h) Errore("paper \"" + *carta + "\" is not <width>x<height>");
            if (*l < CartaMinima || *l > CartaMassima || *h < CartaMinima || *h > CartaMassima)
                Errore("paper \"" + *carta + "\" is not a size that can be printed");
            pagina.Larghezza = *l;
            pagina.Altezza = *h;
        }
        for (const TDefPagina& q : file_.Report.back().Pagine)
            if (q.Nome == pagina.Nome) Errore("page \"" + pagina.Nome + "\" given twice");
        file_.Report.back().Pagine.push_back(std::move(pagina));
        pagina_ = &file_.Report.back().Pagine.back();
        carattere_ = TCarattere{};
    }

    TDefPagina& PaginaAperta(const char* Cosa) {
        if (!pagina_) Errore(std::string(Cosa) + " outside a page");
        return *pagina_;
    }

    void Font(const std::vector<TParola>& p) {
        PaginaAperta("font");
        const TAttributi a(p, 1, {"family", "size"}, {"bold", "italic", "fixed"});
        const std::string* famiglia = a.Valore("family");
        if (!famiglia || famiglia->empty() || famiglia->size() > LunghezzaMassimaNome)
            Errore("font without a family");
        const double punti = a.Numero("size");
        if (punti < PuntiMinimi || punti > PuntiMassimi) Errore("font size out of 4..96 points");
        carattere_ = {*famiglia, punti, a.Segno("bold"), a.Segno("italic"), a.Segno("fixed")};
    }

    void Voce(const std::vector<TParola>& p, TTipoVoce Tipo) {
        TDefPagina& pagina = PaginaAperta("item");
        TDefVoce v;
        v.Nome = Nome(p, "item");
        v.Tipo = Tipo;
        const bool testo = Tipo == TTipoVoce::Testo, numero = Tipo == TTipoVoce::NumeroPagina;
        const TAttributi a = testo    ? TAttributi(p, 2, {"x", "y", "w", "h", "align", "value"})
                             : numero ? TAttributi(p, 2, {"x", "y", "w", "h", "align", "after"})
                                      : TAttributi(p, 2, {"x", "y", "w", "h"});
        v.Posizione = {a.Numero("x"), a.Numero("y"), a.Numero("w"), a.Numero("h")};
        if (v.Posizione.L <= 0 || v.Posizione.A <= 0) Errore("item \"" + v.Nome + "\" has no size");
        v.Carattere = carattere_;
        if (const std::string* al = a.Valore("align")) {
            if (*al == "left")
                v.Allineamento = TAllineamento::Sinistra;
            else if (*al == "center")
                v.Allineamento = TAllineamento::Centro;
            else if (*al == "right")
                v.Allineamento = TAllineamento::Destra;
            else
                Errore("align=\"" + *al + "\" is none of left, center, right");
        }
        if (const std::string* t = a.Valore("value")) v.Valore = *t;
        if (const std::string* d = a.Valore("after")) {
            if (!NomeValido(*d)) Errore("after=\"" + *d + "\" is not a valid name");
            v.Dopo = *d;
        }
        v.NellaBanda = inBanda_;
        if (!v.Dopo.empty()) righeDopo_.emplace(v.Nome, numero_);
        const double largo = pagina.Larghezza;
        const double alto = inBanda_ ? pagina.Banda->AltezzaRiga : pagina.Altezza;
        if (v.Posizione.X + v.Posizione.L > largo + 1e-9 || v.Posizione.Y + v.Posizione.A > alto + 1e-9)
            Errore("item \"" + v.Nome + "\" lies outside its " + (inBanda_ ? "row" : "paper"));
        if (numero && inBanda_) Errore("a page number cannot stand in the band");
        for (const TDefVoce& q : pagina.Voci)
            if (q.Nome == v.Nome) Errore("item \"" + v.Nome + "\" given twice on the page");
        pagina.Voci.push_back(std::move(v));
    }

    void Banda(const std::vector<TParola>& p) {
        TDefPagina& pagina = PaginaAperta("band");
        if (pagina.Banda) Errore("a second band on the page");
        const TAttributi a(p, 1, {"connection", "top", "bottom", "height"});
        TDefBanda b;
        const std::string* c = a.Valore("connection");
        if (!c || !NomeValido(*c)) Errore("band without a valid connection name");
        b.Connessione = *c;
        b.Alto = a.Numero("top");
        b.Basso = a.Numero("bottom");
        b.AltezzaRiga = a.Numero("height");
        if (b.Basso > pagina.Altezza || b.Alto >= b.Basso)
            Errore("band's top and bottom are not on the paper");
        if (b.AltezzaRiga <= 0 || b.AltezzaRiga > b.Basso - b.Alto)
            Errore("band's row height does not fit between its top and bottom");
        pagina.Banda = std::move(b);
        inBanda_ = true;
    }

    void Fine(const std::vector<TParola>& p) {
        if (!inBanda_) Errore("end without a band");
        if (p.size() > 1) Errore("nothing may follow end");
        inBanda_ = false;
    }

    void ChiudiPagina() {
        if (!pagina_) return;
        if (inBanda_) Errore("the band of page \"" + pagina_->Nome + "\" is not closed by end");
        for (const TDefVoce& v : pagina_->Voci) {
            if (v.Dopo.empty()) continue;
            const auto it = std::find_if(pagina_->Voci.begin(), pagina_->Voci.end(),
                                         [&](const TDefVoce& q) { return q.Nome == v.Dopo; });
            if (it == pagina_->Voci.end() || it->NellaBanda || it->Tipo != TTipoVoce::Testo)
                Errore("\"" + v.Nome + "\" follows \"" + v.Dopo + "\", which is no text of page \"" +
                           pagina_->Nome + "\" outside the band",
                       righeDopo_[v.Nome]);
        }
        righeDopo_.clear();
        pagina_ = nullptr;
    }

    TFileReport file_;
    TDefPagina* pagina_ = nullptr;
    TCarattere carattere_;
    bool inBanda_ = false;
    int numero_ = 0;
    std::map<std::string, int> righeDopo_;
};

} // namespace

std::optional<TFileReport> LeggiFileReport(std::string_view Testo, std::string& Errore) {
    if (Testo.size() > DimensioneMassimaFileReport) {
        Errore = "the file is too long for a report project";
        return std::nullopt;
    }
    TLettore lettore;
    std::size_t inizio = 0;
    int numero = 0;
    try {
        while (inizio < Testo.size()) {
            ++numero;
            std::size_t fine = Testo.find('\n', inizio);
            if (fine == std::string_view::npos) fine = Testo.size();
            std::string_view riga = Testo.substr(inizio, fine - inizio);
            if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);
            lettore.Riga(riga, numero);
            inizio = fine + 1;
        }
        return lettore.Termina();
    } catch (const TErroreRiga& e) {
        // A fault found at the end of the file (a band not closed, no report) has no line of its own.
        const int riga = e.Riga != 0 ? e.Riga : inizio < Testo.size() ? numero : 0;
        Errore = riga != 0 ? "line " + std::to_string(riga) + ": " + e.Testo : e.Testo;
        return std::nullopt;
    }
}

} // namespace platform::report
