// The main window: its options, its buttons, its progress panel, and the export run.
//
// Window1 is registered with the platform as "Window1.Window1". Its own 68 virtual operations
// follow Window's 35 in its table, in member order; the export engine's walk, ScanDossier, is
// private and has no place there. Every call of a member listed below goes through the
// window's table of virtual operations.
#pragma once

#include "platform/database.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "shell/class_registration.h"

// Window1's own virtual operations, in member order, by the kinds of shell/class_registration.h:
// the construction hooks and the window's Open handler are its methods; each handler is bound
// to its control's event as the window makes the control.
#define WINDOW1_OPERATIONS(METHOD, REPLACES, HIDDEN, CONTROL, HANDLER, MENU)                   \
  METHOD(Layout)                                                                               \
  METHOD(CreateControls)                                                                       \
  HIDDEN(_CreateControls0)                                                                     \
  HIDDEN(_CreateControls1)                                                                     \
  CONTROL(GroupBox1, GroupBox)                                                                 \
  CONTROL(AfficheInfo, CheckBox)                                                               \
  CONTROL(TablesVides, CheckBox)                                                               \
  CONTROL(CheckBox2, CheckBox)                                                                 \
  CONTROL(CheckBox1, CheckBox)                                                                 \
  CONTROL(NomsRubriques, CheckBox)                                                             \
  CONTROL(Recursif, CheckBox)                                                                  \
  CONTROL(CopieBase, CheckBox)                                                                 \
  CONTROL(BtnAide, PushButton)                                                                 \
  CONTROL(BtnQuitter, PushButton)                                                              \
  CONTROL(Label1, Label)                                                                       \
  CONTROL(ProgressBar1, ProgressBar)                                                           \
  CONTROL(Line1, Line)                                                                         \
  CONTROL(Line2, Line)                                                                         \
  CONTROL(Line3, Line)                                                                         \
  CONTROL(Line4, Line)                                                                         \
  CONTROL(Line5, Line)                                                                         \
  CONTROL(Line6, Line)                                                                         \
  CONTROL(Line7, Line)                                                                         \
  CONTROL(Line8, Line)                                                                         \
  CONTROL(Line10, Line)                                                                        \
  CONTROL(Line11, Line)                                                                        \
  CONTROL(NbBases, Label)                                                                      \
  CONTROL(NbBases1, Label)                                                                     \
  CONTROL(NbRecords, Label)                                                                    \
  CONTROL(NbRecords1, Label)                                                                   \
  CONTROL(Nbtables, Label)                                                                     \
  CONTROL(Nbtables1, Label)                                                                    \
  CONTROL(NomBase, Label)                                                                      \
  CONTROL(NomBase1, Label)                                                                     \
  CONTROL(NomTable, Label)                                                                     \
  CONTROL(NomTable1, Label)                                                                    \
  CONTROL(Rectangle1, Rectangle)                                                               \
  CONTROL(NomDossier2, Label)                                                                  \
  CONTROL(NbBases2, Label)                                                                     \
  CONTROL(NomBase2, Label)                                                                     \
  CONTROL(Nbtables2, Label)                                                                    \
  CONTROL(NomTable2, Label)                                                                    \
  CONTROL(NbRecords2, Label)                                                                   \
  CONTROL(Line9, Line)                                                                         \
  CONTROL(NomDossier, Label)                                                                   \
  CONTROL(NomDossier1, Label)                                                                  \
  CONTROL(BtnDemarrer, PushButton)                                                             \
  HANDLER(BtnAide, Action, PushButton)                                                         \
  HANDLER(BtnQuitter, Action, PushButton)                                                      \
  HANDLER(NbBases, Open, Label)                                                                \
  HANDLER(NbRecords, Open, Label)                                                              \
  HANDLER(Nbtables, Open, Label)                                                               \
  HANDLER(NomBase, Open, Label)                                                                \
  HANDLER(NomTable, Open, Label)                                                               \
  HANDLER(NomDossier, Open, Label)                                                             \
  HANDLER(BtnDemarrer, Action, PushButton)                                                     \
  MENU(EditMenu, MenuItem)                                                                     \
  MENU(EditSelectAll, MenuItem)                                                                \
  MENU(UntitledMenu0, MenuItem)                                                                \
  MENU(EditClear, MenuItem)                                                                    \
  MENU(EditPaste, MenuItem)                                                                    \
  MENU(EditCopy, MenuItem)                                                                     \
  MENU(EditCut, MenuItem)                                                                      \
  MENU(UntitledMenu1, MenuItem)                                                                \
  MENU(EditUndo, MenuItem)                                                                     \
  MENU(FileMenu, MenuItem)                                                                     \
  MENU(FileQuit, QuitMenuItem)                                                                 \
  METHOD(Event_Open)

SYSTEM_CLASS_PLACES(Window1Slot, platform::kWindowOperationCount, WINDOW1_OPERATIONS)
inline constexpr std::size_t kWindow1OwnOperationCount = At(Window1Slot::End) - platform::kWindowOperationCount;

// The main window's three heights: the options and the buttons; during a run, also the line
// that says how to stop it and the busy bar; with AfficheInfo checked, also the progress
// panel. The window is designed at the last.
inline constexpr int kHeightAtRest = 246;
inline constexpr int kHeightRunning = 312;
inline constexpr int kHeightRunningWithPanel = 532;

class Window1 : public platform::Window {
 public:
  // The record of the class, registered on first use.
  static platform::ClassRecord* GetClass() { return SystemClass<Window1>::Record(); }

  // Typed calls of the class's own operations through a window's table.
  struct Operations {
    SYSTEM_CLASS_TYPED_CALLS(Window1, Window1Slot, WINDOW1_OPERATIONS)
  };

  // The control and menu-entry accessors, through the table.
  SYSTEM_CLASS_ACCESSORS(WINDOW1_OPERATIONS)

  // The code of the hooks and the handlers. The platform and the window's own code reach
  // them through the table; a direct call runs the code itself.
  void Layout();
  void CreateControls();
  void _CreateControls0();
  void _CreateControls1();
  void Event_Open();
  SYSTEM_CLASS_HANDLERS(WINDOW1_OPERATIONS)

 private:
  friend class SystemClass<Window1>;
  // What the class adds to Window (main_window_class.cpp).
  static SystemClassDefinition Definition();
  // Walks one folder into the result stream; recurses into sub-folders on request.
  void ScanDossier(const platform::Ref<platform::FolderItem>& folder,
                   const platform::Ref<platform::TextOutputStream>& output,
                   const platform::Ref<platform::FolderItem>& copyFolder);
};

// The one live main window, made and built when none lives.
platform::Ref<Window1> ImplicitWindow1();
