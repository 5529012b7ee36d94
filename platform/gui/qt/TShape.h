#pragma once
// A plain painted shape: the rows' lamps (a circle filled lime or light grey), their border
// rectangles (clear brush) and separator lines.
#include <QColor>
#include <QWidget>

namespace platform::gui {

class TShape : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Rectangle, Circle, Ellipse };

    explicit TShape(QWidget* parent = nullptr);

    void SetShape(Kind kind);
    Kind Shape() const { return kind_; }
    // Qt::NoBrush is Delphi's clear brush: only the outline is drawn.
    void SetBrushColor(const QColor& color);
    QColor BrushColor() const { return brush_; }
    void SetBrushStyle(Qt::BrushStyle style);
    Qt::BrushStyle BrushStyle() const { return brushStyle_; }
    void SetPenColor(const QColor& color);
    QColor PenColor() const { return pen_; }
    void SetPenWidth(int width);
    int PenWidth() const { return penWidth_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_ = Kind::Rectangle;
    QColor brush_ = Qt::white;
    Qt::BrushStyle brushStyle_ = Qt::SolidPattern;
    QColor pen_ = Qt::black;
    int penWidth_ = 1;
};

} // namespace platform::gui
