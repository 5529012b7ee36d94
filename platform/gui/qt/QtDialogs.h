#pragma once
// The dialog service of the program: modal message boxes and file choices with Qt.
// Texts arrive and leave in Windows-1252. File paths do not: they are the file system's own names
// and travel unchanged (QFile's encoding), so that a chosen file opens whatever its name holds.
#include "platform/gui/Dialogs.h"

#include <QString>
#include <memory>
#include <string_view>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace platform::gui {

class QtDialogs final : public DialogService {
  public:
    QtDialogs() = default;
    // Puts the headless service back when this one is still installed.
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    // Makes this the service Dialogs() returns.
    void Install();

    // Called from another thread, each waits for the UI thread to show the dialog, through
    // platform::UiThread() when one is installed (it must be Qt's GUI thread), else through Qt's
    // event queue (then the UI thread must be processing Qt events, as its waits do).
    MsgResult Message(MsgKind kind, const std::string& text, MsgButtons buttons) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;
};

// "Text (*.ext)|*.ext|Other (*.a;*.b)|*.a;*.b" in Qt's form "Text (*.ext);;Other (*.a *.b)".
// A description keeps its text; its own trailing "(...)" is replaced by the real patterns, which
// are what Qt filters by. Blank entries are dropped.
QString QtFileFilter(std::string_view filter);

// The dialogs built but not shown, so that tests can look at them without a modal loop.
std::unique_ptr<QMessageBox> MakeMessageBox(MsgKind kind, const std::string& text, MsgButtons buttons,
                                            QWidget* parent);
MsgResult MessageResult(const QMessageBox& box, MsgButtons buttons);
std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogOptions& options, bool save, QWidget* parent);
// The window that a dialog shown now belongs to: the active modal dialog or the active window.
QWidget* DialogParent();

} // namespace platform::gui
