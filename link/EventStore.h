#pragma once
// The panel's event queue as the program keeps it: the queue pointers the panel reports, the number
// of events held and the events themselves. The event-queue window owns one store; the reply
// decoder fills the store that is registered while the queue is read.
#include <cstddef>
#include <cstdint>

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

constexpr int MaxEventiCoda = 101;  // slots of the store
constexpr int EventiPerBlocco = 20; // events in one reply to the event-block command

struct TCodaEventi {
    // The three bytes of the queue-pointer reply: oldest event, next write index, capacity.
    std::int32_t IndiceCodaInizio = 0;
    std::int32_t IndiceCodaFine = 0;
    std::int32_t DimensioneCoda = 0;
    // Events held, never above MaxEventiCoda. When the panel reports more, the store keeps the
    // first (oldest) MaxEventiCoda of them.
    std::uint8_t NumEventi = 0;
    // The count the panel's pointers gave, before the bound (0..255); tells the window that
    // events were left on the panel.
    std::uint8_t NumEventiCentrale = 0;
    TEventoCoda Eventi[MaxEventiCoda] = {};
};

// How many event blocks to ask for so that every event the store can hold is read: the blocks
// that fit, ceil(NumEventi / 20), at most 6.
int NumBlocchiCoda(const TCodaEventi& Coda);

// The events held when the panel reports Conteggio: Conteggio, cut to the store's slots.
std::uint8_t EventiMemorizzabili(int Conteggio);

// The store the decoder writes, registered by its owner (the event-queue window) for as long as
// it lives; nullptr when there is none, and then queue replies store nothing.
void RegistraCodaEventi(TCodaEventi* Coda);
TCodaEventi* CodaEventiCorrente();
