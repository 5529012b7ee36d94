#pragma once
// The kit code file (".kit"): the radio codes of up to 100 numbered kits, and the copy of one
// kit's codes into the configuration image. The kit-code window only shows and calls this.
#include "config/GlobalsVar.h"

#include <cstddef>
#include <cstdint>
#include <span>

constexpr int MaxKit = 100;
constexpr int NumZoneRecordKit = 50;
constexpr int NumInseritoriRecordKit = 20;

struct TRecordKit {
    TCodiceRadio CodiceZona[NumZoneRecordKit];
    TCodiceRadio CodiceInseritore[NumInseritoriRecordKit];
};
static_assert(sizeof(TRecordKit) == 210 && offsetof(TRecordKit, CodiceInseritore) == 150);

// The exact content of a ".kit" file.
struct TFileKit {
    std::int32_t NumZoneKit;       // zone codes used in each kit record
    std::int32_t NumInseritoriKit; // keypad codes used in each kit record
    std::uint8_t NonLetto8[72];
    std::int32_t NumKit; // kit records in use, 1..100
    std::uint8_t NonLetto84[280];
    TRecordKit Kit[MaxKit]; // kit N at index N - 1
};
static_assert(sizeof(TFileKit) == 21364);
static_assert(offsetof(TFileKit, NumInseritoriKit) == 4 && offsetof(TFileKit, NumKit) == 80 &&
              offsetof(TFileKit, Kit) == 364);

// The last kit file read; zero at start.
extern TFileKit FileKit;

constexpr const char* FiltroFileKit = "File Kit (*.kit)|*.kit";

// The kit-number spin edit of the kit-code window (EditNumKit).
struct TEditNumKit {
    int Minimo = 0;
    int Massimo = 0;
    int Valore = 0;
};

// True when the bytes are a kit file (exactly its size, 1 to 100 kits in use); only then is Kit
// replaced.
bool DecodificaFileKit(std::span<const std::uint8_t> Dati, TFileKit& Kit);
// Copies the codes of kit Numero into the image: at most 50 zone slots and 16 keypads, as many as
// the file says it uses. False, and nothing copied, unless 0 < Numero <= NumKit and Numero <= 100.
bool CopiaCodiciKit(const TFileKit& Kit, int Numero, TConfigCentrale& Config);

// The window's creation: the spin edit at 0..0, no kit file.
void InizializzaLeggiCodRadio(TEditNumKit& EditNumKit);
// Read command: choose a ".kit" file and read it into FileKit; the spin edit then runs 1..NumKit.
// The current folder is restored however the command ends.
void ComandoLeggiFileKit(TEditNumKit& EditNumKit);
// Copy command: the codes of kit EditNumKit.Valore into ConfigCentrale, then the next kit number.
void ComandoCaricaCodiciKit(TEditNumKit& EditNumKit);
