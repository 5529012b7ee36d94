// Anyone who can reach the remote link's port can flood it. With vm415-sim connected over UDP on the
// loopback address, 10,000 hellos from 100 ports arrive while a configuration receive runs from the
// menu: the window must stay responsive (a 50 ms timer of the UI thread late by at most 100 ms:
// ritardo_timer_ms) and the receive must not slow down by more than 20% (rallentamento_pct, the
// median receive against the median of the same receives without the flood). The timer and the
// process's CPU (cpu_s, every thread, the flood's sender included) are measured from the receive's
// start until the flood has been handled and its log lines are in the memo; datagrammi counts the
// datagrams the link's handler took.
#include "WorkerBench.h"
#include "platform/gui/Dialogs.h"
#include "ui/ServerUdp.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Orologio = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int Porte = 100;
constexpr int HelloPerPorta = 100;

// The question about a hello is answered at once: Yes while the bench connects its panel, No to
// every hello of the flood (which then changes nothing).
class Risposte final : public platform::gui::DialogService {
  public:
    std::atomic<bool> Accetta{false};
    platform::gui::MsgResult Message(platform::gui::MsgKind Tipo, const std::string& Testo,
                                     platform::gui::MsgButtons Pulsanti) override {
        if (Pulsanti == platform::gui::MsgButtons::YesNo)
            return Accetta ? platform::gui::MsgResult::Yes : platform::gui::MsgResult::No;
        if (Tipo == platform::gui::MsgKind::Error) std::fprintf(stderr, "message: %s\n", Testo.c_str());
        return platform::gui::MsgResult::Ok;
    }
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions&) override { return {}; }
};

// Runs the UI thread until `fatto` holds or `massimo` passes; false on the time-out.
template <class F> bool Attendi(F fatto, std::chrono::milliseconds massimo = 5000ms) {
    const auto fine = Orologio::now() + massimo;
    QTimer sveglia;
    sveglia.start(5);
    while (!fatto() && Orologio::now() < fine)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return fatto();
}

// The remote link listening on the loopback address, counting the datagrams its handler took, with
// vm415-sim connected to it.
class Remoto {
  public:
    Remoto() {
        platform::gui::SetDialogs(&risposte_);
        TServerUdpLink& link = ServerUdpFrm->Link;
        link.FermaServerUdp(); // the listener is joined: the log callback may change hands
        log_ = link.Finestra.Log;
        link.Finestra.Log = [this](const std::string& riga) {
            if (riga.rfind("Receive From ", 0) == 0) ricevuti_.fetch_add(1, std::memory_order_relaxed);
            log_(riga);
        };
        link.IndirizzoAscolto = "127.0.0.1";
        ServerUdpFrm->AvviaServerUdp(0);
        sim_ = std::make_unique<testing_support::Simulatore>(
            std::vector<std::string>{"--udp", "127.0.0.1:" + std::to_string(link.PortaAscolto())});
        risposte_.Accetta = true;
        connesso_ = sim_->Pronto() && Attendi([] { return MainFrm->LabelConnessoGprs->isVisible(); });
        risposte_.Accetta = false;
    }
    ~Remoto() {
        ServerUdpFrm->TerminaConnessioneUdp();
        // Command 22 gets its reply before the panel goes.
        Attendi([] { return !ServerUdpFrm->Link.Stato().InvioInCorso; });
        ServerUdpFrm->Link.FermaServerUdp();
        ServerUdpFrm->Link.Finestra.Log = log_;
        sim_.reset();
        platform::gui::SetDialogs(nullptr);
    }
    bool Connesso() const { return connesso_; }
    int Porta() const { return ServerUdpFrm->Link.PortaAscolto(); }
    long Ricevuti() const { return ricevuti_.load(std::memory_order_relaxed); }

  private:
    Risposte risposte_;
    std::function<void(const std::string&)> log_;
    std::atomic<long> ricevuti_{0};
    std::unique_ptr<testing_support::Simulatore> sim_;
    bool connesso_ = false;
};

// 100 sockets, each sending its hello 100 times: one round of all ports every millisecond, 100,000
// hellos a second for a fifth of a receive. Denser than the listener can hand them over one by one:
// what waits must fit the socket's receive buffer, or the kernel drops the panel's replies among
// the hellos (a request then waits out its 10 s).
class Diluvio {
  public:
    explicit Diluvio(int Porta) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(std::uint16_t(Porta));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < Porte; ++i)
            prese_.push_back(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        mittente_ = std::thread([this, a] {
            const auto inizio = Orologio::now();
            for (int giro = 0; giro < HelloPerPorta; ++giro) {
                std::this_thread::sleep_until(inizio + giro * 1ms);
                for (int i = 0; i < Porte; ++i) {
                    const std::string hello = "*INTRUSO" + std::to_string(i) + "#";
                    ::sendto(prese_[std::size_t(i)], hello.data(), hello.size(), 0,
                             reinterpret_cast<const sockaddr*>(&a), sizeof a);
                }
            }
            durata_ = Orologio::now() - inizio;
        });
    }
    ~Diluvio() {
        Fine();
        for (int p : prese_)
            ::close(p);
    }
    // Once the last hello is sent: how long the flood lasted.
    double Fine() {
        if (mittente_.joinable()) mittente_.join();
        return std::chrono::duration<double>(durata_).count();
    }

  private:
    std::vector<int> prese_;
    Orologio::duration durata_{};
    std::thread mittente_;
};

// The worst lateness of a 50 ms timer of the UI thread while it runs.
class Ritardo {
  public:
    Ritardo() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto adesso = Orologio::now();
            peggiore_ = std::max(peggiore_, adesso - ultimo_ - 50ms);
            ultimo_ = adesso;
        });
        ultimo_ = Orologio::now();
        timer_.start(50);
    }
    double PeggioreMs() {
        // A timer due now and not yet run is late too.
        const auto ora = Orologio::now() - ultimo_ - 50ms;
        return std::chrono::duration<double, std::milli>(std::max(peggiore_, ora)).count();
    }

  private:
    QTimer timer_;
    Orologio::time_point ultimo_;
    Orologio::duration peggiore_{};
};

// Until the link's handler has taken no datagram for 100 ms and the UI thread has run everything
// handed to it before: the flood's lines are in the memo.
bool AttendiQuiete(const Remoto& r) {
    long visti = -1;
    auto fermo = Orologio::now();
    if (!Attendi(
            [&] {
                const long n = r.Ricevuti();
                if (n != visti) {
                    visti = n;
                    fermo = Orologio::now();
                }
                return Orologio::now() - fermo > 100ms;
            },
            60s))
        return false;
    std::atomic<bool> corso{false};
    platform::UiThread()->Post([&] { corso = true; });
    return Attendi([&] { return corso.load(); }, 60s);
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::vector<double> SenzaDiluvio;

void Ricezioni(benchmark::State& state, bool diluvio) {
    auto& p = worker_bench::Programma::Istanza();
    Remoto r;
    if (!r.Connesso()) {
        state.SkipWithError("vm415-sim did not connect over UDP");
        return;
    }
    std::vector<double> secondi;
    double ritardo = 0, durata = 0, cpu = 0;
    long arrivati = 0;
    int falliti = 0;
    for (auto _ : state) {
        const long prima = r.Ricevuti();
        Ritardo timer;
        const auto t0 = Orologio::now();
        const double c0 = worker_bench::SecondiCpu();
        std::unique_ptr<Diluvio> d;
        if (diluvio) d = std::make_unique<Diluvio>(r.Porta());
        if (!p.Ricevi()) ++falliti;
        secondi.push_back(std::chrono::duration<double>(Orologio::now() - t0).count());
        if (d) durata += d->Fine();
        if (!AttendiQuiete(r)) {
            state.SkipWithError("the flood was never handled");
            break;
        }
        cpu += worker_bench::SecondiCpu() - c0;
        ritardo = std::max(ritardo, timer.PeggioreMs());
        arrivati += r.Ricevuti() - prima;
    }
    state.counters["ricezione_s"] = Mediana(secondi);
    state.counters["ricezione_max_s"] =
        secondi.empty() ? 0 : *std::max_element(secondi.begin(), secondi.end());
    state.counters["ritardo_timer_ms"] = ritardo;
    state.counters["datagrammi"] = double(arrivati) / double(std::max<std::int64_t>(1, state.iterations()));
    state.counters["falliti"] = falliti;
    state.counters["cpu_s"] = cpu / double(std::max<std::int64_t>(1, state.iterations()));
    if (!diluvio)
        SenzaDiluvio = secondi;
    else
        state.counters["diluvio_s"] = durata / double(std::max<std::int64_t>(1, state.iterations()));
    if (diluvio && !SenzaDiluvio.empty())
        state.counters["rallentamento_pct"] = 100.0 * (Mediana(secondi) / Mediana(SenzaDiluvio) - 1.0);
}

void BM_RicezioneUdp(benchmark::State& state) {
    Ricezioni(state, false);
}
BENCHMARK(BM_RicezioneUdp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_RicezioneUdpConDiluvio(benchmark::State& state) {
    Ricezioni(state, true);
}
BENCHMARK(BM_RicezioneUdpConDiluvio)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return worker_bench::Main(argc, argv);
}
