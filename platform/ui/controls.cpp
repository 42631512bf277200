#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QThread>

#include <chrono>

#include "platform/ui/qt_text.h"
#include "platform/ui/ui.h"

namespace platform {

void RequireUIThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  if (app && app->thread() != QThread::currentThread()) throw ThreadAccessingUIException();
}

struct RectControl::Holder {
  QPointer<QWidget> widget;
  std::chrono::steady_clock::time_point lastPaint;
};

RectControl::RectControl(QWidget* widget) : holder_(new Holder{widget, {}}) {
  RequireUIThread();
  widget->hide();  // shown once it has a window
}

RectControl::~RectControl() { delete holder_->widget.data(); }

QWidget* RectControl::Widget() const {
  QWidget* widget = holder_->widget.data();
  if (!widget) RaiseNilObjectException();
  return widget;
}

void RectControl::AttachTo(QWidget* content) {
  QWidget* widget = Widget();
  const QRect geometry = widget->geometry();
  widget->setParent(content);
  widget->setGeometry(geometry);
  widget->show();
}

bool RectControl::Enabled() const { return Widget()->isEnabled(); }
void RectControl::SetEnabled(bool enabled) {
  RequireUIThread();
  Widget()->setEnabled(enabled);
}
int RectControl::Left() const { return Widget()->x(); }
int RectControl::Top() const { return Widget()->y(); }
int RectControl::Width() const { return Widget()->width(); }
int RectControl::Height() const { return Widget()->height(); }
void RectControl::SetLeft(int left) { Widget()->move(left, Widget()->y()); }
void RectControl::SetTop(int top) { Widget()->move(Widget()->x(), top); }
void RectControl::SetWidth(int width) { Widget()->resize(width, Widget()->height()); }
void RectControl::SetHeight(int height) { Widget()->resize(Widget()->width(), height); }

void RectControl::Refresh(bool /*immediately*/) {
  RequireUIThread();
  ++refreshCount_;
  SyncWidget();
  QWidget* widget = Widget();
  if (!widget->isVisible()) return;
  // Painting more often than a screen shows frames shows nothing more: within a frame's time
  // of the last paint, the paint waits for the event loop's next turn.
  const auto now = std::chrono::steady_clock::now();
  if (now - holder_->lastPaint < std::chrono::milliseconds(15)) {
    widget->update();
    return;
  }
  holder_->lastPaint = now;
  widget->repaint();
}

// ---- Label --------------------------------------------------------------------------------

Label::Label() : RectControl(new QLabel) {}

const String& Label::Text() const { return text_; }

void Label::SetText(String text) {
  RequireUIThread();
  text_ = std::move(text);
  if (pending_) return;
  pending_ = true;
  // One deferred update per change burst; the widget is its context, so a label that goes
  // away takes the pending update with it.
  QMetaObject::invokeMethod(Widget(), [this] { SyncWidget(); }, Qt::QueuedConnection);
}

void Label::SyncWidget() {
  if (!pending_) return;
  pending_ = false;
  static_cast<QLabel*>(Widget())->setText(ToQString(text_));
}

// ---- CheckBox -----------------------------------------------------------------------------

CheckBox::CheckBox() : RectControl(new QCheckBox) {}

bool CheckBox::Value() const {
  RequireUIThread();
  return static_cast<QCheckBox*>(Widget())->isChecked();
}
void CheckBox::SetValue(bool checked) {
  RequireUIThread();
  static_cast<QCheckBox*>(Widget())->setChecked(checked);
}
String CheckBox::Caption() const { return FromQString(static_cast<QCheckBox*>(Widget())->text()); }
void CheckBox::SetCaption(const String& caption) {
  RequireUIThread();
  static_cast<QCheckBox*>(Widget())->setText(ToQString(caption));
}

// ---- PushButton ---------------------------------------------------------------------------

PushButton::PushButton() : RectControl(new QPushButton) {}

String PushButton::Caption() const { return FromQString(static_cast<QPushButton*>(Widget())->text()); }
void PushButton::SetCaption(const String& caption) {
  RequireUIThread();
  static_cast<QPushButton*>(Widget())->setText(ToQString(caption));
}
void PushButton::Push() {
  RequireUIThread();
  static_cast<QPushButton*>(Widget())->click();
}

}  // namespace platform
