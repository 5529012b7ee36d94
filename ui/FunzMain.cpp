// The main window's companion: its rows' creation and destruction, and the translation of the
// window and its rows.
#include "ui/FunzMain.h"

#include "ui/Main.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "ui/Testi.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

void TMainFrm::CreaFrame() {}

void TMainFrm::DistruggiFrame() {}

void TMainFrm::TraduciForm() {
    setWindowTitle("Centrale Vm415 (v. 1.11c)");

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
    const QString opzioni = Testo("STRMAIN_OPZIONI");
    MiOpzioniM->setTitle(opzioni);
    MiOpzioni->setText(opzioni);

    const std::pair<QWidget*, const char*> schede[] = {
        {SheetDatiInstallazione, "STRMAIN_DATIINSTALL"},
        {SheetConfigurazioneCentrale, "STRMAIN_CONFCENTRALE"},
        {SheetDescrizioneMessaggiCentrale, "STRMAIN_DESCRMSGCENTRALE"},
        {SheetConfigurazioneInseritori, "STRMAIN_CONFINSERITORI"},
        {SheetConfigurazioneBidirezionali, "STRMAIN_CFGBIDIREZIONALI"},
        {SheetConfigurazioneZoneFilo, "STRMAIN_CONFZONEFILO"},
        {SheetConfigurazioneZoneRadio, "STRMAIN_CONFZONERADIO"},
        {SheetConfigurazioneModem, "STRMAIN_CONFMODEM"},
        {SheetConfigurazioneSim, "STRMAIN_CONFSIM"},
        {SheetConfigurazioneCid, "STRMAIN_CONFCID"},
    };
    for (const auto& [scheda, chiave] : schede)
        PageControl->setTabText(PageControl->indexOf(scheda), Testo(chiave));

    SetSensoriEsterniInclusi->setText(Testo("STRMAIN_SENSORIEXTINCL"));
    SetSubSonicoPresente->setText(Testo("STRMAIN_SUBSONICOPRESENTE"));
    SecondiSuoneriaPreallarmeLabel->setText(Testo("STRMAIN_SUONERIAPRESEC"));
    SecondiTempoSuoneriaEsterniLabel->setText(Testo("STRMAIN_TEMPOSUONERIAESTERNISEC"));
    NumTelCentraleLabel->setText(Testo("STRMAIN_NUMTELCENTRALE"));
    SetInvioSmsCreditoConEiv->setText(Testo("STRMAIN_INVIOSMSCREDITOEIV"));
    SetSimVoceEdit->SetCaption(GetMessaggio("STRMAIN_SIMTIPO"));
    SetSimVoceEdit->SetItems({GetMessaggio("STRMAIN_SIMVOCE"), GetMessaggio("STRMAIN_SIMDATI")});
    SetTestoLiberoSmsLabel->setText(Testo("STRMAIN_TESTOLIBEROSMS"));

    StrConfInvio = GetMessaggio("STRGLOBAL_CONFINVIO");
    StrConnessioneOk = GetMessaggio("STRMAIN_CONNESSIONEOK");
    StrConnessioneNo = GetMessaggio("STRMAIN_CONNESSIONENO");
    StrCopiaPrec = GetMessaggio("STRMAIN_COPIA_PREC");
    StrCodaNoFileCfg = GetMessaggio("STRMAIN_CODA_NOFILECFG");
    StrCodaFileCfgOk = GetMessaggio("STRMAIN_CODA_FILECFGOK");
    StrCfgVuota = GetMessaggio("STRMAIN_CFGVUOTA");
}


void TMainFrm::TraduciFrame() {}
