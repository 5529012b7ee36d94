#pragma once
// Device arrival and removal: the kernel's uevents (netlink, NETLINK_KOBJECT_UEVENT group 1) stand in
// for WM_DEVICECHANGE. The listener accepts only messages from the kernel itself (sender pid 0,
// credentials uid 0), and for a serial tty added or removed it rescans the ports after a short
// settle time and hands a WM_DEVICECHANGE message with a port broadcast naming "COMn" to the
// owning window's handler on the UI thread.
#include "platform/win32/Win32Types.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace win32 {

struct TUevent {
    std::string action;    // "add", "remove", "change", "bind", ...
    std::string devpath;   // "/devices/.../tty/ttyUSB0"
    std::string subsystem; // "tty"
    std::string devname;   // "ttyUSB0"
    std::uint64_t seqnum = 0;
};

// Parses one kernel uevent datagram ("action@devpath\0KEY=value\0..."). Anything else (a udev
// daemon's message, a damaged or truncated datagram, a header that disagrees with its ACTION or
// DEVPATH) gives nothing.
std::optional<TUevent> ParseUevent(const void* data, std::size_t size);

// Whether a uevent concerns a serial port the COM table lists (tty add or remove of ttyUSB*, ...).
bool IsSerialPortEvent(const TUevent& ev);

// The message a window's WM_DEVICECHANGE handler receives: lParam points at `Broadcast()`, which
// lives as long as this object.
class TDeviceChangeMessage {
  public:
    TDeviceChangeMessage(WPARAM event, const std::string& portName);
    TMessage& Message() { return message_; }
    const DEV_BROADCAST_PORT_A* Broadcast() const;

  private:
    std::unique_ptr<std::uint8_t[]> buffer_;
    TMessage message_{};
};

class TUeventListener {
  public:
    using Handler = std::function<void(TMessage&)>;

    TUeventListener();
    ~TUeventListener(); // stops and joins
    TUeventListener(const TUeventListener&) = delete;
    TUeventListener& operator=(const TUeventListener&) = delete;

    // Opens the netlink socket and starts the listening thread; `handler` runs on the UI thread
    // (through platform::UiThread()->Post; directly on the listener thread when there is none).
    // False when the socket cannot be opened (no netlink in a container, say): no device change
    // is then reported.
    bool Start(Handler handler, std::chrono::milliseconds settle = std::chrono::milliseconds(300));
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // Feeds one datagram as if it came from the kernel (tests, and the fuzz target).
    void Inject(const void* data, std::size_t size);

  private:
    void Loop();
    void Handle(const TUevent& ev);

    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    int socket_ = -1;
    int stopFd_ = -1;
    std::chrono::milliseconds settle_{300};
};

} // namespace win32
