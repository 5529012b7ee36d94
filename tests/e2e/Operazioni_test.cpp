// The main road end to end: the program's windows (offscreen), its serial link component on a
// pseudo-terminal, and the simulated panel vm415-sim at the other end. The menu commands start the
// worker, the wait window shows progress and outcome, and the images on both sides are compared in
// every field that travels.
#include "ImmaginiPannello.h"
#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/KivCanaleFinto.h"
#include "link/KivModCom.h"
#include "link/LinkDoppio.h"
#include "link/ThreadCom.h"
#include "link/def_ver11.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "serial/SerialTestSupport.h"
#include "support/Attesa.h"
#include "support/Simulatore.h"
#include "tools/sim/SimFaults.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimServer.h"
#include "ui/Attesa.h"
#include "ui/CodaEventi.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/OperazioniCentrale.h"
#include "ui/ProgramWindows.h"

#include <QAction>
#include <QCheckBox>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <random>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using e2e::Byte;
using e2e::Carichi;
using e2e::ImmagineCasuale;
using e2e::LeggiImmagine;
using testing_support::Simulatore;

namespace {

constexpr int PortaSim = 5;

double Istante(int a, int me, int g, int h, int mi) {
    double v = 0;
    EXPECT_TRUE(CodificaDataOra(a, me, g, h, mi, 0, v));
    return v;
}

// A ".cod" file of n events, event i of type i.
std::vector<std::uint8_t> FileEventi(int n) {
    std::vector<std::uint8_t> v;
    for (int i = 0; i < n; ++i) {
        TEventoCoda e{};
        e.Tipo = std::uint8_t(i);
        e.Descrittore = 1;
        e.DataOra = Istante(2026, 1 + i % 12, 1 + i % 28, i % 24, i % 60);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
        v.insert(v.end(), p, p + sizeof e);
    }
    return v;
}

class EndToEnd : public ProgramWindows {
  protected:
    EndToEnd() {
        CreaFinestre();
        MostraMainFrm();
        ChiudiAttesaAllaFine(utente);
    }
    ~EndToEnd() override {
        utente.stop();
        com.reset();
        if (server) {
            server->Stop();
            linea.join();
        }
    }

    // The panel in this process, so that a test can act at one of its requests: served on a
    // pseudo-terminal from a thread of its own, with the link on its line.
    void AvviaInProcesso(int tentativi = 10, int timeoutDec = 3) {
        server = std::make_unique<vm415sim::SimServer>(pannello);
        std::string errore;
        ASSERT_TRUE(server->OpenPty(errore)) << errore;
        ASSERT_TRUE(win32::BindComPort(PortaSim, server->Path()));
        linea = std::thread([this] {
            std::string e;
            server->Run(e);
        });
        ScriviComConfig(ConnessioneCavo, PortaSim);
        NuovoCom(tentativi, timeoutDec);
        com->Loaded();
    }

    // A link component as the options window makes it, with the cable's attempts and a shorter
    // time-out: a reply on a pseudo-terminal takes milliseconds.
    void NuovoCom(int tentativi = 10, int timeoutDec = 3) {
        com.reset();
        com = std::make_unique<TKivModCom>();
        com->OpzioniFinestra = testing_support::OpzioniSenzaAttese();
        com->NumTentativi = std::uint8_t(tentativi);
        com->TimeoutComandDec = timeoutDec;
    }

    // Starts vm415-sim with `opzioni` and the link on its line.
    void Avvia(std::vector<std::string> opzioni, std::uint8_t tipo = ConnessioneCavo) {
        sim = std::make_unique<Simulatore>(PortaSim, opzioni);
        ASSERT_TRUE(sim->Pronto());
        ScriviComConfig(tipo, tipo == ConnessioneCavo ? PortaSim : 0,
                        tipo == ConnessioneModem ? PortaSim : 0);
        NuovoCom();
        com->Loaded();
        ASSERT_TRUE(com->FormModCom()->ComPort.Active());
    }

    std::string ImmagineSim(const TConfigCentrale& c) {
        const std::string p = folder_.File("panel.415");
        folder_.Write("panel.415", Byte(c));
        return p;
    }

    std::uint64_t Inviati() { return com->FormModCom()->ThreadCom().FrameInviati(); }
    int Gauge() const { return AttesaFrm->ProgressBar->value(); }
    int Massimo() const { return AttesaFrm->ProgressBar->maximum(); }
    std::string Caption() const { return platform::gui::ToCp1252(AttesaFrm->windowTitle()); }

    // Runs `f` off the UI thread, as the worker would, while the UI thread delivers the bytes.
    template <class F> auto SulWorker(F f) {
        auto futuro = std::async(std::launch::async, f);
        QEventLoop attesa;
        QTimer controllo;
        QObject::connect(&controllo, &QTimer::timeout, [&] {
            if (futuro.wait_for(0s) == std::future_status::ready) attesa.quit();
        });
        controllo.start(2);
        attesa.exec();
        return futuro.get();
    }

    // The panel clock as command 5 reads it, leaving the image as it was.
    double OrologioPannello() {
        const TConfigCentrale salvata = ConfigCentrale;
        EXPECT_EQ(SulWorker([&] { return LeggiDataOra(*com); }), EsitoOk);
        const double v = ConfigCentrale.DataOraOrologio;
        ConfigCentrale = salvata;
        return v;
    }

    // The event store the worker fills: the event-queue window's, as in the program.
    TCodaEventi& Coda() const { return CodaEventiFrm->Coda; }

    serial_test::StoreScope store;
    QTimer utente;
    std::unique_ptr<Simulatore> sim;
    vm415sim::SimPanel pannello;
    std::unique_ptr<vm415sim::SimServer> server;
    std::thread linea;
    std::unique_ptr<TKivModCom> com;
};

} // namespace

TEST_F(EndToEnd, ReceiveGivesThePanelsImageAndStampsIt) {
    const TConfigCentrale pannello = ImmagineCasuale(11);
    Avvia({"--image", ImmagineSim(pannello), "--clock", "2024-02-29 13:45"});
    ConfigCentrale = ImmagineCasuale(22);
    ConfigCentrale.IdCentrale = 0;
    ConfigCentrale.VersioneCentrale = 0;
    MainFrm->PageControl->setCurrentIndex(3);

    MainFrm->MiRiceviCentrale->trigger();

    EXPECT_EQ(MainFrm->PageControl->currentIndex(), 0);
    EXPECT_EQ(OperazioneCentraleInCorso(), nullptr) << "the worker is released once the window closes";
    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    EXPECT_EQ(Gauge(), 20);
    EXPECT_EQ(Massimo(), 20);
    EXPECT_TRUE(Carichi(ConfigCentrale) == Carichi(pannello))
        << "every travelling field as the panel holds it";
    EXPECT_EQ(ConfigCentrale.Zone[84].Descrizione.Leggi(), pannello.Zone[84].Descrizione.Leggi());
    EXPECT_EQ(ConfigCentrale.IdCentrale, 164);
    EXPECT_EQ(ConfigCentrale.VersioneCentrale, 11);
    EXPECT_GE(ConfigCentrale.DataOraOrologio, Istante(2024, 2, 29, 13, 45));
    EXPECT_LE(ConfigCentrale.DataOraOrologio, Istante(2024, 2, 29, 13, 47));
    EXPECT_EQ(Inviati(), 20u);
}

TEST_F(EndToEnd, SendWritesOurImageAndSetsThePanelClock) {
    const std::string salvata = folder_.File("saved.415");
    Avvia({"--save-on-exit", salvata, "--clock", "2019-05-05 05:05"});
    const TConfigCentrale nostra = ImmagineCasuale(33);
    ConfigCentrale = nostra;

    dialogs_.AnswerYes(); // the send question; the image is loaded, so it is the only one
    MainFrm->MiInviaCentrale->trigger();

    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    EXPECT_EQ(Gauge(), 20);
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Messages()[0].Text, GetMessaggio("STRGLOBAL_CONFINVIO"));
    EXPECT_EQ(ConfigCentrale.IdCentrale, nostra.IdCentrale);

    const double orologio = OrologioPannello();
    const double adesso = OraPc();
    EXPECT_LT(std::abs(orologio - adesso), 3.0 / (24 * 60)) << "the panel clock is set to the PC's time";

    sim->Ferma();
    const auto immagine = LeggiImmagine(salvata);
    ASSERT_TRUE(immagine);
    EXPECT_TRUE(Carichi(*immagine) == Carichi(ConfigCentrale)) << "the panel holds our image";
    EXPECT_EQ(immagine->Zone[40].Descrizione.Leggi(), nostra.Zone[40].Descrizione.Leggi());
}

TEST_F(EndToEnd, SendOfAnEmptyImageAsksTwiceAndNoStops) {
    Avvia({});
    ConfigCentrale = TConfigCentrale{};
    IdCentraleRx = VersioneCentraleRx = 0;
    dialogs_.AnswerNo();
    MainFrm->MiInviaCentrale->trigger();
    dialogs_.AnswerYes();
    dialogs_.AnswerNo();
    MainFrm->MiInviaCentrale->trigger();
    const auto m = dialogs_.Messages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].Kind, platform::gui::MsgKind::Error);
    EXPECT_EQ(m[0].Text, GetMessaggio("STRMAIN_CFGVUOTA"));
    EXPECT_EQ(m[2].Kind, platform::gui::MsgKind::Confirmation);
    EXPECT_EQ(m[2].Text, GetMessaggio("STRGLOBAL_CONFINVIO"));
    EXPECT_EQ(Inviati(), 0u);
}

TEST_F(EndToEnd, AnotherFormatVersionEndsTheCommunication) {
    Avvia({"--version", "10"});
    ConfigCentrale = ImmagineCasuale(44);
    const auto prima = Byte(ConfigCentrale);
    MainFrm->MiRiceviCentrale->trigger();
    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_VERSIONENOOK"));
    EXPECT_EQ(Inviati(), 2u) << "identification, then the end of communication";
    EXPECT_EQ(Byte(ConfigCentrale), prima);
    EXPECT_TRUE(AttesaFrm->Okbutton->isVisibleTo(AttesaFrm));
}

TEST_F(EndToEnd, ProgrammingDisabledStopsAfterTheIdentificationButTheQueueIsRead) {
    folder_.Write("eventi.cod", FileEventi(5));
    Avvia({"--programming", "0", "--events", folder_.File("eventi.cod")});
    ConfigCentrale = ImmagineCasuale(55);
    const auto prima = Byte(ConfigCentrale);
    std::uint64_t inviati = 0;
    for (std::uint8_t op : {OpRiceviConfigurazione, OpInviaConfigurazione, OpEliminaCoda}) {
        SCOPED_TRACE(int(op));
        EXPECT_EQ(EseguiOperazioneCentrale(op, MainFrm), EsitoFallito);
        EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_NOABILCOM"));
        EXPECT_EQ(Inviati(), ++inviati) << "nothing after the identification";
    }
    EXPECT_EQ(Byte(ConfigCentrale), prima);
    EXPECT_EQ(EseguiOperazioneCentrale(OpRiceviCoda, MainFrm), EsitoOk);
    EXPECT_EQ(Coda().NumEventi, 5);
    EXPECT_EQ(Coda().Eventi[4].Tipo, 4);
}

TEST_F(EndToEnd, EventQueueCounts) {
    for (int n : {0, 20, 21, 130}) {
        SCOPED_TRACE(n);
        folder_.Write("eventi.cod", FileEventi(n));
        Avvia({"--events", folder_.File("eventi.cod"), "--queue-size", "255"});
        Coda() = TCodaEventi{};
        EXPECT_EQ(EseguiOperazioneCentrale(OpRiceviCoda, MainFrm), EsitoOk);
        const int blocchi = (n + 19) / 20;
        EXPECT_EQ(Gauge(), blocchi + 3);
        EXPECT_EQ(Massimo(), blocchi + 3);
        EXPECT_EQ(Inviati(), std::uint64_t(blocchi + 3));
        EXPECT_EQ(Coda().NumEventi, n);
        for (int i = 0; i < Coda().NumEventi; ++i) {
            EXPECT_EQ(Coda().Eventi[i].Tipo, i);
            EXPECT_EQ(Coda().Eventi[i].DataOra, Istante(2026, 1 + i % 12, 1 + i % 28, i % 24, i % 60));
        }
        // The link goes before the panel it talks to.
        com.reset();
        sim.reset();
    }
    // The clear empties the panel's queue.
    folder_.Write("eventi.cod", FileEventi(7));
    Avvia({"--events", folder_.File("eventi.cod")});
    EXPECT_EQ(EseguiOperazioneCentrale(OpEliminaCoda, MainFrm), EsitoOk);
    EXPECT_EQ(Gauge(), 3);
    EXPECT_EQ(EseguiOperazioneCentrale(OpRiceviCoda, MainFrm), EsitoOk);
    EXPECT_EQ(Coda().NumEventi, 0);
}

// A busy panel through the event-queue window's buttons: every event comes, oldest first; the clear
// asks first, and empties the panel's queue but not the list.
TEST_F(EndToEnd, TheEventWindowReadsABusyQueueWholeAndClearsItOnlyAfterYes) {
    struct Tipo {
        int tipo;
        const char* chiave;
    };
    const Tipo tipi[] = {{1, "STRCODA_EAGENERICO"},
                         {7, "STRCODA_EA_TEC_MALFUNZ_FUMO"},
                         {105, "STRCODA_EVENTODISINS"},
                         {50, nullptr}};
    std::vector<TEventoCoda> eventi;
    std::vector<std::uint8_t> file;
    for (int i = 0; i < 130; ++i) {
        TEventoCoda e{};
        e.Tipo = std::uint8_t(tipi[i % 4].tipo);
        e.Descrittore = std::uint8_t(i % 7 == 0 ? 220 : i % 16);
        EXPECT_TRUE(CodificaDataOra(2025, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (3 * i) % 60, e.DataOra));
        eventi.push_back(e);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
        file.insert(file.end(), p, p + sizeof e);
    }
    folder_.Write("pannello.cod", file);
    Avvia({"--events", folder_.File("pannello.cod"), "--queue-size", "255"});
    CodaEventiFrm->show();

    CodaEventiFrm->RiceviCodaBtn->click();
    ASSERT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    EXPECT_EQ(Inviati(), 3u + 7) << "identification, pointers, seven blocks, end";
    const QTableWidget& g = *CodaEventiFrm->CodaEventiGrid;
    ASSERT_EQ(g.rowCount(), 130);
    ASSERT_EQ(Coda().NumEventi, 130);
    auto testo = [&](int r, int c) { return platform::gui::ToCp1252(g.item(r, c)->text()); };
    for (int i = 0; i < 130; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Coda().Eventi[i].Tipo, eventi[i].Tipo);
        EXPECT_EQ(Coda().Eventi[i].Descrittore, eventi[i].Descrittore);
        EXPECT_EQ(Coda().Eventi[i].DataOra, eventi[i].DataOra);
        EXPECT_EQ(testo(i, 0), "    " + IntToStrZeri(i + 1, 3));
        const char* chiave = tipi[i % 4].chiave;
        EXPECT_EQ(testo(i, 1), chiave ? "    " + GetMessaggio(chiave) : "");
        EXPECT_EQ(testo(i, 3), "    " + DataOraToStr(1, eventi[i].DataOra));
    }
    const std::string ultima = testo(129, 3);

    // No: nothing goes to the panel.
    const std::uint64_t inviati = Inviati();
    dialogs_.AnswerNo();
    CodaEventiFrm->EliminaCodaBtn->click();
    EXPECT_EQ(Inviati(), inviati);
    // Yes: the panel's queue is emptied, the list stays as it was.
    dialogs_.AnswerYes();
    CodaEventiFrm->EliminaCodaBtn->click();
    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    EXPECT_EQ(Inviati(), inviati + 3);
    const auto domande = dialogs_.Messages();
    ASSERT_EQ(domande.size(), 2u);
    EXPECT_EQ(domande[1].Text, GetMessaggio("STRGLOBAL_CONFINVIO"));
    EXPECT_EQ(g.rowCount(), 130);
    EXPECT_EQ(testo(129, 3), ultima);
    EXPECT_EQ(Coda().NumEventi, 130);

    CodaEventiFrm->RiceviCodaBtn->click();
    EXPECT_EQ(Coda().NumEventi, 0);
    EXPECT_EQ(g.rowCount(), 1) << "one blank row";
    CodaEventiFrm->hide();
}

TEST_F(EndToEnd, ALinkNotConnectedSendsNothing) {
    // Over a modem the link counts as connected only while the modem link is up.
    Avvia({}, ConnessioneModem);
    ASSERT_FALSE(com->Connesso());
    ConfigCentrale = ImmagineCasuale(66);
    const auto prima = Byte(ConfigCentrale);
    MainFrm->MiRiceviCentrale->trigger();
    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMNONOK"));
    EXPECT_EQ(Gauge(), 0);
    EXPECT_EQ(Inviati(), 0u);
    EXPECT_EQ(Byte(ConfigCentrale), prima);
}

// The panel in this process fails from zone block 4 on: silent, or answering with the records of
// another block. Nothing the receive read is kept, and a value typed just before it, not yet in the
// image, is still on show.
class RicezioneInterrotta : public EndToEnd, public testing::WithParamInterface<bool> {};

TEST_P(RicezioneInterrotta, LeavesTheImageAndTheControlsAsTheyWere) {
    const TConfigCentrale suo = ImmagineCasuale(77);
    std::string errore;
    ASSERT_TRUE(pannello.SetImageBytes(Byte(suo), errore)) << errore;
    vm415sim::FaultSettings guasto;
    if (GetParam())
        guasto.DropRate = 1;
    else
        guasto.WrongBlock = true;
    int richiesteZone = 0;
    pannello.SetLog([&](vm415sim::SimPanel::LogLevel, const std::string& riga) {
        // Zone block 3 has been answered: the fault takes over from block 4 on.
        if (riga.rfind("request 13 ", 0) == 0 && ++richiesteZone == 4) pannello.SetFaults(guasto);
    });
    // Long enough that no earlier block is ever asked twice (the count above relies on it).
    AvviaInProcesso(2, 5);

    ConfigCentrale = ImmagineCasuale(88);
    MainFrm->AggiornaFormDaConfig();
    const auto prima = Byte(ConfigCentrale);
    // A value that neither image gives the control.
    platform::gui::TSpinEdit& sirena = *MainFrm->SetTempoSirenaSec;
    const int mostrato = sirena.Value();
    sirena.SetValue(suo.TempoSirenaSec);
    const int delPannello = sirena.Value();
    int digitato = sirena.MinValue();
    while (digitato == mostrato || digitato == delPannello)
        ++digitato;
    sirena.SetValue(digitato);

    MainFrm->MiRiceviCentrale->trigger();

    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMNONOK"));
    EXPECT_EQ(Gauge(), 7);
    EXPECT_EQ(Byte(ConfigCentrale), prima);
    EXPECT_EQ(sirena.Value(), digitato);
    EXPECT_EQ(Inviati(), 1u + 2 + 4 + 2) << "two sends of block 4, no end of communication";
    EXPECT_EQ(server->FramesReceived(), Inviati());
    EXPECT_EQ(server->RepliesSent(), GetParam() ? 7u : 9u) << "the other block's replies did come";
}

INSTANTIATE_TEST_SUITE_P(Pannelli, RicezioneInterrotta, testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Silent" : "OtherBlock"; });

// Where a field lies in the image, as a range of offsets.
template <class F> std::pair<std::size_t, std::size_t> Posto(const TConfigCentrale& c, const F& Campo) {
    const auto inizio = std::size_t(reinterpret_cast<const std::uint8_t*>(&Campo) -
                                    reinterpret_cast<const std::uint8_t*>(&c));
    return {inizio, inizio + sizeof(F)};
}

std::string Rifilato(std::string t) {
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

// The window resized on the radio page while a send runs: the panel gets the image as it stood when
// the send began, and the rows are laid out for the new height once the send is over. A row changed
// meanwhile shows what a copy of the controls into the image would have sent.
TEST_F(EndToEnd, AResizeOnTheRadioPageDuringASendLeavesTheSentImageAlone) {
    std::atomic<bool> ridimensionata{false};
    pannello.SetLog([&](vm415sim::SimPanel::LogLevel, const std::string& riga) {
        // The general block is being written: the controls are in the image, the zones not yet sent.
        if (riga.rfind("request 4 ", 0) != 0 || ridimensionata.exchange(true)) return;
        platform::UiThread()->RunAndWait([] {
            MainFrm->FrameSensRadio[0]->DescrizioneZona->SetText("Cambiata");
            MainFrm->resize(MainFrm->width(), MainFrm->height() + 2 * 106);
        });
    });
    AvviaInProcesso();

    ConfigCentrale = ImmagineCasuale(111);
    MainFrm->AggiornaFormDaConfig();
    MainFrm->PageControl->setCurrentWidget(MainFrm->SheetConfigurazioneZoneRadio);
    const int righe = MainFrm->ZoneRadioPerPagina();
    ASSERT_LT(righe, 8);
    MainFrm->AggiornaConfigDaForm();
    const TConfigCentrale mostrata = ConfigCentrale;
    dialogs_.AnswerYes();
    MainFrm->MiInviaCentrale->trigger();

    ASSERT_TRUE(ridimensionata.load());
    EXPECT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    TConfigCentrale inviata;
    const auto byte = pannello.ImageBytes();
    ASSERT_EQ(byte.size(), sizeof inviata);
    std::memcpy(&inviata, byte.data(), sizeof inviata);
    EXPECT_EQ(inviata.Zone[PrimaZonaRadio].Descrizione.Leggi(),
              mostrata.Zone[PrimaZonaRadio].Descrizione.Leggi());
    // The general block keeps the panel's values where no control shows a field: the rest as shown.
    const auto c = Carichi(inviata), m = Carichi(mostrata);
    for (std::size_t j = 1; j < c.size(); ++j)
        EXPECT_TRUE(c[j] == m[j]) << "payload " << j << " differs from the image shown when the send began";
    // Once the send is over, the rows follow the window.
    EXPECT_EQ(MainFrm->ZoneRadioPerPagina(), righe + 2);
}

// The panel refuses our format version and then falls silent: the user closes the wait window and
// then the program while the end of communication still waits for its reply. The close ends that
// wait, and the settings are still written.
TEST_F(EndToEnd, ClosingDuringTheEndOfCommunicationAfterARefusedVersionEndsIt) {
    pannello.SetVersion(10);
    pannello.SetLog([&](vm415sim::SimPanel::LogLevel, const std::string& riga) {
        if (riga.rfind("request 1 ", 0) != 0) return;
        vm415sim::FaultSettings f;
        f.DropRate = 1;
        pannello.SetFaults(f);
    });
    AvviaInProcesso(10, 50); // ten attempts of 5 s: the old wait went on for 50 s

    QTimer utenteSvelto;
    QObject::connect(&utenteSvelto, &QTimer::timeout, [&] {
        if (AttesaFrm->isVisible() && AttesaFrm->Okbutton->isVisible())
            AttesaFrm->Okbutton->click();
        else if (!AttesaFrm->isVisible() && OperazioneCentraleInCorso() && Inviati() == 2 &&
                 MainFrm->isVisible())
            MainFrm->close();
    });
    utenteSvelto.start(5);
    MainFrm->MiRiceviCentrale->trigger();
    utenteSvelto.stop();

    EXPECT_FALSE(MainFrm->isVisible());
    EXPECT_EQ(OperazioneCentraleInCorso(), nullptr);
    EXPECT_EQ(Inviati(), 2u) << "the end of communication, sent once and not waited out";
    EXPECT_TRUE(settings_.Exists(NomeFileConfigPc)) << "the settings are written at close";
}

// The program is closed while the modem dials the panel: the call is dropped (DTR, which the test
// carries to the simulated modem), nobody is told of a connection, and the port is free at once.
TEST_F(EndToEnd, ClosingWhileTheModemDialsDropsTheCallAndFreesThePort) {
    sim = std::make_unique<Simulatore>(
        PortaSim,
        std::vector<std::string>{"--modem", "--modem-connect-delay-ms", "60000", "--modem-guard-ms", "0"},
        folder_.File("tracce"));
    ASSERT_TRUE(sim->Pronto());
    auto linee = std::make_shared<serial_test::FakeLines>();
    linee->OnChange([&](int, int spente) {
        if (spente & win32::linebits::DTR) sim->Segnala(SIGUSR1);
    });
    win32::RegisterLineDevice(sim->Percorso(), linee);
    ScriviComConfig(ConnessioneModem, 0, PortaSim);
    NuovoCom();
    com->OpzioniFinestra.Orologio = &testing_support::OrologioFinto;
    com->OpzioniFinestra.PauseSgancio = {10ms, 10ms, 10ms};
    com->Loaded();
    TKivModem& modem = com->FormModCom()->Modem();
    // The modem's settle time before its first hang-up passes at once.
    auto orologio = std::async(std::launch::async, [&] {
        testing_support::AttendiFinche(
            [&] { return modem.RichiestaChiamata.load() && modem.Stato.load() == TKivModem::StatoAttesa; });
        testing_support::AvanzaOrologio(3100ms);
    });
    QTimer chiude;
    QObject::connect(&chiude, &QTimer::timeout, [&] {
        if (MainFrm->isVisible() && sim->StatoModem().rfind("dialling", 0) == 0) MainFrm->close();
    });
    chiude.start(5);
    MainFrm->SetNumTelefonoCentrale->SetText("0123");
    MainFrm->MIAttivaConnessioneModem->trigger();
    chiude.stop();

    EXPECT_FALSE(MainFrm->isVisible());
    EXPECT_TRUE(dialogs_.Messages().empty()) << "the connect's outcome is not shown after the close";
    EXPECT_FALSE(com->Connesso());
    EXPECT_TRUE(testing_support::AttendiFinche([&] { return sim->StatoModem() == "on hook"; }))
        << sim->StatoModem();
    EXPECT_TRUE(settings_.Exists(NomeFileConfigPc));
    // What the program's end does to the link; the port opens again at once.
    com.reset();
    TsrComm porta;
    porta.SetComPortNo(PortaSim);
    porta.SetStreamProtocol(spNone);
    porta.SetActive(true);
    EXPECT_TRUE(porta.Active());
    porta.SetActive(false);
    win32::UnregisterLineDevice(sim->Percorso());
}

// What the installer does: opens a file, changes one thing on every page, sends it. The panel then
// differs from the file in exactly those fields (and its clock), and a receive shows them again.
TEST_F(EndToEnd, OneChangeOnEveryPageReachesThePanelAndComesBack) {
    // A file as the program itself saves it, so that nothing but the changes can differ (and no
    // character left behind the end of a text by an earlier test).
    ConfigCentrale = TConfigCentrale{};
    ConfigDefault(ConfigCentrale);
    MainFrm->AggiornaFormDaConfig();
    MainFrm->AggiornaConfigDaForm();
    ConfigCentrale.IdCentrale = IdVm415;
    ConfigCentrale.VersioneCentrale = VersioneFormato11;
    const TConfigCentrale file = ConfigCentrale;
    folder_.Write("impianto.415", Byte(file));
    const std::string pannello = folder_.File("pannello.415");
    Avvia({"--image", folder_.File("impianto.415"), "--save-on-exit", pannello});
    ConfigCentrale = TConfigCentrale{};
    dialogs_.ChooseFile(folder_.File("impianto.415"));
    MainFrm->MiLeggiFile->trigger();

    TMainFrm& f = *MainFrm;
    f.EditDataInstallazionePc->SetText("07/12/26");
    f.SetTempoSirenaSec->SetValue(180);
    f.MsgGrid->item(1, 1)->setText("Ingresso");
    f.FrameInser[2]->DescrizioneInser->SetText("Porta");
    f.FrameBidir[1]->DescrizionePeriferica->SetText("Sirena esterna");
    f.FrameSensFilo[3]->AlertZonaAbilitato->setChecked(true);
    f.FrameSensRadio[0]->SetSingoloContatto->setChecked(true);
    f.FrameNumTel[0]->SetAbilTxPanico->setChecked(true);
    f.SetTestoFissoSms->SetText("Ciao");
    f.EditAPN->SetText("internet.it");
    // The installation data stay in the file: the panel keeps no copy of them, nor of its clock
    // in the image it saves.
    const TConfigCentrale& c = file;
    const std::pair<std::size_t, std::size_t> cambiati[] = {
        Posto(c, c.TempoSirenaSec),
        Posto(c, c.DescrizioneMessaggio[1]),
        Posto(c, c.Inseritori[2].Descrizione),
        Posto(c, c.Zone[PrimoBidirezionale + 1].Descrizione),
        Posto(c, c.Zone[PrimaZonaFilo + 3].AlertZona),
        Posto(c, c.Zone[PrimaZonaRadio].SingoloContatto),
        Posto(c, c.NumTel[0].AbilTxPanico),
        Posto(c, c.TestoFissoSms),
        Posto(c, c.APN),
    };

    dialogs_.AnswerYes();
    MainFrm->MiInviaCentrale->trigger();
    ASSERT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    sim->Ferma();
    const auto scritta = LeggiImmagine(pannello);
    ASSERT_TRUE(scritta);
    const std::vector<std::uint8_t> prima = Byte(file), dopo = Byte(*scritta);
    std::set<std::size_t> campiCambiati;
    for (std::size_t i = 0; i < prima.size(); ++i) {
        if (prima[i] == dopo[i]) continue;
        const auto* campo = std::find_if(std::begin(cambiati), std::end(cambiati),
                                         [i](const auto& r) { return i >= r.first && i < r.second; });
        EXPECT_NE(campo, std::end(cambiati)) << "byte " << i << " changed and no control was";
        campiCambiati.insert(std::size_t(campo - std::begin(cambiati)));
    }
    for (std::size_t k = 0; k < std::size(cambiati); ++k)
        EXPECT_EQ(campiCambiati.count(k), 1u) << "change " << k << " reached the panel";

    // Into a window showing nothing of it, from the panel this time.
    sim = std::make_unique<Simulatore>(PortaSim, std::vector<std::string>{"--image", pannello});
    ASSERT_TRUE(sim->Pronto());
    NuovoCom();
    com->Loaded();
    ConfigDefault(ConfigCentrale);
    MainFrm->AggiornaFormDaConfig();
    ASSERT_NE(f.SetTempoSirenaSec->Value(), 180);
    MainFrm->MiRiceviCentrale->trigger();
    ASSERT_EQ(Caption(), GetMessaggio("STRATTESA_COMOK"));
    EXPECT_EQ(f.SetTempoSirenaSec->Value(), 180);
    EXPECT_EQ(f.MsgGrid->item(1, 1)->text().trimmed(), "Ingresso");
    EXPECT_EQ(Rifilato(f.FrameInser[2]->DescrizioneInser->Text()), "Porta");
    EXPECT_EQ(Rifilato(f.FrameBidir[1]->DescrizionePeriferica->Text()), "Sirena esterna");
    EXPECT_TRUE(f.FrameSensFilo[3]->AlertZonaAbilitato->isChecked());
    EXPECT_TRUE(f.FrameSensRadio[0]->SetSingoloContatto->isChecked());
    EXPECT_TRUE(f.FrameNumTel[0]->SetAbilTxPanico->isChecked());
    EXPECT_EQ(f.SetTestoFissoSms->Text(), "Ciao");
    EXPECT_EQ(f.EditAPN->Text(), "internet.it");
}

// Every reply frame has one byte changed with a chance of 0.6: about what a line that corrupts
// 0.5% of the bytes does to the panel's replies (190 bytes on average, so 1 - 0.995^190 of them
// lose at least one byte). Each receive must end either with the panel's image or with the
// failure caption and the image as it was: never a wrong field.
TEST_F(EndToEnd, CorruptedRepliesNeverLeaveAWrongField) {
    const TConfigCentrale pannello = ImmagineCasuale(99);
    Avvia({"--image", ImmagineSim(pannello), "--corrupt-rate", "0.6", "--seed", "2026"});
    // A checksum error costs a whole time-out before the resend: the shortest one the settings give.
    com->TimeoutComandDec = 1;
    TConfigCentrale prima = ImmagineCasuale(100);
    prima.IdCentrale = 7;
    prima.VersioneCentrale = 3;
    const auto p = Carichi(pannello);
    int riuscite = 0;
    // A receive takes about 2 s on this line (each checksum error waits out a time-out, and a
    // corrupted length byte holds the receiver for 5 s): the suite runs 10, the figure run 100
    // (VM415_RICEZIONI_CORROTTE=100).
    const char* quante = std::getenv("VM415_RICEZIONI_CORROTTE");
    const int prove = quante ? std::max(1, std::atoi(quante)) : 10;
    for (int i = 0; i < prove; ++i) {
        SCOPED_TRACE(i);
        ConfigCentrale = prima;
        MainFrm->MiRiceviCentrale->trigger();
        const auto c = Carichi(ConfigCentrale);
        if (Caption() == GetMessaggio("STRATTESA_COMOK")) {
            ++riuscite;
            EXPECT_TRUE(c == p);
            EXPECT_EQ(ConfigCentrale.IdCentrale, 164);
            continue;
        }
        ASSERT_EQ(Caption(), GetMessaggio("STRATTESA_COMNONOK"));
        EXPECT_EQ(Byte(ConfigCentrale), Byte(prima)) << "gauge " << Gauge();
    }
    std::cout << "[ figures  ] receives with corrupted replies: " << riuscite << " of " << prove
              << " complete, the rest failed cleanly\n";
    RecordProperty("ricezioni_riuscite", riuscite);
}
