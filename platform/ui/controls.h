// The controls of a window: each is shown by a Qt widget that it owns.
#pragma once

#include <memory>

#include "platform/runtime/events.h"
#include "platform/runtime/object.h"

class QWidget;

namespace platform {

class Window;

// Raises ThreadAccessingUIException unless called on the user-interface thread.
void RequireUIThread();

class Control : public EventSource {};

// A control with a place in its window, shown by a Qt widget that it owns.
class RectControl : public Control {
 public:
  ~RectControl() override;

  bool Enabled() const;
  void SetEnabled(bool enabled);
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);
  // Repaints the control at once, inside a synchronous run as well.
  void Refresh(bool immediately);
  // How many times Refresh was asked for; for diagnostics and tests.
  int RefreshCount() const noexcept { return refreshCount_; }

  // For the platform's own use: the widget that shows the control.
  QWidget* Widget() const;
  // Places the widget in a window's content area; its geometry stays in window coordinates.
  void AttachTo(QWidget* content);

 protected:
  explicit RectControl(QWidget* widget);
  // Brings the widget up to date with what was set since it was last shown.
  virtual void SyncWidget() {}

 private:
  struct Holder;
  std::unique_ptr<Holder> holder_;
  int refreshCount_ = 0;
};

// A label keeps its text itself and hands it to its widget only when it is shown (by
// Refresh, or when the event loop runs), so that setting it on every row costs little.
class Label : public RectControl {
 public:
  Label();
  const String& Text() const;
  void SetText(String text);

 protected:
  void SyncWidget() override;

 private:
  String text_;
  bool pending_ = false;
};

class CheckBox : public RectControl {
 public:
  CheckBox();
  bool Value() const;  // True when checked at the moment of the call
  void SetValue(bool checked);
  String Caption() const;
  void SetCaption(const String& caption);
};

class PushButton : public RectControl {
 public:
  PushButton();
  String Caption() const;
  void SetCaption(const String& caption);
  // Presses the button as a click does.
  void Push();
};

}  // namespace platform
