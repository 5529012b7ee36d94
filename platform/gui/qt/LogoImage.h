#pragma once
// The logo shown by the splash and on the main window's first page.
#include <QImage>
#include <string>

namespace platform::gui {

// A JPEG file decoded by our libjpeg decoder; a null image when the file is missing, cannot be
// read or is not a complete JPEG. No logo is no error: only a file that is there but cannot be
// read is named, once, on the diagnostic log.
QImage LoadJpegImage(const std::string& path);
// "logo.jpg" in the program's folder.
QImage LoadLogo();

} // namespace platform::gui
