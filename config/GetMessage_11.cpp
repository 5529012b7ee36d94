#include "config/GetMessage_11.h"

#include "config/ConfigPc.h"
#include "config/DataOra.h"
#include "config/GlobalsVar.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/fs/ReadFile.h"
#include "platform/gui/Dialogs.h"

#include <atomic>
#include <ctime>
#include <mutex>
#include <sys/stat.h>

std::uint8_t IdCentraleRx = 0;
std::uint8_t VersioneCentraleRx = 0;
std::uint8_t AbilComCentraleRx = 0;

namespace {

// Every lookup must see the table as it is on disk now, so that a changed file counts at once.
// Reading it anew for each of the hundreds of lookups of one translation is wasteful, so the
// content is kept and read again whenever the file's identity, size or times differ. File times
// are coarse (a few milliseconds), so a file changed within the last seconds is always read again:
// two writes inside one tick cannot then hide from us.
struct TabellaLingue {
    std::mutex Mutex;
    bool Valida = false;
    struct stat Stato {};
    std::string Contenuto;
};
TabellaLingue tabella;

bool StessoFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

bool Recente(const struct stat& st) {
    struct timespec ora {};
    clock_gettime(CLOCK_REALTIME, &ora);
    return ora.tv_sec - st.st_mtim.tv_sec < 3 || ora.tv_sec - st.st_ctim.tv_sec < 3;
}

// The table's content, or the error number when it cannot be read.
int LeggiTabella(std::string& Contenuto) {
    const std::string nome = platform::ProgramFolder() + NomeFileLingue;
    std::lock_guard lock(tabella.Mutex);
    // Looked at without opening: a pipe in the table's place must not hold the program.
    struct stat st {};
    const bool stato = ::stat(nome.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (stato && tabella.Valida && StessoFile(st, tabella.Stato) && !Recente(st)) {
        Contenuto = tabella.Contenuto;
        return 0;
    }
    std::string testo;
    int errore = 0;
    if (platform::ReadDataFile("GetMessage_11", nome, "every text is asked for in vain", testo, SIZE_MAX,
                               &errore) != platform::ReadOutcome::Read) {
        tabella.Valida = false;
        return errore;
    }
    tabella.Contenuto = testo;
    // A file changed between the look and the read is read again at the next lookup.
    tabella.Stato = st;
    tabella.Valida = stato;
    Contenuto = std::move(testo);
    return 0;
}

} // namespace

namespace {
std::atomic<std::uint64_t> ricerche{0};
} // namespace

std::uint64_t NumeroRicercheTesti() {
    return ricerche.load(std::memory_order_relaxed);
}

std::string CercaMessaggio(std::string_view Tabella, std::string_view Chiave, int Lingua) {
    constexpr int MaxColonne = 10;
    const std::string puntini = "...";
    std::string risultato = puntini;
    std::string colonne[MaxColonne];
    for (auto& c : colonne)
        c = puntini;
    int n = 0;

    std::string_view resto(Tabella);
    while (!resto.empty()) {
        const std::size_t fine = resto.find('\n');
        std::string_view riga = resto.substr(0, fine);
        resto = fine == std::string_view::npos ? std::string_view() : resto.substr(fine + 1);
        if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);

        // A prefix compare: a longer key that begins with the one looked up matches too, and its
        // texts are appended after those of the lines before it.
        if (riga.size() < Chiave.size() || riga.compare(0, Chiave.size(), Chiave) != 0) continue;
        const std::size_t primo = riga.find(';');
        std::string_view campi = primo == std::string_view::npos ? riga : riga.substr(primo + 1);
        while (true) {
            const std::size_t sep = campi.find(';');
            if (n < MaxColonne) colonne[n++] = std::string(campi.substr(0, sep));
            if (sep == std::string_view::npos) break;
            campi = campi.substr(sep + 1);
        }
        if (Lingua >= 0 && Lingua < MaxColonne) risultato = colonne[Lingua];
    }
    return risultato;
}

void GetMessaggio(std::string_view Chiave, std::string& Risultato) {
    ricerche.fetch_add(1, std::memory_order_relaxed);
    std::string contenuto;
    if (const int errore = LeggiTabella(contenuto); errore != 0) {
        platform::gui::ShowError("FILE LINGUA NON TROVATO: Error " + std::to_string(errore));
        return;
    }
    Risultato = CercaMessaggio(contenuto, Chiave, ConfigPc.Lingua);
    if (Risultato == "...") platform::gui::ShowInformation("Stringa " + std::string(Chiave) + " non trovata");
}

std::string GetMessaggio(std::string_view Chiave) {
    std::string r;
    GetMessaggio(Chiave, r);
    return r;
}

std::string IntToStrZeri(std::int32_t Valore, std::int32_t Larghezza) {
    std::string s = std::to_string(Valore);
    if (Larghezza > std::int32_t(s.size())) s.insert(0, std::size_t(Larghezza) - s.size(), '0');
    return s;
}

std::string RipetiCarattere(char Carattere, std::int32_t Numero) {
    return Numero > 0 ? std::string(std::size_t(Numero), Carattere) : std::string();
}

std::string DataOraToStr(std::uint8_t ConSecondi, double Momento) {
    const TDataOraScomposta d = DecodificaDataOra(Momento);
    const std::string hh = IntToStrZeri(d.Ora, 2), nn = IntToStrZeri(d.Minuti, 2);
    const std::string gg = IntToStrZeri(d.Giorno, 2), mm = IntToStrZeri(d.Mese, 2);
    const std::string aa = IntToStrZeri(d.Anno % 100, 2);
    if (ConSecondi == 1)
        return hh + ":" + nn + ":" + IntToStrZeri(d.Secondi, 2) + "   " + gg + "/" + mm + "/" + aa;
    return hh + ":" + nn + " " + gg + "/" + mm + "/" + aa;
}

std::uint8_t HexToByte(char Alta, char Bassa) {
    auto valore = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 0;
    };
    return std::uint8_t(16 * valore(Alta) + valore(Bassa));
}

void AbilitaFunzioniVer11() {
    IControlliMainFrm* m = ControlliMainFrm();
    if (!m) return;
    for (const char* nome :
         {"SetSimVoceEdit", "SetInvioSmsCreditoConEiv", "SetTestoFissoSms", "SetTestoLiberoSmsLabel"})
        m->ImpostaAbilitato(nome, true);
    m->ImpostaVisibile("SetSubSonicoPresente", false);
}
