// The property lists of the main window and of its 43 controls: compiled constants, applied
// by the construction hooks with RuntimeMassPropertySetter. Nothing builds or changes them at
// run time.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The class of a main-window control: which platform class the construction code makes, and
// so which declared types read the control's list.
enum class ControlKind { GroupBox, CheckBox, PushButton, Label, ProgressBar, Line, Rectangle };

// One control of the main window: the name it is registered under (also its list's `Name`),
// its class, and its property list.
struct ControlSpec {
  std::string_view name;
  ControlKind kind;
  std::string_view list;
};

// The main window's own list (22 entries: title, 596 by 532, not resizeable, ...).
extern const std::string_view kMainWindowList;

// The 43 controls in creation order. `_CreateControls0` makes the first
// kControlsMadeFirst of them, `_CreateControls1` the rest.
inline constexpr std::size_t kMainWindowControlCount = 43;
inline constexpr std::size_t kControlsMadeFirst = 30;
extern const std::array<ControlSpec, kMainWindowControlCount> kMainWindowControls;
