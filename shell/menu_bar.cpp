#include "shell/menu_bar.h"

#include <optional>
#include <utility>

using namespace platform;

static_assert(At(MenuBar1Slot::End) - kMenuBarOperationCount == 2, "MenuBar1 adds two places to MenuBar's");

namespace {

Ref<MenuBar1> gMenuBar1Instance;

// The shortcut of an entry that never gets one: the two separators.
constexpr std::nullopt_t kNotSet = std::nullopt;

// Makes one entry: a new object of the class, built without arguments, then its Name,
// AutoEnable, Text, Visible and, unless not set, KeyboardShortcut, in that order.
Ref<MenuItem> MakeEntry(ClassRecord* entryClass, const String& name, const String& text,
                        const std::optional<String>& shortcut) {
  Ref<MenuItem> entry = RuntimeCheckCast<MenuItem>(RuntimeNewObject(entryClass), MenuItem::GetClass());
  MenuItemOperations::Constructor(*entry);
  entry->SetName(name);
  entry->SetAutoEnable(true);
  entry->SetText(text);
  entry->SetVisible(true);
  if (shortcut) entry->SetKeyboardShortcut(*shortcut);
  return entry;
}

// Appends an item to the bar's menu of that name, looked up anew: nil raises
// NilObjectException in place of the append.
void AppendToMenu(MenuBar1& bar, const String& menuName, const Ref<MenuItem>& item) {
  Ref<MenuItem> menu = MenuItemOperations::Child(bar, menuName);
  MenuItemOperations::Append(*menu, item);
}

}  // namespace

void MenuBar1::Constructor() {
  MenuBar1Operations::Untitled0(*this);
  MenuBar1Operations::Untitled1(*this);
}

void MenuBar1::Untitled0() {
  MenuItemOperations::Append(*this, MakeEntry(MenuItem::GetClass(), "FileMenu", "&Fichier", ""));
  AppendToMenu(*this, "FileMenu", MakeEntry(QuitMenuItem::GetClass(), "FileQuit", "Quitter", "Cmd+Q"));
}

void MenuBar1::Untitled1() {
  ClassRecord* item = MenuItem::GetClass();
  MenuItemOperations::Append(*this, MakeEntry(item, "EditMenu", "Edition", ""));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditUndo", "Annuler", "Cmd+Z"));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "UntitledMenu1", "-", kNotSet));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditCut", "Couper", "Cmd+X"));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditCopy", "&Copier", "Cmd+C"));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditPaste", "Coller", "Cmd+V"));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditClear", "Effacer", ""));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "UntitledMenu0", "-", kNotSet));
  AppendToMenu(*this, "EditMenu", MakeEntry(item, "EditSelectAll", "Tout Sélectionner", "Cmd+A"));
}

SystemClassDefinition MenuBar1::Definition() {
  return {
      .name = "MenuBar1.MenuBar1",
      .parent = MenuBar::GetClass(),
      .operations = SYSTEM_CLASS_MEMBERS(MenuBar1, MenuBar1Operations, MENU_BAR1_OPERATIONS),
  };
}

void MenuBar1StartupHook() {}

Ref<MenuBar1> MenuBar1Instance() {
  if (!gMenuBar1Instance) {
    Ref<MenuBar1> made = RuntimeCheckCast<MenuBar1>(RuntimeNewObject(MenuBar1::GetClass()), MenuBar1::GetClass());
    MenuItemOperations::Constructor(*made);
    gMenuBar1Instance = made;  // only a bar whose constructor returned
  }
  return gMenuBar1Instance;
}

void ReleaseMenuBar1() {
  Ref<MenuBar1> taken = std::exchange(gMenuBar1Instance, nullptr);
  // The reference that it held goes here; the application and the windows keep theirs.
}
