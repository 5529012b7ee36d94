#pragma once
// The modal dialogs the program shows (messages, open and save file choices), behind one interface
// so that the core libraries never include Qt and tests can answer dialogs from a script.
// Message texts, titles and filters crossing this interface are Windows-1252, like the texts of the
// image and the language table; the Qt implementation converts them at its boundary. File paths
// (InitialDir, FileName and the chosen path) are file-system names and are never converted, so a
// name that Windows-1252 cannot spell still opens the file the user chose.
#include <optional>
#include <string>

namespace platform::gui {

enum class MsgKind { Error, Information, Confirmation, Warning };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// A file choice: Filter in the form "Text (*.ext)|*.ext" (pairs separated by '|'),
// DefaultExt without the point, InitialDir may be empty (the current folder).
struct FileDialogOptions {
    std::string Title;
    std::string Filter;
    std::string DefaultExt;
    std::string InitialDir;
    std::string FileName;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual MsgResult Message(MsgKind kind, const std::string& text, MsgButtons buttons) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogOptions& options) = 0;
};

// The service in use. Without one installed, a headless service prints messages on standard
// error, answers Yes/No questions with No (the answer that changes nothing) and cancels file choices.
DialogService& Dialogs();
// Installs a service (nullptr restores the headless one); the caller keeps ownership.
void SetDialogs(DialogService* service);

// Shorthands for the three kinds the program uses.
void ShowError(const std::string& text);
void ShowInformation(const std::string& text);
bool AskYesNo(const std::string& text);

} // namespace platform::gui
