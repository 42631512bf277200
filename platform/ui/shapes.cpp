// ProgressBar, Line and Rectangle.
#include <QPainter>
#include <QPen>
#include <QProgressBar>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

#include "platform/ui/control_parts.h"

namespace platform {

// ---- ProgressBar --------------------------------------------------------------------------

ClassRecord* ProgressBar::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "ProgressBar",
      .parent = RectControl::GetClass(),
      .properties = {
          MakeProperty<&ProgressBar::Value, &ProgressBar::SetValue>("Value"),
          MakeProperty<&ProgressBar::Maximum, &ProgressBar::SetMaximum>("Maximum"),
      },
      .make = &MakeObject<ProgressBar>,
  });
  return record;
}

ProgressBar::ProgressBar() : RectControl(NewWidget<QProgressBar>()) {
  SetRecord(GetClass());
  static_cast<QProgressBar*>(Widget())->setTextVisible(false);
  Apply();
}

// Qt drops a value outside the range, and lists set Value before Maximum: both are kept
// here and handed over together. The range 0 to 0 is Qt's busy bar.
void ProgressBar::Apply() {
  auto* bar = static_cast<QProgressBar*>(Widget());
  const int maximum = std::max(0, maximum_);
  bar->setRange(0, maximum);
  bar->setValue(std::clamp(value_, 0, maximum));
}

void ProgressBar::SetValue(std::int32_t value) {
  RequireUIThread();
  value_ = value;
  Apply();
}

void ProgressBar::SetMaximum(std::int32_t maximum) {
  RequireUIThread();
  maximum_ = maximum;
  Apply();
}

// ---- Line ---------------------------------------------------------------------------------

namespace {

class LineWidget : public QWidget {
 public:
  LineWidget() { setAttribute(Qt::WA_TransparentForMouseEvents); }
  QPoint from, to;  // in the widget's own coordinates
  int thickness = 1;
  QColor colour = Qt::black;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (thickness <= 0) return;
    QPainter painter(this);
    painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(from, to);
  }
};

}  // namespace

ClassRecord* Line::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "Line",
      .parent = RectControl::GetClass(),
      .properties = {
          MakeProperty<&Line::X1, &Line::SetX1>("X1"),
          MakeProperty<&Line::Y1, &Line::SetY1>("Y1"),
          MakeProperty<&Line::X2, &Line::SetX2>("X2"),
          MakeProperty<&Line::Y2, &Line::SetY2>("Y2"),
          MakeProperty<&Line::BorderWidth, &Line::SetBorderWidth>("BorderWidth"),
          MakeProperty<&Line::LineColor, &Line::SetLineColor>("LineColor"),
      },
      .make = &MakeObject<Line>,
  });
  return record;
}

Line::Line() : RectControl(NewWidget<LineWidget>()) {
  SetRecord(GetClass());
  Reshape();
}

// The segment's bounding box, widened on both sides to the line's thickness.
RectControl::Area Line::WidgetArea() const {
  const int thickness = std::max(1, borderWidth_);
  const int before = (thickness - 1) / 2;
  return {std::min(x1_, x2_) - before, std::min(y1_, y2_) - before, std::abs(x2_ - x1_) + thickness,
          std::abs(y2_ - y1_) + thickness};
}

void Line::Reshape() {
  RequireUIThread();
  auto* widget = static_cast<LineWidget*>(Widget());
  const Area area = WidgetArea();
  widget->from = QPoint(x1_ - area.left, y1_ - area.top);
  widget->to = QPoint(x2_ - area.left, y2_ - area.top);
  widget->thickness = borderWidth_;
  widget->colour = ToQColor(lineColor_);
  Place();
  widget->update();
}

void Line::ShiftBy(int dx, int dy) {
  x1_ += dx, x2_ += dx, y1_ += dy, y2_ += dy;
  RectControl::ShiftBy(dx, dy);
}

void Line::SetX1(std::int32_t x) { x1_ = x, Reshape(); }
void Line::SetY1(std::int32_t y) { y1_ = y, Reshape(); }
void Line::SetX2(std::int32_t x) { x2_ = x, Reshape(); }
void Line::SetY2(std::int32_t y) { y2_ = y, Reshape(); }
void Line::SetBorderWidth(std::int32_t width) { borderWidth_ = width, Reshape(); }
void Line::SetLineColor(Color color) { lineColor_ = color, Reshape(); }

// ---- Rectangle ----------------------------------------------------------------------------

namespace {

class RectangleWidget : public QWidget {
 public:
  QColor fill = Qt::white, topLeft = Qt::black, bottomRight = Qt::black;
  int border = 1;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), fill);
    for (int i = 0; i < border && 2 * i < width() && 2 * i < height(); ++i) {
      const QRect edge = rect().adjusted(i, i, -i, -i);
      painter.setPen(topLeft);
      painter.drawLine(edge.topLeft(), edge.topRight());
      painter.drawLine(edge.topLeft(), edge.bottomLeft());
      painter.setPen(bottomRight);
      painter.drawLine(edge.bottomLeft(), edge.bottomRight());
      painter.drawLine(edge.topRight(), edge.bottomRight());
    }
  }
};

}  // namespace

ClassRecord* Rectangle::GetClass() {
  using R = Rectangle;
  static ClassRecord* const record = BuildClassRecord({
      .name = "Rectangle",
      .parent = RectControl::GetClass(),
      .properties = {
          MakeProperty<&R::FillColor, &R::SetFillColor>("FillColor"),
          MakeProperty<&R::BorderWidth, &R::SetBorderWidth>("BorderWidth"),
          MakeProperty<&R::TopLeftColor, &R::SetTopLeftColor>("TopLeftColor"),
          MakeProperty<&R::BottomRightColor, &R::SetBottomRightColor>("BottomRightColor"),
      },
      .make = &MakeObject<Rectangle>,
  });
  return record;
}

Rectangle::Rectangle() : RectControl(NewWidget<RectangleWidget>()) {
  SetRecord(GetClass());
  Repaint();
}

void Rectangle::Repaint() {
  RequireUIThread();
  auto* widget = static_cast<RectangleWidget*>(Widget());
  widget->fill = ToQColor(fillColor_);
  widget->topLeft = ToQColor(topLeftColor_);
  widget->bottomRight = ToQColor(bottomRightColor_);
  widget->border = borderWidth_;
  widget->update();
}

void Rectangle::SetFillColor(Color color) { fillColor_ = color, Repaint(); }
void Rectangle::SetBorderWidth(std::int32_t width) { borderWidth_ = width, Repaint(); }
void Rectangle::SetTopLeftColor(Color color) { topLeftColor_ = color, Repaint(); }
void Rectangle::SetBottomRightColor(Color color) { bottomRightColor_ = color, Repaint(); }

}  // namespace platform
