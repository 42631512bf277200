// The registration of the help window's class with the platform, and its implicit instance.
#include "shell/help_window.h"

using namespace platform;

static_assert(sizeof(AideW) == sizeof(Window), "an AideW is exactly as large as a Window");
static_assert(kAideWOwnOperationCount == 4);

namespace {

// The two event implementations that the class installs; Window's other events keep the
// platform's own handling.
void LayoutEvent(Window& window) { dynamic_cast<AideW&>(window).Layout(); }
void CreateControlsEvent(Window& window) { dynamic_cast<AideW&>(window).CreateControls(); }

}  // namespace

// Its four virtual operations in member order.
SystemClassDefinition AideW::Definition() {
  return {
      .name = "AideW.AideW",
      .parent = Window::GetClass(),
      .operations = SYSTEM_CLASS_MEMBERS(AideW, AideW::Operations, AIDEW_OPERATIONS),
      .implementations = {{"Layout", CodeOf(&LayoutEvent)}, {"CreateControls", CodeOf(&CreateControlsEvent)}},
  };
}

Ref<AideW> ImplicitAideW() { return ImplicitInstance<AideW>(); }
