// The main window's design, the communication pages: telephone dialler, SIM card, Contact-ID and
// GPRS.
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/Main.h"
#include "ui/MainDisegno.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QVBoxLayout>

using namespace disegno;

namespace {

// The telephone numbers' rows are placed by the rows' creation, each right of its check box:
// rows at Left 200, Top 46 + 65n, 550 x 60; the boxes at Left 50, Top 60 + 65n.
constexpr int NumeriTelefono = 8;
constexpr int SinistraCaselleNumeri = 50;
constexpr int LarghezzaCaselleNumeri = 150;
constexpr int AltezzaCaselleNumeri = 17;
constexpr int AltoPrimaCasella = 60;
constexpr int PassoNumeri = 65;
constexpr int AltoPrimaRiga = 46;
constexpr int DestraRighe = 200 + 550;
constexpr int FondoRighe = AltoPrimaRiga + (NumeriTelefono - 1) * PassoNumeri + 60;

// Operator names as long as the operator table's national groupings ("Másmovil / Happy Móvil/
// moviData / Orange / ...").
constexpr int CaratteriNomeOperatore = 64;
// A list's frame and arrow.
constexpr int CorniceLista = 40;

// A frame already made by the pages, freed of its design size to follow its contents.
void Libera(QWidget* Pannello) {
    Pannello->setMinimumSize(0, 0);
    Pannello->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

// The communication pages show and hide whole parts as options change: their content stays where
// it starts, at the page's left, instead of moving to keep centred.
void AllineaASinistra(QScrollArea* Pagina) {
    Pagina->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

} // namespace

void TMainFrm::CreaPaginaTelefono() {
    AllineaASinistra(ScrollBoxModem);
    QWidget* p = PanelCfgModem;
    QCheckBox** abilita[NumeriTelefono] = {&SetAbilNumTelSms1, &SetAbilNumTelSms2, &SetAbilNumTelSms3,
                                           &SetAbilNumTelSms4, &SetAbilNumTelSms5, &SetAbilNumTelSms6,
                                           &SetAbilNumTelSms7, &SetAbilNumTelSms8};
    for (int n = 0; n < NumeriTelefono; ++n) {
        const QByteArray numero = QByteArray::number(n + 1);
        QCheckBox* c = Casella(p, ("SetAbilNumTelSms" + numero).constData(),
                               ("Abilita num. tel. " + numero).constData());
        c->setGeometry(SinistraCaselleNumeri, AltoPrimaCasella + PassoNumeri * n, LarghezzaCaselleNumeri,
                       AltezzaCaselleNumeri);
        *abilita[n] = c;
    }

    // The panel's own identity on the telephone line, below the numbers' rows.
    QFrame* centrale = Riquadro(p, "RiquadroCentraleModem");
    auto* g = Modulo(centrale);
    CodiceCentraleSmsLabel = Etichetta(centrale, "CodiceCentraleSmsLabel", "Codice centrale SMS");
    SetCodiceCentraleSms = CampoMaschera(centrale, "SetCodiceCentraleSms", "9999;1;_");
    RigaModulo(g, CodiceCentraleSmsLabel, SetCodiceCentraleSms);
    // Shown once the window is shown.
    NumTelCentraleLabel = Etichetta(centrale, "NumTelCentraleLabel", "Numero telefono centrale");
    SetNumTelefonoCentrale = CampoMaschera(centrale, "SetNumTelefonoCentrale", "999999999999999;1;_");
    RigaModulo(g, NumTelCentraleLabel, SetNumTelefonoCentrale);
    Nascondi({NumTelCentraleLabel, SetNumTelefonoCentrale});
    TempoSupervisione = Etichetta(centrale, "TempoSupervisione", "Tempo supervisione");
    SetTipoTempoSupervisione = Lista(centrale, "SetTipoTempoSupervisione", {"12", "24", "48", "72", "168"});
    RigaModulo(g, TempoSupervisione, SetTipoTempoSupervisione);

    // The rows stand in absolute places; the layout only keeps the panel wide and tall enough for
    // them and for the frame below them, whatever the frame's language.
    auto* l = new QVBoxLayout(p);
    l->setContentsMargins(SinistraCaselleNumeri, 0, MargineModulo, MargineModulo);
    l->setSpacing(0);
    l->addSpacerItem(new QSpacerItem(DestraRighe - SinistraCaselleNumeri, FondoRighe + 2 * MargineModulo,
                                     QSizePolicy::Fixed, QSizePolicy::Fixed));
    l->addWidget(centrale, 0, Qt::AlignLeft);
    PannelloAdattato(l);
}

void TMainFrm::CreaPaginaSim() {
    AllineaASinistra(ScrollBoxSim);
    QWidget* p = PanelSim;
    auto* l = new QVBoxLayout(p);
    l->setContentsMargins(20, 20, 20, 20);
    l->setSpacing(MargineModulo);
    PannelloAdattato(l);

    // Enabled by the window for the panels that have a SIM type.
    SetSimVoceEdit = Gruppo(p, "SetSimVoceEdit", "Tipo SIM", {"Voce", "Dati"}, 2);
    l->addWidget(SetSimVoceEdit, 0, Qt::AlignLeft);

    // How the panel learns the SIM's credit; the number, text and report show only for the types
    // that use them.
    QFrame* credito = Riquadro(p, "RiquadroCreditoSim");
    auto* c = Modulo(credito);
    SetTipoRichiestaCredito =
        Gruppo(credito, "SetTipoRichiestaCredito", "",
               {"Sim a Contratto", "Sim Ricaricabile (Richiesta credito con chiamata, risposta SMS)",
                "Sim Ricaricabile (Richiesta credito con SMS, risposta SMS)",
                "Sim Ricaricabile (Richiesta credito con chiamata, risposta messaggio Flash)"},
               1);
    RigaIntera(c, SetTipoRichiestaCredito);
    SetNumTelefonoCreditoLabel = Etichetta(credito, "SetNumTelefonoCreditoLabel", "Numero richiesta credito");
    SetNumTelefonoCredito = CampoMaschera(credito, "SetNumTelefonoCredito", "ccccccccccccccc;1;_");
    RigaModulo(c, SetNumTelefonoCreditoLabel, SetNumTelefonoCredito);
    SetTestoSmsCreditoLabel = Etichetta(credito, "SetTestoSmsCreditoLabel", "Testo SMS richiesta credito");
    SetTestoSmsCredito = CampoTesto(credito, "SetTestoSmsCredito", 25);
    RigaModulo(c, SetTestoSmsCreditoLabel, SetTestoSmsCredito);
    SetInvioSmsCreditoConEiv =
        Casella(credito, "SetInvioSmsCreditoConEiv", "Invio SMS credito con esistenza in vita");
    RigaIntera(c, SetInvioSmsCreditoConEiv);
    SetNumTelefonoOperatoreLabel_NU =
        Etichetta(credito, "SetNumTelefonoOperatoreLabel_NU", "Numero operatore");
    SetNumTelefonoOperatore_NU = CampoTesto(credito, "SetNumTelefonoOperatore_NU", 15);
    RigaModulo(c, SetNumTelefonoOperatoreLabel_NU, SetNumTelefonoOperatore_NU);
    SetInvioSmsCreditoDopoAllarme_NU =
        Casella(credito, "SetInvioSmsCreditoDopoAllarme_NU", "Invio SMS credito dopo allarme");
    RigaIntera(c, SetInvioSmsCreditoDopoAllarme_NU);
    Nascondi({SetNumTelefonoOperatoreLabel_NU, SetNumTelefonoOperatore_NU, SetInvioSmsCreditoDopoAllarme_NU});
    l->addWidget(credito, 0, Qt::AlignLeft);

    // The network chosen by hand, the free text of the panel's messages, the SIM's expiry.
    QFrame* rete = Riquadro(p, "RiquadroReteSim");
    auto* r = Modulo(rete);
    SetFlagSelezOperatoreManualeEdit =
        Casella(rete, "SetFlagSelezOperatoreManualeEdit", "Selezione manuale operatore");
    // Filled from the operator table; it widens to its longest name, up to the longest a network
    // is usually known by (the open list shows even longer ones whole).
    SetCodeOperatoreManualeEdit = Nominato(new QComboBox(rete), "SetCodeOperatoreManualeEdit");
    SetCodeOperatoreManualeEdit->setEditable(false);
    SetCodeOperatoreManualeEdit->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SetCodeOperatoreManualeEdit->setMaximumWidth(
        SetCodeOperatoreManualeEdit->fontMetrics().averageCharWidth() * CaratteriNomeOperatore +
        CorniceLista);
    const int operatore = r->count() == 0 ? 0 : r->rowCount();
    r->addWidget(SetFlagSelezOperatoreManualeEdit, operatore, 0, Qt::AlignLeft | Qt::AlignVCenter);
    r->addWidget(SetCodeOperatoreManualeEdit, operatore, 1, 1, 3, Qt::AlignLeft | Qt::AlignVCenter);
    SetTestoLiberoSmsLabel = Etichetta(rete, "SetTestoLiberoSmsLabel", "Testo libero SMS");
    SetTestoFissoSms = CampoTesto(rete, "SetTestoFissoSms", 40);
    r->addWidget(SetTestoLiberoSmsLabel, operatore + 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    r->addWidget(SetTestoFissoSms, operatore + 1, 1, 1, 3, Qt::AlignLeft | Qt::AlignVCenter);
    SetTestoLiberoSmsLabel->setBuddy(SetTestoFissoSms);
    SetGiorniScadenzaSimLabel = Etichetta(rete, "SetGiorniScadenzaSimLabel", "Scadenza SIM");
    SetGiorniScadenzaSim = Spin(rete, "SetGiorniScadenzaSim", 0, 999);
    SetGiorniScadenzaSimLabel2 = Etichetta(rete, "SetGiorniScadenzaSimLabel2", "giorni");
    r->addWidget(SetGiorniScadenzaSimLabel, operatore + 2, 0, Qt::AlignLeft | Qt::AlignVCenter);
    r->addWidget(SetGiorniScadenzaSim, operatore + 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
    r->addWidget(SetGiorniScadenzaSimLabel2, operatore + 2, 2, Qt::AlignLeft | Qt::AlignVCenter);
    r->setColumnStretch(3, 1);
    SetGiorniScadenzaSimLabel->setBuddy(SetGiorniScadenzaSim);
    l->addWidget(rete, 0, Qt::AlignLeft);

    // The fields of format 11 stay disabled until the window enables them.
    for (QWidget* w :
         {static_cast<QWidget*>(SetSimVoceEdit), static_cast<QWidget*>(SetInvioSmsCreditoConEiv),
          static_cast<QWidget*>(SetTestoLiberoSmsLabel), static_cast<QWidget*>(SetTestoFissoSms)})
        w->setEnabled(false);
}

namespace {

// The controls of one Contact-ID receiver, whose names end in its number.
struct TRicevitore {
    QGroupBox*& Riquadro;
    QLabel*& LabelAccount;
    platform::gui::TMaskEdit*& Account;
    QLabel*& LabelRcvr;
    platform::gui::TMaskEdit*& Rcvr;
    QLabel*& LabelPrefAccount;
    platform::gui::TMaskEdit*& PrefAccount;
    QLabel*& LabelTelVigilanza;
    platform::gui::TMaskEdit*& TelVigilanza;
    QLabel*& LabelVigilanza;
    platform::gui::TRadioGroup*& InvioLinkTest;
    QCheckBox*& InvioContactIdEsterni;
    QPushButton*& TabellaEventi;
    QCheckBox*& AbilServerGprs;
    QFrame* PanelGprs;
    QLabel*& LabelIndirizzoIp;
    platform::gui::TMaskEdit*& IndirizzoIp;
    QLabel*& LabelPorta;
    platform::gui::TSpinEdit*& Porta;
};

void CreaRicevitore(QWidget* Parent, int n, const TRicevitore& r) {
    const QByteArray num = QByteArray::number(n);
    auto nome = [&num](const char* Radice, const char* Coda = "") { return QByteArray(Radice) + num + Coda; };

    r.Riquadro = Nominato(new QGroupBox(QStringLiteral("Vigilanza %1").arg(n), Parent),
                          nome("Vigilanza", "GB").constData());
    QGroupBox* gb = r.Riquadro;
    auto* g = Modulo(gb);
    r.LabelAccount = Etichetta(gb, nome("LabelCidAccount").constData(), "Account");
    r.Account = CampoTesto(gb, nome("EditCidAccount").constData(), 16);
    RigaModulo(g, r.LabelAccount, r.Account);
    r.LabelRcvr = Etichetta(gb, nome("LabelCidRcvr").constData(), "Ricevitore");
    r.Rcvr = CampoMaschera(gb, nome("EditCidRcvr").constData(), "cccccc;1;_");
    RigaModulo(g, r.LabelRcvr, r.Rcvr);
    r.LabelPrefAccount = Etichetta(gb, nome("LabelCidPrefAccount").constData(), "Prefisso account");
    r.PrefAccount = CampoMaschera(gb, nome("EditCidPrefAccount").constData(), "cccccc;1;_");
    RigaModulo(g, r.LabelPrefAccount, r.PrefAccount);
    r.LabelTelVigilanza = Etichetta(gb, nome("SetTelVigilanza", "Label").constData(), "Telefono vigilanza");
    r.TelVigilanza = CampoTesto(gb, nome("SetTelVigilanza", "Edit").constData(), 15);
    RigaModulo(g, r.LabelTelVigilanza, r.TelVigilanza);

    // What the receiver gets besides the alarms.
    g->addItem(new QSpacerItem(0, SpazioRighe, QSizePolicy::Fixed, QSizePolicy::Fixed), g->rowCount(), 0);
    r.LabelVigilanza = Etichetta(gb, nome("LabelVigilanza").constData(), "Stringa Contact-ID");
    RigaIntera(g, r.LabelVigilanza);
    r.InvioLinkTest = Gruppo(gb, nome("SetCidInvioLinkTest", "Edit").constData(), "",
                             {"Invio Link Test", "Invio Esistenza in vita"}, 1);
    RigaIntera(g, r.InvioLinkTest);
    r.InvioContactIdEsterni =
        Casella(gb, nome("SetCidInvioContactIdEsterni", "Edit").constData(), "Invio Contact-ID zone esterne");
    RigaIntera(g, r.InvioContactIdEsterni);
    r.TabellaEventi = Pulsante(gb, nome("TabellaEventiCid", "Btn").constData(), "Associazione eventi");
    RigaIntera(g, r.TabellaEventi);

    // The receiver's GPRS server, shown when GPRS reporting and the server are on.
    g->addItem(new QSpacerItem(0, SpazioRighe, QSizePolicy::Fixed, QSizePolicy::Fixed), g->rowCount(), 0);
    r.AbilServerGprs = Casella(gb, nome("SetAbilServerGprs", "Edit").constData(), "Abilita server GPRS");
    RigaIntera(g, r.AbilServerGprs);
    Libera(r.PanelGprs);
    auto* s = Modulo(r.PanelGprs, 0);
    s->setContentsMargins(2 * SpazioColonne, 0, 0, 0);
    r.LabelIndirizzoIp =
        Etichetta(r.PanelGprs, nome("LabelIndirizzoIpServer").constData(), "Indirizzo IP server");
    r.IndirizzoIp =
        CampoMaschera(r.PanelGprs, nome("EditIndirizzoIPServer").constData(), "000\\.000\\.000\\.000;1;_");
    RigaModulo(s, r.LabelIndirizzoIp, r.IndirizzoIp);
    r.LabelPorta = Etichetta(r.PanelGprs, nome("LabelPortaServer").constData(), "Porta server");
    r.Porta = Spin(r.PanelGprs, nome("EditPortaServer").constData(), 0, 65535);
    RigaModulo(s, r.LabelPorta, r.Porta);
    g->addWidget(r.PanelGprs, g->rowCount(), 0, 1, 2, Qt::AlignLeft);
    g->setRowStretch(g->rowCount(), 1);
}

} // namespace

void TMainFrm::CreaPaginaCid() {
    AllineaASinistra(ScrollBoxContactId);
    QWidget* p = PanelCid;
    auto* l = new QVBoxLayout(p);
    l->setContentsMargins(20, 20, 20, 20);
    l->setSpacing(SpazioRighe);
    PannelloAdattato(l);

    SetAbilContactIdEdit = Casella(p, "SetAbilContactIdEdit", "Abilita Contact-ID");
    l->addWidget(SetAbilContactIdEdit, 0, Qt::AlignLeft);
    SetInvioGprsEdit = Casella(p, "SetInvioGprsEdit", "Abilita invio GPRS");
    l->addWidget(SetInvioGprsEdit, 0, Qt::AlignLeft);

    // The GPRS access of the panel's SIM, under the box that turns GPRS on.
    Libera(PanelGprsGen);
    auto* apn = new QHBoxLayout(PanelGprsGen);
    apn->setContentsMargins(2 * SpazioColonne, 0, 0, SpazioRighe);
    apn->setSpacing(SpazioColonne);
    ApnLabel = Etichetta(PanelGprsGen, "ApnLabel", "APN");
    EditAPN = CampoTesto(PanelGprsGen, "EditAPN", 32);
    ApnUsernameLabel = Etichetta(PanelGprsGen, "ApnUsernameLabel", "Nome utente APN");
    EditAPNUsername = CampoTesto(PanelGprsGen, "EditAPNUsername", 16);
    ApnPasswordLabel = Etichetta(PanelGprsGen, "ApnPasswordLabel", "Password APN");
    EditAPNPassword = CampoTesto(PanelGprsGen, "EditAPNPassword", 16);
    for (auto [etichetta, campo] : {std::pair<QLabel*, QWidget*>{ApnLabel, EditAPN},
                                    {ApnUsernameLabel, EditAPNUsername},
                                    {ApnPasswordLabel, EditAPNPassword}}) {
        apn->addWidget(etichetta);
        apn->addWidget(campo);
        apn->addSpacing(SpazioColonne);
        etichetta->setBuddy(campo);
    }
    l->addWidget(PanelGprsGen, 0, Qt::AlignLeft);

    // Shown when Contact-ID is on: the life test, then the two receivers side by side.
    Libera(PanelContactId);
    auto* cid = new QGridLayout(PanelContactId);
    cid->setContentsMargins(0, SpazioRighe, 0, 0);
    cid->setHorizontalSpacing(MargineModulo);
    cid->setVerticalSpacing(MargineModulo);
    auto* test = new QHBoxLayout();
    test->setSpacing(SpazioColonne);
    SetGiorniLifeTestLabel = Etichetta(PanelContactId, "SetGiorniLifeTestLabel", "Intervallo test (giorni)");
    SetGiorniLifeTestEdit = Spin(PanelContactId, "SetGiorniLifeTestEdit", 0, 99);
    SetOraLifeTestLabel = Etichetta(PanelContactId, "SetOraLifeTestLabel", "Ora invio test");
    SetOraLifeTestEdit = Spin(PanelContactId, "SetOraLifeTestEdit", 0, 23);
    SetMinLifeTestEdit = Spin(PanelContactId, "SetMinLifeTestEdit", 0, 59);
    SetGiorniLifeTestLabel->setBuddy(SetGiorniLifeTestEdit);
    SetOraLifeTestLabel->setBuddy(SetOraLifeTestEdit);
    test->addWidget(SetGiorniLifeTestLabel);
    test->addWidget(SetGiorniLifeTestEdit);
    test->addSpacing(3 * SpazioColonne);
    test->addWidget(SetOraLifeTestLabel);
    test->addWidget(SetOraLifeTestEdit);
    test->addWidget(Etichetta(PanelContactId, "SeparatoreOraLifeTest", ":"));
    test->addWidget(SetMinLifeTestEdit);
    test->addStretch(1);
    cid->addLayout(test, 0, 0, 1, 2);

    CreaRicevitore(PanelContactId, 1,
                   {Vigilanza1GB, LabelCidAccount1, EditCidAccount1, LabelCidRcvr1, EditCidRcvr1,
                    LabelCidPrefAccount1, EditCidPrefAccount1, SetTelVigilanza1Label, SetTelVigilanza1Edit,
                    LabelVigilanza1, SetCidInvioLinkTest1Edit, SetCidInvioContactIdEsterni1Edit,
                    TabellaEventiCid1Btn, SetAbilServerGprs1Edit, PanelGprs1, LabelIndirizzoIpServer1,
                    EditIndirizzoIPServer1, LabelPortaServer1, EditPortaServer1});
    CreaRicevitore(PanelContactId, 2,
                   {Vigilanza2GB, LabelCidAccount2, EditCidAccount2, LabelCidRcvr2, EditCidRcvr2,
                    LabelCidPrefAccount2, EditCidPrefAccount2, SetTelVigilanza2Label, SetTelVigilanza2Edit,
                    LabelVigilanza2, SetCidInvioLinkTest2Edit, SetCidInvioContactIdEsterni2Edit,
                    TabellaEventiCid2Btn, SetAbilServerGprs2Edit, PanelGprs2, LabelIndirizzoIpServer2,
                    EditIndirizzoIPServer2, LabelPortaServer2, EditPortaServer2});
    // Side by side at one height, whichever shows its server.
    cid->addWidget(Vigilanza1GB, 1, 0);
    cid->addWidget(Vigilanza2GB, 1, 1);
    l->addWidget(PanelContactId, 0, Qt::AlignLeft);
}
