#pragma once
// A line edit that takes the windows' Delphi edit masks (see DelphiMask.h) and speaks
// Windows-1252 through Text()/SetText(). Without a mask it is a plain edit limited to MaxLength
// characters that Windows-1252 can hold.
//
// With a mask the edit is in overwrite mode: a typed character goes to the next position that is
// not a literal and is refused when it does not fit there; typing a literal's character jumps past
// it; Backspace and Delete empty positions without shifting the others; a paste is typed character
// by character. The layout can never be broken, whatever route a change takes. A click into the
// unfilled part after the text puts the cursor right after the text, so that typing appends.
#include "platform/gui/qt/DelphiMask.h"

#include <QLineEdit>
#include <string>
#include <string_view>

namespace platform::gui {

class TMaskEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    // The Delphi mask, e.g. "!99/99/00;1;_"; empty for a plain edit. The text is kept as far as
    // it fits the new mask.
    void SetEditMask(std::string_view mask);
    const std::string& EditMask() const { return mask_.Source(); }
    const DelphiMask& Mask() const { return mask_; }

    // Delphi's Text: with a mask, what DelphiMask::ToText gives (literals only when the mask saves
    // them, unfilled positions as blanks).
    std::string Text() const;
    void SetText(std::string_view text);
    // What the edit shows, blanks of the mask included.
    std::string EditText() const;

    // At most this many characters in a plain edit; 0 = no limit. A mask has its own length.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    // Every required position of the mask is filled (always true without a mask).
    bool IsComplete() const;

    // Typing and pasting as the keyboard would, so that tests and the windows share one path.
    void TypeText(const QString& text);
    void ClearSelectionOrPrevious(); // Backspace
    void ClearSelectionOrCurrent();  // Delete

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Hidden: a caller must go through SetText, which knows the mask.
    using QLineEdit::setMaxLength;
    using QLineEdit::setText;

    bool TypeChar(QChar c);
    bool ClearSelected();
    void Show(std::size_t cursor, bool edited);
    void OnTextChanged(const QString& text);
    void PasteMasked();
    void CutMasked();

    DelphiMask mask_;
    DelphiMask::Cells cells_;
    int maxLength_ = 0;
    bool updating_ = false;
};

} // namespace platform::gui
