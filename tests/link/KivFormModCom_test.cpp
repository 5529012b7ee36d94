// The link settings window without its widgets: the settings file, the port list and the port
// choice, opening and reopening the port, device removal, and the receive ring.
#include "link/ConfigComProva.h"
#include "link/KivModCom.h"
#include "serial/SerialTestSupport.h"
#include "support/TempFolder.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/SafeFile.h"

#include "platform/thread/Thread.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using serial_test::FakeLines;
using serial_test::PtyPair;
using serial_test::StoreScope;

namespace {

struct Aperture {
    std::atomic<int> aperte{0}, chiuse{0};
    void Notify(TObject*, int code) {
        if (code == srNotifyOpened) ++aperte;
        if (code == srNotifyClosed) ++chiuse;
    }
};

std::vector<std::uint8_t> FileConfig(std::uint8_t tipo, std::uint8_t cavo, std::uint8_t modem,
                                     const std::string& init1 = "ATE0V0") {
    TConfigCom c = testing_support::ConfigCom(tipo, cavo, modem);
    c.StrInit1.Imposta(init1);
    c.StrDial.Imposta("ATDT");
    return testing_support::FileConfigCom(c);
}

class FinestraTest : public ::testing::Test {
  protected:
    FinestraTest() : cartella(dati.Path()), impostazioni(dati.Path()) {
        com.OpzioniFinestra = testing_support::OpzioniSenzaAttese();
    }
    TKivModComFrm& F() { return *com.FormModCom(); }
    TConfigCom Letto() {
        const auto v = dati.Read("comconfig.cfg");
        TConfigCom c;
        EXPECT_EQ(v.size(), sizeof c);
        std::memcpy(&c, v.data(), std::min(v.size(), sizeof c));
        return c;
    }
    int Indice(const std::string& voce) {
        const auto& v = F().Controlli.VociCom;
        const auto it = std::find(v.begin(), v.end(), voce);
        return it == v.end() ? -1 : int(it - v.begin());
    }

    StoreScope store;
    platform::TLoopUiThread ui;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni; // the user's settings there too
    TKivModCom com;
};

} // namespace

TEST_F(FinestraTest, MissingFileIsCreatedWithTheDefaultsAndThePortStaysClosed) {
    com.Loaded();
    ASSERT_TRUE(dati.Exists("comconfig.cfg"));
    const TConfigCom c = Letto();
    EXPECT_EQ(c.TipoConnessione, 1);
    EXPECT_EQ(c.ComCavo, 0);
    EXPECT_EQ(c.ComModem, 0);
    EXPECT_EQ(c.StrInit1.Valore(), "ATE0V0");
    EXPECT_EQ(c.StrInit2.Valore(), "AT&D2X0");
    EXPECT_EQ(c.StrInit3.Valore(), "ATH");
    EXPECT_EQ(c.StrDial.Valore(), "ATD");
    EXPECT_FALSE(F().ComPort.Active());
    EXPECT_EQ(F().NumeroPorta(), 0);
    EXPECT_EQ(F().Controlli.TipoConnessione, 0);
    EXPECT_EQ(F().Controlli.VociCom, std::vector<std::string>{"None"});
    EXPECT_EQ(LinkSeriale(), &com);
    EXPECT_TRUE(com.Connesso()); // a cable counts as connected, panel or not
}

TEST_F(FinestraTest, AFileThatCannotBeReadGivesTheDefaultsForThisRunAndIsLeftAsItIs) {
    const auto suo = FileConfig(1, 0, 0, "ATZ");
    dati.Write("comconfig.cfg", suo);
    std::vector<std::string> log;
    platform::CatturaDiagnostica cattura([&](std::string_view l) {
        if (l.find("comconfig.cfg") != std::string_view::npos) log.emplace_back(l);
    });
    {
        platform::FailedReadsForTest guasto(dati.File("comconfig.cfg"), EIO);
        com.Loaded();
        EXPECT_EQ(F().Controlli.StrInit1Modem, "ATE0V0"); // the defaults
        EXPECT_EQ(F().Controlli.TipoConnessione, 0);
        F().FormShow(); // showing the window reads it again
        EXPECT_EQ(dati.Read("comconfig.cfg"), suo);
    }
    ASSERT_EQ(log.size(), 2u); // one line for each reading
    EXPECT_NE(log[0].find("Input/output error"), std::string::npos) << log[0];
    // The user's own "Save" writes it.
    ASSERT_TRUE(F().SalvaConfig());
    EXPECT_EQ(Letto().StrInit1.Valore(), "ATE0V0");
}

TEST_F(FinestraTest, APortThatFailsToOpenIsLoggedAndLeftClosed) {
    ASSERT_TRUE(win32::BindComPort(3, "/dev/null/none"));
    dati.Write("comconfig.cfg", FileConfig(1, 3, 0));
    std::vector<std::string> log;
    platform::CatturaDiagnostica cattura([&](std::string_view l) {
        if (l.find("KivFormModCom") != std::string_view::npos) log.emplace_back(l);
    });
    com.Loaded();
    EXPECT_FALSE(F().ComPort.Active());
    ASSERT_FALSE(log.empty());
    // The line names the device behind the number, which is what the installer must look at.
    EXPECT_NE(log[0].find("opening COM3 (/dev/null/none): "), std::string::npos) << log[0];
}

TEST_F(FinestraTest, APortThatIsNotThereSelectsNoneAndStoresZero) {
    dati.Write("comconfig.cfg", FileConfig(1, 5, 9));
    com.Loaded();
    EXPECT_EQ(F().Controlli.ComViaCavo, 0);
    EXPECT_EQ(F().Controlli.ComViaModem, 0);
    EXPECT_EQ(F().ConfigSalvata().ComCavo, 0);
    EXPECT_EQ(F().ConfigSalvata().ComModem, 0);
    EXPECT_FALSE(F().ComPort.Active());
    EXPECT_EQ(F().ConfigSalvata().StrDial.Valore(), "ATDT"); // the rest as read
}

TEST_F(FinestraTest, AListedPortIsStoredByItsNumberAndOpened) {
    PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(12, pty.SlavePath()));
    ASSERT_TRUE(win32::BindComPort(3, "/dev/null/none"));
    com.Loaded();
    EXPECT_EQ(F().Controlli.VociCom, (std::vector<std::string>{"None", "COM3", "COM12"}));
    F().Controlli.ComViaCavo = Indice("COM12");
    ASSERT_TRUE(F().SalvaConfig());
    EXPECT_EQ(Letto().ComCavo, 12);
    EXPECT_TRUE(F().ComPort.Active());
    EXPECT_EQ(F().NumeroPorta(), 12);

    // Bytes from the line reach the ring through the port's receive event on the UI thread.
    pty.Write("\x05\x06");
    ASSERT_TRUE(ui.RunUntil([&] { return F().ByteNonLetti() == 2; }, 5s));
    EXPECT_EQ(F().LeggiByteRx(), 5);
    EXPECT_EQ(F().LeggiByteRx(), 6);
    EXPECT_EQ(F().LeggiByteRx(), -1);
    F().InviaByte(0x41);
    EXPECT_EQ(pty.Read(1, 2s), std::vector<std::uint8_t>{0x41});

    // "None" closes the port and stores 0.
    F().Controlli.ComViaCavo = 0;
    F().SalvaConfig();
    EXPECT_EQ(Letto().ComCavo, 0);
    EXPECT_FALSE(F().ComPort.Active());
}

TEST_F(FinestraTest, SixteenCharacterStringsSurviveSaveAndLoad) {
    const std::string sedici = "AT&F&C1&D2S0=0X4";
    ASSERT_EQ(sedici.size(), 16u);
    dati.Write("comconfig.cfg", FileConfig(0, 0, 0, sedici));
    com.Loaded();
    EXPECT_EQ(F().Controlli.StrInit1Modem, sedici);
    EXPECT_EQ(F().Controlli.TipoConnessione, 1); // modem
    F().SalvaConfig();
    EXPECT_EQ(Letto().StrInit1.Valore(), sedici);
    F().Controlli.StrInit1Modem = "changed";
    F().CaricaConfig();
    EXPECT_EQ(F().Controlli.StrInit1Modem, sedici);

    // Longer texts are cut to 16 characters when stored.
    F().Controlli.StrDialModem = "ATDT0123456789012345";
    F().SalvaConfig();
    EXPECT_EQ(Letto().StrDial.Valore(), "ATDT012345678901");
}

TEST_F(FinestraTest, AShortOrDamagedFileGivesWhatItHolds) {
    dati.Write("comconfig.cfg", std::vector<std::uint8_t>{0, 0, 0, 40, 'A', 'T'});
    com.Loaded();
    EXPECT_EQ(F().ConfigSalvata().TipoConnessione, 0);
    // A length byte past 16 reads as 16: the field never gives more than it holds.
    EXPECT_EQ(F().Controlli.StrInit1Modem.size(), 16u);
    EXPECT_EQ(F().Controlli.StrInit1Modem.substr(0, 2), "AT");
    EXPECT_EQ(dati.Read("comconfig.cfg").size(), 6u); // reading never rewrites the file
}

TEST_F(FinestraTest, ShowingRebuildsTheChoiceFromThePresentLinkKinds) {
    com.LocaleSerialePresente = false;
    com.StrModem = "Via Modem";
    com.Loaded();
    F().FormShow();
    EXPECT_EQ(F().Controlli.VociTipo, std::vector<std::string>{"Via Modem"});
    EXPECT_FALSE(F().Controlli.ComViaCavoVisibile);
    EXPECT_EQ(F().Controlli.ComViaModemTop, 45);
    EXPECT_EQ(F().Controlli.AltezzaTipo, 50);
    F().Controlli.TipoConnessione = 0;
    F().LeggiDatiForm();
    EXPECT_EQ(F().ConfigSalvata().TipoConnessione, 0); // only the modem can be chosen

    com.LocaleSerialePresente = true;
    com.StrTestModemBtn = "";
    F().FormShow();
    EXPECT_EQ(F().Controlli.VociTipo.size(), 2u);
    EXPECT_EQ(F().Controlli.ComViaModemTop, 75);
    EXPECT_EQ(F().Controlli.AltezzaTipo, 80);
    EXPECT_EQ(F().Controlli.TestModemBtn, "Test Modem"); // an empty text leaves the caption
}

TEST_F(FinestraTest, APortErrorClosesAndReopensThePortWithinAboutASecond) {
    PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(4, pty.SlavePath()));
    auto linee = std::make_shared<FakeLines>();
    win32::RegisterLineDevice(pty.SlavePath(), linee);
    dati.Write("comconfig.cfg", FileConfig(1, 4, 0));
    com.Loaded();
    ASSERT_TRUE(F().ComPort.Active());
    Aperture a;
    F().ComPort.RegisterNotify(TsrNotifyMethod::Of<Aperture, &Aperture::Notify>(&a));

    // The error flag lasts only until the next tick of the reopen timer, which may come in the
    // same pass of the UI thread as the error: the reopen itself is what the test waits for.
    linee->BumpBreaks();
    const auto errore = std::chrono::steady_clock::now();
    ASSERT_TRUE(ui.RunUntil([&] { return a.aperte.load() == 1; }, 3s));
    EXPECT_LT(std::chrono::steady_clock::now() - errore, 1500ms);
    EXPECT_EQ(a.chiuse.load(), 1);
    EXPECT_TRUE(F().ComPort.Active());
    ui.RunUntil([&] { return !F().ErrorePorta.load(); }, 1s);
    EXPECT_FALSE(F().ErrorePorta.load());
    F().ComPort.UnregisterNotify(TsrNotifyMethod::Of<Aperture, &Aperture::Notify>(&a));
    win32::UnregisterLineDevice(pty.SlavePath());
}

TEST_F(FinestraTest, ARemovedDeviceClosesThePortQuietlyUntilTheNextApply) {
    auto pty = std::make_unique<PtyPair>();
    ASSERT_TRUE(win32::BindComPort(6, pty->SlavePath()));
    dati.Write("comconfig.cfg", FileConfig(1, 6, 0));
    com.Loaded();
    ASSERT_TRUE(F().ComPort.Active());

    pty->CloseMaster();
    ASSERT_TRUE(ui.RunUntil([&] { return !F().ComPort.Active(); }, 5s));
    ui.RunFor(1500ms); // the reopen timer ticks meanwhile
    EXPECT_FALSE(F().ErrorePorta.load());
    EXPECT_FALSE(F().ComPort.Active());

    pty = std::make_unique<PtyPair>();
    ASSERT_TRUE(win32::BindComPort(6, pty->SlavePath()));
    F().ApplicaConfig();
    EXPECT_TRUE(F().ComPort.Active());
}

TEST_F(FinestraTest, ConnectReadsTheSettingsFileAgain) {
    com.TimeoutComandDec = 1;
    com.NumTentativi = 1;
    com.Loaded();
    PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(8, pty.SlavePath()));
    F().AggiornaListaCom();
    dati.Write("comconfig.cfg", FileConfig(1, 8, 0));
    EXPECT_EQ(com.Connetti("123", 3), 4); // nobody answers, but the request went to COM8
    EXPECT_EQ(F().NumeroPorta(), 8);
    const auto richiesta = pty.Read(7, 2s);
    EXPECT_EQ(richiesta, (std::vector<std::uint8_t>{3, 2, 1, 1, 0xFC, 3, 3}));
}

TEST_F(FinestraTest, AFailedSaveKeepsThePreviousFile) {
    com.Loaded();
    const auto prima = dati.Read("comconfig.cfg");
    platform::SetWriteFunctionForTest([](int, const void*, std::size_t) -> long {
        errno = ENOSPC;
        return -1;
    });
    F().Controlli.StrDialModem = "ATDP";
    const bool scritto = F().SalvaConfig();
    platform::SetWriteFunctionForTest(nullptr);
    EXPECT_FALSE(scritto);
    EXPECT_EQ(dati.Read("comconfig.cfg"), prima);
    EXPECT_EQ(F().ConfigSalvata().StrDial.Valore(), "ATDP"); // in use all the same
}

// ---- Receive ring ------------------------------------------------------------------------------

TEST_F(FinestraTest, TheRingHoldsAThousandUnreadBytesAndRefusesMore) {
    com.Loaded();
    std::vector<std::uint8_t> mille(1000);
    for (std::size_t i = 0; i < mille.size(); ++i)
        mille[i] = std::uint8_t(i * 7);
    // Around the end of the ring too.
    const std::uint8_t tre[3] = {1, 2, 3};
    F().ScriviByteRx(tre, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(F().LeggiByteRx(), i + 1);

    F().ScriviByteRx(mille.data(), 999);
    EXPECT_EQ(F().ByteNonLetti(), 999u);
    F().ScriviByteRx(mille.data() + 999, 1);
    EXPECT_EQ(F().ByteNonLetti(), 1000u);
    EXPECT_EQ(F().ByteScartati(), 0u);
    F().ScriviByteRx(tre, 3);
    EXPECT_EQ(F().ByteScartati(), 3u);
    for (std::size_t i = 0; i < 1000; ++i)
        ASSERT_EQ(F().LeggiByteRx(), mille[i]) << i;
    EXPECT_EQ(F().LeggiByteRx(), -1);

    F().ScriviByteRx(tre, 3);
    F().SvuotaRx();
    EXPECT_EQ(F().LeggiByteRx(), -1);
}

TEST_F(FinestraTest, AReaderOnAnotherThreadGetsEveryByteInOrder) {
    com.Loaded();
    constexpr int totale = 200000;
    std::atomic<bool> errore{false};
    std::thread lettore([&] {
        int atteso = 0;
        while (atteso < totale) {
            const int b = F().LeggiByteRx();
            if (b < 0) {
                F().AttendiRx(5ms);
                continue;
            }
            if (b != (atteso & 0xFF)) errore = true;
            ++atteso;
        }
    });
    std::uint8_t blocco[97];
    int scritti = 0;
    while (scritti < totale) {
        if (F().ByteNonLetti() > 1000 - sizeof blocco) {
            std::this_thread::yield();
            continue;
        }
        const int n = std::min<int>(sizeof blocco, totale - scritti);
        for (int i = 0; i < n; ++i)
            blocco[i] = std::uint8_t((scritti + i) & 0xFF);
        F().ScriviByteRx(blocco, std::size_t(n));
        scritti += n;
    }
    lettore.join();
    EXPECT_FALSE(errore.load());
    EXPECT_EQ(F().ByteScartati(), 0u);
}

TEST_F(FinestraTest, AReloadAskedFromAnotherThreadRunsOnTheUiThread) {
    com.Loaded();
    dati.Write("comconfig.cfg", FileConfig(0, 0, 0, "ATZ"));
    auto ricarica = std::async(std::launch::async, [&] { return F().CaricaConfig(); });
    ASSERT_TRUE(ui.RunUntil([&] { return ricarica.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_TRUE(ricarica.get());
    // The controls, which only the UI thread touches, show the reloaded file.
    EXPECT_EQ(F().Controlli.StrInit1Modem, "ATZ");
    EXPECT_EQ(F().Controlli.TipoConnessione, 1);
}

TEST_F(FinestraTest, ADeviceChangeRefreshesThePortsDeviceListButNotTheWindowsLists) {
    com.Loaded();
    EXPECT_EQ(F().ComPort.GetDeviceCount(), 0);
    PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(2, pty.SlavePath()));
    win32::TDeviceChangeMessage arrivo(win32::DBT_DEVICEARRIVAL, "COM2");
    F().GestisciMessaggio(arrivo.Message());
    EXPECT_EQ(F().ComPort.GetDeviceCount(), 1);
    EXPECT_EQ(F().Controlli.VociCom, std::vector<std::string>{"None"}); // only the refresh button does that
    F().AggiornaListaCom();
    EXPECT_EQ(F().Controlli.VociCom, (std::vector<std::string>{"None", "COM2"}));
}
