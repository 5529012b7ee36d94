#pragma once
// A datagram socket on 127.0.0.1 standing for a panel (or for a foreign host) that talks to the
// program's UDP link on the loopback address.
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

// A datagram socket bound to a free port of 127.0.0.1, which goes into Porta.
inline int PresaLoopback(std::uint16_t& Porta) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t l = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &l);
    Porta = ntohs(sa.sin_port);
    return fd;
}

class Presa {
  public:
    explicit Presa(int portaServer) : fd_(PresaLoopback(porta_)), server_(portaServer) {}
    ~Presa() { ::close(fd_); }
    void Invia(const std::string& t) const {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = htons(std::uint16_t(server_));
        ::sendto(fd_, t.data(), t.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    // The next datagram, or "<none>" after the wait.
    std::string Ricevi(std::chrono::milliseconds attesa = std::chrono::milliseconds(3000)) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(attesa.count())) <= 0) return "<none>";
        char b[2048];
        const ssize_t n = ::recv(fd_, b, sizeof b, 0);
        return std::string(b, std::size_t(std::max<ssize_t>(n, 0)));
    }
    std::uint16_t Porta() const { return porta_; }

  private:
    std::uint16_t porta_ = 0; // before fd_, whose making sets it
    int fd_ = -1, server_;
};

} // namespace testing_support
