#include "platform/runtime/classes.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool SameNameAnyCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

template <class Entry>
void CopyWithRoom(const EntryTable<Entry>* from, EntryTable<Entry>& to, std::size_t count) {
  if (from) to = *from;
  if (to.entries.size() > count) throw RuntimeException("a class cannot hold fewer entries than its parent");
  to.entries.resize(count);
  to.attributes.resize(count);
}

}  // namespace

ClassRecord* RuntimeNewClass(ClassRecord* parent, std::size_t memberCount, std::size_t interfaceCount,
                             std::size_t eventCount, std::size_t unusedCount, std::size_t propertyCount,
                             std::size_t attributeCount) {
  auto* record = new ClassRecord;  // records live as long as the process
  record->parent = parent;
  CopyWithRoom(parent ? &parent->members : nullptr, record->members, memberCount);
  CopyWithRoom(parent ? &parent->properties : nullptr, record->properties, propertyCount);
  if (parent) {
    record->events.reserve(eventCount);
    for (const EventEntry& event : parent->events) record->events.push_back({event.name, nullptr});
    record->make = parent->make;
  }
  record->events.resize(std::max(eventCount, record->events.size()));
  record->interfaceCount = interfaceCount;
  record->unusedCount = unusedCount;
  record->attributes.assign(attributeCount, Attribute{"", "", 0});
  return record;
}

Code* RuntimeNewVtable(std::size_t count) { return new Code[count]{}; }

Code RuntimeEventImplementation(const ClassRecord* record, std::string_view eventName) {
  for (; record; record = record->parent)
    for (const EventEntry& event : record->events)
      if (event.name && event.name == eventName && event.implementation) return event.implementation;
  return nullptr;
}

std::size_t RuntimeEventNumber(const ClassRecord* record, std::string_view eventName) {
  for (std::size_t i = 0; i < record->events.size(); ++i)
    if (record->events[i].name && record->events[i].name == eventName) return i + 1;
  throw RuntimeException("no event " + String(eventName) + " in class " + record->name);
}

const PropertyEntry* RuntimeFindProperty(const ClassRecord* record, std::string_view name) {
  for (; record; record = record->parent)
    for (const PropertyEntry& property : record->properties.entries)
      if (property.name && SameNameAnyCase(property.name, name)) return &property;
  return nullptr;
}

bool RuntimeIsA(const ClassRecord* record, const ClassRecord* ancestor) {
  for (; record; record = record->parent)
    if (record == ancestor) return true;
  return false;
}

ClassRecord* RegisterPlatformClass(const char* name, ClassRecord* parent, const std::vector<PlatformMember>& members,
                                   const std::vector<const char*>& events,
                                   const std::vector<PropertyEntry>& properties, Object* (*make)()) {
  const std::size_t parentMembers = parent ? parent->members.entries.size() : 0;
  const std::size_t parentEvents = parent ? parent->events.size() : 0;
  const std::size_t parentProperties = parent ? parent->properties.entries.size() : 0;
  ClassRecord* record = RuntimeNewClass(parent, parentMembers + members.size(), 0, parentEvents + events.size(), 0,
                                        parentProperties + properties.size(), 1);
  record->name = name;
  record->instanceSize = parent ? parent->instanceSize : sizeof(Object);
  if (make) record->make = make;

  // The table: the parent's operations, each replaced by an own one of the same name, then
  // the class's new ones.
  std::vector<Code> table(parent ? parent->vtable : nullptr, parent ? parent->vtable + parent->vtableCount : nullptr);
  std::vector<const char*> tableNames;
  if (parent)
    for (const MemberEntry& entry : parent->members.entries)
      if (entry.flags & 2) tableNames.push_back(entry.name);
  const std::size_t inherited = tableNames.size();
  for (std::size_t i = 0; i < members.size(); ++i) {
    MemberEntry entry = members[i].entry;
    entry.flags = 1 | (members[i].virtualOperation ? 2 : 0);
    record->members.entries[parentMembers + i] = entry;
    Attribute* scope = RuntimeAllocateAttributeTable(record->members, parentMembers + i, 1);
    scope[0] = {"__Scope", "Public", 1};
    if (!members[i].virtualOperation) continue;
    // Only a parent's operation can be replaced: the class's own ones may share a name
    // (Window's two Invalidate) and each keeps a place of its own.
    std::size_t place = table.size();
    for (std::size_t p = 0; p < inherited; ++p)
      if (String(tableNames[p]) == entry.name) place = p;
    if (place == table.size())
      table.push_back(entry.code);
    else
      table[place] = entry.code;
  }
  record->vtable = RuntimeNewVtable(table.size());
  record->vtableCount = table.size();
  std::copy(table.begin(), table.end(), record->vtable);

  for (std::size_t i = 0; i < events.size(); ++i) record->events[parentEvents + i].name = events[i];
  for (std::size_t i = 0; i < properties.size(); ++i) {
    record->properties.entries[parentProperties + i] = properties[i];
    Attribute* scope = RuntimeAllocateAttributeTable(record->properties, parentProperties + i, 1);
    scope[0] = {"__Scope", "Public", 1};
  }
  record->attributes[0] = {"__Scope", "Public", 1};
  return record;
}

Ref<Object> RuntimeNewObject(ClassRecord* record) {
  if (!record->make) throw RuntimeException(String("the class ") + record->name + " makes no objects");
  Ref<Object> object(record->make());
  object->SetRecord(record);
  return object;
}

}  // namespace platform
