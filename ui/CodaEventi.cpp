#include "ui/CodaEventi.h"

#include "config/CartellaCorrente.h"
#include "config/FileBinario.h"
#include "config/GlobalsVar.h"
#include "link/ThreadCom.h"
#include "platform/gui/Dialogs.h"
#include "platform/text/Cp1252.h"
#include "ui/CodaEventiStampa.h"
#include "ui/MainDisegno.h"
#include "ui/OperazioniCentrale.h"
#include "ui/Testi.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

TCodaEventiFrm* CodaEventiFrm = nullptr;

using namespace disegno;

namespace {

constexpr int NumColonne = 4;
constexpr int LarghezzeProgetto[NumColonne] = {50, 160, 160, 120};
constexpr int AltezzaRiga = 20;
// Rows the list shows before it scrolls, as designed.
constexpr int RigheVisibili = 16;
constexpr int MargineFinestra = 12;
constexpr int LarghezzaPulsanti = 120;

// Data cells begin with four blanks, column titles with three.
const QString RientroCella = QStringLiteral("    ");
const QString RientroTitolo = QStringLiteral("   ");

// Fixed texts of the file commands; the language table does not translate them.
const std::string MsgErrore = "Error";
const std::string MsgOk = "Ok";

constexpr int PrimoAllarme = 1, UltimoAllarme = 43;
constexpr int PrimoInserimento = 101, UltimoInserimento = 114;
// Types whose text was loaded with the window's texts; the other alarm types are looked up
// when a list shows them.
constexpr int UltimoAllarmeCaricato = 5;

constexpr const char* ChiaviAllarme[UltimoAllarme] = {
    "STRCODA_EAGENERICO",
    "STRCODA_EAAUTOESCLUSIONE",
    "STRCODA_EASVMANCATA",
    "STRCODA_EABATTLOWRADIO",
    "STRCODA_EATAMPERRADIO",
    "STRCODA_EA_TEC_SENSORE_FUMO",
    "STRCODA_EA_TEC_MALFUNZ_FUMO",
    "STRCODA_EA_TEC_ALLAGAMENTO",
    "STRCODA_EA_TEC_SENSORE_GAS",
    "STRCODA_EA_TEC_MALFUNZ_GAS",
    "STRCODA_EA_TMP_ACCEC_SENSORE",
    "STRCODA_EA_TMP_INCLIN_ALR",
    "STRCODA_EA_TMP_INCLIN_RIP",
    "STRCODA_EA_TMP_MANOMIS_MASK",
    "STRCODA_EA_MOS_FRONTALE",
    "STRCODA_EA_MOS_SINISTRO",
    "STRCODA_EA_MOS_DESTRO",
    "STRCODA_EA_MOS_ELUSIONESX",
    "STRCODA_EA_MOS_MASKING",
    "STRCODA_EA_MOS_ELUSIONEDX",
    "STRCODA_EA_CTSR_TAPPARELLA",
    "STRCODA_EA_CTSR_SHOCK",
    "STRCODA_EA_CTSR_CONTINTERNO",
    "STRCODA_EA_CTSR_CONTESTERNO",
    "STRCODA_EA_PROXY_FILO",
    "STRCODA_EA_PROXY_REED",
    "STRCODA_EA_PROXY_ACCELLEROMETRO",
    "STRCODA_EA_PROXY_ACCELL_SHOCK",
    "STRCODA_EA_PROXY_GIROSCOPIO",
    "STRCODA_EA_TX_MODTX1",
    "STRCODA_EA_TX_MODTX2",
    "STRCODA_EA_TX_BARRIERA_ESTERNA",
    "STRCODA_EA_DT_DIRRVEDT_SUP",
    "STRCODA_EA_DT_DIRRVEDT_INF",
    "STRCODA_EA_DT_DIRRVEDT_GEN",
    "STRCODA_EA_DT_EWALL_SUP",
    "STRCODA_EA_DT_EWALL_INF",
    "STRCODA_EA_DT_EWALL_GEN",
    "STRCODA_EA_DR_DIRRV_INT",
    "STRCODA_EA_DR_DIRRV_PER",
    "STRCODA_EA_DR_DIRRVE_SUP",
    "STRCODA_EA_DR_DIRRVE_INF",
    "STRCODA_EA_DR_DIRRVE_GEN",
};

constexpr const char* ChiaviInserimento[UltimoInserimento - PrimoInserimento + 1] = {
    "STRCODA_EVENTOINSERTOT",  "STRCODA_EVENTOINSERPAR1", "STRCODA_EVENTOINSERPAR2",
    "STRCODA_EVENTOINSERPAR3", "STRCODA_EVENTODISINS",    "STRCODA_EVENTOINSESCLUS",
    "STRCODA_EVENTODISESCLUS", "STRCODA_EVENTOPANICO",    "STRCODA_EVENTOTELEALL",
    "STRCODA_EVENTOSMSSPV",    "STRCODA_EVENTODISANTI",   "STRCODA_EVENTOSMSSCADSIM",
    "STRCODA_EVENTOINABILREM", "STRCODA_EVENTOFIABILREM",
};

// Special sources of alarm events: 200..211 and 216; the GPRS sends (212..215) carry a server number.
constexpr int PrimaFonte = 200;
constexpr int FonteGprsOk1 = 212, FonteGprsOk2 = 213, FonteGprsNo1 = 214, FonteGprsNo2 = 215;
constexpr int FonteAccecamentoSub = 216;
constexpr const char* ChiaviFonteAllarme[12] = {
    "STRCODA_ALLTAMPERFILO",  "STRCODA_ALLACCECAMENTO", "STRCODA_ALLBATTERIABASSA", "STRCODA_ALLBATTERIARIT",
    "STRCODA_ALLASSENZARETE", "STRCODA_ALLRITORNORETE", "STRCODA_ALLAVARIAGSM",     "STRCODA_ALLRITAVARIAGSM",
    "STRCODA_ALLNOCAMPOGSM",  "STRCODA_ALLRITCAMPOGSM", "STRCODA_EVRESETCENTRALE",  "STRCODA_EVINVIOEIVCID",
};
// Sources of arming events: the arming input, the remote, an SMS command (203..210: from number 1..8).
constexpr const char* ChiaviFonteInserimento[3] = {"STRCODA_INSNCINS", "STRCODA_INSREMOTO", "STRCODA_INSSMS"};
constexpr int FonteSmsDaNumero = 203, FonteSmsUltima = 210;

bool Allarme(int Tipo) {
    return Tipo >= PrimoAllarme && Tipo <= UltimoAllarme;
}
bool Inserimento(int Tipo) {
    return Tipo >= PrimoInserimento && Tipo <= UltimoInserimento;
}

// The number of a GPRS server or of the telephone an SMS came from, after the source's text.
QString ConNumero(int Numero) {
    return QLatin1Char(' ') + QString::number(Numero);
}

QString Immagine(std::string_view Testo) {
    return platform::gui::FromCp1252(Testo);
}

// File names are UTF-8, the texts of dialogs Windows-1252.
std::string Mostrato(const std::string& Nome) {
    return Utf8ToCp1252(Nome);
}

platform::gui::FileDialogOptions OpzioniDialogo() {
    platform::gui::FileDialogOptions o;
    o.Filter = FiltroFileCoda;
    return o;
}

} // namespace

TCodaEventiFrm::TCodaEventiFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("CodaEventiFrm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    CodaEventiGrid = Nominato(new QTableWidget(1, NumColonne, this), "CodaEventiGrid");
    QTableWidget& g = *CodaEventiGrid;
    g.verticalHeader()->hide();
    g.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g.verticalHeader()->setMinimumSectionSize(AltezzaRiga);
    g.verticalHeader()->setDefaultSectionSize(AltezzaRiga);
    g.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    g.horizontalHeader()->setSectionsClickable(false);
    g.horizontalHeader()->setHighlightSections(false);
    g.setEditTriggers(QAbstractItemView::NoEditTriggers);
    g.setSelectionBehavior(QAbstractItemView::SelectRows);
    g.setSelectionMode(QAbstractItemView::SingleSelection);
    g.setWordWrap(false);
    g.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The columns widen to what they show; past the screen's width the list scrolls sideways.
    g.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    LeggiFileCodaBtn = Pulsante(this, "LeggiFileCodaBtn", "Leggi file");
    SalvaFileCodaBtn = Pulsante(this, "SalvaFileCodaBtn", "Salva file");
    StampaCodaBtn = Pulsante(this, "StampaCodaBtn", "Stampa");
    RiceviCodaBtn = Pulsante(this, "RiceviCodaBtn", "Ricevi dalla centrale");
    EliminaCodaBtn = Pulsante(this, "EliminaCodaBtn", "Cancella coda");
    EsciBtn = Pulsante(this, "EsciBtn", "&Esci");

    auto* riga = new QHBoxLayout(this);
    riga->setContentsMargins(MargineFinestra, MargineFinestra, MargineFinestra, MargineFinestra);
    riga->setSpacing(SpazioColonne);
    riga->addWidget(CodaEventiGrid, 1);
    colonnaPulsanti_ = new QVBoxLayout;
    colonnaPulsanti_->setSpacing(SpazioRighe);
    for (QPushButton* b :
         {LeggiFileCodaBtn, SalvaFileCodaBtn, StampaCodaBtn, RiceviCodaBtn, EliminaCodaBtn}) {
        b->setAutoDefault(false);
        colonnaPulsanti_->addWidget(b);
    }
    colonnaPulsanti_->addStretch(1);
    EsciBtn->setAutoDefault(false);
    colonnaPulsanti_->addWidget(EsciBtn);
    riga->addLayout(colonnaPulsanti_);

    connect(LeggiFileCodaBtn, &QPushButton::clicked, this, &TCodaEventiFrm::LeggiFileCodaBtnClick);
    connect(SalvaFileCodaBtn, &QPushButton::clicked, this, &TCodaEventiFrm::SalvaFileCodaBtnClick);
    connect(StampaCodaBtn, &QPushButton::clicked, this, &TCodaEventiFrm::StampaCodaBtnClick);
    connect(RiceviCodaBtn, &QPushButton::clicked, this, &TCodaEventiFrm::RiceviCodaBtnClick);
    connect(EliminaCodaBtn, &QPushButton::clicked, this, &TCodaEventiFrm::EliminaCodaBtnClick);
    connect(EsciBtn, &QPushButton::clicked, this, &QDialog::reject);

    RegistraCodaEventi(&Coda);
}

TCodaEventiFrm::~TCodaEventiFrm() {
    // The operation that fills the store is always over before its window can go.
    if (CodaEventiCorrente() == &Coda) RegistraCodaEventi(nullptr);
}

void TCodaEventiFrm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        adjustSize();
        if (QScreen* s = screen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void TCodaEventiFrm::FormShow() {
    ImpostaTestiCoda();
    // The store stays as it was; only the list starts blank again.
    CodaEventiGrid->setRowCount(1);
    for (int c = 0; c < NumColonne; ++c)
        Cella(0, c)->setText(QString());
    // The columns as designed (wide enough for their titles), however wide an earlier list made
    // them; the window then takes the size they ask for.
    AdattaColonne({0, 0, 0, 0});
    CodaEventiGrid->setMinimumHeight(CodaEventiGrid->horizontalHeader()->sizeHint().height() +
                                     RigheVisibili * AltezzaRiga + 2 * CodaEventiGrid->frameWidth());
}

void TCodaEventiFrm::ImpostaTestiCoda() {
    setWindowTitle(Testo("STRCODA_TITOLO"));
    LeggiFileCodaBtn->setText(Testo("STRMAIN_LEGGIFILE"));
    SalvaFileCodaBtn->setText(Testo("STRCODA_SALVAFILE"));
    StrSovrascrivere = GetMessaggio("STRMAIN_SOVRASCRIVERE");
    StrConfInvio = GetMessaggio("STRGLOBAL_CONFINVIO");
    StampaCodaBtn->setText(Testo("STRCODA_STAMPA"));
    RiceviCodaBtn->setText(Testo("STRMAIN_RICEVICENTRALE"));
    EliminaCodaBtn->setText(Testo("STRCODA_ELIMINACODA"));
    CodaEventiGrid->setHorizontalHeaderLabels({
        RientroTitolo + Testo("STRCODA_NUMERO"),
        RientroTitolo + Testo("STRCODA_TIPOEVENTO"),
        RientroTitolo + Testo("STRCODA_DESCRITTORE"),
        RientroTitolo + Testo("STRCODA_DATAORAEVENTO"),
    });
    EsciBtn->setText(Testo("STRGLOBAL_ESCI"));
    // One width for the column, enough for the longest caption of the language.
    for (QPushButton* b :
         {LeggiFileCodaBtn, SalvaFileCodaBtn, StampaCodaBtn, RiceviCodaBtn, EliminaCodaBtn, EsciBtn}) {
        b->setMinimumWidth(0);
        b->setMinimumWidth(std::max(LarghezzaPulsanti, b->sizeHint().width()));
    }

    for (int t = PrimoAllarme; t <= UltimoAllarmeCaricato; ++t)
        testi_.Allarme[t] = Testo(ChiaviAllarme[t - 1]);
    for (int t = PrimoInserimento; t <= UltimoInserimento; ++t)
        testi_.Inserimento[t - PrimoInserimento] = Testo(ChiaviInserimento[t - PrimoInserimento]);
    for (int k = 0; k < int(testi_.FonteAllarme.size()); ++k)
        testi_.FonteAllarme[k] = Testo(ChiaviFonteAllarme[k]);
    testi_.AccecamentoSub = Testo("STRCODA_ALLACCECAMSUB");
    testi_.InvioGprsOk = Testo("STRCODA_EVINVIOGPRSOK");
    testi_.InvioGprsNo = Testo("STRCODA_EVINVIOGPRSNO");
    for (int k = 0; k < int(testi_.FonteInserimento.size()); ++k)
        testi_.FonteInserimento[k] = Testo(ChiaviFonteInserimento[k]);
}

QTableWidgetItem* TCodaEventiFrm::Cella(int Riga, int Colonna) {
    QTableWidgetItem* i = CodaEventiGrid->item(Riga, Colonna);
    if (i) return i;
    i = new QTableWidgetItem();
    i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    // The numbers stand in a fixed column, shaded like the titles.
    if (Colonna == 0) i->setBackground(CodaEventiGrid->palette().brush(QPalette::Button));
    CodaEventiGrid->setItem(Riga, Colonna, i);
    return i;
}

void TCodaEventiFrm::MostraCodaEventi() {
    QTableWidget& g = *CodaEventiGrid;
    const int n = EventiMemorizzabili(Coda.NumEventi);
    const QFontMetricsF fm(g.font());
    const auto misura = [&fm](const QString& t) { return int(std::ceil(fm.horizontalAdvance(t))); };
    std::array<int, NumColonne> larghezze{0, 0, 0, 0};

    g.setUpdatesEnabled(false);
    g.setRowCount(std::max(n, 1));
    if (n == 0) {
        for (int c = 0; c < NumColonne; ++c)
            Cella(0, c)->setText(QString());
    }

    // Texts and widths once per type and per source in one filling: a full queue repeats them.
    std::array<QString, 256> tipi;
    std::array<bool, 256> tipoPronto{};
    std::array<int, 256> larghezzaTipo;
    larghezzaTipo.fill(-1);
    std::array<int, 2 * 256> larghezzaFonte;
    larghezzaFonte.fill(-1);

    for (int i = 0; i < n; ++i) {
        const TEventoCoda& e = Coda.Eventi[i];
        const int t = e.Tipo, d = e.Descrittore;

        const QString numero = RientroCella + QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        Cella(i, 0)->setText(numero);
        larghezze[0] = std::max(larghezze[0], misura(numero));

        if (!tipoPronto[t]) {
            tipoPronto[t] = true;
            if (Allarme(t))
                tipi[t] = RientroCella +
                          (t <= UltimoAllarmeCaricato ? testi_.Allarme[t] : Testo(ChiaviAllarme[t - 1]));
            else if (Inserimento(t))
                tipi[t] = RientroCella + testi_.Inserimento[t - PrimoInserimento];
        }
        // A GPRS send is an event of the panel, not an alarm: its alarm type says nothing.
        const bool senzaTipo = t == 1 && (d == FonteGprsOk1 || d == FonteGprsOk2);
        Cella(i, 1)->setText(senzaTipo ? QString() : tipi[t]);
        if (!senzaTipo && !tipi[t].isEmpty()) {
            if (larghezzaTipo[t] < 0) larghezzaTipo[t] = misura(tipi[t]);
            larghezze[1] = std::max(larghezze[1], larghezzaTipo[t]);
        }

        QString fonte;
        if (Allarme(t)) {
            if (d < NumZone)
                fonte = RientroCella + Immagine(ConfigCentrale.Zone[d].Descrizione.Leggi());
            else if (d == FonteGprsOk1 || d == FonteGprsOk2)
                fonte = RientroCella + testi_.InvioGprsOk + ConNumero(d == FonteGprsOk1 ? 1 : 2);
            else if (d == FonteGprsNo1 || d == FonteGprsNo2)
                fonte = RientroCella + testi_.InvioGprsNo + ConNumero(d == FonteGprsNo1 ? 1 : 2);
            else if (d >= PrimaFonte && d - PrimaFonte < int(testi_.FonteAllarme.size()))
                fonte = RientroCella + testi_.FonteAllarme[d - PrimaFonte];
            else if (d == FonteAccecamentoSub)
                fonte = RientroCella + testi_.AccecamentoSub;
        } else if (Inserimento(t)) {
            if (d < NumInseritori)
                fonte = RientroCella + Immagine(ConfigCentrale.Inseritori[d].Descrizione.Leggi());
            else if (d >= PrimaFonte && d < FonteSmsDaNumero)
                fonte = RientroCella + testi_.FonteInserimento[d - PrimaFonte];
            else if (d >= FonteSmsDaNumero && d <= FonteSmsUltima)
                fonte = RientroCella + testi_.FonteInserimento[2] + ConNumero(d - FonteSmsDaNumero + 1);
        }
        Cella(i, 2)->setText(fonte);
        if (!fonte.isEmpty()) {
            // Zone and keypad names are the image's and may differ between fillings, never within one.
            int& w = larghezzaFonte[(Allarme(t) ? 0 : 256) + d];
            if (w < 0) w = misura(fonte);
            larghezze[2] = std::max(larghezze[2], w);
        }

        const QString quando = RientroCella + QString::fromLatin1(DataOraToStr(1, e.DataOra));
        Cella(i, 3)->setText(quando);
        larghezze[3] = std::max(larghezze[3], misura(quando));
    }
    AdattaColonne(larghezze);
    g.setUpdatesEnabled(true);
}

void TCodaEventiFrm::AdattaColonne(const std::array<int, 4>& Testi) {
    QTableWidget& g = *CodaEventiGrid;
    // What the cell draws around its text: the item's margins, the grid line, and a pixel or two
    // by which the laid-out text may exceed its measured advance.
    const int margine = 2 * (g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1) + 1 + 2;
    int totale = 0;
    for (int c = 0; c < NumColonne; ++c) {
        const int w = std::max({LarghezzeProgetto[c], g.horizontalHeader()->sectionSizeHint(c),
                                Testi[c] > 0 ? Testi[c] + margine : 0});
        g.setColumnWidth(c, w);
        totale += w;
    }
    int larghezza = totale + g.verticalScrollBar()->sizeHint().width() + 2 * g.frameWidth();
    if (const QScreen* s = screen()) {
        // The buttons' column, the margins and the window's frame stay on the screen too.
        const QMargins m = layout()->contentsMargins();
        const int resto = m.left() + m.right() + layout()->spacing() + colonnaPulsanti_->sizeHint().width() +
                          std::max(frameGeometry().width() - width(), 0);
        larghezza = std::min(larghezza, s->availableGeometry().width() - resto);
    }
    g.setMinimumWidth(larghezza);
}

void TCodaEventiFrm::LeggiFileCodaBtnClick() {
    {
        TCartellaCorrente cartella;
        const auto scelto = platform::gui::Dialogs().OpenFile(OpzioniDialogo());
        if (scelto) {
            const std::string nome = ApplicaRegolaNomeFile(*scelto, EstensioneFileCoda);
            const TLetturaFileCoda esito = LeggiFileCoda(nome, Coda);
            if (!esito.Letto) {
                // The store is as it was, and so is the list.
                platform::gui::ShowError(MsgErrore);
                return;
            }
            std::string avviso;
            if (esito.EventiEsclusi > 0)
                avviso = GetMessaggio("STRCODA_EVENTIESCLUSI") + " " + std::to_string(esito.EventiEsclusi);
            if (esito.CodaIgnorata) {
                if (!avviso.empty()) avviso += '\n';
                avviso += GetMessaggio("STRCODA_FILEINCOMPLETO");
            }
            if (avviso.empty())
                platform::gui::ShowInformation(MsgOk);
            else
                platform::gui::Dialogs().Message(platform::gui::MsgKind::Warning, avviso,
                                                 platform::gui::MsgButtons::Ok);
        }
    }
    MostraCodaEventi();
}

void TCodaEventiFrm::SalvaFileCodaBtnClick() {
    TCartellaCorrente cartella;
    const auto scelto = platform::gui::Dialogs().SaveFile(OpzioniDialogo());
    if (!scelto) return;
    const std::string nome = ApplicaRegolaNomeFile(*scelto, EstensioneFileCoda);
    std::error_code ec;
    if (std::filesystem::exists(nome, ec) &&
        !platform::gui::AskYesNo(StrSovrascrivere + " " + Mostrato(nome)))
        return;
    if (!ScriviFileCoda(nome, Coda)) {
        platform::gui::ShowError(MsgErrore);
        return;
    }
    platform::gui::ShowInformation(MsgOk);
}

void TCodaEventiFrm::StampaCodaBtnClick() {
    StampaCodaEventi(windowTitle(), *CodaEventiGrid);
}

void TCodaEventiFrm::RiceviCodaBtnClick() {
    // The wait window closes only once the worker has ended: the store is then ours to read,
    // whatever the outcome (a failure keeps the blocks read before it).
    EseguiOperazioneCentrale(OpRiceviCoda, this);
    MostraCodaEventi();
}

void TCodaEventiFrm::EliminaCodaBtnClick() {
    if (!platform::gui::AskYesNo(StrConfInvio)) return;
    // The panel's queue goes; the store and the list keep what was read.
    EseguiOperazioneCentrale(OpEliminaCoda, this);
}
