#include "platform/gui/qt/QtUiThread.h"

#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace platform::gui {

struct QtUiThread::Impl {
    struct Job {
        std::function<void()> call;
        bool waited = false;
        bool done = false;
        std::exception_ptr error;
    };

    std::thread::id uiId = std::this_thread::get_id();
    IUiThread* previous = nullptr;
    int wakeFd = -1;
    std::unique_ptr<QSocketNotifier> notifier;

    std::mutex m;
    std::condition_variable done; // a waited job has run
    std::deque<std::shared_ptr<Job>> jobs;

    void Queue(const std::shared_ptr<Job>& job) {
        {
            std::lock_guard lock(m);
            jobs.push_back(job);
        }
        // The counter only wakes the loop; the queue is the truth. A full counter (never in
        // practice) still leaves the fd readable, so no wake-up is lost.
        const std::uint64_t one = 1;
        while (::write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

    void Drain() {
        std::uint64_t count;
        while (::read(wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }

    // Runs until the queue is empty, including calls queued by the calls themselves.
    void RunJobs(QtUiThread& self) {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::lock_guard lock(m);
                if (jobs.empty()) return;
                job = jobs.front();
                jobs.pop_front();
            }
            std::exception_ptr error;
            try {
                job->call();
            } catch (...) {
                error = std::current_exception();
            }
            if (!job->waited) {
                // A posted call has nobody to give its exception to: the application shows it.
                if (error) self.ShowException(Describe(error));
                continue;
            }
            std::lock_guard lock(m);
            job->error = std::move(error);
            job->done = true;
            done.notify_all();
        }
    }

    static std::string Describe(const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            return e.what();
        } catch (...) {
            return "Unknown exception";
        }
    }
};

QtUiThread::QtUiThread() : impl_(std::make_unique<Impl>()) {
    impl_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (impl_->wakeFd < 0) throw std::runtime_error("eventfd failed for the UI thread hand-over");
    impl_->notifier = std::make_unique<QSocketNotifier>(impl_->wakeFd, QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, impl_->notifier.get(), [this] {
        impl_->Drain();
        impl_->RunJobs(*this);
    });
    impl_->previous = platform::UiThread();
    platform::SetUiThread(this);
}

QtUiThread::~QtUiThread() {
    impl_->RunJobs(*this);
    platform::SetUiThread(impl_->previous);
    impl_->notifier.reset();
    ::close(impl_->wakeFd);
}

bool QtUiThread::IsUiThread() const {
    return std::this_thread::get_id() == impl_->uiId;
}

void QtUiThread::RunAndWait(const std::function<void()>& call) {
    if (IsUiThread()) {
        call();
        return;
    }
    auto job = std::make_shared<Impl::Job>();
    job->call = call;
    job->waited = true;
    impl_->Queue(job);
    std::unique_lock lock(impl_->m);
    impl_->done.wait(lock, [&] { return job->done; });
    // The waiter takes the only reference to the exception, so the object dies on this thread,
    // after this thread is done with it, not on the UI thread while a handler here still reads it.
    std::exception_ptr error = std::move(job->error);
    lock.unlock();
    if (error) std::rethrow_exception(error);
}

void QtUiThread::Post(std::function<void()> call) {
    auto job = std::make_shared<Impl::Job>();
    job->call = std::move(call);
    impl_->Queue(job);
}

void QtUiThread::ProcessMessages() {
    if (!IsUiThread()) return;
    impl_->Drain();
    impl_->RunJobs(*this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtUiThread::HasApplication() const {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

// A thread other than the UI thread does not wait for the user to read it.
void QtUiThread::ShowException(const std::string& message) {
    if (!IsUiThread()) {
        Post([message] { Dialogs().Message(MsgKind::Error, message, MsgButtons::Ok); });
        return;
    }
    Dialogs().Message(MsgKind::Error, message, MsgButtons::Ok);
}

} // namespace platform::gui
