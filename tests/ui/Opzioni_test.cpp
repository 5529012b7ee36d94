// The options window: its settings file read at creation and written whenever it closes (shown or
// not, and never half), the UDP server restarted on the chosen port, the link component it owns
// with the texts it gives it, and the attempts and time-out that follow the connection type.
#include "ProgramWindows.h"

#include "config/GetMessage_11.h"
#include "link/KivModCom.h"
#include "platform/fs/SafeFile.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/Collegamento.h"
#include "ui/Opzioni.h"
#include "ui/ServerUdp.h"
#include "ui/TestModem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cerrno>
#include <functional>

namespace {

class Opzioni : public ProgramWindows {
  protected:
    TConfigPc Scritto() {
        TConfigPc c{};
        const auto v = settings_.Read("config.cfg");
        EXPECT_EQ(v.size(), sizeof c);
        std::memcpy(&c, v.data(), std::min(v.size(), sizeof c));
        return c;
    }
    static void ScriviConfigPc(std::int32_t lingua, std::uint8_t codici, std::int32_t porta) {
        TConfigPc c{};
        c.Lingua = lingua;
        c.CodiciRadioEditabili = codici;
        c.PortaLocaleGprs = porta;
        ASSERT_TRUE(SalvaConfigPc(c));
    }
    // Shows the options window modally; `utente` acts in it. Returns the modal result.
    static int Mostra(const std::function<void(TOpzioniFrm&)>& utente) {
        QTimer guardia; // a window nobody closes fails the test instead of hanging it
        guardia.setSingleShot(true);
        QObject::connect(&guardia, &QTimer::timeout, [] {
            ADD_FAILURE() << "the options window was never closed";
            QApplication::activeModalWidget()->close();
        });
        guardia.start(20000);
        QTimer::singleShot(0, OpzioniFrm, [utente] { utente(*OpzioniFrm); });
        return OpzioniFrm->Mostra();
    }
    // The link settings window that the next modal showing opens: `utente` acts in it, then it is
    // closed with its close button.
    static void NellaFinestraLink(const std::function<void(QDialog&)>& utente) {
        QTimer::singleShot(0, [utente] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d || d->objectName() != "KivModComFrm") {
                ADD_FAILURE() << "the link settings window is not showing";
                return;
            }
            utente(*d);
            d->findChild<QPushButton*>("EsciBtn")->click();
        });
    }
    static int Tentativi() { return OpzioniFrm->KivModCom1->NumTentativi; }
    static int Timeout() { return OpzioniFrm->KivModCom1->TimeoutComandDec; }
};

long ScritturaFallita(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}

} // namespace

TEST_F(Opzioni, DesignAndTheTextsItGivesTheLinkComponent) {
    ScriviConfigPc(1, 0, 4000);
    CreaFinestre();
    TOpzioniFrm& o = *OpzioniFrm;
    EXPECT_EQ(o.size(), QSize(450, 407));
    EXPECT_EQ(o.minimumSize(), o.maximumSize()) << "fixed size";
    EXPECT_TRUE(o.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(o.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(o.windowTitle(), "Options");
    EXPECT_EQ(o.VersioneLabel->text(), "Version 1.11c");
    EXPECT_EQ(o.SetupComBtn->text(), "Serial port");
    QStringList lingue;
    for (int i = 0; i < o.LinguaCb->count(); ++i)
        lingue << o.LinguaCb->itemText(i);
    EXPECT_EQ(lingue, (QStringList{"Italian", "English", "French", "Spanish"}));
    EXPECT_EQ(o.EditPortaLocaleGprs->MinValue(), 1);
    EXPECT_EQ(o.EditPortaLocaleGprs->MaxValue(), 65535);
    EXPECT_EQ(o.EditPortaLocaleGprs->findChild<QLineEdit*>()->maxLength(), 5);

    // The one link component of the program, built with the window.
    TKivModCom& k = *o.KivModCom1;
    ASSERT_NE(k.FormModCom(), nullptr);
    EXPECT_EQ(LinkSeriale(), &k);
    EXPECT_EQ(k.StrTitolo, "Communication setup");
    EXPECT_EQ(k.StrViaCavo, "Cable");
    EXPECT_EQ(k.StrModemDialStr, "Modem dial string");
    EXPECT_EQ(k.StrTestSegnaleModemBtn, "Modem signal test");
    EXPECT_EQ(k.StrSegnaleModem, "Modem signal");
    EXPECT_EQ(k.StrEsciBtn, "E&xit");
    EXPECT_EQ(k.StrNoNetwork, "No Network") << "the one text the window leaves alone";
    // ... and its settings window shows them.
    Mostra([](TOpzioniFrm& o) {
        NellaFinestraLink([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Communication setup");
            EXPECT_EQ(d.findChild<platform::gui::TRadioGroup*>("TipoConnessione")->Items(),
                      (std::vector<std::string>{"Cable", "Modem"}));
        });
        o.SetupComBtn->click();
        o.ButtonOK->click();
    });
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every key is in the shipped table";

    DistruggiFinestre();
    EXPECT_EQ(LinkSeriale(), nullptr) << "the link goes with the window";
}

TEST_F(Opzioni, CreationLoadsTheSettingsOpensTheLinkAndRestartsTheUdpServer) {
    serial_test::PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(4, pty.SlavePath()));
    ScriviComConfig(ConnessioneCavo, 4);
    ScriviConfigPc(2, 1, 4321);
    CreaFinestre();
    TOpzioniFrm& o = *OpzioniFrm;
    EXPECT_EQ(o.LinguaCb->currentIndex(), 2);
    EXPECT_TRUE(o.EditCodiciRadioEditabili->isChecked());
    EXPECT_EQ(o.EditPortaLocaleGprs->Value(), 4321);
    EXPECT_EQ(ServerUdpFrm->PortaServer(), 4321);
    EXPECT_EQ(ServerUdpFrm->Riavvii(), 1);
    EXPECT_TRUE(o.KivModCom1->FormModCom()->ComPort.Active()) << "the cable's port opens at start-up";
    EXPECT_EQ(Tentativi(), 10);
    EXPECT_EQ(Timeout(), 10);
    DistruggiFinestre();

    ScriviComConfig(ConnessioneModem);
    CreaFinestre();
    EXPECT_EQ(Tentativi(), 3);
    EXPECT_EQ(Timeout(), 50);
}

TEST_F(Opzioni, EnglishAndOkWritesTheLanguageAndTheTitleBarCloseSavesToo) {
    CreaFinestre();
    EXPECT_EQ(Mostra([](TOpzioniFrm& o) {
                  o.LinguaCb->setCurrentIndex(1);
                  o.ButtonOK->click();
              }),
              QDialog::Accepted);
    EXPECT_EQ(Scritto().Lingua, 1);
    EXPECT_EQ(ConfigPc.Lingua, 1);
    EXPECT_FALSE(OpzioniFrm->isVisible());

    // Shown again, in English; closed from its title bar.
    Mostra([](TOpzioniFrm& o) {
        EXPECT_EQ(o.windowTitle(), "Options");
        EXPECT_EQ(o.LinguaCb->currentIndex(), 1);
        o.EditCodiciRadioEditabili->setChecked(true);
        o.close();
    });
    EXPECT_EQ(Scritto().CodiciRadioEditabili, 1);
    EXPECT_EQ(Scritto().Lingua, 1);
    // Both settings files are the user's: nothing is written beside the program.
    EXPECT_TRUE(settings_.Exists("comconfig.cfg"));
    EXPECT_FALSE(folder_.Exists("config.cfg"));
    EXPECT_FALSE(folder_.Exists("comconfig.cfg"));
}

TEST_F(Opzioni, AFirstRunStartsFromTheDistributorsSettingsBesideTheProgram) {
    folder_.Write("comconfig.cfg",
                  testing_support::FileConfigCom(testing_support::ConfigCom(ConnessioneModem)));
    folder_.Write("config.cfg", std::vector<std::uint8_t>{2, 0, 0, 0, 1, 0, 0, 0, 0x88, 0x13, 0, 0});
    const auto distributore = folder_.Read("comconfig.cfg");
    CreaFinestre();
    EXPECT_EQ(ConfigPc.Lingua, 2);
    EXPECT_EQ(ServerUdpFrm->PortaServer(), 5000);
    EXPECT_EQ(Tentativi(), 3) << "a modem link, as the distributor set it";
    EXPECT_FALSE(settings_.Exists("comconfig.cfg")) << "read, not copied";

    Mostra([](TOpzioniFrm& o) {
        NellaFinestraLink([](QDialog& d) {
            d.findChild<platform::gui::TRadioGroup*>("TipoConnessione")->SetItemIndex(0);
            d.findChild<QPushButton*>("SaveBtn")->click();
        });
        o.SetupComBtn->click();
        o.ButtonOK->click();
    });
    EXPECT_EQ(settings_.Read("comconfig.cfg")[0], ConnessioneCavo);
    EXPECT_EQ(Scritto().Lingua, 2);
    EXPECT_EQ(folder_.Read("comconfig.cfg"), distributore);
}

TEST_F(Opzioni, ThePortTakesEffectAtOnceAndStaysWithinItsRange) {
    CreaFinestre();
    const int riavvii = ServerUdpFrm->Riavvii();
    Mostra([](TOpzioniFrm& o) {
        o.EditPortaLocaleGprs->SetValue(5000);
        o.ButtonOK->click();
    });
    EXPECT_EQ(ServerUdpFrm->PortaServer(), 5000);
    EXPECT_EQ(ServerUdpFrm->Riavvii(), riavvii + 1);
    EXPECT_EQ(Scritto().PortaLocaleGprs, 5000);

    // Typed and confirmed with Enter, never leaving the field.
    for (auto [digitato, porta] : {std::pair{"99999", 65535}, {"0", 1}, {"", 1}}) {
        Mostra([t = digitato](TOpzioniFrm& o) {
            o.EditPortaLocaleGprs->SetText(t);
            o.ButtonOK->click();
        });
        EXPECT_EQ(Scritto().PortaLocaleGprs, porta) << digitato;
        EXPECT_EQ(ServerUdpFrm->PortaServer(), porta) << digitato;
    }
}

TEST_F(Opzioni, TheConnectionTypeChosenInTheLinkSetupSetsAttemptsAndTimeOut) {
    CreaFinestre();
    ASSERT_EQ(Tentativi(), 10);
    Mostra([](TOpzioniFrm& o) {
        o.LinguaCb->setCurrentIndex(3);
        NellaFinestraLink(
            [](QDialog& d) { d.findChild<platform::gui::TRadioGroup*>("TipoConnessione")->SetItemIndex(1); });
        o.SetupComBtn->click();
        EXPECT_EQ(Tentativi(), 3);
        EXPECT_EQ(Timeout(), 50);
        EXPECT_EQ(o.LinguaCb->currentIndex(), 3) << "a choice not yet saved survives the link setup";

        NellaFinestraLink(
            [](QDialog& d) { d.findChild<platform::gui::TRadioGroup*>("TipoConnessione")->SetItemIndex(0); });
        o.SetupComBtn->click();
        EXPECT_EQ(Tentativi(), 10);
        EXPECT_EQ(Timeout(), 10);
        o.ButtonOK->click();
    });
    EXPECT_EQ(Scritto().Lingua, 3);
}

TEST_F(Opzioni, ClosingTheMainWindowSavesTheControlsOfTheNeverShownWindow) {
    ScriviConfigPc(0, 0, 4000);
    CreaFinestre();
    MostraMainFrm();
    TOpzioniFrm& o = *OpzioniFrm;
    o.LinguaCb->setCurrentIndex(2);
    o.EditCodiciRadioEditabili->setChecked(true);
    o.EditPortaLocaleGprs->SetValue(6000);
    ASSERT_FALSE(o.isVisible());

    MainFrm->close();

    const TConfigPc c = Scritto();
    EXPECT_EQ(c.Lingua, 2);
    EXPECT_EQ(c.CodiciRadioEditabili, 1);
    EXPECT_EQ(c.PortaLocaleGprs, 6000);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 6000);
    EXPECT_EQ(ServerUdpFrm->PortaServer(), 6000);
}

TEST_F(Opzioni, AFailedWriteKeepsTheOldFileAndTheSettingsInUse) {
    ScriviConfigPc(0, 0, 4100);
    const auto prima = settings_.Read("config.cfg");
    CreaFinestre();
    MostraMainFrm();
    OpzioniFrm->LinguaCb->setCurrentIndex(1);
    OpzioniFrm->EditPortaLocaleGprs->SetValue(5000);

    platform::SetWriteFunctionForTest(&ScritturaFallita);
    MainFrm->close();
    platform::SetWriteFunctionForTest(nullptr);

    EXPECT_EQ(settings_.Read("config.cfg"), prima);
    // The user is told, in the program's language, and which file it was.
    const auto messaggi = dialogs_.Messages();
    ASSERT_EQ(messaggi.size(), 1u);
    EXPECT_EQ(messaggi[0].Kind, platform::gui::MsgKind::Error);
    EXPECT_EQ(messaggi[0].Text.rfind("Impossibile scrivere il file di destinazione\n", 0), 0u)
        << messaggi[0].Text;
    EXPECT_NE(messaggi[0].Text.find(settings_.File("config.cfg")), std::string::npos) << messaggi[0].Text;
    EXPECT_EQ(ConfigPc.Lingua, 0);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4100);
    EXPECT_EQ(ServerUdpFrm->PortaServer(), 4100) << "the server goes on with the port it had";
    EXPECT_EQ(ServerUdpFrm->Riavvii(), 2);
}

TEST_F(Opzioni, ShowingAndDefaultsPutTheSettingsIntoTheControls) {
    ScriviConfigPc(2, 1, 6000);
    CreaFinestre();
    TOpzioniFrm& o = *OpzioniFrm;
    o.LinguaCb->setCurrentIndex(0);
    o.EditPortaLocaleGprs->SetValue(7000);
    Mostra([](TOpzioniFrm& o) {
        // Unsaved changes of the hidden window are gone: it shows the settings in use.
        EXPECT_EQ(o.LinguaCb->currentIndex(), 2);
        EXPECT_EQ(o.EditPortaLocaleGprs->Value(), 6000);
        const QRect schermo = o.screen()->availableGeometry();
        EXPECT_LE((o.frameGeometry().center() - schermo.center()).manhattanLength(), 2) << "centred";

        o.ButtonDefaultClick();
        EXPECT_EQ(o.LinguaCb->currentIndex(), 0);
        EXPECT_FALSE(o.EditCodiciRadioEditabili->isChecked());
        EXPECT_EQ(o.EditPortaLocaleGprs->Value(), 4000);
        o.ButtonOK->click();
    });
    EXPECT_EQ(Scritto().PortaLocaleGprs, 4000);

    // The signal test: the program's own window, modal, on the link component.
    bool mostrata = false;
    QTimer::singleShot(0, [&] {
        mostrata = QApplication::activeModalWidget() == TestModemFrm;
        EXPECT_EQ(TestModemFrm->ModCom, o.KivModCom1.get());
        EXPECT_NE(TestModemFrm->Test(), nullptr) << "it asks the link's modem";
        TestModemFrm->ExitBtn->click();
    });
    o.TestSegnaleModemBtnClick();
    EXPECT_TRUE(mostrata);
}

TEST_F(Opzioni, TheOptionsMenuShowsTheWindowAndTranslatesTheMainWindowAgain) {
    ScriviConfigPc(0, 0, 4000);
    CreaFinestre();
    MostraMainFrm();
    const QString italiano = MainFrm->MiOpzioni->text();
    QTimer::singleShot(0, OpzioniFrm, [] {
        EXPECT_TRUE(OpzioniFrm->isVisible());
        OpzioniFrm->LinguaCb->setCurrentIndex(1);
        OpzioniFrm->ButtonOK->click();
    });
    MainFrm->MiOpzioni->trigger();
    EXPECT_EQ(ConfigPc.Lingua, 1);
    EXPECT_NE(MainFrm->MiOpzioni->text(), italiano);
    EXPECT_EQ(MainFrm->MiOpzioni->text(), "Options");
    EXPECT_FALSE(MainFrm->MIAttivaConnessioneModem->isVisible()); // still a cable link
    MainFrm->close();
}
