// Top-level windows and the record of the windows that live.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/runtime/classes.h"
#include "platform/runtime/object.h"
#include "platform/runtime/properties.h"
#include "platform/ui/controls.h"

class QWidget;
class QMainWindow;

namespace platform {

class MenuBar;
class Window;

// Window's virtual operations in table order, one row each: its place, its member name, its
// signature, and the routine of window.cpp that its place runs. The places and the
// registration are both made from this list.
#define WINDOW_OPERATIONS(OP)                                                            \
  OP(AcceptFileDrop, "AcceptFileDrop", "%%s", NothingWithText)                           \
  OP(AcceptMacDataDrop, "AcceptMacDataDrop", "%%s", NothingWithText)                     \
  OP(AcceptPictureDrop, "AcceptPictureDrop", "%%", Nothing)                              \
  OP(AcceptRawDataDrop, "AcceptRawDataDrop", "%%s", NothingWithText)                     \
  OP(AcceptTextDrop, "AcceptTextDrop", "%%", Nothing)                                    \
  OP(Close, "Close", "%%", OpClose)                                                      \
  OP(Constructor, "Constructor", "%%", OpConstructor)                                    \
  OP(Control, "Control", "%o<Control>%i4", OpControl)                                    \
  OP(DrawInto, "DrawInto", "%%pi4i4", OpDrawInto)                                        \
  OP(FocusNext, "FocusNext", "%%", OpFocusNext)                                          \
  OP(FocusPrevious, "FocusPrevious", "%%", OpFocusPrevious)                              \
  OP(Hide, "Hide", "%%", OpHide)                                                         \
  OP(Invalidate, "Invalidate", "%%b", OpInvalidate)                                      \
  OP(InvalidateRect, "Invalidate", "%%i4i4i4i4b", OpInvalidateRect)                      \
  OP(Maximize, "Maximize", "%%", OpMaximize)                                             \
  OP(Minimize, "Minimize", "%%", OpMinimize)                                             \
  OP(Operator_Convert, "Operator_Convert", "%s%", OpConvert)                             \
  OP(Refresh, "Refresh", "%%", OpRefresh)                                                \
  OP(RefreshRect, "RefreshRect", "%%i4i4i4i4", OpRefreshRect)                            \
  OP(Restore, "Restore", "%%", OpRestore)                                                \
  OP(SetFocus, "SetFocus", "%%", OpSetFocus)                                             \
  OP(Show, "Show", "%%", OpShow)                                                         \
  OP(ShowModal, "ShowModal", "%%", OpShowModal)                                          \
  OP(ShowModalWithin, "ShowModalWithin", "%%o<Window>", OpShowModalWithin)               \
  OP(ShowWithin, "ShowWithin", "%%o<Window>", OpShowWithin)                              \
  OP(TrueWindow, "TrueWindow", "%o<Window>%", OpSelf)                                    \
  OP(UpdateNow, "UpdateNow", "%%", OpUpdateNow)                                          \
  OP(Window, "Window", "%o<Window>%", OpSelf)                                            \
  OP(_AddControl, "_AddControl", "%%so<Object>", OpAddControl)                           \
  OP(_AddMenuHandler, "_AddMenuHandler", "%%sp", OpAddMenuHandler)                       \
  OP(_ControlByName, "_ControlByName", "%o<Object>%s", OpControlByName)                  \
  OP(_ControlByNameIndex, "_ControlByNameIndex", "%o<Object>%si4", OpControlByNameIndex) \
  OP(_DependencyList, "_DependencyList", "%p%", OpDependencyList)                        \
  OP(_Move, "_Move", "%%i4i4", OpMove)                                                   \
  OP(__New, "__New", "%o<Object>%p", OpNew)

// The places of Window's table of virtual operations, in table order.
enum class WindowSlot : std::size_t {
#define WINDOW_SLOT(slot, ...) slot,
  WINDOW_OPERATIONS(WINDOW_SLOT)
#undef WINDOW_SLOT
  Count
};
inline constexpr std::size_t kWindowOperationCount = static_cast<std::size_t>(WindowSlot::Count);

constexpr std::size_t At(WindowSlot slot) { return static_cast<std::size_t>(slot); }

// Typed calls of the Window operations that the system makes through a window's table; each
// type is checked against the routine that its place runs (window.cpp).
struct WindowOperations {
  static constexpr Operation<void(Window&)> Constructor{At(WindowSlot::Constructor)};
  static constexpr Operation<void(Window&)> Show{At(WindowSlot::Show)};
  static constexpr Operation<void(Window&)> Close{At(WindowSlot::Close)};
  static constexpr Operation<void(Window&, const String&, const Ref<Object>&)> _AddControl{
      At(WindowSlot::_AddControl)};
  // The name is a view: an accessor hands its control's name on as it stands, uncopied.
  static constexpr Operation<Ref<Object>(Window&, std::string_view)> _ControlByName{At(WindowSlot::_ControlByName)};
  static constexpr Operation<Ref<Object>(Window&, ClassRecord*)> __New{At(WindowSlot::__New)};
};

// A top-level window. Its Height and Width are those of its content area, in which the
// controls' coordinates are given, below the menu bar.
class Window : public Object {
 public:
  Window();
  ~Window() override;
  static ClassRecord* GetClass();

  // Builds the window: runs its class's implementations of the events Layout and
  // CreateControls, records it as live under its registered name, then opens it (shown when
  // Visible, its Open event and its controls' Open events raised).
  void Constructor();

  // The name under which the window's class is registered.
  String RegisteredName() const;

  // ---- Properties that property lists set
  // Stored only: every window opens centred on the screen that holds the pointer.
  int Placement() const noexcept { return placement_; }
  void SetPlacement(int placement) { placement_ = placement; }
  int Width() const noexcept { return width_; }
  void SetWidth(int width);
  int Height() const noexcept { return height_; }
  void SetHeight(int height);
  int MinWidth() const noexcept { return minWidth_; }
  void SetMinWidth(int value);
  int MinHeight() const noexcept { return minHeight_; }
  void SetMinHeight(int value);
  int MaxWidth() const noexcept { return maxWidth_; }
  void SetMaxWidth(int value);
  int MaxHeight() const noexcept { return maxHeight_; }
  void SetMaxHeight(int value);
  int Frame() const noexcept { return frame_; }
  void SetFrame(int frame) { frame_ = frame; }
  bool Composite() const noexcept { return composite_; }
  void SetComposite(bool value) { composite_ = value; }
  bool HasBackColor() const noexcept { return hasBackColor_; }
  void SetHasBackColor(bool value);
  Color BackColor() const noexcept { return backColor_; }
  void SetBackColor(Color colour);
  String Title() const;
  void SetTitle(const String& title);
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);
  bool FullScreen() const noexcept { return fullScreen_; }
  void SetFullScreen(bool value) { fullScreen_ = value; }
  bool MenuBarVisible() const noexcept { return menuBarVisible_; }
  void SetMenuBarVisible(bool value);
  bool CloseButton() const noexcept { return closeButton_; }
  void SetCloseButton(bool value);
  bool Resizeable() const noexcept { return resizeable_; }
  void SetResizeable(bool value);
  bool LiveResize() const noexcept { return liveResize_; }
  void SetLiveResize(bool value) { liveResize_ = value; }
  bool MaximizeButton() const noexcept { return maximizeButton_; }
  void SetMaximizeButton(bool value);
  bool MinimizeButton() const noexcept { return minimizeButton_; }
  void SetMinimizeButton(bool value);
  bool FullScreenButton() const noexcept { return fullScreenButton_; }
  void SetFullScreenButton(bool value) { fullScreenButton_ = value; }
  int MacProcId() const noexcept { return macProcId_; }
  void SetMacProcId(int value) { macProcId_ = value; }

  // The menu bar shown with this window, or nil.
  Ref<platform::MenuBar> MenuBar() const;
  void SetMenuBar(const Ref<platform::MenuBar>& bar);

  // ---- Operations (the window's own code; its table of virtual operations runs them)
  void Show();
  void Hide();
  // Closes the window: it is no longer live.
  void Close();
  void _AddControl(const String& name, const Ref<Control>& control);
  // The control registered under the name, untyped; nil when there is none.
  Ref<Control> _ControlByName(std::string_view name) const;
  // A new, not yet built object of the class, made for this window.
  Ref<Object> __New(ClassRecord* record);
  // The controls in the order in which they were registered.
  std::vector<Ref<Control>> Controls() const;

  // The main window: closing it ends the application.
  bool EndsApplication() const noexcept { return endsApplication_; }
  void SetEndsApplication(bool value) noexcept { endsApplication_ = value; }

  // For the platform's own use.
  QMainWindow* QtWindow() const noexcept { return window_; }
  QWidget* Content() const noexcept { return content_; }
  void ClosedByUser();

 protected:
  // For windows without a record of their own: the registered name to answer.
  explicit Window(String registeredName);
  // What Window's own implementations of its events Layout, CreateControls and Open run; a
  // class with a record of its own brings its own implementations instead.
  virtual void OnLayout() {}
  virtual void OnCreateControls() {}
  virtual void OnOpen() {}

 private:
  friend struct WindowHooks;
  // The place of the named control in controls_, or -1.
  std::ptrdiff_t FindControl(std::string_view name) const noexcept;
  // Enters controls_[place] in the table of names.
  void IndexControl(std::size_t place);
  void RunEventImplementation(std::string_view event);
  void ApplySize();
  // Moves the window inside its screen's area for windows, centred on the screen that holds
  // the pointer when asked.
  void Place(bool centre);
  void ApplyFlags();
  void SetTabOrder();
  void Open();

  String registeredName_;
  QMainWindow* window_;
  QWidget* content_;
  Ref<Object> menuBar_;
  bool opened_ = false;
  bool placed_ = false;  // shown once: the user may have moved it since
  bool endsApplication_ = false;
  int placement_ = 0, width_ = 0, height_ = 0;
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 32000, maxHeight_ = 32000;
  int frame_ = 0, macProcId_ = 0;
  bool composite_ = false, hasBackColor_ = false, visible_ = true, fullScreen_ = false;
  bool menuBarVisible_ = true, closeButton_ = true, resizeable_ = true, liveResize_ = true;
  bool maximizeButton_ = true, minimizeButton_ = true, fullScreenButton_ = false;
  Color backColor_ = kWhite;
  std::vector<std::pair<String, Ref<Control>>> controls_;
  // The controls by name, looked up on every row of a run: an open-addressed table of places
  // in controls_ (-1 for none), at least twice as large as there are controls, with each
  // name's hash beside its place.
  struct NameSlot {
    std::uint64_t hash = 0;
    std::int32_t place = -1;
  };
  std::vector<NameSlot> nameSlots_;
};

// The live window whose class is registered under the name, or nil when none lives.
Ref<Window> RuntimeGetImplicitWindow(std::string_view registeredName);
// The windows that live, in the order they were made.
std::vector<Ref<Window>> RuntimeLiveWindows();
// Drops every live window; at shut-down, before the event loop's application ends.
void RuntimeReleaseWindows();

}  // namespace platform
