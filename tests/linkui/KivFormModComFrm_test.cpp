// The link settings dialog: its controls show the window's state, the buttons act on it, the
// edits keep a stored 16-character string, and closing applies the choice on screen.
#include "link/ConfigComProva.h"
#include "link/KivCanaleFinto.h"
#include "link/KivFormModComFrm.h"
#include "link/KivModCom.h"
#include "serial/SerialTestSupport.h"
#include "support/Attesa.h"
#include "support/ScriptedDialogs.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include "platform/gui/qt/QtUiThread.h"
#include "platform/gui/qt/TRadioGroup.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

class DialogoTest : public ::testing::Test {
  protected:
    DialogoTest() : cartella(dati.Path()), impostazioni(dati.Path()) {
        com.OpzioniFinestra = testing_support::OpzioniSenzaAttese();
    }
    template <class W> W* Figlio(QWidget& d, const char* nome) {
        W* w = d.findChild<W*>(nome);
        EXPECT_NE(w, nullptr) << nome;
        return w;
    }
    TConfigCom Letto() {
        const auto v = dati.Read("comconfig.cfg");
        TConfigCom c;
        std::memcpy(&c, v.data(), std::min(v.size(), sizeof c));
        return c;
    }

    serial_test::StoreScope store;
    platform::gui::QtUiThread ui;
    testing_support::ScriptedDialogs dialoghi;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni; // the user's settings there too
    TKivModCom com;
};

} // namespace

TEST_F(DialogoTest, ShowingFillsTheControlsAndSaveStoresTheChoice) {
    serial_test::PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(12, pty.SlavePath()));
    com.StrTitolo = "Porta seriale";
    com.Loaded();
    TKivModComDialogo d(*com.FormModCom());
    d.show();
    EXPECT_EQ(d.windowTitle(), "Porta seriale");
    EXPECT_EQ(d.size(), QSize(500, 400));
    auto* tipo = Figlio<platform::gui::TRadioGroup>(d, "TipoConnessione");
    auto* cavo = Figlio<QComboBox>(d, "ComViaCavo");
    ASSERT_TRUE(tipo && cavo);
    EXPECT_EQ(tipo->Items(), (std::vector<std::string>{"Via Cavo", "Modem"}));
    EXPECT_EQ(tipo->ItemIndex(), 0);
    ASSERT_EQ(cavo->count(), 2);
    EXPECT_EQ(cavo->itemText(0), "None");
    EXPECT_EQ(cavo->itemText(1), "COM12");
    EXPECT_FALSE(Figlio<QPushButton>(d, "TestModemBtn")->isVisible()); // cable: no modem test

    cavo->setCurrentIndex(1);
    Figlio<QLineEdit>(d, "StrDialModem")->setText("ATDP");
    d.SaveBtnClick();
    EXPECT_EQ(Letto().ComCavo, 12);
    EXPECT_EQ(Letto().StrDial.Valore(), "ATDP");
    EXPECT_TRUE(com.FormModCom()->ComPort.Active());

    // Modem chosen on screen: the test buttons appear once saved.
    tipo->SetItemIndex(1);
    d.SaveBtnClick();
    EXPECT_EQ(Letto().TipoConnessione, 0);
    EXPECT_TRUE(Figlio<QPushButton>(d, "TestModemBtn")->isVisible());
    EXPECT_FALSE(com.FormModCom()->ComPort.Active()); // no modem port chosen
    d.close();
}

TEST_F(DialogoTest, EditsTakeFifteenCharactersButKeepAStoredSixteen) {
    com.Loaded();
    TConfigCom c = com.FormModCom()->ConfigSalvata();
    c.StrInit2.Imposta("ATS0=1S7=60&K0X4");
    std::vector<std::uint8_t> v(sizeof c);
    std::memcpy(v.data(), &c, sizeof c);
    dati.Write("comconfig.cfg", v);
    TKivModComDialogo d(*com.FormModCom());
    d.show();
    auto* e = Figlio<QLineEdit>(d, "StrInit2Modem");
    EXPECT_EQ(e->text(), "ATS0=1S7=60&K0X4");
    d.SaveBtnClick();
    EXPECT_EQ(Letto().StrInit2.Valore(), "ATS0=1S7=60&K0X4");
    auto* altro = Figlio<QLineEdit>(d, "StrInit3Modem");
    EXPECT_EQ(altro->maxLength(), 15);
    d.close();
}

TEST_F(DialogoTest, DefaultsAreShownNotSavedAndClosingAppliesTheScreen) {
    serial_test::PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(3, pty.SlavePath()));
    com.Loaded();
    TKivModComDialogo d(*com.FormModCom());
    d.show();
    Figlio<QLineEdit>(d, "StrInit1Modem")->setText("ATZ");
    d.SaveBtnClick();
    d.DefaultDataBtnClick();
    EXPECT_EQ(Figlio<QLineEdit>(d, "StrInit1Modem")->text(), "ATE0V0");
    EXPECT_EQ(Letto().StrInit1.Valore(), "ATZ");

    Figlio<QComboBox>(d, "ComViaCavo")->setCurrentIndex(1);
    d.SaveBtnClick();
    EXPECT_TRUE(com.FormModCom()->ComPort.Active());
    // An unsaved choice of the modem (no modem port stored) is applied on closing.
    Figlio<platform::gui::TRadioGroup>(d, "TipoConnessione")->SetItemIndex(1);
    d.close();
    EXPECT_FALSE(com.FormModCom()->ComPort.Active());
    EXPECT_EQ(Letto().TipoConnessione, 1);
    EXPECT_EQ(Letto().ComCavo, 3);
}

TEST_F(DialogoTest, ModemTestReportsTheOutcome) {
    com.OpzioniFinestra.Orologio = &testing_support::OrologioFinto;
    com.OpzioniFinestra.PauseSgancio = {20ms, 20ms, 20ms};
    com.Loaded();
    TKivModComDialogo d(*com.FormModCom());
    d.LimiteProvaModem = 300ms;
    d.show();
    Figlio<platform::gui::TRadioGroup>(d, "TipoConnessione")->SetItemIndex(1);
    d.TestModemBtnClick(); // no modem port: never ready
    ASSERT_EQ(dialoghi.Messages().size(), 1u);
    EXPECT_EQ(dialoghi.Messages()[0].Kind, platform::gui::MsgKind::Error);
    EXPECT_EQ(dialoghi.Messages()[0].Text, "Modem NON OK.");

    testing_support::Simulatore sim(9, {"--modem", "--modem-guard-ms", "0"});
    ASSERT_TRUE(sim.Pronto());
    d.RefreshComClick();
    auto* modem = Figlio<QComboBox>(d, "ComViaModem");
    modem->setCurrentIndex(modem->findText("COM9"));
    d.LimiteProvaModem = 10s;
    TKivModem& modemLinea = com.FormModCom()->Modem();
    auto orologio = std::async(std::launch::async, [&] {
        testing_support::AttendiFinche([&] { return modemLinea.Stato.load() == TKivModem::StatoAttesa; });
        testing_support::AvanzaOrologio(3100ms); // the settle time before the hang-up
    });
    d.TestModemBtnClick();
    ASSERT_EQ(dialoghi.Messages().size(), 2u);
    EXPECT_EQ(dialoghi.Messages()[1].Kind, platform::gui::MsgKind::Information);
    EXPECT_EQ(dialoghi.Messages()[1].Text, "Modem OK.");
    d.close();
}

TEST_F(DialogoTest, SetupShowsTheInstalledWindow) {
    com.Loaded();
    EXPECT_FALSE(com.Setup()); // nothing installed: nothing shown
    bool mostrata = false;
    com.MostraFinestra = [&](TKivModComFrm& f) {
        mostrata = &f == com.FormModCom();
        return false;
    };
    EXPECT_FALSE(com.Setup());
    EXPECT_TRUE(mostrata);
    InstallaFinestraModCom(com);
    EXPECT_TRUE(static_cast<bool>(com.MostraFinestra));
}
