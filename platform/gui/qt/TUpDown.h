#pragma once
// A pair of arrow buttons stepping a position between Min and Max, as the windows were designed
// with (the radio-zone page selector is one). An associated edit shows the position.
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace platform::gui {

class TUpDown : public QWidget {
    Q_OBJECT
  public:
    enum class Orientation { Vertical, Horizontal };
    enum class Direction { None, Up, Down };
    Q_ENUM(Orientation)
    Q_ENUM(Direction)

    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int Increment() const { return increment_; }
    bool Wrap() const { return wrap_; }
    // Min and Max bring the position within the new range; SetPosition holds it there.
    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);
    void SetIncrement(int step) { increment_ = step; }
    void SetWrap(bool wrap) { wrap_ = wrap; }

    void SetOrientation(Orientation orientation);
    Orientation GetOrientation() const { return orientation_; }

    // The edit that shows the position (not owned); nullptr for none.
    void SetAssociate(QLineEdit* edit);
    QLineEdit* Associate() const { return associate_; }

    // Asked before a button moves the position, with the value it would take (past Min or Max
    // when the position is at a limit and Wrap is off) and the direction; false refuses the move.
    std::function<bool(int newValue, Direction direction)> OnChangingEx;

    // What a press of the up (right) or down (left) button does.
    void Step(Direction direction);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  signals:
    // A button moved the position (after the move).
    void Click(platform::gui::TUpDown::Direction direction);
    // The position changed, by a button or by code.
    void PositionChanged(int position);

  private:
    void Arrange();
    void Apply(int position);

    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* associate_ = nullptr;
    Orientation orientation_ = Orientation::Vertical;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
    bool wrap_ = false;
};

} // namespace platform::gui
