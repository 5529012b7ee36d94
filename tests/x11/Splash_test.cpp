// The splash as a user sees it on an X display with a window manager: the program makes its other
// windows right after showing it, with no message running, so whatever is on the screen then is
// what the user looks at for the whole start-up.
#include "ui/Finestre.h"
#include "ui/Splash.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

// Share of pixels (per thousand) that match within a few levels on every channel.
int PixelUguali(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    long uguali = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) <= 8 && std::abs(qGreen(p) - qGreen(q)) <= 8 &&
                std::abs(qBlue(p) - qBlue(q)) <= 8)
                ++uguali;
        }
    return int(uguali * 1000 / (long(a.width()) * a.height()));
}

TEST(SplashSuSchermo, ShowsTheLogoBeforeAnyMessageRuns) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under scripts/xvfb-openbox";
    CreaSplash();
    ASSERT_NE(SplashForm, nullptr);

    // What the window draws, and what the screen holds in its place right now.
    const QImage atteso = SplashForm->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage schermo =
        SplashForm->screen()->grabWindow(SplashForm->winId()).toImage().convertToFormat(QImage::Format_RGB32);

    // The picture must be the logo, not a plain panel: many colours.
    std::set<QRgb> colori;
    for (int y = 0; y < atteso.height(); y += 4)
        for (int x = 0; x < atteso.width(); x += 4)
            colori.insert(atteso.pixel(x, y));
    EXPECT_GT(colori.size(), 50u) << "the logo did not load";

    EXPECT_EQ(schermo.size(), atteso.size());
    EXPECT_GE(PixelUguali(schermo, atteso), 990) << "the splash on the screen is not what it paints";

    delete SplashForm;
    SplashForm = nullptr;
}

} // namespace
