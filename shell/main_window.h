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

// Window1's own virtual operations, in member order, by kind:
//   HOOK(name)              "%%"           a construction hook or the window's Open handler
//   HIDDEN(name)            "%%"           a control-creation method, marked Hidden
//   CONTROL(name, Class)    "%o<Class>%"   the control registered under that name
//   HANDLER(name, Class)    "%%o<Class>"   the handler of an event of a control of that class
//   MENU(name, Class)       "%o<Class>%"   the menu bar's entry of that name
#define WINDOW1_OPERATIONS(HOOK, HIDDEN, CONTROL, HANDLER, MENU)                                  \
  HOOK(Layout)                                                                                   \
  HOOK(CreateControls)                                                                           \
  HIDDEN(_CreateControls0)                                                                       \
  HIDDEN(_CreateControls1)                                                                       \
  CONTROL(GroupBox1, GroupBox)                                                                   \
  CONTROL(AfficheInfo, CheckBox)                                                                 \
  CONTROL(TablesVides, CheckBox)                                                                 \
  CONTROL(CheckBox2, CheckBox)                                                                   \
  CONTROL(CheckBox1, CheckBox)                                                                   \
  CONTROL(NomsRubriques, CheckBox)                                                               \
  CONTROL(Recursif, CheckBox)                                                                    \
  CONTROL(CopieBase, CheckBox)                                                                   \
  CONTROL(BtnAide, PushButton)                                                                   \
  CONTROL(BtnQuitter, PushButton)                                                                \
  CONTROL(Label1, Label)                                                                         \
  CONTROL(ProgressBar1, ProgressBar)                                                             \
  CONTROL(Line1, Line)                                                                           \
  CONTROL(Line2, Line)                                                                           \
  CONTROL(Line3, Line)                                                                           \
  CONTROL(Line4, Line)                                                                           \
  CONTROL(Line5, Line)                                                                           \
  CONTROL(Line6, Line)                                                                           \
  CONTROL(Line7, Line)                                                                           \
  CONTROL(Line8, Line)                                                                           \
  CONTROL(Line10, Line)                                                                          \
  CONTROL(Line11, Line)                                                                          \
  CONTROL(NbBases, Label)                                                                        \
  CONTROL(NbBases1, Label)                                                                       \
  CONTROL(NbRecords, Label)                                                                      \
  CONTROL(NbRecords1, Label)                                                                     \
  CONTROL(Nbtables, Label)                                                                       \
  CONTROL(Nbtables1, Label)                                                                      \
  CONTROL(NomBase, Label)                                                                        \
  CONTROL(NomBase1, Label)                                                                       \
  CONTROL(NomTable, Label)                                                                       \
  CONTROL(NomTable1, Label)                                                                      \
  CONTROL(Rectangle1, Rectangle)                                                                 \
  CONTROL(NomDossier2, Label)                                                                    \
  CONTROL(NbBases2, Label)                                                                       \
  CONTROL(NomBase2, Label)                                                                       \
  CONTROL(Nbtables2, Label)                                                                      \
  CONTROL(NomTable2, Label)                                                                      \
  CONTROL(NbRecords2, Label)                                                                     \
  CONTROL(Line9, Line)                                                                           \
  CONTROL(NomDossier, Label)                                                                     \
  CONTROL(NomDossier1, Label)                                                                    \
  CONTROL(BtnDemarrer, PushButton)                                                               \
  HANDLER(BtnAide_Action, PushButton)                                                            \
  HANDLER(BtnQuitter_Action, PushButton)                                                         \
  HANDLER(NbBases_Open, Label)                                                                   \
  HANDLER(NbRecords_Open, Label)                                                                 \
  HANDLER(Nbtables_Open, Label)                                                                  \
  HANDLER(NomBase_Open, Label)                                                                   \
  HANDLER(NomTable_Open, Label)                                                                  \
  HANDLER(NomDossier_Open, Label)                                                                \
  HANDLER(BtnDemarrer_Action, PushButton)                                                        \
  MENU(EditMenu, MenuItem)                                                                       \
  MENU(EditSelectAll, MenuItem)                                                                  \
  MENU(UntitledMenu0, MenuItem)                                                                  \
  MENU(EditClear, MenuItem)                                                                      \
  MENU(EditPaste, MenuItem)                                                                      \
  MENU(EditCopy, MenuItem)                                                                       \
  MENU(EditCut, MenuItem)                                                                        \
  MENU(UntitledMenu1, MenuItem)                                                                  \
  MENU(EditUndo, MenuItem)                                                                       \
  MENU(FileMenu, MenuItem)                                                                       \
  MENU(FileQuit, QuitMenuItem)                                                                   \
  HOOK(Event_Open)

// The places of Window1's own operations in its table, after Window's.
enum class Window1Slot : std::size_t {
  BeforeFirst = platform::kWindowOperationCount - 1,
#define WINDOW1_SLOT(name, ...) name,
  WINDOW1_OPERATIONS(WINDOW1_SLOT, WINDOW1_SLOT, WINDOW1_SLOT, WINDOW1_SLOT, WINDOW1_SLOT)
#undef WINDOW1_SLOT
  End
};
constexpr std::size_t At(Window1Slot slot) { return static_cast<std::size_t>(slot); }
inline constexpr std::size_t kWindow1OwnOperationCount =
    static_cast<std::size_t>(Window1Slot::End) - platform::kWindowOperationCount;

// The main window's three heights: the options and the buttons; during a run, also the line
// that says how to stop it and the busy bar; with AfficheInfo checked, also the progress
// panel. The window is designed at the last.
inline constexpr int kHeightAtRest = 246;
inline constexpr int kHeightRunning = 312;
inline constexpr int kHeightRunningWithPanel = 532;

class Window1 : public platform::Window {
 public:
  // The record of the class, registered on first use.
  static platform::ClassRecord* GetClass();

  // Typed calls of the class's own operations through a window's table.
  struct Operations {
    template <class Signature>
    using Op = platform::Operation<Signature>;
#define WINDOW1_HOOK_OP(name) static constexpr Op<void(Window1&)> name{At(Window1Slot::name)};
#define WINDOW1_CONTROL_OP(name, Class) \
  static constexpr Op<platform::Ref<platform::Class>(Window1&)> name{At(Window1Slot::name)};
#define WINDOW1_HANDLER_OP(name, Class) \
  static constexpr Op<void(Window1&, const platform::Ref<platform::Class>&)> name{At(Window1Slot::name)};
    WINDOW1_OPERATIONS(WINDOW1_HOOK_OP, WINDOW1_HOOK_OP, WINDOW1_CONTROL_OP, WINDOW1_HANDLER_OP, WINDOW1_CONTROL_OP)
#undef WINDOW1_HOOK_OP
#undef WINDOW1_CONTROL_OP
#undef WINDOW1_HANDLER_OP
  };

  // The control and menu-entry accessors, through the table.
#define WINDOW1_ACCESSOR(name, Class) \
  platform::Ref<platform::Class> name() { return Operations::name(*this); }
#define WINDOW1_NONE(...)
  WINDOW1_OPERATIONS(WINDOW1_NONE, WINDOW1_NONE, WINDOW1_ACCESSOR, WINDOW1_NONE, WINDOW1_ACCESSOR)
#undef WINDOW1_ACCESSOR

  // The code of the hooks and the handlers. The platform and the window's own code reach
  // them through the table; a direct call runs the code itself.
  void Layout();
  void CreateControls();
  void _CreateControls0();
  void _CreateControls1();
  void Event_Open();
#define WINDOW1_HANDLER(name, Class) void name(const platform::Ref<platform::Class>& control);
  WINDOW1_OPERATIONS(WINDOW1_NONE, WINDOW1_NONE, WINDOW1_NONE, WINDOW1_HANDLER, WINDOW1_NONE)
#undef WINDOW1_HANDLER
#undef WINDOW1_NONE

 private:
  friend struct Window1Members;
  // Walks one folder into the result stream; recurses into sub-folders on request.
  void ScanDossier(const platform::Ref<platform::FolderItem>& folder,
                   const platform::Ref<platform::TextOutputStream>& output,
                   const platform::Ref<platform::FolderItem>& copyFolder);
};

// Registers the class with the platform; a second registration changes nothing.
void RegisterWindow1();

// The one live main window, made and built when none lives.
platform::Ref<Window1> ImplicitWindow1();
