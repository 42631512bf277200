#include "shell/class_registration.h"

using namespace platform;

ClassRecord* RegisterSystemClass(const SystemClassDefinition& definition, Object* (*make)()) {
  std::vector<OwnMember> members;
  members.reserve(definition.operations.size() + definition.privateMembers.size());
  for (const PlacedMember& operation : definition.operations) members.push_back(operation.member);
  members.insert(members.end(), definition.privateMembers.begin(), definition.privateMembers.end());
  ClassRecord* record = BuildClassRecord({
      .name = definition.name,
      .parent = definition.parent,
      .members = std::move(members),
      .properties = definition.properties,
      .implementations = definition.implementations,
      .make = make,
      .publicScope = definition.publicScope,
  });
  for (const PlacedMember& operation : definition.operations)
    if (operation.place >= record->vtableCount || record->vtable[operation.place] != operation.member.code) {
      // Records live as long as the process; a refused one is kept too, never used.
      static auto* const refused = new std::vector<ClassRecord*>;
      refused->push_back(record);
      throw RuntimeException(String("the class ") + definition.name + " does not hold " + operation.member.name +
                             " in the place that its typed call reads");
    }
  return record;
}

Ref<Object> ImplicitWindow(ClassRecord* record) {
  Ref<Object> window = RuntimeGetImplicitWindow(record->name);
  if (!window) {
    window = RuntimeNewObject(record);
    WindowOperations::Constructor(*RuntimeCheckCast<Window>(window));
  }
  return window;
}
