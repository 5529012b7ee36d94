#pragma once
// What every window test needs: a program folder of its own holding the shipped language table,
// the dialogs answered by the test, the UI-thread hand-over, the closing pauses shortened, and the
// windows destroyed and the formats and settings put back afterwards.
#include "config/ConfigPc.h"
#include "platform/gui/qt/QtUiThread.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/Finestre.h"
#include "ui/Main.h"

#include <QLocale>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Failures show Qt texts as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class ProgramWindows : public testing::Test {
  protected:
    ProgramWindows() : tempi_(TempiChiusuraMainFrm) {
        testing_support::CopyShippedFile("Lingue.csv", folder_.Path());
        TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    }
    ~ProgramWindows() override {
        DistruggiFinestre();
        ui_.reset();
        TempiChiusuraMainFrm = tempi_;
        QLocale::setDefault(locale_);
        ConfigPcDefault();
    }

    testing_support::TempFolder folder_;
    testing_support::ProgramFolderScope programFolder_{folder_.Path()};
    testing_support::ScriptedDialogs dialogs_;
    std::unique_ptr<platform::gui::QtUiThread> ui_ = std::make_unique<platform::gui::QtUiThread>();

  private:
    TTempiChiusura tempi_;
    QLocale locale_;
};
