// The image into the main window's controls and back: every field a control shows comes back as it
// was, the rules by which one option shows or hides others, the radio pages, and the values a
// control cannot show, which stay in the image instead of being replaced.
#include "ProgramWindows.h"

#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TShape.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/gui/qt/TUpDown.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/LegameImmagine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Offsets that differ, the panel clock left out (every read sets it to the PC's time).
std::vector<std::size_t> Differenze(const TConfigCentrale& a, const TConfigCentrale& b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    std::vector<std::size_t> d;
    for (std::size_t i = 0; i < sizeof a; ++i) {
        const bool orologio = i >= offsetof(TConfigCentrale, DataOraOrologio) && i < 288;
        if (!orologio && pa[i] != pb[i]) d.push_back(i);
    }
    return d;
}

class Immagine : public ProgramWindows {
  protected:
    Immagine() {
        static_assert(sizeof(TConfigCentrale) == 4864);
        folder_.Write("operatorigsm.csv", std::string("TIM;Italia;22201\r\nVodafone;Italia;22210\r\n"
                                                      "WindTre;Italia;22288\r\n"));
        CreaFinestre();
        MostraMainFrm();
        ConfigDefault(ConfigCentrale);
    }
    ~Immagine() override { ConfigCentrale = salvata_; }

    static void Giro() {
        MainFrm->AggiornaFormDaConfig();
        MainFrm->AggiornaConfigDaForm();
    }
    // The radio page grows with the window, as when the user resizes it.
    static void RighePerPagina(int n) {
        MainFrm->PageControl->setCurrentWidget(MainFrm->SheetConfigurazioneZoneRadio);
        const QWidget* vista = MainFrm->ScrollBoxSensoriRadio->viewport();
        MainFrm->resize(MainFrm->width(), MainFrm->height() + 50 + 106 * n + 20 - vista->height());
        ASSERT_EQ(MainFrm->ZoneRadioPerPagina(), n);
    }
    static void Pagina(int p) {
        while (MainFrm->PaginaRadio() < p)
            MainFrm->SelezPaginaRadio->Step(platform::gui::TUpDown::Direction::Up);
        ASSERT_EQ(MainFrm->PaginaRadio(), p);
    }

  private:
    TConfigCentrale salvata_ = ConfigCentrale;
};

TEST_F(Immagine, ADefaultImageComesBackButForWhatItsControlsCannotHold) {
    const TConfigCentrale prima = ConfigCentrale;
    Giro();
    EXPECT_EQ(MainFrm->SetTempoSirenaSec->Value(), 10);
    TConfigCentrale atteso = prima;
    // Masked fields that keep their literals read back their unfilled positions as blanks.
    atteso.DataInstallazionePc.Scrivi("  /  /  ");
    atteso.DataUltimaModificaPc.Scrivi("  /  /  ");
    atteso.NumTelefonoCentrale.Scrivi(std::string(15, ' '));
    atteso.CodiceCentraleSms.Scrivi("    ");
    // The address masks keep their dots, and only the blanks around them are trimmed.
    atteso.IndirizzoIPServer1.Scrivi(".   .   .");
    atteso.IndirizzoIPServer2.Scrivi(".   .   .");
    // The spins hold their ranges: 0 shows, and is stored as, their minimum.
    atteso.TempoSuoneriaEsterniSec = atteso.TempoSirenaSec = 10;
    atteso.NumeroChiamateVoce = atteso.NumeroRing = 1;
    // A peripheral's slot is always in use.
    for (int k = 0; k < NumBidirezionali; ++k)
        atteso.Zone[PrimoBidirezionale + k].Attiva = 1;
    EXPECT_EQ(Differenze(ConfigCentrale, atteso), std::vector<std::size_t>{});
    EXPECT_NEAR(ConfigCentrale.DataOraOrologio, platform::NowDateTime(), 1.0 / 1440);
}

TEST_F(Immagine, EveryFieldWithAControlComesBackAsItWas) {
    Giro();
    const TConfigCentrale base = ConfigCentrale;
    using Modifica = std::function<void(TConfigCentrale&)>;
    std::vector<std::pair<std::string, Modifica>> casi;
    auto byte = [](auto& Record, int b) -> std::uint8_t& {
        return reinterpret_cast<std::uint8_t*>(&Record)[b];
    };
    // The option bytes one at a time, each turned to its other value (the GPRS servers below).
    for (auto [da, a] : {std::pair{304, 316}, {318, 321}, {326, 329}, {4488, 4489}, {4492, 4495}})
        for (int b = da; b <= a; ++b)
            casi.emplace_back("option byte " + std::to_string(b),
                              [=](TConfigCentrale& c) { byte(c, b) ^= 1; });
    casi.emplace_back("GPRS servers",
                      [](TConfigCentrale& c) { c.InvioGprs = c.AbilServerGprs1 = c.AbilServerGprs2 = 1; });
    casi.emplace_back("lists and numbers", [](TConfigCentrale& c) {
        c.LivelloAntiAccecamento = 4, c.LinguaCentrale = 3, c.TipoTempoSupervisione = 5;
        c.AssociazioneReleAux1 = 7, c.AssociazioneReleAux2 = 26, c.AssociazioneReleAux3 = 13;
        c.TempoUscitaSec = 99, c.TempoIngressoSec = 45, c.TempoPreallarmeSec = 7, c.TempoSirenaSec = 240;
        c.TempoSuoneriaEsterniSec = 120, c.MinutiPermanenzaAr = 1, c.NumeroChiamateVoce = 9, c.NumeroRing = 3;
        c.CodiceTxRadio = 999, c.GiorniScadenzaSim = 365, c.PortaServer1 = 65535, c.PortaServer2 = 1024;
        c.GiorniLifeTest = 98, c.OraLifeTest = 23, c.MinLifeTest = 59;
    });
    for (char t : {'T', 'S', 'F'})
        casi.emplace_back(std::string("credit ") + t,
                          [t](TConfigCentrale& c) { c.TipoRichiestaCredito = t; });
    casi.emplace_back("texts", [](TConfigCentrale& c) {
        c.CodiceCentrale = 4711;
        const std::pair<immagine::TStringaLegata, const char*> testi[] = {
            {c.DataInstallazionePc, "01/02/24"},
            {c.DataUltimaModificaPc, "03/04/25"},
            {c.CommentiPc, "In cantina\r\nchiave al custode"},
            {c.NumTelefonoCentrale, "012345678901234"},
            {c.CodiceCentraleSms, "1234"},
            {c.NumTelefonoCredito, "4040"},
            {c.TestoSmsCredito, "SALDO"},
            {c.NumTelefonoOperatore_NU, "+39 333"},
            {c.TestoFissoSms, "Casa Rossi"},
            {c.CodeOperatoreManuale, "22210"},
            {c.CidRcvr1, "R1"},
            {c.CidRcvr2, "R22"},
            {c.CidPrefAccount1, "P1"},
            {c.CidPrefAccount2, "P22"},
            {c.CidAccount1, "1234567890123456"},
            {c.CidAccount2, "A2"},
            {c.TelVigilanza1, "0612345,678"},
            {c.TelVigilanza2, "02"},
            {c.APN, "internet.example.it"},
            {c.APNUsername, "utente"},
            {c.APNPassword, "segreta"},
            {c.IndirizzoIPServer1, "192.168.001.010"},
            {c.IndirizzoIPServer2, "010.000.000.001"},
            {c.DescrizioneMessaggio[0], "Allarme"},
            {c.DescrizioneMessaggio[4], "Panico"}};
        for (const auto& [campo, testo] : testi)
            campo.Scrivi(campo.Campo, testo);
    });
    // Zone flags (bytes 2..10 but the sensor type; wired lines have no single contact or chime),
    // on the first and last row of the radio page and two wired lines.
    for (int s : {0, MainFrm->ZoneRadioPerPagina() - 1, PrimaZonaFilo, PrimaZonaFilo + 7}) {
        for (int b : {2, 3, 5, 6, 7, 8, 9, 10})
            if (s < PrimaZonaFilo || (b != 3 && b != 6))
                casi.emplace_back("zone " + std::to_string(s) + " byte " + std::to_string(b),
                                  [=](TConfigCentrale& c) { byte(c.Zone[s], b) = 1; });
        for (std::uint8_t tipo : {1, 2})
            casi.emplace_back("zone " + std::to_string(s) + " type " + std::to_string(tipo),
                              [=](TConfigCentrale& c) {
                                  c.Zone[s].Attiva = c.Zone[s].Ritardata = 1;
                                  c.Zone[s].TipoSensore = tipo;
                                  c.Zone[s].Descrizione.Scrivi("Ingresso " + std::to_string(s));
                              });
    }
    casi.emplace_back("ninth line", [](TConfigCentrale& c) {
        c.Zone[68].Attiva = c.Zone[68].TipoSensore = 1;
        c.Zone[68].Descrizione.Scrivi("Linea 9");
    });
    for (int k : {0, 15})
        casi.emplace_back("keypad and peripheral " + std::to_string(k), [k](TConfigCentrale& c) {
            c.Inseritori[k].Descrizione.Scrivi("Tastiera " + std::to_string(k));
            c.Inseritori[k].TxAbilInvioSegnalazioni = 1;
            c.Zone[PrimoBidirezionale + k].Descrizione.Scrivi("Sirena " + std::to_string(k));
        });
    // Number 4 stays hidden: its settings are read all the same.
    for (int n : {0, 3, 7})
        for (int b = 0; b < 10; ++b)
            casi.emplace_back("number " + std::to_string(n) + " byte " + std::to_string(b),
                              [=](TConfigCentrale& c) {
                                  byte(c.NumTel[n], b) = 1;
                                  c.NumTel[n].NumeroTelefono.Scrivi("06123456" + std::to_string(n));
                              });

    for (const auto& [nome, modifica] : casi) {
        SCOPED_TRACE(nome);
        ConfigCentrale = base;
        modifica(ConfigCentrale);
        const TConfigCentrale atteso = ConfigCentrale;
        MainFrm->AggiornaFormDaConfig();
        // What reaches the image must come from the controls alone.
        ConfigCentrale = base;
        MainFrm->AggiornaConfigDaForm();
        EXPECT_EQ(Differenze(ConfigCentrale, atteso), std::vector<std::size_t>{});
    }
}

TEST_F(Immagine, SpinsShowTheirRangeAndANumberTypedPastItIsStoredAsTheFieldWillHoldIt) {
    Giro();
    for (auto* s : {MainFrm->SetTempoSuoneriaEsterniSec, MainFrm->SetTempoSirenaSec})
        EXPECT_EQ(s->Value(), 10);
    for (auto* s : {MainFrm->SetNumeroChiamateVoce, MainFrm->SetNumeroRing})
        EXPECT_EQ(s->Value(), 1);
    // Typed, and read before the field is left: stored as typed while the image's field holds
    // it; 300 in a byte would otherwise be stored as 44.
    MainFrm->SetTempoSirenaSec->SetText("250");
    MainFrm->SetTempoUscitaSec->SetText("300");
    MainFrm->SetGiorniScadenzaSim->SetText("70000");
    MainFrm->SetMinLifeTestEdit->SetText("");
    MainFrm->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.TempoSirenaSec, 250);
    EXPECT_EQ(ConfigCentrale.TempoUscitaSec, 99);
    EXPECT_EQ(ConfigCentrale.GiorniScadenzaSim, 999);
    EXPECT_EQ(ConfigCentrale.MinLifeTest, 0);
}

TEST_F(Immagine, OptionsShowWhatDependsOnThemAndGprsOffTurnsTheServersOff) {
    auto* f = MainFrm;
    ConfigCentrale.TipoRichiestaCredito = 'X';
    ConfigCentrale.NumTel[2].AbilNumTelSms = 1;
    ConfigCentrale.AbilContactId = 1;
    ConfigCentrale.AbilServerGprs1 = ConfigCentrale.AbilServerGprs2 = 1;
    f->AggiornaFormDaConfig();
    // The rule tests the stored character, not the item it shows.
    EXPECT_EQ(f->SetTipoRichiestaCredito->ItemIndex(), 0);
    for (QWidget* w : std::initializer_list<QWidget*>{f->SetNumTelefonoCredito, f->SetNumTelefonoCreditoLabel,
                                                      f->SetInvioSmsCreditoConEiv})
        EXPECT_FALSE(w->isHidden());
    EXPECT_TRUE(f->SetTestoSmsCredito->isHidden());
    EXPECT_TRUE(f->SetCodeOperatoreManualeEdit->isHidden());
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(f->FrameNumTel[n]->isHidden(), n != 2) << n;
    EXPECT_FALSE(f->PanelContactId->isHidden());
    EXPECT_EQ(ConfigCentrale.AbilServerGprs1 + ConfigCentrale.AbilServerGprs2, 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{f->PanelGprsGen, f->SetAbilServerGprs1Edit, f->PanelGprs1,
                                         f->SetAbilServerGprs2Edit, f->PanelGprs2})
        EXPECT_TRUE(w->isHidden());

    f->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.TipoRichiestaCredito, 'C');
    ConfigCentrale.FlagSelezOperatoreManuale = 1;
    ConfigCentrale.InvioGprs = ConfigCentrale.AbilServerGprs1 = 1;
    f->AggiornaFormDaConfig();
    EXPECT_TRUE(f->SetNumTelefonoCredito->isHidden());
    EXPECT_FALSE(f->SetCodeOperatoreManualeEdit->isHidden());
    EXPECT_FALSE(f->PanelGprs1->isHidden());
    EXPECT_TRUE(f->PanelGprs2->isHidden());
    EXPECT_FALSE(f->SetAbilServerGprs2Edit->isHidden());
    ConfigCentrale.TipoRichiestaCredito = 'S';
    f->AggiornaFormDaConfig();
    EXPECT_FALSE(f->SetTestoSmsCredito->isHidden());
}

TEST_F(Immagine, ZoneRowsFollowTheirTypeAndShowTheBellOfAZoneStoredWithBoth) {
    righe::TRigaZona* righe[] = {MainFrm->FrameSensFilo[0], MainFrm->FrameSensRadio[0]};
    for (int s : {60, 0}) {
        TConfigZona& z = ConfigCentrale.Zone[s];
        z.TecnologicoZona = z.Attiva = z.Ritardata = z.SirenaPerTecnoOExt = 1;
    }
    MainFrm->AggiornaFormDaConfig();
    for (int s : {60, 0})
        ConfigCentrale.Zone[s].SuoneriaPerTecnoOExt = 1;
    MainFrm->AggiornaFormDaConfig();
    for (righe::TRigaZona* r : righe) {
        EXPECT_TRUE(r->AlertZonaAbilitato->isHidden());
        EXPECT_TRUE(r->SetTipoSensore->isHidden());
        EXPECT_EQ(r->TipoProgrZona->Count(), 2);
        EXPECT_EQ(r->TipoProgrZona->ItemIndex(), 1);
        EXPECT_FALSE(r->SetSirenaPerTecnoOExt->isHidden());
        EXPECT_FALSE(r->SetSirenaPerTecnoOExt->isChecked());
        EXPECT_TRUE(r->SetSuoneriaPerTecnoOExt->isChecked());
    }
    MainFrm->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.Zone[0].SirenaPerTecnoOExt, 0);
    for (int s : {60, 0}) {
        TConfigZona& z = ConfigCentrale.Zone[s];
        z.TecnologicoZona = z.Attiva = 0;
    }
    MainFrm->AggiornaFormDaConfig();
    for (righe::TRigaZona* r : righe) {
        EXPECT_FALSE(r->SetTipoSensore->isHidden());
        EXPECT_EQ(r->TipoProgrZona->Count(), 3);
        EXPECT_EQ(r->TipoProgrZona->ItemIndex(), 0); // disabled, whatever the delay byte says
        EXPECT_TRUE(r->SetSuoneriaPerTecnoOExt->isHidden());
    }
}

TEST_F(Immagine, RadioPagesShowTheirSlotsAndReadNoOther) {
    for (int s = 0; s < NumZoneRadio; ++s)
        ConfigCentrale.Zone[s].Descrizione.Scrivi("Zona " + std::to_string(s + 1));
    RighePerPagina(10);
    // Zone 1 has no zone before it to copy from.
    EXPECT_TRUE(MainFrm->FrameSensRadio[0]->CopiaDaPrec->isHidden());
    Pagina(5);
    EXPECT_FALSE(MainFrm->FrameSensRadio[0]->CopiaDaPrec->isHidden());
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(MainFrm->FrameSensRadio[i]->isHidden());
        EXPECT_EQ(MainFrm->FrameSensRadio[i]->NumeroZonaLabel->text(), QStringLiteral("0%1").arg(51 + i));
    }
    RighePerPagina(7);
    Pagina(8);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(MainFrm->FrameSensRadio[i]->isHidden(), i >= 4) << i;
    EXPECT_EQ(MainFrm->FrameSensRadio[3]->DescrizioneZona->Text(), "Zona 60");
    const TConfigCentrale prima = ConfigCentrale;
    MainFrm->FrameSensRadio[0]->DescrizioneZona->SetText("Cambiata");
    MainFrm->FrameSensRadio[5]->DescrizioneZona->SetText("Nascosta");
    MainFrm->AggiornaConfigDaForm();
    TConfigCentrale atteso = prima;
    atteso.Zone[56].Descrizione.Scrivi("Cambiata");
    EXPECT_EQ(Differenze(ConfigCentrale, atteso), std::vector<std::size_t>{});
}

TEST_F(Immagine, OnlyRadioSlotsBelowThirtyKeepAVoiceChimeAndWiredLinesNeither) {
    for (int s : {29, 30, 60}) {
        TConfigZona& z = ConfigCentrale.Zone[s];
        z.AlertZona = z.ChimeVocale = z.SingoloContatto = 1;
    }
    RighePerPagina(7);
    Pagina(4); // slots 28..34
    QCheckBox* chime29 = MainFrm->FrameSensRadio[1]->ChimeVocaleAbilitato;
    QCheckBox* chime30 = MainFrm->FrameSensRadio[2]->ChimeVocaleAbilitato;
    EXPECT_TRUE(!chime29->isHidden() && chime29->isChecked());
    EXPECT_TRUE(chime30->isHidden() && !chime30->isChecked());
    MainFrm->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.Zone[29].ChimeVocale, 1);
    EXPECT_EQ(ConfigCentrale.Zone[30].ChimeVocale, 0);
    EXPECT_EQ(ConfigCentrale.Zone[60].ChimeVocale + ConfigCentrale.Zone[60].SingoloContatto, 0);
    ConfigCentrale.Zone[29].AlertZona = 0;
    MainFrm->AggiornaFormDaConfig();
    EXPECT_TRUE(chime29->isHidden());
}

TEST_F(Immagine, LearnedCodesShowAsSixDigitsAndLightTheLamp) {
    ConfigCentrale.Inseritori[1].CodiceRadio = {{0, 0, 1}};
    ConfigCentrale.Zone[0].CodiceRadio = {{0x1A, 0x00, 0xFF}};
    MainFrm->AggiornaFormDaConfig();
    EXPECT_EQ(MainFrm->FrameInser[0]->CodiceRadio->text(), "000000");
    EXPECT_EQ(MainFrm->FrameInser[0]->LedInserAppreso->BrushColor(), QColor(240, 240, 240));
    EXPECT_EQ(MainFrm->FrameInser[1]->CodiceRadio->text(), "000001");
    EXPECT_EQ(MainFrm->FrameInser[1]->LedInserAppreso->BrushColor(), QColor(0, 255, 0));
    EXPECT_EQ(MainFrm->FrameSensRadio[0]->CodiceRadio->text(), "1A00FF");
    EXPECT_EQ(MainFrm->FrameSensRadio[0]->LedSensoreAppreso->BrushColor(), QColor(0, 255, 0));
    EXPECT_EQ(MainFrm->FrameBidir[0]->LedBidirAppreso->BrushColor(), QColor(240, 240, 240));
}

TEST_F(Immagine, ThePanelCodeReadsItsDigitsAndKeepsACodeTooWideForItsField) {
    MainFrm->EditIDCentrale->SetText("004711");
    MainFrm->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.CodiceCentrale, 4711u);
    MainFrm->EditIDCentrale->SetText("");
    MainFrm->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.CodiceCentrale, 0u);
    ConfigCentrale.CodiceCentrale = 12;
    MainFrm->AggiornaFormDaConfig();
    EXPECT_EQ(MainFrm->EditIDCentrale->Text(), "000012");
    ConfigCentrale.CodiceCentrale = 1234567;
    Giro();
    EXPECT_EQ(ConfigCentrale.CodiceCentrale, 1234567u);
}

TEST_F(Immagine, AChoiceOrTextTheControlCannotShowKeepsTheStoredValueUntilTheUserChangesIt) {
    auto* f = MainFrm;
    ConfigCentrale.CodeOperatoreManuale.Scrivi("22288");
    Giro();
    EXPECT_EQ(f->SetCodeOperatoreManualeEdit->currentIndex(), 2);
    EXPECT_EQ(ConfigCentrale.CodeOperatoreManuale.Leggi(), "22288");
    f->SetCodeOperatoreManualeEdit->setCurrentIndex(0);
    f->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.CodeOperatoreManuale.Leggi(), "22201");

    // An operator the table lacks, a relay function the list lacks, a text longer than its edit.
    ConfigCentrale.CodeOperatoreManuale.Scrivi("99999");
    ConfigCentrale.AssociazioneReleAux2 = 40;
    const std::string lungo = "Testo di trenta caratteri ok!!";
    ConfigCentrale.TestoSmsCredito.Scrivi(lungo);
    Giro();
    EXPECT_EQ(f->SetCodeOperatoreManualeEdit->currentIndex(), -1);
    EXPECT_EQ(f->SetAssociazioneReleAux2->currentIndex(), -1);
    EXPECT_EQ(ConfigCentrale.CodeOperatoreManuale.Leggi(), "99999");
    // A list with nothing selected stores 255 (the operator list excepted, above).
    EXPECT_EQ(ConfigCentrale.AssociazioneReleAux2, 255);
    EXPECT_EQ(ConfigCentrale.TestoSmsCredito.Leggi(), lungo);
    f->SetTestoSmsCredito->SetText("SALDO");
    f->AggiornaConfigDaForm();
    EXPECT_EQ(ConfigCentrale.TestoSmsCredito.Leggi(), "SALDO");
}

TEST_F(Immagine, FillingTheControlsRunsNoHandlerThatWouldRefreshAgain) {
    int scatti = 0, chime = 0;
    auto conta = [&scatti] { ++scatti; };
    auto* f = MainFrm;
    for (QCheckBox* c :
         {f->SetFlagSelezOperatoreManualeEdit, f->SetAbilNumTelSms1, f->SetAbilNumTelSms8,
          f->SetAbilContactIdEdit, f->SetInvioGprsEdit, f->SetAbilServerGprs1Edit,
          f->FrameSensRadio[0]->AlertZonaAbilitato, f->FrameSensRadio[0]->TecnologicoZonaAbilitato,
          f->FrameSensFilo[0]->TecnologicoZonaAbilitato})
        QObject::connect(c, &QCheckBox::toggled, conta);
    for (auto* g : {f->SetTipoRichiestaCredito, f->FrameSensRadio[0]->SetTipoSensore,
                    f->FrameSensFilo[0]->SetTipoSensore})
        QObject::connect(g, &platform::gui::TRadioGroup::Click, conta);
    QObject::connect(f->SetChimeCentraleAbilitato, &QCheckBox::toggled, [&chime] { ++chime; });
    TConfigCentrale& c = ConfigCentrale;
    c.TipoRichiestaCredito = 'F';
    c.FlagSelezOperatoreManuale = c.NumTel[0].AbilNumTelSms = c.NumTel[7].AbilNumTelSms = c.AbilContactId = 1;
    c.InvioGprs = c.AbilServerGprs1 = c.ChimeCentraleAbilitato = 1;
    c.Zone[0].AlertZona = c.Zone[0].TecnologicoZona = c.Zone[60].TecnologicoZona = 1;
    c.Zone[0].TipoSensore = c.Zone[60].TipoSensore = 1;
    const TConfigCentrale atteso = c;
    f->AggiornaFormDaConfig();
    EXPECT_EQ(scatti, 0);
    EXPECT_EQ(chime, 1);
    EXPECT_TRUE(f->SetAbilServerGprs1Edit->isChecked());
    EXPECT_EQ(Differenze(c, atteso), std::vector<std::size_t>{});
}

} // namespace

namespace {

TEST_F(Immagine, CopyFromThePreviousZoneReachesBackAcrossAPage) {
    RighePerPagina(5);
    Pagina(1); // slots 5..9: the zone before the first row is on the page before
    TConfigZona& prec = ConfigCentrale.Zone[PrimaZonaRadio + 4];
    prec.Attiva = prec.Ritardata = prec.AlertZona = prec.SingoloContatto = 1;
    prec.TipoSensore = 2;
    prec.TecnologicoZona = 0;
    ConfigCentrale.Zone[PrimaZonaRadio + 5].Descrizione.Scrivi("Ingresso");
    MainFrm->AggiornaFormDaConfig();

    dialogs_.AnswerYes();
    MainFrm->FrameSensRadio[0]->CopiaDaPrec->click();
    const TConfigZona& z = ConfigCentrale.Zone[PrimaZonaRadio + 5];
    EXPECT_EQ(std::vector<int>({z.Attiva, z.Ritardata, z.AlertZona, z.SingoloContatto, z.TipoSensore}),
              std::vector<int>({1, 1, 1, 1, 2}));
    EXPECT_EQ(z.Descrizione.Leggi(), "Ingresso");
    EXPECT_EQ(MainFrm->FrameSensRadio[0]->TipoProgrZona->ItemIndex(), 2);
    EXPECT_TRUE(MainFrm->FrameSensRadio[0]->SetSingoloContatto->isChecked());
}

} // namespace
