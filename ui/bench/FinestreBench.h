#pragma once
// What the window benchmarks share: the application set up as the program sets it up, with its
// settings in a temporary folder, the program's windows made and the main window shown (without
// the closing's fixed pauses), and a dialog service that answers at once.
#include "platform/gui/Dialogs.h"
#include "ui/Applicazione.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/bench/CartellaImpostazioniBench.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

class TFinestreBench {
  public:
    explicit TFinestreBench(char** argv) : app_(PreparaQt(argc_), argv) {
        TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
        CreaFinestre();
        MostraMainFrm();
    }
    ~TFinestreBench() {
        if (MainFrm) MainFrm->close();
        DistruggiFinestre();
        TempiChiusuraMainFrm = tempi_;
    }
    TFinestreBench(const TFinestreBench&) = delete;
    TFinestreBench& operator=(const TFinestreBench&) = delete;

  private:
    // Runs before the application exists: without a display the windows are drawn offscreen.
    static int& PreparaQt(int& argc) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }

    TCartellaImpostazioniBench impostazioni_;
    int argc_ = 1;
    TTempiChiusura tempi_ = TempiChiusuraMainFrm;
    QApplication app_;
    TAmbienteProgramma ambiente_;
};

// Every message is acknowledged (and printed on standard error, where a failure shows beside the
// figures); an open-file choice picks File, a save is cancelled.
class DialoghiMuti final : public platform::gui::DialogService {
  public:
    std::string File;
    platform::gui::MsgResult Message(platform::gui::MsgKind Tipo, const std::string& Testo,
                                     platform::gui::MsgButtons) override {
        if (Tipo == platform::gui::MsgKind::Error) std::fprintf(stderr, "message: %s\n", Testo.c_str());
        return platform::gui::MsgResult::Ok;
    }
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions&) override {
        if (File.empty()) return std::nullopt;
        return File;
    }
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions&) override {
        return std::nullopt;
    }
};
