// The registration of the help window's class with the platform, and its implicit instance.
#include "shell/help_window.h"

#include <array>

using namespace platform;

static_assert(sizeof(AideW) == sizeof(Window), "an AideW is exactly as large as a Window");
static_assert(kAideWOwnOperationCount == 4);

// Reaches the window's private accessor code for its member entry.
struct AideWMembers {
  static Ref<TextArea> TextArea1(AideW& window) { return AideW::FindTextArea1(window); }
};

namespace {

ClassRecord* aideWClass = nullptr;  // the class's one global, where the getter finds it

struct OwnMember {
  const char* name;
  const char* signature;
  Code code;
  Invoker invoker;
  bool hidden;
};

template <class Routine>
OwnMember Member(const char* name, const char* signature, Routine routine, bool hidden = false) {
  return {name, signature, CodeOf(routine), InvokerFor<Routine>(), hidden};
}

// The two event implementations that the class installs; Window's other events keep the
// platform's own handling.
void LayoutEvent(Window& window) { dynamic_cast<AideW&>(window).Layout(); }
void CreateControlsEvent(Window& window) { dynamic_cast<AideW&>(window).CreateControls(); }

}  // namespace

void RegisterAideW() {
  if (aideWClass) return;
  ClassRecord* parent = Window::GetClass();

  // The class's own members in member order, each also a virtual operation.
  const std::array<OwnMember, kAideWOwnOperationCount> own = {
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
  record->name = RecordTextOf<"AideW.AideW">();
  record->instanceSize = parent->instanceSize;
  record->interfaceFlag = 0;
  record->reserved = 0;
  record->make = &MakeObject<AideW>;

  record->vtableCount = parent->vtableCount + own.size();
  record->vtable = RuntimeNewVtable(record->vtableCount);
  for (std::size_t i = 0; i < parent->vtableCount; ++i) record->vtable[i] = parent->vtable[i];
  for (std::size_t i = 0; i < own.size(); ++i) record->vtable[parent->vtableCount + i] = own[i].code;

  for (std::size_t i = 0; i < own.size(); ++i) {
    const std::size_t place = parentMembers + i;
    MemberEntry& entry = record->members.entries[place];
    entry.name = own[i].name;
    entry.flags = 1;  // public
    entry.signature = own[i].signature;
    entry.code = own[i].code;
    entry.invoker = own[i].invoker;
    Attribute* attributes = RuntimeAllocateAttributeTable(record->members, place, own[i].hidden ? 2 : 1);
    attributes[0] = {RecordTextOf<"__Scope">(), RecordTextOf<"Public">(), 1};
    if (own[i].hidden) attributes[1] = {RecordTextOf<"Hidden">(), RecordTextOf<"">(), 0};
  }

  record->events[RuntimeEventNumber(record, "Layout") - 1].implementation = CodeOf(&LayoutEvent);
  record->events[RuntimeEventNumber(record, "CreateControls") - 1].implementation = CodeOf(&CreateControlsEvent);

  record->attributes[0] = {RecordTextOf<"__Scope">(), RecordTextOf<"Public">(), 1};
}

ClassRecord* AideW::GetClass() {
  if (!aideWClass) RegisterAideW();
  return aideWClass;
}

Ref<AideW> ImplicitAideW() {
  Ref<Object> window = RuntimeGetImplicitWindow("AideW.AideW");
  if (!window) {
    window = RuntimeNewObject(AideW::GetClass());
    WindowOperations::Constructor(*RuntimeCheckCast<Window>(window));
  }
  return RuntimeCheckCast<AideW>(window, AideW::GetClass());
}
