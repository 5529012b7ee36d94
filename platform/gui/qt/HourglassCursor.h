#pragma once
// The hourglass while a long operation runs on the UI thread, restored however the scope ends.
// Guards nest: each restores exactly the cursor it replaced.
namespace platform::gui {

class HourglassCursor {
  public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

  private:
    // False when there was no application or we are not on its thread: then nothing is changed,
    // so nothing must be restored.
    bool set_;
};

} // namespace platform::gui
