#include "platform/gui/qt/TUpDown.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace platform::gui {

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(Direction::Up); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(Direction::Down); });
    Arrange();
}

void TUpDown::Arrange() {
    delete layout();
    QBoxLayout* box;
    if (orientation_ == Orientation::Vertical) {
        up_->setArrowType(Qt::UpArrow);
        down_->setArrowType(Qt::DownArrow);
        box = new QVBoxLayout(this);
        box->addWidget(up_);
        box->addWidget(down_);
    } else {
        up_->setArrowType(Qt::RightArrow);
        down_->setArrowType(Qt::LeftArrow);
        box = new QHBoxLayout(this);
        box->addWidget(down_);
        box->addWidget(up_);
    }
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
}

void TUpDown::SetOrientation(Orientation orientation) {
    if (orientation_ == orientation) return;
    orientation_ = orientation;
    Arrange();
}

void TUpDown::SetMin(int value) {
    min_ = value;
    if (max_ < min_) max_ = min_;
    Apply(position_);
}

void TUpDown::SetMax(int value) {
    max_ = value;
    if (min_ > max_) min_ = max_;
    Apply(position_);
}

void TUpDown::SetPosition(int value) {
    Apply(value);
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    associate_ = edit;
    if (associate_) associate_->setText(QString::number(position_));
}

void TUpDown::Apply(int position) {
    position = std::clamp(position, min_, max_);
    if (associate_) associate_->setText(QString::number(position));
    if (position == position_) return;
    position_ = position;
    emit PositionChanged(position_);
}

void TUpDown::Step(Direction direction) {
    if (direction == Direction::None || !isEnabled()) return;
    const long long delta = direction == Direction::Up ? increment_ : -(long long)increment_;
    long long proposed = (long long)position_ + delta;
    if (wrap_ && proposed > max_) proposed = min_;
    if (wrap_ && proposed < min_) proposed = max_;
    const int asked = int(std::clamp<long long>(proposed, INT_MIN, INT_MAX));
    if (OnChangingEx && !OnChangingEx(asked, direction)) return;
    Apply(asked);
    emit Click(direction);
}

} // namespace platform::gui
