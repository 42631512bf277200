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

namespace {

// A copy of the text as a record text, in storage that lives as long as the records.
const char* StoredText(const char* text) {
  const std::string_view chars(text);
  if (chars.size() > 255) throw RuntimeException("a record text holds at most 255 characters: " + String(chars));
  char* bytes = new char[chars.size() + 2];
  bytes[0] = static_cast<char>(chars.size());
  std::copy(chars.begin(), chars.end(), bytes + 1);
  bytes[chars.size() + 1] = '\0';
  return bytes + 1;
}

// One place of a table of virtual operations: the operation that fills it, by name and
// signature.
struct TablePlace {
  std::string_view name;
  std::string_view signature;
};

std::size_t FindPlace(const std::vector<TablePlace>& places, std::size_t from, std::size_t to,
                      std::string_view name, std::string_view signature) {
  for (std::size_t p = from; p < to; ++p)
    if (places[p].name == name && places[p].signature == signature) return p;
  return to;
}

// The operations of the class's table, place by place, found again from its member entries
// by the rule that BuildClassRecord follows.
std::vector<TablePlace> TablePlaces(const ClassRecord* record) {
  if (!record) return {};
  std::vector<TablePlace> places = TablePlaces(record->parent);
  const std::size_t inherited = places.size();
  const auto& members = record->members.entries;
  for (std::size_t i = record->parent ? record->parent->members.entries.size() : 0; i < members.size(); ++i) {
    const MemberEntry& member = members[i];
    if (!(member.flags & kMemberPublic)) continue;
    if (FindPlace(places, 0, inherited, member.name, member.signature) == inherited)
      places.push_back({member.name, member.signature});
  }
  if (places.size() != record->vtableCount)
    throw RuntimeException(String("the table of ") + record->name + " does not follow its member entries");
  return places;
}

}  // namespace

ClassRecord* BuildClassRecord(const ClassDefinition& definition) {
  ClassRecord* parent = definition.parent;
  const std::size_t parentMembers = parent ? parent->members.entries.size() : 0;
  const std::size_t parentEvents = parent ? parent->events.size() : 0;
  const std::size_t parentProperties = parent ? parent->properties.entries.size() : 0;
  std::vector<TablePlace> places = TablePlaces(parent);
  const std::size_t inherited = places.size();
  for (auto own = definition.members.begin(); own != definition.members.end(); ++own)
    for (auto other = definition.members.begin(); other != own; ++other)
      if (own->isPublic && other->isPublic && std::string_view(own->name) == other->name &&
          std::string_view(own->signature) == other->signature)
        throw RuntimeException(String("the class ") + definition.name + " has two operations " + own->name + " " +
                               own->signature);

  ClassRecord* record = RuntimeNewClass(parent, parentMembers + definition.members.size(), 0,
                                        parentEvents + definition.events.size(), 0,
                                        parentProperties + definition.properties.size(),
                                        definition.publicScope ? 1 : 0);
  record->name = StoredText(definition.name);
  record->instanceSize = definition.instanceSize ? definition.instanceSize
                         : parent                ? parent->instanceSize
                                                 : sizeof(Object);
  if (definition.make) record->make = definition.make;

  std::vector<Code> table(parent ? parent->vtable : nullptr, parent ? parent->vtable + parent->vtableCount : nullptr);
  for (std::size_t i = 0; i < definition.members.size(); ++i) {
    const OwnMember& own = definition.members[i];
    const std::size_t index = parentMembers + i;
    MemberEntry& entry = record->members.entries[index];
    entry.name = StoredText(own.name);
    entry.flags = own.isPublic ? kMemberPublic : 0;
    entry.signature = StoredText(own.signature);
    entry.code = own.code;
    entry.invoker = own.invoker;
    Attribute* attributes = RuntimeAllocateAttributeTable(record->members, index, own.hidden ? 2 : 1);
    attributes[0] = {RecordTextOf<"__Scope">(), own.isPublic ? RecordTextOf<"Public">() : RecordTextOf<"Private">(), 1};
    if (own.hidden) attributes[1] = {RecordTextOf<"Hidden">(), RecordTextOf<"">(), 0};
    if (!own.isPublic) continue;
    const std::size_t place = FindPlace(places, 0, inherited, own.name, own.signature);
    if (place < inherited) {
      table[place] = own.code;
    } else {
      places.push_back({entry.name, entry.signature});
      table.push_back(own.code);
    }
  }
  record->vtableCount = table.size();
  record->vtable = RuntimeNewVtable(table.size());
  std::copy(table.begin(), table.end(), record->vtable);

  for (std::size_t i = 0; i < definition.events.size(); ++i)
    record->events[parentEvents + i].name = StoredText(definition.events[i]);
  for (std::size_t i = 0; i < definition.properties.size(); ++i) {
    const std::size_t index = parentProperties + i;
    PropertyEntry& property = record->properties.entries[index];
    property = definition.properties[i];
    property.name = StoredText(property.name);
    property.type = StoredText(property.type);
    const bool shared = property.flags & kPropertyShared;
    Attribute* attributes = RuntimeAllocateAttributeTable(record->properties, index, shared ? 2 : 1);
    attributes[0] = {RecordTextOf<"__Scope">(), RecordTextOf<"Public">(), 1};
    if (shared) attributes[1] = {RecordTextOf<"__Shared">(), RecordTextOf<"">(), 0};
  }
  if (definition.publicScope) record->attributes[0] = {RecordTextOf<"__Scope">(), RecordTextOf<"Public">(), 1};
  for (const EventImplementation& implementation : definition.implementations)
    record->events[RuntimeEventNumber(record, implementation.event) - 1].implementation = implementation.code;
  return record;
}

Ref<Object> RuntimeNewObject(ClassRecord* record) {
  if (!record->make) throw RuntimeException(String("the class ") + record->name + " makes no objects");
  Ref<Object> object(record->make());
  object->SetRecord(record);
  return object;
}

}  // namespace platform
