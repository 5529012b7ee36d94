#pragma once
// A dialog service for tests: records every message, answers Yes/No questions and file choices
// from queues the test fills, and fails the test when a dialog comes that nobody scripted.
#include "platform/gui/Dialogs.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

struct ShownMessage {
    platform::gui::MsgKind Kind;
    std::string Text;
};

class ScriptedDialogs final : public platform::gui::DialogService {
  public:
    // Installs itself for its lifetime.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void AnswerYes() { Push(answers_, true); }
    void AnswerNo() { Push(answers_, false); }
    void ChooseFile(const std::string& path) { Push(files_, std::optional<std::string>(path)); }
    void CancelFile() { Push(files_, std::optional<std::string>()); }

    std::vector<ShownMessage> Messages() const;
    std::vector<platform::gui::FileDialogOptions> FileDialogs() const;
    bool AllAnswersUsed() const;
    void Clear();

    platform::gui::MsgResult Message(platform::gui::MsgKind kind, const std::string& text,
                                     platform::gui::MsgButtons buttons) override;
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions& options) override;

  private:
    template <class Q, class V> void Push(Q& q, V v) {
        std::lock_guard lock(mutex_);
        q.push_back(std::move(v));
    }
    std::optional<std::string> NextFile(const platform::gui::FileDialogOptions& options);

    mutable std::mutex mutex_;
    std::deque<bool> answers_;
    std::deque<std::optional<std::string>> files_;
    std::vector<ShownMessage> messages_;
    std::vector<platform::gui::FileDialogOptions> fileDialogs_;
};

// Scripted dialogs whose file choices also move the process's current folder, as the platform's
// dialogs may: a command must put it back however it ends. Installs itself for its lifetime and
// then gives the dialogs back to the script.
class FolderMovingDialogs final : public platform::gui::DialogService {
  public:
    FolderMovingDialogs(ScriptedDialogs& script, std::string folder);
    ~FolderMovingDialogs() override;

    platform::gui::MsgResult Message(platform::gui::MsgKind kind, const std::string& text,
                                     platform::gui::MsgButtons buttons) override;
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions& options) override;

  private:
    ScriptedDialogs& script_;
    std::string folder_;
};

} // namespace testing_support
