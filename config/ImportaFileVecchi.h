#pragma once
// Conversion of an older configuration file (format 1.0 of the Vm415, format 4.3 of the Vm409)
// into a new ".415" file beside it. The import window only shows and calls this.
#include "config/GlobalsVar.h"

#include <cstdint>
#include <span>
#include <string>

enum class FormatoVecchio { Nessuno, Ver10, Ver43 };

constexpr const char* FiltroFileVecchi = "File Vm415 (*.415)|*.415| File Vm409 (*.409)|*.409";

// The format named by bytes 4 and 5, accepted only when the size is that format's size.
FormatoVecchio RiconosciFormatoVecchio(std::span<const std::uint8_t> Dati);
// Recognises and converts; false (Config untouched) when the bytes are of neither format.
bool ConvertiFileVecchio(std::span<const std::uint8_t> Dati, TConfigCentrale& Config);
// dog.409 -> dog.1.11c.415: the source name less its last 4 characters, then ".1.11c.415".
std::string NomeFileConvertito(const std::string& NomeVecchio);

// The translated texts the import window loads each time it is shown.
struct TTestiImporta {
    std::string Sovrascrivere;   // "STRMAIN_SOVRASCRIVERE"
    std::string FileSourceError; // "STRIMP_FILESOURCEERROR"
    std::string FileTargetError; // "STRIMP_FILETARGETERROR"
    std::string FileConvertito;  // "STRIMP_FILECONVERTITO"
};
TTestiImporta CaricaTestiImporta();

enum class EsitoConversione { Annullata, ErroreSorgente, Rinunciata, ErroreDestinazione, Convertito };
// The conversion command: choose the old file, recognise and convert it, write the result beside
// it (asking before replacing one), report. ConfigCentrale is not touched; the current folder is
// restored however the command ends. A failed write leaves a previous target as it was.
EsitoConversione ComandoConvertiFile(const TTestiImporta& Testi);
