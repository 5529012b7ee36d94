#include "platform/gui/qt/QtUiThread.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

using platform::gui::QtUiThread;

namespace {

// Runs the Qt event loop until a call posted by `worker`'s last step quits it.
void RunLoopUntilQuit(QEventLoop& loop) {
    QTimer guard; // a hung hand-over fails the test instead of hanging it
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&loop] {
        ADD_FAILURE() << "the hand-over did not finish";
        loop.quit();
    });
    guard.start(20000);
    loop.exec();
}

} // namespace

TEST(QtUiThread, InstallsItselfAndKnowsItsThread) {
    platform::IUiThread* before = platform::UiThread();
    {
        QtUiThread ui;
        EXPECT_EQ(platform::UiThread(), &ui);
        EXPECT_TRUE(ui.IsUiThread());
        EXPECT_TRUE(ui.HasApplication());
        bool other = true;
        std::thread([&] { other = ui.IsUiThread(); }).join();
        EXPECT_FALSE(other);
    }
    EXPECT_EQ(platform::UiThread(), before);
}

TEST(QtUiThread, WorkersRunCallsOnTheUiThreadAndWait) {
    QtUiThread ui;
    QEventLoop loop;
    constexpr int kWorkers = 4, kCalls = 100;
    int counter = 0; // touched only on the UI thread
    std::atomic<int> wrongThread{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i) {
                int seen = -1;
                ui.RunAndWait([&] {
                    if (!ui.IsUiThread() || QThread::currentThread() != qApp->thread()) ++wrongThread;
                    seen = ++counter;
                });
                EXPECT_GT(seen, 0); // the call had run when RunAndWait returned
            }
            if (++finished == kWorkers) ui.Post([&] { loop.quit(); });
        });
    }
    RunLoopUntilQuit(loop);
    for (auto& t : workers)
        t.join();
    EXPECT_EQ(counter, kWorkers * kCalls);
    EXPECT_EQ(wrongThread.load(), 0);
}

TEST(QtUiThread, ExceptionsGoBackToTheWaiterOrToTheUser) {
    testing_support::ScriptedDialogs dialogs;
    QtUiThread ui;
    QEventLoop loop;
    std::string caught;
    std::thread worker([&] {
        try {
            ui.RunAndWait([] { throw std::runtime_error("port closed"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        ui.Post([] { throw std::runtime_error("posted failure"); });
        ui.ShowException("from the serial thread"); // posted: the worker does not wait
        ui.Post([&] { loop.quit(); });
    });
    RunLoopUntilQuit(loop);
    worker.join();
    EXPECT_EQ(caught, "port closed");
    const auto shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Kind, platform::gui::MsgKind::Error);
    EXPECT_EQ(shown[0].Text, "posted failure");
    EXPECT_EQ(shown[1].Text, "from the serial thread");
}

TEST(QtUiThread, ProcessMessagesRunsPostedCallsInOrderAndQtEvents) {
    QtUiThread ui;
    std::vector<int> order;
    std::thread([&] {
        for (int i = 0; i < 5; ++i)
            ui.Post([&order, i] { order.push_back(i); });
    }).join();
    bool timerRan = false;
    QTimer::singleShot(0, qApp, [&] { timerRan = true; });
    EXPECT_TRUE(order.empty()); // nothing runs behind the UI thread's back
    ui.ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(timerRan);

    bool direct = false; // on the UI thread itself a call runs at once
    ui.RunAndWait([&] { direct = true; });
    EXPECT_TRUE(direct);
}

TEST(QtUiThread, SynchronizeOfAThreadWhileTheOwnerWaitsForIt) {
    QtUiThread ui;
    class Worker : public platform::TThread {
      public:
        int steps = 0; // written only through Synchronize, on the UI thread
        ~Worker() override { WaitFor(); }

      protected:
        void Execute() override {
            for (int i = 0; i < 20; ++i)
                Synchronize([this] { ++steps; });
        }
    } worker;
    worker.Start();
    worker.WaitFor(); // processes the hand-over meanwhile
    EXPECT_EQ(worker.steps, 20);
}

TEST(QtUiThread, CallsStillQueuedRunBeforeItGoes) {
    bool ran = false;
    {
        QtUiThread ui;
        std::thread([&] { ui.Post([&] { ran = true; }); }).join();
    }
    EXPECT_TRUE(ran);
}
