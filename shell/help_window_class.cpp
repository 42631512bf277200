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
  ClassRecord* parent = Window::GetClass();

  // The class's own members in member order, each also a virtual operation.
  const std::vector<OwnMember> own = {
#define AIDEW_HOOK(name) Member(RecordTextOf<#name>(), RecordTextOf<"%%">(), +[](AideW& w) { w.name(); }),
#define AIDEW_HIDDEN(name) \
  Member(RecordTextOf<#name>(), RecordTextOf<"%%">(), +[](AideW& w) { w.name(); }, true),
#define AIDEW_CONTROL(name, Class) \
  Member(RecordTextOf<#name>(), RecordTextOf<"%o<" #Class ">%">(), &AideWMembers::name),
      AIDEW_OPERATIONS(AIDEW_HOOK, AIDEW_HIDDEN, AIDEW_CONTROL)
#undef AIDEW_HOOK
#undef AIDEW_HIDDEN
#undef AIDEW_CONTROL
  };

  const std::size_t parentMembers = parent->members.entries.size();
  aideWClass = RuntimeNewClass(parent, parentMembers + own.size(), 0, parent->events.size(), 0,
                               parent->properties.entries.size(), 1);
  ClassRecord* record = aideWClass;
  FillClassRecord(record, RecordTextOf<"AideW.AideW">(), own, &MakeObject<AideW>);

  record->events[RuntimeEventNumber(record, "Layout") - 1].implementation = CodeOf(&LayoutEvent);
  record->events[RuntimeEventNumber(record, "CreateControls") - 1].implementation = CodeOf(&CreateControlsEvent);
}

ClassRecord* AideW::GetClass() {
  if (!aideWClass) RegisterAideW();
  return aideWClass;
}

Ref<AideW> ImplicitAideW() {
  return RuntimeCheckCast<AideW>(ImplicitInstance("AideW.AideW", AideW::GetClass()), AideW::GetClass());
}
