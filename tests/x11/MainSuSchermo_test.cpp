// The main window on a laptop's screen (1366x768) under a real window manager: the whole window,
// frame and all, is on the screen from its first showing, so that the bottom of every page and
// the scroll bars' arrows can be reached.
#include "ui/ProgramWindows.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

using MainSuSchermo = ProgramWindows;

TEST_F(MainSuSchermo, TheWholeWindowIsOnTheScreenFromItsFirstShowing) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under scripts/xvfb-openbox";
    CreaFinestre();
    // The window manager frames the window once it is mapped, as late as a busy machine makes it:
    // the program says when it has fitted the window to that frame.
    QEventLoop attesa;
    QObject::connect(MainFrm, &TMainFrm::AdattataAllaCornice, &attesa, &QEventLoop::quit);
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, &attesa, &QEventLoop::quit);
    MostraMainFrm();
    if (!MainFrm->CorniceNota()) {
        limite.start(120000);
        attesa.exec();
    }
    ASSERT_TRUE(MainFrm->CorniceNota()) << "the window manager gave no frame in two minutes";
    const QRect area = MainFrm->screen()->availableGeometry();
    const QRect finestra = MainFrm->frameGeometry();
    EXPECT_TRUE(area.contains(finestra))
        << "window " << finestra.x() << "," << finestra.y() << " " << finestra.width() << "x"
        << finestra.height() << " on " << area.width() << "x" << area.height();
    EXPECT_EQ(MainFrm->width(), 1180) << "as wide as designed: the screen is wide enough";
}

} // namespace
