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

    // ---- First page
    TImmagine* ImmagineLogo;

    // ---- Panel options page
    QCheckBox* SetSensoriEsterniInclusi;
    QCheckBox* SetSubSonicoPresente;
    QLabel* SecondiSuoneriaPreallarmeLabel;
    platform::gui::TSpinEdit* SetTempoPreallarmeSec;
    QLabel* SecondiTempoSuoneriaEsterniLabel;
    platform::gui::TSpinEdit* SetTempoSuoneriaEsterniSec;
    QLabel* SecondiTempoSuoneriaLabel;
    platform::gui::TSpinEdit* SetTempoSuoneriaSec;
    QCheckBox* SetSuoneriaSettoreF1;
    QCheckBox* SetSuoneriaSettoreF2;
    QCheckBox* SetSuoneriaSettoreF3;
    QCheckBox* SetSuoneriaSettoreF4;
    QCheckBox* SetAbilitazioneAvvisiSettoreF1;
    QCheckBox* SetAbilitazioneAvvisiSettoreF2;
    QCheckBox* SetAbilitazioneAvvisiSettoreF3;
    QCheckBox* SetAbilitazioneAvvisiSettoreF4;

    // ---- Radio zones page
    platform::gui::TUpDown* SelezPaginaRadio;

    // ---- Telephone page
    QLabel* NumTelCentraleLabel;
    platform::gui::TMaskEdit* SetNumTelefonoCentrale;

    // ---- SIM page
    platform::gui::TRadioGroup* SetSimVoceEdit;
    QCheckBox* SetInvioSmsCreditoConEiv;
    QLabel* SetTestoLiberoSmsLabel;
    platform::gui::TMaskEdit* SetTestoFissoSms;

};
