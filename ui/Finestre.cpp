#include "ui/Finestre.h"

#include "ui/Attesa.h"
#include "ui/CodaEventi.h"
#include "ui/EventiCid.h"
#include "ui/ImportaOld.h"
#include "ui/LeggiCodRadio.h"
#include "ui/Main.h"
#include "ui/Opzioni.h"
#include "ui/Password.h"
#include "ui/ServerUdp.h"
#include "ui/Splash.h"
#include "ui/TestModem.h"

#include <QWidget>

namespace {

template <class T> void Crea(T*& Variabile, std::vector<std::string>& Ordine) {
    Variabile = new T();
    Ordine.push_back(T::staticMetaObject.className());
}

template <class T> void Distruggi(T*& Variabile) {
    T* w = Variabile;
    Variabile = nullptr;
    delete w;
}

} // namespace

void CreaSplash() {
    if (SplashForm) return;
    SplashForm = new TSplashForm();
    SplashForm->MostraDipinta();
}

std::vector<std::string> CreaFinestre() {
    std::vector<std::string> ordine;
    Crea(MainFrm, ordine);
    Crea(ServerUdpFrm, ordine);
    Crea(OpzioniFrm, ordine);
    Crea(AttesaFrm, ordine);
    Crea(PasswordDlg, ordine);
    Crea(CodaEventiFrm, ordine);
    Crea(TestModemFrm, ordine);
    Crea(LeggiCodRadioFrm, ordine);
    Crea(ImportaOldFrm, ordine);
    Crea(EventiCidFrm, ordine);
    return ordine;
}

void MostraMainFrm() {
    if (MainFrm) MainFrm->show();
}

void DistruggiFinestre() {
    Distruggi(EventiCidFrm);
    Distruggi(ImportaOldFrm);
    Distruggi(LeggiCodRadioFrm);
    Distruggi(TestModemFrm);
    Distruggi(CodaEventiFrm);
    Distruggi(PasswordDlg);
    Distruggi(AttesaFrm);
    Distruggi(OpzioniFrm);
    Distruggi(ServerUdpFrm);
    Distruggi(MainFrm);
    Distruggi(SplashForm);
}
