// The application's menu bar: the File menu with its quit item and the Edit menu with the
// editing commands. The process has one, made on first use and shared by the application
// and the main window.
#pragma once

#include "platform/runtime.h"
#include "platform/ui.h"
#include "shell/class_registration.h"

// MenuBar1's own members, in member order, by the kinds of shell/class_registration.h: its
// Constructor takes the place of MenuBar's Constructor without arguments, which
// MenuItemOperations::Constructor calls; Untitled0 and Untitled1 follow MenuBar's operations.
#define MENU_BAR1_OPERATIONS(METHOD, REPLACES, ...) \
  METHOD(Untitled0)                                 \
  METHOD(Untitled1)                                 \
  REPLACES(Constructor, platform::MenuItemOperations)

SYSTEM_CLASS_PLACES(MenuBar1Slot, platform::kMenuBarOperationCount, MENU_BAR1_OPERATIONS)

class MenuBar1 : public platform::MenuBar {
 public:
  // The record of the class, registered on first use, so that an object made by New gets it
  // and not MenuBar's.
  static platform::ClassRecord* GetClass() { return SystemClass<MenuBar1>::Record(); }

  // The code of its members. The platform and the bar's own code reach them through the
  // bar's table; a direct call runs the code itself.
  // Builds both menus: Untitled0, then Untitled1.
  void Constructor();
  // Builds the File menu.
  void Untitled0();
  // Builds the Edit menu.
  void Untitled1();

 private:
  friend class SystemClass<MenuBar1>;
  // What the class adds to MenuBar (menu_bar.cpp).
  static SystemClassDefinition Definition();
};

// Typed calls of MenuBar1's own operations through a bar's table.
struct MenuBar1Operations {
  SYSTEM_CLASS_TYPED_CALLS(MenuBar1, MenuBar1Slot, MENU_BAR1_OPERATIONS)
};

// The start-up hook of the menu bar's code, run right after its registration.
void MenuBar1StartupHook();

// The menu bar instance, made and built on the first call.
platform::Ref<MenuBar1> MenuBar1Instance();
// At shut-down: clears the process-wide reference to the instance, then drops the reference
// it held; the application and the windows keep theirs.
void ReleaseMenuBar1();
