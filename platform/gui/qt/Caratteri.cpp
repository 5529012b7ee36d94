#include "platform/gui/qt/Caratteri.h"

#include <QApplication>

namespace platform::gui {

namespace {
// 8 points at the 96 dots per inch the layouts assume, given in pixels so that a screen that
// reports another density still shows the layout as designed.
constexpr int AltezzaPixel = 11;
} // namespace

void ImpostaCaratteri() {
    // Liberation Sans has Arial's metrics; fontconfig falls back to the nearest sans-serif.
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(AltezzaPixel);
    QApplication::setFont(f);
}

QFont CarattereFisso() {
    // Liberation Mono is metric-compatible with Courier New.
    QFont f(QStringLiteral("Liberation Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(AltezzaPixel);
    return f;
}

} // namespace platform::gui
