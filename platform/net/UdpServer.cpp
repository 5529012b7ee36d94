#include "platform/net/UdpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace platform::net {

namespace {
std::mutex defaultM;
std::string defaultBind = "0.0.0.0";
} // namespace

void SetDefaultBindAddress(const std::string& Indirizzo) {
    std::lock_guard lock(defaultM);
    defaultBind = Indirizzo;
}

std::string DefaultBindAddress() {
    std::lock_guard lock(defaultM);
    return defaultBind;
}

bool ParseIpv4(const std::string& Testo, std::uint32_t& Rete) {
    in_addr a{};
    if (::inet_pton(AF_INET, Testo.c_str(), &a) != 1) return false;
    Rete = a.s_addr;
    return true;
}

UdpServer::~UdpServer() {
    Stop();
}

bool UdpServer::Start(const std::string& Indirizzo, int Porta, Handler OnDatagram, std::string& Errore) {
    Stop();
    std::lock_guard lock(startStop_);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    if (Porta < 0 || Porta > 65535) {
        Errore = "port " + std::to_string(Porta) + " is outside 0..65535";
        return false;
    }
    if (!ParseIpv4(Indirizzo, sa.sin_addr.s_addr)) {
        Errore = "'" + Indirizzo + "' is not an IPv4 address";
        return false;
    }
    sa.sin_port = htons(std::uint16_t(Porta));
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        Errore = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        Errore = "bind " + Indirizzo + ":" + std::to_string(Porta) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    // Room for a burst: with the system's default buffer, a flood from anyone who reaches the port
    // would have the kernel drop the panel's replies among the rest. The system may cap it lower.
    const int buffer = RicezioneKernel;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    const int stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd < 0) {
        Errore = std::string("eventfd: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    stopFd_ = stopFd;
    handler_ = std::move(OnDatagram);
    porta_.store(ntohs(sa.sin_port));
    fd_.store(fd);
    listener_ = std::thread([this, fd, stopFd] { Ascolta(fd, stopFd); });
    return true;
}

void UdpServer::Stop() {
    std::lock_guard lock(startStop_);
    if (!listener_.joinable()) return;
    const std::uint64_t uno = 1;
    [[maybe_unused]] const auto n = ::write(stopFd_, &uno, sizeof uno);
    listener_.join();
    {
        // A send on another thread must not reach a closed descriptor or one reused meanwhile.
        std::lock_guard invio(sendM_);
        ::close(fd_.exchange(-1));
    }
    porta_.store(0);
    ::close(stopFd_);
    stopFd_ = -1;
    handler_ = nullptr;
}

bool UdpServer::Send(const UdpPeer& A, std::string_view Dati) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(A.Porta);
    if (!ParseIpv4(A.Indirizzo, sa.sin_addr.s_addr)) return false;
    std::lock_guard invio(sendM_);
    const int fd = fd_.load();
    if (fd < 0) return false;
    const ssize_t n =
        ::sendto(fd, Dati.data(), Dati.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    return n == ssize_t(Dati.size());
}

void UdpServer::Ascolta(int fd, int stopFd) {
    // The largest datagram IPv4 can carry: nothing is ever cut, so the owner judges the real size.
    std::vector<std::uint8_t> buf(65536);
    pollfd p[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[1].revents != 0) return;
        if ((p[0].revents & POLLIN) == 0) continue;
        // Everything that waits is taken before the next poll, so that a burst empties the kernel's
        // buffer as fast as the handler goes; a bounded number, so that a stop is seen soon.
        for (int k = 0; k < DatagrammiPerPassata; ++k) {
            sockaddr_in da{};
            socklen_t len = sizeof da;
            const ssize_t n =
                ::recvfrom(fd, buf.data(), buf.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&da), &len);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) break;
                continue; // ICMP errors of earlier sends surface here; nothing was received
            }
            char testo[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &da.sin_addr, testo, sizeof testo);
            if (handler_) handler_(buf.data(), std::size_t(n), UdpPeer{testo, ntohs(da.sin_port)});
        }
    }
}

} // namespace platform::net
