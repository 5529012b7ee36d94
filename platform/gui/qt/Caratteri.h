#pragma once
// The windows were laid out in pixels for an 8-point sans-serif font, and the row descriptions and
// radio codes for an 8-point "Courier New". Every machine gets those same metrics, whatever its
// desktop chooses, so that what fits on one screen fits on all of them.
#include <QFont>

namespace platform::gui {

// Sets the application's font; call once the QApplication exists.
void ImpostaCaratteri();
// The fixed-pitch font of descriptions and codes.
QFont CarattereFisso();

} // namespace platform::gui
