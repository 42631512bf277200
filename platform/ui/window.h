// Top-level windows and the record of the windows that live.
#pragma once

#include <string_view>
#include <unordered_map>

#include "platform/runtime/object.h"
#include "platform/ui/controls.h"

class QWidget;
class QMainWindow;

namespace platform {

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

}  // namespace platform
