#include "platform/gui/qt/QtUiThread.h"

#include "platform/gui/Dialogs.h"
#include "platform/thread/UiCallQueue.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace platform::gui {

struct QtUiThread::Impl {
    std::thread::id uiId = std::this_thread::get_id();
    IUiThread* previous = nullptr;
    int wakeFd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    // The counter only wakes the loop; the queue is the truth. A full counter (never in practice)
    // still leaves the fd readable, so no wake-up is lost.
    UiCallQueue calls{[this] {
        const std::uint64_t one = 1;
        while (::write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }};

    void Drain() {
        std::uint64_t count;
        while (::read(wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }

    void RunCalls(QtUiThread& self) {
        calls.RunAll([&self](const std::string& message) { self.ShowException(message); });
    }
};

QtUiThread::QtUiThread() : impl_(std::make_unique<Impl>()) {
    impl_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (impl_->wakeFd < 0) throw std::runtime_error("eventfd failed for the UI thread hand-over");
    impl_->notifier = std::make_unique<QSocketNotifier>(impl_->wakeFd, QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, impl_->notifier.get(), [this] {
        impl_->Drain();
        impl_->RunCalls(*this);
    });
    impl_->previous = platform::UiThread();
    platform::SetUiThread(this);
}

QtUiThread::~QtUiThread() {
    impl_->RunCalls(*this);
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
    impl_->calls.RunAndWait(call);
}

void QtUiThread::Post(std::function<void()> call) {
    impl_->calls.Post(std::move(call));
}

void QtUiThread::ProcessMessages() {
    if (!IsUiThread()) return;
    impl_->Drain();
    impl_->RunCalls(*this);
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
