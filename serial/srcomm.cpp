#include "serial/srcomm.h"

#include "serial/srwin32di.h"

#include "platform/diag/Diagnostica.h"

#include <algorithm>
#include <cstring>

using namespace win32;

const UINT srCommMsgComEvent = platform::RegisterWindowMessageA("srCommMsgComEvent");
const UINT srCommMsgQuitComEvent = platform::RegisterWindowMessageA("srCommMsgQuitComEvent");

// ---- Event thread ------------------------------------------------------------------------------

// The event exists before the thread runs: a stop that comes before the body has started still
// finds it to signal, and the body, which looks at the stop before every wait, never blocks on it.
TCommThread::TCommThread(TsrCustomComm* comm, DWORD msgThreadId)
    : FComm(comm), FHandle(comm->Handle()), FMsgThreadId(msgThreadId),
      FEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

TCommThread::~TCommThread() {
    Stop();
    WaitFor();
    CloseHandle(FEvent);
}

void TCommThread::Stop() {
    Terminate();
    if (FEvent) SetEvent(FEvent);
}

void TCommThread::Execute() {
    if (FHandle != INVALID_HANDLE_VALUE) {
        while (!Terminated()) {
            FOS = OVERLAPPED{};
            FOS.hEvent = FEvent;
            FMask = 0;
            if (!WaitCommEvent(FHandle, &FMask, &FOS)) {
                const DWORD error = GetLastError();
                if (error == ERROR_IO_PENDING) {
                    // A stop signals the event after setting the flag: whichever of the two the
                    // body sees, it does not wait past the stop.
                    const DWORD r = Terminated() ? WAIT_OBJECT_0 : WaitForSingleObject(FOS.hEvent, INFINITE);
                    if (Terminated()) break;
                    if (r != WAIT_OBJECT_0) FMask = 0;
                } else if (error == ERROR_INVALID_PARAMETER && FMask == 0) {
                    // A wait that the driver refused for now; try again.
                } else if (error == ERROR_INVALID_HANDLE) {
                    break;
                } else {
                    // The port failed under us (device removed): close it from here, quietly.
                    FComm->CloseFromEventThread(this);
                    break;
                }
            }
            if (FMask != 0) {
                while (!Terminated()) {
                    if (!FComm->IsOpen()) break;
                    if (platform::PostThreadMessageA(FMsgThreadId, srCommMsgComEvent, FMask, 0)) break;
                    Sleep(1);
                }
            }
            if (Terminated() || !FComm->IsOpen()) break;
        }
    }
    // The pending wait must not outlive the request record and the mask it would fill in.
    CancelIo(FHandle);
}

// ---- Message thread ----------------------------------------------------------------------------

TMsgThread::TMsgThread(TsrCustomComm* comm) : FComm(comm) {}

TMsgThread::~TMsgThread() {
    Stop();
    WaitFor();
}

void TMsgThread::Stop() {
    Terminate();
    platform::PostThreadMessageA(ThreadID(), srCommMsgQuitComEvent, 0, 0);
}

void TMsgThread::DoProcessEvent() {
    if (!Terminated()) FComm->ProcessCommEvent(FMsg);
}

void TMsgThread::Execute() {
    if (!FComm) return;
    while (!Terminated()) {
        if (!platform::GetMessageA(&FMsg, nullptr, 0xC000, 0xFFFF)) break;
        if (!FComm->IsOpen() || Terminated()) break;
        if (FMsg.message == srCommMsgQuitComEvent) break;
        if (FMsg.hwnd == nullptr && FMsg.message == srCommMsgComEvent) {
            platform::IUiThread* ui = platform::UiThread();
            if (ui && ui->HasApplication() && FComm->UseMainThread())
                Synchronize([this] { DoProcessEvent(); });
            else
                FComm->ProcessCommEvent(FMsg);
        } else {
            platform::DispatchMessageA(&FMsg);
        }
    }
}

// ---- TsrCustomComm -----------------------------------------------------------------------------

class TsrCustomComm::CloseSection {
  public:
    explicit CloseSection(TsrCustomComm& c, const std::function<bool()>& giveUp = nullptr)
        : c_(c), state_(c.EnterClose(giveUp)) {}
    ~CloseSection() {
        if (state_ == 1) c_.LeaveClose();
    }
    bool Entered() const { return state_ >= 0; }

  private:
    TsrCustomComm& c_;
    int state_;
};

TsrCustomComm::TsrCustomComm() {
    FRtsEmulation = !DriverTogglesRts();
    SetUseMainThread(true);
    FTraceStates = {};
    FCommConfig.dwSize = sizeof(COMMCONFIG);
    FCommConfig.dcb.DCBlength = sizeof(DCB);
    FBufferInSize = 8192;
    FBufferOutSize = 8192;
}

TsrCustomComm::~TsrCustomComm() {
    ShutDown();
    ReapRetired();
}

void TsrCustomComm::ShutDown() {
    SetTerminal(nullptr);
    SetDataProcessor(nullptr);
    OnTraceState = nullptr;
    Close();
    // An event thread that closed a failed port by itself may still be on its way out through our
    // virtual members: wait for it here, from the most derived destructor, before the object's
    // dynamic type starts to unwind.
    ReapRetired();
}

int TsrCustomComm::EnterClose(const std::function<bool()>& giveUp) {
    std::unique_lock lock(FCloseMutex);
    if (FCloseBusy && FCloseOwner == std::this_thread::get_id()) return 0;
    while (FCloseBusy) {
        if (giveUp && giveUp()) return -1;
        platform::IUiThread* ui = platform::UiThread();
        if (ui && ui->IsUiThread()) {
            // The other closer may wait for a handed-over call: let it run.
            lock.unlock();
            ui->ProcessMessages();
            lock.lock();
        }
        FCloseCv.wait_for(lock, std::chrono::milliseconds(2));
    }
    FCloseBusy = true;
    FCloseOwner = std::this_thread::get_id();
    return 1;
}

void TsrCustomComm::LeaveClose() {
    std::lock_guard lock(FCloseMutex);
    FCloseBusy = false;
    FCloseOwner = std::thread::id();
    FCloseCv.notify_all();
}

void TsrCustomComm::ReapRetired() {
    // A thread never waits for itself: one that is still the caller stays for the next time.
    const DWORD self = platform::GetCurrentThreadId();
    std::vector<std::unique_ptr<platform::TThread>> keep;
    for (auto& t : FRetired)
        if (t->ThreadID() == self) keep.push_back(std::move(t));
    FRetired.clear(); // the others are waited for here
    FRetired = std::move(keep);
}

bool TsrCustomComm::ThreadsRunning() const {
    if (FCommThread || FMsgThread) return true;
    for (const auto& t : FRetired)
        if (!t->Finished()) return true;
    return !FRetired.empty();
}

void TsrCustomComm::SetMonitor(TControl*& slot, TControl* c) {
    if (slot) RemoveFreeNotification(slot);
    slot = c;
    if (c) FreeNotification(c);
}

void TsrCustomComm::Notification(TComponent* c, TOperation op) {
    TsrBaseIO::Notification(c, op);
    if (op != opRemove) return;
    if (c == FMonitorCTS) FMonitorCTS = nullptr;
    if (c == FMonitorDSR) FMonitorDSR = nullptr;
    if (c == FMonitorRLSD) FMonitorRLSD = nullptr;
    if (c == FMonitorRing) FMonitorRing = nullptr;
}

void TsrCustomComm::SetBaudRate(DWORD value) {
    MutableDcb().BaudRate = value;
    UpdateDCB();
}

void TsrCustomComm::SetParity(TParity value) {
    MutableDcb().Parity = value;
    if (value != pNone)
        MutableDcb().Flags |= dcbflag::fParity;
    else
        MutableDcb().Flags &= ~dcbflag::fParity;
    UpdateDCB();
}

void TsrCustomComm::SetStopBits(TStopBits value) {
    MutableDcb().StopBits = value;
    UpdateDCB();
}

void TsrCustomComm::SetByteSize(std::uint8_t value) {
    MutableDcb().ByteSize = (value < 4 || value > 8) ? 8 : value;
    UpdateDCB();
}

void TsrCustomComm::SetEventChar(char value) {
    MutableDcb().EvtChar = value;
    UpdateDCB();
}

void TsrCustomComm::SetStreamProtocol(TStreamProtocol value) {
    FStreamProtocol = value;
    UpdateDCB();
}

void TsrCustomComm::SetRS485Mode(bool value) {
    FRS485Mode = value;
    UpdateDCB();
    // The comm mask depends on the mode (RTS is dropped on EV_TXEMPTY): apply it to an open port too.
    if (IsOpen()) SetTraceStates(FTraceStates);
}

void TsrCustomComm::SetBufferInSize(WORD value) {
    FBufferInSize = value;
    if (IsOpen() && !SetupComm(Handle(), FBufferInSize, FBufferOutSize)) SettingRefused(GetLastError());
}

void TsrCustomComm::SetBufferOutSize(WORD value) {
    FBufferOutSize = value;
    if (IsOpen() && !SetupComm(Handle(), FBufferInSize, FBufferOutSize)) SettingRefused(GetLastError());
}

void TsrCustomComm::SetTimeoutRead(DWORD value) {
    COMMTIMEOUTS t = FTimeouts;
    t.ReadIntervalTimeout = value;
    ApplyTimeouts(t);
}

void TsrCustomComm::SetTimeoutWrite(DWORD value) {
    COMMTIMEOUTS t = FTimeouts;
    t.WriteTotalTimeoutConstant = value;
    ApplyTimeouts(t);
}

void TsrCustomComm::ApplyTimeouts(const COMMTIMEOUTS& timeouts) {
    std::lock_guard lock(FTimeoutsMutex);
    FTimeouts = timeouts;
    if (IsOpen()) SetCommTimeouts(Handle(), &FTimeouts);
}

DWORD TsrCustomComm::ReadWaiting(void* Buffer, DWORD Count) {
    // The port's own time-outs (all zero for the link's port: the whole count, no deadline) stay
    // for the other readers; this read takes what is there and returns.
    std::lock_guard lock(FTimeoutsMutex);
    COMMTIMEOUTS atOnce = FTimeouts;
    atOnce.ReadIntervalTimeout = MAXDWORD;
    atOnce.ReadTotalTimeoutMultiplier = 0;
    atOnce.ReadTotalTimeoutConstant = 0;
    if (!SetCommTimeouts(Handle(), &atOnce)) return 0;
    DWORD got = 0;
    if (!OverlappedRead(Handle(), Buffer, Count, ReadOS, &got)) got = 0;
    SetCommTimeouts(Handle(), &FTimeouts);
    return got;
}

namespace {

// The flag bits that UpdateDCB leaves as they were (parity, DSR, error and null handling, and the
// upper bit of the DTR control); all the others it sets afresh from the stream protocol.
constexpr DWORD DcbFlagsKept = dcbflag::fParity | dcbflag::fOutxDsrFlow |
                               (DTR_CONTROL_HANDSHAKE << dcbflag::fDtrControlShift) |
                               dcbflag::fDsrSensitivity | dcbflag::fTXContinueOnXoff | dcbflag::fErrorChar |
                               dcbflag::fNull | dcbflag::fAbortOnError;
constexpr DWORD DcbFlagsBase = dcbflag::fBinary | (DTR_CONTROL_ENABLE << dcbflag::fDtrControlShift);
constexpr DWORD DcbFlagsRs485 = DcbFlagsBase | (RTS_CONTROL_TOGGLE << dcbflag::fRtsControlShift);
constexpr DWORD DcbFlagsNoProtocol = DcbFlagsBase | (RTS_CONTROL_ENABLE << dcbflag::fRtsControlShift);
constexpr DWORD DcbFlagsXonXoff = DcbFlagsNoProtocol | dcbflag::fOutX | dcbflag::fInX;
constexpr DWORD DcbFlagsHardware =
    DcbFlagsBase | dcbflag::fOutxCtsFlow | (RTS_CONTROL_HANDSHAKE << dcbflag::fRtsControlShift);
// The flag word is stored byte for byte with the port settings.
static_assert(DcbFlagsKept == 0x4CEA && DcbFlagsRs485 == 0x3011 && DcbFlagsNoProtocol == 0x1011 &&
              DcbFlagsXonXoff == 0x1311 && DcbFlagsHardware == 0x2015);

} // namespace

bool TsrCustomComm::UpdateDCB() {
    DCB& dcb = MutableDcb();
    dcb.DCBlength = sizeof(DCB);
    dcb.Flags &= DcbFlagsKept;
    if (FRS485Mode)
        dcb.Flags |= DcbFlagsRs485;
    else if (FStreamProtocol == spNone)
        dcb.Flags |= DcbFlagsNoProtocol;
    else if (FStreamProtocol == spXonXoff)
        dcb.Flags |= DcbFlagsXonXoff;
    else
        dcb.Flags |= DcbFlagsHardware;
    dcb.XonLim = 80;
    dcb.XoffLim = 200;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    // A line the driver would not set must not pass for one that runs with these settings.
    if (IsOpen() && !SetCommState(Handle(), &dcb)) return SettingRefused(GetLastError());
    return true;
}

bool TsrCustomComm::SettingRefused(DWORD error) {
    const std::string message = srFormat("Device \"%s\" Setup Error !!!\r%s", GetDeviceName().c_str(),
                                         SysErrorMessage(error).c_str());
    FatalError(1, error, message, false);
    return false;
}

void TsrCustomComm::SetTraceStates(TTraceStates value) {
    DWORD mask = EV_RXCHAR;
    if (value.Contains(tsTxEmpty) || (FRS485Mode && FRtsEmulation)) mask |= EV_TXEMPTY;
    if (value.Contains(tsRxFlag)) mask |= EV_RXFLAG;
    if (value.Contains(tsCTS)) mask |= EV_CTS;
    if (value.Contains(tsDSR)) mask |= EV_DSR;
    if (value.Contains(tsRLSD)) mask |= EV_RLSD;
    if (value.Contains(tsBreak)) mask |= EV_BREAK;
    if (value.Contains(tsErr)) mask |= EV_ERR;
    if (value.Contains(tsRing)) mask |= EV_RING;
    if (value.Contains(tsRx80Full)) mask |= EV_RX80FULL;
    if (value.Contains(tsEvent1)) mask |= EV_EVENT1;
    if (value.Contains(tsEvent2)) mask |= EV_EVENT2;
    FTraceStates = value;
    if (IsOpen()) SetCommMask(Handle(), mask);
}

TModemSignals TsrCustomComm::ModemSignals() const {
    TModemSignals s;
    DWORD status = 0;
    if (!IsOpen() || !GetCommModemStatus(Handle(), &status)) return s;
    if (status & MS_CTS_ON) s.Include(msCTS);
    if (status & MS_DSR_ON) s.Include(msDSR);
    if (status & MS_RING_ON) s.Include(msRing);
    if (status & MS_RLSD_ON) s.Include(msRLSD);
    return s;
}

std::string TsrCustomComm::GetDeviceName() const {
    return "Unknown";
}

bool TsrCustomComm::SetupPort() {
    DWORD errors = 0;
    COMSTAT stat{};
    ClearCommError(Handle(), &errors, &stat);
    if (!SetupComm(Handle(), FBufferInSize, FBufferOutSize)) return SettingRefused(GetLastError());
    ApplyTimeouts(FTimeouts);
    return UpdateDCB();
}

void TsrCustomComm::Open() {
    CloseSection section(*this);
    Close();
    TsrBaseIO::Open();
    if (!IsOpen()) {
        const std::string systemText = LastErrorMessage();
        const std::string message =
            srFormat("Device \"%s\" Open Error !!!\r%s", GetDeviceName().c_str(), systemText.c_str());
        FatalError(1, 0, message, false);
        return;
    }
    FReceiveBuffer.assign(std::max<std::size_t>(FBufferInSize, 8192), 0);
    LogFormat(0, "The port %s is opened succesfully",
              srFormat("The port %s is opened succesfully", GetDeviceName().c_str()));
    // A port that would not take its settings is closed again before the owner hears of it: an
    // open port would pass for one that works. Nobody was told it opened, so nobody is told now.
    auto abandon = [this] {
        CloseHandle();
        SetHandle(INVALID_HANDLE_VALUE);
        FReceiveBuffer.clear();
        FReceiveBuffer.shrink_to_fit();
    };
    bool ready = false;
    try {
        ready = SetupPort();
    } catch (...) {
        abandon();
        throw;
    }
    if (!ready) {
        abandon();
        return;
    }
    SetTraceStates(FTraceStates);
    StartThreads();
    NotifyClients(srNotifyOpened);
}

void TsrCustomComm::Close() {
    {
        CloseSection section(*this);
        ReapRetired();
        if (IsOpen()) {
            try {
                DoClose(true);
                LogMessage(0, "The port is closed succesfully");
            } catch (...) {
                // Closing goes on whatever failed on the way: the handle is let go all the same.
                platform::Diagnostica("srcomm", "closing the port failed: " + platform::MotivoEccezione());
                TsrBaseIO::Close();
            }
        }
    }
    DoTraceState(this, {tsTxEmpty});
}

void TsrCustomComm::DoClose(bool Purge) {
    if (!IsOpen()) return;
    StopThreads();
    if (Purge && GetOutQueue() > 0) PurgeAll();
    FReceiveBuffer.clear();
    FReceiveBuffer.shrink_to_fit();
    TsrBaseIO::Close();
    NotifyClients(srNotifyClosed);
}

void TsrCustomComm::CloseFromEventThread(TCommThread* thread) {
    // While the owner closes the port itself, it has terminated this thread: leave it to the owner.
    CloseSection section(*this, [thread] { return thread->Terminated(); });
    if (!section.Entered() || thread->Terminated()) return;
    DoClose(false);
}

void TsrCustomComm::StartThreads() {
    ReapRetired();
    if (!FMsgThread) {
        FMsgThread = std::make_unique<TMsgThread>(this);
        FMsgThread->Start();
    }
    if (!FCommThread) {
        FCommThread = std::make_unique<TCommThread>(this, FMsgThread->ThreadID());
        FCommThread->Start();
    }
    Sleep(25);
}

void TsrCustomComm::StopThreads() {
    const DWORD self = platform::GetCurrentThreadId();
    if (FCommThread) {
        FCommThread->Stop();
        if (FCommThread->ThreadID() == self)
            FRetired.push_back(std::move(FCommThread)); // waited for later, from another thread
        else
            FCommThread.reset(); // waits for it
    }
    if (FMsgThread) {
        FMsgThread->Stop();
        // Closed from inside an event handler: the message thread is waiting for this very call.
        if (FProcessingThread.load() == std::this_thread::get_id())
            FRetired.push_back(std::move(FMsgThread));
        else
            FMsgThread.reset();
    }
}

void TsrCustomComm::SendChar(std::uint8_t Ch) {
    if (!IsOpen()) return;
    LogFormat(2, "Try to send char %2Xh ...", srFormat("Try to send char %2Xh ...", Ch));
    std::lock_guard lock(FWriteMutex);
    if (FRS485Mode && FRtsEmulation) SetRTS(true);
    if (!OverlappedWrite(Handle(), &Ch, 1, WriteOS)) CommError(0, GetLastError(), {});
}

void TsrCustomComm::SendString(const std::string& Text) {
    if (!IsOpen() || Text.empty()) return;
    LogFormat(2, "Try to send string %s ...", srFormat("Try to send string %s ...", Text.c_str()));
    std::lock_guard lock(FWriteMutex);
    if (FRS485Mode && FRtsEmulation) SetRTS(true);
    if (!OverlappedWrite(Handle(), Text.data(), static_cast<DWORD>(Text.size()), WriteOS))
        CommError(0, GetLastError(), {});
}

void TsrCustomComm::SendData(const void* Buffer, DWORD Count) {
    if (!IsOpen()) return;
    LogFormat(2, "Try to send the data with %d length ...",
              srFormat("Try to send the data with %d length ...", static_cast<int>(Count)));
    std::lock_guard lock(FWriteMutex);
    if (FRS485Mode && FRtsEmulation) SetRTS(true);
    // The write completes (or times out) before the call returns, so the caller's buffer is free
    // again at once.
    if (OverlappedWriteNoWait(Handle(), Buffer, Count, NoWaitOS))
        LogMessage(2, "... the data transmittion is OK!");
    else
        CommError(0, GetLastError(), {});
}

void TsrCustomComm::PurgeIn() {
    if (!IsOpen()) return;
    PurgeComm(Handle(), PURGE_RXABORT | PURGE_RXCLEAR);
}

void TsrCustomComm::PurgeOut() {
    if (!IsOpen()) return;
    PurgeComm(Handle(), PURGE_TXABORT | PURGE_TXCLEAR);
    if (FRS485Mode && FRtsEmulation) SetRTS(false);
}

void TsrCustomComm::PurgeAll() {
    if (!IsOpen()) return;
    PurgeComm(Handle(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    CallCancelIo(Handle());
    if (FRS485Mode && FRtsEmulation) SetRTS(false);
}

void TsrCustomComm::SetDTR(bool on) {
    if (!IsOpen()) return;
    EscapeCommFunction(Handle(), on ? SETDTR : CLRDTR);
    DoTraceState(this, {tsDSR});
}

void TsrCustomComm::SetRTS(bool on) {
    if (!IsOpen()) return;
    EscapeCommFunction(Handle(), on ? SETRTS : CLRRTS);
    DoTraceState(this, {tsCTS});
}

void TsrCustomComm::FlushBuffers() {
    if (IsOpen()) FlushFileBuffers(Handle());
}

DWORD TsrCustomComm::GetInQueue() const {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!IsOpen() || !ClearCommError(Handle(), &errors, &stat)) return 0;
    return stat.cbInQue;
}

DWORD TsrCustomComm::GetOutQueue() const {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!IsOpen() || !ClearCommError(Handle(), &errors, &stat)) return 0;
    return stat.cbOutQue;
}

void TsrCustomComm::DoTraceState(TObject* Sender, TTraceStates Events) {
    const TModemSignals s = ModemSignals();
    if (FMonitorCTS) FMonitorCTS->SetOrdinalProperty("Checked", s.Contains(msCTS));
    if (FMonitorDSR) FMonitorDSR->SetOrdinalProperty("Checked", s.Contains(msDSR));
    if (FMonitorRLSD) FMonitorRLSD->SetOrdinalProperty("Checked", s.Contains(msRLSD));
    if (FMonitorRing && Events.Contains(tsRing)) FMonitorRing->SetOrdinalProperty("Checked", 1);
    if (OnTraceState) OnTraceState(Sender, Events);
}

void TsrCustomComm::CommError(DWORD CommCode, DWORD SysError, TComStateFlags State) {
    if (FRS485Mode && FRtsEmulation) SetRTS(false);
    LogFormat(1, "Communication Error %d:%d %X",
              srFormat("Communication Error %d:%d %X", static_cast<int>(CommCode), static_cast<int>(SysError),
                       static_cast<unsigned>(State.Bits())));
    bool flFlashBuffers = false;
    if (OnCommError) OnCommError(this, CommCode, SysError, State, flFlashBuffers);
    if (flFlashBuffers) PurgeAll();
}

void TsrCustomComm::ProcessCommEvent(const MSG& Message) {
    if (Message.message != srCommMsgComEvent || !IsOpen()) return;
    struct Processing {
        std::atomic<std::thread::id>& slot;
        std::thread::id previous;
        explicit Processing(std::atomic<std::thread::id>& s)
            : slot(s), previous(s.exchange(std::this_thread::get_id())) {}
        ~Processing() { slot.store(previous); }
    } processing(FProcessingThread);
    try {
        const DWORD mask = static_cast<DWORD>(Message.wParam);
        DWORD errors = 0;
        if (!ClearCommError(Handle(), &errors, &FComStat)) errors = 0;
        if (errors != 0) {
            CommError(errors, 0, TComStateFlags::FromBits(static_cast<std::uint8_t>(FComStat.Flags & 0xFF)));
            return;
        }
        if ((mask & EV_RXCHAR) && FComStat.cbInQue > 0 &&
            (FTraceStates.Contains(tsRxChar) || HasReceiver())) {
            while (IsOpen() && !FReceiveBuffer.empty()) {
                // One byte of the buffer stays free for the terminal's closing NUL.
                const DWORD count =
                    std::min<DWORD>(FComStat.cbInQue, static_cast<DWORD>(FReceiveBuffer.size() - 1));
                const DWORD got = ReadWaiting(FReceiveBuffer.data(), count);
                if (got == 0) break;
                DoDataReceived(FReceiveBuffer.data(), got);
                DWORD ignored = 0;
                if (!IsOpen() || !ClearCommError(Handle(), &ignored, &FComStat) || FComStat.cbInQue == 0)
                    break;
            }
        }
        if ((mask & EV_TXEMPTY) && IsOpen()) {
            if (FRS485Mode && FRtsEmulation) SetRTS(false);
            const bool handled = DoTxEmpty();
            if (FTraceStates.Contains(tsTxEmpty) && !handled && OnAfterSend) OnAfterSend(this);
        }
        TTraceStates set;
        if (mask & EV_RXFLAG) set.Include(tsRxFlag);
        if (mask & EV_CTS) set.Include(tsCTS);
        if (mask & EV_DSR) set.Include(tsDSR);
        if (mask & EV_RLSD) set.Include(tsRLSD);
        if (mask & EV_BREAK) set.Include(tsBreak);
        if (mask & EV_ERR) set.Include(tsErr);
        if (mask & EV_RING) set.Include(tsRing);
        if (mask & EV_RX80FULL) set.Include(tsRx80Full);
        if (mask & EV_EVENT1) set.Include(tsEvent1);
        if (mask & EV_EVENT2) set.Include(tsEvent2);
        if (!set.Empty()) DoTraceState(this, set);
    } catch (const std::exception& e) {
        FatalError(1, GetLastError(), e.what(), true);
    } catch (...) {
        FatalError(1, GetLastError(), "Unknown exception", true);
    }
}

bool TsrCustomComm::WaitForInput(DWORD Count, DWORD Timeout) {
    if (!IsOpen()) return false;
    const TTraceStates saved = FTraceStates;
    FTraceStates.Exclude(tsRxChar);
    bool result = false;
    const DWORD start = GetTickCount();
    while (IsOpen()) {
        if (GetInQueue() >= Count) {
            result = true;
            break;
        }
        if (GetTickCount() - start >= Timeout) break;
        Sleep(5);
        platform::ProcessMessagesIfUiThread();
    }
    FTraceStates = saved;
    return result;
}

bool TsrCustomComm::WaitForModemSignal(TModemSignal Signal, DWORD Timeout) {
    if (!IsOpen()) return false;
    const DWORD start = GetTickCount();
    while (IsOpen()) {
        if (ModemSignals().Contains(Signal)) return true;
        if (GetTickCount() - start >= Timeout) break;
        Sleep(5);
        platform::ProcessMessagesIfUiThread();
    }
    return false;
}

bool TsrCustomComm::ReadData(void* Buffer, DWORD Count) {
    if (!IsOpen()) return false;
    return OverlappedRead(Handle(), Buffer, Count, ReadOS);
}

// ---- TsrCustomSerialComm -----------------------------------------------------------------------

TsrCustomSerialComm::TsrCustomSerialComm() {
    SetLogPrefix("srComm: ");
    COMMCONFIG config{};
    DWORD size = sizeof config;
    if (GetDefaultCommConfigA("COM1", &config, &size)) FCommConfig = config;
    FCommConfig.dwSize = sizeof(COMMCONFIG);
    SetComPort(cpCOM1);
    SetBaudRate(19200);
    SetByteSize(8);
    SetParity(pNone);
    SetStopBits(sbOne);
    SetStreamProtocol(spHardware);
    SetEventChar('\0');
}

TComPort TsrCustomSerialComm::ComPort() const {
    return FComPortNo >= 1 && FComPortNo <= 8 ? static_cast<TComPort>(FComPortNo - 1) : cpCOMxx;
}

void TsrCustomSerialComm::SetComPort(TComPort value) {
    if (value != cpCOMxx) SetComPortNo(static_cast<WORD>(value + 1));
}

void TsrCustomSerialComm::SetComPortNo(WORD value) {
    const bool was = Active();
    SetActive(false);
    FComPortNo = value;
    SetActive(was);
    NotifyClients(srNotifyDevicesChanged);
}

std::string TsrCustomSerialComm::GetDeviceName() const {
    const int i = IndexOfDeviceNumber(FComPortNo);
    if (i >= 0) return GetDevice(i)->PortName;
    return srFormat("COM%u", static_cast<unsigned>(FComPortNo));
}

HANDLE TsrCustomSerialComm::OpenHandle() {
    const int i = IndexOfDeviceNumber(FComPortNo);
    const std::string name =
        i >= 0 ? GetDevice(i)->PortName : srFormat("COM%u", static_cast<unsigned>(FComPortNo));
    return OpenDeviceOverlapped(name);
}

void TsrCustomSerialComm::SetDeviceIndex(int Index) {
    if (TsrDevice* d = GetDevice(Index)) SetComPortNo(static_cast<WORD>(d->Number));
}

int TsrCustomSerialComm::GetDeviceIndex() const {
    return IndexOfDeviceNumber(FComPortNo);
}

void TsrCustomSerialComm::UpdateDevices() {
    ClearDevices();
    GetPortList(nullptr);
    NotifyClients(srNotifyDevicesChanged);
}

void TsrCustomSerialComm::EnumDevices() {
    const bool full = EnumPorts != epQuickAll;
    std::vector<std::unique_ptr<TsrDevice>> setup;
    if (full) EnumClassDevices(EnumPorts == epFullPresent, setup);
    TStringList registry;
    GetSerialPortNames(registry, true);
    auto describe = [](TsrDevice& d, const TsrDevice& from) {
        d.Service = from.Service;
        d.Description = from.Description;
        d.Driver = from.Driver;
        d.Manufacturer = from.Manufacturer;
        d.PortName = TrimA(from.PortName);
        d.RegistryKey = from.RegistryKey;
        d.DevInst = from.DevInst;
        d.InstanceId = from.InstanceId;
    };
    for (int i = 0; i < registry.Count(); ++i) {
        const std::string& entry = registry.Strings(i);
        const auto eq = entry.find('=');
        auto d = std::make_unique<TsrDevice>();
        const std::string port = TrimA(entry.substr(0, eq));
        d->Name = d->ListedName = d->PortName = port;
        d->DeviceObject = eq == std::string::npos ? "" : entry.substr(eq + 1);
        d->Number = static_cast<int>(registry.Objects(i));
        if (full) {
            auto match = std::find_if(setup.begin(), setup.end(), [&](const std::unique_ptr<TsrDevice>& s) {
                return UpperCaseA(s->PortName) == UpperCaseA(port) ||
                       s->Description.find("(" + port + ")") != std::string::npos;
            });
            if (match != setup.end()) {
                describe(*d, **match);
                d->Name = port + (d->Description.empty() ? "" : " (" + d->Description + ")");
                setup.erase(match);
            } else if (EnumPorts == epFullPresent) {
                continue;
            }
        }
        TsrDevice* raw = d.release();
        if (InsertDevice(raw) < 0) delete raw; // a number already listed: the first one stays
    }
    if (!full) return;
    int nextOther = 4097;
    for (auto& s : setup) {
        const std::string port = TrimA(s->PortName);
        if (port.empty() || UpperCaseA(port).rfind("LPT", 0) == 0) continue;
        auto d = std::make_unique<TsrDevice>();
        d->ListedName = port;
        d->DeviceObject = registry.Values(port);
        if (UpperCaseA(port).rfind("COM", 0) == 0) {
            const std::string digits = port.substr(3);
            d->Number = !digits.empty() && digits.size() < 10 &&
                                digits.find_first_not_of("0123456789") == std::string::npos
                            ? std::stoi(digits)
                            : 0;
        } else {
            d->Number = nextOther++;
        }
        describe(*d, *s);
        d->Name = port + (d->Description.empty() ? "" : " (" + d->Description + ")");
        TsrDevice* raw = d.release();
        if (InsertDevice(raw) < 0) delete raw;
    }
}

void TsrCustomSerialComm::TestConnection() {
    if (!IsOpen()) return;
    PurgeAll();
    SetDTR(true);
    SetRTS(false);
    if (!WaitForModemSignal(msDSR, 200)) {
        FatalError(1, 0, "Device Connect Initialization Error", false);
        return;
    }
    SetRTS(true);
    LogMessage(1, "The device connection was succesful tested");
}

std::string TsrCustomSerialComm::ReadPnPId() {
    std::string result;
    const bool was = Active();
    SetActive(true);
    if (!IsOpen()) return result;
    PurgeAll();
    SetDTR(true);
    SetRTS(false);
    if (!WaitForModemSignal(msDSR, 200)) {
        // Leave the port as the caller had it before reporting.
        if (!was) SetActive(false);
        FatalError(1, 0, "Device Connect Initialization Error", false);
        return result;
    }
    UpdateDCB();
    const DCB kept = Dcb();
    DCB probe = kept;
    probe.BaudRate = 1200;
    probe.ByteSize = 7;
    probe.Parity = NOPARITY;
    probe.StopBits = ONESTOPBIT;
    if (!SetCommState(Handle(), &probe)) {
        // Read at other settings, the answer would be noise taken for an identifier.
        const DWORD error = GetLastError();
        if (!was) SetActive(false);
        SettingRefused(error);
        return result;
    }
    const TTraceStates keptStates = TraceStates();
    SetTraceStates({});

    SetDTR(false);
    SetRTS(false);
    Sleep(200);
    SetDTR(true);
    Sleep(200);
    SetRTS(true);
    bool got = WaitForInput(1, 200);
    if (!got) {
        SetDTR(false);
        SetRTS(false);
        Sleep(200);
        SetDTR(true);
        SetRTS(true);
        got = WaitForInput(1, 200);
    }
    if (got) {
        std::uint8_t b = 0;
        if (ReadData(&b, 1) && (b == 0x28 || b == 0x08)) {
            const std::uint8_t last = b == 0x28 ? 0x29 : 0x09;
            result += static_cast<char>(b);
            while (WaitForInput(1, 200) && ReadData(&b, 1)) {
                result += static_cast<char>(b);
                if (b == last) break;
            }
        }
    }
    MutableDcb() = kept;
    // Its result does not matter: the port is closed just below, and an open one is reopened with
    // the kept line, whose refusal that open reports itself.
    if (IsOpen()) SetCommState(Handle(), &kept);
    SetTraceStates(keptStates);
    SetActive(false);
    SetActive(was);
    return result;
}

void TsrCustomSerialComm::SaveConfig(HKEY RootKey, const std::string& Key, const std::string& ValueName) {
    try {
        HKEY key = nullptr;
        if (RegCreateKeyExA(RootKey, Key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
            throw EsrError("cannot create the key");
        BYTE value[srConfigValueSize];
        value[0] = static_cast<BYTE>(FComPortNo & 0xFF);
        std::memcpy(value + 1, &Dcb(), sizeof(DCB));
        std::memcpy(value + 1 + sizeof(DCB), &Timeouts(), sizeof(COMMTIMEOUTS));
        const LONG r = RegSetValueExA(key, ValueName.c_str(), 0, REG_BINARY, value, sizeof value);
        RegCloseKey(key);
        if (r != 0) throw EsrError("cannot write the value");
        LogMessage(1, "Configuration was saved");
    } catch (const EsrError&) {
        FatalError(1, 0, "Error on save config information from registry", false);
    }
}

void TsrCustomSerialComm::LoadConfig(HKEY RootKey, const std::string& Key, const std::string& ValueName) {
    try {
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootKey, Key.c_str(), 0, KEY_READ, &key) == 0) {
            DWORD type = 0, size = 0;
            BYTE value[srConfigValueSize];
            const bool present =
                RegQueryValueExA(key, ValueName.c_str(), nullptr, &type, nullptr, &size) == 0 &&
                size == srConfigValueSize &&
                RegQueryValueExA(key, ValueName.c_str(), nullptr, &type, value, &size) == 0;
            RegCloseKey(key);
            if (present) {
                SetComPortNo(value[0]);
                std::memcpy(&MutableDcb(), value + 1, sizeof(DCB));
                UpdateDCB();
                COMMTIMEOUTS t;
                std::memcpy(&t, value + 1 + sizeof(DCB), sizeof t);
                ApplyTimeouts(t);
            }
        }
        LogMessage(1, "Configuration was loaded");
    } catch (const EsrError&) {
        FatalError(1, 0, "Error on load config information from registry", false);
    }
}
