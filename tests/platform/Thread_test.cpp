// Threads, thread messages and the hand-over to the UI thread.
#include "platform/thread/Thread.h"

#include "platform/diag/Diagnostica.h"

#include "support/Attesa.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

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

TEST(Threads, AnExceptionThatEndsTheBodyIsKeptForTheOwnerAndLogged) {
    std::vector<std::string> lines;
    platform::CatturaDiagnostica capture([&](std::string_view l) { lines.emplace_back(l); });
    Worker quiet;
    quiet.Start();
    quiet.WaitFor();
    EXPECT_FALSE(quiet.FatalException());
    EXPECT_TRUE(lines.empty());

    Worker w;
    w.body = [](Worker&) { throw std::runtime_error("line dropped"); };
    w.Start();
    w.WaitFor();
    ASSERT_TRUE(w.FatalException());
    try {
        std::rethrow_exception(w.FatalException());
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "line dropped");
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("vm415: Thread: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("line dropped"), std::string::npos) << lines[0];
}

namespace {
// A thread whose owner forgot to stop it. Its body touches only the base part and statics, which
// are still there when the base's destructor runs.
std::atomic<bool> forgottenRunning{false};
std::atomic<bool> forgottenEnded{false};
class Forgotten : public TThread {
  protected:
    void Execute() override {
        forgottenRunning = true;
        while (!Terminated())
            std::this_thread::sleep_for(1ms);
        forgottenEnded = true;
    }
};
} // namespace

#ifdef NDEBUG
// Without asserts the refusal is a diagnostic line; the base still ends and joins the thread, so
// that nothing runs on after the object is gone.
TEST(Threads, DestroyingAThreadThatStillRunsItsBodyIsRefused) {
    forgottenRunning = false;
    forgottenEnded = false;
    std::vector<std::string> lines;
    platform::CatturaDiagnostica capture([&](std::string_view l) { lines.emplace_back(l); });
    {
        Forgotten f;
        f.Start();
        ASSERT_TRUE(testing_support::AttendiFinche([] { return forgottenRunning.load(); }));
    }
    EXPECT_TRUE(forgottenEnded.load());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("vm415: Thread: ", 0), 0u) << lines[0];
}
#else
// With asserts the misuse stops the program where it happened, after its diagnostic line.
TEST(ThreadsDeathTest, DestroyingAThreadThatStillRunsItsBodyIsRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            Forgotten f;
            f.Start();
            testing_support::AttendiFinche([] { return forgottenRunning.load(); });
        },
        "vm415: Thread: destroyed while its body still runs");
}
#endif

TEST(Threads, AThreadWhoseBodyHasEndedMayBeLeftToTheBaseToJoin) {
    // Nothing of the derived part is in use any more: no complaint, and no thread left behind.
    class Brief : public TThread {
        void Execute() override {}
    };
    std::vector<std::string> lines;
    platform::CatturaDiagnostica capture([&](std::string_view l) { lines.emplace_back(l); });
    {
        Brief b;
        b.Start();
        ASSERT_TRUE(testing_support::AttendiFinche([&] { return b.Finished(); }));
    }
    EXPECT_TRUE(lines.empty());
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
