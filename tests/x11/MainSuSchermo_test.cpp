// The main window on a laptop's screen (1366x768) under a real window manager: the whole window,
// frame and all, is on the screen from its first showing, so that the bottom of every page and
// the scroll bars' arrows can be reached.
#include "ui/ProgramWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <thread>

namespace {

using MainSuSchermo = ProgramWindows;

TEST_F(MainSuSchermo, TheWholeWindowIsOnTheScreenFromItsFirstShowing) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under scripts/xvfb-openbox";
    CreaFinestre();
    MostraMainFrm();
    // The window manager frames the window once it is mapped.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((!MainFrm->windowHandle()->isExposed() || MainFrm->frameGeometry() == MainFrm->geometry()) &&
           std::chrono::steady_clock::now() < fine) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(MainFrm->frameGeometry(), MainFrm->geometry()) << "the window manager gave no frame";
    const QRect area = MainFrm->screen()->availableGeometry();
    const QRect finestra = MainFrm->frameGeometry();
    EXPECT_TRUE(area.contains(finestra))
        << "window " << finestra.x() << "," << finestra.y() << " " << finestra.width() << "x"
        << finestra.height() << " on " << area.width() << "x" << area.height();
    EXPECT_EQ(MainFrm->width(), 1180) << "as wide as designed: the screen is wide enough";
}

} // namespace
