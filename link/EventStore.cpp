#include "link/EventStore.h"

#include "config/FileBinario.h"
#include "platform/fs/SafeFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {
std::atomic<TCodaEventi*> codaCorrente{nullptr};
constexpr std::size_t ByteMassimiFileCoda = std::size_t(MaxEventiCoda) * sizeof(TEventoCoda);
} // namespace

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

TLetturaFileCoda LeggiFileCoda(const std::string& Nome, TCodaEventi& Coda) {
    TLetturaFileCoda esito;
    std::vector<std::uint8_t> byte;
    // The whole file is read before the store is touched: a read that fails half way must not
    // leave the store with part of a file.
    if (LeggiFileBinario(Nome, ByteMassimiFileCoda, byte) != EsitoLettura::Ok) return esito;
    std::uintmax_t dimensione = byte.size();
    if (byte.size() == ByteMassimiFileCoda) {
        // Only a file that filled the store can hold more; its size tells how much more.
        std::error_code ec;
        const std::uintmax_t totale = std::filesystem::file_size(Nome, ec);
        if (!ec && totale > dimensione) dimensione = totale;
    }
    const std::size_t record = byte.size() / sizeof(TEventoCoda);
    Coda.NumEventi = EventiMemorizzabili(int(record));
    if (record > 0) std::memcpy(Coda.Eventi, byte.data(), record * sizeof(TEventoCoda));
    esito.Letto = true;
    const std::uintmax_t recordNelFile = dimensione / sizeof(TEventoCoda);
    esito.EventiEsclusi = int(std::min<std::uintmax_t>(recordNelFile - record, INT32_MAX));
    esito.CodaIgnorata = dimensione % sizeof(TEventoCoda) != 0;
    return esito;
}

bool ScriviFileCoda(const std::string& Nome, const TCodaEventi& Coda) {
    const std::size_t n = EventiMemorizzabili(Coda.NumEventi);
    return platform::WriteFileAtomically(Nome, Coda.Eventi, n * sizeof(TEventoCoda));
}
