#pragma once
// A multi-line edit as the windows were designed with: it speaks Windows-1252 through
// Text()/SetText(), its lines joined by CR LF as the configuration files have always stored them,
// and it holds at most MaxLength characters of that text (a line break counts two), so that what
// it shows always fits the field it is saved into.
//
// Every route the user has into it (typing, Enter, paste, input method) takes only the characters
// Windows-1252 can hold and only as many as fit; what does not fit is refused, never cut out of
// text already there. Text cannot be dropped on it, as in the original windows.
#include <QPlainTextEdit>
#include <string>
#include <string_view>

namespace platform::gui {

class TMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TMemo(QWidget* parent = nullptr);

    // 0 = no limit. A text already longer is kept; only what is added is held to the limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    std::string Text() const;
    // Lines may end with CR LF, LF or CR; a text longer than MaxLength is cut to it.
    void SetText(std::string_view text);
    // The length of Text().
    int Length() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // How many characters may still be added in place of the selection.
    int Room() const;
    // The part of `text` (line breaks as '\n') that Windows-1252 holds, cut to `room`.
    static QString Fitting(const QString& text, int room);

    int maxLength_ = 0;
};

} // namespace platform::gui
