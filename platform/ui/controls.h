// The controls of a window. Each control class has a record in the class registry (its
// properties, so that property lists can be applied to it, and its events, so that handlers
// can be bound to them) and is shown by a Qt widget that it owns.
//
// Left, Top, Width and Height are window coordinates, those of the window's content area,
// also for a control inside a container: the widget itself is placed relative to its
// container, the control translates.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/runtime/classes.h"
#include "platform/runtime/events.h"
#include "platform/runtime/object.h"
#include "platform/runtime/properties.h"

class QWidget;

namespace platform {

class Window;

// Raises ThreadAccessingUIException unless called on the user-interface thread.
void RequireUIThread();

// A control of a window: its name, its index, and its events (Close, Open).
class Control : public EventSource {
 public:
  static ClassRecord* GetClass();

  const String& Name() const noexcept { return name_; }
  void SetName(const String& name) { name_ = name; }
  std::int32_t Index() const noexcept { return index_; }
  void SetIndex(std::int32_t index) { index_ = index; }
  std::int32_t TabPanelIndex() const noexcept { return tabPanelIndex_; }
  void SetTabPanelIndex(std::int32_t index) { tabPanelIndex_ = index; }

  // Raises the event of that name of the control's class, e.g. "Open" when its window
  // opens. False when no handler is bound; an exception of a handler is reported, not passed
  // on. A name that the class does not declare raises RuntimeException.
  bool RaiseEvent(std::string_view eventName);

 protected:
  Control() = default;

 private:
  String name_;
  std::int32_t index_ = 0;
  std::int32_t tabPanelIndex_ = 0;
};

// A control with a place in its window, shown by a Qt widget that it owns.
class RectControl : public Control {
 public:
  static ClassRecord* GetClass();
  ~RectControl() override;

  // Builds the control; from then on it can be registered in a window.
  void Constructor();

  int Left() const noexcept { return left_; }
  int Top() const noexcept { return top_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);

  // A locked edge keeps its distance to the same edge of the container when the container
  // is resized; locked to both sides, the control grows with it.
  bool LockLeft() const noexcept { return lockLeft_; }
  bool LockTop() const noexcept { return lockTop_; }
  bool LockRight() const noexcept { return lockRight_; }
  bool LockBottom() const noexcept { return lockBottom_; }
  void SetLockLeft(bool lock) { lockLeft_ = lock; }
  void SetLockTop(bool lock) { lockTop_ = lock; }
  void SetLockRight(bool lock) { lockRight_ = lock; }
  void SetLockBottom(bool lock) { lockBottom_ = lock; }

  // The place in the keyboard order among the controls of the same container, and whether
  // the Tab key stops at the control at all. The window orders its controls when it opens.
  std::int32_t TabIndex() const noexcept { return tabIndex_; }
  void SetTabIndex(std::int32_t index) { tabIndex_ = index; }
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool stop);

  // A control that had the keyboard focus when it was disabled, or that a handler of its own
  // event disabled (a button that starts a long task), takes the focus when it is enabled
  // again: the keyboard is back where the task began.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);
  // Shown as the control's tool tip; none when empty.
  const String& HelpTag() const noexcept { return helpTag_; }
  void SetHelpTag(const String& tag);
  bool AutoDeactivate() const noexcept { return autoDeactivate_; }
  void SetAutoDeactivate(bool deactivate) { autoDeactivate_ = deactivate; }

  // The name of the control in the same window that contains this one; empty for the window
  // itself. Set before the control has a window, it takes effect when the window registers it.
  const String& InitialParent() const noexcept { return initialParent_; }
  void SetInitialParent(const String& name);
  // The containing control; nil when the control stands on the window.
  const Ref<RectControl>& Container() const noexcept { return container_; }

  // Brings the widget up to date with what was set and repaints it, inside a synchronous run
  // as well: at once when the last repaint is 15 ms or more ago, else at the event loop's next
  // turn (a screen shows no more frames than that). The argument changes nothing: every call
  // is served as soon as that allows.
  void Refresh(bool immediately);
  // A screen shows no more than about one frame in this time.
  static constexpr std::chrono::milliseconds kRepaintInterval{15};
  // How many times Refresh was asked for; for diagnostics and tests.
  int RefreshCount() const noexcept { return refreshCount_; }

  // ---- For the platform's own use ----
  // The widget that shows the control.
  QWidget* Widget() const;
  // Gives the control its window, when the window registers it: the widget goes into the
  // content area, or into the container that InitialParent names (looked up with
  // window._ControlByName), and is shown. Attaching again moves it to the new window.
  void AttachToWindow(Window& window, QWidget* content);
  // The window that registered the control; nil once that window is gone.
  Window* OwnerWindow() const noexcept { return window_.get(); }

 protected:
  explicit RectControl(QWidget* widget);

  struct Area {
    int left, top, width, height;
  };
  // The area, in window coordinates, that the widget covers: by default the control's own.
  virtual Area WidgetArea() const { return {left_, top_, width_, height_}; }
  // Moves the control and what it contains by that much, with its container.
  virtual void ShiftBy(int dx, int dy);
  // Puts the widget where WidgetArea says, relative to its container's widget.
  void Place();
  // Brings the widget up to date with what was set since it was last shown.
  virtual void SyncWidget() {}
  // True while a handler of the control's own event runs.
  virtual bool InItsOwnEvent() const { return false; }

 private:
  struct Holder;
  struct Watcher;
  void SetArea(int left, int top, int width, int height);
  void ParentResized(int dx, int dy);
  void FindContainer();
  void PutInParent();

  std::unique_ptr<Holder> holder_;
  int refreshCount_ = 0;
  int left_ = 0, top_ = 0, width_ = 100, height_ = 30;
  bool lockLeft_ = true, lockTop_ = true, lockRight_ = false, lockBottom_ = false;
  std::int32_t tabIndex_ = 0;
  bool tabStop_ = true;
  bool enabled_ = true;
  bool focusWhenEnabled_ = false;
  bool visible_ = true;
  bool autoDeactivate_ = true;
  String helpTag_;
  String initialParent_;
  Ref<RectControl> container_;
  std::vector<RectControl*> contained_;  // each holds a reference to this one
  WeakRef<Window> window_;               // the window holds the control
};

// A control that shows text in a font of its own. "System" (and the empty name) is the
// platform's own face at a size fixed in pixels, whatever font the desktop gives the
// application: the windows place their controls in pixels, and every caption must fit its
// control. Another name changes the face only. TextUnit, the unit of the text size, is only
// stored. Not a class of the registry: each class below declares these properties itself.
class TextControl : public RectControl {
 public:
  const String& TextFont() const noexcept { return textFont_; }
  void SetTextFont(const String& font);
  bool Bold() const noexcept { return bold_; }
  void SetBold(bool bold);
  bool Italic() const noexcept { return italic_; }
  void SetItalic(bool italic);
  bool Underline() const noexcept { return underline_; }
  void SetUnderline(bool underline);
  std::uint8_t TextUnit() const noexcept { return textUnit_; }
  void SetTextUnit(std::uint8_t unit);

 protected:
  explicit TextControl(QWidget* widget);

 private:
  void ApplyFont();
  String textFont_ = "System";
  bool bold_ = false, italic_ = false, underline_ = false;
  std::uint8_t textUnit_ = 0;
};

// A framed group of controls, with a caption; the controls that name it as InitialParent
// stand inside it.
class GroupBox : public TextControl {
 public:
  static ClassRecord* GetClass();
  GroupBox();
  const String& Caption() const noexcept { return caption_; }
  void SetCaption(const String& caption);

 private:
  String caption_;
};

class CheckBox : public TextControl {
 public:
  static ClassRecord* GetClass();
  CheckBox();
  bool Value() const;  // True when checked at the moment of the call
  void SetValue(bool checked);
  // 0 unchecked, 1 checked, 2 indeterminate.
  std::int32_t State() const;
  void SetState(std::int32_t state);
  String Caption() const { return caption_; }
  void SetCaption(const String& caption);
  const String& DataSource() const noexcept { return dataSource_; }
  void SetDataSource(const String& source) { dataSource_ = source; }
  const String& DataField() const noexcept { return dataField_; }
  void SetDataField(const String& field) { dataField_ = field; }

 private:
  String caption_;
  String dataSource_, dataField_;
};

// A button; a click, Space or Return while it has the keyboard focus, Return or Enter anywhere
// in its window when it is the default button and no button has the focus, and Push raise its
// event "Action". The focused button and the default button look different.
class PushButton : public TextControl {
 public:
  static ClassRecord* GetClass();
  PushButton();
  String Caption() const { return caption_; }
  void SetCaption(const String& caption);
  bool Default() const noexcept { return default_; }
  void SetDefault(bool isDefault);
  // Stored only: Esc presses no button, for a main window is no dialog; Esc stops a run and
  // does nothing else.
  bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool isCancel);
  std::int32_t ButtonStyle() const noexcept { return buttonStyle_; }
  void SetButtonStyle(std::int32_t style) { buttonStyle_ = style; }
  // Presses the button as a click does.
  void Push();

 protected:
  bool InItsOwnEvent() const override { return inAction_; }

 private:
  bool inAction_ = false;
  String caption_;
  bool default_ = false;
  bool cancel_ = false;
  std::int32_t buttonStyle_ = 0;
};

// A label keeps its text itself and hands it to its widget only when it is shown (by
// Refresh, or when the event loop runs), so that setting it on every row costs little.
class Label : public TextControl {
 public:
  static ClassRecord* GetClass();
  Label();
  const String& Text() const;
  void SetText(String text);
  // 0 and 1 left, 2 centred, 3 right.
  std::int32_t TextAlign() const noexcept { return textAlign_; }
  void SetTextAlign(std::int32_t align);
  Color TextColor() const noexcept { return textColor_; }
  void SetTextColor(Color color);
  // Wraps its text at word boundaries onto further lines.
  bool MultiLine() const noexcept { return multiLine_; }
  void SetMultiLine(bool multiLine);
  bool Selectable() const noexcept { return selectable_; }
  void SetSelectable(bool selectable);
  // False: the label fills its background with its window's colour; True: what lies below
  // it shows through.
  bool Transparent() const noexcept { return transparent_; }
  void SetTransparent(bool transparent);
  const String& DataSource() const noexcept { return dataSource_; }
  void SetDataSource(const String& source) { dataSource_ = source; }
  const String& DataField() const noexcept { return dataField_; }
  void SetDataField(const String& field) { dataField_ = field; }

 protected:
  void SyncWidget() override;

 private:
  void ApplyAlignment();

  String text_;
  bool pending_ = false;
  std::int32_t textAlign_ = 0;
  Color textColor_ = kBlack;
  bool multiLine_ = false;
  bool selectable_ = false;
  bool transparent_ = false;
  String dataSource_, dataField_;
};

// A bar that shows Value out of Maximum; with Maximum 0 it shows that work goes on.
class ProgressBar : public RectControl {
 public:
  static ClassRecord* GetClass();
  ProgressBar();
  std::int32_t Value() const noexcept { return value_; }
  void SetValue(std::int32_t value);
  std::int32_t Maximum() const noexcept { return maximum_; }
  void SetMaximum(std::int32_t maximum);

 private:
  void Apply();
  std::int32_t value_ = 0;
  std::int32_t maximum_ = 100;
};

// A segment from (X1, Y1) to (X2, Y2), in window coordinates. Its widget covers the
// segment's bounding box, BorderWidth thick at least; Left, Top, Width and Height are stored
// but place nothing.
class Line : public RectControl {
 public:
  static ClassRecord* GetClass();
  Line();
  std::int32_t X1() const noexcept { return x1_; }
  std::int32_t Y1() const noexcept { return y1_; }
  std::int32_t X2() const noexcept { return x2_; }
  std::int32_t Y2() const noexcept { return y2_; }
  void SetX1(std::int32_t x);
  void SetY1(std::int32_t y);
  void SetX2(std::int32_t x);
  void SetY2(std::int32_t y);
  std::int32_t BorderWidth() const noexcept { return borderWidth_; }
  void SetBorderWidth(std::int32_t width);
  Color LineColor() const noexcept { return lineColor_; }
  void SetLineColor(Color color);

 protected:
  Area WidgetArea() const override;
  void ShiftBy(int dx, int dy) override;

 private:
  void Reshape();
  std::int32_t x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  std::int32_t borderWidth_ = 1;
  Color lineColor_ = kBlack;
};

// A filled rectangle with a border whose top and left edges may differ in colour from its
// bottom and right edges; it can contain other controls.
class Rectangle : public RectControl {
 public:
  static ClassRecord* GetClass();
  Rectangle();
  Color FillColor() const noexcept { return fillColor_; }
  void SetFillColor(Color color);
  std::int32_t BorderWidth() const noexcept { return borderWidth_; }
  void SetBorderWidth(std::int32_t width);
  Color TopLeftColor() const noexcept { return topLeftColor_; }
  void SetTopLeftColor(Color color);
  Color BottomRightColor() const noexcept { return bottomRightColor_; }
  void SetBottomRightColor(Color color);

 private:
  void Repaint();
  Color fillColor_ = kWhite;
  std::int32_t borderWidth_ = 1;
  Color topLeftColor_ = kBlack, bottomRightColor_ = kBlack;
};

// A scrollable text box. Each CR (character 13) of its text starts a new line; Text gives
// back the text exactly as it was set.
class TextArea : public TextControl {
 public:
  static ClassRecord* GetClass();
  TextArea();

  const String& Text() const noexcept { return text_; }
  void SetText(const String& text);
  // Several lines, wrapped at the area's width; False keeps each line on one line.
  bool MultiLine() const noexcept { return multiLine_; }
  void SetMultiLine(bool multiLine);
  bool ScrollBarHorizontal() const noexcept { return scrollBarHorizontal_; }
  void SetScrollBarHorizontal(bool shown);
  bool ScrollBarVertical() const noexcept { return scrollBarVertical_; }
  void SetScrollBarVertical(bool shown);
  bool Styled() const noexcept { return styled_; }
  void SetStyled(bool styled) { styled_ = styled; }
  bool UseFocusRing() const noexcept { return useFocusRing_; }
  void SetUseFocusRing(bool ring) { useFocusRing_ = ring; }
  Color TextColor() const noexcept { return textColor_; }
  void SetTextColor(Color color);
  Color BackColor() const noexcept { return backColor_; }
  void SetBackColor(Color color);
  bool Border() const noexcept { return border_; }
  void SetBorder(bool border);
  const String& Format() const noexcept { return format_; }
  void SetFormat(const String& format) { format_ = format; }
  bool HideSelection() const noexcept { return hideSelection_; }
  void SetHideSelection(bool hide) { hideSelection_ = hide; }
  const String& Mask() const noexcept { return mask_; }
  void SetMask(const String& mask) { mask_ = mask; }
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // The most characters the user may type, 0 for no limit: stored only, nothing limits what is
  // typed (the one area the system makes is read-only).
  std::int32_t LimitText() const noexcept { return limitText_; }
  void SetLimitText(std::int32_t limit) { limitText_ = limit; }
  // True: Tab types a tab; False: it moves the focus on.
  bool AcceptTabs() const noexcept { return acceptTabs_; }
  void SetAcceptTabs(bool accept);
  // 0 and 1 left, 2 centred, 3 right.
  std::int32_t Alignment() const noexcept { return alignment_; }
  void SetAlignment(std::int32_t alignment);
  bool AutomaticallyCheckSpelling() const noexcept { return checkSpelling_; }
  void SetAutomaticallyCheckSpelling(bool check) { checkSpelling_ = check; }
  const String& DataSource() const noexcept { return dataSource_; }
  void SetDataSource(const String& source) { dataSource_ = source; }
  const String& DataField() const noexcept { return dataField_; }
  void SetDataField(const String& field) { dataField_ = field; }
  // The spacing of lines, as a multiple of the font's; stored.
  double LineSpacing() const noexcept { return lineSpacing_; }
  void SetLineSpacing(double spacing);

 private:
  void ApplyWrap();
  void ApplyColours();

  String text_;
  bool multiLine_ = true;
  bool scrollBarHorizontal_ = false, scrollBarVertical_ = true;
  bool styled_ = false, useFocusRing_ = true;
  Color textColor_ = kBlack, backColor_ = kWhite;
  bool border_ = true;
  String format_, mask_;
  bool hideSelection_ = true;
  bool readOnly_ = false;
  std::int32_t limitText_ = 0;
  bool acceptTabs_ = false;
  std::int32_t alignment_ = 0;
  bool checkSpelling_ = true;
  String dataSource_, dataField_;
  double lineSpacing_ = 1.0;
};

}  // namespace platform
