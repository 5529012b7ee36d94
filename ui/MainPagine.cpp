// The main window's design, first pages: installation data, panel options, voice messages.
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TMemo.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/Immagine.h"
#include "ui/Main.h"
#include "ui/MainDisegno.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace disegno;

namespace {

constexpr int LarghezzaLogo = 360;
constexpr int AltezzaLogo = 240;
// The notes hold 250 characters: about five lines of this width.
constexpr int LarghezzaNote = 340;
constexpr int AltezzaNote = 110;
constexpr int MaxCaratteriNote = 250;
constexpr int CifreProgressivoKit = 2;
// The times and counts of the options page line up as wide as the widest of them.
constexpr int CifreTempi = 3;

// The voice messages: five names in the fixed column, their descriptions of at most 16
// characters beside them. The translation keeps five rows of the six designed.
constexpr int RigheMessaggi = 6;
constexpr int AltezzaRigaMessaggi = 24;
constexpr int LarghezzaNomiMessaggi = 110;
constexpr int CaratteriDescrizioneMessaggio = 16;

} // namespace

void TMainFrm::CreaPaginaInstallazione() {
    QWidget* p = PanelInst;
    auto* g = Modulo(p, 20);
    PannelloAdattato(g);

    CodiceCentraleLabel = Etichetta(p, "CodiceCentraleLabel", "Codice centrale");
    EditIDCentrale = CampoMaschera(p, "EditIDCentrale", "999999;1;_");
    RigaModulo(g, CodiceCentraleLabel, EditIDCentrale);
    DataInstallazioneLabel = Etichetta(p, "DataInstallazioneLabel", "Data installazione");
    EditDataInstallazionePc = CampoMaschera(p, "EditDataInstallazionePc", "!99/99/00;1;_");
    RigaModulo(g, DataInstallazioneLabel, EditDataInstallazionePc);
    DataUltimaModificaLabel = Etichetta(p, "DataUltimaModificaLabel", "Data ultima modifica");
    EditDataUltimaModificaPc = CampoMaschera(p, "EditDataUltimaModificaPc", "!99/99/00;1;_");
    RigaModulo(g, DataUltimaModificaLabel, EditDataUltimaModificaPc);

    NoteLabel = Etichetta(p, "NoteLabel", "Note");
    EditCommentiPc = Nominato(new platform::gui::TMemo(p), "EditCommentiPc");
    EditCommentiPc->SetMaxLength(MaxCaratteriNote);
    EditCommentiPc->setFixedSize(LarghezzaNote, AltezzaNote);
    const int note = g->rowCount();
    g->addWidget(NoteLabel, note, 0, Qt::AlignLeft | Qt::AlignTop);
    g->addWidget(EditCommentiPc, note, 1, Qt::AlignLeft | Qt::AlignTop);
    NoteLabel->setBuddy(EditCommentiPc);

    // Filled and shown by the kit save only.
    LabelNumProgressivoKit = Etichetta(p, "LabelNumProgressivoKit", "Numero progressivo kit");
    EditNumProgressivoKit = Spin(p, "EditNumProgressivoKit", 1, 99);
    if (auto* e = EditNumProgressivoKit->findChild<QLineEdit*>()) e->setMaxLength(CifreProgressivoKit);
    RigaModulo(g, LabelNumProgressivoKit, EditNumProgressivoKit);

    // Shown while a remote GPRS connection is up: who is connected, and the way to end it.
    LabelConnessoGprs = Etichetta(p, "LabelConnessoGprs", "");
    RigaIntera(g, LabelConnessoGprs);
    TerminaConnessioneRemotaGprsBtn = Pulsante(p, "TerminaConnessioneRemotaGprsBtn", "Termina connessione");
    RigaIntera(g, TerminaConnessioneRemotaGprsBtn);

    // Tools of the program's makers, never shown to an installer.
    TraduciBtn = Pulsante(p, "TraduciBtn", "Traduci");
    TestGprsBtn = Pulsante(p, "TestGprsBtn", "Test GPRS");
    RigaIntera(g, TraduciBtn);
    RigaIntera(g, TestGprsBtn);

    ImmagineLogo = Nominato(new TImmagine(p), "ImmagineLogo");
    ImmagineLogo->setFixedSize(LarghezzaLogo, AltezzaLogo);
    // The fields keep their spacing when the logo is the taller: the last row takes what is left.
    const int fine = g->rowCount();
    g->setRowStretch(fine, 1);
    g->setColumnMinimumWidth(2, 30);
    g->addWidget(ImmagineLogo, 0, 3, fine + 1, 1, Qt::AlignRight | Qt::AlignTop);

    Nascondi({CodiceCentraleLabel, EditIDCentrale, LabelNumProgressivoKit, EditNumProgressivoKit,
              LabelConnessoGprs, TerminaConnessioneRemotaGprsBtn, TraduciBtn, TestGprsBtn});
}

void TMainFrm::CreaPaginaCentrale() {
    QWidget* p = PanelCentrale;
    auto* pagina = new QHBoxLayout(p);
    pagina->setContentsMargins(MargineModulo, MargineModulo, MargineModulo, MargineModulo);
    pagina->setSpacing(MargineModulo);
    PannelloAdattato(pagina);

    // The panel's options, in the order of their bytes, then its own settings.
    QFrame* opzioni = Riquadro(p, "RiquadroOpzioniCentrale");
    auto* o = Modulo(opzioni);
    auto casella = [&](const char* Nome, const char* Caption) {
        QCheckBox* c = Casella(opzioni, Nome, Caption);
        RigaIntera(o, c);
        return c;
    };
    SetChimeCentraleAbilitato = casella("SetChimeCentraleAbilitato", "Chime sulla centrale");
    SetInibizioneSirenaInParziale = casella("SetInibizioneSirenaInParziale", "Sirena inibita in parziale");
    SetZoneEsterneSuoneria_NU = casella("SetZoneEsterneSuoneria_NU", "Zone esterne su suoneria");
    SetControlloPorteInserito = casella("SetControlloPorteInserito", "Controllo porte all'inserimento");
    SetSupervisioneSensori = casella("SetSupervisioneSensori", "Supervisione sensori");
    SetAbilAutoEsclusLineeAperte_NU =
        casella("SetAbilAutoEsclusLineeAperte_NU", "Autoesclusione linee aperte");
    SetPercorsoInserito_NU = casella("SetPercorsoInserito_NU", "Percorso di ingresso");
    SetAllarmeSingoloSirena = casella("SetAllarmeSingoloSirena", "Allarme singolo sirena");
    SetBeepInseriti = casella("SetBeepInseriti", "Beep a impianto inserito");
    SetSensoriEsterniInclusi = casella("SetSensoriEsterniInclusi", "Sensori esterni inclusi");
    SetAbilitaMessaggiVocaliCambioStato =
        casella("SetAbilitaMessaggiVocaliCambioStato", "Messaggi vocali cambio stato");
    SetAttivaSirenaPerTecnologico_NU =
        casella("SetAttivaSirenaPerTecnologico_NU", "Sirena per allarmi tecnologici");
    SetInvioSmsSpvMancataSensori =
        casella("SetInvioSmsSpvMancataSensori", "SMS per supervisione sensori mancata");
    SetSubSonicoPresente = casella("SetSubSonicoPresente", "Dispositivo subsonico presente");
    SetInvioAvvisiPerSensoriEsterni_NU =
        casella("SetInvioAvvisiPerSensoriEsterni_NU", "Avvisi GSM per sensori esterni");
    o->addItem(new QSpacerItem(0, 2 * SpazioRighe, QSizePolicy::Fixed, QSizePolicy::Fixed), o->rowCount(), 0);
    SetLivelloAntiAccecamentoLabel =
        Etichetta(opzioni, "SetLivelloAntiAccecamentoLabel", "Livello antiaccecamento");
    SetLivelloAntiAccecamento = Lista(opzioni, "SetLivelloAntiAccecamento", {"0", "1", "2", "3", "4"});
    RigaModulo(o, SetLivelloAntiAccecamentoLabel, SetLivelloAntiAccecamento);
    SetLinguaLabel = Etichetta(opzioni, "SetLinguaLabel", "Lingua");
    SetLingua = Lista(opzioni, "SetLingua", {"Italiano", "Inglese", "Francese", "Spagnolo"});
    RigaModulo(o, SetLinguaLabel, SetLingua);
    DataOraOrologioLabel = Etichetta(opzioni, "DataOraOrologioLabel", "Data e ora centrale");
    // Shows the panel's clock as last read; the clock is set from the PC's, never typed.
    DataOraOrologioVis = Nominato(new platform::gui::TMaskEdit(opzioni), "DataOraOrologioVis");
    DataOraOrologioVis->setFixedWidth(LarghezzaTesto(DataOraOrologioVis, 14, u'0'));
    DataOraOrologioVis->setEnabled(false);
    RigaModulo(o, DataOraOrologioLabel, DataOraOrologioVis);
    o->setRowStretch(o->rowCount(), 1);
    pagina->addWidget(opzioni, 0, Qt::AlignTop);

    // Times and counts. The bell times belong to older formats: the image's defaults show the
    // ones it has.
    QFrame* tempi = Riquadro(p, "RiquadroTempiCentrale");
    auto* t = Modulo(tempi);
    auto tempo = [&](QLabel*& Etich, const char* NomeEtichetta, const char* Caption,
                     platform::gui::TSpinEdit*& Campo, const char* NomeCampo, int Min, int Max) {
        Etich = Etichetta(tempi, NomeEtichetta, Caption);
        Campo = Spin(tempi, NomeCampo, Min, Max, CifreTempi);
        RigaModulo(t, Etich, Campo);
    };
    tempo(SecondiTempoIngressoLabel, "SecondiTempoIngressoLabel", "Tempo ingresso (s)", SetTempoIngressoSec,
          "SetTempoIngressoSec", 0, 99);
    tempo(SecondiTempoUscitaLabel, "SecondiTempoUscitaLabel", "Tempo uscita (s)", SetTempoUscitaSec,
          "SetTempoUscitaSec", 0, 99);
    tempo(SecondiSuoneriaPreallarmeLabel, "SecondiSuoneriaPreallarmeLabel", "Tempo preallarme (s)",
          SetTempoPreallarmeSec, "SetTempoPreallarmeSec", 0, 99);
    tempo(SecondiTempoSuoneriaEsterniLabel, "SecondiTempoSuoneriaEsterniLabel", "Tempo suoneria esterni (s)",
          SetTempoSuoneriaEsterniSec, "SetTempoSuoneriaEsterniSec", 10, 120);
    tempo(SecondiTempoSirenaLabel, "SecondiTempoSirenaLabel", "Tempo sirena (s)", SetTempoSirenaSec,
          "SetTempoSirenaSec", 10, 240);
    tempo(SecondiTempoSuoneriaLabel, "SecondiTempoSuoneriaLabel", "Tempo suoneria (s)", SetTempoSuoneriaSec,
          "SetTempoSuoneriaSec", 10, 240);
    tempo(SetMinutiPermanenzaArLabel, "SetMinutiPermanenzaArLabel", "Minuti permanenza",
          SetMinutiPermanenzaAr, "SetMinutiPermanenzaAr", 1, 120);
    tempo(SetNumeroChiamateVoceLabel, "SetNumeroChiamateVoceLabel", "Numero chiamate vocali",
          SetNumeroChiamateVoce, "SetNumeroChiamateVoce", 1, 9);
    tempo(SetNumeroRingLabel, "SetNumeroRingLabel", "Numero squilli", SetNumeroRing, "SetNumeroRing", 1, 9);
    tempo(SetCodiceTxRadioLabel, "SetCodiceTxRadioLabel", "Codice TX radio", SetCodiceTxRadioEdit,
          "SetCodiceTxRadioEdit", 0, 999);
    t->setRowStretch(t->rowCount(), 1);
    Nascondi({SecondiSuoneriaPreallarmeLabel, SetTempoPreallarmeSec, SecondiTempoSuoneriaEsterniLabel,
              SetTempoSuoneriaEsterniSec, SetSensoriEsterniInclusi, SetZoneEsterneSuoneria_NU,
              SetAbilAutoEsclusLineeAperte_NU, SetPercorsoInserito_NU, SetAttivaSirenaPerTecnologico_NU,
              SetInvioAvvisiPerSensoriEsterni_NU});
    pagina->addWidget(tempi, 0, Qt::AlignTop);

    // The three relay outputs: what drives each and its contact at rest; then the sectors of the
    // older formats.
    QFrame* uscite = Riquadro(p, "RiquadroUsciteCentrale");
    auto* u = Modulo(uscite);
    auto uscita = [&](int n, QLabel*& Etich, QComboBox*& Funzione, platform::gui::TRadioGroup*& Contatto) {
        const QByteArray numero = QByteArray::number(n);
        const QByteArray nome = "SetAssociazioneReleAux" + numero;
        Etich = Etichetta(uscite, (nome + "Label").constData(), ("Uscita AUX " + numero).constData());
        Funzione = Lista(uscite, nome.constData(), {"On/Off", "Temperatura", "Ring"});
        Contatto = Gruppo(uscite, ("SetUscitaAux" + numero + "Nc").constData(), "", {"N.C.", "N.A."}, 2);
        const int r = u->count() == 0 ? 0 : u->rowCount();
        u->addWidget(Etich, r, 0, Qt::AlignLeft | Qt::AlignVCenter);
        u->addWidget(Funzione, r, 1, Qt::AlignLeft | Qt::AlignVCenter);
        u->addWidget(Contatto, r, 2, Qt::AlignLeft | Qt::AlignVCenter);
        Etich->setBuddy(Funzione);
    };
    uscita(1, SetAssociazioneReleAux1Label, SetAssociazioneReleAux1, SetUscitaAux1Nc);
    uscita(2, SetAssociazioneReleAux2Label, SetAssociazioneReleAux2, SetUscitaAux2Nc);
    uscita(3, SetAssociazioneReleAux3Label, SetAssociazioneReleAux3, SetUscitaAux3Nc);

    QWidget* settori = Nominato(new QWidget(uscite), "SettoriCentrale");
    auto* s = new QGridLayout(settori);
    s->setContentsMargins(0, SpazioRighe, 0, 0);
    s->setHorizontalSpacing(SpazioColonne);
    s->setVerticalSpacing(SpazioRighe);
    QCheckBox** suoneria[] = {&SetSuoneriaSettoreF1, &SetSuoneriaSettoreF2, &SetSuoneriaSettoreF3,
                              &SetSuoneriaSettoreF4};
    QCheckBox** avvisi[] = {&SetAbilitazioneAvvisiSettoreF1, &SetAbilitazioneAvvisiSettoreF2,
                            &SetAbilitazioneAvvisiSettoreF3, &SetAbilitazioneAvvisiSettoreF4};
    for (int f = 0; f < 4; ++f) {
        const QByteArray settore = "F" + QByteArray::number(f + 1);
        *suoneria[f] = Casella(settori, ("SetSuoneriaSettore" + settore).constData(),
                               ("Suoneria " + settore).constData());
        *avvisi[f] = Casella(settori, ("SetAbilitazioneAvvisiSettore" + settore).constData(),
                             ("Avvisi " + settore).constData());
        s->addWidget(*suoneria[f], 0, f);
        s->addWidget(*avvisi[f], 1, f);
    }
    u->addWidget(settori, u->rowCount(), 0, 1, 3, Qt::AlignLeft);
    u->setRowStretch(u->rowCount(), 1);
    pagina->addWidget(uscite, 0, Qt::AlignTop);
}

void TMainFrm::CreaPaginaMessaggi() {
    QWidget* p = PanelMessaggi;
    auto* l = new QVBoxLayout(p);
    l->setContentsMargins(20, 20, 20, 20);
    PannelloAdattato(l);

    MsgGrid = Nominato(new QTableWidget(RigheMessaggi, 2, p), "MsgGrid");
    MsgGrid->horizontalHeader()->hide();
    MsgGrid->verticalHeader()->hide();
    // The rows share the grid's height, whatever number of rows it is given.
    MsgGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    MsgGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MsgGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MsgGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    MsgGrid->setColumnWidth(0, LarghezzaNomiMessaggi);
    MsgGrid->setColumnWidth(1, LarghezzaTesto(MsgGrid, CaratteriDescrizioneMessaggio, u'M'));
    // The names stand in a fixed column, shaded like the grid's frame; only the descriptions
    // can be typed.
    const QBrush fisso = MsgGrid->palette().brush(QPalette::Button);
    for (int r = 0; r < RigheMessaggi; ++r) {
        auto* nome = new QTableWidgetItem();
        nome->setFlags(Qt::ItemIsEnabled);
        nome->setBackground(fisso);
        MsgGrid->setItem(r, 0, nome);
        MsgGrid->setItem(r, 1, new QTableWidgetItem());
    }
    const int cornice = 2 * MsgGrid->frameWidth();
    MsgGrid->setFixedSize(MsgGrid->columnWidth(0) + MsgGrid->columnWidth(1) + cornice,
                          RigheMessaggi * AltezzaRigaMessaggi + cornice);
    l->addWidget(MsgGrid, 0, Qt::AlignLeft | Qt::AlignTop);
}
