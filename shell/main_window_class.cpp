// The registration of the main window's class with the platform.
#include "shell/main_window.h"

using namespace platform;

static_assert(sizeof(Window1) == sizeof(Window), "a Window1 is exactly as large as a Window");
static_assert(kWindow1OwnOperationCount == 68);

namespace {

// The event implementations that the class installs.
void LayoutEvent(Window& window) { dynamic_cast<Window1&>(window).Layout(); }
void CreateControlsEvent(Window& window) { dynamic_cast<Window1&>(window).CreateControls(); }
void OpenEvent(Window& window) { dynamic_cast<Window1&>(window).Event_Open(); }

}  // namespace

// Its 68 virtual operations in member order, then its walk.
SystemClassDefinition Window1::Definition() {
  using Walk = void (*)(Window1&, const Ref<FolderItem>&, const Ref<TextOutputStream>&, const Ref<FolderItem>&);
  const Walk walk = [](Window1& window, const Ref<FolderItem>& folder, const Ref<TextOutputStream>& output,
                       const Ref<FolderItem>& copyFolder) { window.ScanDossier(folder, output, copyFolder); };
  return {
      .name = "Window1.Window1",
      .parent = Window::GetClass(),
      .operations = SYSTEM_CLASS_MEMBERS(Window1, Window1::Operations, WINDOW1_OPERATIONS),
      .privateMembers = {PrivateMember("ScanDossier", "%%o<FolderItem>o<TextOutputStream>o<FolderItem>", walk)},
      .implementations = {{"Layout", CodeOf(&LayoutEvent)},
                          {"CreateControls", CodeOf(&CreateControlsEvent)},
                          {"Open", CodeOf(&OpenEvent)}},
  };
}

Ref<Window1> ImplicitWindow1() { return ImplicitInstance<Window1>(); }
