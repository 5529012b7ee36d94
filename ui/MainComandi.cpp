// The main window's commands beyond the File menu's files: the options that reshape the window
// when clicked, the modem connection, the event queue, the Contact-ID tables, the remote link, the
// surveillance numbers' key filter, the message names' editor and the mouse wheel.
#include "config/ChiaviLingua.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/KivModCom.h"
#include "link/LinkComando.h"
#include "link/def_ver11.h"
#include "platform/diag/Diagnostica.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/qt/HourglassCursor.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "ui/CodaEventi.h"
#include "ui/EventiCid.h"
#include "ui/FrameBidir.h"
#include "ui/FrameInser.h"
#include "ui/Main.h"
#include "ui/OperazioniCentrale.h"
#include "ui/ServerUdp.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <exception>
#include <string>

namespace {

// The message names' editor: at most 16 characters of any kind, each one Windows-1252 can hold.
class TEditorNomiMessaggi final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* e = new platform::gui::TMaskEdit(parent);
        e->SetMaxLength(TMainFrm::CaratteriNomeMessaggio);
        return e;
    }
};

// Blanks and control characters around the number the image holds.
std::string SenzaSpazi(const std::string& Testo) {
    const auto spazio = [](unsigned char c) { return c <= ' '; };
    auto inizio = std::find_if_not(Testo.begin(), Testo.end(), spazio);
    auto fine = std::find_if_not(Testo.rbegin(), std::string::const_reverse_iterator(inizio), spazio).base();
    return std::string(inizio, fine);
}

TKivModCom* ComponenteLink() {
    return dynamic_cast<TKivModCom*>(LinkSeriale());
}

} // namespace

void TMainFrm::CollegaComandi() {
    // The options whose value shows or hides other controls refresh the window when clicked.
    for (QCheckBox* c :
         {SetAbilNumTelSms1, SetAbilNumTelSms2, SetAbilNumTelSms3, SetAbilNumTelSms4, SetAbilNumTelSms5,
          SetAbilNumTelSms6, SetAbilNumTelSms7, SetAbilNumTelSms8, SetFlagSelezOperatoreManualeEdit,
          SetAbilContactIdEdit, SetInvioGprsEdit, SetAbilServerGprs1Edit, SetAbilServerGprs2Edit,
          SetSuoneriaSettoreF1, SetSuoneriaSettoreF2, SetSuoneriaSettoreF3, SetSuoneriaSettoreF4})
        connect(c, &QCheckBox::toggled, this, &TMainFrm::Aggiorna);
    connect(SetTipoRichiestaCredito, &platform::gui::TRadioGroup::Click, this, &TMainFrm::Aggiorna);

    connect(TabellaEventiCid1Btn, &QPushButton::clicked, this, &TMainFrm::TabellaEventiCid1BtnClick);
    connect(TabellaEventiCid2Btn, &QPushButton::clicked, this, &TMainFrm::TabellaEventiCid2BtnClick);
    connect(TerminaConnessioneRemotaGprsBtn, &QPushButton::clicked, this,
            &TMainFrm::TerminaConnessioneRemotaGprsBtnClick);
    connect(TraduciBtn, &QPushButton::clicked, this, &TMainFrm::TraduciBtnClick);
    connect(TestGprsBtn, &QPushButton::clicked, this, &TMainFrm::TestGprsBtnClick);

    SetTelVigilanza1Edit->installEventFilter(this);
    SetTelVigilanza2Edit->installEventFilter(this);
    MsgGrid->setItemDelegateForColumn(1, new TEditorNomiMessaggi(MsgGrid));
    // Every turn of the wheel over the window scrolls the page on show (never a list or a number
    // field that happens to lie under the mouse).
    qApp->installEventFilter(this);
}

void TMainFrm::Aggiorna() {
    AggiornaConfigDaForm();
    AggiornaFormDaConfig();
}

// ---- Panel, event queue, modem ------------------------------------------------------------------

void TMainFrm::MiCodaEventiClick() {
    const bool vuota = ConfigCentrale.IdCentrale == 0 && ConfigCentrale.VersioneCentrale == 0 &&
                       IdCentraleRx == 0 && VersioneCentraleRx == 0;
    if (vuota) {
        platform::gui::ShowInformation(StrCodaNoFileCfg);
        return;
    }
    if (platform::gui::AskYesNo(StrCodaFileCfgOk) && CodaEventiFrm) CodaEventiFrm->exec();
}

void TMainFrm::MIAttivaConnessioneModemClick() {
    // A click that arrives while the connection is being made (its waits keep the window alive)
    // must not dial again.
    if (OperazioneModemInCorso_ != 0) return;
    platform::gui::HourglassCursor clessidra;
    repaint();
    OperazioneModemInCorso_ = 1;
    AggiornaConfigDaForm();
    try {
        TKivModCom* link = ComponenteLink();
        const std::string numero = SenzaSpazi(ConfigCentrale.NumTelefonoCentrale.Leggi());
        const std::uint8_t esito = link ? link->Connetti(numero, 3) : EsitoFallito;
        // Closed while the call was being made: the user is told nothing more.
        if (!chiusa_) {
            if (esito == EsitoOk)
                platform::gui::ShowInformation(StrConnessioneOk);
            else
                platform::gui::ShowError(StrConnessioneNo);
        }
    } catch (const std::exception&) {
        // A connection that fails this way leaves nothing to tell beyond what the link reported.
        platform::Diagnostica("MainComandi", "modem connection failed: " + platform::MotivoEccezione());
    }
    OperazioneModemInCorso_ = 0;
    repaint();
}

void TMainFrm::TerminaAttese() {
    // The worker's command 2 after a refused panel version (its wait window already closed).
    InterrompiOperazioneCentrale();
    // A modem call being made, a serial exchange, a disconnect waiting for one.
    if (TKivModCom* link = ComponenteLink()) link->TerminaAttese();
    // A transaction over the remote link, command 22 to a panel gone silent among them.
    if (ServerUdpFrm) ServerUdpFrm->Link.TerminaAttese();
}

void TMainFrm::MIDisattivaConnessioneModemClick() {
    {
        platform::gui::HourglassCursor clessidra;
        repaint();
        try {
            if (TKivModCom* link = ComponenteLink()) {
                TLinkOperazione scelto(*link);
                TerminaConnessioneRemota(scelto);
                link->Disconnetti();
            }
        } catch (const std::exception&) {
            // The line is being dropped: whatever went wrong on the way, it is down.
            platform::Diagnostica("MainComandi",
                                  "modem disconnection failed: " + platform::MotivoEccezione());
        }
        OperazioneModemInCorso_ = 0;
    }
    repaint();
}

// ---- Contact-ID, remote link, default descriptions ----------------------------------------------

void TMainFrm::TabellaEventiCid1BtnClick() {
    if (!EventiCidFrm) return;
    EventiCidFrm->NumTabella = 1;
    EventiCidFrm->exec();
}

void TMainFrm::TabellaEventiCid2BtnClick() {
    if (!EventiCidFrm) return;
    EventiCidFrm->NumTabella = 2;
    EventiCidFrm->exec();
}

void TMainFrm::TerminaConnessioneRemotaGprsBtnClick() {
    if (ServerUdpFrm) ServerUdpFrm->TerminaConnessioneUdp();
}

void TMainFrm::TestGprsBtnClick() {
    if (ServerUdpFrm) ServerUdpFrm->exec();
}

void TMainFrm::TraduciBtnClick() {
    AggiornaConfigDaForm();
    // Every line is named after the first one as it stood, every radio zone after the first.
    const std::string linea = ConfigCentrale.Zone[PrimaZonaFilo].Descrizione.Leggi();
    for (int i = 0; i < NumZoneFilo; ++i)
        ConfigCentrale.Zone[PrimaZonaFilo + i].Descrizione.Scrivi(linea + ' ' + IntToStrZeri(i + 1, 2));
    const std::string radio = ConfigCentrale.Zone[PrimaZonaRadio].Descrizione.Leggi();
    for (int i = 0; i < NumZoneRadio; ++i)
        ConfigCentrale.Zone[PrimaZonaRadio + i].Descrizione.Scrivi(radio + ' ' + IntToStrZeri(i + 1, 2));
    const std::string inseritore = GetMessaggio("STRMAIN_INSERITORE");
    for (int k = 0; k < NumInseritori; ++k)
        ConfigCentrale.Inseritori[k].Descrizione.Scrivi(inseritore + ' ' + IntToStrZeri(k + 1, 2));
    const std::string periferica = GetMessaggio("STRMAIN_PERIFERICA");
    for (int k = 0; k < NumBidirezionali; ++k)
        ConfigCentrale.Zone[PrimoBidirezionale + k].Descrizione.Scrivi(periferica + ' ' +
                                                                       IntToStrZeri(k + 1, 2));
    for (int m = 0; m < int(std::size(ConfigCentrale.DescrizioneMessaggio)); ++m)
        ConfigCentrale.DescrizioneMessaggio[m].Scrivi(
            GetMessaggio(ChiaveDiFamiglia(ChiaviMessaggiVocali, m)));
    AggiornaFormDaConfig();
    platform::gui::ShowInformation("Ok");
}

// ---- Keys and the wheel -------------------------------------------------------------------------

bool TMainFrm::FiltroNumeroVigilanza(QKeyEvent* Evento) {
    // Digits, the comma that separates two numbers, and Backspace; keys that type nothing (the
    // cursor keys, Delete) go on as usual.
    const QString t = Evento->text();
    if (t.isEmpty()) return false;
    const QChar c = t.front();
    const bool ammesso = (c >= QChar('0') && c <= QChar('9')) || c == QChar(',') || c == QChar('\b');
    return !ammesso;
}

bool TMainFrm::RotellaSullaPagina(QWheelEvent* Evento) {
    static constexpr int nessuna = -1;
    QScrollArea* const scatole[] = {ScrollBoxDati,         ScrollBoxCentrale,      ScrollBoxMessaggi,
                                    ScrollBoxInseritori,   ScrollBoxBidirezionali, ScrollBoxSensoriFilo,
                                    ScrollBoxSensoriRadio, ScrollBoxModem,         ScrollBoxSim,
                                    ScrollBoxContactId};
    const int pagina = PageControl ? PageControl->currentIndex() : nessuna;
    if (pagina < 0 || pagina >= int(std::size(scatole))) return true;
    const bool orizzontale = Evento->modifiers() & Qt::ShiftModifier;
    QScrollBar* barra =
        orizzontale ? scatole[pagina]->horizontalScrollBar() : scatole[pagina]->verticalScrollBar();
    const int delta =
        orizzontale && Evento->angleDelta().y() == 0 ? Evento->angleDelta().x() : Evento->angleDelta().y();
    if (delta == 0) return true;
    const auto azione =
        delta < 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
    for (int i = 0; i < QApplication::wheelScrollLines(); ++i)
        barra->triggerAction(azione);
    return true;
}
