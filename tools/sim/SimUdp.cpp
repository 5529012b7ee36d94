#include "tools/sim/SimUdp.h"

#include "tools/sim/SimWire.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vm415sim {

bool ParseUdpTarget(const std::string& text, UdpOptions& o, std::string& error) {
    const auto colon = text.rfind(':');
    in_addr a{};
    int port = 0;
    if (colon == std::string::npos || ::inet_pton(AF_INET, text.substr(0, colon).c_str(), &a) != 1) {
        error = "--udp wants HOST:PORT with an IPv4 HOST, not '" + text + "'";
        return false;
    }
    const char* p = text.data() + colon + 1;
    const auto [end, ec] = std::from_chars(p, text.data() + text.size(), port);
    if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        error = "--udp wants a port from 1 to 65535, not '" + text.substr(colon + 1) + "'";
        return false;
    }
    if ((ntohl(a.s_addr) >> 24) != 127) {
        error = "--udp talks to this computer only (127.x.x.x), not " + text.substr(0, colon);
        return false;
    }
    o.Host = text.substr(0, colon);
    o.Port = port;
    return true;
}

namespace {

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A frame as datagram text: no lead-in 03h and a single trailing 03h.
std::string Text(const Frame& frame) {
    std::string out;
    if (const auto wire = EncodeWire(frame)) {
        static const char hex[] = "0123456789ABCDEF";
        for (std::size_t k = 1; k + 1 < wire->Bytes.size(); ++k) {
            out += hex[wire->Bytes[k] >> 4];
            out += hex[wire->Bytes[k] & 15];
        }
    }
    return out;
}

} // namespace

bool RunUdpPanel(SimPanel& panel, const UdpOptions& o, int stopFd, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in self{}, program{};
    self.sin_family = program.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::inet_pton(AF_INET, o.Host.c_str(), &program.sin_addr);
    program.sin_port = htons(std::uint16_t(o.Port));
    socklen_t len = sizeof self;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &len) != 0) {
        error = std::string("udp socket: ") + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    std::printf("vm415-sim: listening on 127.0.0.1:%d\n", ntohs(self.sin_port));
    std::fflush(stdout);
    auto send = [&](const std::string& t) {
        ::sendto(fd, t.data(), t.size(), 0, reinterpret_cast<sockaddr*>(&program), sizeof program);
    };
    const std::string hello = "*" + o.Ident + "#";
    send(hello);
    bool answered = false;
    FrameReceiver receiver;
    std::vector<char> buf(2048);
    for (;;) {
        pollfd p[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        // Until the program answers the hello, say it again every second.
        const int n = ::poll(p, stopFd >= 0 ? 2 : 1, answered ? -1 : 1000);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("poll: ") + std::strerror(errno);
            break;
        }
        if (stopFd >= 0 && p[1].revents) break;
        if (n == 0) {
            send(hello);
            continue;
        }
        sockaddr_in from{};
        socklen_t fl = sizeof from;
        const ssize_t got =
            ::recvfrom(fd, buf.data(), buf.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fl);
        if (got <= 0) continue;
        if (from.sin_addr.s_addr != program.sin_addr.s_addr || from.sin_port != program.sin_port) continue;
        const std::string text(buf.data(), std::size_t(got));
        if (text == "*OK#") {
            answered = true;
            continue;
        }
        if (text == "*LINK#") {
            // The datagram table gives the panel no keep-alive reply, and any "*...#" would be a new
            // hello: an empty datagram keeps the path open and the program ignores it.
            send("");
            continue;
        }
        for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
            const int hi = Digit(text[i]), lo = Digit(text[i + 1]);
            const std::uint8_t b = std::uint8_t((hi < 0 ? 0 : hi) << 4 | (lo < 0 ? 0 : lo));
            const auto request = receiver.Feed(b, FrameReceiver::Clock::now());
            if (!request) continue;
            const auto reply = panel.Handle(*request);
            if (reply) {
                if (const auto copy = panel.TakeLateCopy()) send(Text(*copy));
                if (const std::string t = Text(*reply); !t.empty()) send(t);
            }
            if (request->Command == 22) {
                ::close(fd);
                return true;
            }
        }
    }
    ::close(fd);
    return error.empty();
}

} // namespace vm415sim
