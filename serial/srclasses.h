#pragma once
// The device-independent half of the serial library: the I/O component base TsrBaseIO with its
// handle, open/close frame, fatal-error path, delivery of received data and device list, and the
// small classes around it (client notification list, log sink, data processors, timer, generic I/O
// thread, device entry). A minimal component frame (owner-free components with loading/design
// states and free notification) and a small edit interface for the terminal stand in for the GUI
// class library, which this library does not include.
#include "platform/thread/Thread.h"
#include "platform/win32/Win32Comm.h"
#include "serial/srsysutils.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// ---- The component frame -----------------------------------------------------------------------

class TObject {
  public:
    virtual ~TObject() = default;
};

enum TOperation { opInsert, opRemove };
constexpr unsigned csLoading = 1;
constexpr unsigned csDesigning = 2;
constexpr unsigned csDestroying = 4;

class TComponent : public TObject {
  public:
    TComponent() = default;
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    unsigned ComponentState = 0;
    // Both components are told (Notification opRemove) when the other goes. Links are counted:
    // each FreeNotification is undone by one RemoveFreeNotification.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);
    virtual void Notification(TComponent*, TOperation) {}
    // Called when the component has been read from its stored form.
    virtual void Loaded() { ComponentState &= ~csLoading; }

  private:
    std::map<TComponent*, int> notified_;
};

// A control with published ordinal properties (the monitors' "Checked").
class TControl : public TComponent {
  public:
    // False when the control has no such property.
    virtual bool SetOrdinalProperty(const std::string&, long) { return false; }
};

constexpr win32::UINT EM_REPLACESEL = 0x00C2;
constexpr win32::UINT WM_SRTERMINAL = 2999;

// The edit a terminal writes into. Every message it receives goes through WindowProc, which a
// component may replace (and restore) to see typed characters first.
class TCustomEdit : public TControl {
  public:
    using TWndMethod = std::function<void(win32::TMessage&)>;
    TCustomEdit();
    TWndMethod WindowProc;
    // Sends a message through WindowProc.
    win32::LRESULT Perform(win32::UINT msg, win32::WPARAM wParam, win32::LPARAM lParam);
    // The edit's own handling: WM_CHAR appends the character, EM_REPLACESEL the NUL-terminated text
    // at lParam; anything else (2999 included) is ignored.
    virtual void DefaultHandler(win32::TMessage& message);
    std::string Text;
};

// ---- Exceptions, events, sets ------------------------------------------------------------------

class EsrError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TOnFatalErrorEvent = std::function<void(TObject* Sender, win32::DWORD ErrorCode, win32::DWORD Detail,
                                              const std::string& ErrorMsg, bool& RaiseException)>;
using TOnReceived = std::function<void(TObject* Com, const void* Buffer, win32::DWORD Received)>;
using TOnSendData =
    std::function<void(TObject* Sender, const void* Data, bool& Handled, bool IsString, win32::DWORD Count)>;

// A set of enumeration values held in the bits of S (bit n = ordinal n).
template <class E, class S> class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E e : values)
            bits_ |= static_cast<S>(S(1) << static_cast<int>(e));
    }
    static constexpr TSet FromBits(S bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(E e) const { return (bits_ >> static_cast<int>(e)) & 1u; }
    constexpr void Include(E e) { bits_ |= static_cast<S>(S(1) << static_cast<int>(e)); }
    constexpr void Exclude(E e) { bits_ &= static_cast<S>(~(S(1) << static_cast<int>(e))); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr S Bits() const { return bits_; }
    constexpr bool operator==(const TSet&) const = default;

  private:
    S bits_ = 0;
};

// ---- Notification list -------------------------------------------------------------------------

class TsrBaseIO;

// A client method (Sender, Code). Code identifies the method, Data the object: two methods with the
// same code count as one whatever their objects.
struct TsrNotifyMethod {
    const void* Code = nullptr;
    void* Data = nullptr;
    void (*Call)(void* Data, TObject* Sender, int Code) = nullptr;

    template <class C, void (C::*M)(TObject*, int)> static TsrNotifyMethod Of(C* object) {
        TsrNotifyMethod m;
        m.Call = &Thunk<C, M>;
        m.Code = reinterpret_cast<const void*>(m.Call);
        m.Data = object;
        return m;
    }

  private:
    template <class C, void (C::*M)(TObject*, int)> static void Thunk(void* data, TObject* sender, int code) {
        (static_cast<C*>(data)->*M)(sender, code);
    }
};

// Notification codes.
constexpr int srNotifyClosed = 1;
constexpr int srNotifyOpened = 2;
constexpr int srNotifyDevicesChanged = 3;

// Guarded by its own lock: a port that fails is closed (and its clients told) from the port's event
// thread while the owner may register clients.
class TsrNotifyList {
  public:
    int AddNotify(const TsrNotifyMethod& method);
    void DeleteNotify(int index);
    void Clear();
    TsrNotifyMethod GetNotify(int index) const;
    int IndexOfNotify(const TsrNotifyMethod& method) const;
    int Count() const;
    void NotifyAll(TObject* sender, int code);

  private:
    mutable std::mutex m_;
    std::vector<TsrNotifyMethod> entries_;
};

// ---- Log sink ----------------------------------------------------------------------------------

class TsrCustomLogFile : public TComponent {
  public:
    TOnFatalErrorEvent OnError;
    virtual void WriteEmpty() = 0;
    virtual void WriteLine(int Level, const std::string& Text) = 0;
    // Format as given (with the caller's prefix) and the text it produced.
    virtual void WriteFormat(int Level, const std::string& Format, const std::string& Text) = 0;
};

// printf-style formatting for the log texts.
std::string srFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Timer -------------------------------------------------------------------------------------

// A timer whose ticks run on the UI thread (handed over from its own thread), as a window timer's
// WM_TIMER would.
class TsrTimer : public TObject {
  public:
    TsrTimer();
    ~TsrTimer() override;
    win32::DWORD Interval() const { return interval_; }
    void SetInterval(win32::DWORD ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    void SetOnTimer(TNotifyEvent handler);

  protected:
    virtual void Timer();

  private:
    void UpdateTimer();
    void Loop(unsigned generation);

    win32::DWORD interval_ = 1000;
    bool enabled_ = true;
    TNotifyEvent onTimer_;
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

// ---- Data processor ----------------------------------------------------------------------------

class TsrCustomDataProcessor : public TComponent {
  public:
    TsrCustomDataProcessor();
    ~TsrCustomDataProcessor() override;

    TsrBaseIO* IO() const { return io_; }
    TsrCustomDataProcessor* Next() const { return next_; }
    TsrCustomLogFile* Log = nullptr;
    TOnFatalErrorEvent OnError;
    TOnSendData OnSendData;
    std::uint8_t Flag = 0;
    std::string LogPrefix;

    virtual void IONotify(TObject* Sender, int Code);
    virtual void MediumClosed();
    virtual void MediumOpened();
    virtual void SetNext(TsrCustomDataProcessor* next);
    virtual void SetIO(TsrBaseIO* io);
    virtual void SetFlag(std::uint8_t flag) { Flag = flag; }
    virtual void DoDataSend(const void* Buffer, win32::DWORD Count);
    virtual void DoStringSend(const std::string& Text);
    virtual void TimerTick(TObject* Sender);
    virtual void StartTimer(win32::DWORD Interval);
    virtual void FatalError(win32::DWORD ErrorCode, win32::DWORD Detail, const std::string& ErrorMsg);
    virtual void DataReceived(const void* Buffer, win32::DWORD Count, bool& Handled);
    virtual void ReceiveData(const void* Buffer, win32::DWORD Count);
    virtual void TxEmpty(bool& Handled);
    void Notification(TComponent* c, TOperation op) override;

    void LogMessage(int Level, const std::string& Text);

  protected:
    TsrTimer* Timer() { return timer_.get(); }

  private:
    TsrBaseIO* io_ = nullptr;
    TsrCustomDataProcessor* next_ = nullptr;
    std::unique_ptr<TsrTimer> timer_;
};

// ---- Device entry ------------------------------------------------------------------------------

class TsrDevice : public TObject {
  public:
    int Index = -1;
    TsrBaseIO* Owner = nullptr;
    std::uint32_t DevInst = 0;
    int Number = 0;
    std::string Name;
    std::string DeviceObject;
    std::string ListedName;
    std::string SymbolicName;
    std::string RegistryKey;
    std::string Description;
    std::string Service;
    std::string Driver;
    std::string InstanceId;
    std::string Children;
    std::string PortName;
    std::string Manufacturer;
    std::array<std::uint8_t, 16> ClassGuid{};
};

// ---- Generic I/O thread ------------------------------------------------------------------------

class TsrThreadIO : public platform::TThread {
  public:
    TsrThreadIO(TsrBaseIO* io, platform::TThreadPriority priority);
    ~TsrThreadIO() override;

  protected:
    void Execute() override;

  private:
    TsrBaseIO* io_;
};

// ---- The I/O component -------------------------------------------------------------------------

enum TTerminalUsage { tuNone, tuSend, tuReceive, tuBoth };

class TsrBaseIO : public TComponent {
  public:
    TsrBaseIO();
    ~TsrBaseIO() override;

    // Open / closed; while loading (or at design time) the held value.
    bool Active() const;
    void SetActive(bool value);

    TsrCustomLogFile* Log() const { return log_; }
    void SetLog(TsrCustomLogFile* log);
    TsrCustomDataProcessor* DataProcessor() const { return dataProcessor_; }
    void SetDataProcessor(TsrCustomDataProcessor* processor);
    TCustomEdit* Terminal() const { return terminal_; }
    void SetTerminal(TCustomEdit* edit);
    TTerminalUsage TerminalUsage() const { return terminalUsage_; }
    void SetTerminalUsage(TTerminalUsage usage);
    bool TerminalEcho = false;
    bool UseMainThread() const { return useMainThread_.load(); }
    void SetUseMainThread(bool on) { useMainThread_.store(on); }
    platform::TThreadPriority ThreadPriority = platform::TThreadPriority::tpNormal;

    TOnFatalErrorEvent OnFatalError;
    TNotifyEvent OnClose;
    TOnReceived OnAfterReceive;

    win32::HANDLE Handle() const { return handle_.load(); }
    const std::string& LogPrefix() const { return logPrefix_; }

    // Virtual operations, in the class library's order.
    virtual bool IsOpen() const;
    virtual win32::HANDLE OpenHandle();
    virtual void CloseHandle();
    virtual bool HasReceiver() const;
    virtual void Open();
    virtual void Close();
    virtual void StartThreads();
    virtual void StopThreads();
    virtual void ThreadBody(platform::TThread* thread);
    virtual void FatalError(win32::DWORD ErrorCode, win32::DWORD Detail, const std::string& ErrorMsg,
                            bool ShowOnly);
    virtual void NotifyClients(int Code);
    virtual void DoDataReceived(void* Buffer, win32::DWORD Count);
    virtual bool DoTxEmpty();
    virtual void SetDeviceIndex(int Index);
    virtual int GetDeviceIndex() const = 0;
    virtual void AddDevice(TsrDevice* Device);
    virtual int InsertDevice(TsrDevice* Device);
    virtual void EnumDevices() = 0;
    virtual void ClearDevices();
    virtual void TerminalWrite(void* Buffer, win32::DWORD Count);
    virtual void UpdateDevices();
    virtual int RegisterNotify(const TsrNotifyMethod& Method);
    virtual void UnregisterNotify(const TsrNotifyMethod& Method);
    virtual void SendChar(std::uint8_t Ch) = 0;
    virtual void SendString(const std::string& Text) = 0;
    virtual void SendData(const void* Buffer, win32::DWORD Count) = 0;
    virtual void PurgeIn() = 0;
    virtual void PurgeOut() = 0;
    virtual void PurgeAll() = 0;
    // The device list's display names, each with its TsrDevice as the object (nullptr: only enumerate).
    virtual void GetPortList(TStringList* Strings);
    virtual bool HandleDeviceChange(win32::TMessage& Message);

    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;

    void LogMessage(int Level, const std::string& Text);
    void LogFormat(int Level, const std::string& Format, const std::string& Text);

    TsrDevice* GetDevice(int Index) const;
    int GetDeviceCount() const { return static_cast<int>(devices_.size()); }
    int IndexOfDeviceNumber(int Number) const;
    bool OwnsDevices = true;

  protected:
    void SetHandle(win32::HANDLE h) { handle_.store(h); }
    void SetLogPrefix(const std::string& prefix) { logPrefix_ = prefix; }
    void TerminalWndProc(win32::TMessage& Message);

    win32::OVERLAPPED ReadOS{};
    win32::OVERLAPPED WriteOS{};
    win32::OVERLAPPED NoWaitOS{};
    bool ThreadsStopped = true;

  private:
    TsrNotifyList notifyList_;
    TsrCustomLogFile* log_ = nullptr;
    TsrCustomDataProcessor* dataProcessor_ = nullptr;
    struct DeviceEntry {
        std::string Name;
        TsrDevice* Device;
    };
    std::vector<DeviceEntry> devices_;
    TCustomEdit* outputWindow_ = nullptr;
    TTerminalUsage terminalUsage_ = tuNone;
    TCustomEdit* terminal_ = nullptr;
    TCustomEdit::TWndMethod savedWndProc_;
    bool terminalWriting_ = false;
    std::unique_ptr<TsrThreadIO> threadIO_;
    std::atomic<bool> useMainThread_{false};
    bool heldActive_ = false;
    std::atomic<win32::HANDLE> handle_;
    std::string logPrefix_;
};
