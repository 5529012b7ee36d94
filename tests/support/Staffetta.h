#pragma once
// A relay on the loopback address between the program's remote link and a panel that talks UDP
// (vm415-sim): the panel greets the relay's port, the link takes the relay for the panel. The test
// may have the relay hold the link's datagrams from a chosen request on, and let them go when it
// is done: until then that request is in flight, however fast the machine answers.
#include "support/Presa.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

class Staffetta {
  public:
    explicit Staffetta(int PortaLink) {
        link_.sin_family = AF_INET;
        link_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        link_.sin_port = htons(std::uint16_t(PortaLink));
        versoLink_ = PresaLoopback(portaVersoLink_);
        versoPannello_ = PresaLoopback(portaPannello_);
        stop_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        thread_ = std::thread([this] { Inoltra(); });
    }
    ~Staffetta() {
        const std::uint64_t uno = 1;
        if (::write(stop_, &uno, sizeof uno) < 0) std::terminate();
        thread_.join();
        ::close(stop_);
        ::close(versoLink_);
        ::close(versoPannello_);
    }
    Staffetta(const Staffetta&) = delete;
    Staffetta& operator=(const Staffetta&) = delete;

    // Where the panel sends: the port it greets.
    int PortaPannello() const { return portaPannello_; }
    // The relay's port as the link sees it: the panel's, for the link.
    int PortaVersoLink() const { return portaVersoLink_; }

    // The next datagram from the link for which Quale holds, and every one after it, wait for
    // Rilascia.
    void Trattieni(std::function<bool(const std::string&)> Quale) {
        std::lock_guard l(m_);
        quale_ = std::move(Quale);
    }
    // A datagram is held.
    bool Trattenuto() const {
        std::lock_guard l(m_);
        return !trattenuti_.empty();
    }
    // What was held goes to the panel, in order, and nothing more is held.
    void Rilascia() {
        std::lock_guard l(m_);
        quale_ = nullptr;
        for (const std::string& d : trattenuti_)
            AlPannello(d);
        trattenuti_.clear();
    }

  private:
    // m_ held.
    void AlPannello(const std::string& d) {
        if (pannello_.sin_port != 0)
            ::sendto(versoPannello_, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&pannello_),
                     sizeof pannello_);
    }
    void Inoltra() {
        char buf[2048];
        for (;;) {
            pollfd p[3] = {{versoPannello_, POLLIN, 0}, {versoLink_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(p, 3, -1) < 0 && errno != EINTR) return;
            if (p[2].revents) return;
            if (p[0].revents & POLLIN) {
                sockaddr_in da{};
                socklen_t l = sizeof da;
                const ssize_t n =
                    ::recvfrom(versoPannello_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&da), &l);
                if (n >= 0) {
                    {
                        std::lock_guard g(m_);
                        pannello_ = da;
                    }
                    ::sendto(versoLink_, buf, std::size_t(n), 0, reinterpret_cast<const sockaddr*>(&link_),
                             sizeof link_);
                }
            }
            if (p[1].revents & POLLIN) {
                const ssize_t n = ::recv(versoLink_, buf, sizeof buf, 0);
                if (n < 0) continue;
                const std::string d(buf, std::size_t(n));
                std::lock_guard g(m_);
                if (!trattenuti_.empty() || (quale_ && quale_(d)))
                    trattenuti_.push_back(d);
                else
                    AlPannello(d);
            }
        }
    }

    sockaddr_in link_{}, pannello_{};
    std::uint16_t portaVersoLink_ = 0, portaPannello_ = 0;
    int versoLink_ = -1, versoPannello_ = -1, stop_ = -1;
    mutable std::mutex m_;
    std::function<bool(const std::string&)> quale_;
    std::deque<std::string> trattenuti_;
    std::thread thread_;
};

} // namespace testing_support
