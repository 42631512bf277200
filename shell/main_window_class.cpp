// The registration of the main window's class with the platform.
#include "shell/main_window.h"

#include "shell/class_registration.h"

using namespace platform;

static_assert(sizeof(Window1) == sizeof(Window), "a Window1 is exactly as large as a Window");
static_assert(kWindow1OwnOperationCount == 68);

namespace {

ClassRecord* window1Class = nullptr;  // the class's one global, where the getter finds it

// The entry of that name below the window's menu bar, as its class.
template <class C>
Ref<C> MenuItemAccessor(Window1& window, const char* name) {
  const Ref<MenuBar> bar = window.MenuBar();
  if (!bar) RaiseNilObjectException();
  return RuntimeCheckCast<C>(MenuItemOperations::_Lookup(*bar, name), C::GetClass());
}

}  // namespace

// Reaches the window's private walk for its member entry.
struct Window1Members {
  static void ScanDossier(Window1& window, const Ref<FolderItem>& folder, const Ref<TextOutputStream>& output,
                          const Ref<FolderItem>& copyFolder) {
    window.ScanDossier(folder, output, copyFolder);
  }
};

namespace {

// The event implementations that the class installs.
void LayoutEvent(Window& window) { dynamic_cast<Window1&>(window).Layout(); }
void CreateControlsEvent(Window& window) { dynamic_cast<Window1&>(window).CreateControls(); }
void OpenEvent(Window& window) { dynamic_cast<Window1&>(window).Event_Open(); }

}  // namespace

void RegisterWindow1() {
  if (window1Class) return;
  // The class's own members in member order: its 68 virtual operations, then its walk.
  std::vector<OwnMember> own = {
#define WINDOW1_HOOK(name) Member(#name, "%%", +[](Window1& w) { w.name(); }),
#define WINDOW1_HIDDEN(name) HiddenMember(#name, "%%", +[](Window1& w) { w.name(); }),
#define WINDOW1_CONTROL(name, Class) \
  Member(#name, "%o<" #Class ">%", +[](Window1& w) { return RegisteredControl<Class>(w, #name); }),
#define WINDOW1_HANDLER(name, Class) \
  Member(#name, "%%o<" #Class ">", +[](Window1& w, const Ref<Class>& control) { w.name(control); }),
#define WINDOW1_MENU(name, Class) \
  Member(#name, "%o<" #Class ">%", +[](Window1& w) { return MenuItemAccessor<Class>(w, #name); }),
      WINDOW1_OPERATIONS(WINDOW1_HOOK, WINDOW1_HIDDEN, WINDOW1_CONTROL, WINDOW1_HANDLER, WINDOW1_MENU)
#undef WINDOW1_HOOK
#undef WINDOW1_HIDDEN
#undef WINDOW1_CONTROL
#undef WINDOW1_HANDLER
#undef WINDOW1_MENU
      PrivateMember("ScanDossier", "%%o<FolderItem>o<TextOutputStream>o<FolderItem>", &Window1Members::ScanDossier),
  };
  window1Class = BuildClassRecord({
      .name = "Window1.Window1",
      .parent = Window::GetClass(),
      .members = std::move(own),
      .implementations = {{"Layout", CodeOf(&LayoutEvent)},
                          {"CreateControls", CodeOf(&CreateControlsEvent)},
                          {"Open", CodeOf(&OpenEvent)}},
      .make = &MakeObject<Window1>,
  });
}

ClassRecord* Window1::GetClass() {
  if (!window1Class) RegisterWindow1();
  return window1Class;
}

Ref<Window1> ImplicitWindow1() {
  return RuntimeCheckCast<Window1>(ImplicitInstance("Window1.Window1", Window1::GetClass()), Window1::GetClass());
}
