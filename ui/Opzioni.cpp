#include "ui/Opzioni.h"

#include "config/GetMessage_11.h"
#include "link/KivFormModComFrm.h"
#include "link/KivModCom.h"
#include "link/ServerUdpAvvio.h"
#include "platform/diag/Diagnostica.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/Collegamento.h"
#include "ui/TestModem.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <string_view>

TOpzioniFrm* OpzioniFrm = nullptr;
TKivModComFrm::TOpzioni OpzioniKivModCom1;

namespace {

constexpr const char* VersioneProgramma = "1.11c";
constexpr int PortaMinima = 1;
constexpr int PortaMassima = 65535;
constexpr int CifrePorta = 5;

// Attempts and reply time-out (tenths of a second) per connection type: a modem line answers
// slowly, so fewer and longer attempts.
constexpr std::uint8_t TentativiModem = 3;
constexpr int TimeoutModemDec = 50;
constexpr std::uint8_t TentativiCavo = 10;
constexpr int TimeoutCavoDec = 10;

} // namespace

// What the main window asks of the link, answered by the program's link component.
class TOpzioniFrm::CollegamentoLink final : public collegamento::ICollegamento {
  public:
    explicit CollegamentoLink(TKivModCom& Com) : com_(Com) { collegamento::RegistraCollegamento(this); }
    ~CollegamentoLink() override {
        if (&collegamento::Collegamento() == this) collegamento::RegistraCollegamento(nullptr);
    }
    int TipoConnessione() const override {
        const TKivModComFrm* f = com_.FormModCom();
        return f ? f->Controlli.TipoConnessione : collegamento::VoceCavo;
    }
    void ImpostaModemSerialePresente(bool Presente) override { com_.ModemSerialePresente = Presente; }

  private:
    TKivModCom& com_;
};

TOpzioniFrm::TOpzioniFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("OpzioniFrm");
    // A close button and nothing else in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(450, 407);

    LinguaLabel = Nominato(new QLabel(this), "LinguaLabel");
    LinguaLabel->setGeometry(24, 20, 300, 18);
    LinguaCb = Nominato(new QComboBox(this), "LinguaCb");
    LinguaCb->setGeometry(24, 42, 200, 26);

    EditCodiciRadioEditabili = Nominato(new QCheckBox(this), "EditCodiciRadioEditabili");
    EditCodiciRadioEditabili->setGeometry(24, 92, 400, 22);

    LabelPortaLocaleGprs = Nominato(new QLabel(this), "LabelPortaLocaleGprs");
    LabelPortaLocaleGprs->setGeometry(24, 136, 300, 18);
    EditPortaLocaleGprs = Nominato(new platform::gui::TSpinEdit(this), "EditPortaLocaleGprs");
    EditPortaLocaleGprs->SetMinValue(PortaMinima);
    EditPortaLocaleGprs->SetMaxValue(PortaMassima);
    EditPortaLocaleGprs->SetValue(PortaMinima);
    if (auto* e = EditPortaLocaleGprs->findChild<QLineEdit*>()) e->setMaxLength(CifrePorta);
    EditPortaLocaleGprs->setGeometry(24, 158, 100, 26);

    SetupComBtn = Nominato(new QPushButton(this), "SetupComBtn");
    SetupComBtn->setGeometry(24, 214, 200, 32);
    SetupComBtn->setAutoDefault(false);

    VersioneLabel = Nominato(new QLabel(this), "VersioneLabel");
    VersioneLabel->setGeometry(24, 360, 200, 18);
    ButtonOK = Nominato(new QPushButton(this), "ButtonOK");
    ButtonOK->setGeometry(336, 352, 90, 32);
    ButtonOK->setDefault(true);

    connect(SetupComBtn, &QPushButton::clicked, this, &TOpzioniFrm::SetupComBtnClick);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);

    // The window's design holds the link component: reading it builds the whole link before the
    // window's own creation work.
    KivModCom1 = std::make_unique<TKivModCom>();
    KivModCom1->OpzioniFinestra = OpzioniKivModCom1;
    InstallaFinestraModCom(*KivModCom1);
    KivModCom1->Loaded();
    collegamento_ = std::make_unique<CollegamentoLink>(*KivModCom1);

    FormCreate();
}

TOpzioniFrm::~TOpzioniFrm() {
    collegamento_.reset();
    KivModCom1.reset();
    if (OpzioniFrm == this) OpzioniFrm = nullptr;
}

int TOpzioniFrm::Mostra() {
    return exec();
}

// ---- Life of the window ------------------------------------------------------------------------

void TOpzioniFrm::FormCreate() {
    // Loaded again: the main window loaded it just before, but this window owns the settings.
    CaricaConfigPc();
    ImpostaTestiOpzioni();
    MostraConfigPc(ConfigPc);
    serverudp::AvviaServerUdp(ConfigPc.PortaLocaleGprs);
}

void TOpzioniFrm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (QScreen* s = screen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
        FormShow();
    }
    QDialog::showEvent(event);
}

void TOpzioniFrm::FormShow() {
    ImpostaTestiOpzioni();
    MostraConfigPc(ConfigPc);
}

void TOpzioniFrm::closeEvent(QCloseEvent* event) {
    // A window that is not showing is closed only by the program's end; a showing one closes
    // through done(), like its OK button.
    if (!isVisible()) {
        FormClose();
        event->accept();
        return;
    }
    QDialog::closeEvent(event);
}

void TOpzioniFrm::done(int r) {
    FormClose();
    QDialog::done(r);
}

void TOpzioniFrm::FormClose() {
    // The record takes the controls only once they are on disk: a settings file that cannot be
    // written leaves both the previous file and the settings in use as they were.
    TConfigPc letta = ConfigPc;
    LeggiConfigPc(letta);
    std::string errore;
    if (SalvaConfigPc(letta, &errore)) {
        ConfigPc = letta;
    } else {
        platform::Diagnostica("Opzioni", std::string(NomeFileConfigPc) + " not saved: " + errore);
        platform::gui::ShowError(GetMessaggio("STRIMP_FILETARGETERROR") + "\n" + errore);
    }
    serverudp::AvviaServerUdp(ConfigPc.PortaLocaleGprs);
}

// ---- Settings and controls ---------------------------------------------------------------------

void TOpzioniFrm::MostraConfigPc(const TConfigPc& Config) {
    LinguaCb->setCurrentIndex(Config.Lingua >= 0 && Config.Lingua < LinguaCb->count() ? Config.Lingua : -1);
    EditCodiciRadioEditabili->setChecked(Config.CodiciRadioEditabili != 0);
    EditPortaLocaleGprs->SetValue(Config.PortaLocaleGprs);
    ImpostaTentativiLink();
}

void TOpzioniFrm::LeggiConfigPc(TConfigPc& Config) const {
    Config.Lingua = LinguaCb->currentIndex();
    Config.CodiciRadioEditabili = EditCodiciRadioEditabili->isChecked() ? 1 : 0;
    // Enter closes the window with the field still being typed in, before it brings its number
    // within the range.
    Config.PortaLocaleGprs = EditPortaLocaleGprs->Clamp(EditPortaLocaleGprs->Value());
}

void TOpzioniFrm::ImpostaTentativiLink() {
    if (!KivModCom1) return;
    const TKivModComFrm* f = KivModCom1->FormModCom();
    const bool modem = f && f->Controlli.TipoConnessione == collegamento::VoceModem;
    KivModCom1->NumTentativi = modem ? TentativiModem : TentativiCavo;
    KivModCom1->TimeoutComandDec = modem ? TimeoutModemDec : TimeoutCavoDec;
}

void TOpzioniFrm::ImpostaTestiOpzioni() {
    setWindowTitle(Testo("STROPZIONI_TITOLO"));
    SetupComBtn->setText(Testo("STROPZIONI_PORTASERIALE"));
    LinguaLabel->setText(Testo("STROPZIONI_LINGUA"));
    VersioneLabel->setText(Testo("STROPZIONI_VERSIONE") + QLatin1Char(' ') +
                           QLatin1String(VersioneProgramma));
    EditCodiciRadioEditabili->setText(Testo("STROPZIONI_CODRADIOEDITABILI"));
    LabelPortaLocaleGprs->setText(Testo("STROPZIONI_PORTALOCALEGPRS"));
    ButtonOK->setText(Testo("STRGLOBAL_OK"));

    LinguaCb->clear();
    for (const char* chiave :
         {"STROPZIONI_ITALIANO", "STROPZIONI_INGLESE", "STROPZIONI_FRANCESE", "STROPZIONI_SPAGNOLO"})
        LinguaCb->addItem(Testo(chiave));

    if (!KivModCom1) return;
    TKivModCom& k = *KivModCom1;
    const std::pair<std::string*, const char*> testi[] = {
        {&k.StrTitolo, "STROPZIONI_SETCOM"},
        {&k.StrConnessione, "STROPZIONI_CONNESSIONE"},
        {&k.StrTipoConnessione, "STROPZIONI_TIPOCONNES"},
        {&k.StrViaCavo, "STROPZIONI_VIACAVO"},
        {&k.StrModem, "STROPZIONI_VIAMODEM"},
        {&k.StrModemDialStr, "STROPZIONI_DIAL"},
        {&k.StrModemInitStr1, "STROPZIONI_MODEMSTR1"},
        {&k.StrModemInitStr2, "STROPZIONI_MODEMSTR2"},
        {&k.StrModemInitStr3, "STROPZIONI_MODEMSTR3"},
        {&k.StrTestModemBtn, "STROPZIONI_TESTMODEM"},
        {&k.StrTestSegnaleModemBtn, "STROPZIONI_TESTSEGNALE"},
        {&k.StrSegnaleModem, "STRTEST_SEGNALE"},
        {&k.StrOperatore, "STRTEST_OPERATORE"},
        {&k.StrErrorRate, "STRTEST_ERRORRATE"},
        {&k.StrDefaultBtn, "STRGLOBAL_DEFAULT"},
        {&k.StrLeggiBtn, "STRGLOBAL_LEGGI"},
        {&k.StrSalvaBtn, "STRGLOBAL_SALVA"},
        {&k.StrEsciBtn, "STRGLOBAL_ESCI"},
    };
    for (const auto& [proprieta, chiave] : testi)
        *proprieta = GetMessaggio(chiave);
}

// ---- Buttons -----------------------------------------------------------------------------------

void TOpzioniFrm::SetupComBtnClick() {
    if (!KivModCom1) return;
    KivModCom1->Setup();
    // The attempts and time-out follow a changed connection type at once; what the user has
    // changed in this window so far stays on screen until it is saved or dropped.
    ImpostaTentativiLink();
}

void TOpzioniFrm::ButtonDefaultClick() {
    ConfigPcDefault();
    MostraConfigPc(ConfigPc);
}

void TOpzioniFrm::TestSegnaleModemBtnClick() {
    if (!KivModCom1 || !TestModemFrm) return;
    TestModemFrm->ModCom = KivModCom1.get();
    TestModemFrm->exec();
}
