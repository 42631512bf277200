// The application's menu bar: the File menu with its quit item and the Edit menu with the
// editing commands. The process has one, made on first use and shared by the application
// and the main window.
#pragma once

#include "platform/runtime.h"
#include "platform/ui.h"

class MenuBar1 : public platform::MenuBar {
 public:
  // This class's own record, so that an object made by New gets it and not MenuBar's.
  static platform::ClassRecord* GetClass();
};

// MenuBar1's own operations, right after MenuBar's. Its Constructor takes the place of
// MenuBar's Constructor without arguments: MenuItemOperations::Constructor runs it.
struct MenuBar1Operations {
  // Builds the File menu.
  static constexpr platform::Operation<void(MenuBar1&)> Untitled0{platform::kMenuBarOperationCount};
  // Builds the Edit menu.
  static constexpr platform::Operation<void(MenuBar1&)> Untitled1{platform::kMenuBarOperationCount + 1};
};

// Registers the class "MenuBar1.MenuBar1"; does nothing when it is registered already.
void RegisterMenuBar1Class();
// The class record, registered first when needed.
platform::ClassRecord* MenuBar1Class();
// The start-up hook of the menu bar's code, run right after its registration.
void MenuBar1StartupHook();

// The menu bar instance, made and built on the first call.
platform::Ref<MenuBar1> MenuBar1Instance();
// At shut-down: empties the instance and drops its reference.
void ReleaseMenuBar1();
