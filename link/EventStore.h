#pragma once
// The panel's event queue as the program keeps it: the queue pointers the panel reports, the number
// of events held and the events themselves, and the ".cod" file they are saved to. The event-queue
// window owns one store; the reply decoder fills the store that is registered while the queue is
// read.
#include <cstddef>
#include <cstdint>
#include <string>

// One event, 16 bytes: also, byte for byte, the record of ".cod" files.
struct TEventoCoda {
    std::uint8_t Tipo;        // event type code, as the panel sends it
    std::uint8_t Descrittore; // zone or keypad index, or a special source code
    std::uint8_t Pad2[6];     // never written by the decoder; a ".cod" file carries what they hold
    double DataOra;           // days since 30/12/1899; 0 when the panel's date was not valid
};
static_assert(sizeof(TEventoCoda) == 16);
static_assert(offsetof(TEventoCoda, Tipo) == 0 && offsetof(TEventoCoda, Descrittore) == 1 &&
              offsetof(TEventoCoda, Pad2) == 2 && offsetof(TEventoCoda, DataOra) == 8);

// Slots of the store: every event the panel's one-byte count can name, so that a busy panel's
// newest events are read too.
constexpr int MaxEventiCoda = 255;
constexpr int EventiPerBlocco = 20; // events in one reply to the event-block command

struct TCodaEventi {
    // The three bytes of the queue-pointer reply: oldest event, next write index, capacity.
    std::int32_t IndiceCodaInizio = 0;
    std::int32_t IndiceCodaFine = 0;
    std::int32_t DimensioneCoda = 0;
    // Events held, in slot order from the oldest.
    std::uint8_t NumEventi = 0;
    TEventoCoda Eventi[MaxEventiCoda] = {};
};
// The count is a byte: it can never name a slot the store lacks.
static_assert(MaxEventiCoda >= UINT8_MAX);

// How many event blocks to ask for so that every event held is read: ceil(NumEventi / 20), at
// most 13.
int NumBlocchiCoda(const TCodaEventi& Coda);

// The events held when the panel reports Conteggio: Conteggio, cut to the store's slots.
std::uint8_t EventiMemorizzabili(int Conteggio);

// The store the decoder writes, registered by its owner (the event-queue window) for as long as
// it lives; nullptr when there is none, and then queue replies store nothing.
void RegistraCodaEventi(TCodaEventi* Coda);
TCodaEventi* CodaEventiCorrente();

// ".cod" files: the held events' records in slot order, no header, no trailer.
constexpr const char* EstensioneFileCoda = ".cod";
constexpr const char* FiltroFileCoda = "File coda Centrale Vm415 (*.cod)|*.cod";

struct TLetturaFileCoda {
    bool Letto = false;        // false: the file could not be opened or read; the store is unchanged
    int EventiEsclusi = 0;     // whole records past the store's slots, not loaded
    bool CodaIgnorata = false; // the file ended with a part shorter than a record
};
// Replaces the store's events with the file's first records (at most MaxEventiCoda); the queue
// pointers are left as they are. Only regular files are read.
TLetturaFileCoda LeggiFileCoda(const std::string& Nome, TCodaEventi& Coda);
// Writes the held events through an atomic replace: on false the previous file is unchanged.
bool ScriviFileCoda(const std::string& Nome, const TCodaEventi& Coda);
