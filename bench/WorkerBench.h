#pragma once
// The program as the user runs a panel operation: its windows (offscreen), the link component on a
// pseudo-terminal bound to a COM number, and vm415-sim at the other end. The "user" closes the
// wait window once the operation is over. Shared by the panel-operation figures.
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/KivModCom.h"
#include "link/ThreadCom.h"
#include "link/def_ver11.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/QtUiThread.h"
#include "tests/link/LinkDoppio.h"
#include "tests/support/Simulatore.h"
#include "ui/Attesa.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/OperazioniCentrale.h"
#include "ui/bench/CartellaImpostazioniBench.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace worker_bench {

constexpr int PortaSim = 9;

inline std::string CartellaEseguibile() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

using testing_support::Simulatore;

// The program's windows and settings, made once for the whole run by Main below. Not a static:
// the application has to go before the GUI library's own statics, which a static outlives.
class Programma {
    // First made and last gone: the program's settings, and its language table, are kept there.
    TCartellaImpostazioniBench impostazioni_;

  public:
    static Programma& Istanza() { return *istanza_; }

    // Starts a panel with `opzioni` and gives the program a fresh link component on its line.
    bool Collega(const std::vector<std::string>& opzioni, int TimeoutComandDec = 10, int NumTentativi = 10) {
        com.reset();
        sim = std::make_unique<Simulatore>(PortaSim, opzioni);
        if (!sim->Pronto()) return false;
        TConfigCom c;
        c.TipoConnessione = ConnessioneCavo;
        c.ComCavo = PortaSim;
        std::ofstream(cartella + "comconfig.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(&c), sizeof c);
        com = std::make_unique<TKivModCom>();
        com->OpzioniFinestra.AscoltaDispositivi = false;
        com->TimeoutComandDec = TimeoutComandDec;
        com->NumTentativi = std::uint8_t(NumTentativi);
        com->Loaded();
        return com->FormModCom()->ComPort.Active();
    }

    // One receive from the menu, as the user starts it; true when it ended with success.
    bool Ricevi() {
        MainFrm->MiRiceviCentrale->trigger();
        return platform::gui::FromCp1252(GetMessaggio("STRATTESA_COMOK")) == AttesaFrm->windowTitle();
    }

    // How often the "user" looks whether the OK button is there.
    void ImpostaAttenzioneUtente(std::chrono::milliseconds ogni) { utente_.start(ogni); }

    const std::string cartella = impostazioni_.Cartella.Path(); // with a trailing '/'
    std::unique_ptr<Simulatore> sim;
    std::unique_ptr<TKivModCom> com;

    Programma() {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        ui_ = std::make_unique<platform::gui::QtUiThread>();
        std::filesystem::copy_file(CartellaEseguibile() + "/Lingue.csv", cartella + "Lingue.csv");
        platform::SetProgramFolder(cartella);
        CreaFinestre();
        MostraMainFrm();
        QObject::connect(&utente_, &QTimer::timeout, [] {
            const TThreadCom* w = OperazioneCentraleInCorso();
            if (AttesaFrm->isVisible() && w && w->Finished() && AttesaFrm->Okbutton->isVisible())
                AttesaFrm->Okbutton->click();
        });
        utente_.start(2);
        istanza_ = this;
    }
    ~Programma() {
        istanza_ = nullptr;
        utente_.stop();
        com.reset();
        sim.reset();
        DistruggiFinestre();
        ui_.reset();
    }
    Programma(const Programma&) = delete;
    Programma& operator=(const Programma&) = delete;

  private:
    static inline Programma* istanza_ = nullptr;

    int argc_ = 1;
    char nome_[13] = "worker_bench";
    char* argv_[2] = {nome_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<platform::gui::QtUiThread> ui_;
    QTimer utente_;
};

// Bytes a frame of `comando` with `dati` takes on the serial line: 03h, STX, the stuffed length,
// command and data, the checksum and two 03h.
inline int ByteSulFilo(std::uint8_t comando, const std::uint8_t* dati, int n) {
    auto stuff = [](std::uint8_t b) { return (b == 0x02 || b == 0x03 || b == 0x10) ? 2 : 1; };
    int t = 2 + stuff(std::uint8_t(n + 1)) + stuff(comando) + 1 + 2;
    for (int i = 0; i < n; ++i)
        t += stuff(dati[i]);
    return t;
}

// The wire bytes of a whole receive for the image the panel holds (which a successful receive has
// just copied into ConfigCentrale: the reply payloads are what the program's encoders make of it).
struct TByteRicezione {
    int Richieste = 0, Risposte = 0;
};
inline TByteRicezione ByteRicezione(const std::uint8_t identificazione[3], const std::uint8_t dataOra[5]) {
    testing_support::LinkDoppio k; // unscripted: it records each request and answers none
    TByteRicezione r;
    int& t = r.Risposte;
    auto risposta = [&](std::uint8_t comando) {
        const TFrameComunic& f = k.Richieste.back();
        t += ByteSulFilo(comando, f.Dati, f.Lunghezza);
    };
    auto richiesta = [&](std::uint8_t comando, int blocco) {
        const std::uint8_t b = std::uint8_t(blocco);
        r.Richieste += ByteSulFilo(comando, &b, blocco < 0 ? 0 : 1);
    };
    richiesta(CmdIdentificazione, -1);
    t += ByteSulFilo(CmdIdentificazione, identificazione, 3);
    richiesta(CmdLeggiDatiGenerali, -1);
    ScriviDatiGenerali(k);
    risposta(CmdLeggiDatiGenerali);
    richiesta(CmdLeggiNumTel, -1);
    ScriviNumTel(k);
    risposta(CmdLeggiNumTel);
    for (int b = 0; b < 11; ++b) {
        richiesta(CmdLeggiBloccoZone, b);
        ScriviBloccoZone(k, std::uint8_t(b));
        risposta(CmdLeggiBloccoZone);
    }
    richiesta(CmdLeggiDataOra, -1);
    t += ByteSulFilo(CmdLeggiDataOra, dataOra, 5);
    for (int b = 0; b < 2; ++b) {
        richiesta(CmdLeggiBloccoInseritori, b);
        ScriviBloccoInseritori(k, std::uint8_t(b));
        risposta(CmdLeggiBloccoInseritori);
    }
    richiesta(CmdLeggiDatiGprsCid, -1);
    ScriviDatiGprsCid(k);
    risposta(CmdLeggiDatiGprsCid);
    richiesta(CmdLeggiTabelleCid, -1);
    ScriviTabelleCid(k);
    risposta(CmdLeggiTabelleCid);
    richiesta(CmdFineComunicazione, -1);
    t += ByteSulFilo(CmdFineComunicazione, nullptr, 0);
    return r;
}

// The benchmarks' main: the program is made before them and gone before main returns.
inline int Main(int argc, char** argv) {
    Programma programma;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline double SecondiCpu() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace worker_bench
