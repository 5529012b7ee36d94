#include "config/FileConfig.h"

#include "config/CartellaCorrente.h"
#include "config/FileBinario.h"
#include "config/GetMessage_11.h"
#include "platform/fs/SafeFile.h"
#include "platform/gui/Dialogs.h"
#include "platform/text/Cp1252.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <vector>

std::string FileCorrente;

namespace {

// Fixed texts of these commands; the language table does not translate them.
const std::string MsgErroreFile = "File Error.";
const std::string MsgErrore = "Error";
const std::string MsgOk = "Ok";
const std::string PrefissoCaptionMainFrm = "Centrale Vm415 - ";
const std::string CaptionMainFrmFissa = "Centrale Vm415 (v. 1.11c)";

// File names are UTF-8, the texts of dialogs and windows Windows-1252.
std::string Mostrato(const std::string& Nome) {
    return Utf8ToCp1252(Nome);
}

bool Esiste(const std::string& Nome) {
    struct stat st {};
    return ::stat(Nome.c_str(), &st) == 0;
}

std::optional<std::string> ScegliFile(bool Salva) {
    platform::gui::FileDialogOptions opzioni;
    opzioni.Filter = FiltroFile415;
    auto& dialoghi = platform::gui::Dialogs();
    auto scelto = Salva ? dialoghi.SaveFile(opzioni) : dialoghi.OpenFile(opzioni);
    if (!scelto) return std::nullopt;
    return ApplicaRegolaNomeFile(*scelto, EstensioneFile415);
}

} // namespace

std::string CaptionMainFrm() {
    return FileCorrente.empty() ? CaptionMainFrmFissa : PrefissoCaptionMainFrm + Mostrato(FileCorrente);
}

bool DecodificaFile415(std::span<const std::uint8_t> Dati, TConfigCentrale& Config) {
    if (Dati.size() != DimensioneFile415) return false;
    if (Dati[offsetof(TConfigCentrale, IdCentrale)] != IdVm415 ||
        Dati[offsetof(TConfigCentrale, VersioneCentrale)] != VersioneFormato11)
        return false;
    std::memcpy(&Config, Dati.data(), DimensioneFile415);
    Config.IdCentrale = IdVm415;
    Config.VersioneCentrale = VersioneFormato11;
    return true;
}

bool LeggiFile415(const std::string& Nome, TConfigCentrale& Config) {
    std::vector<std::uint8_t> byte;
    // One byte more than an image, so that a longer file shows itself by its size.
    if (LeggiFileBinario(Nome, DimensioneFile415 + 1, byte) != EsitoLettura::Ok) return false;
    TConfigCentrale letta{};
    if (!DecodificaFile415(byte, letta)) return false;
    Config = letta;
    return true;
}

EsitoScrittura ScriviFileConfig(const std::string& Nome, IFinestraFileConfig& Finestra) {
    if (Esiste(Nome) && !platform::gui::AskYesNo(Mostrato(Nome) + " " + Finestra.TestoSovrascrivere()))
        return EsitoScrittura::Rinunciato;

    // The image takes the controls only when the file really holds them: a failed save must
    // leave both the previous file and the image as they were.
    const TConfigCentrale prima = ConfigCentrale;
    Finestra.AggiornaConfigDaForm();
    // This program writes no other format, and the read accepts only this one: a configuration
    // prepared before anything was opened or received must open again. The image keeps its own
    // mark, which tells the menus whether anything was loaded.
    TConfigCentrale scritta = ConfigCentrale;
    scritta.IdCentrale = IdVm415;
    scritta.VersioneCentrale = VersioneFormato11;
    if (!platform::WriteFileAtomically(Nome, &scritta, sizeof scritta)) {
        ConfigCentrale = prima;
        platform::gui::ShowError(MsgErrore);
        return EsitoScrittura::Errore;
    }
    return EsitoScrittura::Scritto;
}

void ComandoLeggiFile(IFinestraFileConfig& Finestra) {
    TCartellaCorrente cartella;
    const auto nome = ScegliFile(false);
    if (!nome) return;
    TConfigCentrale letta{};
    if (!LeggiFile415(*nome, letta)) {
        // The window still shows the image of the file named in its caption: Save must keep
        // writing there, never over the file just refused with what it did not hold.
        platform::gui::ShowError(MsgErroreFile);
        return;
    }
    FileCorrente = *nome;
    platform::gui::ShowInformation(MsgOk);
    Finestra.ImpostaCaption(CaptionMainFrm());
    ConfigCentrale = letta;
    ConfigCentrale.IdCentrale = IdVm415;
    ConfigCentrale.VersioneCentrale = VersioneFormato11;
    Finestra.AggiornaFormDaConfig();
}

void ComandoSalvaApertoFile(IFinestraFileConfig& Finestra) {
    TCartellaCorrente cartella;
    if (!FileCorrente.empty()) {
        if (ScriviFileConfig(FileCorrente, Finestra) == EsitoScrittura::Scritto)
            platform::gui::ShowInformation(MsgOk);
        return;
    }
    const auto nome = ScegliFile(true);
    if (!nome) return;
    if (ScriviFileConfig(*nome, Finestra) != EsitoScrittura::Scritto) return;
    platform::gui::ShowInformation(MsgOk);
    FileCorrente = *nome;
    Finestra.ImpostaCaption(CaptionMainFrm());
}

void ComandoSalvaConNomeFile(IFinestraFileConfig& Finestra) {
    TCartellaCorrente cartella;
    const auto nome = ScegliFile(true);
    if (!nome) return;
    if (ScriviFileConfig(*nome, Finestra) == EsitoScrittura::Scritto) platform::gui::ShowInformation(MsgOk);
}

std::string NomeFileKit(int NumProgressivo) {
    return "Kit_" + IntToStrZeri(NumProgressivo, 2) + ".415";
}

void AzzeraCodiciRadio(TConfigCentrale& Config) {
    for (auto& zona : Config.Zone)
        zona.CodiceRadio = {};
    for (auto& inseritore : Config.Inseritori)
        inseritore.CodiceRadio = {};
}

void ComandoSalvaFileKit(IFinestraFileConfig& Finestra) {
    TCartellaCorrente cartella;
    // A bare name: the series goes into the current folder.
    const int numero = Finestra.NumProgressivoKit();
    if (ScriviFileConfig(NomeFileKit(numero), Finestra) != EsitoScrittura::Scritto) return;
    Finestra.ImpostaNumProgressivoKit(numero < NumProgressivoKitMax ? numero + 1 : NumProgressivoKitMax);
    // The file keeps this panel's codes; the image is cleared for the next panel of the kit.
    AzzeraCodiciRadio(ConfigCentrale);
    Finestra.AggiornaFormDaConfig();
    platform::gui::ShowInformation(MsgOk);
}
