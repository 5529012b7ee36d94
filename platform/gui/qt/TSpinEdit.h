#pragma once
// A number field with up and down arrows, as the windows were designed with: the text may hold a
// number outside MinValue..MaxValue while the user types (Value() gives it as it stands), and it
// is brought within the range when the field is left or set from code. With MinValue equal to
// MaxValue there is no range at all.
#include <QAbstractSpinBox>
#include <string>
#include <string_view>

namespace platform::gui {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    // Each keeps the value's text as it is; the range applies at the next exit or SetValue.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int step) { increment_ = step; }

    // The number the text holds; a text that is not a whole number (empty, "-", too long) gives
    // MinValue.
    int Value() const;
    // Shows the value brought within the range.
    void SetValue(int value);

    std::string Text() const;
    void SetText(std::string_view text);

    int Clamp(int value) const;
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  signals:
    // The text changed, by typing, the arrows or code.
    void Changed();

  protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int min_ = 0;
    int max_ = 0;
    int increment_ = 1;
};

} // namespace platform::gui
