#pragma once
// The logo shown by the splash and on the main window's first page.
#include <QImage>
#include <string>

namespace platform::gui {

// A JPEG file decoded by our libjpeg decoder; a null image when the file is missing or is not a
// complete JPEG. Nothing is reported either way: no logo is not an error.
QImage LoadJpegImage(const std::string& path);
// "logo.jpg" in the program's folder.
QImage LoadLogo();

} // namespace platform::gui
