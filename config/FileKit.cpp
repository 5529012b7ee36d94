#include "config/FileKit.h"

#include "config/CartellaCorrente.h"
#include "config/FileBinario.h"
#include "platform/gui/Dialogs.h"

#include <cstring>
#include <vector>

TFileKit FileKit{};

bool DecodificaFileKit(std::span<const std::uint8_t> Dati, TFileKit& Kit) {
    if (Dati.size() != sizeof(TFileKit)) return false;
    TFileKit letto;
    std::memcpy(&letto, Dati.data(), sizeof letto);
    // The file has room for 100 kits: any other count is not a kit file, and would give the kit
    // number a range no kit stands behind.
    if (letto.NumKit < 1 || letto.NumKit > MaxKit) return false;
    Kit = letto;
    return true;
}

bool CopiaCodiciKit(const TFileKit& Kit, int Numero, TConfigCentrale& Config) {
    if (Numero <= 0 || Numero > Kit.NumKit || Numero > MaxKit) return false;
    const TRecordKit& record = Kit.Kit[Numero - 1];
    for (int z = 0; z < Kit.NumZoneKit && z < NumZoneRecordKit; ++z)
        Config.Zone[z].CodiceRadio = record.CodiceZona[z];
    for (int k = 0; k < Kit.NumInseritoriKit && k < NumInseritori; ++k)
        Config.Inseritori[k].CodiceRadio = record.CodiceInseritore[k];
    return true;
}

void InizializzaLeggiCodRadio(TEditNumKit& EditNumKit) {
    EditNumKit = {0, 0, 0};
    FileKit.NumKit = 0;
}

void ComandoLeggiFileKit(TEditNumKit& EditNumKit) {
    TCartellaCorrente cartella;
    platform::gui::FileDialogOptions opzioni;
    opzioni.Filter = FiltroFileKit;
    const auto scelto = platform::gui::Dialogs().OpenFile(opzioni);
    if (!scelto) return;
    const std::string nome = ApplicaRegolaNomeFile(*scelto, ".kit");

    std::vector<std::uint8_t> byte;
    const EsitoLettura esito = LeggiFileBinario(nome, sizeof(TFileKit) + 1, byte);
    if (esito == EsitoLettura::NonApribile ||
        (esito == EsitoLettura::Ok && byte.size() != sizeof(TFileKit))) {
        platform::gui::ShowError("File Error.");
        return;
    }
    // The file opened with the right size: a read that still fails keeps the previous kits, and
    // the spin edit is set again from them.
    if (esito == EsitoLettura::Ok && DecodificaFileKit(byte, FileKit))
        platform::gui::ShowInformation("Ok");
    else
        platform::gui::ShowError("File Error.");
    EditNumKit.Minimo = 1;
    EditNumKit.Massimo = FileKit.NumKit;
    EditNumKit.Valore = 1;
}

void ComandoCaricaCodiciKit(TEditNumKit& EditNumKit) {
    const int numero = EditNumKit.Valore;
    if (!CopiaCodiciKit(FileKit, numero, ConfigCentrale)) return;
    if (numero < FileKit.NumKit) EditNumKit.Valore = numero + 1;
}
