#include "ui/TestModem.h"

#include "link/KivFormModCom.h"
#include "link/KivModCom.h"
#include "ui/Testi.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

TTestModemFrm* TestModemFrm = nullptr;

TTestModemFrm::TTestModemFrm(QWidget* parent) : TFinestraTestSegnale(parent) {
    setObjectName("TestModemFrm");
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
    SvuotaLettura();
    if (test_) TimerTest->start();
}

void TTestModemFrm::TimerTestTimer() {
    TimerTest->stop();
    if (!test_) return;
    MostraLettura(test_->CicloDiretto());
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
