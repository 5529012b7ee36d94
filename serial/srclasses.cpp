#include "serial/srclasses.h"

#include "platform/diag/Diagnostica.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace win32;

// ---- Component frame ---------------------------------------------------------------------------

TComponent::~TComponent() {
    ComponentState |= csDestroying;
    // Copy: a notified component may change the links meanwhile.
    const auto others = notified_;
    for (const auto& [other, count] : others) {
        other->notified_.erase(this);
        other->Notification(this, opRemove);
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    ++notified_[other];
    ++other->notified_[this];
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    auto drop = [](std::map<TComponent*, int>& links, TComponent* c) {
        auto it = links.find(c);
        if (it != links.end() && --it->second <= 0) links.erase(it);
    };
    drop(notified_, other);
    drop(other->notified_, this);
}

TCustomEdit::TCustomEdit() {
    WindowProc = [this](TMessage& m) { DefaultHandler(m); };
}

LRESULT TCustomEdit::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    if (WindowProc) WindowProc(m);
    return m.Result;
}

void TCustomEdit::DefaultHandler(TMessage& m) {
    if (m.Msg == WM_CHAR)
        Text += static_cast<char>(m.WParam);
    else if (m.Msg == EM_REPLACESEL && m.LParam)
        Text += reinterpret_cast<const char*>(m.LParam);
}

std::string srFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    std::string out;
    if (n < 0) {
        out = format;
    } else if (static_cast<std::size_t>(n) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(n));
    } else {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(args);
    return out;
}

// ---- Notification list -------------------------------------------------------------------------

int TsrNotifyList::AddNotify(const TsrNotifyMethod& method) {
    std::lock_guard lock(m_);
    entries_.push_back(method);
    return static_cast<int>(entries_.size()) - 1;
}

void TsrNotifyList::DeleteNotify(int index) {
    std::lock_guard lock(m_);
    if (index >= 0 && index < static_cast<int>(entries_.size())) entries_.erase(entries_.begin() + index);
}

void TsrNotifyList::Clear() {
    std::lock_guard lock(m_);
    entries_.clear();
}

TsrNotifyMethod TsrNotifyList::GetNotify(int index) const {
    std::lock_guard lock(m_);
    return entries_.at(static_cast<std::size_t>(index));
}

int TsrNotifyList::Count() const {
    std::lock_guard lock(m_);
    return static_cast<int>(entries_.size());
}

int TsrNotifyList::IndexOfNotify(const TsrNotifyMethod& method) const {
    std::lock_guard lock(m_);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].Code == method.Code) return static_cast<int>(i);
    return -1;
}

void TsrNotifyList::NotifyAll(TObject* sender, int code) {
    // A client may unregister while being told; go by a copy, without holding the lock.
    std::vector<TsrNotifyMethod> copy;
    {
        std::lock_guard lock(m_);
        copy = entries_;
    }
    for (const auto& m : copy)
        if (m.Call) m.Call(m.Data, sender, code);
}

// ---- Timer -------------------------------------------------------------------------------------

struct TsrTimer::Shared {
    std::mutex m;
    std::condition_variable cv;
    unsigned generation = 0; // changes when the timer is set again; the old loop ends
    bool alive = true;
    TsrTimer* owner = nullptr;
};

TsrTimer::TsrTimer() : shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
}

TsrTimer::~TsrTimer() {
    {
        std::lock_guard lock(shared_->m);
        shared_->alive = false;
        ++shared_->generation;
        shared_->cv.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void TsrTimer::SetInterval(DWORD ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TsrTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    UpdateTimer();
}

void TsrTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TsrTimer::Timer() {
    if (!enabled_ || !onTimer_) return;
    try {
        onTimer_(this);
    } catch (...) {
        // A tick handler's failure does not stop the timer.
        platform::Diagnostica("srclasses", "timer handler failed: " + platform::MotivoEccezione());
    }
}

void TsrTimer::UpdateTimer() {
    unsigned generation;
    {
        std::lock_guard lock(shared_->m);
        generation = ++shared_->generation; // kill the running timer
        shared_->cv.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    if (interval_ != 0 && enabled_ && onTimer_)
        thread_ = std::thread([this, generation] { Loop(generation); });
}

void TsrTimer::Loop(unsigned generation) {
    const auto interval = std::chrono::milliseconds(interval_);
    std::unique_lock lock(shared_->m);
    for (;;) {
        if (shared_->cv.wait_for(lock, interval, [&] { return shared_->generation != generation; })) return;
        auto shared = shared_;
        auto tick = [shared, generation] {
            TsrTimer* owner = nullptr;
            {
                std::lock_guard l(shared->m);
                if (shared->alive && shared->generation == generation) owner = shared->owner;
            }
            if (owner) owner->Timer();
        };
        lock.unlock();
        if (auto* ui = platform::UiThread())
            ui->Post(tick);
        else
            tick();
        lock.lock();
    }
}

// ---- Data processor ----------------------------------------------------------------------------

TsrCustomDataProcessor::TsrCustomDataProcessor() : timer_(std::make_unique<TsrTimer>()) {
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](TObject* s) { TimerTick(s); });
}

TsrCustomDataProcessor::~TsrCustomDataProcessor() {
    SetIO(nullptr);
    timer_.reset();
}

void TsrCustomDataProcessor::IONotify(TObject*, int Code) {
    if (Code == srNotifyClosed)
        MediumClosed();
    else if (Code == srNotifyOpened)
        MediumOpened();
}

void TsrCustomDataProcessor::MediumClosed() {
    LogMessage(2, "Medium Closed");
}
void TsrCustomDataProcessor::MediumOpened() {
    LogMessage(2, "Medium Opened");
}

void TsrCustomDataProcessor::SetNext(TsrCustomDataProcessor* next) {
    if (next == next_) return;
    if (next_) RemoveFreeNotification(next_);
    next_ = next;
    if (next_) {
        FreeNotification(next_);
        next_->SetIO(io_);
    }
}

void TsrCustomDataProcessor::SetIO(TsrBaseIO* io) {
    if (io_ == io) return;
    if (io_) {
        io_->UnregisterNotify(
            TsrNotifyMethod::Of<TsrCustomDataProcessor, &TsrCustomDataProcessor::IONotify>(this));
        RemoveFreeNotification(io_);
    }
    io_ = io;
    if (io_) {
        io_->RegisterNotify(
            TsrNotifyMethod::Of<TsrCustomDataProcessor, &TsrCustomDataProcessor::IONotify>(this));
        FreeNotification(io_);
    }
}

void TsrCustomDataProcessor::Notification(TComponent* c, TOperation op) {
    if (op != opRemove) return;
    if (c == next_) {
        next_ = nullptr;
    }
    if (c == io_) io_ = nullptr; // it is going: nothing to unregister from
    if (c == Log) Log = nullptr;
}

void TsrCustomDataProcessor::DoDataSend(const void* Buffer, DWORD Count) {
    if (!Buffer || Count == 0) return;
    try {
        bool handled = false;
        if (OnSendData) OnSendData(this, Buffer, handled, false, Count);
        if (handled) {
            timer_->SetEnabled(false);
            timer_->SetEnabled(true);
        } else if (io_) {
            io_->SendData(Buffer, Count);
            FlushFileBuffers(io_->Handle());
        }
        LogMessage(2, srFormat("DoDataSend: %u bytes", Count));
    } catch (...) {
        // A failing send handler or write does not reach the sender.
        platform::Diagnostica("srclasses", "data not sent: " + platform::MotivoEccezione());
    }
}

void TsrCustomDataProcessor::DoStringSend(const std::string& Text) {
    if (Text.empty()) return;
    try {
        bool handled = false;
        if (OnSendData) OnSendData(this, Text.data(), handled, true, static_cast<DWORD>(Text.size()));
        if (!handled && io_) io_->SendString(Text);
    } catch (...) {
        // As for data: the sender is not told.
        platform::Diagnostica("srclasses", "text not sent: " + platform::MotivoEccezione());
    }
}

void TsrCustomDataProcessor::TimerTick(TObject*) {
    timer_->SetEnabled(false);
    bool handled = false;
    TxEmpty(handled);
}

void TsrCustomDataProcessor::StartTimer(DWORD Interval) {
    timer_->SetEnabled(false);
    if (Interval != 0) {
        timer_->SetInterval(Interval);
        timer_->SetEnabled(true);
    }
}

void TsrCustomDataProcessor::FatalError(DWORD ErrorCode, DWORD Detail, const std::string& ErrorMsg) {
    bool raise = true;
    if (OnError) OnError(this, ErrorCode, Detail, ErrorMsg, raise);
    if (Log)
        Log->WriteFormat(0, "Fatal Error: %u, %u, %s",
                         srFormat("Fatal Error: %u, %u, %s", ErrorCode, Detail, ErrorMsg.c_str()));
    if (raise && !(ComponentState & csLoading)) throw EsrError(ErrorMsg);
}

void TsrCustomDataProcessor::DataReceived(const void* Buffer, DWORD Count, bool& Handled) {
    if (next_) next_->DataReceived(Buffer, Count, Handled);
}

void TsrCustomDataProcessor::ReceiveData(const void* Buffer, DWORD Count) {
    bool handled = false;
    DataReceived(Buffer, Count, handled);
}

void TsrCustomDataProcessor::TxEmpty(bool&) {}

void TsrCustomDataProcessor::LogMessage(int Level, const std::string& Text) {
    if (!Log) return;
    if (Text.empty())
        Log->WriteEmpty();
    else
        Log->WriteLine(Level, LogPrefix + Text);
}

// ---- Generic I/O thread ------------------------------------------------------------------------

// Started by its owner once the owner holds it, so that the body finds itself there.
TsrThreadIO::TsrThreadIO(TsrBaseIO* io, platform::TThreadPriority priority) : io_(io) {
    SetPriority(priority);
}

TsrThreadIO::~TsrThreadIO() {
    Terminate();
    WaitFor();
}

void TsrThreadIO::Execute() {
    // A body that fails ends the thread, which logs the exception and keeps it.
    io_->ThreadBody(this);
}

// ---- TsrBaseIO ---------------------------------------------------------------------------------

TsrBaseIO::TsrBaseIO() : handle_(INVALID_HANDLE_VALUE), logPrefix_("TsrBaseIO") {
    ReadOS.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WriteOS.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

TsrBaseIO::~TsrBaseIO() {
    if (threadIO_) threadIO_.reset();
    if (terminal_) SetTerminal(nullptr);
    if (dataProcessor_) SetDataProcessor(nullptr);
    win32::CloseHandle(ReadOS.hEvent);
    win32::CloseHandle(WriteOS.hEvent);
    ClearDevices();
    notifyList_.Clear();
}

bool TsrBaseIO::Active() const {
    if (ComponentState & (csLoading | csDesigning)) return heldActive_;
    return IsOpen();
}

void TsrBaseIO::SetActive(bool value) {
    if (ComponentState & csLoading) {
        heldActive_ = value;
        return;
    }
    const bool designing = (ComponentState & csDesigning) != 0;
    if (value == IsOpen() && !designing) return;
    if (value)
        Open();
    else
        Close();
    if (designing) {
        // At design time an open is only a test: the port is closed again at once.
        heldActive_ = IsOpen();
        if (IsOpen()) Close();
    }
}

void TsrBaseIO::SetLog(TsrCustomLogFile* log) {
    if (log_) RemoveFreeNotification(log_);
    log_ = log;
    if (log_) FreeNotification(log_);
}

void TsrBaseIO::SetDataProcessor(TsrCustomDataProcessor* processor) {
    if (processor == dataProcessor_) return;
    if (dataProcessor_) {
        TsrCustomDataProcessor* old = dataProcessor_;
        dataProcessor_ = nullptr;
        old->SetIO(nullptr);
        RemoveFreeNotification(old);
    }
    if (processor) {
        dataProcessor_ = processor;
        processor->SetIO(this);
        FreeNotification(processor);
    }
}

void TsrBaseIO::SetTerminal(TCustomEdit* edit) {
    if (terminal_) {
        terminal_->WindowProc = savedWndProc_;
        savedWndProc_ = nullptr;
        terminal_->Perform(WM_SRTERMINAL, 0, 0);
        RemoveFreeNotification(terminal_);
    }
    terminal_ = edit;
    outputWindow_ = nullptr;
    if (edit) {
        edit->Perform(WM_SRTERMINAL, reinterpret_cast<WPARAM>(this), 0);
        savedWndProc_ = edit->WindowProc;
        edit->WindowProc = [this](TMessage& m) { TerminalWndProc(m); };
        if ((ComponentState & csDesigning) && terminalUsage_ == tuNone) terminalUsage_ = tuBoth;
        FreeNotification(edit);
    }
    SetTerminalUsage(terminalUsage_);
}

void TsrBaseIO::SetTerminalUsage(TTerminalUsage usage) {
    terminalUsage_ = usage;
    if (terminal_) outputWindow_ = (usage == tuReceive || usage == tuBoth) ? terminal_ : nullptr;
}

void TsrBaseIO::TerminalWndProc(TMessage& Message) {
    if (Message.Msg == WM_CHAR && !terminalWriting_ &&
        (terminalUsage_ == tuSend || terminalUsage_ == tuBoth)) {
        SendChar(static_cast<std::uint8_t>(Message.WParam));
        if (!TerminalEcho) return;
    }
    if (savedWndProc_) savedWndProc_(Message);
}

void TsrBaseIO::TerminalWrite(void* Buffer, DWORD Count) {
    if (!outputWindow_ || !Buffer || Count == 0) return;
    terminalWriting_ = true;
    auto* bytes = static_cast<std::uint8_t*>(Buffer);
    if (Count == 1) {
        outputWindow_->Perform(WM_CHAR, bytes[0], 1);
    } else {
        // The buffer holds Count + 1 bytes: a NUL goes after the data, and each NUL-separated piece
        // is appended.
        bytes[Count] = 0;
        DWORD i = 0;
        while (i < Count) {
            const char* piece = reinterpret_cast<const char*>(bytes + i);
            const std::size_t len = std::strlen(piece);
            if (len) outputWindow_->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(piece));
            i += static_cast<DWORD>(len) + 1;
        }
    }
    terminalWriting_ = false;
}

bool TsrBaseIO::IsOpen() const {
    return handle_.load() != INVALID_HANDLE_VALUE;
}
HANDLE TsrBaseIO::OpenHandle() {
    return INVALID_HANDLE_VALUE;
}
void TsrBaseIO::CloseHandle() {
    win32::CloseHandle(handle_.load());
}

bool TsrBaseIO::HasReceiver() const {
    return terminal_ || OnAfterReceive || dataProcessor_;
}

void TsrBaseIO::Open() {
    SetHandle(OpenHandle());
}

void TsrBaseIO::Close() {
    if (!IsOpen()) return;
    CloseHandle();
    SetHandle(INVALID_HANDLE_VALUE);
    if (OnClose) {
        try {
            OnClose(this);
        } catch (...) {
            // The port is closed whatever the owner's handler did.
            platform::Diagnostica("srclasses", "close handler failed: " + platform::MotivoEccezione());
        }
    }
}

void TsrBaseIO::StartThreads() {
    ThreadsStopped = false;
    threadIO_ = std::make_unique<TsrThreadIO>(this, ThreadPriority);
    threadIO_->Start();
}

void TsrBaseIO::StopThreads() {
    if (ThreadsStopped) return;
    ThreadsStopped = true;
    threadIO_.reset(); // terminates and waits
}

void TsrBaseIO::ThreadBody(platform::TThread*) {}

void TsrBaseIO::FatalError(DWORD ErrorCode, DWORD Detail, const std::string& ErrorMsg, bool ShowOnly) {
    bool raise = true;
    if (OnFatalError) OnFatalError(this, ErrorCode, Detail, ErrorMsg, raise);
    if (log_)
        log_->WriteFormat(0, "Fatal Error: %u, %u, %s",
                          srFormat("Fatal Error: %u, %u, %s", ErrorCode, Detail, ErrorMsg.c_str()));
    if (!raise || (ComponentState & csLoading)) return;
    if (!ShowOnly) throw EsrError(ErrorMsg);
    if (auto* ui = platform::UiThread())
        ui->ShowException(ErrorMsg);
    else
        platform::Diagnostica("srclasses", ErrorMsg);
}

void TsrBaseIO::NotifyClients(int Code) {
    notifyList_.NotifyAll(this, Code);
}

void TsrBaseIO::DoDataReceived(void* Buffer, DWORD Count) {
    if (threadIO_ && UseMainThread() && platform::GetCurrentThreadId() == threadIO_->ThreadID()) {
        platform::TThread::Synchronize([&] { DoDataReceived(Buffer, Count); });
        return;
    }
    LogMessage(2, "Input data length: " + std::to_string(Count));
    bool handled = false;
    if (dataProcessor_) dataProcessor_->DataReceived(Buffer, Count, handled);
    if (terminal_ && !handled) TerminalWrite(Buffer, Count);
    if (OnAfterReceive) OnAfterReceive(this, Buffer, Count);
}

bool TsrBaseIO::DoTxEmpty() {
    bool handled = false;
    if (dataProcessor_) dataProcessor_->TxEmpty(handled);
    return handled;
}

void TsrBaseIO::SetDeviceIndex(int) {
    NotifyClients(srNotifyDevicesChanged);
}

void TsrBaseIO::AddDevice(TsrDevice* Device) {
    devices_.push_back({Device->Name, Device});
    Device->Index = GetDeviceCount() - 1;
    Device->Owner = this;
}

int TsrBaseIO::InsertDevice(TsrDevice* Device) {
    if (devices_.empty() || devices_.back().Device->Number < Device->Number) {
        AddDevice(Device);
        return Device->Index;
    }
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].Device->Number == Device->Number) return -1;
        if (devices_[i].Device->Number > Device->Number) {
            devices_.insert(devices_.begin() + static_cast<std::ptrdiff_t>(i),
                            DeviceEntry{Device->Name, Device});
            Device->Index = static_cast<int>(i);
            Device->Owner = this;
            for (std::size_t j = i + 1; j < devices_.size(); ++j)
                ++devices_[j].Device->Index;
            return Device->Index;
        }
    }
    return -1;
}

void TsrBaseIO::ClearDevices() {
    if (OwnsDevices)
        for (auto& d : devices_)
            delete d.Device;
    devices_.clear();
}

void TsrBaseIO::UpdateDevices() {
    NotifyClients(srNotifyDevicesChanged);
}

int TsrBaseIO::RegisterNotify(const TsrNotifyMethod& Method) {
    const int i = notifyList_.IndexOfNotify(Method);
    return i >= 0 ? i : notifyList_.AddNotify(Method);
}

void TsrBaseIO::UnregisterNotify(const TsrNotifyMethod& Method) {
    const int i = notifyList_.IndexOfNotify(Method);
    if (i >= 0) notifyList_.DeleteNotify(i);
}

void TsrBaseIO::GetPortList(TStringList* Strings) {
    if (devices_.empty()) EnumDevices();
    if (!Strings) return;
    Strings->Clear();
    for (const auto& d : devices_)
        Strings->Add(d.Name, reinterpret_cast<std::intptr_t>(d.Device));
}

bool TsrBaseIO::HandleDeviceChange(TMessage& Message) {
    if (Message.Msg != WM_DEVICECHANGE) return false;
    if (Message.WParam != DBT_DEVICEARRIVAL && Message.WParam != DBT_DEVICEREMOVECOMPLETE &&
        Message.WParam != DBT_DEVNODES_CHANGED)
        return false;
    if (Message.WParam != DBT_DEVNODES_CHANGED) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(Message.LParam);
        if (!header || header->dbch_devicetype != DBT_DEVTYP_PORT) return false;
    }
    UpdateDevices();
    return true;
}

void TsrBaseIO::Loaded() {
    TComponent::Loaded();
    try {
        SetTerminal(terminal_);
        SetTerminalUsage(terminalUsage_);
        SetActive(heldActive_);
    } catch (const std::exception&) {
        // The stored form opened a port that is not there: say so, and go on loading. The user's
        // text says nothing more: the reason goes to the log.
        platform::Diagnostica("srclasses", "opening the loaded port failed: " + platform::MotivoEccezione());
        if (auto* ui = platform::UiThread()) ui->ShowException("error");
    }
}

void TsrBaseIO::Notification(TComponent* c, TOperation op) {
    if (op != opRemove) return;
    if (c == dataProcessor_) {
        dataProcessor_ = nullptr;
    } else if (c == terminal_) {
        terminal_ = nullptr;
        outputWindow_ = nullptr;
        savedWndProc_ = nullptr;
    } else if (c == log_) {
        log_ = nullptr;
    }
}

void TsrBaseIO::LogMessage(int Level, const std::string& Text) {
    if (!log_) return;
    if (Text.empty())
        log_->WriteEmpty();
    else
        log_->WriteLine(Level, logPrefix_ + Text);
}

void TsrBaseIO::LogFormat(int Level, const std::string& Format, const std::string& Text) {
    if (log_) log_->WriteFormat(Level, logPrefix_ + Format, logPrefix_ + Text);
}

TsrDevice* TsrBaseIO::GetDevice(int Index) const {
    if (Index < 0 || Index >= GetDeviceCount()) return nullptr;
    return devices_[static_cast<std::size_t>(Index)].Device;
}

int TsrBaseIO::IndexOfDeviceNumber(int Number) const {
    for (int i = 0; i < GetDeviceCount(); ++i)
        if (devices_[static_cast<std::size_t>(i)].Device->Number == Number) return i;
    return -1;
}
