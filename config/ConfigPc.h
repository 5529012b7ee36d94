#pragma once
// The program's own settings, kept in "config.cfg" beside the executable (12 bytes, the record).
#include <cstddef>
#include <cstdint>
#include <string>

struct TConfigPc {
    std::int32_t Lingua;              // 0 Italian, 1 English, 2 French, 3 Spanish
    std::uint8_t CodiciRadioEditabili; // 1 = radio codes may be typed by hand
    std::uint8_t Pad5[3];
    std::int32_t PortaLocaleGprs;     // local UDP port of the remote link
};
static_assert(sizeof(TConfigPc) == 12 && offsetof(TConfigPc, CodiciRadioEditabili) == 4 &&
              offsetof(TConfigPc, PortaLocaleGprs) == 8);

extern TConfigPc ConfigPc;

// The languages of the language table's columns.
constexpr std::int32_t NumLingue = 4;

constexpr const char* NomeFileConfigPc = "config.cfg";

void ConfigPcDefault();
// Loads "config.cfg" into ConfigPc; a missing or unreadable file gives the defaults, silently.
void CaricaConfigPc();
// Writes the record to "config.cfg" so that a failure leaves the previous file as it was.
bool SalvaConfigPc(const TConfigPc& Config, std::string* Errore = nullptr);
