// One QApplication for the whole end-to-end test program, created before the first test and
// destroyed after the last (the test programs bring their own main, so it is registered from a static
// initialiser).
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QtEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[9] = "test_e2e";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

// ThreadSanitizer: Qt and GLib synchronise their own threads with futexes the sanitizer cannot
// see. Qt Core hands work between its threads, Qt Gui scales pictures on a pool of its own
// threads, and the GLib event loop under a modal dialog frees on one of Qt's threads what it
// allocated on another; the sanitizer reports that memory handed between their threads. Only
// memory calls made by those libraries are ignored; our code and the hand-over to the UI thread
// stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\ncalled_from_lib:libQt6Gui.so.6\ncalled_from_lib:libglib-2.0.so."
           "0\n";
}
