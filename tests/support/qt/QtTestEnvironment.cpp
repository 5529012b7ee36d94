// One QApplication for a whole Qt test program, created before the first test and destroyed after
// the last (the test programs bring their own main, so it is registered from a static initialiser).
// Linked into every test program that makes windows.
#include "platform/gui/qt/Caratteri.h"
#include "platform/net/UdpServer.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QtEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        // Tests close and reopen windows at will; the last one closing must not end anything.
        QApplication::setQuitOnLastWindowClosed(false);
        // The program's own fonts, so that what the tests measure is what the user sees.
        platform::gui::ImpostaCaratteri();
        // The windows' UDP server listens on the loopback address only.
        platform::net::SetDefaultBindAddress("127.0.0.1");
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[10] = "vm415test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

// ThreadSanitizer: Qt, GLib and the X11 libraries synchronise their own threads (the file dialog's
// disk reader, the smooth image scaling pool, the event dispatcher, the X11 connection's event
// reader) with futexes the sanitizer cannot see, so it reports their memory handed between their
// own threads. Only what these libraries themselves call is ignored; our code and the hand-over to
// the UI thread stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6XcbQpa.so.6\n"
           "called_from_lib:libxcb.so.1\n"
           "called_from_lib:libX11.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
