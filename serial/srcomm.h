#pragma once
// The serial port component: TsrCustomComm (the port logic: open/close, line settings in the DCB,
// writes, purges, DTR/RTS, events to the owner), TsrCustomSerialComm (COM-port naming, opening by
// name, device enumeration, line probes and stored settings) and TsrComm, which publishes them;
// with its two threads, TCommThread (waits for port events) and TMsgThread (hands each event to
// ProcessCommEvent, on the UI thread when UseMainThread is set).
#include "serial/srclasses.h"
#include "serial/srwin32.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

enum TComPort { cpCOM1, cpCOM2, cpCOM3, cpCOM4, cpCOM5, cpCOM6, cpCOM7, cpCOM8, cpCOMxx };
enum TParity : std::uint8_t { pNone, pOdd, pEven, pMark, pSpace };
enum TStopBits : std::uint8_t { sbOne, sbOneAndHalf, sbTwo };
enum TStreamProtocol { spNone, spXonXoff, spHardware };
enum TTraceState {
    tsRxChar,
    tsRxFlag,
    tsTxEmpty,
    tsCTS,
    tsDSR,
    tsRLSD,
    tsBreak,
    tsErr,
    tsRing,
    tsRx80Full,
    tsEvent1,
    tsEvent2
};
using TTraceStates = TSet<TTraceState, std::uint16_t>;
enum TModemSignal { msCTS, msDSR, msRing, msRLSD };
using TModemSignals = TSet<TModemSignal, std::uint8_t>;
enum TsrEnumPorts { epQuickAll, epFullInfo, epFullPresent };
enum TComStateFlag { fCtlHold, fDsrHold, fRlsHold, fXoffHold, fXOffSent, fEof, fTxim };
using TComStateFlags = TSet<TComStateFlag, std::uint8_t>;

using TOnSent = std::function<void(TObject* Com)>;
using TOnTraceEvent = std::function<void(TObject* Com, TTraceStates Event)>;
using TOnCommErrorEvent = std::function<void(TObject* Com, win32::DWORD CommCode, win32::DWORD SysError,
                                             TComStateFlags State, bool& flFlashBuffers)>;

// The two registered thread messages (registered when the program starts).
extern const win32::UINT srCommMsgComEvent;
extern const win32::UINT srCommMsgQuitComEvent;

class TsrCustomComm;

class TCommThread : public platform::TThread {
  public:
    TCommThread(TsrCustomComm* comm, win32::DWORD msgThreadId);
    ~TCommThread() override;
    // Terminate, then wake the pending wait.
    void Stop();

  protected:
    void Execute() override;

  private:
    TsrCustomComm* FComm;
    win32::HANDLE FHandle;
    win32::DWORD FMsgThreadId;
    win32::OVERLAPPED FOS{};
    win32::DWORD FMask = 0;
    // The request record's event, for the thread's whole life (closed once it has been waited for).
    const win32::HANDLE FEvent;
};

class TMsgThread : public platform::TThread {
  public:
    explicit TMsgThread(TsrCustomComm* comm);
    ~TMsgThread() override;
    // Terminate, then post the quit message.
    void Stop();
    // Run on the UI thread: the stored message's event processing, unless terminated.
    void DoProcessEvent();

  protected:
    void Execute() override;

  private:
    TsrCustomComm* FComm;
    win32::MSG FMsg{};
};

class TsrCustomComm : public TsrBaseIO {
  public:
    TsrCustomComm();
    ~TsrCustomComm() override;

    // ---- Properties
    win32::DWORD BaudRate() const { return Dcb().BaudRate; }
    void SetBaudRate(win32::DWORD value);
    TParity Parity() const { return static_cast<TParity>(Dcb().Parity); }
    void SetParity(TParity value);
    TStopBits StopBits() const { return static_cast<TStopBits>(Dcb().StopBits); }
    void SetStopBits(TStopBits value);
    std::uint8_t ByteSize() const { return Dcb().ByteSize; }
    void SetByteSize(std::uint8_t value);
    TTraceStates TraceStates() const { return FTraceStates; }
    void SetTraceStates(TTraceStates value);
    TModemSignals ModemSignals() const;
    char EventChar() const { return GetEventChar(); }
    TStreamProtocol StreamProtocol() const { return FStreamProtocol; }
    void SetStreamProtocol(TStreamProtocol value);
    win32::WORD BufferInSize() const { return FBufferInSize; }
    void SetBufferInSize(win32::WORD value);
    win32::WORD BufferOutSize() const { return FBufferOutSize; }
    void SetBufferOutSize(win32::WORD value);
    win32::DWORD TimeoutRead() const { return FTimeouts.ReadIntervalTimeout; }
    void SetTimeoutRead(win32::DWORD value);
    win32::DWORD TimeoutWrite() const { return FTimeouts.WriteTotalTimeoutConstant; }
    void SetTimeoutWrite(win32::DWORD value);
    bool RS485Mode() const { return FRS485Mode; }
    void SetRS485Mode(bool value);
    TControl* MonitorCTS() const { return FMonitorCTS; }
    TControl* MonitorDSR() const { return FMonitorDSR; }
    TControl* MonitorRLSD() const { return FMonitorRLSD; }
    TControl* MonitorRing() const { return FMonitorRing; }
    void SetMonitorCTS(TControl* c) { SetMonitor(FMonitorCTS, c); }
    void SetMonitorDSR(TControl* c) { SetMonitor(FMonitorDSR, c); }
    void SetMonitorRLSD(TControl* c) { SetMonitor(FMonitorRLSD, c); }
    void SetMonitorRing(TControl* c) { SetMonitor(FMonitorRing, c); }
    // Fixed at construction: the component raises and drops RTS itself in RS-485 mode.
    bool RtsEmulation() const { return FRtsEmulation; }

    TOnSent OnAfterSend;
    TOnTraceEvent OnTraceState;
    TOnCommErrorEvent OnCommError;

    // ---- Overrides
    void Notification(TComponent* c, TOperation op) override;
    void Open() override;
    void Close() override;
    void StartThreads() override;
    void StopThreads() override;
    void SendChar(std::uint8_t Ch) override;
    void SendString(const std::string& Text) override;
    void SendData(const void* Buffer, win32::DWORD Count) override;
    void PurgeIn() override;
    void PurgeOut() override;
    void PurgeAll() override;

    // ---- Added virtual operations
    virtual std::string GetDeviceName() const;
    // False when the port refused its queue sizes or line settings (already reported through
    // FatalError, which raises unless the owner's handler said otherwise).
    virtual bool SetupPort();
    virtual void SetEventChar(char value);
    virtual char GetEventChar() const { return Dcb().EvtChar; }
    virtual void CommError(win32::DWORD CommCode, win32::DWORD SysError, TComStateFlags State);

    // ---- Operations
    void SetDTR(bool on);
    void SetRTS(bool on);
    void FlushBuffers();
    win32::DWORD GetInQueue() const;
    win32::DWORD GetOutQueue() const;
    void ApplyTimeouts(const win32::COMMTIMEOUTS& timeouts);
    void DoTraceState(TObject* Sender, TTraceStates Events);
    // False when the open port refused the settings (reported as SetupPort's failures are).
    bool UpdateDCB();
    void ProcessCommEvent(const win32::MSG& Message);
    void DoClose(bool Purge);
    bool WaitForInput(win32::DWORD Count, win32::DWORD Timeout);
    bool WaitForModemSignal(TModemSignal Signal, win32::DWORD Timeout);
    bool ReadData(void* Buffer, win32::DWORD Count);

    // The records as held (for storing the settings and for checks).
    const win32::DCB& Dcb() const { return FCommConfig.dcb; }
    const win32::COMMTIMEOUTS& Timeouts() const { return FTimeouts; }
    std::size_t ReceiveBufferSize() const { return FReceiveBuffer.size(); }
    // Whether any of the port's threads still exists (they all go with Close).
    bool ThreadsRunning() const;

  protected:
    friend class TCommThread;
    friend class TMsgThread;

    // The destruction's steps: terminal, data processor and trace handler let go, then Close.
    void ShutDown();
    // Called by the event thread when the port failed under it.
    void CloseFromEventThread(TCommThread* thread);
    // Reads at most Count of the bytes already waiting and returns at once, whatever the port's read
    // time-outs: the count the event handler took just before may be stale (another thread purged
    // the input meanwhile), and the UI thread must never wait for bytes that will not come.
    virtual win32::DWORD ReadWaiting(void* Buffer, win32::DWORD Count);
    win32::DCB& MutableDcb() { return FCommConfig.dcb; }
    // Reports the port's refusal of a setting (its system error), through FatalError; returns false.
    bool SettingRefused(win32::DWORD error);
    win32::COMMCONFIG FCommConfig{};

  private:
    void SetMonitor(TControl*& slot, TControl* c);
    void ReapRetired();
    // One close (or open) at a time: the event thread may close a failed port while the owner
    // opens or closes it. 1 entered, 0 already held by this thread, -1 gave up.
    int EnterClose(const std::function<bool()>& giveUp);
    void LeaveClose();
    class CloseSection;

    std::unique_ptr<TMsgThread> FMsgThread;
    std::unique_ptr<TCommThread> FCommThread;
    std::vector<std::unique_ptr<platform::TThread>> FRetired; // threads that closed their own port
    win32::COMSTAT FComStat{};
    win32::COMMTIMEOUTS FTimeouts{};
    TTraceStates FTraceStates;
    win32::WORD FBufferOutSize = 0;
    win32::WORD FBufferInSize = 0;
    std::vector<std::uint8_t> FReceiveBuffer;
    bool FRS485Mode = false;
    TControl* FMonitorRLSD = nullptr;
    TControl* FMonitorRing = nullptr;
    TControl* FMonitorCTS = nullptr;
    TControl* FMonitorDSR = nullptr;
    bool FRtsEmulation = true;
    TStreamProtocol FStreamProtocol = spHardware;
    std::recursive_mutex FWriteMutex;
    std::mutex FTimeoutsMutex; // the time-outs as held and as set on the port
    std::mutex FCloseMutex;
    std::condition_variable FCloseCv;
    bool FCloseBusy = false;
    std::thread::id FCloseOwner;
    std::atomic<std::thread::id> FProcessingThread{};
};

class TsrCustomSerialComm : public TsrCustomComm {
  public:
    TsrCustomSerialComm();
    // Closes while the whole object is still there (the port's threads call back into it).
    ~TsrCustomSerialComm() override { ShutDown(); }

    win32::WORD ComPortNo() const { return FComPortNo; }
    void SetComPortNo(win32::WORD value);
    TComPort ComPort() const;
    void SetComPort(TComPort value);
    TsrEnumPorts EnumPorts = epQuickAll;

    win32::HANDLE OpenHandle() override;
    void SetDeviceIndex(int Index) override;
    int GetDeviceIndex() const override;
    void EnumDevices() override;
    void UpdateDevices() override;
    std::string GetDeviceName() const override;

    virtual void SaveConfig(win32::HKEY RootKey, const std::string& Key, const std::string& ValueName);
    virtual void LoadConfig(win32::HKEY RootKey, const std::string& Key, const std::string& ValueName);
    virtual std::string ReadPnPId();
    virtual void TestConnection();

  private:
    win32::WORD FComPortNo = 1;
};

class TsrComm : public TsrCustomSerialComm {
  public:
    // The port's threads are stopped and joined while the object is still whole: an event thread
    // that closed a removed device's port may still be inside our virtual members.
    ~TsrComm() override { ShutDown(); }
};

// The stored settings value: low byte of ComPortNo, the DCB, the COMMTIMEOUTS record.
constexpr std::size_t srConfigValueSize = 1 + sizeof(win32::DCB) + sizeof(win32::COMMTIMEOUTS);
static_assert(srConfigValueSize == 49, "stored port settings are 49 bytes");
