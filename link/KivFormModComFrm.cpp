#include "link/KivFormModComFrm.h"

#include "link/KivModCom.h"
#include "link/KivTestModemFrm.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/qt/HourglassCursor.h"
#include "platform/gui/qt/QtDialogs.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TRadioGroup.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

using platform::gui::FromCp1252;
using platform::gui::ToCp1252;

namespace {
// The edits take 15 characters from the keyboard; a stored 16-character string is shown whole so
// that it survives a save.
constexpr int MassimoEdit = 15;

void ImpostaEdit(QLineEdit* e, const std::string& testo) {
    e->setMaxLength(std::max<int>(MassimoEdit, int(testo.size())));
    e->setText(FromCp1252(testo));
}
} // namespace

TKivModComDialogo::TKivModComDialogo(TKivModComFrm& Logica, QWidget* parent)
    : QDialog(parent), logica_(Logica) {
    setObjectName("KivModComFrm");
    setFixedSize(500, 400);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    connessione_ = new QGroupBox(this);
    connessione_->setObjectName("ConnessioneCB");
    connessione_->setGeometry(10, 10, 480, 150);
    tipo_ = new platform::gui::TRadioGroup(connessione_);
    tipo_->setObjectName("TipoConnessione");
    comViaCavo_ = new QComboBox(connessione_);
    comViaCavo_->setObjectName("ComViaCavo");
    comViaModem_ = new QComboBox(connessione_);
    comViaModem_->setObjectName("ComViaModem");
    refreshCom_ = new QPushButton("Refresh", connessione_);
    refreshCom_->setObjectName("RefreshCom");
    refreshCom_->setGeometry(380, 110, 90, 28);

    const char* nomiEdit[4] = {"StrInit1Modem", "StrInit2Modem", "StrInit3Modem", "StrDialModem"};
    for (int i = 0; i < 4; ++i) {
        label_[i] = new QLabel(this);
        label_[i]->setObjectName(QString(nomiEdit[i]) + "Label");
        label_[i]->setGeometry(20, 175 + 35 * i, 200, 24);
        edit_[i] = new QLineEdit(this);
        edit_[i]->setObjectName(nomiEdit[i]);
        edit_[i]->setGeometry(230, 175 + 35 * i, 200, 24);
        edit_[i]->setMaxLength(MassimoEdit);
    }

    // Three columns of buttons as wide as the longest caption of the four languages needs (the
    // Spanish signal test's), spread across the window under the connection group.
    constexpr int LarghezzaBottone = 140;
    constexpr int Colonne[3] = {20, 180, 340};
    auto bottone = [this](const char* nome, int x, int y) {
        auto* b = new QPushButton(this);
        b->setObjectName(nome);
        b->setGeometry(x, y, LarghezzaBottone, 30);
        b->setAutoDefault(false);
        return b;
    };
    saveBtn_ = bottone("SaveBtn", Colonne[0], 320);
    readBtn_ = bottone("ReadBtn", Colonne[1], 320);
    defaultBtn_ = bottone("DefaultDataBtn", Colonne[2], 320);
    testModemBtn_ = bottone("TestModemBtn", Colonne[0], 360);
    testSegnaleBtn_ = bottone("TestSegnaleModemBtn", Colonne[1], 360);
    esciBtn_ = bottone("EsciBtn", Colonne[2], 360);

    connect(saveBtn_, &QPushButton::clicked, this, &TKivModComDialogo::SaveBtnClick);
    connect(readBtn_, &QPushButton::clicked, this, &TKivModComDialogo::ReadBtnClick);
    connect(defaultBtn_, &QPushButton::clicked, this, &TKivModComDialogo::DefaultDataBtnClick);
    connect(refreshCom_, &QPushButton::clicked, this, &TKivModComDialogo::RefreshComClick);
    connect(testModemBtn_, &QPushButton::clicked, this, &TKivModComDialogo::TestModemBtnClick);
    connect(testSegnaleBtn_, &QPushButton::clicked, this, &TKivModComDialogo::TestSegnaleModemBtnClick);
    connect(esciBtn_, &QPushButton::clicked, this, &QDialog::reject);
    MostraControlli();
}

void TKivModComDialogo::MostraControlli() {
    const TControlliModCom& c = logica_.Controlli;
    setWindowTitle(FromCp1252(c.Titolo));
    connessione_->setTitle(FromCp1252(c.Connessione));
    {
        const QSignalBlocker blocco(tipo_);
        tipo_->SetCaption(c.TipoConnessioneCaption);
        if (tipo_->Items() != c.VociTipo) tipo_->SetItems(c.VociTipo);
        tipo_->SetItemIndex(c.TipoConnessione);
    }
    tipo_->setGeometry(10, 20, 200, c.AltezzaTipo);
    for (QComboBox* combo : {comViaCavo_, comViaModem_}) {
        const QSignalBlocker blocco(combo);
        combo->clear();
        for (const std::string& voce : c.VociCom)
            combo->addItem(FromCp1252(voce));
    }
    comViaCavo_->setCurrentIndex(c.ComViaCavo);
    comViaModem_->setCurrentIndex(c.ComViaModem);
    comViaCavo_->setGeometry(230, c.ComViaCavoTop, 140, 24);
    comViaModem_->setGeometry(230, c.ComViaModemTop, 140, 24);
    comViaCavo_->setVisible(c.ComViaCavoVisibile);
    comViaModem_->setVisible(c.ComViaModemVisibile);
    const std::string* testi[4] = {&c.StrInit1Modem, &c.StrInit2Modem, &c.StrInit3Modem, &c.StrDialModem};
    const std::string* etichette[4] = {&c.StrInit1ModemLabel, &c.StrInit2ModemLabel, &c.StrInit3ModemLabel,
                                       &c.StrDialModemLabel};
    for (int i = 0; i < 4; ++i) {
        ImpostaEdit(edit_[i], *testi[i]);
        label_[i]->setText(FromCp1252(*etichette[i]));
        edit_[i]->setVisible(c.ComViaModemVisibile);
        label_[i]->setVisible(c.ComViaModemVisibile);
    }
    saveBtn_->setText(FromCp1252(c.SaveBtn));
    readBtn_->setText(FromCp1252(c.ReadBtn));
    defaultBtn_->setText(FromCp1252(c.DefaultDataBtn));
    testModemBtn_->setText(FromCp1252(c.TestModemBtn));
    testSegnaleBtn_->setText(FromCp1252(c.TestSegnaleModemBtn));
    esciBtn_->setText(FromCp1252(c.EsciBtn));
    testModemBtn_->setVisible(c.TestModemVisibile);
    testSegnaleBtn_->setVisible(c.TestModemVisibile);
}

void TKivModComDialogo::LeggiControlli() {
    TControlliModCom& c = logica_.Controlli;
    c.TipoConnessione = tipo_->ItemIndex();
    c.ComViaCavo = comViaCavo_->currentIndex();
    c.ComViaModem = comViaModem_->currentIndex();
    std::string* testi[4] = {&c.StrInit1Modem, &c.StrInit2Modem, &c.StrInit3Modem, &c.StrDialModem};
    for (int i = 0; i < 4; ++i)
        *testi[i] = ToCp1252(edit_[i]->text());
}

void TKivModComDialogo::showEvent(QShowEvent* event) {
    logica_.FormShow();
    MostraControlli();
    QDialog::showEvent(event);
}

void TKivModComDialogo::done(int r) {
    LeggiControlli();
    logica_.FormClose();
    QDialog::done(r);
}

void TKivModComDialogo::SaveBtnClick() {
    LeggiControlli();
    std::string errore;
    const bool scritto = logica_.SalvaConfig(&errore);
    logica_.MostraDatiForm();
    MostraControlli();
    if (!scritto) platform::gui::ShowError("File Error.\n" + errore);
}

void TKivModComDialogo::ReadBtnClick() {
    LeggiControlli();
    logica_.CaricaConfig();
    MostraControlli();
}

void TKivModComDialogo::DefaultDataBtnClick() {
    LeggiControlli();
    logica_.DatiDefault();
    logica_.MostraDatiForm();
    MostraControlli();
}

void TKivModComDialogo::RefreshComClick() {
    refreshCom_->setEnabled(false);
    LeggiControlli();
    {
        platform::gui::HourglassCursor clessidra;
        logica_.AggiornaListaCom();
        logica_.MostraDatiForm();
    }
    MostraControlli();
    refreshCom_->setEnabled(true);
}

void TKivModComDialogo::TestModemBtnClick() {
    LeggiControlli();
    bool pronto;
    {
        platform::gui::HourglassCursor clessidra;
        pronto = logica_.ProvaModem(LimiteProvaModem);
    }
    if (pronto)
        platform::gui::ShowInformation("Modem OK.");
    else
        platform::gui::ShowError("Modem NON OK.");
}

void TKivModComDialogo::TestSegnaleModemBtnClick() {
    if (ApriTestSegnale) {
        ApriTestSegnale();
        return;
    }
    TKivTestModemFrm test(logica_, this);
    test.exec();
}

void InstallaFinestraModCom(TKivModCom& Com) {
    Com.MostraFinestra = [](TKivModComFrm& f) {
        TKivModComDialogo d(f, platform::gui::DialogParent());
        d.exec();
        // The window has only a close button: it never ends with OK.
        return false;
    };
}
