// The remote link's log memo: anyone who reaches the port can make the link log faster than any
// window could show it, and the window must stay usable while the log stays truthful.
#include "ProgramWindows.h"

#include "ui/ServerUdp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTimer>
#include <memory>
#include <thread>

namespace {

class LogRemoto : public ProgramWindows {
  protected:
    // Processes the UI thread's events until `fatto` holds (a generous time-out only ends a failure).
    template <class F> static bool Attendi(F fatto) {
        QTimer sveglia;
        sveglia.start(5);
        QElapsedTimer t;
        t.start();
        while (!fatto() && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return fatto();
    }

    // Logs "riga 0" .. "riga N-1" from another thread, as the listener does, without the UI
    // thread running meanwhile.
    static void Raffica(TServerUdpFrm& f, int N) {
        std::thread t([&f, N] {
            for (int i = 0; i < N; ++i)
                f.Link.Finestra.Log("riga " + std::to_string(i));
        });
        t.join();
    }
};

TEST_F(LogRemoto, ABurstReachesTheMemoInOrderWithWhatWasDroppedCounted) {
    auto frm = std::make_unique<TServerUdpFrm>();
    constexpr int Totale = 20000;
    Raffica(*frm, Totale);
    ASSERT_TRUE(Attendi([&] { return frm->Messaggi->toPlainText().endsWith("riga 19999"); }));

    const QStringList righe = frm->Messaggi->toPlainText().split('\n');
    EXPECT_LE(righe.size(), TServerUdpFrm::RigheLog);
    const QRegularExpression persa("^Dropped: (\\d+) log lines");
    int precedente = -1, mostrate = 0, perse = 0;
    for (const QString& r : righe) {
        if (const auto m = persa.match(r); m.hasMatch()) {
            EXPECT_EQ(mostrate, 0) << "the dropped lines are older than every line shown after them";
            perse += m.captured(1).toInt();
        } else if (r.startsWith("riga ")) {
            const int n = r.mid(5).toInt();
            EXPECT_GT(n, precedente) << "out of order";
            precedente = n;
            ++mostrate;
        }
    }
    EXPECT_GT(perse, 0);
    EXPECT_EQ(mostrate + perse, Totale) << "every line is either shown or counted";

    // The window goes while a burst still waits for the UI thread: nothing of it outlives the memo.
    Raffica(*frm, 100);
    frm.reset();
    QElapsedTimer t;
    t.start();
    Attendi([&] { return t.elapsed() > 200; });
}

} // namespace
