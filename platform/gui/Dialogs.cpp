#include "platform/gui/Dialogs.h"

#include "platform/diag/Diagnostica.h"

#include <atomic>

namespace platform::gui {
namespace {

class HeadlessDialogs final : public DialogService {
public:
    MsgResult Message(MsgKind kind, const std::string& text, MsgButtons buttons) override {
        const char* label = kind == MsgKind::Error ? "error" : kind == MsgKind::Warning ? "warning" : "message";
        platform::Diagnostica(label, text);
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
    std::optional<std::string> OpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialogOptions&) override { return std::nullopt; }
};

HeadlessDialogs headless;
std::atomic<DialogService*> current{nullptr};

} // namespace

DialogService& Dialogs() {
    DialogService* s = current.load();
    return s ? *s : headless;
}

void SetDialogs(DialogService* service) { current.store(service); }

void ShowError(const std::string& text) { Dialogs().Message(MsgKind::Error, text, MsgButtons::Ok); }
void ShowInformation(const std::string& text) { Dialogs().Message(MsgKind::Information, text, MsgButtons::Ok); }
bool AskYesNo(const std::string& text) {
    return Dialogs().Message(MsgKind::Confirmation, text, MsgButtons::YesNo) == MsgResult::Yes;
}

} // namespace platform::gui
