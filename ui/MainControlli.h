#pragma once
// The main window's design: every control of its menu and its ten pages, by the name it carries
// as objectName. The pages are built by TMainFrm; the rows live in their own units.
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QTabWidget;
class QWidget;
class TImmagine;

namespace platform::gui {
class TMaskEdit;
class TMemo;
class TRadioGroup;
class TSpinEdit;
class TUpDown;
} // namespace platform::gui

struct TControlliMainFrm {
    // ---- Menu
    QMenuBar* MainMenu1;
    QMenu* MiFile;
    QAction* MiLeggiFile;
    QAction* MiSalvaApertoFile;
    QAction* MiSalvaConNomeFile;
    QAction* MiSalvaFileKit;
    QAction* MiStampaConfigurazione;
    QAction* MIImportaFile;
    QAction* MIAttivaConnessioneModem;
    QAction* MIDisattivaConnessioneModem;
    QAction* MISepConnessioneModem;
    QAction* MiRiceviCentrale;
    QAction* MiInviaCentrale;
    QAction* MiCodaEventi;
    QAction* MiEsci;
    QMenu* MiOpzioniM;
    QAction* MiOpzioni;

    // ---- Pages, in order
    QTabWidget* PageControl;
    QWidget* SheetDatiInstallazione;
    QWidget* SheetConfigurazioneCentrale;
    QWidget* SheetDescrizioneMessaggiCentrale;
    QWidget* SheetConfigurazioneInseritori;
    QWidget* SheetConfigurazioneBidirezionali;
    QWidget* SheetConfigurazioneZoneFilo;
    QWidget* SheetConfigurazioneZoneRadio;
    QWidget* SheetConfigurazioneModem;
    QWidget* SheetConfigurazioneSim;
    QWidget* SheetConfigurazioneCid;

    QScrollArea* ScrollBoxDati;
    QScrollArea* ScrollBoxCentrale;
    QScrollArea* ScrollBoxMessaggi;
    QScrollArea* ScrollBoxInseritori;
    QScrollArea* ScrollBoxBidirezionali;
    QScrollArea* ScrollBoxSensoriFilo;
    QScrollArea* ScrollBoxSensoriRadio;
    QScrollArea* ScrollBoxModem;
    QScrollArea* ScrollBoxSim;
    QScrollArea* ScrollBoxContactId;

    QFrame* PanelInst;
    QFrame* PanelCentrale;
    QFrame* PanelMessaggi;
    QFrame* PanelInseritori;
    QFrame* PanelBidirezionali;
    QFrame* PanelFilo;
    QFrame* PanelOnBoard;
    QFrame* PanelRadio;
    QFrame* PanelCfgModem;
    QFrame* PanelSim;
    QFrame* PanelCid;
    QFrame* PanelContactId;
    QFrame* PanelGprsGen;
    QFrame* PanelGprs1;
    QFrame* PanelGprs2;

    // ---- Installation page
    QLabel* CodiceCentraleLabel;
    platform::gui::TMaskEdit* EditIDCentrale;
    QLabel* DataInstallazioneLabel;
    platform::gui::TMaskEdit* EditDataInstallazionePc;
    QLabel* DataUltimaModificaLabel;
    platform::gui::TMaskEdit* EditDataUltimaModificaPc;
    QLabel* NoteLabel;
    platform::gui::TMemo* EditCommentiPc;
    TImmagine* ImmagineLogo;
    QLabel* LabelNumProgressivoKit;
    platform::gui::TSpinEdit* EditNumProgressivoKit;
    QLabel* LabelConnessoGprs;
    QPushButton* TerminaConnessioneRemotaGprsBtn;
    QPushButton* TraduciBtn;
    QPushButton* TestGprsBtn;

    // ---- Panel options page
    QCheckBox* SetChimeCentraleAbilitato;
    QCheckBox* SetInibizioneSirenaInParziale;
    QCheckBox* SetZoneEsterneSuoneria_NU;
    QCheckBox* SetControlloPorteInserito;
    QCheckBox* SetSupervisioneSensori;
    QCheckBox* SetAbilAutoEsclusLineeAperte_NU;
    QCheckBox* SetPercorsoInserito_NU;
    QCheckBox* SetAllarmeSingoloSirena;
    QCheckBox* SetBeepInseriti;
    QCheckBox* SetSensoriEsterniInclusi;
    QCheckBox* SetAbilitaMessaggiVocaliCambioStato;
    QCheckBox* SetAttivaSirenaPerTecnologico_NU;
    QCheckBox* SetInvioSmsSpvMancataSensori;
    QCheckBox* SetSubSonicoPresente;
    QCheckBox* SetInvioAvvisiPerSensoriEsterni_NU;
    QLabel* SetLivelloAntiAccecamentoLabel;
    QComboBox* SetLivelloAntiAccecamento;
    QLabel* SetLinguaLabel;
    QComboBox* SetLingua;
    QLabel* DataOraOrologioLabel;
    platform::gui::TMaskEdit* DataOraOrologioVis;

    QLabel* SecondiTempoIngressoLabel;
    platform::gui::TSpinEdit* SetTempoIngressoSec;
    QLabel* SecondiTempoUscitaLabel;
    platform::gui::TSpinEdit* SetTempoUscitaSec;
    QLabel* SecondiSuoneriaPreallarmeLabel;
    platform::gui::TSpinEdit* SetTempoPreallarmeSec;
    QLabel* SecondiTempoSuoneriaEsterniLabel;
    platform::gui::TSpinEdit* SetTempoSuoneriaEsterniSec;
    QLabel* SecondiTempoSirenaLabel;
    platform::gui::TSpinEdit* SetTempoSirenaSec;
    QLabel* SecondiTempoSuoneriaLabel;
    platform::gui::TSpinEdit* SetTempoSuoneriaSec;
    QLabel* SetMinutiPermanenzaArLabel;
    platform::gui::TSpinEdit* SetMinutiPermanenzaAr;
    QLabel* SetNumeroChiamateVoceLabel;
    platform::gui::TSpinEdit* SetNumeroChiamateVoce;
    QLabel* SetNumeroRingLabel;
    platform::gui::TSpinEdit* SetNumeroRing;
    QLabel* SetCodiceTxRadioLabel;
    platform::gui::TSpinEdit* SetCodiceTxRadioEdit;

    QLabel* SetAssociazioneReleAux1Label;
    QComboBox* SetAssociazioneReleAux1;
    platform::gui::TRadioGroup* SetUscitaAux1Nc;
    QLabel* SetAssociazioneReleAux2Label;
    QComboBox* SetAssociazioneReleAux2;
    platform::gui::TRadioGroup* SetUscitaAux2Nc;
    QLabel* SetAssociazioneReleAux3Label;
    QComboBox* SetAssociazioneReleAux3;
    platform::gui::TRadioGroup* SetUscitaAux3Nc;

    QCheckBox* SetSuoneriaSettoreF1;
    QCheckBox* SetSuoneriaSettoreF2;
    QCheckBox* SetSuoneriaSettoreF3;
    QCheckBox* SetSuoneriaSettoreF4;
    QCheckBox* SetAbilitazioneAvvisiSettoreF1;
    QCheckBox* SetAbilitazioneAvvisiSettoreF2;
    QCheckBox* SetAbilitazioneAvvisiSettoreF3;
    QCheckBox* SetAbilitazioneAvvisiSettoreF4;

    // ---- Messages page
    QTableWidget* MsgGrid;

    // ---- Radio zones page
    platform::gui::TUpDown* SelezPaginaRadio;

    // ---- Telephone page
    QCheckBox* SetAbilNumTelSms1;
    QCheckBox* SetAbilNumTelSms2;
    QCheckBox* SetAbilNumTelSms3;
    QCheckBox* SetAbilNumTelSms4;
    QCheckBox* SetAbilNumTelSms5;
    QCheckBox* SetAbilNumTelSms6;
    QCheckBox* SetAbilNumTelSms7;
    QCheckBox* SetAbilNumTelSms8;
    QLabel* CodiceCentraleSmsLabel;
    platform::gui::TMaskEdit* SetCodiceCentraleSms;
    QLabel* NumTelCentraleLabel;
    platform::gui::TMaskEdit* SetNumTelefonoCentrale;
    QLabel* TempoSupervisione;
    QComboBox* SetTipoTempoSupervisione;

    // ---- SIM page
    platform::gui::TRadioGroup* SetSimVoceEdit;
    platform::gui::TRadioGroup* SetTipoRichiestaCredito;
    QLabel* SetNumTelefonoCreditoLabel;
    platform::gui::TMaskEdit* SetNumTelefonoCredito;
    QLabel* SetTestoSmsCreditoLabel;
    platform::gui::TMaskEdit* SetTestoSmsCredito;
    QCheckBox* SetInvioSmsCreditoConEiv;
    QLabel* SetNumTelefonoOperatoreLabel_NU;
    platform::gui::TMaskEdit* SetNumTelefonoOperatore_NU;
    QCheckBox* SetInvioSmsCreditoDopoAllarme_NU;
    QCheckBox* SetFlagSelezOperatoreManualeEdit;
    QComboBox* SetCodeOperatoreManualeEdit;
    QLabel* SetTestoLiberoSmsLabel;
    platform::gui::TMaskEdit* SetTestoFissoSms;
    QLabel* SetGiorniScadenzaSimLabel;
    platform::gui::TSpinEdit* SetGiorniScadenzaSim;
    QLabel* SetGiorniScadenzaSimLabel2;

    // ---- Contact-ID and GPRS page
    QCheckBox* SetAbilContactIdEdit;
    QCheckBox* SetInvioGprsEdit;
    QLabel* ApnLabel;
    platform::gui::TMaskEdit* EditAPN;
    QLabel* ApnUsernameLabel;
    platform::gui::TMaskEdit* EditAPNUsername;
    QLabel* ApnPasswordLabel;
    platform::gui::TMaskEdit* EditAPNPassword;
    QLabel* SetGiorniLifeTestLabel;
    platform::gui::TSpinEdit* SetGiorniLifeTestEdit;
    QLabel* SetOraLifeTestLabel;
    platform::gui::TSpinEdit* SetOraLifeTestEdit;
    platform::gui::TSpinEdit* SetMinLifeTestEdit;

    // The two Contact-ID receivers, alike but for the number their names end in.
    QGroupBox* Vigilanza1GB;
    QLabel* LabelCidAccount1;
    platform::gui::TMaskEdit* EditCidAccount1;
    QLabel* LabelCidRcvr1;
    platform::gui::TMaskEdit* EditCidRcvr1;
    QLabel* LabelCidPrefAccount1;
    platform::gui::TMaskEdit* EditCidPrefAccount1;
    QLabel* SetTelVigilanza1Label;
    platform::gui::TMaskEdit* SetTelVigilanza1Edit;
    QLabel* LabelVigilanza1;
    platform::gui::TRadioGroup* SetCidInvioLinkTest1Edit;
    QCheckBox* SetCidInvioContactIdEsterni1Edit;
    QPushButton* TabellaEventiCid1Btn;
    QCheckBox* SetAbilServerGprs1Edit;
    QLabel* LabelIndirizzoIpServer1;
    platform::gui::TMaskEdit* EditIndirizzoIPServer1;
    QLabel* LabelPortaServer1;
    platform::gui::TSpinEdit* EditPortaServer1;

    QGroupBox* Vigilanza2GB;
    QLabel* LabelCidAccount2;
    platform::gui::TMaskEdit* EditCidAccount2;
    QLabel* LabelCidRcvr2;
    platform::gui::TMaskEdit* EditCidRcvr2;
    QLabel* LabelCidPrefAccount2;
    platform::gui::TMaskEdit* EditCidPrefAccount2;
    QLabel* SetTelVigilanza2Label;
    platform::gui::TMaskEdit* SetTelVigilanza2Edit;
    QLabel* LabelVigilanza2;
    platform::gui::TRadioGroup* SetCidInvioLinkTest2Edit;
    QCheckBox* SetCidInvioContactIdEsterni2Edit;
    QPushButton* TabellaEventiCid2Btn;
    QCheckBox* SetAbilServerGprs2Edit;
    QLabel* LabelIndirizzoIpServer2;
    platform::gui::TMaskEdit* EditIndirizzoIPServer2;
    QLabel* LabelPortaServer2;
    platform::gui::TSpinEdit* EditPortaServer2;
};
