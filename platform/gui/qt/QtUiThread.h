#pragma once
// The program's UI thread under Qt: the hand-over through which worker threads (the serial
// library's message thread, the panel worker, dialogs asked from a worker) run calls on the thread
// of the QApplication.
//
// Calls wait in a queue of our own, guarded by a standard mutex; an eventfd watched by a socket
// notifier wakes the Qt event loop. No Qt object crosses threads, so the hand-over is as visible to
// ThreadSanitizer as the rest of our code.
#include "platform/thread/Thread.h"

#include <memory>

namespace platform::gui {

class QtUiThread final : public platform::IUiThread {
  public:
    // On the QApplication's thread, after the application is made. Installs itself as
    // platform::UiThread() for its lifetime.
    QtUiThread();
    // Runs what is still queued, then puts the previous UI thread back. Threads that hand calls
    // over must have been joined before.
    ~QtUiThread() override;
    QtUiThread(const QtUiThread&) = delete;
    QtUiThread& operator=(const QtUiThread&) = delete;

    bool IsUiThread() const override;
    // From another thread the caller waits until the UI thread has run the call; that needs the UI
    // thread to be in the event loop or in one of the program's waits, which process messages.
    void RunAndWait(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    // Handed-over calls first, then Qt's pending events (timers, repaints, input).
    void ProcessMessages() override;
    bool HasApplication() const override;
    // An error dialog with the message, through the program's dialog service; from another thread
    // it is posted, so that thread does not wait for the user.
    void ShowException(const std::string& message) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::gui
