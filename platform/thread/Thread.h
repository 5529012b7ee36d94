#pragma once
// Threads, thread messages and the hand-over to the UI thread.
//
// TThread is the class library's thread: a body to override, a terminate flag, a priority, and
// Synchronize, which runs a call on the UI thread and waits for it. Every TThread is joined by its
// owner; none is ever detached. The owner stops and waits for a started thread (Terminate or its
// own stop, then WaitFor) before the object goes: by the time the base's destructor runs, the
// derived part that the body uses is gone already.
//
// The UI thread is whatever implements IUiThread: the Qt program's event loop, or, in tests,
// TLoopUiThread, a small loop that runs handed-over calls whenever the test lets it.
#include "platform/win32/Win32Types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class IUiThread {
  public:
    virtual ~IUiThread() = default;
    // True on the UI thread itself.
    virtual bool IsUiThread() const = 0;
    // Runs `call` on the UI thread and returns when it has run; an exception it throws is thrown
    // again here. On the UI thread the call runs at once.
    virtual void RunAndWait(const std::function<void()>& call) = 0;
    // Queues `call` to run on the UI thread later, without waiting.
    virtual void Post(std::function<void()> call) = 0;
    // On the UI thread: runs what is waiting (handed-over calls, posted calls, window messages).
    virtual void ProcessMessages() = 0;
    // Whether an application object (a running UI) exists.
    virtual bool HasApplication() const = 0;
    // Shows an exception's message the way the application shows uncaught exceptions.
    virtual void ShowException(const std::string& message) = 0;
};

// The program-wide UI thread; nullptr when there is none (then Synchronize runs calls directly).
void SetUiThread(IUiThread* ui);
IUiThread* UiThread();

// Runs pending UI work when called on the UI thread; elsewhere does nothing.
void ProcessMessagesIfUiThread();

// The test's UI thread: the thread that constructs it. Installs itself as UiThread() for its lifetime.
class TLoopUiThread : public IUiThread {
  public:
    TLoopUiThread();
    ~TLoopUiThread() override;
    TLoopUiThread(const TLoopUiThread&) = delete;
    TLoopUiThread& operator=(const TLoopUiThread&) = delete;

    bool IsUiThread() const override;
    void RunAndWait(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    void ProcessMessages() override;
    bool HasApplication() const override { return true; }
    void ShowException(const std::string& message) override;

    // Processes handed-over calls until `done` is true or the timeout passes; returns `done`().
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Processes for a while (for checking that something does NOT happen).
    void RunFor(std::chrono::milliseconds duration);

    int ShownExceptions() const;
    std::string LastShownException() const;

  private:
    struct Impl;
    Impl* impl_;
};

// ---- Threads -----------------------------------------------------------------------------------

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
  public:
    // Threads are always made suspended: the body runs from Start() on, once the derived object
    // is complete (the flag is kept for the class library's signature).
    explicit TThread(bool createSuspended = true);
    // Joins a body that has ended. One that still runs is a fault of the owner, who let the derived
    // part go first: asserted where asserts are on; elsewhere written to the diagnostic log, then
    // terminated and waited for, so that at least nothing runs on after the object.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start(); // Resume of a thread created suspended
    void Resume() { Start(); }
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Finished() const { return finished_.load(); }
    // Waits for the body to end. On the UI thread, handed-over calls keep running meanwhile (a thread
    // that waits in Synchronize would otherwise never end). Never call it from the thread itself.
    void WaitFor();
    win32::DWORD ThreadID() const { return threadId_.load(); }
    // The exception that ended the body (nullptr when it returned); read it once WaitFor returned.
    // The body's thread has no one to hand it to but its owner: it is logged when it happens and
    // kept here.
    std::exception_ptr FatalException() const;
    // Below normal maps to a higher nice value of the thread (idle: 19); normal and above run at
    // the process's own level (raising needs privileges the program does not ask for).
    void SetPriority(TThreadPriority p);
    TThreadPriority Priority() const { return priority_.load(); }

    // Runs `call` on the UI thread and waits (directly, without a UI thread or on it).
    static void Synchronize(const std::function<void()>& call);

  protected:
    virtual void Execute() = 0;

  private:
    void Run();

    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<win32::DWORD> threadId_{0};
    std::atomic<TThreadPriority> priority_{TThreadPriority::tpNormal};
    std::atomic<int> tid_{0};
    mutable std::mutex m_;
    std::condition_variable started_;
    std::condition_variable done_;
    std::thread thread_;
    bool joined_ = false;
    std::exception_ptr fatal_;
};

// Tests delay the bodies of chosen threads to reach what a slow start (a loaded machine) would
// meet: the hook runs on each new thread just before its body; nullptr removes it.
void SetThreadStartHookForTest(std::function<void(TThread&)> hook);

// ---- Thread messages ---------------------------------------------------------------------------

// The calling thread's id (stable for its lifetime, never 0).
win32::DWORD GetCurrentThreadId();
// The same id for the same name, from C000h up.
win32::UINT RegisterWindowMessageA(const char* name);
// FALSE when the thread has no message queue (it ended, or it never asked for messages).
win32::BOOL PostThreadMessageA(win32::DWORD threadId, win32::UINT msg, win32::WPARAM wParam,
                               win32::LPARAM lParam);
// Waits for a message of the calling thread in [min, max] (0, 0: any); 0 for WM_QUIT, else non-zero.
win32::BOOL GetMessageA(win32::MSG* msg, win32::HWND hwnd, win32::UINT min, win32::UINT max);
// Messages to windows have no receiver below the GUI layer; thread messages are not dispatched.
win32::LRESULT DispatchMessageA(const win32::MSG* msg);
// Gives the calling thread a message queue (GetMessageA does it too).
void EnsureMessageQueue();
// Removes the calling thread's queue; later posts to it fail.
void DropMessageQueue();

} // namespace platform
