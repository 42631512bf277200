// Menus: entries with their names, texts and shortcuts, the menu bar, the quit entry, and the
// Qt menu bar that shows a menu bar in a window.
//
// An entry's children are its menu's entries; a menu bar's children are its menus. Entries
// are found by name: Child looks among the direct children, _Lookup anywhere below.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/runtime/classes.h"
#include "platform/runtime/events.h"

class QMainWindow;

namespace platform {

class MenuItem;

// MenuItem's virtual operations in table order, one row each: its place, its member name, its
// signature, and the routine of menus.cpp that its place runs. The first Constructor makes an
// entry that belongs to no menu, the second the same with its Text. MenuBar and QuitMenuItem
// keep them unchanged and add none; a subclass's own operations follow them.
#define MENU_ITEM_OPERATIONS(OP)                                                       \
  OP(Constructor, "Constructor", "%%", MenuItemRoutines::Constructor)                  \
  OP(ConstructorWithText, "Constructor", "%%s", MenuItemRoutines::ConstructorWithText) \
  OP(Append, "Append", "%%o<MenuItem>", MenuItemRoutines::Append)                      \
  OP(Child, "Child", "%o<MenuItem>%s", MenuItemRoutines::Child)                        \
  OP(_Lookup, "_Lookup", "%o<Object>%s", MenuItemRoutines::Lookup)

// The places of MenuItem's table of virtual operations, in table order.
enum class MenuItemSlot : std::size_t {
#define MENU_ITEM_SLOT(slot, ...) slot,
  MENU_ITEM_OPERATIONS(MENU_ITEM_SLOT)
#undef MENU_ITEM_SLOT
  Count
};
inline constexpr std::size_t kMenuItemOperationCount = static_cast<std::size_t>(MenuItemSlot::Count);
inline constexpr std::size_t kMenuBarOperationCount = kMenuItemOperationCount;

constexpr std::size_t At(MenuItemSlot slot) { return static_cast<std::size_t>(slot); }

// Typed calls of the MenuItem operations, through the entry's table.
struct MenuItemOperations {
  static constexpr Operation<void(MenuItem&)> Constructor{At(MenuItemSlot::Constructor)};
  static constexpr Operation<void(MenuItem&, const String&)> ConstructorWithText{
      At(MenuItemSlot::ConstructorWithText)};
  // Makes the item the last child; an item that had a menu leaves it first.
  static constexpr Operation<void(MenuItem&, const Ref<MenuItem>&)> Append{At(MenuItemSlot::Append)};
  // The direct child of that name, or nil.
  static constexpr Operation<Ref<MenuItem>(MenuItem&, const String&)> Child{At(MenuItemSlot::Child)};
  // The entry of that name anywhere below, depth first, untyped; nil when there is none.
  static constexpr Operation<Ref<Object>(MenuItem&, const String&)> _Lookup{At(MenuItemSlot::_Lookup)};
};

// One menu entry: an item, a separator (Text "-"), or a menu when it has children.
// The entries named EditUndo, EditCut, EditCopy, EditPaste, EditClear and EditSelectAll are
// the standard editing commands: choosing one acts on the focused widget when it can.
class MenuItem : public EventSource {
 public:
  ~MenuItem() override;
  static ClassRecord* GetClass();

  const String& Name() const noexcept { return name_; }
  void SetName(const String& name);
  // True: the platform enables the entry. A new entry has False.
  bool AutoEnable() const noexcept { return autoEnable_; }
  void SetAutoEnable(bool value);
  const String& Text() const noexcept { return text_; }
  void SetText(const String& text);
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool value);
  // The key text ("Cmd+Q"), "" for no key, or nothing when it was never set.
  const std::optional<String>& KeyboardShortcut() const noexcept { return shortcut_; }
  void SetKeyboardShortcut(const String& shortcut);

  // The entries of this menu, in the order in which they were appended.
  const std::vector<Ref<MenuItem>>& Children() const noexcept { return children_; }

  // What choosing the entry does: the handlers of its Action event; when none is bound, its
  // class's own Action (a QuitMenuItem quits); else, for a standard editing command, the
  // command on the focused widget.
  void Choose();

 private:
  friend struct MenuItemRoutines;
  String name_;
  String text_;
  std::optional<String> shortcut_;
  bool autoEnable_ = false;
  bool visible_ = true;
  std::vector<Ref<MenuItem>> children_;
  MenuItem* parent_ = nullptr;  // the menu that holds this entry; it clears this when it goes
};

// A window's menu bar: its children are the menus.
class MenuBar : public MenuItem {
 public:
  static ClassRecord* GetClass();
};

// The entry whose own Action ends the application.
class QuitMenuItem : public MenuItem {
 public:
  static ClassRecord* GetClass();
};


// Shows the bar as the window's Qt menu bar, built from the entries as they stand: a menu per
// child of the bar, "&" marking the mnemonic, "-" a separator, "Cmd+" keys as Ctrl+ keys, and
// each item choosing its entry. Nil takes the window's menu bar away. A bar shown before is
// replaced.
void InstallMenuBar(QMainWindow* window, const Ref<MenuBar>& bar);

}  // namespace platform
