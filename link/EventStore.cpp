#include "link/EventStore.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<TCodaEventi*> codaCorrente{nullptr};
}

std::uint8_t EventiMemorizzabili(int Conteggio) {
    return std::uint8_t(std::clamp(Conteggio, 0, MaxEventiCoda));
}

int NumBlocchiCoda(const TCodaEventi& Coda) {
    const int n = EventiMemorizzabili(Coda.NumEventi);
    return (n + EventiPerBlocco - 1) / EventiPerBlocco;
}

void RegistraCodaEventi(TCodaEventi* Coda) {
    codaCorrente.store(Coda);
}
TCodaEventi* CodaEventiCorrente() {
    return codaCorrente.load();
}
