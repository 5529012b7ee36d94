#pragma once
// The ".415" configuration file: the image written byte for byte. Read, save to the open file,
// save under a new name and the kit save, as the main window's File menu runs them; the window's
// handlers only call these.
#include "config/GlobalsVar.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

constexpr std::size_t DimensioneFile415 = sizeof(TConfigCentrale);
constexpr const char* FiltroFile415 = "File Vm415 (*.415)|*.415";
constexpr const char* EstensioneFile415 = ".415";
constexpr int NumProgressivoKitMin = 1;
constexpr int NumProgressivoKitMax = 99;

// The name of the current configuration file, as the file system spells it (UTF-8). It belongs to
// the main window, which empties it when it is shown and shows it in its caption; it lives here so
// that the commands reach it.
extern std::string FileCorrente;

// The main window's caption (Windows-1252): "Centrale Vm415 - " and the current file when one is
// open, else the fixed title. Every place that sets the caption takes it from here.
std::string CaptionMainFrm();

// What the file commands need of the main window.
class IFinestraFileConfig {
  public:
    virtual ~IFinestraFileConfig() = default;
    // Copies the controls into ConfigCentrale (this also sets the image's clock to now).
    virtual void AggiornaConfigDaForm() = 0;
    // Copies ConfigCentrale into the controls.
    virtual void AggiornaFormDaConfig() = 0;
    // Windows-1252, like every text the windows show.
    virtual void ImpostaCaption(const std::string& Caption) = 0;
    // The text of "STRMAIN_SOVRASCRIVERE" as the window loaded it when it was translated.
    virtual std::string TestoSovrascrivere() const = 0;
    // The kit counter, the spin edit EditNumProgressivoKit (1..99).
    virtual int NumProgressivoKit() const = 0;
    virtual void ImpostaNumProgressivoKit(int Valore) = 0;
};

// True when the bytes are a current configuration file: exactly one image, model 164, format 11.
// Only then is Config replaced.
bool DecodificaFile415(std::span<const std::uint8_t> Dati, TConfigCentrale& Config);
// Reads and checks the file; Config is replaced only when every check passes.
bool LeggiFile415(const std::string& Nome, TConfigCentrale& Config);

enum class EsitoScrittura { Scritto, Rinunciato, Errore };
// The write step shared by the three saves: the overwrite question when the file exists, the
// controls copied into ConfigCentrale, the image written with the model and format of a current
// file (ConfigCentrale keeps its own). A failed write shows "Error", puts ConfigCentrale back as
// it was and leaves the previous file untouched.
EsitoScrittura ScriviFileConfig(const std::string& Nome, IFinestraFileConfig& Finestra);

// The four commands of the File menu. Each restores the current folder however it ends.
void ComandoLeggiFile(IFinestraFileConfig& Finestra);
void ComandoSalvaApertoFile(IFinestraFileConfig& Finestra);
void ComandoSalvaConNomeFile(IFinestraFileConfig& Finestra);
void ComandoSalvaFileKit(IFinestraFileConfig& Finestra);

// "Kit_" + the counter as two digits + ".415".
std::string NomeFileKit(int NumProgressivo);
// Clears the learned radio codes of every zone slot and every keypad.
void AzzeraCodiciRadio(TConfigCentrale& Config);
