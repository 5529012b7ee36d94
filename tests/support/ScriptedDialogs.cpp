#include "support/ScriptedDialogs.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace testing_support {

using namespace platform::gui;

ScriptedDialogs::ScriptedDialogs() {
    SetDialogs(this);
}
ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(nullptr);
}

std::vector<ShownMessage> ScriptedDialogs::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<FileDialogOptions> ScriptedDialogs::FileDialogs() const {
    std::lock_guard lock(mutex_);
    return fileDialogs_;
}

bool ScriptedDialogs::AllAnswersUsed() const {
    std::lock_guard lock(mutex_);
    return answers_.empty() && files_.empty();
}

void ScriptedDialogs::Clear() {
    std::lock_guard lock(mutex_);
    answers_.clear();
    files_.clear();
    messages_.clear();
    fileDialogs_.clear();
}

MsgResult ScriptedDialogs::Message(MsgKind kind, const std::string& text, MsgButtons buttons) {
    std::lock_guard lock(mutex_);
    messages_.push_back({kind, text});
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted question: " << text;
        return MsgResult::No;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes ? MsgResult::Yes : MsgResult::No;
}

std::optional<std::string> ScriptedDialogs::NextFile(const FileDialogOptions& options) {
    std::lock_guard lock(mutex_);
    fileDialogs_.push_back(options);
    if (files_.empty()) {
        ADD_FAILURE() << "unscripted file dialog: " << options.Title;
        return std::nullopt;
    }
    auto f = files_.front();
    files_.pop_front();
    return f;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogOptions& options) {
    return NextFile(options);
}
std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogOptions& options) {
    return NextFile(options);
}

FolderMovingDialogs::FolderMovingDialogs(ScriptedDialogs& script, std::string folder)
    : script_(script), folder_(std::move(folder)) {
    platform::gui::SetDialogs(this);
}

FolderMovingDialogs::~FolderMovingDialogs() {
    platform::gui::SetDialogs(&script_);
}

MsgResult FolderMovingDialogs::Message(MsgKind kind, const std::string& text,
                                       platform::gui::MsgButtons buttons) {
    return script_.Message(kind, text, buttons);
}

std::optional<std::string> FolderMovingDialogs::OpenFile(const FileDialogOptions& options) {
    std::filesystem::current_path(folder_);
    return script_.OpenFile(options);
}

std::optional<std::string> FolderMovingDialogs::SaveFile(const FileDialogOptions& options) {
    std::filesystem::current_path(folder_);
    return script_.SaveFile(options);
}

} // namespace testing_support
