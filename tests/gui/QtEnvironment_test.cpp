// One QApplication for the whole test program, created before the first test and destroyed after
// the last (the test programs bring their own main, so it is registered from a static initialiser).
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QtEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[9] = "test_gui";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

// ThreadSanitizer: the file dialog's model reads the disk in a thread of Qt's own, and Qt Core
// synchronises it with futexes the sanitizer cannot see, so it reports Qt's memory handed between
// Qt's threads. Only what Qt Core itself calls is ignored; our code stays checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n";
}
