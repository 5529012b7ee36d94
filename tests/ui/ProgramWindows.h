#pragma once
// What every window test needs: a program folder of its own holding the shipped language table, a
// user's settings folder of its own, the settings store and the device scan in a folder of their
// own (no port of the machine), the dialogs answered by the test, the UI-thread hand-over, the
// closing pauses and the link's waits shortened, and the windows destroyed and the formats and
// settings put back afterwards.
#include "config/ConfigPc.h"
#include "link/ConfigComProva.h"
#include "link/KivCanale.h"
#include "platform/gui/qt/QtUiThread.h"
#include "serial/SerialTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/Attesa.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/OperazioniCentrale.h"
#include "ui/Opzioni.h"

#include <QLocale>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Failures show Qt texts as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class ProgramWindows : public testing::Test {
  protected:
    ProgramWindows() : tempi_(TempiChiusuraMainFrm), opzioniLink_(OpzioniKivModCom1) {
        testing_support::CopyShippedFile("Lingue.csv", folder_.Path());
        TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
        OpzioniKivModCom1 = testing_support::OpzioniSenzaAttese(OpzioniKivModCom1);
    }
    ~ProgramWindows() override {
        DistruggiFinestre();
        ui_.reset();
        TempiChiusuraMainFrm = tempi_;
        OpzioniKivModCom1 = opzioniLink_;
        QLocale::setDefault(locale_);
        ConfigPcDefault();
    }

    // The user's link settings file: connection type (ConnessioneCavo or ConnessioneModem) and
    // ports.
    void ScriviComConfig(std::uint8_t Tipo, std::uint8_t ComCavo = 0, std::uint8_t ComModem = 0) {
        settings_.Write("comconfig.cfg",
                        testing_support::FileConfigCom(testing_support::ConfigCom(Tipo, ComCavo, ComModem)));
    }

    // While `Utente` runs, presses the wait window's OK once the panel operation is over, as the
    // user would.
    static void ChiudiAttesaAllaFine(QTimer& Utente) {
        QObject::connect(&Utente, &QTimer::timeout, [] {
            const TThreadCom* w = OperazioneCentraleInCorso();
            if (AttesaFrm && AttesaFrm->isVisible() && w && w->Finished() && AttesaFrm->Okbutton->isVisible())
                AttesaFrm->Okbutton->click();
        });
        Utente.start(5);
    }

    serial_test::StoreScope portStore_;
    testing_support::TempFolder folder_;
    testing_support::ProgramFolderScope programFolder_{folder_.Path()};
    testing_support::TempFolder settings_;
    testing_support::SettingsFolderScope settingsFolder_{settings_.Path()};
    testing_support::ScriptedDialogs dialogs_;
    std::unique_ptr<platform::gui::QtUiThread> ui_ = std::make_unique<platform::gui::QtUiThread>();

  private:
    TTempiChiusura tempi_;
    TKivModComFrm::TOpzioni opzioniLink_;
    QLocale locale_;
};
