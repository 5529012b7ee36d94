// The main window's File menu: configuration files, the kit save and the import of older files.
#include "config/FileConfig.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/ImportaOld.h"
#include "ui/Main.h"

namespace {

// The main window as the file commands reach it.
class FinestraFileMain final : public IFinestraFileConfig {
  public:
    explicit FinestraFileMain(TMainFrm& Main) : main_(Main) {}

    void AggiornaConfigDaForm() override { main_.AggiornaConfigDaForm(); }
    void AggiornaFormDaConfig() override { main_.AggiornaFormDaConfig(); }
    void ImpostaCaption(const std::string& Caption) override {
        main_.setWindowTitle(platform::gui::FromCp1252(Caption));
    }
    std::string TestoSovrascrivere() const override { return main_.StrSovrascrivere; }
    // A menu command does not take the focus from the field, so its text may still be a number
    // being typed; the file name must come from the counter's range all the same.
    int NumProgressivoKit() const override {
        const platform::gui::TSpinEdit& e = *main_.EditNumProgressivoKit;
        return e.Clamp(e.Value());
    }
    void ImpostaNumProgressivoKit(int Valore) override { main_.EditNumProgressivoKit->SetValue(Valore); }

  private:
    TMainFrm& main_;
};

} // namespace

void TMainFrm::MiLeggiFileClick() {
    FinestraFileMain finestra(*this);
    ComandoLeggiFile(finestra);
}

void TMainFrm::MiSalvaApertoFileClick() {
    FinestraFileMain finestra(*this);
    ComandoSalvaApertoFile(finestra);
}

void TMainFrm::MiSalvaConNomeFileClick() {
    FinestraFileMain finestra(*this);
    ComandoSalvaConNomeFile(finestra);
}

void TMainFrm::MiSalvaFileKitClick() {
    FinestraFileMain finestra(*this);
    ComandoSalvaFileKit(finestra);
}

void TMainFrm::MIImportaFileClick() {
    if (ImportaOldFrm) ImportaOldFrm->Mostra();
}
