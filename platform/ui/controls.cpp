#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QResizeEvent>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/ui/control_parts.h"
#include "platform/text/qt_text.h"
#include "platform/text/text.h"
#include "platform/ui/ui.h"

namespace platform {

void RequireUIThread() {
  // The thread last found to be the application's answers at once: a label is set on every
  // row of a run, and asking Qt for the current thread is a lookup in another library.
  static std::atomic<std::thread::id> uiThread{};
  const std::thread::id self = std::this_thread::get_id();
  if (self == uiThread.load(std::memory_order_relaxed)) return;
  const QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (app->thread() != QThread::currentThread()) throw ThreadAccessingUIException();
  uiThread.store(self, std::memory_order_relaxed);
}

// ---- Control ------------------------------------------------------------------------------

ClassRecord* Control::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "Control",
      .events = {"Close", "Open"},
      .properties =
          {
              MakeProperty<&Control::Name, &Control::SetName>("Name"),
              MakeProperty<&Control::Index, &Control::SetIndex>("Index"),
              MakeProperty<&Control::TabPanelIndex, &Control::SetTabPanelIndex>("TabPanelIndex"),
          },
  });
  return record;
}

bool Control::RaiseEvent(std::string_view eventName) {
  if (!Record()) throw RuntimeException("the control has no class to number its events");
  return RuntimeRaiseEvent(*this, RuntimeEventNumber(Record(), eventName));
}

// ---- RectControl --------------------------------------------------------------------------

// Watches the widget's parent (the content area or the container) for resizes, so that the
// control's locked edges follow the parent's. The first size seen after the parent is shown
// is where the locks start from: what was set while it was hidden, in whatever order, is
// the built state.
struct RectControl::Watcher : QObject {
  Watcher(RectControl* control, QWidget* widget) : QObject(widget), control_(control) {}

  void Watch(QWidget* parent) {
    if (parent_ == parent) return;
    if (parent_) parent_->removeEventFilter(this);
    parent_ = parent;
    known_ = parent->isVisible() ? parent->size() : QSize();
    parent->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent_ && event->type() == QEvent::Resize) {
      const QSize now = static_cast<QResizeEvent*>(event)->size();
      if (known_.isValid() && now != known_)
        RuntimeRunApplicationCode(
            [&] { control_->ParentResized(now.width() - known_.width(), now.height() - known_.height()); });
      known_ = now;
    }
    return false;
  }

  RectControl* control_;  // the watcher goes with the widget, which goes before the control
  QPointer<QWidget> parent_;
  QSize known_;
};

struct RectControl::Holder {
  QPointer<QWidget> widget;
  QPointer<QWidget> content;  // the window's content area, once the window holds the control
  QPointer<Watcher> watcher;
  Qt::FocusPolicy focusPolicy = Qt::NoFocus;  // the widget's own
  std::chrono::steady_clock::time_point lastPaint{};
};

namespace {

void ConstructorOperation(RectControl& self) { self.Constructor(); }

}  // namespace

ClassRecord* RectControl::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "RectControl",
      .parent = Control::GetClass(),
      .members = {Member("Constructor", "%%", &ConstructorOperation)},
      .events = {"ConstructContextualMenu", "ContextualMenuAction", "DragEnter", "DragExit", "DragOver", "DropObject",
                 "KeyDown", "KeyUp", "MouseEnter", "MouseExit", "MouseMove", "MouseWheel"},
      .properties = {
          MakeProperty<&RectControl::Left, &RectControl::SetLeft>("Left"),
          MakeProperty<&RectControl::Top, &RectControl::SetTop>("Top"),
          MakeProperty<&RectControl::Width, &RectControl::SetWidth>("Width"),
          MakeProperty<&RectControl::Height, &RectControl::SetHeight>("Height"),
          MakeProperty<&RectControl::LockLeft, &RectControl::SetLockLeft>("LockLeft"),
          MakeProperty<&RectControl::LockTop, &RectControl::SetLockTop>("LockTop"),
          MakeProperty<&RectControl::LockRight, &RectControl::SetLockRight>("LockRight"),
          MakeProperty<&RectControl::LockBottom, &RectControl::SetLockBottom>("LockBottom"),
          MakeProperty<&RectControl::TabIndex, &RectControl::SetTabIndex>("TabIndex"),
          MakeProperty<&RectControl::TabStop, &RectControl::SetTabStop>("TabStop"),
          MakeProperty<&RectControl::Enabled, &RectControl::SetEnabled>("Enabled"),
          MakeProperty<&RectControl::Visible, &RectControl::SetVisible>("Visible"),
          MakeProperty<&RectControl::HelpTag, &RectControl::SetHelpTag>("HelpTag"),
          MakeProperty<&RectControl::AutoDeactivate, &RectControl::SetAutoDeactivate>("AutoDeactivate"),
          MakeProperty<&RectControl::InitialParent, &RectControl::SetInitialParent>("InitialParent"),
      },
  });
  return record;
}

RectControl::RectControl(QWidget* widget) : holder_(new Holder) {
  RequireUIThread();
  holder_->widget = widget;
  holder_->focusPolicy = widget->focusPolicy();
  holder_->watcher = new Watcher(this, widget);
  widget->hide();  // shown once it has a window
  widget->setGeometry(left_, top_, width_, height_);
}

RectControl::~RectControl() {
  if (container_) std::erase(container_->contained_, this);
  delete holder_->widget.data();
}

void RectControl::Constructor() { RequireUIThread(); }

QWidget* RectControl::Widget() const {
  QWidget* widget = holder_->widget.data();
  if (!widget) RaiseNilObjectException();
  return widget;
}

// ---- Window and container -----------------------------------------------------------------

void RectControl::AttachToWindow(Window& window, QWidget* content) {
  RequireUIThread();
  window_ = WeakRef<Window>(&window);
  holder_->content = content;
  FindContainer();
  PutInParent();
}

void RectControl::SetInitialParent(const String& name) {
  RequireUIThread();
  const String before = std::exchange(initialParent_, name);
  if (!holder_->content) return;  // the window finds the container when it registers the control
  try {
    FindContainer();
  } catch (...) {
    initialParent_ = before;
    throw;
  }
  PutInParent();
}

// Looks the container that InitialParent names up in the window and takes it as the
// control's container.
void RectControl::FindContainer() {
  Ref<RectControl> found;
  if (!initialParent_.empty()) {
    Window* window = window_.get();
    if (!window)
      throw RuntimeException("InitialParent \"" + initialParent_ + "\": the control is in no window to look it up in");
    found = Ref<RectControl>(dynamic_cast<RectControl*>(window->_ControlByName(initialParent_).get()));
    if (!found) throw RuntimeException("InitialParent: the window holds no control named \"" + initialParent_ + "\"");
    for (const RectControl* outer = found.get(); outer; outer = outer->container_.get())
      if (outer == this) throw RuntimeException("InitialParent: \"" + initialParent_ + "\" lies inside the control");
  }
  if (found == container_) return;
  if (container_) std::erase(container_->contained_, this);
  container_ = std::move(found);
  if (container_) container_->contained_.push_back(this);
}

void RectControl::PutInParent() {
  QWidget* widget = Widget();
  QWidget* parent = container_ ? container_->Widget() : holder_->content.data();
  if (!parent) return;
  if (widget->parentWidget() != parent) widget->setParent(parent);
  holder_->watcher->Watch(parent);
  Place();
  widget->setVisible(visible_);
}

// ---- Geometry -----------------------------------------------------------------------------

void RectControl::Place() {
  const Area area = WidgetArea();
  int originLeft = 0, originTop = 0;
  if (container_) {
    const Area origin = container_->WidgetArea();
    originLeft = origin.left;
    originTop = origin.top;
  }
  Widget()->setGeometry(area.left - originLeft, area.top - originTop, std::max(0, area.width),
                        std::max(0, area.height));
}

void RectControl::SetArea(int left, int top, int width, int height) {
  RequireUIThread();
  const int dx = left - left_, dy = top - top_;
  left_ = left, top_ = top, width_ = width, height_ = height;
  // The contained controls move with their container: their widgets do so by themselves,
  // their window coordinates here.
  if (dx || dy)
    for (RectControl* inner : contained_) inner->ShiftBy(dx, dy);
  Place();
}

void RectControl::ShiftBy(int dx, int dy) {
  left_ += dx, top_ += dy;
  for (RectControl* inner : contained_) inner->ShiftBy(dx, dy);
}

void RectControl::SetLeft(int left) { SetArea(left, top_, width_, height_); }
void RectControl::SetTop(int top) { SetArea(left_, top, width_, height_); }
void RectControl::SetWidth(int width) { SetArea(left_, top_, width, height_); }
void RectControl::SetHeight(int height) { SetArea(left_, top_, width_, height); }

void RectControl::ParentResized(int dx, int dy) {
  int left = left_, top = top_, width = width_, height = height_;
  if (lockRight_) (lockLeft_ ? width : left) += dx;
  if (lockBottom_) (lockTop_ ? height : top) += dy;
  if (left != left_ || top != top_ || width != width_ || height != height_) SetArea(left, top, width, height);
}

// ---- State --------------------------------------------------------------------------------

void RectControl::SetTabStop(bool stop) {
  RequireUIThread();
  tabStop_ = stop;
  const Qt::FocusPolicy own = holder_->focusPolicy;
  Widget()->setFocusPolicy(stop ? own : static_cast<Qt::FocusPolicy>(own & ~Qt::TabFocus));
}

void RectControl::SetEnabled(bool enabled) {
  RequireUIThread();
  enabled_ = enabled;
  QWidget* widget = Widget();
  // The focus of its window, whether that window is active or not.
  const bool focused = widget->window()->focusWidget() == widget;
  if (!enabled && (focused || InItsOwnEvent())) focusWhenEnabled_ = true;
  widget->setEnabled(enabled);
  if (enabled && std::exchange(focusWhenEnabled_, false)) widget->setFocus(Qt::OtherFocusReason);
}

void RectControl::SetVisible(bool visible) {
  RequireUIThread();
  visible_ = visible;
  QWidget* widget = Widget();
  if (widget->parentWidget()) widget->setVisible(visible);  // else when it has its window
}

void RectControl::SetHelpTag(const String& tag) {
  RequireUIThread();
  helpTag_ = tag;
  Widget()->setToolTip(ToQString(tag));
}

void RectControl::Refresh(bool /*immediately*/) {
  RequireUIThread();
  ++refreshCount_;
  SyncWidget();
  QWidget* widget = Widget();
  if (!widget->isVisible()) return;
  // Painting more often than a screen shows frames shows nothing more: within a frame's time
  // of the last paint, the paint waits for the event loop's next turn.
  const auto now = MonotonicNow();
  if (now - holder_->lastPaint < kRepaintInterval) {
    widget->update();
    return;
  }
  holder_->lastPaint = now;
  widget->repaint();
}

// ---- TextControl --------------------------------------------------------------------------

TextControl::TextControl(QWidget* widget) : RectControl(widget) { ApplyFont(); }

QFont SystemFont() {
  // A face that the platform installs, in pixels: neither the desktop's font nor its DPI
  // setting changes what fits where. Hinted vertically only, so that the widths are the
  // face's own whatever hinting the desktop asks for.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(kSystemFontPixelSize);
  font.setStyleHint(QFont::SansSerif);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  return font;
}

void TextControl::ApplyFont() {
  QFont font = SystemFont();
  if (!textFont_.empty() && textFont_ != "System") font.setFamilies({ToQString(textFont_)});
  font.setBold(bold_);
  font.setItalic(italic_);
  font.setUnderline(underline_);
  Widget()->setFont(font);
}

void TextControl::SetTextFont(const String& font) {
  RequireUIThread();
  textFont_ = font;
  ApplyFont();
}
void TextControl::SetBold(bool bold) {
  RequireUIThread();
  bold_ = bold;
  ApplyFont();
}
void TextControl::SetItalic(bool italic) {
  RequireUIThread();
  italic_ = italic;
  ApplyFont();
}
void TextControl::SetUnderline(bool underline) {
  RequireUIThread();
  underline_ = underline;
  ApplyFont();
}
void TextControl::SetTextUnit(std::uint8_t unit) {
  RequireUIThread();
  textUnit_ = unit;
}

std::vector<PropertyEntry> FontProperties() {
  return {
      MakeProperty<&TextControl::TextFont, &TextControl::SetTextFont>("TextFont"),
      MakeProperty<&TextControl::Bold, &TextControl::SetBold>("Bold"),
      MakeProperty<&TextControl::Italic, &TextControl::SetItalic>("Italic"),
      MakeProperty<&TextControl::Underline, &TextControl::SetUnderline>("Underline"),
      MakeProperty<&TextControl::TextUnit, &TextControl::SetTextUnit>("TextUnit"),
  };
}

}  // namespace platform
