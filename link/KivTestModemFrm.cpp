#include "link/KivTestModemFrm.h"

#include "link/KivFormModCom.h"
#include "link/KivModCom.h"
#include "platform/gui/qt/QtText.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

using platform::gui::FromCp1252;

TFinestraTestSegnale::TFinestraTestSegnale(QWidget* parent) : QDialog(parent) {
    setFixedSize(400, 300);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto nome = [](QWidget* w, const char* n) { w->setObjectName(QString::fromLatin1(n)); };
    LabelOperatore = new QLabel("Operatore", this);
    nome(LabelOperatore, "LabelOperatore");
    LabelOperatore->setGeometry(30, 25, 340, 20);
    Operatore = new QLineEdit(this);
    nome(Operatore, "Operatore");
    Operatore->setReadOnly(true);
    Operatore->setFocusPolicy(Qt::NoFocus);
    Operatore->setGeometry(30, 48, 340, 24);

    LabelSegnaleModem = new QLabel("Segnale Modem", this);
    nome(LabelSegnaleModem, "LabelSegnaleModem");
    LabelSegnaleModem->setGeometry(30, 90, 340, 20);
    SegnaleModem = new QProgressBar(this);
    nome(SegnaleModem, "SegnaleModem");
    SegnaleModem->setRange(0, 31);
    SegnaleModem->setValue(0);
    SegnaleModem->setTextVisible(false);
    SegnaleModem->setGeometry(30, 113, 340, 22);

    LabelErrorRate = new QLabel("Error Rate", this);
    nome(LabelErrorRate, "LabelErrorRate");
    LabelErrorRate->setGeometry(30, 155, 340, 20);
    ErrorRateModem = new QLineEdit(this);
    nome(ErrorRateModem, "ErrorRateModem");
    ErrorRateModem->setReadOnly(true);
    ErrorRateModem->setGeometry(30, 178, 120, 24);

    ExitBtn = new QPushButton("&Esci", this);
    nome(ExitBtn, "ExitBtn");
    ExitBtn->setGeometry(150, 245, 100, 30);
    ExitBtn->setAutoDefault(false);
    connect(ExitBtn, &QPushButton::clicked, this, &QDialog::reject);

    TimerTest = new QTimer(this);
    TimerTest->setObjectName("TimerTest");
    TimerTest->setInterval(1000);
    TimerTest->setSingleShot(true); // restarted by hand after each cycle
    connect(TimerTest, &QTimer::timeout, this, [this] { TimerTestTimer(); });
}

void TFinestraTestSegnale::SvuotaLettura() {
    Operatore->clear();
    SegnaleModem->setValue(0);
    ErrorRateModem->clear();
}

void TFinestraTestSegnale::MostraLettura(const TLetturaSegnale& Lettura) {
    Operatore->setText(FromCp1252(Lettura.Operatore));
    SegnaleModem->setValue(Lettura.Livello);
    ErrorRateModem->setText(QString::number(Lettura.ErrorRate));
}

TKivTestModemFrm::TKivTestModemFrm(TKivModComFrm& FormModCom, QWidget* parent,
                                   platform::MonotonicClock Orologio)
    : TFinestraTestSegnale(parent), form_(FormModCom), test_(FormModCom, FormModCom.ThreadCom(), Orologio) {
    setObjectName("KivTestModemFrm");
    setWindowTitle("Test Segnale Modem");
}

TKivTestModemFrm::~TKivTestModemFrm() {
    TimerTest->stop();
    test_.Fine();
}

void TKivTestModemFrm::ImpostaTesti() {
    const TKivModCom& c = form_.Owner();
    if (!c.StrTestSegnaleModemBtn.empty()) setWindowTitle(FromCp1252(c.StrTestSegnaleModemBtn));
    if (!c.StrOperatore.empty()) LabelOperatore->setText(FromCp1252(c.StrOperatore));
    if (!c.StrSegnaleModem.empty()) LabelSegnaleModem->setText(FromCp1252(c.StrSegnaleModem));
    if (!c.StrErrorRate.empty()) LabelErrorRate->setText(FromCp1252(c.StrErrorRate));
    test_.TestoNoNetwork = c.StrNoNetwork.empty() ? "No Network" : c.StrNoNetwork;
    ExitBtn->setText(FromCp1252(c.StrEsciBtn));
}

void TKivTestModemFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    test_.Avvio();
    SvuotaLettura();
    if (!test_.FineTest.load()) TimerTest->start();
    const bool errore = form_.Owner().ViewErrorRate;
    LabelErrorRate->setVisible(errore);
    ErrorRateModem->setVisible(errore);
    ImpostaTesti();
}

void TKivTestModemFrm::TimerTestTimer() {
    TimerTest->stop();
    MostraLettura(test_.Ciclo());
    if (!test_.FineTest.load()) TimerTest->start();
}

void TKivTestModemFrm::FormClose() {
    TimerTest->stop();
    test_.Fine();
}

void TKivTestModemFrm::done(int r) {
    FormClose();
    QDialog::done(r);
}

void TKivTestModemFrm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}
