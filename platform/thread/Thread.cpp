#include "platform/thread/Thread.h"

#include "platform/diag/Diagnostica.h"
#include "platform/thread/UiCallQueue.h"

#include <cassert>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_map>

namespace platform {

using namespace win32;

// ---- UI thread ---------------------------------------------------------------------------------

namespace {
std::atomic<IUiThread*> uiThread{nullptr};
}

void SetUiThread(IUiThread* ui) {
    uiThread.store(ui);
}
IUiThread* UiThread() {
    return uiThread.load();
}

void ProcessMessagesIfUiThread() {
    if (auto* ui = UiThread(); ui && ui->IsUiThread()) ui->ProcessMessages();
}

struct TLoopUiThread::Impl {
    std::thread::id uiId = std::this_thread::get_id();
    IUiThread* previous = nullptr;
    UiCallQueue calls;
    mutable std::mutex shownM;
    int shown = 0;
    std::string lastShown;
};

TLoopUiThread::TLoopUiThread() : impl_(new Impl) {
    impl_->previous = UiThread();
    SetUiThread(this);
}

TLoopUiThread::~TLoopUiThread() {
    ProcessMessages();
    SetUiThread(impl_->previous);
    delete impl_;
}

bool TLoopUiThread::IsUiThread() const {
    return std::this_thread::get_id() == impl_->uiId;
}

void TLoopUiThread::RunAndWait(const std::function<void()>& call) {
    if (IsUiThread()) {
        call();
        return;
    }
    impl_->calls.RunAndWait(call);
}

void TLoopUiThread::Post(std::function<void()> call) {
    impl_->calls.Post(std::move(call));
}

void TLoopUiThread::ProcessMessages() {
    if (!IsUiThread()) return;
    impl_->calls.RunAll([this](const std::string& message) { ShowException(message); });
}

bool TLoopUiThread::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        ProcessMessages();
        if (done()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return done();
        // Conditions set by other threads without a handed-over call are seen within a few ms.
        impl_->calls.WaitForCall(std::min(deadline, now + std::chrono::milliseconds(5)));
    }
}

void TLoopUiThread::RunFor(std::chrono::milliseconds duration) {
    RunUntil([] { return false; }, duration);
}

void TLoopUiThread::ShowException(const std::string& message) {
    std::lock_guard lock(impl_->shownM);
    ++impl_->shown;
    impl_->lastShown = message;
}

int TLoopUiThread::ShownExceptions() const {
    std::lock_guard lock(impl_->shownM);
    return impl_->shown;
}

std::string TLoopUiThread::LastShownException() const {
    std::lock_guard lock(impl_->shownM);
    return impl_->lastShown;
}

// ---- Thread messages ---------------------------------------------------------------------------

namespace {

struct Queue {
    std::mutex m;
    std::condition_variable cv;
    std::deque<MSG> messages;
};

std::mutex queuesMutex;
std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
// Function-local: messages are registered from other units' static initialisers.
std::map<std::string, UINT>& RegisteredMessages() {
    static std::map<std::string, UINT> names;
    return names;
}
std::mutex& RegisterMutex() {
    static std::mutex m;
    return m;
}
std::atomic<DWORD> nextThreadId{1};
thread_local DWORD currentThreadId = 0;

std::shared_ptr<Queue> QueueOf(DWORD id, bool create) {
    std::lock_guard lock(queuesMutex);
    auto it = queues.find(id);
    if (it != queues.end()) return it->second;
    if (!create) return nullptr;
    auto q = std::make_shared<Queue>();
    queues[id] = q;
    return q;
}

DWORD AllocateThreadId() {
    return nextThreadId.fetch_add(1);
}

} // namespace

DWORD GetCurrentThreadId() {
    if (currentThreadId == 0) currentThreadId = AllocateThreadId();
    return currentThreadId;
}

UINT RegisterWindowMessageA(const char* name) {
    if (!name || !*name) return 0;
    std::lock_guard lock(RegisterMutex());
    auto& names = RegisteredMessages();
    auto it = names.find(name);
    if (it != names.end()) return it->second;
    const UINT id = 0xC000u + static_cast<UINT>(names.size());
    if (id > 0xFFFFu) return 0;
    names[name] = id;
    return id;
}

void EnsureMessageQueue() {
    QueueOf(GetCurrentThreadId(), true);
}

void DropMessageQueue() {
    std::lock_guard lock(queuesMutex);
    queues.erase(GetCurrentThreadId());
}

BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto q = QueueOf(threadId, false);
    if (!q) return FALSE;
    std::lock_guard lock(q->m);
    if (q->messages.size() >= 10000) return FALSE; // the queue's limit, as on Windows
    q->messages.push_back(MSG{nullptr, msg, wParam, lParam, 0});
    q->cv.notify_all();
    return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND, UINT min, UINT max) {
    auto q = QueueOf(GetCurrentThreadId(), true);
    auto matches = [&](const MSG& m) {
        return m.message == WM_QUIT || (min == 0 && max == 0) || (m.message >= min && m.message <= max);
    };
    std::unique_lock lock(q->m);
    for (;;) {
        for (auto it = q->messages.begin(); it != q->messages.end(); ++it) {
            if (!matches(*it)) continue;
            *msg = *it;
            q->messages.erase(it);
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        q->cv.wait(lock);
    }
}

LRESULT DispatchMessageA(const MSG*) {
    return 0;
}

// ---- TThread -----------------------------------------------------------------------------------

TThread::TThread(bool) {}

TThread::~TThread() {
    bool stillRunning;
    {
        std::lock_guard lock(m_);
        stillRunning = thread_.joinable() && !finished_.load();
    }
    if (stillRunning) {
        Diagnostica("Thread", "destroyed while its body still runs: the owner must stop it and wait "
                              "for it before the object goes");
        assert(!"a TThread is destroyed while its body still runs");
        Terminate();
    }
    WaitFor();
}

std::exception_ptr TThread::FatalException() const {
    std::lock_guard lock(m_);
    return fatal_;
}

void TThread::Start() {
    std::lock_guard lock(m_);
    if (thread_.joinable() || joined_) return;
    const DWORD id = AllocateThreadId();
    threadId_.store(id);
    // The queue exists before the thread runs, so that messages posted at once are kept.
    {
        std::lock_guard qlock(queuesMutex);
        queues[id] = std::make_shared<Queue>();
    }
    thread_ = std::thread([this] { Run(); });
}

namespace {
int NiceOf(TThreadPriority p) {
    switch (p) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    default:
        return 0;
    }
}
} // namespace

void TThread::SetPriority(TThreadPriority p) {
    priority_.store(p);
    if (const int tid = tid_.load()) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOf(p));
}

namespace {
std::mutex startHookM;
std::function<void(TThread&)>& StartHook() {
    static std::function<void(TThread&)> hook;
    return hook;
}
} // namespace

void SetThreadStartHookForTest(std::function<void(TThread&)> hook) {
    std::lock_guard lock(startHookM);
    StartHook() = std::move(hook);
}

void TThread::Run() {
    std::function<void(TThread&)> hook;
    {
        std::lock_guard lock(startHookM);
        hook = StartHook();
    }
    if (hook) hook(*this);
    currentThreadId = threadId_.load();
    tid_.store(static_cast<int>(::syscall(SYS_gettid)));
    if (const int nice = NiceOf(priority_.load()))
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid_.load()), nice);
    std::exception_ptr fatal;
    try {
        Execute();
    } catch (...) {
        Diagnostica("Thread", "the body ended by an exception: " + MotivoEccezione());
        fatal = std::current_exception();
    }
    DropMessageQueue();
    std::lock_guard lock(m_);
    fatal_ = std::move(fatal);
    tid_.store(0);
    finished_.store(true);
    done_.notify_all();
}

void TThread::WaitFor() {
    {
        std::unique_lock lock(m_);
        if (!thread_.joinable()) return;
    }
    IUiThread* ui = UiThread();
    if (ui && ui->IsUiThread()) {
        // Handed-over calls keep running while the UI thread waits.
        for (;;) {
            ui->ProcessMessages();
            std::unique_lock lock(m_);
            if (done_.wait_for(lock, std::chrono::milliseconds(2), [&] { return finished_.load(); })) break;
        }
    } else {
        std::unique_lock lock(m_);
        done_.wait(lock, [&] { return finished_.load(); });
    }
    std::lock_guard lock(m_);
    if (thread_.joinable()) {
        thread_.join();
        joined_ = true;
    }
}

void TThread::Synchronize(const std::function<void()>& call) {
    IUiThread* ui = UiThread();
    if (!ui || ui->IsUiThread())
        call();
    else
        ui->RunAndWait(call);
}

} // namespace platform
