#include "shell/menu_bar.h"

#include <optional>
#include <utility>

using namespace platform;

namespace {

ClassRecord* gMenuBar1Class = nullptr;
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

void Untitled0(MenuBar1& bar) {
  MenuItemOperations::Append(bar, MakeEntry(MenuItem::GetClass(), "FileMenu", "&Fichier", ""));
  AppendToMenu(bar, "FileMenu", MakeEntry(QuitMenuItem::GetClass(), "FileQuit", "Quitter", "Cmd+Q"));
}

void Untitled1(MenuBar1& bar) {
  ClassRecord* item = MenuItem::GetClass();
  MenuItemOperations::Append(bar, MakeEntry(item, "EditMenu", "Edition", ""));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditUndo", "Annuler", "Cmd+Z"));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "UntitledMenu1", "-", kNotSet));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditCut", "Couper", "Cmd+X"));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditCopy", "&Copier", "Cmd+C"));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditPaste", "Coller", "Cmd+V"));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditClear", "Effacer", ""));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "UntitledMenu0", "-", kNotSet));
  AppendToMenu(bar, "EditMenu", MakeEntry(item, "EditSelectAll", "Tout Sélectionner", "Cmd+A"));
}

// In the place of MenuItem's Constructor without arguments, whose type it keeps.
void Constructor(MenuItem& self) {
  MenuBar1& bar = dynamic_cast<MenuBar1&>(self);
  MenuBar1Operations::Untitled0(bar);
  MenuBar1Operations::Untitled1(bar);
}

}  // namespace

ClassRecord* MenuBar1::GetClass() { return MenuBar1Class(); }

void RegisterMenuBar1Class() {
  if (gMenuBar1Class) return;
  // Constructor has the name and signature of MenuItem's Constructor without arguments and
  // takes its place in the table; the two others follow MenuBar's operations.
  gMenuBar1Class = BuildClassRecord({
      .name = "MenuBar1.MenuBar1",
      .parent = MenuBar::GetClass(),
      .members = {Member("Untitled0", "%%", &Untitled0), Member("Untitled1", "%%", &Untitled1),
                  Member("Constructor", "%%", &Constructor)},
      .make = &MakeObject<MenuBar1>,
  });
}

ClassRecord* MenuBar1Class() {
  if (!gMenuBar1Class) RegisterMenuBar1Class();
  return gMenuBar1Class;
}

void MenuBar1StartupHook() {}

Ref<MenuBar1> MenuBar1Instance() {
  if (!gMenuBar1Instance) {
    Ref<MenuBar1> made = RuntimeCheckCast<MenuBar1>(RuntimeNewObject(MenuBar1Class()), MenuBar1Class());
    MenuItemOperations::Constructor(*made);
    gMenuBar1Instance = made;  // only a bar whose constructor returned
  }
  return gMenuBar1Instance;
}

void ReleaseMenuBar1() {
  Ref<MenuBar1> taken = std::exchange(gMenuBar1Instance, nullptr);
  // The reference that it held goes here; the application and the windows keep theirs.
}
