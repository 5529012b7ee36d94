#pragma once
// A UDP socket bound to one local port, with a listener thread that hands every datagram, with the
// address and port it came from, to the owner's handler. IPv4 only: the panels reach the PC over
// GPRS at an IPv4 address.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace platform::net {

struct UdpPeer {
    std::string Indirizzo; // dotted IPv4 text
    std::uint16_t Porta = 0;
    bool operator==(const UdpPeer&) const = default;
};

class UdpServer {
  public:
    // Called on the listener thread, one datagram at a time, with its whole length (a datagram
    // larger than any buffer the owner keeps still arrives whole, so the owner sees its size).
    using Handler = std::function<void(const std::uint8_t* Dati, std::size_t Lunghezza, const UdpPeer& Da)>;

    UdpServer() = default;
    ~UdpServer(); // stops and joins the listener
    UdpServer(const UdpServer&) = delete;
    UdpServer& operator=(const UdpServer&) = delete;

    // Binds Indirizzo:Porta (Porta 0 picks a free one) and starts the listener. False, with the
    // reason in Errore and nothing listening, when the address or port is bad or taken. A running
    // server is stopped first.
    bool Start(const std::string& Indirizzo, int Porta, Handler OnDatagram, std::string& Errore);
    // Stops the listener and waits for it; a handler under way finishes first. Never call it from
    // the handler itself.
    void Stop();
    bool Active() const { return fd_.load() >= 0; }
    // The bound port (useful after Start with port 0); 0 when stopped.
    int Porta() const { return porta_.load(); }

    // Sends one datagram from the bound socket. False when stopped or the send fails.
    bool Send(const UdpPeer& A, std::string_view Dati);

  private:
    // The kernel's receive buffer asked for, and the datagrams taken between two looks at a stop.
    static constexpr int RicezioneKernel = 2 * 1024 * 1024;
    static constexpr int DatagrammiPerPassata = 256;

    void Ascolta(int fd, int stopFd);

    std::mutex startStop_;
    std::mutex sendM_;
    std::atomic<int> fd_{-1};
    std::atomic<int> porta_{0};
    int stopFd_ = -1;
    Handler handler_;
    std::thread listener_;
};

// The address servers bind when their owner names none: every interface in the program; test
// programs set the loopback address before any window exists.
void SetDefaultBindAddress(const std::string& Indirizzo);
std::string DefaultBindAddress();

// Parses "a.b.c.d" into network order; false when it is not an IPv4 literal.
bool ParseIpv4(const std::string& Testo, std::uint32_t& Rete);

} // namespace platform::net
