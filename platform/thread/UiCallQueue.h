#pragma once
// The calls handed over to a UI thread. Any thread queues a call, and may wait until it has run;
// the UI thread runs what is queued. The program's UI thread and the tests' share this queue and
// differ only in how the UI thread is woken and how it shows a posted call's exception.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

class UiCallQueue {
  public:
    // `wake` runs after every call queued (outside the lock), from the queuing thread.
    explicit UiCallQueue(std::function<void()> wake = {}) : wake_(std::move(wake)) {}

    void Post(std::function<void()> call);
    // Queues `call` and waits until the UI thread has run it; its exception is thrown again here.
    // Never on the UI thread itself: nobody would run the call.
    void RunAndWait(const std::function<void()>& call);
    // On the UI thread: runs queued calls until none is left, those queued meanwhile included.
    // A posted call has nobody to give its exception to: its message goes to `show`.
    void RunAll(const std::function<void(const std::string&)>& show);
    // Sleeps until a call is queued or `deadline` passes.
    void WaitForCall(std::chrono::steady_clock::time_point deadline);

    static std::string Describe(const std::exception_ptr& error);

  private:
    struct Call {
        std::function<void()> run;
        bool waited = false;
        bool done = false;
        std::exception_ptr error;
    };
    void Queue(std::shared_ptr<Call> call);

    std::function<void()> wake_;
    std::mutex m_;
    std::condition_variable queued_;
    std::condition_variable done_;
    std::deque<std::shared_ptr<Call>> calls_;
};

} // namespace platform
