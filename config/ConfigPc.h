#pragma once
// The program's own settings, kept in "config.cfg" in the user's settings folder (12 bytes, the
// record).
#include <cstddef>
#include <cstdint>
#include <string>

struct TConfigPc {
    std::int32_t Lingua;               // 0 Italian, 1 English, 2 French, 3 Spanish
    std::uint8_t CodiciRadioEditabili; // 1 = radio codes may be typed by hand
    std::uint8_t Pad5[3];              // unused, kept as the file has them
    std::int32_t PortaLocaleGprs;      // local UDP port of the remote link
};
static_assert(sizeof(TConfigPc) == 12 && offsetof(TConfigPc, CodiciRadioEditabili) == 4 &&
              offsetof(TConfigPc, PortaLocaleGprs) == 8);

extern TConfigPc ConfigPc;

// The languages of the language table's columns.
constexpr std::int32_t NumLingue = 4;

constexpr const char* NomeFileConfigPc = "config.cfg";

void ConfigPcDefault();
// Loads "config.cfg" into ConfigPc: the user's copy in the settings folder, or, while the user has
// none, the copy beside the program (a distributor's defaults). No file gives the defaults. A file
// that is there but cannot be read (permissions, an I/O error) gives the defaults for this run,
// with one diagnostic line, and is left as it is: see SalvaConfigPc.
void CaricaConfigPc();
// Writes the record to the user's "config.cfg" so that a failure leaves the previous file as it
// was (false, with the reason). While the file loaded last could not be read, the very record put
// in its place (the defaults) is not written, and that is no failure: the options window saves
// what it shows whenever it closes, at the program's end too, and would otherwise replace the
// file with defaults the user never chose. A record the user changed is written.
bool SalvaConfigPc(const TConfigPc& Config, std::string* Errore = nullptr);
