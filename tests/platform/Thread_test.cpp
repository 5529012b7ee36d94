// Threads, thread messages and the hand-over to the UI thread.
#include "platform/thread/Thread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace platform;

namespace {

class Worker : public TThread {
  public:
    std::function<void(Worker&)> body;
    ~Worker() override { WaitFor(); }

  protected:
    void Execute() override {
        if (body) body(*this);
    }
};

} // namespace

TEST(ThreadMessages, RegisteredMessagesAreStableAndInTheirRange) {
    const auto a = RegisterWindowMessageA("ThreadTestA");
    const auto b = RegisterWindowMessageA("ThreadTestB");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessageA("ThreadTestA"), a);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST(ThreadMessages, PostedMessagesAreTakenInOrderWithinTheFilter) {
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFFF0u, 0xC000, 0, 0)); // no such queue
    const auto msg = RegisterWindowMessageA("ThreadTestOrder");
    std::vector<win32::WPARAM> got;
    Worker w;
    w.body = [&](Worker&) {
        win32::MSG m;
        while (GetMessageA(&m, nullptr, 0xC000, 0xFFFF))
            got.push_back(m.wParam);
    };
    w.Start();
    EXPECT_TRUE(PostThreadMessageA(w.ThreadID(), 0x0400, 99, 0)); // outside the filter: stays queued
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(PostThreadMessageA(w.ThreadID(), msg, i, 0));
    EXPECT_TRUE(PostThreadMessageA(w.ThreadID(), win32::WM_QUIT, 0, 0));
    w.WaitFor();
    EXPECT_EQ(got, (std::vector<win32::WPARAM>{1, 2, 3}));
    EXPECT_FALSE(PostThreadMessageA(w.ThreadID(), msg, 0, 0)); // its queue went with it
}

TEST(UiHandOver, SynchronizeRunsOnTheUiThreadAndWaits) {
    TLoopUiThread ui;
    EXPECT_EQ(UiThread(), &ui);
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> after{false};
    Worker w;
    w.body = [&](Worker&) {
        TThread::Synchronize([&] { ranOnUi = ui.IsUiThread(); });
        after = true;
    };
    w.Start();
    ASSERT_TRUE(ui.RunUntil([&] { return after.load(); }, 5s));
    EXPECT_TRUE(ranOnUi.load());
    w.WaitFor();
}

TEST(UiHandOver, ExceptionsComeBackToTheCaller) {
    TLoopUiThread ui;
    std::string caught;
    Worker w;
    w.body = [&](Worker&) {
        try {
            ui.RunAndWait([] { throw std::runtime_error("on the UI"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
    };
    w.Start();
    w.WaitFor(); // waiting on the UI thread keeps handed-over calls running
    EXPECT_EQ(caught, "on the UI");

    ui.Post([] { throw std::runtime_error("posted"); });
    ui.ProcessMessages();
    EXPECT_EQ(ui.ShownExceptions(), 1);
    EXPECT_EQ(ui.LastShownException(), "posted");
}

TEST(UiHandOver, WithoutAUiThreadSynchronizeRunsDirectly) {
    ASSERT_EQ(UiThread(), nullptr);
    int n = 0;
    TThread::Synchronize([&] { ++n; });
    EXPECT_EQ(n, 1);
    ProcessMessagesIfUiThread();
}

TEST(Threads, DestroyingARunningThreadTerminatesAndJoinsIt) {
    std::atomic<bool> sawTerminate{false};
    {
        Worker w;
        w.body = [&](Worker& self) {
            while (!self.Terminated())
                std::this_thread::sleep_for(1ms);
            sawTerminate = true;
        };
        w.Start();
        w.Terminate();
    }
    EXPECT_TRUE(sawTerminate.load());
}

TEST(Threads, AnIdleThreadRunsAtTheLowestLevel) {
    int nice = -100;
    Worker w;
    w.SetPriority(TThreadPriority::tpIdle);
    w.body = [&](Worker&) {
        errno = 0;
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
    };
    w.Start();
    w.WaitFor();
    EXPECT_EQ(nice, 19);
    EXPECT_EQ(w.Priority(), TThreadPriority::tpIdle);
}
