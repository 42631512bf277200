// Windows, controls, dialogs, message boxes, the stop key and the event loop's yield.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files/files.h"
#include "platform/runtime/object.h"

class QWidget;
class QMainWindow;

namespace platform {

class Window;

// Raises ThreadAccessingUIException unless called on the user-interface thread.
void RequireUIThread();

class Control : public Object {};

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

// A top-level window. Its Height and Width are those of its content area, in which the
// controls' coordinates are given.
class Window : public Object {
 public:
  ~Window() override;

  // Builds the window (its Layout and CreateControls hooks), records it as live under its
  // registered name, and opens it.
  void Constructor();

  const String& RegisteredName() const noexcept { return registeredName_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  void SetWidth(int width);
  void SetHeight(int height);
  String Title() const;
  void SetTitle(const String& title);

  void Show();
  // Closes the window: it is no longer live.
  void Close();

  void _AddControl(const String& name, const Ref<Control>& control);
  // The control registered under the name, untyped; nil when there is none.
  Ref<Control> _ControlByName(std::string_view name) const;

  // For the platform's own use.
  QMainWindow* QtWindow() const noexcept { return window_; }
  void ClosedByUser();

 protected:
  explicit Window(String registeredName);
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void Event_Open() {}

 private:
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>()(name); }
  };
  void ApplySize();

  String registeredName_;
  QMainWindow* window_;
  QWidget* content_;
  int width_ = 0;
  int height_ = 0;
  std::unordered_map<String, Ref<Control>, NameHash, std::equal_to<>> controls_;
};

// The live window whose class is registered under the name, or nil when none lives.
Ref<Window> RuntimeGetImplicitWindow(std::string_view registeredName);
// Drops every live window; at shut-down, before the event loop's application ends.
void RuntimeReleaseWindows();

// ---- Dialogs and the stop key -------------------------------------------------------------

// Modal folder dialog: the chosen folder, or nil when cancelled.
Ref<FolderItem> SelectFolder();
// Modal save dialog: the chosen file (it need not exist), or nil when cancelled. The file
// type "TEXT" offers text files; the proposed name stands in the name field.
Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName);
// Modal message box; returns when dismissed.
void MsgBox(const String& text);
// True once for each press of Esc since it last answered True.
bool UserCancelled();

// Lets the event loop run when about 20 ms have passed since it last did: the window
// repaints, its check boxes answer and Esc is seen. Cheap enough to call for every value:
// the clock itself is read on every 32nd call only.
namespace detail {
extern unsigned backgroundTaskCalls;
void BackgroundTaskTick();
}  // namespace detail
inline void RuntimeBackgroundTask() {
  if ((++detail::backgroundTaskCalls & 31) == 0) detail::BackgroundTaskTick();
}

// The one seam between the system and its user: the dialogs, the message boxes and the stop
// key. The application uses Qt's dialogs and the real Esc key; tests answer from a script.
class Interaction {
 public:
  virtual ~Interaction() = default;
  virtual Ref<FolderItem> SelectFolder() = 0;
  virtual Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName) = 0;
  virtual void MsgBox(const String& text) = 0;
  virtual bool UserCancelled() = 0;
};

// Installs the interaction that the functions above go through (nil: the real one). The
// caller keeps ownership.
void SetInteraction(Interaction* interaction);

// The real stop key: True once for each Esc pressed while the event loop ran inside
// RuntimeBackgroundTask, since it last answered True. Such an Esc is taken by the stop and
// goes to no control.
bool TakeEscapePress();

}  // namespace platform
