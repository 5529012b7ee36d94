// The main window's design: every control of its ten pages where the image and the translation
// look for it, of the kind they expect, and every page readable in each of the four languages.
#include "ProgramWindows.h"

#include "config/ConfigPc.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TMemo.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "support/qt/Aspetto.h"
#include "ui/FrameNumTel.h"
#include "ui/Immagine.h"
#include "ui/Testi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

namespace {

enum class Tipo {
    Etichetta,
    Casella,
    Pulsante,
    Lista,
    Spin,
    Maschera,
    Testo,
    Memo,
    Gruppo,
    Griglia,
    Riquadro,
    Pannello,
    Immagine
};

struct Atteso {
    int Pagina;
    const char* Nome;
    Tipo Genere;
    const char* Maschera = nullptr; // Maschera
    int Min = 0;                    // Spin; Gruppo: items
    int Max = 0;                    // Spin; Testo, Memo: characters
};

using T = Tipo;
// clang-format off
const Atteso kControlli[] = {
    {0, "PanelInst", T::Pannello}, {0, "CodiceCentraleLabel", T::Etichetta},
    {0, "EditIDCentrale", T::Maschera, "999999;1;_"}, {0, "DataInstallazioneLabel", T::Etichetta},
    {0, "EditDataInstallazionePc", T::Maschera, "!99/99/00;1;_"},
    {0, "DataUltimaModificaLabel", T::Etichetta},
    {0, "EditDataUltimaModificaPc", T::Maschera, "!99/99/00;1;_"}, {0, "NoteLabel", T::Etichetta},
    {0, "EditCommentiPc", T::Memo, nullptr, 0, 250}, {0, "ImmagineLogo", T::Immagine},
    {0, "LabelNumProgressivoKit", T::Etichetta}, {0, "EditNumProgressivoKit", T::Spin, nullptr, 1, 99},
    {0, "LabelConnessoGprs", T::Etichetta}, {0, "TerminaConnessioneRemotaGprsBtn", T::Pulsante},
    {0, "TraduciBtn", T::Pulsante}, {0, "TestGprsBtn", T::Pulsante},

    {1, "PanelCentrale", T::Pannello}, {1, "SetChimeCentraleAbilitato", T::Casella},
    {1, "SetInibizioneSirenaInParziale", T::Casella}, {1, "SetZoneEsterneSuoneria_NU", T::Casella},
    {1, "SetControlloPorteInserito", T::Casella}, {1, "SetSupervisioneSensori", T::Casella},
    {1, "SetAbilAutoEsclusLineeAperte_NU", T::Casella}, {1, "SetPercorsoInserito_NU", T::Casella},
    {1, "SetAllarmeSingoloSirena", T::Casella}, {1, "SetBeepInseriti", T::Casella},
    {1, "SetSensoriEsterniInclusi", T::Casella}, {1, "SetAbilitaMessaggiVocaliCambioStato", T::Casella},
    {1, "SetAttivaSirenaPerTecnologico_NU", T::Casella}, {1, "SetInvioSmsSpvMancataSensori", T::Casella},
    {1, "SetSubSonicoPresente", T::Casella}, {1, "SetInvioAvvisiPerSensoriEsterni_NU", T::Casella},
    {1, "SetLivelloAntiAccecamentoLabel", T::Etichetta}, {1, "SetLivelloAntiAccecamento", T::Lista},
    {1, "SetLinguaLabel", T::Etichetta}, {1, "SetLingua", T::Lista},
    {1, "DataOraOrologioLabel", T::Etichetta}, {1, "DataOraOrologioVis", T::Testo},
    {1, "SecondiTempoIngressoLabel", T::Etichetta}, {1, "SetTempoIngressoSec", T::Spin, nullptr, 0, 99},
    {1, "SecondiTempoUscitaLabel", T::Etichetta}, {1, "SetTempoUscitaSec", T::Spin, nullptr, 0, 99},
    {1, "SecondiSuoneriaPreallarmeLabel", T::Etichetta},
    {1, "SetTempoPreallarmeSec", T::Spin, nullptr, 0, 99},
    {1, "SecondiTempoSuoneriaEsterniLabel", T::Etichetta},
    {1, "SetTempoSuoneriaEsterniSec", T::Spin, nullptr, 10, 120},
    {1, "SecondiTempoSirenaLabel", T::Etichetta}, {1, "SetTempoSirenaSec", T::Spin, nullptr, 10, 240},
    {1, "SecondiTempoSuoneriaLabel", T::Etichetta}, {1, "SetTempoSuoneriaSec", T::Spin, nullptr, 10, 240},
    {1, "SetMinutiPermanenzaArLabel", T::Etichetta}, {1, "SetMinutiPermanenzaAr", T::Spin, nullptr, 1, 120},
    {1, "SetNumeroChiamateVoceLabel", T::Etichetta}, {1, "SetNumeroChiamateVoce", T::Spin, nullptr, 1, 9},
    {1, "SetNumeroRingLabel", T::Etichetta}, {1, "SetNumeroRing", T::Spin, nullptr, 1, 9},
    {1, "SetCodiceTxRadioLabel", T::Etichetta}, {1, "SetCodiceTxRadioEdit", T::Spin, nullptr, 0, 999},
    {1, "SetAssociazioneReleAux1Label", T::Etichetta}, {1, "SetAssociazioneReleAux1", T::Lista},
    {1, "SetUscitaAux1Nc", T::Gruppo, nullptr, 2}, {1, "SetAssociazioneReleAux2Label", T::Etichetta},
    {1, "SetAssociazioneReleAux2", T::Lista}, {1, "SetUscitaAux2Nc", T::Gruppo, nullptr, 2},
    {1, "SetAssociazioneReleAux3Label", T::Etichetta}, {1, "SetAssociazioneReleAux3", T::Lista},
    {1, "SetUscitaAux3Nc", T::Gruppo, nullptr, 2}, {1, "SetSuoneriaSettoreF1", T::Casella},
    {1, "SetSuoneriaSettoreF2", T::Casella}, {1, "SetSuoneriaSettoreF3", T::Casella},
    {1, "SetSuoneriaSettoreF4", T::Casella}, {1, "SetAbilitazioneAvvisiSettoreF1", T::Casella},
    {1, "SetAbilitazioneAvvisiSettoreF2", T::Casella}, {1, "SetAbilitazioneAvvisiSettoreF3", T::Casella},
    {1, "SetAbilitazioneAvvisiSettoreF4", T::Casella},

    {2, "PanelMessaggi", T::Pannello}, {2, "MsgGrid", T::Griglia}, {3, "PanelInseritori", T::Pannello},
    {4, "PanelBidirezionali", T::Pannello}, {5, "PanelFilo", T::Pannello}, {5, "PanelOnBoard", T::Pannello},
    {6, "PanelRadio", T::Pannello},

    {7, "PanelCfgModem", T::Pannello}, {7, "SetAbilNumTelSms1", T::Casella},
    {7, "SetAbilNumTelSms2", T::Casella}, {7, "SetAbilNumTelSms3", T::Casella},
    {7, "SetAbilNumTelSms4", T::Casella}, {7, "SetAbilNumTelSms5", T::Casella},
    {7, "SetAbilNumTelSms6", T::Casella}, {7, "SetAbilNumTelSms7", T::Casella},
    {7, "SetAbilNumTelSms8", T::Casella}, {7, "CodiceCentraleSmsLabel", T::Etichetta},
    {7, "SetCodiceCentraleSms", T::Maschera, "9999;1;_"}, {7, "NumTelCentraleLabel", T::Etichetta},
    {7, "SetNumTelefonoCentrale", T::Maschera, "999999999999999;1;_"}, {7, "TempoSupervisione", T::Etichetta},
    {7, "SetTipoTempoSupervisione", T::Lista},

    {8, "PanelSim", T::Pannello}, {8, "SetSimVoceEdit", T::Gruppo, nullptr, 2},
    {8, "SetTipoRichiestaCredito", T::Gruppo, nullptr, 4}, {8, "SetNumTelefonoCreditoLabel", T::Etichetta},
    {8, "SetNumTelefonoCredito", T::Maschera, "ccccccccccccccc;1;_"},
    {8, "SetTestoSmsCreditoLabel", T::Etichetta}, {8, "SetTestoSmsCredito", T::Testo, nullptr, 0, 25},
    {8, "SetInvioSmsCreditoConEiv", T::Casella}, {8, "SetNumTelefonoOperatoreLabel_NU", T::Etichetta},
    {8, "SetNumTelefonoOperatore_NU", T::Testo, nullptr, 0, 15},
    {8, "SetInvioSmsCreditoDopoAllarme_NU", T::Casella}, {8, "SetFlagSelezOperatoreManualeEdit", T::Casella},
    {8, "SetCodeOperatoreManualeEdit", T::Lista}, {8, "SetTestoLiberoSmsLabel", T::Etichetta},
    {8, "SetTestoFissoSms", T::Testo, nullptr, 0, 40}, {8, "SetGiorniScadenzaSimLabel", T::Etichetta},
    {8, "SetGiorniScadenzaSim", T::Spin, nullptr, 0, 999}, {8, "SetGiorniScadenzaSimLabel2", T::Etichetta},

    {9, "PanelCid", T::Pannello}, {9, "SetAbilContactIdEdit", T::Casella},
    {9, "SetInvioGprsEdit", T::Casella}, {9, "PanelContactId", T::Pannello},
    {9, "SetGiorniLifeTestLabel", T::Etichetta}, {9, "SetGiorniLifeTestEdit", T::Spin, nullptr, 0, 99},
    {9, "SetOraLifeTestLabel", T::Etichetta}, {9, "SetOraLifeTestEdit", T::Spin, nullptr, 0, 23},
    {9, "SetMinLifeTestEdit", T::Spin, nullptr, 0, 59}, {9, "PanelGprsGen", T::Pannello},
    {9, "ApnLabel", T::Etichetta}, {9, "EditAPN", T::Testo, nullptr, 0, 32},
    {9, "ApnUsernameLabel", T::Etichetta}, {9, "EditAPNUsername", T::Testo, nullptr, 0, 16},
    {9, "ApnPasswordLabel", T::Etichetta}, {9, "EditAPNPassword", T::Testo, nullptr, 0, 16},
};
// clang-format on

// The controls of receiver n of the Contact-ID page, whose names end in n.
std::vector<std::pair<std::string, Atteso>> Ricevitore(const std::string& n) {
    // clang-format off
    const std::pair<std::string, Atteso> schema[] = {
        {"Vigilanza#GB", {9, "", T::Riquadro}}, {"LabelCidAccount#", {9, "", T::Etichetta}},
        {"EditCidAccount#", {9, "", T::Testo, nullptr, 0, 16}}, {"LabelCidRcvr#", {9, "", T::Etichetta}},
        {"EditCidRcvr#", {9, "", T::Maschera, "cccccc;1;_"}}, {"LabelCidPrefAccount#", {9, "", T::Etichetta}},
        {"EditCidPrefAccount#", {9, "", T::Maschera, "cccccc;1;_"}},
        {"SetTelVigilanza#Label", {9, "", T::Etichetta}},
        {"SetTelVigilanza#Edit", {9, "", T::Testo, nullptr, 0, 15}},
        {"LabelVigilanza#", {9, "", T::Etichetta}},
        {"SetCidInvioLinkTest#Edit", {9, "", T::Gruppo, nullptr, 2}},
        {"SetCidInvioContactIdEsterni#Edit", {9, "", T::Casella}},
        {"TabellaEventiCid#Btn", {9, "", T::Pulsante}}, {"SetAbilServerGprs#Edit", {9, "", T::Casella}},
        {"PanelGprs#", {9, "", T::Pannello}}, {"LabelIndirizzoIpServer#", {9, "", T::Etichetta}},
        {"EditIndirizzoIPServer#", {9, "", T::Maschera, "000\\.000\\.000\\.000;1;_"}},
        {"LabelPortaServer#", {9, "", T::Etichetta}},
        {"EditPortaServer#", {9, "", T::Spin, nullptr, 0, 65535}},
    };
    // clang-format on
    std::vector<std::pair<std::string, Atteso>> v;
    for (auto [nome, atteso] : schema) {
        nome.replace(nome.find('#'), 1, n);
        v.emplace_back(nome, atteso);
    }
    return v;
}

// What is wrong with the control against what the image and the translation expect of it.
std::string Difetto(const QWidget* w, const Atteso& a) {
    using namespace platform::gui;
    auto* maschera = qobject_cast<const TMaskEdit*>(w);
    auto* spin = qobject_cast<const TSpinEdit*>(w);
    switch (a.Genere) {
    case T::Etichetta:
        return qobject_cast<const QLabel*>(w) ? "" : "not a label";
    case T::Casella:
        return qobject_cast<const QCheckBox*>(w) ? "" : "not a check box";
    case T::Pulsante:
        return qobject_cast<const QPushButton*>(w) ? "" : "not a button";
    case T::Immagine:
        return qobject_cast<const TImmagine*>(w) ? "" : "not a picture";
    case T::Pannello:
        return w->inherits("QFrame") ? "" : "not a panel";
    case T::Riquadro:
        return qobject_cast<const QGroupBox*>(w) ? "" : "not a group box";
    case T::Lista: {
        auto* c = qobject_cast<const QComboBox*>(w);
        return !c ? "not a combo" : c->isEditable() ? "editable" : "";
    }
    case T::Spin:
        if (!spin) return "not a spin field";
        return spin->MinValue() == a.Min && spin->MaxValue() == a.Max
                   ? ""
                   : "range " + std::to_string(spin->MinValue()) + ".." + std::to_string(spin->MaxValue());
    case T::Maschera:
        if (!maschera) return "not a masked edit";
        return maschera->EditMask() == a.Maschera ? "" : "mask " + maschera->EditMask();
    case T::Testo:
        if (!maschera) return "not an edit";
        return maschera->EditMask().empty() && maschera->MaxLength() == a.Max
                   ? ""
                   : "limit " + std::to_string(maschera->MaxLength());
    case T::Memo: {
        auto* m = qobject_cast<const TMemo*>(w);
        return !m ? "not a memo" : m->MaxLength() == a.Max ? "" : "limit " + std::to_string(m->MaxLength());
    }
    case T::Gruppo: {
        auto* g = qobject_cast<const TRadioGroup*>(w);
        return !g ? "not a radio group" : g->Count() == a.Min ? "" : std::to_string(g->Count()) + " items";
    }
    case T::Griglia: {
        auto* g = qobject_cast<const QTableWidget*>(w);
        return g && g->columnCount() == 2 ? "" : "not a two-column grid";
    }
    }
    return "unknown kind";
}

class MainControlli : public ProgramWindows {
  protected:
    MainControlli() {
        CreaFinestre();
        MostraMainFrm();
    }
};

} // namespace

TEST_F(MainControlli, EveryControlOfTheTenPagesIsOnItsPageByNameAndKind) {
    std::vector<std::pair<std::string, Atteso>> tutti;
    for (const Atteso& a : kControlli)
        tutti.emplace_back(a.Nome, a);
    for (const char* n : {"1", "2"})
        for (auto& r : Ricevitore(n))
            tutti.push_back(r);
    const QTabWidget* pagine = MainFrm->PageControl;
    for (const auto& [nome, a] : tutti) {
        const QList<QWidget*> trovati = MainFrm->findChildren<QWidget*>(QString::fromStdString(nome));
        ASSERT_EQ(trovati.size(), 1) << nome << ": one control of that name";
        EXPECT_TRUE(pagine->widget(a.Pagina)->isAncestorOf(trovati[0]))
            << nome << " not on page " << a.Pagina;
        EXPECT_EQ(Difetto(trovati[0], a), "") << nome;
    }
}

TEST_F(MainControlli, EveryPageReadsWholeInEveryLanguageWithEverythingShown) {
    TMainFrm& m = *MainFrm;
    // What the rules and the remote connection may show: it must find its place, not a neighbour's.
    for (QWidget* w : std::initializer_list<QWidget*>{m.PanelContactId,
                                                      m.PanelGprsGen,
                                                      m.PanelGprs1,
                                                      m.PanelGprs2,
                                                      m.SetAbilServerGprs1Edit,
                                                      m.SetAbilServerGprs2Edit,
                                                      m.SetNumTelefonoCreditoLabel,
                                                      m.SetNumTelefonoCredito,
                                                      m.SetTestoSmsCreditoLabel,
                                                      m.SetTestoSmsCredito,
                                                      m.SetInvioSmsCreditoConEiv,
                                                      m.SetCodeOperatoreManualeEdit,
                                                      m.TerminaConnessioneRemotaGprsBtn,
                                                      m.SetSuoneriaSettoreF1,
                                                      m.SetAbilitazioneAvvisiSettoreF4,
                                                      m.SetTempoSuoneriaSec,
                                                      m.SecondiTempoSuoneriaLabel,
                                                      m.SetSubSonicoPresente,
                                                      m.NumTelCentraleLabel,
                                                      m.SetNumTelefonoCentrale})
        w->setVisible(true);
    // The telephone numbers' rows, checked with the rows, stand right of their boxes.
    for (TFrameNumTel* r : m.FrameNumTel)
        if (r) r->setVisible(false);
    // One of the longest names of the shipped operator table.
    m.SetCodeOperatoreManualeEdit->clear();
    m.SetCodeOperatoreManualeEdit->addItem(
        QString::fromUtf8("Másmovil / Happy Móvil/moviData / Orange / LlamaYa móvil / Amena"));

    testing_support::OpzioniAspetto opzioni;
    // Radio groups whose items say it all.
    opzioni.VuotiAmmessi = {"SetUscitaAux1Nc",          "SetUscitaAux2Nc",
                            "SetUscitaAux3Nc",          "SetTipoRichiestaCredito",
                            "SetCidInvioLinkTest1Edit", "SetCidInvioLinkTest2Edit"};
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        m.TraduciForm();
        m.TerminaConnessioneRemotaGprsBtn->setText(Testo("STRUDP_TERMINA_CONNESSIONE"));
        for (int pagina : {0, 1, 2, 7, 8, 9}) {
            m.PageControl->setCurrentIndex(pagina);
            QApplication::processEvents();
            opzioni.Contesto = QStringLiteral("language %1, page %2").arg(lingua).arg(pagina);
            const auto problemi = testing_support::ControllaAspetto(m, opzioni);
            EXPECT_TRUE(problemi.empty()) << testing_support::Elenco(problemi);
        }
    }
}
