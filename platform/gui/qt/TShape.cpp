#include "platform/gui/qt/TShape.h"

#include <QPainter>
#include <algorithm>

namespace platform::gui {

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::SetShape(Kind kind) {
    kind_ = kind;
    update();
}

void TShape::SetBrushColor(const QColor& color) {
    brush_ = color;
    update();
}

void TShape::SetBrushStyle(Qt::BrushStyle style) {
    brushStyle_ = style;
    update();
}

void TShape::SetPenColor(const QColor& color) {
    pen_ = color;
    update();
}

void TShape::SetPenWidth(int width) {
    penWidth_ = std::max(0, width);
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, kind_ != Kind::Rectangle);
    if (penWidth_ > 0) {
        QPen pen(pen_);
        pen.setWidth(penWidth_);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(QBrush(brush_, brushStyle_));
    // Keep the outline inside the widget: a pen is centred on the shape's edge.
    const qreal inset = penWidth_ / 2.0;
    QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (kind_ == Kind::Circle) {
        const qreal side = std::min(area.width(), area.height());
        area = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    }
    if (area.width() <= 0 || area.height() <= 0) {
        // A one-pixel line (the rows' separators) has no inside: draw it as a filled bar.
        painter.fillRect(rect(), penWidth_ > 0 ? pen_ : brush_);
        return;
    }
    if (kind_ == Kind::Rectangle)
        painter.drawRect(area);
    else
        painter.drawEllipse(area);
}

} // namespace platform::gui
