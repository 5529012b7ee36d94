// The wait window as the panel operations use it: a worker on its own thread drives it through
// the UI thread while the window is shown modally.
#include "ProgramWindows.h"

#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "ui/Attesa.h"
#include "ui/CodaEventi.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <functional>
#include <thread>

namespace {

class Attesa : public ProgramWindows {
  protected:
    Attesa() { attesa_ = std::make_unique<TAttesaFrm>(); }
    ~Attesa() override { attesa_.reset(); }

    // Runs `lavoro` on a worker thread and processes the UI thread's messages until it is done.
    void Lavoratore(const std::function<void()>& lavoro) {
        QEventLoop loop;
        QTimer guardia;
        guardia.setSingleShot(true);
        QObject::connect(&guardia, &QTimer::timeout, &loop, [&loop] {
            ADD_FAILURE() << "the worker did not finish";
            loop.quit();
        });
        guardia.start(20000);
        std::thread t([&] {
            lavoro();
            ui_->Post([&loop] { loop.quit(); });
        });
        loop.exec();
        t.join();
    }

    // Shows the window modally; `mentre` runs inside the modal loop. Returns the modal result.
    int MostraModale(const std::function<void()>& mentre) {
        QTimer guardia; // a window nobody closes fails the test instead of hanging it
        guardia.setSingleShot(true);
        QObject::connect(&guardia, &QTimer::timeout, attesa_.get(), [this] {
            ADD_FAILURE() << "the wait window was never closed";
            attesa_->done(-1);
        });
        guardia.start(20000);
        QTimer::singleShot(0, attesa_.get(), mentre);
        return attesa_->Mostra(nullptr);
    }

    std::unique_ptr<TAttesaFrm> attesa_;
};

} // namespace

TEST_F(Attesa, DesignAndTheTextsOfItsShowing) {
    TAttesaFrm& a = *attesa_;
    EXPECT_EQ(a.size(), QSize(392, 173));
    EXPECT_EQ(a.minimumSize(), a.maximumSize()) << "fixed size";
    EXPECT_EQ(a.ProgressBar->size(), QSize(300, 25));
    EXPECT_EQ(a.ProgressBar->value(), 0);
    EXPECT_FALSE(a.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(a.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(a.windowFlags() & Qt::WindowSystemMenuHint);

    const int esito = MostraModale([&a] {
        EXPECT_EQ(a.windowTitle(), platform::gui::FromCp1252(GetMessaggio("STRATTESA_ATTENDERE")));
        EXPECT_EQ(a.Okbutton->text(), platform::gui::FromCp1252(GetMessaggio("STRGLOBAL_OK")));
        // Neither the frame nor Escape closes it, and OK is not there until the operation shows it.
        a.close();
        a.reject();
        EXPECT_TRUE(a.isVisible());
        EXPECT_FALSE(a.Okbutton->isVisible());
        // Minimised by the desktop, it comes back.
        a.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        EXPECT_FALSE(a.windowState() & Qt::WindowMinimized);
        EXPECT_TRUE(a.isVisible());
        a.MostraOkbutton();
        a.Okbutton->click();
    });
    EXPECT_EQ(esito, QDialog::Accepted);
    EXPECT_FALSE(a.isVisible());
    EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(Attesa, TheWorkersRequestsBeforeTheShowingAreNotOverwritten) {
    TAttesaFrm& a = *attesa_;
    // The worker starts before the window shows, as the menu commands start it.
    Lavoratore([&a] {
        a.ImpostaCaption("Ricezione in corso");
        a.ImpostaMassimoGauge(5);
        a.AzzeraGauge();
        a.AvanzaGauge();
        a.AvanzaGauge();
        a.NascondiOkbutton();
        a.Ridisegna();
    });

    std::thread fine;
    const int esito = MostraModale([&] {
        EXPECT_EQ(a.windowTitle(), "Ricezione in corso");
        EXPECT_EQ(a.ProgressBar->maximum(), 5);
        EXPECT_EQ(a.ProgressBar->value(), 2);
        EXPECT_TRUE(a.Okbutton->isHidden()) << "OK stays hidden until the worker shows it";
        EXPECT_EQ(a.Okbutton->text(), platform::gui::FromCp1252(GetMessaggio("STRGLOBAL_OK")));
        // The operation ends: outcome, full gauge, the button; the user then presses it.
        fine = std::thread([&a, this] {
            for (int i = 0; i < 5; ++i)
                a.AvanzaGauge();
            a.ImpostaCaption("Ok \xe8 finito"); // Windows-1252, as the language table gives it
            a.MostraOkbutton();
            ui_->Post([&a] {
                EXPECT_FALSE(a.Okbutton->isHidden());
                a.Okbutton->click();
            });
        });
    });
    fine.join();
    EXPECT_EQ(esito, QDialog::Accepted);
    EXPECT_EQ(a.ProgressBar->value(), 5) << "the gauge stops at its maximum";
    EXPECT_EQ(a.windowTitle(), QString::fromUtf8("Ok è finito"));
}

TEST_F(Attesa, EachShowingStartsWithItsOwnTextsAgain) {
    TAttesaFrm& a = *attesa_;
    MostraModale([&a] {
        a.ImpostaCaption("Operazione 1");
        a.NascondiOkbutton();
        a.MostraOkbutton();
        a.Okbutton->click();
    });
    ASSERT_EQ(a.windowTitle(), "Operazione 1");

    Lavoratore([&a] {
        a.AzzeraGauge();
        a.NascondiOkbutton();
    });
    EXPECT_EQ(a.windowTitle(), "Operazione 1") << "requests wait for the next showing";
    MostraModale([&a] {
        EXPECT_EQ(a.windowTitle(), platform::gui::FromCp1252(GetMessaggio("STRATTESA_ATTENDERE")));
        EXPECT_EQ(a.ProgressBar->value(), 0);
        EXPECT_TRUE(a.Okbutton->isHidden());
        a.MostraOkbutton();
        a.Okbutton->click();
    });
}

TEST_F(Attesa, WhatAWorkerAskedAfterTheWindowClosedDoesNotReachTheNextOperation) {
    TAttesaFrm& a = *attesa_;
    MostraModale([&a] {
        a.MostraOkbutton();
        a.Okbutton->click();
    });
    // The earlier worker's last caption arrives once its window is gone.
    Lavoratore([&a] { a.ImpostaCaption("Vecchia operazione"); });
    a.NuovaOperazione();
    MostraModale([&a] {
        EXPECT_EQ(a.windowTitle(), platform::gui::FromCp1252(GetMessaggio("STRATTESA_ATTENDERE")));
        a.MostraOkbutton();
        a.Okbutton->click();
    });
    EXPECT_NE(a.windowTitle(), "Vecchia operazione");
}

// A desktop brings a window up together with the window it belongs to: the wait window of a command
// of the event window must belong to the event window, or the main window comes up over it and hides
// it until the operation ends.
TEST_F(Attesa, BelongsToTheWindowWhoseCommandStartedTheOperation) {
    ScriviComConfig(ConnessioneModem); // no call made: each operation fails at once
    CreaFinestre();
    MostraMainFrm();
    CodaEventiFrm->show();
    QWindow* sopra = nullptr;
    QTimer utente;
    QObject::connect(&utente, &QTimer::timeout, [&sopra] {
        if (AttesaFrm->isVisible()) sopra = AttesaFrm->windowHandle()->transientParent();
    });
    ChiudiAttesaAllaFine(utente);

    CodaEventiFrm->RiceviCodaBtn->click();
    EXPECT_EQ(sopra, CodaEventiFrm->windowHandle()) << "reading the queue";
    sopra = nullptr;
    dialogs_.AnswerYes();
    CodaEventiFrm->EliminaCodaBtn->click();
    EXPECT_EQ(sopra, CodaEventiFrm->windowHandle()) << "clearing the queue";
    CodaEventiFrm->hide();

    sopra = nullptr;
    MainFrm->MiRiceviCentrale->trigger();
    EXPECT_EQ(sopra, MainFrm->windowHandle()) << "a command of the menu";
    EXPECT_TRUE(dialogs_.AllAnswersUsed());
}
