// The remote link's figures: a full configuration receive from vm415-sim --udp on the loopback
// address (wall time, and the program's CPU while replies are awaited), the datagram handler's
// rate through the hexadecimal decoder and the receiver, and how long the server's restart (the
// options window closing) holds the UI thread right after the user ended a connection.
#include "config/GlobalsVar.h"
#include "link/ServerUdpLink.h"
#include "link/def_ver11.h"
#include "support/Attesa.h"
#include "support/Presa.h"
#include "support/ScriptedDialogs.h"
#include "support/Simulatore.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <string>

namespace {

double CpuSecondi() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The receive operation's commands, in its order.
bool RiceviTutto(TLinkComando& l) {
    bool ok =
        RichiediIdentificazione(l) == EsitoOk && LeggiDatiGenerali(l) == EsitoOk && LeggiNumTel(l) == EsitoOk;
    for (std::uint8_t b = 0; ok && b < 11; ++b)
        ok = LeggiBloccoZone(l, b) == EsitoOk;
    ok = ok && LeggiDataOra(l) == EsitoOk;
    for (std::uint8_t b = 0; ok && b < 2; ++b)
        ok = LeggiBloccoInseritori(l, b) == EsitoOk;
    return ok && LeggiDatiGprsCid(l) == EsitoOk && LeggiTabelleCid(l) == EsitoOk &&
           FineComunicazione(l) == EsitoOk;
}

// The link listening on a free loopback port; false, with the benchmark skipped, when there is none.
bool InAscolto(TServerUdpLink& link, benchmark::State& state) {
    link.IndirizzoAscolto = "127.0.0.1";
    if (link.AvviaServerUdp(0)) return true;
    state.SkipWithError("no UDP port");
    return false;
}

// The panel's hello, answered Yes as the user would.
bool Accettato(TServerUdpLink& link) {
    if (!testing_support::AttendiFinche([&] { return link.Stato().NuovaConnessione; })) return false;
    testing_support::ScriptedDialogs utente;
    utente.AnswerYes();
    link.Timer1Timer();
    return link.Connesso();
}

void BM_RicezioneCompletaUdp(benchmark::State& state) {
    TServerUdpLink link;
    if (!InAscolto(link, state)) return;
    RegistraLinkRemoto(&link);
    double cpu = 0, muro = 0;
    // After an error the timing may be neither paused nor resumed: each one leaves the loop at once.
    for (auto _ : state) {
        state.PauseTiming();
        testing_support::Simulatore sim({"--udp", "127.0.0.1:" + std::to_string(link.PortaAscolto())});
        if (!sim.Pronto() || !Accettato(link)) {
            state.SkipWithError("vm415-sim did not connect");
            break;
        }
        state.ResumeTiming();
        const double c0 = CpuSecondi();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ricevuto = RiceviTutto(link);
        muro += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += CpuSecondi() - c0;
        if (!ricevuto) {
            state.SkipWithError("receive failed");
            break;
        }
        state.PauseTiming();
        // Ended while the simulated panel is there to answer command 22 (it stops once it has), so
        // nothing waits out the resends to a silent peer: the 22 travels on a thread of the link's
        // own, and the panel is stopped only once that has its answer.
        link.TerminaConnessioneUdp();
        if (!testing_support::AttendiFinche([&] {
                const auto s = link.Stato();
                return !s.InvioInCorso && s.RispostaComando == CmdTerminaConnessioneRemota;
            })) {
            state.SkipWithError("command 22 went unanswered");
            break;
        }
        state.ResumeTiming();
    }
    RegistraLinkRemoto(nullptr);
    state.counters["wall_s"] = muro / double(state.iterations());
    state.counters["cpu_pct_of_wall"] = 100.0 * cpu / muro;
}
BENCHMARK(BM_RicezioneCompletaUdp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_DatagrammiAlSecondo(benchmark::State& state) {
    TServerUdpLink link; // never started: the handler alone
    const platform::net::UdpPeer panel{"127.0.0.1", 4001};
    const std::string hello = "*B#";
    link.UDPServerUDPRead(reinterpret_cast<const std::uint8_t*>(hello.data()), hello.size(), panel);
    if (!Accettato(link)) state.SkipWithError("hello not accepted");
    // A 216-byte reply (command 3), the longest block of a receive but one.
    TFrameComunic f;
    f.Comando = 3;
    f.Lunghezza = 216;
    for (int i = 0; i < 216; ++i)
        f.Dati[i] = std::uint8_t(0x20 + i % 90);
    std::string testo;
    TServerUdpLink::CodificaTestoFrame(f, testo);
    for (auto _ : state)
        link.UDPServerUDPRead(reinterpret_cast<const std::uint8_t*>(testo.data()), testo.size(), panel);
    if (link.Stato().RispostaComando != 3) state.SkipWithError("frame not received");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DatagrammiAlSecondo);

// Command 22 must still reach the panel, which stays silent: the restart may wait for its send,
// never for its reply.
void BM_RiavvioDopoFine(benchmark::State& state) {
    TServerUdpLink link;
    if (!InAscolto(link, state)) return;
    double peggiore = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testing_support::Presa panel(link.PortaAscolto());
        panel.Invia("*P#");
        if (panel.Ricevi() != "*OK#" || !Accettato(link)) {
            state.SkipWithError("hello not accepted");
            break;
        }
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        link.TerminaConnessioneUdp();
        const bool riavviato = link.AvviaServerUdp(0);
        peggiore =
            std::max(peggiore, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.PauseTiming();
        if (!riavviato || panel.Ricevi() != "020116E703") {
            state.SkipWithError("command 22 did not go out");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["worst_ms"] = peggiore * 1000;
}
BENCHMARK(BM_RiavvioDopoFine)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
