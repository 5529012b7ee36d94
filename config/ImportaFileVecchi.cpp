#include "config/ImportaFileVecchi.h"

#include "config/CartellaCorrente.h"
#include "config/FileBinario.h"
#include "config/GetMessage_11.h"
#include "config/def_ver10.h"
#include "config/def_ver43.h"
#include "platform/fs/SafeFile.h"
#include "platform/gui/Dialogs.h"
#include "platform/text/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <vector>

FormatoVecchio RiconosciFormatoVecchio(std::span<const std::uint8_t> Dati) {
    if (Dati.size() < 8) return FormatoVecchio::Nessuno;
    const std::uint8_t id = Dati[4], versione = Dati[5];
    if (id == IdCentraleVer43 && versione == VersioneCentraleVer43 &&
        Dati.size() == sizeof(TConfigCentraleVer43))
        return FormatoVecchio::Ver43;
    if (id == IdCentraleVer10 && versione == VersioneCentraleVer10 &&
        Dati.size() == sizeof(TConfigCentraleVer10))
        return FormatoVecchio::Ver10;
    return FormatoVecchio::Nessuno;
}

bool ConvertiFileVecchio(std::span<const std::uint8_t> Dati, TConfigCentrale& Config) {
    switch (RiconosciFormatoVecchio(Dati)) {
    case FormatoVecchio::Ver10: {
        TConfigCentraleVer10 vecchia;
        std::memcpy(&vecchia, Dati.data(), sizeof vecchia);
        ConvertiDaVer10(Config, vecchia);
        return true;
    }
    case FormatoVecchio::Ver43: {
        TConfigCentraleVer43 vecchia;
        std::memcpy(&vecchia, Dati.data(), sizeof vecchia);
        ConvertiDaVer43(Config, vecchia);
        return true;
    }
    case FormatoVecchio::Nessuno:
        break;
    }
    return false;
}

std::string NomeFileConvertito(const std::string& NomeVecchio) {
    const std::size_t resto = InizioUltimiCaratteri(NomeVecchio, 4);
    return NomeVecchio.substr(0, resto == std::string_view::npos ? 0 : resto) + "." + "1.11c" + ".415";
}

TTestiImporta CaricaTestiImporta() {
    TTestiImporta t;
    GetMessaggio("STRMAIN_SOVRASCRIVERE", t.Sovrascrivere);
    GetMessaggio("STRIMP_FILESOURCEERROR", t.FileSourceError);
    GetMessaggio("STRIMP_FILETARGETERROR", t.FileTargetError);
    GetMessaggio("STRIMP_FILECONVERTITO", t.FileConvertito);
    return t;
}

EsitoConversione ComandoConvertiFile(const TTestiImporta& Testi) {
    TCartellaCorrente cartella;
    platform::gui::FileDialogOptions opzioni;
    opzioni.Filter = FiltroFileVecchi;
    const auto scelto = platform::gui::Dialogs().OpenFile(opzioni);
    if (!scelto) return EsitoConversione::Annullata;
    const std::string sorgente = ApplicaRegolaNomeFile(*scelto, ".415");

    // The larger of the two formats and one byte more: a longer file shows itself by its size.
    constexpr std::size_t massimo = std::max(sizeof(TConfigCentraleVer10), sizeof(TConfigCentraleVer43)) + 1;
    std::vector<std::uint8_t> byte;
    TConfigCentrale convertita{};
    if (LeggiFileBinario(sorgente, massimo, byte) != EsitoLettura::Ok ||
        !ConvertiFileVecchio(byte, convertita)) {
        platform::gui::ShowError(Testi.FileSourceError);
        return EsitoConversione::ErroreSorgente;
    }

    const std::string destinazione = NomeFileConvertito(sorgente);
    struct stat st {};
    if (::stat(destinazione.c_str(), &st) == 0 &&
        !platform::gui::AskYesNo(Utf8ToCp1252(destinazione) + " " + Testi.Sovrascrivere))
        return EsitoConversione::Rinunciata;
    if (!platform::WriteFileAtomically(destinazione, &convertita, sizeof convertita)) {
        platform::gui::ShowError(Testi.FileTargetError);
        return EsitoConversione::ErroreDestinazione;
    }
    platform::gui::ShowInformation(Testi.FileConvertito);
    return EsitoConversione::Convertito;
}
