#include "shell/class_registration.h"

using namespace platform;

void FillClassRecord(ClassRecord* record, const char* registeredName, const std::vector<OwnMember>& own,
                     Object* (*make)()) {
  const ClassRecord* parent = record->parent;
  record->name = registeredName;
  record->instanceSize = parent->instanceSize;
  record->interfaceFlag = 0;
  record->reserved = 0;
  record->make = make;

  std::vector<Code> table(parent->vtable, parent->vtable + parent->vtableCount);
  for (const OwnMember& member : own)
    if (member.isPublic) table.push_back(member.code);
  record->vtableCount = table.size();
  record->vtable = RuntimeNewVtable(record->vtableCount);
  std::copy(table.begin(), table.end(), record->vtable);

  const std::size_t parentMembers = parent->members.entries.size();
  for (std::size_t i = 0; i < own.size(); ++i) {
    const std::size_t place = parentMembers + i;
    MemberEntry& entry = record->members.entries[place];
    entry.name = own[i].name;
    if (own[i].isPublic) entry.flags = 1;
    entry.signature = own[i].signature;
    entry.code = own[i].code;
    entry.invoker = own[i].invoker;
    Attribute* attributes = RuntimeAllocateAttributeTable(record->members, place, own[i].hidden ? 2 : 1);
    attributes[0] = {RecordTextOf<"__Scope">(), own[i].isPublic ? RecordTextOf<"Public">() : RecordTextOf<"Private">(), 1};
    if (own[i].hidden) attributes[1] = {RecordTextOf<"Hidden">(), RecordTextOf<"">(), 0};
  }
  record->attributes[0] = {RecordTextOf<"__Scope">(), RecordTextOf<"Public">(), 1};
}

Ref<Object> ImplicitInstance(const char* registeredName, ClassRecord* record) {
  Ref<Object> window = RuntimeGetImplicitWindow(registeredName);
  if (!window) {
    window = RuntimeNewObject(record);
    WindowOperations::Constructor(*RuntimeCheckCast<Window>(window));
  }
  return window;
}
