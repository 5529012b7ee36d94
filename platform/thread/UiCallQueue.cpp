#include "platform/thread/UiCallQueue.h"

#include "platform/diag/Diagnostica.h"

namespace platform {

void UiCallQueue::Queue(std::shared_ptr<Call> call) {
    {
        std::lock_guard lock(m_);
        calls_.push_back(std::move(call));
    }
    queued_.notify_all();
    if (wake_) wake_();
}

void UiCallQueue::Post(std::function<void()> run) {
    auto call = std::make_shared<Call>();
    call->run = std::move(run);
    Queue(std::move(call));
}

void UiCallQueue::RunAndWait(const std::function<void()>& run) {
    auto call = std::make_shared<Call>();
    call->run = run;
    call->waited = true;
    Queue(call);
    std::unique_lock lock(m_);
    done_.wait(lock, [&] { return call->done; });
    // The waiter takes the only reference to the exception, so the object dies on this thread,
    // after this thread is done with it, not on the UI thread while a handler here still reads it.
    std::exception_ptr error = std::move(call->error);
    lock.unlock();
    if (error) std::rethrow_exception(error);
}

void UiCallQueue::RunAll(const std::function<void(const std::string&)>& show) {
    for (;;) {
        std::shared_ptr<Call> call;
        {
            std::lock_guard lock(m_);
            if (calls_.empty()) return;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        std::exception_ptr error;
        try {
            call->run();
        } catch (...) {
            error = std::current_exception();
        }
        if (!call->waited) {
            if (error && show)
                show(Describe(error));
            else if (error)
                Diagnostica("UiCallQueue", "a posted call failed: " + Describe(error));
            continue;
        }
        std::lock_guard lock(m_);
        call->error = std::move(error);
        call->done = true;
        done_.notify_all();
    }
}

void UiCallQueue::WaitForCall(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_);
    queued_.wait_until(lock, deadline, [&] { return !calls_.empty(); });
}

std::string UiCallQueue::Describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

} // namespace platform
