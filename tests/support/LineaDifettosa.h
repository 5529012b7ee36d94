#pragma once
// A faulty serial line between the program and the simulated panel: a relay between a
// pseudo-terminal of its own (which the program opens) and the panel's, that drops or changes
// bytes at a given rate in both directions, from a seeded generator so that a run can be repeated.
// It keeps what the panel sent and every fault done to it, so that a reply the program accepted
// wrongly can be told apart: two damaged bytes whose changes cancel in the frame's 8-bit sum are
// a limit of the protocol, anything else is a fault of the receiver.
#include "serial/SerialTestSupport.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testing_support {

class LineaDifettosa {
  public:
    struct Guasto {
        std::size_t Posizione; // in what the panel sent
        bool Perso;            // dropped; otherwise changed to Nuovo
        std::uint8_t Vecchio, Nuovo;
    };

    // Rate: the chance that a byte is damaged (half of them dropped, half changed).
    LineaDifettosa(const std::string& PercorsoPannello, double Tasso, std::uint64_t Seme)
        : tasso_(Tasso), stato_(Seme) {
        pannello_ = ::open(PercorsoPannello.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (pannello_ < 0) throw std::runtime_error("faulty line: the panel's line does not open");
        stop_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        thread_ = std::thread([this] { Inoltra(); });
    }
    ~LineaDifettosa() {
        const std::uint64_t uno = 1;
        if (::write(stop_, &uno, sizeof uno) < 0) std::terminate();
        thread_.join();
        ::close(stop_);
        ::close(pannello_);
    }
    LineaDifettosa(const LineaDifettosa&) = delete;
    LineaDifettosa& operator=(const LineaDifettosa&) = delete;

    // The line's end for the program.
    const std::string& Percorso() const { return programma_.SlavePath(); }

    // What the panel sent since the last Azzera, and the faults done to it.
    std::vector<std::uint8_t> Inviato() const {
        std::lock_guard l(m_);
        return inviato_;
    }
    std::vector<Guasto> Guasti() const {
        std::lock_guard l(m_);
        return guasti_;
    }
    std::size_t GuastiVersoPannello() const { return versoPannello_.load(); }
    void Azzera() {
        std::lock_guard l(m_);
        inviato_.clear();
        guasti_.clear();
    }

    // Why a reply of command `Comando` (its first data byte `Blocco` when >= 0) went through
    // wrong: "" when some copy of it on the line had two or more damaged bytes whose changes
    // cancel in the sum, else a description of the faults of its copies. A lost byte pulls the
    // byte after the checksum (a trailing 03h) into the sum, and the one after it becomes the end.
    std::string SpiegaRisposta(std::uint8_t Comando, int Blocco) const {
        std::lock_guard l(m_);
        std::string descrizione;
        const std::size_t n = inviato_.size();
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (inviato_[i] != 0x03 || inviato_[i + 1] != 0x02) continue;
            // The frame as the panel coded it: its length, then that many stuffed bytes.
            std::size_t j = i + 2;
            auto prendi = [&]() -> int {
                if (j < n && inviato_[j] == 0x10) ++j;
                return j < n ? inviato_[j++] : -1;
            };
            const int lunghezza = prendi();
            std::vector<int> voci;
            for (int k = 0; k < lunghezza; ++k)
                voci.push_back(prendi());
            if (lunghezza < 1 || voci.back() < 0 || voci[0] != Comando ||
                (Blocco >= 0 && (voci.size() < 2 || voci[1] != Blocco)))
                continue;
            const std::size_t somma = j; // the checksum's place
            int danni = 0, perse = 0;
            std::uint8_t delta = 0;
            for (const Guasto& g : guasti_) {
                if (g.Posizione < i + 1 || g.Posizione > somma) continue;
                ++danni;
                delta = std::uint8_t(delta + (g.Perso ? 0 : g.Nuovo) - g.Vecchio);
                perse += g.Perso;
                descrizione += " @" + std::to_string(g.Posizione - i) + (g.Perso ? " lost " : " changed ") +
                               std::to_string(g.Vecchio) + (g.Perso ? "" : "->" + std::to_string(g.Nuovo));
            }
            for (int k = 1; k <= perse && somma + std::size_t(k) < n; ++k)
                delta = std::uint8_t(delta + inviato_[somma + std::size_t(k)]);
            if (danni >= 2 && delta == 0) return "";
            if (danni > 0) descrizione += ";";
        }
        return descrizione.empty() ? "no damaged copy" : descrizione;
    }

  private:
    // splitmix64, as the simulated panel's faults.
    std::uint64_t Prossimo() {
        std::uint64_t z = (stato_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // The byte as it arrives, or -1 when it is lost.
    int Danneggia(std::uint8_t b, Guasto& g) {
        const double u = double(Prossimo() >> 11) * 0x1.0p-53;
        if (u >= tasso_) return b;
        g.Vecchio = b;
        g.Perso = u < tasso_ / 2;
        g.Nuovo = std::uint8_t(b ^ (1 + Prossimo() % 255));
        return g.Perso ? -1 : g.Nuovo;
    }
    static void Scrivi(int fd, const std::vector<std::uint8_t>& v) {
        std::size_t fatto = 0;
        while (fatto < v.size()) {
            const ssize_t n = ::write(fd, v.data() + fatto, v.size() - fatto);
            if (n > 0) {
                fatto += std::size_t(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
            } else {
                return; // the other side went: what is left is lost, as on a cut line
            }
        }
    }
    void Inoltra() {
        std::uint8_t buf[4096];
        for (;;) {
            pollfd p[3] = {{programma_.Master(), POLLIN, 0}, {pannello_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(p, 3, -1) < 0 && errno != EINTR) return;
            if (p[2].revents) return;
            for (int lato = 0; lato < 2; ++lato) {
                if (!(p[lato].revents & POLLIN)) continue;
                const ssize_t n = ::read(p[lato].fd, buf, sizeof buf);
                if (n <= 0) continue;
                std::vector<std::uint8_t> fuori;
                for (ssize_t k = 0; k < n; ++k) {
                    Guasto g{};
                    const int b = Danneggia(buf[k], g);
                    if (b >= 0) fuori.push_back(std::uint8_t(b));
                    if (lato == 0) {
                        if (b != buf[k]) ++versoPannello_;
                        continue;
                    }
                    std::lock_guard l(m_);
                    g.Posizione = inviato_.size();
                    inviato_.push_back(buf[k]);
                    if (b != buf[k]) guasti_.push_back(g);
                }
                Scrivi(lato == 0 ? pannello_ : programma_.Master(), fuori);
            }
        }
    }

    double tasso_;
    std::uint64_t stato_;
    serial_test::PtyPair programma_; // the test holds its master side, the program opens the other
    int pannello_ = -1, stop_ = -1;
    mutable std::mutex m_;
    std::vector<std::uint8_t> inviato_;
    std::vector<Guasto> guasti_;
    std::atomic<std::size_t> versoPannello_{0};
    std::thread thread_;
};

} // namespace testing_support
