// The configuration image and the main window's controls, each into the other: one table of
// bindings walked both ways, and beside it what only one way does.
#include "config/GetMessage_11.h"
#include "config/OperatoriGsm.h"
#include "platform/clock/Clock.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TMemo.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TShape.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/LegameImmagine.h"
#include "ui/Main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

using namespace immagine;
using Legami = std::vector<TLegame>;

namespace {

// Radio slots below this one have a voice chime.
constexpr int SlotConChimeVocale = 30;
// The widest panel code the six-digit field shows.
constexpr std::uint32_t MaxCodiceCentrale = 999999;
constexpr int TipoSensoreEsterno = 2;

// The operator combo's items as the operator file gives them, put in at once.
class TListaOperatori final : public IListaElementi {
  public:
    explicit TListaOperatori(QComboBox* Combo) : combo_(Combo) {}
    void Clear() override {
        combo_->clear();
        voci_.clear();
    }
    void Add(const std::string& Elemento) override { voci_.append(platform::gui::FromCp1252(Elemento)); }
    void Completa() { combo_->addItems(voci_); }

  private:
    QComboBox* combo_;
    QStringList voci_;
};

// ---- The table ----------------------------------------------------------------------------------

Legami LegamiMainFrm(TMainFrm& f, TConfigCentrale& c) {
    Legami l{
        // Installation data.
        Testo(c.DataInstallazionePc, f.EditDataInstallazionePc),
        Testo(c.DataUltimaModificaPc, f.EditDataUltimaModificaPc),
        Testo(c.CommentiPc, f.EditCommentiPc),
        Testo(c.NumTelefonoCentrale, f.SetNumTelefonoCentrale),
        // Options, in the order of their bytes.
        Casella(c.ChimeCentraleAbilitato, f.SetChimeCentraleAbilitato),
        Casella(c.InibizioneSirenaInParziale, f.SetInibizioneSirenaInParziale),
        Casella(c.ZoneEsterneSuoneria_NU, f.SetZoneEsterneSuoneria_NU),
        Casella(c.ControlloPorteInserito, f.SetControlloPorteInserito),
        Casella(c.SupervisioneSensori, f.SetSupervisioneSensori),
        Casella(c.AbilAutoEsclusLineeAperte_NU, f.SetAbilAutoEsclusLineeAperte_NU),
        Casella(c.PercorsoInserito_NU, f.SetPercorsoInserito_NU),
        Casella(c.AllarmeSingoloSirena, f.SetAllarmeSingoloSirena),
        Casella(c.BeepInseriti, f.SetBeepInseriti),
        Casella(c.AbilitaMessaggiVocaliCambioStato, f.SetAbilitaMessaggiVocaliCambioStato),
        Casella(c.AttivaSirenaPerTecnologico_NU, f.SetAttivaSirenaPerTecnologico_NU),
        Casella(c.InvioSmsSpvMancataSensori, f.SetInvioSmsSpvMancataSensori),
        Casella(c.SubSonicoPresente, f.SetSubSonicoPresente),
        Voce(c.LivelloAntiAccecamento, f.SetLivelloAntiAccecamento),
        Voce(c.LinguaCentrale, f.SetLingua),
        Voce(c.AssociazioneReleAux1, f.SetAssociazioneReleAux1),
        Voce(c.AssociazioneReleAux2, f.SetAssociazioneReleAux2),
        Voce(c.AssociazioneReleAux3, f.SetAssociazioneReleAux3),
        Voce0(c.UscitaAux1Nc, f.SetUscitaAux1Nc),
        Voce0(c.UscitaAux2Nc, f.SetUscitaAux2Nc),
        Voce0(c.UscitaAux3Nc, f.SetUscitaAux3Nc),
        Casella(c.InvioAvvisiPerSensoriEsterni_NU, f.SetInvioAvvisiPerSensoriEsterni_NU),
        // Times and counts.
        Numero(c.TempoUscitaSec, f.SetTempoUscitaSec),
        Numero(c.TempoIngressoSec, f.SetTempoIngressoSec),
        Numero(c.TempoPreallarmeSec, f.SetTempoPreallarmeSec),
        Numero(c.TempoSuoneriaEsterniSec, f.SetTempoSuoneriaEsterniSec),
        Numero(c.TempoSirenaSec, f.SetTempoSirenaSec),
        Numero(c.MinutiPermanenzaAr, f.SetMinutiPermanenzaAr),
        Voce(c.TipoTempoSupervisione, f.SetTipoTempoSupervisione),
        // SIM.
        Testo(c.CodiceCentraleSms, f.SetCodiceCentraleSms),
        Numero(c.NumeroChiamateVoce, f.SetNumeroChiamateVoce),
        Numero(c.NumeroRing, f.SetNumeroRing),
        Numero(c.CodiceTxRadio, f.SetCodiceTxRadioEdit),
        Numero(c.GiorniScadenzaSim, f.SetGiorniScadenzaSim),
        TipoCredito(c.TipoRichiestaCredito, f.SetTipoRichiestaCredito, true),
        TestoRifilato(c.NumTelefonoCredito, f.SetNumTelefonoCredito),
        Casella(c.InvioSmsCreditoConEiv, f.SetInvioSmsCreditoConEiv),
        TestoRifilato(c.NumTelefonoOperatore_NU, f.SetNumTelefonoOperatore_NU),
        Voce0(c.SimVoce, f.SetSimVoceEdit),
        Casella(c.SensoriEsterniInclusi, f.SetSensoriEsterniInclusi),
        Casella(c.FlagSelezOperatoreManuale, f.SetFlagSelezOperatoreManualeEdit, true),
        TestoRifilato(c.TestoSmsCredito, f.SetTestoSmsCredito),
        TestoRifilato(c.TestoFissoSms, f.SetTestoFissoSms),
        Operatore(c.CodeOperatoreManuale, f.SetCodeOperatoreManualeEdit),
        // Telephone numbers in use.
        Casella(c.NumTel[0].AbilNumTelSms, f.SetAbilNumTelSms1, true),
        Casella(c.NumTel[1].AbilNumTelSms, f.SetAbilNumTelSms2, true),
        Casella(c.NumTel[2].AbilNumTelSms, f.SetAbilNumTelSms3, true),
        Casella(c.NumTel[3].AbilNumTelSms, f.SetAbilNumTelSms4, true),
        Casella(c.NumTel[4].AbilNumTelSms, f.SetAbilNumTelSms5, true),
        Casella(c.NumTel[5].AbilNumTelSms, f.SetAbilNumTelSms6, true),
        Casella(c.NumTel[6].AbilNumTelSms, f.SetAbilNumTelSms7, true),
        Casella(c.NumTel[7].AbilNumTelSms, f.SetAbilNumTelSms8, true),
        // Contact-ID and GPRS.
        Casella(c.AbilContactId, f.SetAbilContactIdEdit, true),
        Casella(c.InvioGprs, f.SetInvioGprsEdit, true),
        Casella(c.AbilServerGprs1, f.SetAbilServerGprs1Edit, true),
        Casella(c.AbilServerGprs2, f.SetAbilServerGprs2Edit, true),
        Voce0(c.CidInvioLinkTest1, f.SetCidInvioLinkTest1Edit),
        Voce0(c.CidInvioLinkTest2, f.SetCidInvioLinkTest2Edit),
        Casella(c.CidInvioContactIdEsterni1, f.SetCidInvioContactIdEsterni1Edit),
        Casella(c.CidInvioContactIdEsterni2, f.SetCidInvioContactIdEsterni2Edit),
        Numero(c.GiorniLifeTest, f.SetGiorniLifeTestEdit),
        Numero(c.OraLifeTest, f.SetOraLifeTestEdit),
        Numero(c.MinLifeTest, f.SetMinLifeTestEdit),
        TestoRifilato(c.CidRcvr1, f.EditCidRcvr1),
        TestoRifilato(c.CidRcvr2, f.EditCidRcvr2),
        TestoRifilato(c.CidPrefAccount1, f.EditCidPrefAccount1),
        TestoRifilato(c.CidPrefAccount2, f.EditCidPrefAccount2),
        TestoRifilato(c.CidAccount1, f.EditCidAccount1),
        TestoRifilato(c.CidAccount2, f.EditCidAccount2),
        TestoRifilato(c.TelVigilanza1, f.SetTelVigilanza1Edit),
        TestoRifilato(c.TelVigilanza2, f.SetTelVigilanza2Edit),
        TestoRifilato(c.APN, f.EditAPN),
        TestoRifilato(c.APNUsername, f.EditAPNUsername),
        TestoRifilato(c.APNPassword, f.EditAPNPassword),
        TestoRifilato(c.IndirizzoIPServer1, f.EditIndirizzoIPServer1),
        Numero(c.PortaServer1, f.EditPortaServer1),
        TestoRifilato(c.IndirizzoIPServer2, f.EditIndirizzoIPServer2),
        Numero(c.PortaServer2, f.EditPortaServer2),
    };
    for (int i = 0; i < 5; ++i)
        l.push_back(Cella(c.DescrizioneMessaggio[i], f.MsgGrid, i));
    return l;
}

// The options common to wired and radio zones. The siren and bell boxes stay attached: their
// handlers keep the two exclusive, so that a zone stored with both shows the bell only.
Legami LegamiZona(righe::TRigaZona& r, TConfigZona& z, bool Radio) {
    return {
        Casella(z.AlertZona, r.AlertZonaAbilitato, Radio),
        Casella(z.SirenaPerTecnoOExt, r.SetSirenaPerTecnoOExt),
        Casella(z.SuoneriaPerTecnoOExt, r.SetSuoneriaPerTecnoOExt),
        Casella(z.AvvisiSmsPerTecnoOExt, r.SetAvvisiSmsPerTecnoOExt),
        Casella(z.AvvisiVocPerTecnoOExt, r.SetAvvisiVocPerTecnoOExt),
        Casella(z.TecnologicoZona, r.TecnologicoZonaAbilitato, true),
        Programmazione(z, r.TipoProgrZona),
        Voce(z.TipoSensore, r.SetTipoSensore, true),
        Testo(z.Descrizione, r.DescrizioneZona),
    };
}

Legami LegamiRadio(TFrameSensRadio& r, TConfigZona& z, int Slot) {
    Legami l = LegamiZona(r, z, true);
    l.push_back(Casella(z.SingoloContatto, r.SetSingoloContatto));
    if (Slot < SlotConChimeVocale) l.push_back(Casella(z.ChimeVocale, r.ChimeVocaleAbilitato));
    return l;
}

Legami LegamiInseritore(TFrameInser& r, TConfigInseritore& k) {
    return {Testo(k.Descrizione, r.DescrizioneInser),
            Casella(k.TxAbilInvioSegnalazioni, r.SetTxAbilInvioSegnalazioni)};
}

// Of a peripheral's slot only the name is edited here; the code is the row's own.
Legami LegamiBidir(TFrameBidir& r, TConfigZona& z) {
    return {Testo(z.Descrizione, r.DescrizionePeriferica)};
}

Legami LegamiNumTel(TFrameNumTel& r, TConfigNumTel& n) {
    return {
        TestoRifilato(n.NumeroTelefono, r.NumeroTelefono),
        Casella(n.AbilTxAllarmi, r.SetAbilTxAllarmi),
        Casella(n.AbilTxStatoAlim, r.SetAbilTxStatoAlim),
        Casella(n.AbilTxPanico, r.SetAbilTxPanico),
        Casella(n.AbilTxTeleAlr, r.SetAbilTxTeleAlr),
        Casella(n.AbilTxStatoIns, r.SetAbilTxStatoIns),
        Casella(n.AbilTxSupervisione, r.SetAbilTxSupervisione),
        Casella(n.AbilChiamataDirettaAllarme, r.SetAbilChiamataDirettaAllarme),
        Casella(n.AbilChiamataDirettaPanico, r.SetAbilChiamataDirettaPanico),
        Casella(n.AbilChiamataDirettaTeleAlr, r.SetAbilChiamataDirettaTeleAlr),
    };
}

void MostraTutti(const Legami& l) {
    for (const TLegame& x : l)
        Mostra(x);
}

void LeggiTutti(const Legami& l) {
    for (const TLegame& x : l)
        Leggi(x);
}

// ---- What only the way into the controls does --------------------------------------------------

// A 24-hour zone has no alert and no sensor type, and is programmed disabled or instant only; the
// siren, bell and notice boxes belong to 24-hour and external zones. The programming items are
// rebuilt only when their number changes, so that a refresh keeps the list the user is looking at.
void RegolaTipoZona(righe::TRigaZona& r, const TConfigZona& z, bool SoloDueVoci,
                    const std::vector<std::string>& Programmazioni) {
    const bool tecnologica = z.TecnologicoZona == 1;
    r.AlertZonaAbilitato->setVisible(!tecnologica);
    r.SetTipoSensore->setVisible(!tecnologica);
    const int voci = tecnologica || SoloDueVoci ? 2 : 3;
    if (r.TipoProgrZona->Count() != voci)
        r.TipoProgrZona->SetItems({Programmazioni.begin(), Programmazioni.begin() + voci});
    const bool allarmi = tecnologica || z.TipoSensore == TipoSensoreEsterno;
    for (QCheckBox* c : {r.SetSirenaPerTecnoOExt, r.SetSuoneriaPerTecnoOExt, r.SetAvvisiSmsPerTecnoOExt,
                         r.SetAvvisiVocPerTecnoOExt})
        c->setVisible(allarmi);
}

// The learned code, and the lamp that shows it is there even when the code cannot be typed.
void MostraCodice(QLineEdit* Edit, platform::gui::TShape* Spia, const TCodiceRadio& Codice) {
    const std::string testo = TestoCodiceRadio(Codice);
    Edit->setText(QString::fromLatin1(testo));
    Spia->SetBrushColor(testo != "000000" ? QColor(0, 255, 0) : QColor(240, 240, 240));
}

std::string TestoCodiceCentrale(std::uint32_t Codice) {
    return Codice <= MaxCodiceCentrale ? IntToStrZeri(std::int32_t(Codice), 6) : std::to_string(Codice);
}

} // namespace

void TMainFrm::AggiornaFormDaConfig() {
    TConfigCentrale& c = ConfigCentrale;

    // The operator file is read again each time: a new one is taken without restarting.
    TListaOperatori operatori(SetCodeOperatoreManualeEdit);
    CaricaOperatoriGsm(operatori);
    operatori.Completa();

    LabelNumProgressivoKit->setVisible(false);
    EditNumProgressivoKit->setVisible(false);
    MiSalvaFileKit->setVisible(false);

    // Without GPRS there is no server to report to.
    if (c.InvioGprs != 1) {
        c.AbilServerGprs1 = 0;
        c.AbilServerGprs2 = 0;
    }

    EditIDCentrale->SetText(TestoCodiceCentrale(c.CodiceCentrale));
    DataOraOrologioVis->SetText(DataOraToStr(0, c.DataOraOrologio));
    MostraTutti(LegamiMainFrm(*this, c));

    const char credito = c.TipoRichiestaCredito;
    for (QWidget* w :
         {static_cast<QWidget*>(SetNumTelefonoCredito), static_cast<QWidget*>(SetNumTelefonoCreditoLabel),
          static_cast<QWidget*>(SetInvioSmsCreditoConEiv)})
        w->setVisible(credito != 'C');
    SetTestoSmsCredito->setVisible(credito == 'S');
    SetTestoSmsCreditoLabel->setVisible(credito == 'S');
    SetCodeOperatoreManualeEdit->setVisible(c.FlagSelezOperatoreManuale == 1);

    const std::vector<std::string> programmazioni{GetMessaggio("STRMAIN_DISABILITATO"),
                                                  GetMessaggio("STRMAIN_ATTIVOISTANTANEO"),
                                                  GetMessaggio("STRMAIN_ATTIVORITARDATO")};

    // Wired lines; the ninth is never delayed.
    for (int i = 0; i < int(FrameSensFilo.size()); ++i) {
        TFrameSensFilo* r = FrameSensFilo[i];
        if (!r) continue;
        TConfigZona& z = c.Zone[PrimaZonaFilo + i];
        RegolaTipoZona(*r, z, i == int(FrameSensFilo.size()) - 1, programmazioni);
        MostraTutti(LegamiZona(*r, z, false));
    }

    // The radio zones of the page on show; the last page's spare rows are hidden.
    const int righeRadio = std::min(ZoneRadioPerPagina_, int(FrameSensRadio.size()));
    for (int i = 0; i < righeRadio; ++i) {
        TFrameSensRadio* r = FrameSensRadio[i];
        if (!r) continue;
        const int s = PaginaRadio_ * ZoneRadioPerPagina_ + i;
        if (s < 0 || s >= NumZoneRadio) {
            r->setVisible(false);
            continue;
        }
        TConfigZona& z = c.Zone[PrimaZonaRadio + s];
        r->setVisible(true);
        r->CopiaDaPrec->setVisible(s != 0);
        r->NumeroZonaLabel->setText(QString::fromLatin1(IntToStrZeri(s + 1, 3)));
        if (s < SlotConChimeVocale) {
            r->ChimeVocaleAbilitato->setVisible(z.AlertZona == 1);
        } else {
            r->ChimeVocaleAbilitato->setVisible(false);
            r->ChimeVocaleAbilitato->setChecked(false);
        }
        RegolaTipoZona(*r, z, false, programmazioni);
        MostraTutti(LegamiRadio(*r, z, s));
        MostraCodice(r->CodiceRadio, r->LedSensoreAppreso, z.CodiceRadio);
    }

    for (int k = 0; k < int(FrameInser.size()); ++k) {
        TFrameInser* r = FrameInser[k];
        if (!r) continue;
        MostraTutti(LegamiInseritore(*r, c.Inseritori[k]));
        MostraCodice(r->CodiceRadio, r->LedInserAppreso, c.Inseritori[k].CodiceRadio);
    }

    // No other byte of a peripheral's slot is shown.
    for (int k = 0; k < int(FrameBidir.size()); ++k) {
        TFrameBidir* r = FrameBidir[k];
        if (!r) continue;
        TConfigZona& z = c.Zone[PrimoBidirezionale + k];
        MostraTutti(LegamiBidir(*r, z));
        MostraCodice(r->CodiceRadio, r->LedBidirAppreso, z.CodiceRadio);
    }

    // A number not in use hides its row; its settings are kept all the same.
    for (int n = 0; n < int(FrameNumTel.size()); ++n) {
        TFrameNumTel* r = FrameNumTel[n];
        if (!r) continue;
        r->setVisible(c.NumTel[n].AbilNumTelSms != 0);
        MostraTutti(LegamiNumTel(*r, c.NumTel[n]));
    }

    PanelContactId->setVisible(c.AbilContactId == 1);
    const bool gprs = c.InvioGprs == 1;
    PanelGprsGen->setVisible(gprs);
    SetAbilServerGprs1Edit->setVisible(gprs);
    SetAbilServerGprs2Edit->setVisible(gprs);
    PanelGprs1->setVisible(c.AbilServerGprs1 == 1);
    PanelGprs2->setVisible(c.AbilServerGprs2 == 1);
}

void TMainFrm::AggiornaConfigDaForm() {
    TConfigCentrale& c = ConfigCentrale;

    // The field is hidden and only this window fills it. A code wider than it holds (a damaged
    // file) comes back as the image has it while the field still shows what it was given.
    const std::string id = EditIDCentrale->Text();
    const std::string cifre = Rifila(id);
    const bool tagliato = c.CodiceCentrale > MaxCodiceCentrale &&
                          id == EditIDCentrale->Mask().ToText(
                                    EditIDCentrale->Mask().FromText(TestoCodiceCentrale(c.CodiceCentrale)));
    if (!tagliato) {
        std::uint32_t codice = 0;
        const auto [fine, errore] = std::from_chars(cifre.data(), cifre.data() + cifre.size(), codice);
        c.CodiceCentrale = errore == std::errc() && fine == cifre.data() + cifre.size() ? codice : 0;
    }

    LeggiTutti(LegamiMainFrm(*this, c));
    // The panel's clock is never typed: a copy sent now sets it to the PC's time.
    c.DataOraOrologio = platform::NowDateTime();

    for (int i = 0; i < int(FrameSensFilo.size()); ++i) {
        TFrameSensFilo* r = FrameSensFilo[i];
        if (!r) continue;
        TConfigZona& z = c.Zone[PrimaZonaFilo + i];
        LeggiTutti(LegamiZona(*r, z, false));
        // Wired lines have neither a voice chime nor a single contact.
        z.ChimeVocale = 0;
        z.SingoloContatto = 0;
    }

    // Only the page on show: the other radio zones keep what the image holds.
    const int righeRadio = std::min(ZoneRadioPerPagina_, int(FrameSensRadio.size()));
    for (int i = 0; i < righeRadio; ++i) {
        TFrameSensRadio* r = FrameSensRadio[i];
        const int s = PaginaRadio_ * ZoneRadioPerPagina_ + i;
        if (!r || s < 0 || s >= NumZoneRadio) continue;
        TConfigZona& z = c.Zone[PrimaZonaRadio + s];
        LeggiTutti(LegamiRadio(*r, z, s));
        if (s >= SlotConChimeVocale) z.ChimeVocale = 0;
    }

    for (int k = 0; k < int(FrameInser.size()); ++k)
        if (TFrameInser* r = FrameInser[k]) LeggiTutti(LegamiInseritore(*r, c.Inseritori[k]));

    // A peripheral's slot is always in use and carries none of a zone's options, whatever an
    // older file left there.
    for (int k = 0; k < int(FrameBidir.size()); ++k) {
        TConfigZona& z = c.Zone[PrimoBidirezionale + k];
        z.Attiva = 1;
        z.Ritardata = z.AlertZona = z.SingoloContatto = z.TipoSensore = z.TecnologicoZona = 0;
        z.ChimeVocale = z.SirenaPerTecnoOExt = z.SuoneriaPerTecnoOExt = 0;
        z.AvvisiSmsPerTecnoOExt = z.AvvisiVocPerTecnoOExt = 0;
        if (TFrameBidir* r = FrameBidir[k]) LeggiTutti(LegamiBidir(*r, z));
    }

    for (int n = 0; n < int(FrameNumTel.size()); ++n)
        if (TFrameNumTel* r = FrameNumTel[n]) LeggiTutti(LegamiNumTel(*r, c.NumTel[n]));
}
