// The main window's companion: its rows' creation and destruction, and the translation of the
// window and its rows.
#include "ui/FunzMain.h"

#include "config/ChiaviLingua.h"
#include "config/ConfigPc.h"
#include "config/FileConfig.h"
#include "config/GetMessage_11.h"
#include "platform/diag/Diagnostica.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/gui/qt/TraduzioniQt.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/Main.h"
#include "ui/Testi.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <exception>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

// The one message both the rows' creation and their translation give when they fail half-way.
constexpr const char* TestoMemoriaPiena = "Memory Full";

constexpr int AltezzaPannelloInseritori = 680;
constexpr int AltezzaRigaInseritore = 41;

// The relay functions in the order of the values the image stores.
constexpr const char* ChiaviRele[] = {
    "STRMAIN_ASSOC_RELE_ON_OFF",
    "STRMAIN_ASSOC_RELE_TEMPERATURA",
    "STRMAIN_ASSOC_RELE_RING",
    "STRMAIN_ASSOC_RELE_JAM",
    "STRMAIN_ASSOC_RELE_ANOMALIA_GSM",
    "STRMAIN_ASSOC_RELE_TELEALLARME",
    "STRMAIN_ASSOC_RELE_TC",
    "STRMAIN_ASSOC_RELE_TECNOLOGICO",
    "STRMAIN_ASSOC_RELE_PREALLARME",
    "STRMAIN_ASSOC_RELE_ALERT",
    "STRMAIN_ASSOC_RELE_TEMPOINGRESSO",
    "STRMAIN_ASSOC_RELE_TEMPOUSCITA",
    "STRMAIN_ASSOC_RELE_INS_TOTALE",
    "STRMAIN_ASSOC_RELE_INS_PARZIALE",
    "STRMAIN_ASSOC_RELE_INS_ESTERNO",
    "STRMAIN_ASSOC_RELE_TAMPER",
    "STRMAIN_ASSOC_RELE_PANICO",
    "STRMAIN_ASSOC_RELE_ASSENZARETE",
    "STRMAIN_ASSOC_RELE_BATTERIABASSA",
    "STRMAIN_ASSOC_RELE_ACCECAMENTORADIO",
    "STRMAIN_ASSOC_RELE_SEGNAL_PA",
    "STRMAIN_ASSOC_RELE_PORTEAPERTE",
    "STRMAIN_ASSOC_RELE_SUONERIAESTERNI",
    "STRMAIN_ASSOC_RELE_TELECOMANDO16",
    "STRMAIN_ASSOC_RELE_DOPPIOALLARME",
    "STRMAIN_ASSOC_RELE_SIRENA_SOLO_TOTALE",
    "STRMAIN_ASSOC_RELE_SIRENA_ESTERNO",
};

// A caption, whatever kind of control carries it: a group's title, a button's or a label's text.
void ImpostaCaption(QWidget* Controllo, const QString& Testo) {
    if (auto* g = qobject_cast<QGroupBox*>(Controllo))
        g->setTitle(Testo);
    else if (auto* b = qobject_cast<QAbstractButton*>(Controllo))
        b->setText(Testo);
    else if (auto* l = qobject_cast<QLabel*>(Controllo))
        l->setText(Testo);
}

using Coppie = std::initializer_list<std::pair<const char*, QWidget*>>;

void Traduci(Coppie Elenco) {
    for (const auto& [chiave, controllo] : Elenco)
        ImpostaCaption(controllo, Testo(chiave));
}

// A list cleared and filled again selects nothing, as the lists were designed to: the image's
// values are selected by the copy into the controls that follows every translation.
void RiempiLista(QComboBox* Combo, std::initializer_list<std::string> Chiavi) {
    const QSignalBlocker blocco(Combo);
    Combo->clear();
    for (const std::string& chiave : Chiavi)
        Combo->addItem(Testo(chiave));
    Combo->setCurrentIndex(-1);
}

void RiempiLista(platform::gui::TRadioGroup* Gruppo, const std::vector<std::string>& Testi) {
    // Rebuilding the items is no click of the user's: it must not start a refresh.
    const QSignalBlocker blocco(Gruppo);
    Gruppo->SetItemIndex(-1);
    Gruppo->SetItems(Testi);
}

std::vector<std::string> TestiDi(std::initializer_list<const char*> Chiavi) {
    std::vector<std::string> testi;
    for (const char* chiave : Chiavi)
        testi.push_back(GetMessaggio(chiave));
    return testi;
}

} // namespace

void CaricaAssociazioniRele(QComboBox* Combo) {
    const QSignalBlocker blocco(Combo);
    Combo->clear();
    for (const char* chiave : ChiaviRele)
        Combo->addItem(Testo(chiave));
    Combo->setCurrentIndex(-1);
}

// ---- Rows ---------------------------------------------------------------------------------------

namespace {

// The zone rows' choices start on their first items without running their click handlers, and
// the type choice takes the place of the sector choice, which these panels do not use.
template <class R> void InizializzaScelteZona(R* Riga) {
    Riga->TipoProgrZona->SetItemIndex(0);
    {
        const QSignalBlocker blocco(Riga->SetTipoSensore);
        Riga->SetTipoSensore->SetItemIndex(0);
    }
    {
        const QSignalBlocker blocco(Riga->SetSettoreInserito);
        Riga->SetSettoreInserito->SetItemIndex(0);
    }
    Riga->SetTipoSensore->move(280, Riga->SetTipoSensore->y());
    Riga->SetSettoreInserito->setVisible(false);
    Riga->SetTipoSensore->setVisible(true);
}

template <class R, std::size_t N> void Distruggi(std::array<R*, N>& Righe) {
    for (R*& riga : Righe) {
        delete riga;
        riga = nullptr;
    }
}

} // namespace

void TMainFrm::CreaFrame() {
    try {
        // The keypad page scrolls over all sixteen rows: its range follows the panel's height.
        PanelInseritori->setFixedHeight(AltezzaPannelloInseritori);

        for (int k = 0; k < int(FrameInser.size()); ++k) {
            auto* r = new TFrameInser(PanelInseritori);
            FrameInser[k] = r;
            r->setObjectName(QStringLiteral("FrameInser%1").arg(k));
            r->resize(r->width(), AltezzaRigaInseritore);
            r->Tag = k;
            r->move(5, 20 + 40 * k);
        }
        for (int k = 0; k < int(FrameBidir.size()); ++k) {
            auto* r = new TFrameBidir(PanelBidirezionali);
            FrameBidir[k] = r;
            r->setObjectName(QStringLiteral("FrameBidir%1").arg(k));
            r->Tag = k;
            r->move(5, 20 + 40 * k);
        }
        for (int i = 0; i < int(FrameSensFilo.size()); ++i) {
            auto* r = new TFrameSensFilo(PanelOnBoard);
            FrameSensFilo[i] = r;
            r->setObjectName(QStringLiteral("FrameSensFilo%1").arg(i));
            r->move(1, 30 + 100 * i);
            InizializzaScelteZona(r);
        }
        for (int i = 0; i < int(FrameSensRadio.size()); ++i) {
            auto* r = new TFrameSensRadio(PanelRadio);
            FrameSensRadio[i] = r;
            r->setObjectName(QStringLiteral("FrameSensRadio%1").arg(i));
            r->Tag = i;
            r->move(5, 25 + 105 * i);
            InizializzaScelteZona(r);
        }
        for (int n = 0; n < int(FrameNumTel.size()); ++n) {
            auto* r = new TFrameNumTel(PanelCfgModem);
            FrameNumTel[n] = r;
            r->setObjectName(QStringLiteral("FrameNumTel%1").arg(n));
            r->move(200, 46 + 65 * n);
        }
    } catch (const std::exception&) {
        // The rows made so far stay; every routine that walks the rows skips the missing ones.
        // Whatever the failure, the user's text is the one for memory: the reason goes to the log.
        platform::Diagnostica("FunzMain", "rows not made: " + platform::MotivoEccezione());
        platform::gui::ShowError(TestoMemoriaPiena);
    }
    TraduciFrame();
}

void TMainFrm::DistruggiFrame() {
    Distruggi(FrameInser);
    Distruggi(FrameBidir);
    Distruggi(FrameSensFilo);
    Distruggi(FrameSensRadio);
    Distruggi(FrameNumTel);
}

// ---- Translation --------------------------------------------------------------------------------

void TMainFrm::TraduciForm() {
    // Qt's own dialogs speak the same language as the program.
    platform::gui::ImpostaLinguaQt(ConfigPc.Lingua);
    // The caption names the open file in every language: Save still writes there.
    setWindowTitle(platform::gui::FromCp1252(CaptionMainFrm()));

    MiFile->setTitle(Testo("STRMAIN_FILE"));
    MiLeggiFile->setText(Testo("STRMAIN_LEGGIFILE"));
    MiSalvaApertoFile->setText(Testo("STRMAIN_SALVAFILEAPERTO"));
    MiSalvaConNomeFile->setText(Testo("STRMAIN_SALVAFILENOME"));
    StrSovrascrivere = GetMessaggio("STRMAIN_SOVRASCRIVERE");
    MiStampaConfigurazione->setText(Testo("STRMAIN_STAMPACONF"));
    MIAttivaConnessioneModem->setText(Testo("STRMAIN_ATTIVACOM"));
    MIDisattivaConnessioneModem->setText(Testo("STRMAIN_DISATTIVACOM"));
    MiRiceviCentrale->setText(Testo("STRMAIN_RICEVICENTRALE"));
    MiInviaCentrale->setText(Testo("STRMAIN_INVIACENTRALE"));
    MiCodaEventi->setText(Testo("STRMAIN_CODAEVENTI"));
    MIImportaFile->setText(Testo("STRIMP_TITOLO"));
    MiEsci->setText(Testo("STRGLOBAL_ESCI"));
    // The menu and its only entry say the same.
    const QString opzioni = Testo("STRMAIN_OPZIONI");
    MiOpzioniM->setTitle(opzioni);
    MiOpzioni->setText(opzioni);

    auto scheda = [this](QWidget* Scheda, const char* Chiave) {
        PageControl->setTabText(PageControl->indexOf(Scheda), Testo(Chiave));
    };

    // Installation page.
    scheda(SheetDatiInstallazione, "STRMAIN_DATIINSTALL");
    Traduci({{"STRMAIN_CODICECENTRALE", CodiceCentraleLabel},
             {"STRMAIN_DATAINSTALLAZ", DataInstallazioneLabel},
             {"STRMAIN_DATAULTIMAMOD", DataUltimaModificaLabel},
             {"STRMAIN_NOTE", NoteLabel}});

    // Panel options page.
    scheda(SheetConfigurazioneCentrale, "STRMAIN_CONFCENTRALE");
    Traduci({{"STRMAIN_CHIMECENTRALE", SetChimeCentraleAbilitato},
             {"STRMAIN_BEEPINSERITI", SetBeepInseriti},
             {"STRMAIN_SETEXTSUONERIA", SetZoneEsterneSuoneria_NU},
             {"STRMAIN_CONTROLLOPORTE", SetControlloPorteInserito},
             {"STRMAIN_SUPERVISINSERITA", SetSupervisioneSensori},
             {"STRMAIN_SETABILAUTOESCL", SetAbilAutoEsclusLineeAperte_NU},
             {"STRMAIN_PERCORSO", SetPercorsoInserito_NU},
             {"STRMAIN_ALRSIRENASINGOLO", SetAllarmeSingoloSirena},
             {"STRMAIN_SENSORIEXTINCL", SetSensoriEsterniInclusi},
             {"STRMAIN_MSGVOCALISTATO", SetAbilitaMessaggiVocaliCambioStato},
             {"STRMAIN_CODICETXRADIO", SetCodiceTxRadioLabel},
             {"STRMAIN_SIRENATECNO", SetAttivaSirenaPerTecnologico_NU},
             {"STRMAIN_INVIOSMSSPVMANCATASENSORI", SetInvioSmsSpvMancataSensori},
             {"STRMAIN_INVIOAVVISIGSMPERSENSOREESTERNO", SetInvioAvvisiPerSensoriEsterni_NU},
             {"STRMAIN_SUBSONICOPRESENTE", SetSubSonicoPresente},
             {"STRMAIN_INIBIZIONESIRENAINPARZIALE", SetInibizioneSirenaInParziale},
             {"STRMAIN_LIVANTIACC", SetLivelloAntiAccecamentoLabel},
             {"STRMAIN_DATAORAOROL", DataOraOrologioLabel}});
    RiempiLista(SetLingua,
                {"STROPZIONI_ITALIANO", "STROPZIONI_INGLESE", "STROPZIONI_FRANCESE", "STROPZIONI_SPAGNOLO"});
    Traduci({{"STROPZIONI_LINGUA", SetLinguaLabel},
             {"STRMAIN_TEMPOINGRESSOSEC", SecondiTempoIngressoLabel},
             {"STRMAIN_TEMPOUSCITASEC", SecondiTempoUscitaLabel},
             {"STRMAIN_SUONERIAPRESEC", SecondiSuoneriaPreallarmeLabel},
             {"STRMAIN_TEMPOSUONERIAESTERNISEC", SecondiTempoSuoneriaEsterniLabel},
             {"STRMAIN_TEMPOSIRENASEC", SecondiTempoSirenaLabel},
             {"STRMAIN_MIN_PERM_AR", SetMinutiPermanenzaArLabel},
             {"STRMAIN_NUM_CHIAMATEVOCE", SetNumeroChiamateVoceLabel},
             {"STRMAIN_NUM_RING", SetNumeroRingLabel}});
    const QString uscitaAux = Testo("STRMAIN_ASSOC_OUT_AUX");
    SetAssociazioneReleAux1Label->setText(uscitaAux + QStringLiteral(" 1"));
    SetAssociazioneReleAux2Label->setText(uscitaAux + QStringLiteral(" 2"));
    SetAssociazioneReleAux3Label->setText(uscitaAux + QStringLiteral(" 3"));
    CaricaAssociazioniRele(SetAssociazioneReleAux1);
    CaricaAssociazioniRele(SetAssociazioneReleAux2);
    CaricaAssociazioniRele(SetAssociazioneReleAux3);

    // Message page: five messages, each named in the fixed column.
    scheda(SheetDescrizioneMessaggiCentrale, "STRMAIN_DESCRMSGCENTRALE");
    MsgGrid->setRowCount(5);
    MsgGrid->setFixedHeight(120);
    for (int i = 0; i < 5; ++i) {
        QTableWidgetItem* nome = MsgGrid->item(i, 0);
        if (!nome) {
            nome = new QTableWidgetItem();
            nome->setFlags(Qt::ItemIsEnabled);
            MsgGrid->setItem(i, 0, nome);
        }
        nome->setText(Testo(ChiaveDiFamiglia(ChiaviMessaggiVocali, i)));
    }

    // The rows' pages.
    scheda(SheetConfigurazioneInseritori, "STRMAIN_CONFINSERITORI");
    scheda(SheetConfigurazioneBidirezionali, "STRMAIN_CFGBIDIREZIONALI");
    scheda(SheetConfigurazioneZoneFilo, "STRMAIN_CONFZONEFILO");
    scheda(SheetConfigurazioneZoneRadio, "STRMAIN_CONFZONERADIO");

    // Telephone page.
    scheda(SheetConfigurazioneModem, "STRMAIN_CONFMODEM");
    Traduci({{"STRMAIN_CODCENTRALESMS", CodiceCentraleSmsLabel},
             {"STRMAIN_NUMTELCENTRALE", NumTelCentraleLabel},
             {"STRMAIN_TEMPOSPV", TempoSupervisione}});
    RiempiLista(SetTipoTempoSupervisione,
                {ChiaveDiFamiglia(ChiaviTempoSupervisione, 0), ChiaveDiFamiglia(ChiaviTempoSupervisione, 1),
                 ChiaveDiFamiglia(ChiaviTempoSupervisione, 2), ChiaveDiFamiglia(ChiaviTempoSupervisione, 3),
                 ChiaveDiFamiglia(ChiaviTempoSupervisione, 4), ChiaveDiFamiglia(ChiaviTempoSupervisione, 5)});
    QCheckBox* const abilNumTel[] = {SetAbilNumTelSms1, SetAbilNumTelSms2, SetAbilNumTelSms3,
                                     SetAbilNumTelSms4, SetAbilNumTelSms5, SetAbilNumTelSms6,
                                     SetAbilNumTelSms7, SetAbilNumTelSms8};
    for (int n = 0; n < 8; ++n)
        abilNumTel[n]->setText(Testo(ChiaveDiFamiglia(ChiaviAbilNumTelSms, n + 1)));

    // SIM page.
    scheda(SheetConfigurazioneSim, "STRMAIN_CONFSIM");
    RiempiLista(SetTipoRichiestaCredito, TestiDi({"STRMAIN_TC_CONTRATTO", "STRMAIN_TC_CALL_SMS",
                                                  "STRMAIN_TC_SMS_SMS", "STRMAIN_TC_CALL_FLASH"}));
    Traduci({{"STRMAIN_SELEZMANUALEOPER", SetFlagSelezOperatoreManualeEdit},
             {"STRMAIN_NUMTELCREDITO", SetNumTelefonoCreditoLabel},
             {"STRMAIN_TESTOSMSCREDITO", SetTestoSmsCreditoLabel},
             {"STRMAIN_NUMTELOPERATORE", SetNumTelefonoOperatoreLabel_NU},
             {"STRMAIN_INVIOSMSCREDITOEIV", SetInvioSmsCreditoConEiv},
             {"STRMAIN_SIMTIPO", SetSimVoceEdit}});
    RiempiLista(SetSimVoceEdit, TestiDi({"STRMAIN_SIMVOCE", "STRMAIN_SIMDATI"}));
    Traduci({{"STRMAIN_TESTOLIBEROSMS", SetTestoLiberoSmsLabel},
             {"STRMAIN_SCADENZASIM1", SetGiorniScadenzaSimLabel},
             {"STRMAIN_SCADENZASIM2", SetGiorniScadenzaSimLabel2}});

    // Contact-ID and GPRS page, then each receiver's controls.
    scheda(SheetConfigurazioneCid, "STRMAIN_CONFCID");
    Traduci({{"STRMAIN_CIDABILCID", SetAbilContactIdEdit},
             {"STRMAIN_CIDGIORNILIFE", SetGiorniLifeTestLabel},
             {"STRMAIN_CIDORALIFE", SetOraLifeTestLabel},
             {"STRMAIN_CIDABILGPRS", SetInvioGprsEdit},
             {"STRMAIN_CIDAPN", ApnLabel},
             {"STRMAIN_CID_APNUSER", ApnUsernameLabel},
             {"STRMAIN_CID_APNPASS", ApnPasswordLabel}});
    // Each receiver's controls, the first receiver's then the second's.
    struct TRicevitore {
        QGroupBox* Gruppo;
        QWidget *Account, *Rcvr, *PrefAccount, *AbilServer;
        platform::gui::TRadioGroup* LinkTest;
        QWidget *Esterni, *Ip, *Porta, *TelVigilanza, *Stringa, *Tabella;
    };
    const TRicevitore ricevitori[] = {
        {Vigilanza1GB, LabelCidAccount1, LabelCidRcvr1, LabelCidPrefAccount1, SetAbilServerGprs1Edit,
         SetCidInvioLinkTest1Edit, SetCidInvioContactIdEsterni1Edit, LabelIndirizzoIpServer1,
         LabelPortaServer1, SetTelVigilanza1Label, LabelVigilanza1, TabellaEventiCid1Btn},
        {Vigilanza2GB, LabelCidAccount2, LabelCidRcvr2, LabelCidPrefAccount2, SetAbilServerGprs2Edit,
         SetCidInvioLinkTest2Edit, SetCidInvioContactIdEsterni2Edit, LabelIndirizzoIpServer2,
         LabelPortaServer2, SetTelVigilanza2Label, LabelVigilanza2, TabellaEventiCid2Btn},
    };
    for (int r = 0; r < 2; ++r) {
        const TRicevitore& v = ricevitori[r];
        v.Gruppo->setTitle(Testo("STRMAIN_CIDVIGILANZA") + ' ' + QString::number(r + 1));
        Traduci({{"STRMAIN_CIDACCOUNT", v.Account},
                 {"STRMAIN_CIDRCVR", v.Rcvr},
                 {"STRMAIN_CIDPREFACCOUNT", v.PrefAccount},
                 {"STRMAIN_CIDABILSERVER", v.AbilServer}});
        RiempiLista(v.LinkTest, TestiDi({"STRMAIN_CIDINVIOEIV1", "STRMAIN_CIDINVIOEIV2"}));
        Traduci({{"STRMAIN_CIDINVIOESTENI", v.Esterni},
                 {"STRMAIN_CIDIP", v.Ip},
                 {"STRMAIN_CIDPORTA", v.Porta},
                 {"STRMAIN_CIDTELVIG", v.TelVigilanza},
                 {"STRMAIN_CIDSTR", v.Stringa},
                 {"STRMAIN_CIDASSOCIAZIONI", v.Tabella}});
    }

    // Texts the window's dialogs show later.
    StrConfInvio = GetMessaggio("STRGLOBAL_CONFINVIO");
    StrConnessioneOk = GetMessaggio("STRMAIN_CONNESSIONEOK");
    StrConnessioneNo = GetMessaggio("STRMAIN_CONNESSIONENO");
    StrCopiaPrec = GetMessaggio("STRMAIN_COPIA_PREC");
    StrCodaNoFileCfg = GetMessaggio("STRMAIN_CODA_NOFILECFG");
    StrCodaFileCfgOk = GetMessaggio("STRMAIN_CODA_FILECFGOK");
    StrCfgVuota = GetMessaggio("STRMAIN_CFGVUOTA");

    TraduciFrame();
}

void TMainFrm::TraduciFrame() {
    try {
        const bool codiciVisibili = ConfigPc.CodiciRadioEditabili == 1;
        const QString appreso = Testo("STRMAIN_SENSOREAPPRESO");
        const QString cancella = Testo("STRMAIN_CANCELLA");

        const QString inseritore = Testo("STRMAIN_INSERITORE");
        for (int k = 0; k < int(FrameInser.size()); ++k) {
            TFrameInser* r = FrameInser[k];
            if (!r) continue;
            r->InserAppresoLabel->setText(appreso);
            r->InserAppresoLabel->adjustSize();
            r->DescrizioneInserLabel->setText(inseritore + ' ' +
                                              platform::gui::FromCp1252(IntToStrZeri(k + 1, 2)));
            // The check boxes' texts are looked up row by row.
            r->SetTxAbilInvioSegnalazioni->setText(Testo("STRMAIN_INS_ABILINVIOS"));
            QCheckBox* const ins[] = {r->AbilInsF1, r->AbilInsF2, r->AbilInsF3, r->AbilInsF4};
            QCheckBox* const dis[] = {r->AbilDisF1, r->AbilDisF2, r->AbilDisF3, r->AbilDisF4};
            for (int f = 0; f < 4; ++f) {
                const QString settore = QStringLiteral(" F") + QString::number(f + 1);
                ins[f]->setText(Testo("STRMAIN_INS_ABIL_INS_SETTORE") + settore);
                dis[f]->setText(Testo("STRMAIN_INS_ABIL_DIS_SETTORE") + settore);
            }
            r->CodiceRadio->setVisible(codiciVisibili);
            r->CancellaRadioBtn->setText(cancella);
        }

        const QString periferica = Testo("STRMAIN_PERIFERICA");
        for (int k = 0; k < int(FrameBidir.size()); ++k) {
            TFrameBidir* r = FrameBidir[k];
            if (!r) continue;
            r->BidirAppresoLabel->setText(appreso);
            r->BidirAppresoLabel->adjustSize();
            r->DescrizionePerifericaLabel->setText(periferica + ' ' +
                                                   platform::gui::FromCp1252(IntToStrZeri(k + 1, 2)));
            r->CodiceRadio->setVisible(codiciVisibili);
            r->CancellaRadioBtn->setText(cancella);
        }

        const QString linea = Testo("STRMAIN_LINEA");
        const QString alert = Testo("STRMAIN_CHIMEZONA");
        const QString ore24 = Testo("STRMAIN_24ORE");
        const QString avvisiSms = Testo("STRMAIN_AVVISISMSPERTECNOOEXT");
        const QString avvisiVoc = Testo("STRMAIN_AVVISIVOCPERTECNOOEXT");
        const QString sirena = Testo("STRMAIN_SIRENAPERTECNOOEXT");
        const QString suoneria = Testo("STRMAIN_SUONERIAPERTECNOOEXT");
        const std::vector<std::string> programmazione =
            TestiDi({"STRMAIN_DISABILITATO", "STRMAIN_ATTIVOISTANTANEO", "STRMAIN_ATTIVORITARDATO"});
        const std::vector<std::string> tipi =
            TestiDi({"STRMAIN_SENSTOTALE", "STRMAIN_SENSPARZIALE", "STRMAIN_SENSESTERNO"});
        // The ninth line can be neither delayed, nor external, nor a 24-hour zone.
        const std::vector<std::string> programmazioneLinea9(programmazione.begin(),
                                                            programmazione.begin() + 2);
        const std::vector<std::string> tipiLinea9(tipi.begin(), tipi.begin() + 2);
        auto caselleZona = [&](auto* r) {
            r->AlertZonaAbilitato->setText(alert);
            r->TecnologicoZonaAbilitato->setText(ore24);
            r->SetAvvisiSmsPerTecnoOExt->setText(avvisiSms);
            r->SetAvvisiVocPerTecnoOExt->setText(avvisiVoc);
            r->SetSirenaPerTecnoOExt->setText(sirena);
            r->SetSuoneriaPerTecnoOExt->setText(suoneria);
        };
        for (int i = 0; i < int(FrameSensFilo.size()); ++i) {
            TFrameSensFilo* r = FrameSensFilo[i];
            if (!r) continue;
            r->NumeroZonaLabel->setText(linea + ' ' + QString::number(i + 1));
            caselleZona(r);
            const bool nona = i == int(FrameSensFilo.size()) - 1;
            if (nona) r->TecnologicoZonaAbilitato->setVisible(false);
            RiempiLista(r->TipoProgrZona, nona ? programmazioneLinea9 : programmazione);
            RiempiLista(r->SetTipoSensore, nona ? tipiLinea9 : tipi);
        }

        const QString chimeVocale = Testo("STRMAIN_CHIMEVOCALE");
        const QString singolo1 = Testo("STRMAIN_SINGOLOCONTATTO1");
        const QString singolo2 = Testo("STRMAIN_SINGOLOCONTATTO2");
        const QString descrizione = Testo("STRMAIN_DESCRSENSORE");
        const QString codiceRadio = Testo("STRMAIN_CODICERADIO");
        for (int i = 0; i < int(FrameSensRadio.size()); ++i) {
            TFrameSensRadio* r = FrameSensRadio[i];
            if (!r) continue;
            r->NumeroZonaLabel->setText(platform::gui::FromCp1252(IntToStrZeri(i + 1, 3)));
            r->SensoreAppresoLabel->setText(appreso);
            r->SensoreAppresoLabel->adjustSize();
            r->ChimeVocaleAbilitato->setText(chimeVocale);
            caselleZona(r);
            r->SetSingoloContatto->setText(singolo1);
            r->SetSingoloContatto2->setText(singolo2);
            r->SetSingoloContatto2->adjustSize();
            r->DescrizioneZonaLabel->setText(descrizione);
            r->CodiceRadioLabel->setText(codiceRadio);
            r->CodiceRadio->setVisible(codiciVisibili);
            r->CancellaRadioBtn->setText(cancella);
            RiempiLista(r->TipoProgrZona, programmazione);
            RiempiLista(r->SetTipoSensore, tipi);
        }

        const std::pair<const char*, QCheckBox * TFrameNumTel::*> flagNumTel[] = {
            {"STRMAIN_ABILTXALLARMI", &TFrameNumTel::SetAbilTxAllarmi},
            {"STRMAIN_ABILTXSTATOALIM", &TFrameNumTel::SetAbilTxStatoAlim},
            {"STRMAIN_ABILTXPANICO", &TFrameNumTel::SetAbilTxPanico},
            {"STRMAIN_ABILTXTELEALR", &TFrameNumTel::SetAbilTxTeleAlr},
            {"STRMAIN_ABILTXSTATOINS", &TFrameNumTel::SetAbilTxStatoIns},
            {"STRMAIN_ABILTXSPV", &TFrameNumTel::SetAbilTxSupervisione},
            {"STRMAIN_ABILDIRALR", &TFrameNumTel::SetAbilChiamataDirettaAllarme},
            {"STRMAIN_ABILDIRPAN", &TFrameNumTel::SetAbilChiamataDirettaPanico},
            {"STRMAIN_ABILDIRTELE", &TFrameNumTel::SetAbilChiamataDirettaTeleAlr},
        };
        const QString numTelefono = Testo("STRMAIN_NUMTELEFONO");
        std::vector<QString> testiFlag;
        for (const auto& [chiave, casella] : flagNumTel)
            testiFlag.push_back(Testo(chiave));
        for (TFrameNumTel* r : FrameNumTel) {
            if (!r) continue;
            r->NumTelefonoLabel->setText(numTelefono);
            r->NumTelefonoLabel->adjustSize();
            for (std::size_t f = 0; f < std::size(flagNumTel); ++f)
                (r->*flagNumTel[f].second)->setText(testiFlag[f]);
        }
    } catch (const std::exception&) {
        platform::Diagnostica("FunzMain", "rows not translated: " + platform::MotivoEccezione());
        platform::gui::ShowError(TestoMemoriaPiena);
    }
}
