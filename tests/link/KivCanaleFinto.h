#pragma once
// A scripted line in place of the link settings window, and a clock that tests move forward: the
// modem state machine and the command exchange run against them without a port or real waits.
#include "link/ConfigComProva.h"
#include "link/KivCanale.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

// Real monotonic time plus an offset that tests advance: waits still pass, and a 5 s or 80 s
// deadline can be reached at once.
inline std::atomic<std::int64_t>& SpostamentoOrologio() {
    static std::atomic<std::int64_t> ns{0};
    return ns;
}
inline platform::Instant OrologioFinto() {
    return platform::SteadyNow() + std::chrono::nanoseconds(SpostamentoOrologio().load());
}
inline void AvanzaOrologio(platform::Duration d) {
    SpostamentoOrologio().fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
}

class CanaleFinto : public TKivCanale {
  public:
    struct Invio {
        std::uint8_t Byte;
        platform::Instant Quando;
    };

    // Called for every byte sent, outside the lock; it may call Ricevi.
    std::function<void(std::uint8_t)> AlByteInviato;

    void Ricevi(const std::vector<std::uint8_t>& b) {
        {
            std::lock_guard lock(m_);
            rx_.insert(rx_.end(), b.begin(), b.end());
        }
        cv_.notify_all();
    }
    void Ricevi(const std::string& s) { Ricevi(std::vector<std::uint8_t>(s.begin(), s.end())); }
    // Bytes that arrive once the test clock reaches Quando: a late reply that the exchange sees
    // whenever it next looks at the line.
    void RiceviAlle(const std::vector<std::uint8_t>& b, platform::Instant Quando) {
        std::lock_guard lock(m_);
        inArrivo_.push_back({Quando, b});
    }

    std::vector<Invio> Inviati() const {
        std::lock_guard lock(m_);
        return tx_;
    }
    std::string TestoInviato() const {
        std::lock_guard lock(m_);
        std::string s;
        for (const Invio& i : tx_)
            s += static_cast<char>(i.Byte);
        return s;
    }
    void DimenticaInviati() {
        std::lock_guard lock(m_);
        tx_.clear();
    }
    // How many times a reader has waited on the line with nothing to read: once it waits again after
    // the test clock moved, it has seen everything due by then.
    std::uint64_t Inattivo() const {
        std::lock_guard lock(m_);
        return inattivo_;
    }
    std::size_t NonLetti() const {
        std::lock_guard lock(m_);
        return rx_.size();
    }
    std::vector<bool> Dtr() const {
        std::lock_guard lock(m_);
        return dtr_;
    }
    int Svuotamenti() const { return svuotamenti_.load(); }
    int Caricamenti() const { return caricamenti_.load(); }
    std::vector<TFrameComunic> Risposte() const {
        std::lock_guard lock(m_);
        return risposte_;
    }

    // ---- TKivCanale
    std::uint8_t InviaByte(std::uint8_t B) override {
        {
            std::lock_guard lock(m_);
            if (aperta) tx_.push_back({B, OrologioFinto()});
        }
        if (aperta && AlByteInviato) AlByteInviato(B);
        return B;
    }
    int LeggiByteRx() override {
        std::lock_guard lock(m_);
        Arrivati();
        if (rx_.empty()) return -1;
        const int b = rx_.front();
        rx_.pop_front();
        return b;
    }
    void AttendiRx(platform::Duration Massimo) override {
        std::unique_lock lock(m_);
        Arrivati();
        if (rx_.empty()) ++inattivo_;
        const std::uint64_t prima = sveglie_;
        cv_.wait_for(lock, Massimo, [&] {
            Arrivati();
            return !rx_.empty() || sveglie_ != prima;
        });
    }
    void Sveglia() override {
        {
            std::lock_guard lock(m_);
            ++sveglie_;
        }
        cv_.notify_all();
    }
    void SvuotaRx() override {
        ++svuotamenti_;
        std::lock_guard lock(m_);
        Arrivati();
        rx_.clear();
    }
    bool CaricaConfig() override {
        ++caricamenti_;
        return true;
    }
    TConfigCom ConfigSalvata() const override {
        std::lock_guard lock(m_);
        return config;
    }
    void ImpostaConfig(const TConfigCom& c) {
        std::lock_guard lock(m_);
        config = c;
    }
    int NumeroPorta() const override { return porta.load(); }
    bool PortaAperta() const override { return aperta.load(); }
    void ImpostaDtr(bool Attivo) override {
        std::lock_guard lock(m_);
        dtr_.push_back(Attivo);
    }
    bool Portante() const override { return portante.load(); }
    int TimeoutComandDec() const override { return timeoutDec.load(); }
    int NumTentativi() const override { return tentativi.load(); }
    bool AbilitaConnectRemoto() const override { return connectRemoto.load(); }
    int ModemTimeoutLinkOnSec() const override { return timeoutLink.load(); }
    void ConsegnaRisposta(const TFrameComunic& Risposta) override {
        std::lock_guard lock(m_);
        risposte_.push_back(Risposta);
    }

    std::atomic<int> porta{1};
    std::atomic<bool> aperta{true};
    std::atomic<bool> portante{false};
    std::atomic<int> timeoutDec{1};
    std::atomic<int> tentativi{3};
    std::atomic<bool> connectRemoto{false};
    std::atomic<int> timeoutLink{180};

  private:
    struct InArrivo {
        platform::Instant Quando;
        std::vector<std::uint8_t> Byte;
    };
    // With m_ held.
    void Arrivati() {
        const platform::Instant ora = OrologioFinto();
        for (auto i = inArrivo_.begin(); i != inArrivo_.end();) {
            if (i->Quando > ora) {
                ++i;
                continue;
            }
            rx_.insert(rx_.end(), i->Byte.begin(), i->Byte.end());
            i = inArrivo_.erase(i);
        }
    }

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::uint8_t> rx_;
    std::vector<InArrivo> inArrivo_;
    std::vector<Invio> tx_;
    std::vector<bool> dtr_;
    std::vector<TFrameComunic> risposte_;
    std::uint64_t sveglie_ = 0, inattivo_ = 0;
    std::atomic<int> svuotamenti_{0};
    std::atomic<int> caricamenti_{0};
    TConfigCom config = ConfigCom(ConnessioneCavo);
};

} // namespace testing_support
