// The registration of the help window's class with the platform, and its implicit instance.
#include "shell/help_window.h"

#include "shell/class_registration.h"

using namespace platform;

static_assert(sizeof(AideW) == sizeof(Window), "an AideW is exactly as large as a Window");
static_assert(kAideWOwnOperationCount == 4);

// Reaches the window's private accessor code for its member entry.
struct AideWMembers {
  static Ref<TextArea> TextArea1(AideW& window) { return AideW::FindTextArea1(window); }
};

namespace {

ClassRecord* aideWClass = nullptr;  // the class's one global, where the getter finds it

// The two event implementations that the class installs; Window's other events keep the
// platform's own handling.
void LayoutEvent(Window& window) { dynamic_cast<AideW&>(window).Layout(); }
void CreateControlsEvent(Window& window) { dynamic_cast<AideW&>(window).CreateControls(); }

}  // namespace

void RegisterAideW() {
  if (aideWClass) return;
  // The class's own members in member order, each also a virtual operation.
  std::vector<OwnMember> own = {
#define AIDEW_HOOK(name) Member(#name, "%%", +[](AideW& w) { w.name(); }),
#define AIDEW_HIDDEN(name) HiddenMember(#name, "%%", +[](AideW& w) { w.name(); }),
#define AIDEW_CONTROL(name, Class) Member(#name, "%o<" #Class ">%", &AideWMembers::name),
      AIDEW_OPERATIONS(AIDEW_HOOK, AIDEW_HIDDEN, AIDEW_CONTROL)
#undef AIDEW_HOOK
#undef AIDEW_HIDDEN
#undef AIDEW_CONTROL
  };
  aideWClass = BuildClassRecord({
      .name = "AideW.AideW",
      .parent = Window::GetClass(),
      .members = std::move(own),
      .implementations = {{"Layout", CodeOf(&LayoutEvent)}, {"CreateControls", CodeOf(&CreateControlsEvent)}},
      .make = &MakeObject<AideW>,
  });
}

ClassRecord* AideW::GetClass() {
  if (!aideWClass) RegisterAideW();
  return aideWClass;
}

Ref<AideW> ImplicitAideW() {
  return RuntimeCheckCast<AideW>(ImplicitInstance("AideW.AideW", AideW::GetClass()), AideW::GetClass());
}
