#include "platform/win32/Win32Comm.h"

#include "platform/win32/Win32Access.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Tty.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace win32 {
namespace {

using Clock = std::chrono::steady_clock;
// How often lines, error counters and the output queue are sampled while a wait is pending: none
// of them can wake a poll.
constexpr int kSampleMs = 10;

// The thread's last error, with the text a failed call left for it when it knew more than the code
// tells (SysErrorMessage gives it while that error stands).
struct LastError {
    DWORD code = 0;
    std::string text;
    LastError& operator=(DWORD c) {
        code = c;
        text.clear();
        return *this;
    }
    operator DWORD() const { return code; }
};
thread_local LastError tlsLastError;

BOOL Fail(DWORD code) {
    tlsLastError = code;
    return FALSE;
}

// One eventfd per thread that blocks in a port call; close and purge write to it to cut the wait short.
struct WakeFd {
    int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ~WakeFd() {
        if (fd >= 0) ::close(fd);
    }
};
int ThreadWakeFd() {
    thread_local WakeFd w;
    return w.fd;
}
void Drain(int fd) {
    std::uint64_t v;
    while (::read(fd, &v, sizeof v) > 0) {
    }
}
void Poke(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(fd, &one, sizeof one);
}

int RemainingMs(std::optional<Clock::time_point> deadline, int cap) {
    if (!deadline) return cap;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (ms <= 0) return 0;
    if (cap < 0) return static_cast<int>(std::min<long long>(ms, 1 << 30));
    return static_cast<int>(std::min<long long>(ms, cap));
}

struct Object {
    virtual ~Object() = default;
};

struct PortObject;

struct EventObject : Object {
    std::mutex m;
    bool manual = false;
    bool signalled = false;
    int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // The port whose pending WaitCommEvent completes through this event.
    std::weak_ptr<PortObject> bound;

    ~EventObject() override {
        if (fd >= 0) ::close(fd);
    }
    void Set() {
        std::lock_guard lock(m);
        signalled = true;
        Poke(fd);
    }
    void Reset() {
        std::lock_guard lock(m);
        signalled = false;
        Drain(fd);
    }
};

struct PendingWait {
    OVERLAPPED* ov = nullptr;
    DWORD* mask = nullptr;
    std::shared_ptr<EventObject> event;
    std::thread::id owner;
};

// Unix 98 pseudo-terminal slaves have majors 136..143.
bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

class TtyLineDevice : public LineDevice {
  public:
    bool GetModemLines(int fd, int* lines) override { return tty::ModemGet(fd, lines); }
    bool SetModemLines(int fd, int set, int clear) override { return tty::ModemSet(fd, set, clear); }
    bool GetCounters(int fd, LineCounters* c) override {
        return tty::Counters(fd, &c->frame, &c->parity, &c->overrun, &c->bufOverrun, &c->brk);
    }
};

struct PortObject : Object {
    std::mutex m;
    std::condition_variable idle;
    int fd = -1;
    std::string path;
    std::shared_ptr<LineDevice> line;
    bool closed = false;
    bool hungUp = false;
    DWORD eventMask = 0;
    COMMTIMEOUTS timeouts{};
    DCB dcb{};
    DWORD inQueueSize = 4096;
    DWORD outQueueSize = 4096;
    bool modemOk = false;
    bool countersOk = false;
    bool pseudoTerminal = false;
    int lastLines = 0;
    LineCounters eventCounters{}; // what WaitCommEvent has reported
    LineCounters errorCounters{}; // what ClearCommError has reported
    int lastInQue = 0;            // bytes already announced by EV_RXCHAR
    bool txPending = false;
    bool rx80Reported = false;
    std::optional<PendingWait> pending;
    std::vector<int> waiters; // wake fds of the threads blocked in this port
    int inflight = 0;
    unsigned readAbortGen = 0, writeAbortGen = 0;

    void WakeAll() {
        for (int w : waiters)
            Poke(w);
    }

    bool CheckHangup() {
        if (hungUp) return true;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hungUp = true;
        return hungUp;
    }

    // Events since the last report; the snapshots move on for everything sampled.
    DWORD Sample() {
        DWORD ev = 0;
        int inq = 0;
        tty::InQueue(fd, &inq);
        if (inq < lastInQue) lastInQue = inq;
        if ((eventMask & EV_RXCHAR) && inq > lastInQue) {
            ev |= EV_RXCHAR;
            lastInQue = inq;
        }
        const bool over80 = inQueueSize > 0 && static_cast<DWORD>(inq) * 10 >= inQueueSize * 8;
        if (over80 && !rx80Reported) ev |= EV_RX80FULL;
        rx80Reported = over80;
        if (txPending) {
            int outq = 0;
            if (!tty::OutQueue(fd, &outq) || outq == 0) {
                txPending = false;
                ev |= EV_TXEMPTY;
            }
        }
        if (modemOk) {
            int lines = 0;
            if (line->GetModemLines(fd, &lines)) {
                const int changed = lines ^ lastLines;
                if (changed & linebits::CTS) ev |= EV_CTS;
                if (changed & linebits::DSR) ev |= EV_DSR;
                if (changed & linebits::CD) ev |= EV_RLSD;
                if ((changed & linebits::RI) && (lines & linebits::RI)) ev |= EV_RING;
                lastLines = lines;
            }
        }
        if (countersOk) {
            LineCounters c;
            if (line->GetCounters(fd, &c)) {
                if (c.frame != eventCounters.frame || c.parity != eventCounters.parity ||
                    c.overrun != eventCounters.overrun || c.bufOverrun != eventCounters.bufOverrun)
                    ev |= EV_ERR;
                if (c.brk != eventCounters.brk) ev |= EV_BREAK;
                eventCounters = c;
            }
        }
        return ev & eventMask;
    }

    bool NeedsSampling() const {
        return modemOk || countersOk || txPending || lastInQue > 0 || (eventMask & EV_RX80FULL);
    }

    // Completes the pending wait; the caller signals its event (outside the lock) when it is not the
    // waiter itself.
    std::shared_ptr<EventObject> Complete(DWORD mask, DWORD status) {
        auto ev = pending->event;
        *pending->mask = mask;
        pending->ov->InternalHigh = 0;
        pending->ov->Internal = status;
        pending.reset();
        if (ev) {
            std::lock_guard lock(ev->m);
            ev->bound.reset();
        }
        return ev;
    }
};

std::mutex tableMutex;
std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> table;
std::uintptr_t nextHandle = 0x1000;

std::mutex lineDevicesMutex;
std::map<std::string, std::shared_ptr<LineDevice>> lineDevices;

HANDLE Register(std::shared_ptr<Object> obj) {
    std::lock_guard lock(tableMutex);
    nextHandle += 4;
    table[nextHandle] = std::move(obj);
    return reinterpret_cast<HANDLE>(nextHandle);
}

template <class T> std::shared_ptr<T> Lookup(HANDLE h) {
    std::lock_guard lock(tableMutex);
    auto it = table.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == table.end()) return nullptr;
    return std::dynamic_pointer_cast<T>(it->second);
}

std::shared_ptr<PortObject> Port(HANDLE h) {
    auto p = Lookup<PortObject>(h);
    if (!p) tlsLastError = ERROR_INVALID_HANDLE;
    return p;
}

// Registers the calling thread as blocked in the port (so that close waits for it and can wake it).
class InFlight {
  public:
    InFlight(PortObject& p, std::unique_lock<std::mutex>& lock) : p_(p), lock_(lock), wake_(ThreadWakeFd()) {
        Drain(wake_);
        ++p_.inflight;
        p_.waiters.push_back(wake_);
    }
    ~InFlight() {
        if (!lock_.owns_lock()) lock_.lock();
        p_.waiters.erase(std::find(p_.waiters.begin(), p_.waiters.end(), wake_));
        if (--p_.inflight == 0) p_.idle.notify_all();
    }
    int Wake() const { return wake_; }

  private:
    PortObject& p_;
    std::unique_lock<std::mutex>& lock_;
    int wake_;
};

enum class DriveResult { Completed, Signalled, TimedOut, Gone };

// Makes progress on the pending wait that matches `ov` (or, without one, that completes through `ev`)
// until it completes, `ev` is signalled or the deadline passes.
DriveResult Drive(PortObject& p, const OVERLAPPED* ov, EventObject* ev,
                  std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(p.m);
    if (p.closed) return DriveResult::Gone;
    InFlight inflight(p, lock);
    // Set when poll said "readable" yet nothing was queued (a reader took it first, or the driver
    // reports readiness it cannot back): the next pass samples on the timer instead of spinning.
    bool readableButEmpty = false;
    for (;;) {
        const bool matches = p.pending && (ov ? p.pending->ov == ov : p.pending->event.get() == ev);
        if (!matches) return DriveResult::Signalled;
        if (p.CheckHangup()) {
            p.Complete(0, ERROR_DEVICE_NOT_CONNECTED);
            return DriveResult::Completed;
        }
        if (const DWORD events = p.Sample()) {
            p.Complete(events, ERROR_SUCCESS);
            return DriveResult::Completed;
        }
        int inq = 0;
        tty::InQueue(p.fd, &inq);
        const bool watchInput = inq == 0 && !readableButEmpty;
        pollfd fds[3] = {{p.fd, static_cast<short>(watchInput ? POLLIN : 0), 0},
                         {inflight.Wake(), POLLIN, 0},
                         {ev ? ev->fd : -1, POLLIN, 0}};
        const int timeout = RemainingMs(deadline, p.NeedsSampling() || !watchInput ? kSampleMs : -1);
        lock.unlock();
        const int n = ::poll(fds, ev ? 3 : 2, timeout);
        lock.lock();
        if (n > 0 && (fds[1].revents & POLLIN)) Drain(inflight.Wake());
        if (p.closed) return DriveResult::Gone;
        if (n > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) p.hungUp = true;
        int after = 0;
        readableButEmpty = n > 0 && (fds[0].revents & POLLIN) && tty::InQueue(p.fd, &after) && after == 0;
        if (n > 0 && ev && (fds[2].revents & POLLIN)) return DriveResult::Signalled;
        if (deadline && Clock::now() >= *deadline) return DriveResult::TimedOut;
    }
}

std::string StripDevicePrefix(const std::string& name) {
    if (name.rfind("\\\\?\\", 0) == 0 || name.rfind("\\\\.\\", 0) == 0) return name.substr(4);
    return name;
}

// "COM7" → the bound device path; a path is taken as it is.
std::string ResolveName(const char* rawName) {
    if (!rawName) return "";
    const std::string name = StripDevicePrefix(rawName);
    if (!name.empty() && name[0] == '/') return name;
    if (name.size() > 3 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
        (name[2] == 'M' || name[2] == 'm')) {
        int n = 0;
        for (std::size_t i = 3; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9' || n > 100000) return "";
            n = n * 10 + (name[i] - '0');
        }
        return n > 0 ? ResolveComPort(n) : "";
    }
    return "";
}

DWORD ErrnoToError(int e) {
    switch (e) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
        return ERROR_ACCESS_DENIED;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOTTY:
        return ERROR_NOT_SUPPORTED;
    case EIO:
        return ERROR_DEVICE_NOT_CONNECTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

bool Unsupported(int e) {
    return e == ENOTTY || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP;
}

} // namespace

// ---- Errors and time ---------------------------------------------------------------------------

DWORD GetLastError() {
    return tlsLastError;
}
void SetLastError(DWORD code) {
    tlsLastError = code;
}

std::string SysErrorMessage(DWORD code) {
    if (code == tlsLastError.code && !tlsLastError.text.empty()) return tlsLastError.text;
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully";
    case ERROR_INVALID_FUNCTION:
        return "Incorrect function";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified";
    case ERROR_ACCESS_DENIED:
        return AccessDeniedText();
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough storage is available to process this command";
    case ERROR_GEN_FAILURE:
        return "A device attached to the system is not functioning";
    case ERROR_SHARING_VIOLATION:
        return "The process cannot access the file because it is being used by another process";
    case ERROR_NOT_SUPPORTED:
        return "The request is not supported";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect";
    case ERROR_SEM_TIMEOUT:
        return "The semaphore timeout period has expired";
    case ERROR_INSUFFICIENT_BUFFER:
        return "The data area passed to a system call is too small";
    case ERROR_MORE_DATA:
        return "More data is available";
    case ERROR_NO_MORE_ITEMS:
        return "No more data is available";
    case ERROR_OPERATION_ABORTED:
        return "The I/O operation has been aborted because of either a thread exit or an application request";
    case ERROR_IO_INCOMPLETE:
        return "Overlapped I/O event is not in a signaled state";
    case ERROR_IO_PENDING:
        return "Overlapped I/O operation is in progress";
    case ERROR_BADKEY:
        return "The configuration registry key is invalid";
    case ERROR_CANTOPEN:
        return "The configuration registry key could not be opened";
    case ERROR_CANTWRITE:
        return "The configuration registry key could not be written";
    case ERROR_DEVICE_NOT_CONNECTED:
        return "The device is not connected";
    default:
        return "System error " + std::to_string(code);
    }
}

DWORD GetTickCount() {
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

void Sleep(DWORD ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// ---- Device seam -------------------------------------------------------------------------------

void RegisterLineDevice(const std::string& devicePath, std::shared_ptr<LineDevice> device) {
    std::lock_guard lock(lineDevicesMutex);
    lineDevices[devicePath] = std::move(device);
}

void UnregisterLineDevice(const std::string& devicePath) {
    std::lock_guard lock(lineDevicesMutex);
    lineDevices.erase(devicePath);
}

std::string HandleDevicePath(HANDLE h) {
    auto p = Lookup<PortObject>(h);
    return p ? p->path : std::string();
}

// ---- Open and close ----------------------------------------------------------------------------

HANDLE CreateFileA(const char* name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    const std::string path = ResolveName(name);
    if (path.empty()) {
        tlsLastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        tlsLastError = ErrnoToError(e);
        if (e == EACCES || e == EPERM) tlsLastError.text = AccessDeniedText(path);
        return INVALID_HANDLE_VALUE;
    }
    // Exclusive use: flock keeps out other programs that respect it (and ourselves), TIOCEXCL the rest.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        tlsLastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    if (!tty::MakeRaw(fd)) {
        const int e = errno;
        ::close(fd);
        tlsLastError = e == ENOTTY ? ERROR_NOT_SUPPORTED : ErrnoToError(e);
        return INVALID_HANDLE_VALUE;
    }
    tty::Exclusive(fd, true);

    auto port = std::make_shared<PortObject>();
    port->fd = fd;
    port->path = path;
    {
        std::lock_guard lock(lineDevicesMutex);
        auto it = lineDevices.find(path);
        port->line = it != lineDevices.end() ? it->second : std::make_shared<TtyLineDevice>();
    }
    port->pseudoTerminal = IsPseudoTerminal(fd);
    port->modemOk = port->line->GetModemLines(fd, &port->lastLines);
    if (port->line->GetCounters(fd, &port->eventCounters)) {
        port->countersOk = true;
        port->errorCounters = port->eventCounters;
    }
    port->dcb.DCBlength = sizeof(DCB);
    port->dcb.BaudRate = 9600;
    port->dcb.ByteSize = 8;
    port->dcb.Flags = dcbflag::fBinary;
    tlsLastError = ERROR_SUCCESS;
    return Register(port);
}

BOOL CloseHandle(HANDLE h) {
    std::shared_ptr<Object> obj;
    {
        std::lock_guard lock(tableMutex);
        auto it = table.find(reinterpret_cast<std::uintptr_t>(h));
        if (it == table.end()) return Fail(ERROR_INVALID_HANDLE);
        obj = std::move(it->second);
        table.erase(it);
    }
    if (auto port = std::dynamic_pointer_cast<PortObject>(obj)) {
        std::shared_ptr<EventObject> cancelled;
        {
            std::unique_lock lock(port->m);
            port->closed = true;
            if (port->pending) cancelled = port->Complete(0, ERROR_OPERATION_ABORTED);
            port->WakeAll();
            port->idle.wait(lock, [&] { return port->inflight == 0; });
            tty::Exclusive(port->fd, false);
            ::close(port->fd);
            port->fd = -1;
        }
        if (cancelled) cancelled->Set();
    }
    return TRUE;
}

// ---- Reads and writes --------------------------------------------------------------------------

namespace {

void Finish(OVERLAPPED* ov, DWORD status, DWORD transferred) {
    if (!ov) return;
    ov->InternalHigh = transferred;
    ov->Internal = status;
    if (ov->hEvent)
        if (auto ev = Lookup<EventObject>(ov->hEvent)) ev->Set();
}

} // namespace

BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) {
    auto p = Port(h);
    if (read) *read = 0;
    if (!p) return FALSE;
    std::unique_lock lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    InFlight inflight(*p, lock);
    const COMMTIMEOUTS t = p->timeouts;
    const unsigned gen = p->readAbortGen;
    auto* out = static_cast<std::uint8_t*>(buffer);
    DWORD got = 0;
    DWORD status = ERROR_SUCCESS;
    const auto start = Clock::now();
    std::optional<Clock::time_point> total;
    bool firstByteOnly = false;
    bool immediate = false;
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0)
        immediate = true;
    else if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
             t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD) {
        firstByteOnly = true;
        total = start + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
    } else {
        const std::uint64_t ms =
            std::uint64_t(t.ReadTotalTimeoutMultiplier) * count + std::uint64_t(t.ReadTotalTimeoutConstant);
        if (ms > 0) total = start + std::chrono::milliseconds(ms);
    }
    const bool useInterval = t.ReadIntervalTimeout > 0 && t.ReadIntervalTimeout != MAXDWORD;
    auto lastByte = start;
    while (got < count) {
        const ssize_t r = ::read(p->fd, out + got, count - got);
        if (r > 0) {
            got += static_cast<DWORD>(r);
            lastByte = Clock::now();
            if (firstByteOnly) break;
            continue;
        }
        if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
            p->hungUp = true;
            if (got == 0) status = ERROR_DEVICE_NOT_CONNECTED;
            break;
        }
        if (errno == EINTR) continue;
        if (immediate || (firstByteOnly && got > 0)) break;
        std::optional<Clock::time_point> deadline = total;
        if (useInterval && got > 0) {
            const auto gap = lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout);
            if (!deadline || gap < *deadline) deadline = gap;
        }
        if (deadline && Clock::now() >= *deadline) break;
        pollfd fds[2] = {{p->fd, POLLIN, 0}, {inflight.Wake(), POLLIN, 0}};
        lock.unlock();
        ::poll(fds, 2, RemainingMs(deadline, -1));
        lock.lock();
        Drain(inflight.Wake());
        if (p->closed || p->readAbortGen != gen) {
            status = ERROR_OPERATION_ABORTED;
            break;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN)) {
            p->hungUp = true;
            if (got == 0) status = ERROR_DEVICE_NOT_CONNECTED;
            break;
        }
    }
    if (!p->closed) {
        int inq = 0;
        tty::InQueue(p->fd, &inq);
        p->lastInQue = std::min(p->lastInQue, inq);
        // A pending event wait that stopped watching for input (bytes were queued) watches again.
        if (got > 0) p->WakeAll();
    }
    lock.unlock();
    if (read) *read = got;
    Finish(ov, status, got);
    if (status != ERROR_SUCCESS) return Fail(status);
    tlsLastError = ERROR_SUCCESS;
    return TRUE;
}

BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov) {
    auto p = Port(h);
    if (written) *written = 0;
    if (!p) return FALSE;
    std::unique_lock lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    InFlight inflight(*p, lock);
    const COMMTIMEOUTS t = p->timeouts;
    const unsigned gen = p->writeAbortGen;
    const std::uint64_t ms =
        std::uint64_t(t.WriteTotalTimeoutMultiplier) * count + std::uint64_t(t.WriteTotalTimeoutConstant);
    std::optional<Clock::time_point> deadline;
    if (ms > 0) deadline = Clock::now() + std::chrono::milliseconds(ms);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    DWORD done = 0;
    DWORD status = ERROR_SUCCESS;
    while (done < count) {
        const ssize_t r = ::write(p->fd, in + done, count - done);
        if (r > 0) {
            done += static_cast<DWORD>(r);
            p->txPending = true;
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno != EAGAIN) {
            p->hungUp = errno == EIO || errno == EPIPE || errno == ENXIO;
            status = p->hungUp ? ERROR_DEVICE_NOT_CONNECTED : ErrnoToError(errno);
            break;
        }
        // A write time-out lets the request complete with what went out, as the driver does.
        if (deadline && Clock::now() >= *deadline) break;
        pollfd fds[2] = {{p->fd, POLLOUT, 0}, {inflight.Wake(), POLLIN, 0}};
        lock.unlock();
        ::poll(fds, 2, RemainingMs(deadline, -1));
        lock.lock();
        Drain(inflight.Wake());
        if (p->closed || p->writeAbortGen != gen) {
            status = ERROR_OPERATION_ABORTED;
            break;
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            p->hungUp = true;
            status = ERROR_DEVICE_NOT_CONNECTED;
            break;
        }
    }
    // A pending event wait may be sleeping without a time limit: let it watch the output drain.
    if (done > 0) p->WakeAll();
    lock.unlock();
    if (written) *written = done;
    Finish(ov, status, done);
    if (status != ERROR_SUCCESS) return Fail(status);
    tlsLastError = ERROR_SUCCESS;
    return TRUE;
}

BOOL GetOverlappedResult(HANDLE h, OVERLAPPED* ov, DWORD* transferred, BOOL wait) {
    if (!ov) return Fail(ERROR_INVALID_PARAMETER);
    auto p = Lookup<PortObject>(h);
    for (;;) {
        ULONG_PTR status, count;
        {
            std::unique_lock<std::mutex> lock;
            if (p) lock = std::unique_lock(p->m);
            status = ov->Internal;
            count = ov->InternalHigh;
        }
        if (status != STATUS_PENDING) {
            if (transferred) *transferred = static_cast<DWORD>(count);
            if (status != ERROR_SUCCESS) return Fail(static_cast<DWORD>(status));
            tlsLastError = ERROR_SUCCESS;
            return TRUE;
        }
        if (!wait) return Fail(ERROR_IO_INCOMPLETE);
        if (!p) return Fail(ERROR_INVALID_HANDLE);
        if (Drive(*p, ov, nullptr, std::nullopt) == DriveResult::Gone) {
            std::lock_guard lock(p->m);
            if (ov->Internal == STATUS_PENDING) return Fail(ERROR_OPERATION_ABORTED);
        }
    }
}

BOOL CancelIo(HANDLE h) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::shared_ptr<EventObject> ev;
    {
        std::lock_guard lock(p->m);
        if (p->pending && p->pending->owner == std::this_thread::get_id())
            ev = p->Complete(0, ERROR_OPERATION_ABORTED);
    }
    if (ev) ev->Set();
    return TRUE;
}

// ---- Comm events -------------------------------------------------------------------------------

BOOL WaitCommEvent(HANDLE h, DWORD* mask, OVERLAPPED* ov) {
    auto p = Port(h);
    if (!p) return FALSE;
    if (!mask) return Fail(ERROR_INVALID_PARAMETER);
    std::shared_ptr<EventObject> ev;
    if (ov && ov->hEvent) {
        ev = Lookup<EventObject>(ov->hEvent);
        if (!ev) return Fail(ERROR_INVALID_HANDLE);
    }
    OVERLAPPED local{};
    {
        std::lock_guard lock(p->m);
        if (p->closed) return Fail(ERROR_INVALID_HANDLE);
        if (p->eventMask == 0 || p->pending) return Fail(ERROR_INVALID_PARAMETER);
        if (p->CheckHangup()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        if (const DWORD events = p->Sample()) {
            *mask = events;
            if (ov) {
                ov->Internal = ERROR_SUCCESS;
                ov->InternalHigh = 0;
            }
            tlsLastError = ERROR_SUCCESS;
            return TRUE;
        }
        PendingWait w;
        w.ov = ov ? ov : &local;
        w.mask = mask;
        w.event = ev;
        w.owner = std::this_thread::get_id();
        w.ov->Internal = STATUS_PENDING;
        p->pending = w;
        if (ev) {
            std::lock_guard evLock(ev->m);
            ev->bound = p;
            Poke(ev->fd); // a thread already waiting on the event starts driving the port
        }
    }
    if (ov) return Fail(ERROR_IO_PENDING);
    // Without a request record the call blocks until an event or a failure.
    for (;;) {
        const DriveResult r = Drive(*p, &local, nullptr, std::nullopt);
        std::lock_guard lock(p->m);
        if (r != DriveResult::Signalled || local.Internal != STATUS_PENDING) break;
    }
    std::lock_guard lock(p->m);
    if (local.Internal == STATUS_PENDING) {
        p->pending.reset();
        return Fail(ERROR_OPERATION_ABORTED);
    }
    if (local.Internal != ERROR_SUCCESS) return Fail(static_cast<DWORD>(local.Internal));
    return TRUE;
}

BOOL SetCommMask(HANDLE h, DWORD mask) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::shared_ptr<EventObject> ev;
    {
        std::lock_guard lock(p->m);
        p->eventMask = mask;
        // A pending wait completes with an empty mask, as the driver does.
        if (p->pending) ev = p->Complete(0, ERROR_SUCCESS);
    }
    if (ev) ev->Set();
    return TRUE;
}

BOOL GetCommMask(HANDLE h, DWORD* mask) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    if (mask) *mask = p->eventMask;
    return TRUE;
}

BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    p->inQueueSize = inQueue;
    p->outQueueSize = outQueue;
    return TRUE;
}

BOOL GetCommState(HANDLE h, DCB* dcb) {
    auto p = Port(h);
    if (!p) return FALSE;
    if (!dcb) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(p->m);
    *dcb = p->dcb;
    return TRUE;
}

BOOL SetCommState(HANDLE h, const DCB* dcb) {
    auto p = Port(h);
    if (!p) return FALSE;
    if (!dcb || dcb->BaudRate == 0 || dcb->ByteSize < 5 || dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY ||
        dcb->StopBits > TWOSTOPBITS)
        return Fail(ERROR_INVALID_PARAMETER);
    tty::LineSettings s;
    s.baud = dcb->BaudRate;
    s.byteSize = dcb->ByteSize;
    s.parity = dcb->Parity;
    s.stopBits = dcb->StopBits;
    s.ctsFlow = (dcb->Flags & dcbflag::fOutxCtsFlow) || dcb->RtsControl() == RTS_CONTROL_HANDSHAKE;
    s.xonOut = dcb->Flags & dcbflag::fOutX;
    s.xonIn = dcb->Flags & dcbflag::fInX;
    s.xonChar = dcb->XonChar;
    s.xoffChar = dcb->XoffChar;
    std::lock_guard lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    std::uint32_t actual = 0;
    if (!tty::Apply(p->fd, s, &actual))
        return Fail(errno == EINVAL ? ERROR_INVALID_PARAMETER : ErrnoToError(errno));
    // The driver picks the nearest speed it can make; more than 3% off is a speed it cannot do.
    if (actual != 0 && (actual * 100ull < dcb->BaudRate * 97ull || actual * 100ull > dcb->BaudRate * 103ull))
        return Fail(ERROR_INVALID_PARAMETER);
    int set = 0, clear = 0;
    (dcb->DtrControl() == DTR_CONTROL_DISABLE ? clear : set) |= linebits::DTR;
    switch (dcb->RtsControl()) {
    case RTS_CONTROL_ENABLE:
        set |= linebits::RTS;
        break;
    case RTS_CONTROL_DISABLE:
    case RTS_CONTROL_TOGGLE:
        clear |= linebits::RTS;
        break; // the writer raises it around each write
    default:
        break; // the kernel drives it (CRTSCTS)
    }
    p->line->SetModemLines(p->fd, set, clear);
    p->dcb = *dcb;
    p->dcb.DCBlength = sizeof(DCB);
    return TRUE;
}

BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) {
    auto p = Port(h);
    if (!p) return FALSE;
    if (!t) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(p->m);
    *t = p->timeouts;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* t) {
    auto p = Port(h);
    if (!p) return FALSE;
    if (!t) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(p->m);
    p->timeouts = *t;
    return TRUE;
}

BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    DWORD e = 0;
    if (p->countersOk) {
        LineCounters c;
        if (p->line->GetCounters(p->fd, &c)) {
            if (c.frame != p->errorCounters.frame) e |= CE_FRAME;
            if (c.parity != p->errorCounters.parity) e |= CE_RXPARITY;
            if (c.overrun != p->errorCounters.overrun) e |= CE_OVERRUN;
            if (c.bufOverrun != p->errorCounters.bufOverrun) e |= CE_RXOVER;
            if (c.brk != p->errorCounters.brk) e |= CE_BREAK;
            p->errorCounters = c;
        }
    }
    if (errors) *errors = e;
    if (stat) {
        int inq = 0, outq = 0;
        tty::InQueue(p->fd, &inq);
        tty::OutQueue(p->fd, &outq);
        stat->Flags = 0;
        if (p->modemOk && (p->dcb.Flags & dcbflag::fOutxCtsFlow) && !(p->lastLines & linebits::CTS))
            stat->Flags |= 1; // fCtsHold
        stat->cbInQue = static_cast<DWORD>(std::max(inq, 0));
        stat->cbOutQue = static_cast<DWORD>(std::max(outq, 0));
    }
    return TRUE;
}

BOOL PurgeComm(HANDLE h, DWORD flags) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    if (flags & PURGE_RXABORT) ++p->readAbortGen;
    if (flags & PURGE_TXABORT) ++p->writeAbortGen;
    if (flags & (PURGE_RXABORT | PURGE_TXABORT)) p->WakeAll();
    // A pseudo-terminal has no transmit queue of its own: what was written already waits on the
    // far side, as bytes already on the wire would, and the kernel's output flush would take it
    // back from there (a modem handshake's "*****" lost to the next exchange's purge).
    tty::Flush(p->fd, flags & PURGE_RXCLEAR, (flags & PURGE_TXCLEAR) && !p->pseudoTerminal);
    if (flags & PURGE_RXCLEAR) {
        p->lastInQue = 0;
        p->WakeAll();
    }
    return TRUE;
}

BOOL EscapeCommFunction(HANDLE h, DWORD func) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    bool ok = true;
    switch (func) {
    case SETRTS:
        ok = p->line->SetModemLines(p->fd, linebits::RTS, 0);
        break;
    case CLRRTS:
        ok = p->line->SetModemLines(p->fd, 0, linebits::RTS);
        break;
    case SETDTR:
        ok = p->line->SetModemLines(p->fd, linebits::DTR, 0);
        break;
    case CLRDTR:
        ok = p->line->SetModemLines(p->fd, 0, linebits::DTR);
        break;
    case SETBREAK:
        ok = tty::Break(p->fd, true);
        break;
    case CLRBREAK:
        ok = tty::Break(p->fd, false);
        break;
    case SETXOFF:
        ok = tty::FlowControl(p->fd, true);
        break;
    case SETXON:
        ok = tty::FlowControl(p->fd, false);
        break;
    case RESETDEV:
        break;
    default:
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // A device without the line (a pseudo-terminal) takes the request as done: no error, no change.
    if (!ok && !Unsupported(errno)) return Fail(ErrnoToError(errno));
    return TRUE;
}

BOOL GetCommModemStatus(HANDLE h, DWORD* status) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::lock_guard lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    DWORD s = 0;
    int lines = 0;
    if (p->modemOk && p->line->GetModemLines(p->fd, &lines)) {
        if (lines & linebits::CTS) s |= MS_CTS_ON;
        if (lines & linebits::DSR) s |= MS_DSR_ON;
        if (lines & linebits::RI) s |= MS_RING_ON;
        if (lines & linebits::CD) s |= MS_RLSD_ON;
    }
    if (status) *status = s;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE h) {
    auto p = Port(h);
    if (!p) return FALSE;
    std::unique_lock lock(p->m);
    if (p->closed) return Fail(ERROR_INVALID_HANDLE);
    InFlight inflight(*p, lock);
    const unsigned gen = p->writeAbortGen;
    // Wait for the queue to empty without blocking in the kernel, so that close and purge can cut it
    // short; then the short drain of the last character.
    for (;;) {
        int outq = 0;
        if (!tty::OutQueue(p->fd, &outq) || outq == 0) break;
        pollfd w{inflight.Wake(), POLLIN, 0};
        lock.unlock();
        ::poll(&w, 1, 2);
        lock.lock();
        Drain(inflight.Wake());
        if (p->closed || p->writeAbortGen != gen) return Fail(ERROR_OPERATION_ABORTED);
    }
    tty::Drain(p->fd);
    return TRUE;
}

BOOL GetDefaultCommConfigA(const char* name, COMMCONFIG* config, DWORD* size) {
    if (!size) return Fail(ERROR_INVALID_PARAMETER);
    if (*size < sizeof(COMMCONFIG) || !config) {
        *size = sizeof(COMMCONFIG);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (ResolveName(name).empty()) return Fail(ERROR_FILE_NOT_FOUND);
    std::memset(config, 0, sizeof(COMMCONFIG));
    config->dwSize = sizeof(COMMCONFIG);
    config->wVersion = 1;
    config->dcb.DCBlength = sizeof(DCB);
    config->dcb.BaudRate = 9600;
    config->dcb.Flags = dcbflag::fBinary | (DTR_CONTROL_ENABLE << dcbflag::fDtrControlShift) |
                        (RTS_CONTROL_ENABLE << dcbflag::fRtsControlShift);
    config->dcb.XonLim = 2048;
    config->dcb.XoffLim = 512;
    config->dcb.ByteSize = 8;
    config->dcb.XonChar = 17;
    config->dcb.XoffChar = 19;
    *size = sizeof(COMMCONFIG);
    return TRUE;
}

// ---- Events ------------------------------------------------------------------------------------

HANDLE CreateEventA(void*, BOOL manualReset, BOOL initialState, const char*) {
    auto ev = std::make_shared<EventObject>();
    if (ev->fd < 0) {
        tlsLastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    ev->manual = manualReset != FALSE;
    if (initialState) ev->Set();
    return Register(ev);
}

BOOL SetEvent(HANDLE h) {
    auto ev = Lookup<EventObject>(h);
    if (!ev) return Fail(ERROR_INVALID_HANDLE);
    ev->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE h) {
    auto ev = Lookup<EventObject>(h);
    if (!ev) return Fail(ERROR_INVALID_HANDLE);
    ev->Reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
    auto ev = Lookup<EventObject>(h);
    if (!ev) {
        tlsLastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    std::optional<Clock::time_point> deadline;
    if (ms != INFINITE) deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        std::shared_ptr<PortObject> port;
        {
            std::lock_guard lock(ev->m);
            if (ev->signalled) {
                if (!ev->manual) {
                    ev->signalled = false;
                    Drain(ev->fd);
                }
                return WAIT_OBJECT_0;
            }
            Drain(ev->fd);
            port = ev->bound.lock();
        }
        if (port) {
            switch (Drive(*port, nullptr, ev.get(), deadline)) {
            case DriveResult::Completed: {
                // The completion was written under the port's lock; take it to see it.
                std::lock_guard lock(port->m);
                return WAIT_OBJECT_0;
            }
            case DriveResult::TimedOut:
                return WAIT_TIMEOUT;
            case DriveResult::Gone: {
                std::lock_guard lock(ev->m);
                if (!ev->bound.expired() && ev->bound.lock() == port) ev->bound.reset();
                break;
            }
            case DriveResult::Signalled:
                break;
            }
            continue;
        }
        pollfd p{ev->fd, POLLIN, 0};
        const int timeout = RemainingMs(deadline, -1);
        if (deadline && timeout == 0) return WAIT_TIMEOUT;
        ::poll(&p, 1, timeout);
    }
}

} // namespace win32
