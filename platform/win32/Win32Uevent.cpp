#include "platform/win32/Win32Uevent.h"

#include "platform/thread/Thread.h"
#include "platform/win32/Win32Registry.h"

#include <cstring>
#include <linux/netlink.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace win32 {

std::optional<TUevent> ParseUevent(const void* data, std::size_t size) {
    if (!data || size == 0 || size > 64 * 1024) return std::nullopt;
    const char* p = static_cast<const char*>(data);
    const char* end = p + size;
    // The header "action@devpath" ends at the first NUL; udev's own messages start "libudev".
    const char* nul = static_cast<const char*>(std::memchr(p, '\0', size));
    if (!nul) return std::nullopt;
    const std::string header(p, nul);
    const auto at = header.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= header.size() || header[at + 1] != '/')
        return std::nullopt;
    TUevent ev;
    const std::string headerAction = header.substr(0, at);
    const std::string headerPath = header.substr(at + 1);
    bool haveAction = false, havePath = false;
    for (const char* q = nul + 1; q < end;) {
        const char* z = static_cast<const char*>(std::memchr(q, '\0', static_cast<std::size_t>(end - q)));
        const char* stop = z ? z : end;
        const std::string field(q, stop);
        q = stop + 1;
        if (field.empty()) continue;
        const auto eq = field.find('=');
        if (eq == std::string::npos || eq == 0) return std::nullopt;
        const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        if (key == "ACTION") {
            ev.action = value;
            haveAction = true;
        } else if (key == "DEVPATH") {
            ev.devpath = value;
            havePath = true;
        } else if (key == "SUBSYSTEM") {
            ev.subsystem = value;
        } else if (key == "DEVNAME") {
            // DEVNAME may carry a folder ("bus/usb/001/002"); the tty name is its last part.
            const auto slash = value.rfind('/');
            ev.devname = slash == std::string::npos ? value : value.substr(slash + 1);
        } else if (key == "SEQNUM") {
            std::uint64_t n = 0;
            if (value.empty() || value.size() > 19) return std::nullopt;
            for (char c : value) {
                if (c < '0' || c > '9') return std::nullopt;
                n = n * 10 + static_cast<std::uint64_t>(c - '0');
            }
            ev.seqnum = n;
        }
    }
    if (!haveAction || !havePath || ev.action != headerAction || ev.devpath != headerPath)
        return std::nullopt;
    return ev;
}

bool IsSerialPortEvent(const TUevent& ev) {
    if (ev.subsystem != "tty" || (ev.action != "add" && ev.action != "remove")) return false;
    std::string name = ev.devname;
    if (name.empty()) {
        const auto slash = ev.devpath.rfind('/');
        name = slash == std::string::npos ? ev.devpath : ev.devpath.substr(slash + 1);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyAMA", "rfcomm", "ttyS"})
        if (name.rfind(prefix, 0) == 0 && name.size() > std::strlen(prefix)) return true;
    return false;
}

TDeviceChangeMessage::TDeviceChangeMessage(WPARAM event, const std::string& portName) {
    const std::size_t size = offsetof(DEV_BROADCAST_PORT_A, dbcp_name) + portName.size() + 1;
    buffer_.reset(new std::uint8_t[size]());
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_A*>(buffer_.get());
    port->dbcp_size = static_cast<DWORD>(size);
    port->dbcp_devicetype = DBT_DEVTYP_PORT;
    std::memcpy(port->dbcp_name, portName.c_str(), portName.size() + 1);
    message_.Msg = WM_DEVICECHANGE;
    message_.WParam = event;
    message_.LParam = reinterpret_cast<LPARAM>(buffer_.get());
}

const DEV_BROADCAST_PORT_A* TDeviceChangeMessage::Broadcast() const {
    return reinterpret_cast<const DEV_BROADCAST_PORT_A*>(buffer_.get());
}

struct TUeventListener::Shared {
    std::mutex m;
    bool alive = true;
    Handler handler;
    std::map<std::string, int> known; // tty name → COM number, as of the last scan
};

TUeventListener::TUeventListener() : shared_(std::make_shared<Shared>()) {
    stopFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

TUeventListener::~TUeventListener() {
    Stop();
    if (stopFd_ >= 0) ::close(stopFd_);
}

bool TUeventListener::Start(Handler handler, std::chrono::milliseconds settle) {
    Stop();
    {
        std::lock_guard lock(shared_->m);
        shared_->alive = true;
        shared_->handler = std::move(handler);
        shared_->known.clear();
        for (const auto& p : ListSerialPorts())
            if (!p.ttyName.empty()) shared_->known[p.ttyName] = p.number;
    }
    settle_ = settle;
    std::uint64_t v;
    while (::read(stopFd_, &v, sizeof v) > 0) {
    }
    socket_ = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (socket_ < 0) return false;
    const int on = 1;
    ::setsockopt(socket_, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    sockaddr_nl addr{};
    addr.nl_family = AF_NETLINK;
    addr.nl_groups = 1;
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(socket_);
        socket_ = -1;
        return false;
    }
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void TUeventListener::Stop() {
    {
        std::lock_guard lock(shared_->m);
        shared_->alive = false; // posted messages not yet handled are dropped
    }
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto r = ::write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

void TUeventListener::Loop() {
    std::vector<char> buffer(16 * 1024);
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) return;
        if (!(fds[0].revents & POLLIN)) continue;
        sockaddr_nl from{};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
        iovec iov{buffer.data(), buffer.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(socket_, &msg, 0);
        if (n <= 0 || (msg.msg_flags & MSG_TRUNC)) continue;
        // Only the kernel speaks on this group with pid 0; anyone else could forge a device.
        if (from.nl_pid != 0) continue;
        const cmsghdr* c = CMSG_FIRSTHDR(&msg);
        if (!c || c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS) continue;
        ucred cred;
        std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
        if (cred.uid != 0) continue;
        if (auto ev = ParseUevent(buffer.data(), static_cast<std::size_t>(n))) Handle(*ev);
    }
}

void TUeventListener::Inject(const void* data, std::size_t size) {
    if (auto ev = ParseUevent(data, size)) Handle(*ev);
}

void TUeventListener::Handle(const TUevent& ev) {
    if (!IsSerialPortEvent(ev)) return;
    // Let the device settle (udev makes the node and the by-id link after the kernel's event).
    pollfd stop{stopFd_, POLLIN, 0};
    if (::poll(&stop, 1, static_cast<int>(settle_.count())) > 0) return;
    const auto ports = ListSerialPorts();
    int number = 0;
    WPARAM event = ev.action == "add" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    {
        std::lock_guard lock(shared_->m);
        if (event == DBT_DEVICEREMOVECOMPLETE) {
            auto it = shared_->known.find(ev.devname);
            if (it != shared_->known.end()) number = it->second;
        }
        shared_->known.clear();
        for (const auto& p : ports) {
            if (p.ttyName.empty()) continue;
            shared_->known[p.ttyName] = p.number;
            if (event == DBT_DEVICEARRIVAL && p.ttyName == ev.devname) number = p.number;
        }
    }
    auto message =
        std::make_shared<TDeviceChangeMessage>(event, number > 0 ? "COM" + std::to_string(number) : "");
    auto shared = shared_;
    auto deliver = [shared, message] {
        Handler handler;
        {
            std::lock_guard lock(shared->m);
            if (!shared->alive) return;
            handler = shared->handler;
        }
        if (handler) handler(message->Message());
    };
    if (auto* ui = platform::UiThread())
        ui->Post(deliver);
    else
        deliver();
}

} // namespace win32
