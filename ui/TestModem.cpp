#include "ui/TestModem.h"

#include "link/KivFormModCom.h"
#include "link/KivModCom.h"
#include "ui/Testi.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

TTestModemFrm* TestModemFrm = nullptr;

TTestModemFrm::TTestModemFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("TestModemFrm");
    setFixedSize(400, 300);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    LabelOperatore = Nominato(new QLabel(this), "LabelOperatore");
    LabelOperatore->setGeometry(30, 25, 340, 20);
    Operatore = Nominato(new QLineEdit(this), "Operatore");
    Operatore->setReadOnly(true);
    Operatore->setFocusPolicy(Qt::NoFocus);
    Operatore->setGeometry(30, 48, 340, 24);
    LabelSegnaleModem = Nominato(new QLabel(this), "LabelSegnaleModem");
    LabelSegnaleModem->setGeometry(30, 90, 340, 20);
    SegnaleModem = Nominato(new QProgressBar(this), "SegnaleModem");
    SegnaleModem->setRange(0, 31);
    SegnaleModem->setValue(0);
    SegnaleModem->setTextVisible(false);
    SegnaleModem->setGeometry(30, 113, 340, 22);
    LabelErrorRate = Nominato(new QLabel(this), "LabelErrorRate");
    LabelErrorRate->setGeometry(30, 155, 340, 20);
    ErrorRateModem = Nominato(new QLineEdit(this), "ErrorRateModem");
    ErrorRateModem->setReadOnly(true);
    ErrorRateModem->setGeometry(30, 178, 120, 24);
    ExitBtn = Nominato(new QPushButton(this), "ExitBtn");
    ExitBtn->setGeometry(150, 245, 100, 30);
    ExitBtn->setAutoDefault(false);
    connect(ExitBtn, &QPushButton::clicked, this, &QDialog::reject);

    TimerTest = Nominato(new QTimer(this), "TimerTest");
    TimerTest->setInterval(1000);
    TimerTest->setSingleShot(true); // restarted by hand after each cycle
    connect(TimerTest, &QTimer::timeout, this, &TTestModemFrm::TimerTestTimer);
    ImpostaTesti();
}

TTestModemFrm::~TTestModemFrm() {
    TimerTest->stop();
    if (test_) test_->Fine();
}

void TTestModemFrm::ImpostaTesti() {
    setWindowTitle(Testo("STRTEST_TITOLO"));
    LabelOperatore->setText(Testo("STRTEST_OPERATORE"));
    LabelSegnaleModem->setText(Testo("STRTEST_SEGNALE"));
    LabelErrorRate->setText(Testo("STRTEST_ERRORRATE"));
    ExitBtn->setText(Testo("STRGLOBAL_ESCI"));
}

void TTestModemFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    ImpostaTesti();
    TKivModComFrm* form = ModCom ? ModCom->FormModCom() : nullptr;
    // Without a link there is nothing to ask: the window shows its empty displays.
    if (form && (!test_ || &test_->Canale() != form))
        test_ = std::make_unique<TKivTestModem>(*form, form->ThreadCom(), Orologio);
    if (!form) test_.reset();
    if (test_) test_->AvvioDiretto();
    Operatore->clear();
    SegnaleModem->setValue(0);
    ErrorRateModem->clear();
    if (test_) TimerTest->start();
}

void TTestModemFrm::TimerTestTimer() {
    TimerTest->stop();
    if (!test_) return;
    const TLetturaSegnale l = test_->CicloDiretto();
    Operatore->setText(platform::gui::FromCp1252(l.Operatore));
    SegnaleModem->setValue(l.Livello);
    ErrorRateModem->setText(QString::number(l.ErrorRate));
    if (!test_->FineTest.load()) TimerTest->start();
}

void TTestModemFrm::FormClose() {
    TimerTest->stop();
    if (test_) test_->Fine();
}

void TTestModemFrm::done(int r) {
    FormClose();
    QDialog::done(r);
}

void TTestModemFrm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}
