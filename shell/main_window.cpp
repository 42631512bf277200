// The main window's construction from its property lists, and its small handlers.
#include "shell/main_window.h"

#include "shell/help_window.h"
#include "shell/main_window_lists.h"
#include "shell/menu_bar.h"

using namespace platform;

namespace {

ClassRecord* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox: return GroupBox::GetClass();
    case ControlKind::CheckBox: return CheckBox::GetClass();
    case ControlKind::PushButton: return PushButton::GetClass();
    case ControlKind::Label: return Label::GetClass();
    case ControlKind::ProgressBar: return ProgressBar::GetClass();
    case ControlKind::Line: return Line::GetClass();
    case ControlKind::Rectangle: return Rectangle::GetClass();
  }
  throw RuntimeException("unknown control kind");
}

// The classes that have a font unit get 0.
void SetFontUnit(Window1& window, const ControlSpec& control) {
  switch (control.kind) {
    case ControlKind::GroupBox: RegisteredControl<GroupBox>(window, control.name)->SetTextUnit(0); break;
    case ControlKind::CheckBox: RegisteredControl<CheckBox>(window, control.name)->SetTextUnit(0); break;
    case ControlKind::PushButton: RegisteredControl<PushButton>(window, control.name)->SetTextUnit(0); break;
    case ControlKind::Label: RegisteredControl<Label>(window, control.name)->SetTextUnit(0); break;
    default: break;
  }
}

// The handlers bound to their controls' events, one for each HANDLER row of the window's list,
// each read from the window's table at the moment its control is made.
struct Binding {
  std::string_view control;
  std::string_view event;  // numbered in the control's class when it is bound
  Code (*handler)(Window1&);
  const char* signature;
  Code invoker;
  DispatchRoutine dispatch;
};

#define WINDOW1_BINDING(control, Event, Class)                                                             \
  Binding{#control, #Event, [](Window1& w) { return CodeOf(Window1::Operations::control##_##Event.In(w)); }, \
          RecordTextOf<"( " #Class " )">(), CodeOf(&HandlerRoutines<Window1, Class>::Invoke),              \
          &HandlerRoutines<Window1, Class>::Dispatch},

const Binding* BindingOf(std::string_view control) {
  static const Binding bindings[] = {
      WINDOW1_OPERATIONS(SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, WINDOW1_BINDING,
                         SYSTEM_ROW_NONE)};
  for (const Binding& binding : bindings)
    if (binding.control == control) return &binding;
  return nullptr;
}
#undef WINDOW1_BINDING

// Makes one control and finishes with it before the next: made inside the window, built,
// registered under its name, given its font unit, configured from its list and bound to its
// handler. Every step after the registration reaches the control through its name.
void MakeControl(Window1& window, const ControlSpec& control) {
  const Ref<Object> made = WindowOperations::__New(window, ClassOf(control.kind));
  RuntimeCheckCast<RectControl>(made, RectControl::GetClass())->Constructor();
  WindowOperations::_AddControl(window, String(control.name), made);
  SetFontUnit(window, control);
  RuntimeMassPropertySetter(RegisteredControl<RectControl>(window, control.name), control.list);
  if (const Binding* binding = BindingOf(control.name)) {
    const Ref<RectControl> source = RegisteredControl<RectControl>(window, control.name);
    const Ref<Delegate> delegate =
        RuntimeCreateDelegate(binding->invoker, binding->handler(window), &window, binding->signature, 1);
    RuntimeAddEventHandler(source, RuntimeEventNumber(source->Record(), binding->event), binding->dispatch, delegate);
  }
}

}  // namespace

void Window1::Layout() {
  SetMenuBar(MenuBar1Instance());
  RuntimeMassPropertySetter(Ref<Object>(this), kMainWindowList);
}

void Window1::CreateControls() {
  Operations::_CreateControls0(*this);
  Operations::_CreateControls1(*this);
}

void Window1::_CreateControls0() {
  for (std::size_t i = 0; i < kControlsMadeFirst; ++i) MakeControl(*this, kMainWindowControls[i]);
}

void Window1::_CreateControls1() {
  for (std::size_t i = kControlsMadeFirst; i < kMainWindowControlCount; ++i) MakeControl(*this, kMainWindowControls[i]);
}

// At its opening the window shows only the options and the buttons.
void Window1::Event_Open() { ImplicitWindow1()->SetHeight(kHeightAtRest); }

// ---- Handlers -----------------------------------------------------------------------------

// The one help window, shown beside the main window, which stays usable.
void Window1::BtnAide_Action(const Ref<PushButton>&) {
  const Ref<AideW> help = ImplicitAideW();
  if (!help) RaiseNilObjectException();
  WindowOperations::Show(*help);
}

void Window1::BtnQuitter_Action(const Ref<PushButton>&) { Quit(0); }

// The value labels' design texts never show: each label empties itself when the window opens.
void Window1::NbBases_Open(const Ref<Label>& control) { control->SetText(""); }
void Window1::NbRecords_Open(const Ref<Label>& control) { control->SetText(""); }
void Window1::Nbtables_Open(const Ref<Label>& control) { control->SetText(""); }
void Window1::NomBase_Open(const Ref<Label>& control) { control->SetText(""); }
void Window1::NomTable_Open(const Ref<Label>& control) { control->SetText(""); }
void Window1::NomDossier_Open(const Ref<Label>& control) { control->SetText(""); }
